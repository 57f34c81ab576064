#include "platform/dialogs/printprogressdialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

PrintProgressDialog::PrintProgressDialog(const QString &document, QWidget *parent)
    : QDialog(parent), m_pPage(new QLabel(this))
{
    setWindowTitle(QStringLiteral("印刷中"));
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    auto *name = new QLabel(document, this);
    name->setObjectName(QStringLiteral("document"));
    m_pPage->setObjectName(QStringLiteral("page"));
    auto *cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("IDCANCEL"));
    connect(cancel, &QPushButton::clicked, this, &PrintProgressDialog::reject);
    layout->addWidget(name);
    layout->addWidget(m_pPage);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
    SetPage(1);
}

void PrintProgressDialog::SetPage(int page)
{
    m_pPage->setText(QStringLiteral("%1 ページ目を印刷しています。").arg(page));
}

// The run sees the flag after the page it is printing; the window goes at once.
void PrintProgressDialog::reject()
{
    m_bCancelled = true;
    QDialog::reject();
}
