#include "app/aboutdlg.h"

#include "res/resources.h"
#include "res/webpage.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget *parent) : TemplateDialog(parent)
{
    SetTemplate(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), 235, 119);

    auto *icon = Place(new QLabel(this), QStringLiteral("programIcon"), 18, 45, 20, 20);
    QIcon programIcon = Res::icon(IDR_MAINFRAME);
    if (programIcon.isNull())
        programIcon = QApplication::windowIcon();
    const int side = qMin(icon->width(), icon->height());
    icon->setPixmap(programIcon.pixmap(side, side));

    AddLabel(QStringLiteral("NYO Version " NYO_VERSION), 55, 27, 90, 8);
    AddLabel(QStringLiteral("Shift-JIS テキストエディタ"), 55, 43, 103, 8);
    auto *ok = AddControl<QPushButton>(QStringLiteral("IDOK"), QStringLiteral("OK"), 177, 23, 41, 24);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    AddLabel(QStringLiteral("URL : ") + Res::webPageAddress(), 54, 67, 159, 10);
    AddLabel(QStringLiteral("Mail : nyo@hoshikage.example"), 54, 81, 142, 10);
    ok->setFocus();
}
