// The message box as the user sees it: caption, button labels, and which answer each gives.
#include "platform/dialogs/msgbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class TestMsgBox : public QObject {
    Q_OBJECT
private slots:
    void answersFollowTheButtonPressed_data();
    void answersFollowTheButtonPressed();
    void escapeMeansCancelWhereThereIsOne();
    void enterTakesTheDefault_data();
    void enterTakesTheDefault();
};

namespace {
// Presses the button labelled `label` (Escape when empty, Enter for "<Enter>") on the next box,
// after noting what the box shows.
void pressOnNextBox(const QString &label, QString *caption, QStringList *buttons)
{
    QTimer::singleShot(0, [=] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            pressOnNextBox(label, caption, buttons);
            return;
        }
        *caption = box->windowTitle();
        for (QAbstractButton *b : box->buttons())
            buttons->append(b->text());
        if (label.isEmpty() || label == QLatin1String("<Enter>")) {
            QTest::keyClick(box, label.isEmpty() ? Qt::Key_Escape : Qt::Key_Return);
            return;
        }
        for (QAbstractButton *b : box->buttons())
            if (b->text() == label)
                b->click();
    });
}
} // namespace

void TestMsgBox::answersFollowTheButtonPressed_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<QString>("press");
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << int(MsgBox::Buttons::Ok) << QStringLiteral("OK") << int(MsgBox::IDOK);
    QTest::newRow("yes") << int(MsgBox::Buttons::YesNoCancel) << QStringLiteral("はい(&Y)") << int(MsgBox::IDYES);
    QTest::newRow("no") << int(MsgBox::Buttons::YesNoCancel) << QStringLiteral("いいえ(&N)") << int(MsgBox::IDNO);
    QTest::newRow("cancel") << int(MsgBox::Buttons::YesNoCancel) << QStringLiteral("キャンセル") << int(MsgBox::IDCANCEL);
    QTest::newRow("ok of two") << int(MsgBox::Buttons::OkCancel) << QStringLiteral("OK") << int(MsgBox::IDOK);
}

void TestMsgBox::answersFollowTheButtonPressed()
{
    QFETCH(int, buttons);
    QFETCH(QString, press);
    QFETCH(int, result);
    QString caption;
    QStringList labels;
    pressOnNextBox(press, &caption, &labels);
    QCOMPARE(MsgBox::show(nullptr, QStringLiteral("本文"), QString(), MsgBox::Buttons(buttons),
                          MsgBox::Icon::Question),
             result);
    QCOMPARE(caption, QStringLiteral("NYO"));
    QVERIFY(labels.contains(press));
}

void TestMsgBox::escapeMeansCancelWhereThereIsOne()
{
    QString caption;
    QStringList labels;
    pressOnNextBox(QString(), &caption, &labels);
    QCOMPARE(MsgBox::show(nullptr, QStringLiteral("本文"), QStringLiteral("確認"), MsgBox::Buttons::YesNoCancel,
                          MsgBox::Icon::Question),
             int(MsgBox::IDCANCEL));
    QCOMPARE(caption, QStringLiteral("確認"));
    QCOMPARE(labels.size(), 3);
}

// Enter answers with the default button: No where Yes could not be undone.
void TestMsgBox::enterTakesTheDefault_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("result");
    QTest::newRow("yes or no") << int(MsgBox::Buttons::YesNo) << int(MsgBox::IDYES);
    QTest::newRow("yes or no, no the default") << int(MsgBox::Buttons::YesNoDefaultNo) << int(MsgBox::IDNO);
    QTest::newRow("ok or cancel") << int(MsgBox::Buttons::OkCancel) << int(MsgBox::IDOK);
}

void TestMsgBox::enterTakesTheDefault()
{
    QFETCH(int, buttons);
    QString caption;
    QStringList labels;
    pressOnNextBox(QStringLiteral("<Enter>"), &caption, &labels);
    QTEST(MsgBox::show(nullptr, QStringLiteral("本文"), QString(), MsgBox::Buttons(buttons), MsgBox::Icon::Question),
          "result");
}

QTEST_MAIN(TestMsgBox)
#include "tst_msgbox.moc"
