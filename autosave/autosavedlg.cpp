#include "autosave/autosavedlg.h"

#include "platform/colordialog.h"
#include "platform/colorref.h"
#include "platform/ddx.h"
#include "platform/dialogunits.h"
#include "platform/msgbox.h"
#include "settings/keyindex.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
template <typename W>
W *named(W *widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}
} // namespace

CAutoSaveDlg::CAutoSaveDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("設定－自動保存"));
    setFont(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    CreateControls();
    OnInitDialog();
}

// The controls in template order, so that the tab order is the template's.
void CAutoSaveDlg::CreateControls()
{
    const DialogUnits du(font());
    du.sizeDialog(this, 238, 159);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    du.place(ok, 180, 15, 50, 20);
    auto *cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    du.place(cancel, 180, 45, 50, 20);
    du.place(new QGroupBox(QStringLiteral("自動保存の設定"), this), 5, 5, 165, 145);
    m_off = named(new QRadioButton(QStringLiteral("自動保存機能を使用しない"), this), 1000);
    du.place(m_off, 15, 25, 94, 10);
    m_on = named(new QRadioButton(QStringLiteral("自動保存機能を使用する"), this), 1001);
    du.place(m_on, 15, 45, 89, 10);
    m_interval = named(new QLineEdit(this), 1002);
    du.place(m_interval, 110, 60, 35, 14);
    m_notify = named(new QCheckBox(QStringLiteral("時間になると知らせる"), this), 1008);
    du.place(m_notify, 25, 85, 78, 10);
    m_colorChange = named(new QCheckBox(QStringLiteral("設定時間の？秒前になると背景色を変える"), this), 1020);
    du.place(m_colorChange, 25, 105, 139, 10);
    du.place(new QLabel(QStringLiteral("？＝"), this), 105, 130, 15, 8);
    m_lead = named(new QLineEdit(this), 1009);
    du.place(m_lead, 125, 125, 30, 14);
    du.place(new QLabel(QStringLiteral("何秒間隔に保存するか"), this), 25, 65, 68, 8);
    du.place(new QLabel(QStringLiteral("秒"), this), 150, 65, 8, 8);
    m_backColor = named(new QPushButton(QStringLiteral("背景色"), this), 1021);
    du.place(m_backColor, 55, 125, 35, 15);
    // The radio buttons have no tab stop in the template.
    m_off->setFocusPolicy(Qt::ClickFocus);
    m_on->setFocusPolicy(Qt::ClickFocus);

    connect(ok, &QPushButton::clicked, this, &CAutoSaveDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
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

void CAutoSaveDlg::OnInitDialog()
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
// on white, not on the stored colour.
void CAutoSaveDlg::OnBackColor()
{
    const std::optional<QColor> color = ColorDialog::Choose(QColor(Qt::white), nullptr);
    if (color)
        Keys::JBK.write(int32_t(RefFromColor(*color)));
}

void CAutoSaveDlg::accept()
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
