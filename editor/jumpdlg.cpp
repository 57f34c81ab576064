#include "editor/jumpdlg.h"

#include "platform/framework/ddx.h"
#include "platform/dialogs/msgbox.h"

#include <QLineEdit>
#include <QRadioButton>

#include <climits>

namespace {
constexpr int kReadChars = 31;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
} // namespace

CJumpDlg::CJumpDlg(QWidget *parent) : TemplateDialog(parent)
{
    SetTemplate(QStringLiteral("ジャンプ先指定"), 187, 93);
    m_lineMode = AddControl<QRadioButton>(QStringLiteral("1000"), QStringLiteral("行数指定"), 20, 15, 43, 10);
    m_charMode = AddControl<QRadioButton>(QStringLiteral("1001"), QStringLiteral("文字指定"), 20, 40, 43, 10);
    m_edit = AddControl<QLineEdit>(QStringLiteral("1002"), QString::number(m_nValue), 95, 25, 55, 14);
    AddOkCancel(60, 65, 120, 65, 50, 14);
    connect(m_lineMode, &QRadioButton::clicked, this, [this] { OnMode(0); });
    connect(m_charMode, &QRadioButton::clicked, this, [this] { OnMode(1); });
    OnMode(0);
}

void CJumpDlg::OnMode(int mode)
{
    m_nMode = mode;
    m_lineMode->setChecked(mode == 0);
    m_charMode->setChecked(mode == 1);
    FocusEdit();
}

void CJumpDlg::FocusEdit()
{
    m_edit->setFocus();
    m_edit->selectAll();
}

std::optional<int32_t> CJumpDlg::ParseValue(QStringView text)
{
    text = text.left(kReadChars);
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const bool writtenAsZero = i < text.size() && text[i] == u'0';
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    const qsizetype digitsFrom = i;
    int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<int64_t>(value * 10 + (text[i].unicode() - u'0'), int64_t(INT_MAX) + 1);
    if (i == digitsFrom)
        return std::nullopt;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    if (i < text.size())
        return std::nullopt;
    if (value == 0 && !writtenAsZero)
        return std::nullopt;
    if (negative)
        return int32_t(std::max<int64_t>(-value, INT_MIN));
    return int32_t(std::min<int64_t>(value, INT_MAX));
}

// A number of 1 or more ends the dialog; anything else keeps it open, with a message only
// when the text is not a number at all.
void CJumpDlg::OnOK()
{
    const std::optional<int32_t> value = ParseValue(m_edit->text());
    if (!value) {
        MsgBox::show(this, Ddx::parseIntMessage(), QString(), MsgBox::Buttons::Ok, MsgBox::Icon::Exclamation);
        FocusEdit();
        return;
    }
    m_nValue = *value;
    if (m_nValue < 1) {
        FocusEdit();
        return;
    }
    QDialog::accept();
}
