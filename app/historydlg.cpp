#include "app/historydlg.h"

#include "platform/framework/ddx.h"
#include "settings/keyindex.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

// Controls are made in the template's order, which is also their tab order.
CHistoryDlg::CHistoryDlg(QWidget *parent) : TemplateDialog(parent)
{
    SetTemplate(QStringLiteral("設定－覆歴"), 163, 93);

    AddOkCancel(110, 10, 110, 40, 45, 20);

    AddGroupBox(QStringLiteral("最近使ったファイルの数"), 5, 5, 100, 80);
    AddLabel(QStringLiteral("０～１０の数を入力して下さい"), 15, 25, 84, 8);
    m_pCount = AddControl<QLineEdit>(QStringLiteral("1002"), QString(), 35, 50, 35, 14);
}

// A stored count outside 0 to 10 is shown as it is; only OK checks the range.
void CHistoryDlg::OnInitDialog()
{
    m_nRecentCount = Keys::LSPS.read();
    DoDataExchange(false);
    // A number wider than the field shows from its first digit, as the platform's edit does.
    m_pCount->home(false);
}

bool CHistoryDlg::DoDataExchange(bool save)
{
    Ddx dx(this, save);
    dx.text(m_pCount, m_nRecentCount).minMaxInt(m_nRecentCount, 0, 10);
    return dx.ok();
}

void CHistoryDlg::OnOK()
{
    if (DoDataExchange(true))
        QDialog::accept();
}
