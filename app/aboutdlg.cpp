#include "app/aboutdlg.h"

#include "platform/dialogunits.h"
#include "res/resources.h"
#include "res/webpage.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel *addText(QDialog *dlg, const DialogUnits &du, const QString &text, int x, int y, int w, int h)
{
    auto *label = new QLabel(text, dlg);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    du.place(label, x, y, w, h);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    const DialogUnits du(font());
    du.sizeDialog(this, 235, 119);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("programIcon"));
    du.place(icon, 18, 45, 20, 20);
    QIcon programIcon = Res::icon(IDR_MAINFRAME);
    if (programIcon.isNull())
        programIcon = QApplication::windowIcon();
    const int side = qMin(icon->width(), icon->height());
    icon->setPixmap(programIcon.pixmap(side, side));

    addText(this, du, QStringLiteral("NYO Version " NYO_VERSION), 55, 27, 90, 8);
    addText(this, du, QStringLiteral("Shift-JIS テキストエディタ"), 55, 43, 103, 8);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("IDOK"));
    ok->setDefault(true);
    du.place(ok, 177, 23, 41, 24);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    addText(this, du, QStringLiteral("URL : ") + Res::webPageAddress(), 54, 67, 159, 10);
    addText(this, du, QStringLiteral("Mail : nyo@hoshikage.example"), 54, 81, 142, 10);
    ok->setFocus();
}
