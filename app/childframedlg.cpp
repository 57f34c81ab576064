#include "app/childframedlg.h"

#include "platform/dialogunits.h"
#include "settings/keyindex.h"

#include <QGroupBox>
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

} // namespace

// Controls are made in the template's order, which is also their tab order. The radio
// buttons are children of the dialog, not of the group box, so they form one exclusive group
// and sit at the template's dialog coordinates.
CChildFrameDlg::CChildFrameDlg(QWidget *parent) : QDialog(parent)
{
    // A modal dialog frame with caption and system menu: no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("設定－子フレーム"));
    setFont(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const DialogUnits du(font());
    du.sizeDialog(this, 187, 93);

    auto *ok = addControl<QPushButton>(this, du, QStringLiteral("IDOK"), QStringLiteral("OK"), 130, 7, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *cancel = addControl<QPushButton>(this, du, QStringLiteral("IDCANCEL"), QStringLiteral("ｷｬﾝｾﾙ"), 130, 24, 50, 14);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    addControl<QGroupBox>(this, du, QString(), QStringLiteral("新規作成時の子フレームの状態"), 13, 7, 110, 72);
    m_pMaximize = addControl<QRadioButton>(this, du, QStringLiteral("1003"), QStringLiteral("最大化"), 22, 21, 37, 10);
    m_pNormal = addControl<QRadioButton>(this, du, QStringLiteral("1004"), QStringLiteral("通常"), 22, 41, 30, 10);
    m_pMinimize = addControl<QRadioButton>(this, du, QStringLiteral("1005"), QStringLiteral("アイコン化"), 22, 60, 46, 10);
}

void CChildFrameDlg::setVisible(bool visible)
{
    if (visible && !m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
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
