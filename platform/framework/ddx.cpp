#include "platform/framework/ddx.h"

#include "platform/base/codepage.h"
#include "platform/dialogs/msgbox.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QValidator>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Splits "  -123  " into sign and digits; nullopt when anything else is there. A magnitude
// beyond any 32-bit value stops at 2^32, so that a long number still counts as a number.
struct Number {
    bool negative = false;
    bool hadSign = false;
    uint64_t magnitude = 0;
};

std::optional<Number> scanNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i]))
        ++i;
    Number num;
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        num.negative = text[i] == u'-';
        num.hadSign = true;
        ++i;
    }
    const qsizetype firstDigit = i;
    constexpr uint64_t kBeyond = uint64_t(UINT32_MAX) + 1;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        num.magnitude = std::min(num.magnitude * 10 + uint64_t(text[i].unicode() - u'0'), kBeyond);
        ++i;
    }
    if (i == firstDigit)
        return std::nullopt;
    while (i < n && isBlank(text[i]))
        ++i;
    if (i != n)
        return std::nullopt;
    return num;
}

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

Ddx &Ddx::text(QLineEdit *edit, int32_t &value)
{
    settle();
    if (!active())
        return *this;
    prepare(edit, true);
    if (!m_save) {
        edit->setText(QString::number(value));
        return *this;
    }
    if (const auto parsed = parseInt(edit->text()))
        value = *parsed;
    else if (scanNumber(edit->text()))
        m_strOutside32Bits = parseIntMessage();
    else
        fail(parseIntMessage());
    return *this;
}

Ddx &Ddx::text(QLineEdit *edit, uint32_t &value)
{
    settle();
    if (!active())
        return *this;
    prepare(edit, true);
    if (!m_save) {
        edit->setText(QString::number(value));
        return *this;
    }
    const auto number = scanNumber(edit->text());
    if (const auto parsed = parseUInt(edit->text()))
        value = *parsed;
    else if (number && !number->negative)
        m_strOutside32Bits = parseUIntMessage();
    else
        fail(parseUIntMessage());
    return *this;
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
Ddx &Ddx::minMaxInt(int32_t value, int32_t minValue, int32_t maxValue)
{
    const bool outside32Bits = !std::exchange(m_strOutside32Bits, QString()).isEmpty();
    if (active() && m_save && (outside32Bits || value < minValue || value > maxValue))
        fail(rangeMessage(QString::number(minValue), QString::number(maxValue)));
    return *this;
}

Ddx &Ddx::minMaxUInt(uint32_t value, uint32_t minValue, uint32_t maxValue)
{
    const bool outside32Bits = !std::exchange(m_strOutside32Bits, QString()).isEmpty();
    if (active() && m_save && (outside32Bits || value < minValue || value > maxValue))
        fail(rangeMessage(QString::number(minValue), QString::number(maxValue)));
    return *this;
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
    const auto num = scanNumber(text);
    if (!num)
        return std::nullopt;
    if (num->negative) {
        if (num->magnitude > uint64_t(INT32_MAX) + 1)
            return std::nullopt;
        return int32_t(-int64_t(num->magnitude));
    }
    if (num->magnitude > uint64_t(INT32_MAX))
        return std::nullopt;
    return int32_t(num->magnitude);
}

std::optional<uint32_t> Ddx::parseUInt(QStringView text)
{
    const auto num = scanNumber(text);
    if (!num || num->negative || num->magnitude > UINT32_MAX)
        return std::nullopt;
    return uint32_t(num->magnitude);
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
