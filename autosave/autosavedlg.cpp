#include "autosave/autosavedlg.h"

#include "platform/dialogs/colordialog.h"
#include "platform/base/colorref.h"
#include "platform/framework/ddx.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/winapp.h"
#include "settings/keyindex.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>

namespace {
// Made without an owner, as its command makes it, the dialog belongs to the main window, as the
// framework gives any dialog without one: it opens over that window and stays above it, also
// when the main window is kept on top of others.
QWidget *OwnerOrMainWindow(QWidget *parent)
{
    if (parent)
        return parent;
    WinApp *app = WinApp::Get();
    return app ? app->GetMainWnd() : nullptr;
}
} // namespace

CAutoSaveDlg::CAutoSaveDlg(QWidget *parent) : TemplateDialog(OwnerOrMainWindow(parent))
{
    CreateControls();
    LoadSettings();
}

// The controls in template order, so that the tab order is the template's.
void CAutoSaveDlg::CreateControls()
{
    SetTemplate(QStringLiteral("設定－自動保存"), 238, 159);
    AddOkCancel(180, 15, 180, 45, 50, 20);
    AddGroupBox(QStringLiteral("自動保存の設定"), 5, 5, 165, 145);
    m_off = AddControl<QRadioButton>(QStringLiteral("1000"), QStringLiteral("自動保存機能を使用しない"), 15, 25, 94, 10);
    m_on = AddControl<QRadioButton>(QStringLiteral("1001"), QStringLiteral("自動保存機能を使用する"), 15, 45, 89, 10);
    m_interval = AddControl<QLineEdit>(QStringLiteral("1002"), QString(), 110, 60, 35, 14);
    m_notify = AddControl<QCheckBox>(QStringLiteral("1008"), QStringLiteral("時間になると知らせる"), 25, 85, 78, 10);
    m_colorChange = AddControl<QCheckBox>(QStringLiteral("1020"), QStringLiteral("設定時間の？秒前になると背景色を変える"),
                                          25, 105, 139, 10);
    AddLabel(QStringLiteral("？＝"), 105, 130, 15, 8);
    m_lead = AddControl<QLineEdit>(QStringLiteral("1009"), QString(), 125, 125, 30, 14);
    AddLabel(QStringLiteral("何秒間隔に保存するか"), 25, 65, 68, 8);
    AddLabel(QStringLiteral("秒"), 150, 65, 8, 8);
    m_backColor = AddControl<QPushButton>(QStringLiteral("1021"), QStringLiteral("背景色"), 55, 125, 35, 15);
    // The radio buttons have no tab stop in the template.
    m_off->setFocusPolicy(Qt::ClickFocus);
    m_on->setFocusPolicy(Qt::ClickFocus);

    connect(m_off, &QRadioButton::clicked, this, &CAutoSaveDlg::OnUseOff);
    connect(m_on, &QRadioButton::clicked, this, &CAutoSaveDlg::OnUseOn);
    connect(m_colorChange, &QCheckBox::clicked, this, &CAutoSaveDlg::OnColorChange);
    connect(m_backColor, &QPushButton::clicked, this, &CAutoSaveDlg::OnBackColor);
}

QString CAutoSaveDlg::IntervalMessage()
{
    return QStringLiteral("設定時間より小さい値を入力してください");
}

bool CAutoSaveDlg::DoDataExchange(bool save)
{
    Ddx dx(this, save);
    dx.text(m_interval, m_nInterval).minMaxUInt(m_nInterval, 1, 36000);
    dx.text(m_lead, m_nLead).minMaxUInt(m_nLead, 1, 60);
    dx.check(m_notify, m_bNotify);
    dx.check(m_colorChange, m_bColorChange);
    return dx.ok();
}

void CAutoSaveDlg::EnableModeFields(bool enable)
{
    m_interval->setEnabled(enable);
    m_notify->setEnabled(enable);
    m_colorChange->setEnabled(enable);
}

void CAutoSaveDlg::EnableColorFields(bool enable)
{
    m_lead->setEnabled(enable);
    m_backColor->setEnabled(enable);
}

void CAutoSaveDlg::LoadSettings()
{
    m_nSaveMode = Keys::Jidou.read();
    m_nInterval = uint32_t(Keys::Jidou1.read());
    m_nLead = uint32_t(Keys::Jidou2.read());
    m_bColorChange = Keys::Cch.read();
    if (m_nSaveMode == 1) {
        EnableModeFields(false);
        EnableColorFields(false);
        m_bNotify = 0;
    } else if (m_nSaveMode == 2 || m_nSaveMode == 3) {
        EnableModeFields(true);
        m_bNotify = m_nSaveMode == 3 ? 1 : 0;
    }
    EnableColorFields(m_bColorChange == 1 && m_nSaveMode != 1);
    DoDataExchange(false);
    // A number wider than its field shows from its first digit, as in the other dialogs.
    m_interval->home(false);
    m_lead->home(false);
    const bool on = m_nSaveMode == 2 || m_nSaveMode == 3;
    (on ? m_on : m_off)->setChecked(true);
    if (m_nSaveMode == 3)
        m_notify->setChecked(true);
    if (on && m_bColorChange == 1)
        m_colorChange->setChecked(true);
}

void CAutoSaveDlg::OnUseOff()
{
    EnableModeFields(false);
    EnableColorFields(false);
}

void CAutoSaveDlg::OnUseOn()
{
    EnableModeFields(true);
    OnColorChange();
}

// A failed check shows its message, and the enabling follows the check box all the same.
void CAutoSaveDlg::OnColorChange()
{
    DoDataExchange(true);
    EnableColorFields(m_colorChange->isChecked());
}

// The colour is written at once, whatever becomes of this dialog; the colour dialog starts
// on white, not on the stored colour. It belongs to this dialog, the last one opened over the
// main window, so it comes up over both.
void CAutoSaveDlg::OnBackColor()
{
    const std::optional<QColor> color = ColorDialog::Choose(QColor(Qt::white), this);
    if (color)
        Keys::JBK.write(int32_t(RefFromColor(*color)));
}

void CAutoSaveDlg::OnOK()
{
    if (!DoDataExchange(true))
        return;
    m_nSaveMode = !m_on->isChecked() ? 1 : m_notify->isChecked() ? 3 : 2;
    if (m_nInterval < m_nLead && m_bColorChange == 1 && m_nSaveMode != 1) {
        MsgBox::show(this, IntervalMessage(), QString(), MsgBox::Buttons::Ok, MsgBox::Icon::None);
        return;
    }
    QDialog::accept();
}
