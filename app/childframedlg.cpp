#include "app/childframedlg.h"

#include "settings/keyindex.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

// Controls are made in the template's order, which is also their tab order. The radio
// buttons are children of the dialog, not of the group box, so they form one exclusive group
// and sit at the template's dialog coordinates.
CChildFrameDlg::CChildFrameDlg(QWidget *parent) : TemplateDialog(parent)
{
    SetTemplate(QStringLiteral("設定－子フレーム"), 187, 93);

    AddOkCancel(130, 7, 130, 24, 50, 14);

    AddGroupBox(QStringLiteral("新規作成時の子フレームの状態"), 13, 7, 110, 72);
    m_pMaximize = AddControl<QRadioButton>(QStringLiteral("1003"), QStringLiteral("最大化"), 22, 21, 37, 10);
    m_pNormal = AddControl<QRadioButton>(QStringLiteral("1004"), QStringLiteral("通常"), 22, 41, 30, 10);
    m_pMinimize = AddControl<QRadioButton>(QStringLiteral("1005"), QStringLiteral("アイコン化"), 22, 60, 46, 10);
}

// Any stored value other than normal or minimised shows as maximised, the default.
void CChildFrameDlg::OnInitDialog()
{
    m_nFrameMode = Keys::WindowMode.read();
    QRadioButton *checked = m_nFrameMode == 2 ? m_pNormal : m_nFrameMode == 3 ? m_pMinimize : m_pMaximize;
    checked->setChecked(true);
}

void CChildFrameDlg::OnOK()
{
    m_nFrameMode = m_pNormal->isChecked() ? 2 : m_pMinimize->isChecked() ? 3 : 1;
    QDialog::accept();
}
