#include "app/mainframedlg.h"

#include "platform/ddx.h"
#include "platform/dialogunits.h"
#include "settings/keyindex.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// A control of the template at its rectangle, named by its id.
template <class Control>
Control *addControl(QDialog *dlg, const DialogUnits &du, const QString &id, const QString &text,
                    int x, int y, int w, int h)
{
    auto *control = new Control(text, dlg);
    control->setObjectName(id);
    du.place(control, x, y, w, h);
    return control;
}

void addLabel(QDialog *dlg, const DialogUnits &du, const QString &text, int x, int y, int w, int h)
{
    addControl<QLabel>(dlg, du, QString(), text, x, y, w, h)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

} // namespace

// Controls are made in the template's order, which is also their tab order. The radio
// buttons are children of the dialog, not of the group box, so they form one exclusive group
// and sit at the template's dialog coordinates.
CMainFrameDlg::CMainFrameDlg(QWidget *parent) : QDialog(parent)
{
    // A modal dialog frame with caption and system menu: no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("設定－親フレーム"));
    setFont(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const DialogUnits du(font());
    du.sizeDialog(this, 279, 185);

    auto *ok = addControl<QPushButton>(this, du, QStringLiteral("IDOK"), QStringLiteral("OK"), 220, 15, 50, 20);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *cancel = addControl<QPushButton>(this, du, QStringLiteral("IDCANCEL"), QStringLiteral("ｷｬﾝｾﾙ"), 220, 45, 50, 20);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    addControl<QGroupBox>(this, du, QString(), QStringLiteral("起動時の親フレームの状態"), 5, 5, 205, 170);
    m_pMaximize = addControl<QRadioButton>(this, du, QStringLiteral("1000"), QStringLiteral("最大化"), 15, 25, 37, 10);
    m_pMinimize = addControl<QRadioButton>(this, du, QStringLiteral("1001"), QStringLiteral("最小化"), 15, 45, 37, 10);
    m_pNormal = addControl<QRadioButton>(this, du, QStringLiteral("1006"), QStringLiteral("通常"), 15, 65, 30, 10);
    m_pSaveOnExit = addControl<QCheckBox>(this, du, QStringLiteral("1008"), QStringLiteral("終了時の設定を保存"), 25, 85, 77, 10);
    m_pFixed = addControl<QRadioButton>(this, du, QStringLiteral("1007"), QStringLiteral("固定"), 15, 105, 30, 10);
    addLabel(this, du, QStringLiteral("ウィンドウ位置Ｘ"), 20, 125, 47, 8);
    m_pLeft = addControl<QLineEdit>(this, du, QStringLiteral("1002"), QString(), 70, 120, 30, 14);
    addLabel(this, du, QStringLiteral("ウィンドウ位置Ｙ"), 110, 125, 47, 8);
    m_pTop = addControl<QLineEdit>(this, du, QStringLiteral("1009"), QString(), 160, 120, 30, 14);
    addLabel(this, du, QStringLiteral("サイズＸ"), 20, 150, 25, 8);
    m_pRight = addControl<QLineEdit>(this, du, QStringLiteral("1010"), QString(), 70, 145, 30, 14);
    addLabel(this, du, QStringLiteral("サイズＹ"), 110, 150, 25, 8);
    m_pBottom = addControl<QLineEdit>(this, du, QStringLiteral("1011"), QString(), 160, 145, 30, 14);

    // A click applies the rule even on the button already set, as the platform notifies it.
    connect(m_pMaximize, &QRadioButton::clicked, this, [this] { EnableControls(1); });
    connect(m_pMinimize, &QRadioButton::clicked, this, [this] { EnableControls(2); });
    connect(m_pNormal, &QRadioButton::clicked, this, [this] { EnableControls(3); });
    connect(m_pFixed, &QRadioButton::clicked, this, [this] { EnableControls(4); });
}

void CMainFrameDlg::setVisible(bool visible)
{
    if (visible && !m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
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
