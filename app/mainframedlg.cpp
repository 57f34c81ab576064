#include "app/mainframedlg.h"

#include "platform/framework/ddx.h"
#include "settings/keyindex.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

// Controls are made in the template's order, which is also their tab order. The radio
// buttons are children of the dialog, not of the group box, so they form one exclusive group
// and sit at the template's dialog coordinates.
CMainFrameDlg::CMainFrameDlg(QWidget *parent) : TemplateDialog(parent)
{
    SetTemplate(QStringLiteral("設定－親フレーム"), 279, 185);

    AddOkCancel(220, 15, 220, 45, 50, 20);

    AddGroupBox(QStringLiteral("起動時の親フレームの状態"), 5, 5, 205, 170);
    m_pMaximize = AddControl<QRadioButton>(QStringLiteral("1000"), QStringLiteral("最大化"), 15, 25, 37, 10);
    m_pMinimize = AddControl<QRadioButton>(QStringLiteral("1001"), QStringLiteral("最小化"), 15, 45, 37, 10);
    m_pNormal = AddControl<QRadioButton>(QStringLiteral("1006"), QStringLiteral("通常"), 15, 65, 30, 10);
    m_pSaveOnExit = AddControl<QCheckBox>(QStringLiteral("1008"), QStringLiteral("終了時の設定を保存"), 25, 85, 77, 10);
    m_pFixed = AddControl<QRadioButton>(QStringLiteral("1007"), QStringLiteral("固定"), 15, 105, 30, 10);
    AddLabel(QStringLiteral("ウィンドウ位置Ｘ"), 20, 125, 47, 8);
    m_pLeft = AddControl<QLineEdit>(QStringLiteral("1002"), QString(), 70, 120, 30, 14);
    AddLabel(QStringLiteral("ウィンドウ位置Ｙ"), 110, 125, 47, 8);
    m_pTop = AddControl<QLineEdit>(QStringLiteral("1009"), QString(), 160, 120, 30, 14);
    AddLabel(QStringLiteral("サイズＸ"), 20, 150, 25, 8);
    m_pRight = AddControl<QLineEdit>(QStringLiteral("1010"), QString(), 70, 145, 30, 14);
    AddLabel(QStringLiteral("サイズＹ"), 110, 150, 25, 8);
    m_pBottom = AddControl<QLineEdit>(QStringLiteral("1011"), QString(), 160, 145, 30, 14);

    // A click applies the rule even on the button already set, as the platform notifies it.
    connect(m_pMaximize, &QRadioButton::clicked, this, [this] { EnableControls(1); });
    connect(m_pMinimize, &QRadioButton::clicked, this, [this] { EnableControls(2); });
    connect(m_pNormal, &QRadioButton::clicked, this, [this] { EnableControls(3); });
    connect(m_pFixed, &QRadioButton::clicked, this, [this] { EnableControls(4); });
}

// Any stored mode other than minimised, normal or fixed shows as maximised, with all five
// fields disabled.
void CMainFrameDlg::OnInitDialog()
{
    m_nFrameMode = Keys::WindowMode2.read();
    m_bSaveOnExit = Keys::WM3.read();
    m_nLeft = uint32_t(Keys::FrameLeft.read());
    m_nTop = uint32_t(Keys::FrameTop.read());
    m_nRight = uint32_t(Keys::FrameRight.read());
    m_nBottom = uint32_t(Keys::FrameBottom.read());
    EnableControls(m_nFrameMode);
    DoDataExchange(false);
    // A number wider than its field shows from its first digit, as the platform's edit does.
    for (QLineEdit *edit : {m_pLeft, m_pTop, m_pRight, m_pBottom})
        edit->home(false);

    QRadioButton *checked = m_nFrameMode == 2   ? m_pMinimize
                            : m_nFrameMode == 3 ? m_pNormal
                            : m_nFrameMode == 4 ? m_pFixed
                                                : m_pMaximize;
    checked->setChecked(true);
}

bool CMainFrameDlg::DoDataExchange(bool save)
{
    Ddx dx(this, save);
    dx.check(m_pSaveOnExit, m_bSaveOnExit);
    dx.text(m_pLeft, m_nLeft).text(m_pTop, m_nTop).text(m_pRight, m_nRight).text(m_pBottom, m_nBottom);
    return dx.ok();
}

// What a field holds when it is disabled stays there, and is still checked on OK.
void CMainFrameDlg::EnableControls(int32_t mode)
{
    m_pSaveOnExit->setEnabled(mode == 3);
    for (QLineEdit *edit : {m_pLeft, m_pTop, m_pRight, m_pBottom})
        edit->setEnabled(mode == 4);
}

void CMainFrameDlg::OnOK()
{
    if (!DoDataExchange(true))
        return;
    m_nFrameMode = m_pMinimize->isChecked() ? 2
                   : m_pNormal->isChecked() ? 3
                   : m_pFixed->isChecked()  ? 4
                                            : 1;
    QDialog::accept();
}
