// The About box: its texts, its layout from the dialog template, and OK.
#include "app/aboutdlg.h"
#include "platform/dialogs/dialogunits.h"
#include "res/resources.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class TestAboutDlg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void textsAndLayout();
    void okCloses();
};

void TestAboutDlg::initTestCase()
{
    DialogUnits::installFontSubstitutions();
}

void TestAboutDlg::textsAndLayout()
{
    CAboutDlg dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    QCOMPARE(dlg.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    QCOMPARE(dlg.font().pointSize(), 9);
    const DialogUnits du(dlg.font());
    QCOMPARE(dlg.size(), du.toPixels(QSize(235, 119)));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());

    // Each text at its template rectangle.
    const struct {
        QString text;
        QRect rect;
    } texts[] = {
        {QStringLiteral("NYO Version 1.23"), {55, 27, 90, 8}},
        {QStringLiteral("Shift-JIS テキストエディタ"), {55, 43, 103, 8}},
        {QStringLiteral("URL : https://hoshikage.example/nyo/"), {54, 67, 159, 10}},
        {QStringLiteral("Mail : nyo@hoshikage.example"), {54, 81, 142, 10}},
    };
    const QList<QLabel *> labels = dlg.findChildren<QLabel *>();
    for (const auto &t : texts) {
        QLabel *found = nullptr;
        for (QLabel *l : labels) {
            if (l->text() == t.text)
                found = l;
        }
        QVERIFY2(found, qPrintable(t.text));
        QCOMPARE(found->geometry(), du.toPixels(t.rect));
    }

    auto *icon = dlg.findChild<QLabel *>(QStringLiteral("programIcon"));
    QVERIFY(icon);
    QCOMPARE(icon->geometry(), du.toPixels(QRect(18, 45, 20, 20)));
    if (!Res::icon(128).isNull())
        QVERIFY(!icon->pixmap().isNull());

    const QList<QPushButton *> buttons = dlg.findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
    QVERIFY(buttons[0]->isDefault());
    QCOMPARE(buttons[0]->geometry(), du.toPixels(QRect(177, 23, 41, 24)));
}

void TestAboutDlg::okCloses()
{
    CAboutDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.findChild<QPushButton *>()->click();
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));

    // Enter presses the default button.
    CAboutDlg again;
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QTest::keyClick(&again, Qt::Key_Return);
    QVERIFY(!again.isVisible());
    QCOMPARE(again.result(), int(QDialog::Accepted));
}

QTEST_MAIN(TestAboutDlg)
#include "tst_aboutdlg.moc"
