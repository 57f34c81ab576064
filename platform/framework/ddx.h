#pragma once
// Dialog data exchange: moves values between a dialog's members and its controls, and on the
// way back checks them with the framework's messages.
//
//     bool CSomeDlg::DoDataExchange(bool save)
//     {
//         Ddx dx(this, save);
//         dx.text(m_editCount, m_nCount).minMaxInt(m_nCount, 0, 10);
//         dx.text(m_editName, m_strName).maxChars(m_strName, 256);
//         return dx.ok();
//     }
//
// Loading (save == false) fills the controls. Saving reads and validates them in call order;
// the first field that fails gets its message box (application title, exclamation icon),
// the focus and a full selection, and every later call does nothing, so exactly one message
// is shown. Validations apply to the field transferred last.
//
// A number too large for 32 bits is a number all the same: a range check that follows its
// transfer answers it with the range message, as any other number outside the range. A field
// without a range check refuses it as not a number of its type, since no value can hold it.
#include <QString>
#include <QStringView>
#include <cstdint>
#include <optional>

class QAbstractButton;
class QLineEdit;
class QWidget;

class Ddx {
public:
    Ddx(QWidget *dialog, bool saveAndValidate);

    bool saveAndValidate() const { return m_save; }
    // False once a field has failed (a number beyond 32 bits left without a range check
    // fails here at the latest).
    bool ok();

    // Signed decimal integer.
    Ddx &text(QLineEdit *edit, int32_t &value);
    // Unsigned decimal integer; a minus sign is refused.
    Ddx &text(QLineEdit *edit, uint32_t &value);
    // Text as it stands.
    Ddx &text(QLineEdit *edit, QString &value);
    // Check box: 0 clear, 1 set.
    Ddx &check(QAbstractButton *box, int32_t &value);

    // Range checks on saving, bounds inclusive.
    Ddx &minMaxInt(int32_t value, int32_t minValue, int32_t maxValue);
    Ddx &minMaxUInt(uint32_t value, uint32_t minValue, uint32_t maxValue);
    // At most maxBytes bytes in the code page (a double-byte character counts two). Also
    // limits typing in the field transferred last, on loading and on saving.
    Ddx &maxChars(const QString &value, int maxBytes);

    // The parsers behind the integer transfers (NumberScan's transfer rule): blanks (space,
    // tab) around the number are allowed, nothing else; a value outside 32 bits has no result.
    static std::optional<int32_t> parseInt(QStringView text);
    static std::optional<uint32_t> parseUInt(QStringView text);

    // The framework's texts.
    static QString parseIntMessage();    // not a signed integer
    static QString parseUIntMessage();   // not an unsigned integer
    static QString rangeMessage(const QString &minText, const QString &maxText);
    static QString maxCharsMessage(int maxBytes);

private:
    bool active() const { return !m_failed; }
    void prepare(QWidget *control, bool isEdit);
    // The one integer transfer and the one range check behind the signed and unsigned calls.
    template <typename T>
    Ddx &number(QLineEdit *edit, T &value);
    template <typename T>
    Ddx &range(T value, T minValue, T maxValue);
    // Fails a number beyond 32 bits that no range check took up, with the message given.
    void settle();
    // Shows the message, puts the focus on the last field and stops further exchange.
    void fail(const QString &message);

    QWidget *m_dialog = nullptr;
    bool m_save = false;
    bool m_failed = false;
    QWidget *m_lastControl = nullptr;
    bool m_lastIsEdit = false;
    // The last field held a number beyond 32 bits; its message unless a range check follows.
    QString m_strOutside32Bits;
};
