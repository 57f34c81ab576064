#include "editor/jumpdlg.h"

#include "platform/base/numberscan.h"
#include "platform/framework/ddx.h"
#include "platform/dialogs/msgbox.h"

#include <QLineEdit>
#include <QRadioButton>

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

// A number of 1 or more ends the dialog; anything else keeps it open, with a message only
// when the text is not a number at all.
void CJumpDlg::OnOK()
{
    const std::optional<int32_t> value = NumberScan::jump(m_edit->text());
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
