#include "platform/base/numberscan.h"

#include <algorithm>

namespace {

constexpr qsizetype kJumpReadChars = 31;
constexpr uint64_t kBeyond32Bits = uint64_t(UINT32_MAX) + 1;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

std::optional<NumberScan::Scan> NumberScan::scan(QStringView text, Blanks blanks, Tail tail)
{
    const auto isBlank = [blanks](QChar c) {
        const char16_t u = c.unicode();
        switch (blanks) {
        case Blanks::SpaceTab:
            return u == u' ' || u == u'\t';
        case Blanks::CSpace:
            return u == u' ' || (u >= u'\t' && u <= u'\r');
        case Blanks::Unicode:
            return c.isSpace();
        }
        return false;
    };
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && isBlank(text[i]))
        ++i;
    Scan num;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        num.negative = text[i] == u'-';
        num.hadSign = true;
        ++i;
    }
    const qsizetype firstDigit = i;
    for (; i < n && isDigit(text[i]); ++i) {
        const unsigned digit = text[i].unicode() - u'0';
        num.magnitude = std::min(num.magnitude * 10 + digit, kBeyond32Bits);
        // Unsigned arithmetic wraps modulo 2^32 by definition.
        num.low32 = num.low32 * 10u + digit;
    }
    if (tail == Tail::Ignored)
        return num;
    if (i == firstDigit)
        return std::nullopt;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        return std::nullopt;
    return num;
}

std::optional<int32_t> NumberScan::toInt(const Scan &num)
{
    if (num.negative) {
        if (num.magnitude > uint64_t(INT32_MAX) + 1)
            return std::nullopt;
        return int32_t(-int64_t(num.magnitude));
    }
    if (num.magnitude > uint64_t(INT32_MAX))
        return std::nullopt;
    return int32_t(num.magnitude);
}

std::optional<int32_t> NumberScan::transferInt(QStringView text)
{
    const auto num = scan(text, Blanks::SpaceTab, Tail::BlanksOnly);
    return num ? toInt(*num) : std::nullopt;
}

std::optional<uint32_t> NumberScan::transferUInt(QStringView text)
{
    const auto num = scan(text, Blanks::SpaceTab, Tail::BlanksOnly);
    if (!num || num->negative || num->magnitude > UINT32_MAX)
        return std::nullopt;
    return uint32_t(num->magnitude);
}

bool NumberScan::isTransferNumber(QStringView text, bool isUnsigned)
{
    const auto num = scan(text, Blanks::SpaceTab, Tail::BlanksOnly);
    return num && !(isUnsigned && num->negative);
}

std::optional<int32_t> NumberScan::jump(QStringView text)
{
    const auto num = scan(text.left(kJumpReadChars), Blanks::SpaceTab, Tail::BlanksOnly);
    if (!num || (num->magnitude == 0 && num->hadSign))
        return std::nullopt;
    if (num->negative)
        return int32_t(-int64_t(std::min(num->magnitude, uint64_t(INT32_MAX) + 1)));
    return int32_t(std::min(num->magnitude, uint64_t(INT32_MAX)));
}

std::optional<int32_t> NumberScan::settingsInt(QStringView text)
{
    const auto num = scan(text, Blanks::Unicode, Tail::BlanksOnly);
    return num ? toInt(*num) : std::nullopt;
}

int32_t NumberScan::storedText(QStringView text)
{
    const auto num = scan(text, Blanks::CSpace, Tail::Ignored);
    const uint32_t bits = num->negative ? 0u - num->low32 : num->low32;
    // Two's complement reinterpretation without relying on implementation-defined casts.
    return bits <= uint32_t(INT32_MAX) ? int32_t(bits) : -int32_t(~bits) - 1;
}
