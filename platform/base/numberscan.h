#pragma once
// Decimal integers in text, read by one scanner under named rules. Every rule reads the same
// shape: blanks, an optional sign, ASCII decimal digits, blanks. The rules differ only in which
// characters count as blanks, whether anything may follow the number, and what a number too
// large for its type becomes; each is named after the place whose stored files or dialogs
// rely on it, so that a change to one cannot slip into another.
//
//   rule          blanks             after the number   beyond the type
//   transfer      space, tab         blanks only        no value
//   jump          space, tab         blanks only        the nearest 32-bit value
//   settingsInt   Unicode white      blanks only        no value
//   storedText    C white space      ignored            wraps modulo 2^32
#include <QStringView>
#include <cstdint>
#include <optional>

class NumberScan {
public:
    // The framework's dialog data exchange: space and tab around the number, nothing else; a
    // value outside the type has no result. The unsigned rule refuses any minus sign, "-0" too.
    static std::optional<int32_t> transferInt(QStringView text);
    static std::optional<uint32_t> transferUInt(QStringView text);
    // Whether the text has the shape of a number under the transfer rule, of any size (for
    // unsigned, without a minus sign): such a field is answered with the range message.
    static bool isTransferNumber(QStringView text, bool isUnsigned);

    // The jump dialog's field: the transfer rule over the first 31 characters only; a number
    // beyond 32 bits counts as the nearest 32-bit value; a zero written with a sign is refused.
    static std::optional<int32_t> jump(QStringView text);

    // An integer value of the settings file: white space as Unicode knows it around the
    // number, nothing else; a value outside int has no result.
    static std::optional<int32_t> settingsInt(QStringView text);

    // A number kept as decimal text in the settings store, read as the C library's atol in
    // the "C" locale: leading white space, an optional sign, digits up to the first other
    // character; 0 when there are none. Values beyond 32 bits wrap to 32 bits, so that the
    // unsigned form of -1, "4294967295", reads back as -1.
    static int32_t storedText(QStringView text);

private:
    enum class Blanks { SpaceTab, CSpace, Unicode };
    enum class Tail { BlanksOnly, Ignored };
    struct Scan {
        bool negative = false;
        bool hadSign = false;
        uint64_t magnitude = 0;   // stops at 2^32: a longer number is still a number
        uint32_t low32 = 0;       // the magnitude modulo 2^32
    };
    // Nothing when the text breaks the shape; with Tail::Ignored no digits at all read as 0.
    static std::optional<Scan> scan(QStringView text, Blanks blanks, Tail tail);
    static std::optional<int32_t> toInt(const Scan &scan);
};
