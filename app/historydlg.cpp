#include "app/historydlg.h"

#include "platform/ddx.h"
#include "platform/dialogunits.h"
#include "settings/keyindex.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

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

// Controls are made in the template's order, which is also their tab order.
CHistoryDlg::CHistoryDlg(QWidget *parent) : QDialog(parent)
{
    // A modal dialog frame with caption and system menu: no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("設定－覆歴"));
    setFont(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const DialogUnits du(font());
    du.sizeDialog(this, 163, 93);

    auto *ok = addControl<QPushButton>(this, du, QStringLiteral("IDOK"), QStringLiteral("OK"), 110, 10, 45, 20);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto *cancel = addControl<QPushButton>(this, du, QStringLiteral("IDCANCEL"), QStringLiteral("ｷｬﾝｾﾙ"), 110, 40, 45, 20);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    addControl<QGroupBox>(this, du, QString(), QStringLiteral("最近使ったファイルの数"), 5, 5, 100, 80);
    addControl<QLabel>(this, du, QString(), QStringLiteral("０～１０の数を入力して下さい"), 15, 25, 84, 8)
        ->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_pCount = addControl<QLineEdit>(this, du, QStringLiteral("1002"), QString(), 35, 50, 35, 14);
}

void CHistoryDlg::setVisible(bool visible)
{
    if (visible && !m_bInitialized) {
        m_bInitialized = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
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
