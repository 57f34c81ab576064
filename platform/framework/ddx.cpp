#include "platform/framework/ddx.h"

#include "platform/base/codepage.h"
#include "platform/base/numberscan.h"
#include "platform/dialogs/msgbox.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QValidator>
#include <QWidget>

#include <type_traits>
#include <utility>

namespace {

// Refuses edits that would make the text longer than the limit in code-page bytes. A text
// that is already longer (set by the program) can still be shortened: the line edit keeps
// edits while its text is not yet acceptable.
class ByteLimitValidator : public QValidator {
public:
    ByteLimitValidator(int maxBytes, QObject *parent) : QValidator(parent), m_maxBytes(maxBytes) {}
    void setMaxBytes(int maxBytes) { m_maxBytes = maxBytes; }
    State validate(QString &input, int &) const override
    {
        return CodePage::encode(input).size() <= m_maxBytes ? Acceptable : Invalid;
    }

private:
    int m_maxBytes;
};

void limitBytes(QLineEdit *edit, int maxBytes)
{
    if (auto *v = dynamic_cast<ByteLimitValidator *>(const_cast<QValidator *>(edit->validator())))
        v->setMaxBytes(maxBytes);
    else
        edit->setValidator(new ByteLimitValidator(maxBytes, edit));
}

} // namespace

Ddx::Ddx(QWidget *dialog, bool saveAndValidate) : m_dialog(dialog), m_save(saveAndValidate) {}

void Ddx::prepare(QWidget *control, bool isEdit)
{
    m_lastControl = control;
    m_lastIsEdit = isEdit;
}

bool Ddx::ok()
{
    settle();
    return !m_failed;
}

void Ddx::settle()
{
    if (!m_strOutside32Bits.isEmpty())
        fail(std::exchange(m_strOutside32Bits, QString()));
}

void Ddx::fail(const QString &message)
{
    MsgBox::show(m_dialog, message, QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
    m_failed = true;
    if (!m_save || !m_lastControl)
        return;
    m_lastControl->setFocus(Qt::OtherFocusReason);
    if (m_lastIsEdit)
        static_cast<QLineEdit *>(m_lastControl)->selectAll();
}

// Signed and unsigned fields differ only in their rule and message. A number that is too large
// for the type is left to a range check that may follow (see settle()).
template <typename T>
Ddx &Ddx::number(QLineEdit *edit, T &value)
{
    constexpr bool isUnsigned = std::is_unsigned_v<T>;
    settle();
    if (!active())
        return *this;
    prepare(edit, true);
    if (!m_save) {
        edit->setText(QString::number(value));
        return *this;
    }
    const QString text = edit->text();
    std::optional<T> parsed;
    if constexpr (isUnsigned)
        parsed = parseUInt(text);
    else
        parsed = parseInt(text);
    const QString message = isUnsigned ? parseUIntMessage() : parseIntMessage();
    if (parsed)
        value = *parsed;
    else if (NumberScan::isTransferNumber(text, isUnsigned))
        m_strOutside32Bits = message;
    else
        fail(message);
    return *this;
}

Ddx &Ddx::text(QLineEdit *edit, int32_t &value)
{
    return number(edit, value);
}

Ddx &Ddx::text(QLineEdit *edit, uint32_t &value)
{
    return number(edit, value);
}

Ddx &Ddx::text(QLineEdit *edit, QString &value)
{
    settle();
    if (!active())
        return *this;
    prepare(edit, true);
    if (m_save)
        value = edit->text();
    else
        edit->setText(value);
    return *this;
}

Ddx &Ddx::check(QAbstractButton *box, int32_t &value)
{
    settle();
    if (!active())
        return *this;
    prepare(box, false);
    auto *checkBox = qobject_cast<QCheckBox *>(box);
    if (m_save) {
        if (checkBox && checkBox->checkState() == Qt::PartiallyChecked)
            value = 2;
        else
            value = box->isChecked() ? 1 : 0;
    } else if (checkBox && checkBox->isTristate() && value == 2) {
        checkBox->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setChecked(value != 0);
    }
    return *this;
}

// A number beyond 32 bits is outside any range these bounds can give.
template <typename T>
Ddx &Ddx::range(T value, T minValue, T maxValue)
{
    const bool outside32Bits = !std::exchange(m_strOutside32Bits, QString()).isEmpty();
    if (active() && m_save && (outside32Bits || value < minValue || value > maxValue))
        fail(rangeMessage(QString::number(minValue), QString::number(maxValue)));
    return *this;
}

Ddx &Ddx::minMaxInt(int32_t value, int32_t minValue, int32_t maxValue)
{
    return range(value, minValue, maxValue);
}

Ddx &Ddx::minMaxUInt(uint32_t value, uint32_t minValue, uint32_t maxValue)
{
    return range(value, minValue, maxValue);
}

Ddx &Ddx::maxChars(const QString &value, int maxBytes)
{
    settle();
    if (!active())
        return *this;
    maxBytes = qMax(1, maxBytes);
    if (m_save && CodePage::encode(value).size() > maxBytes) {
        fail(maxCharsMessage(maxBytes));
        return *this;
    }
    if (m_lastIsEdit && m_lastControl)
        limitBytes(static_cast<QLineEdit *>(m_lastControl), maxBytes);
    return *this;
}

std::optional<int32_t> Ddx::parseInt(QStringView text)
{
    return NumberScan::transferInt(text);
}

std::optional<uint32_t> Ddx::parseUInt(QStringView text)
{
    return NumberScan::transferUInt(text);
}

QString Ddx::parseIntMessage()
{
    return QStringLiteral("整数を入力してください。");
}

QString Ddx::parseUIntMessage()
{
    return QStringLiteral("正の整数を入力してください。");
}

QString Ddx::rangeMessage(const QString &minText, const QString &maxText)
{
    return QStringLiteral("%1 から %2 までの整数を入力してください。").arg(minText, maxText);
}

QString Ddx::maxCharsMessage(int maxBytes)
{
    return QStringLiteral("%1 文字以下で入力してください。").arg(maxBytes);
}
