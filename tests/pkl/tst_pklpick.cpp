// The pick list in an editor view: where it opens, how a name is chosen, what the view gets;
// and the view's commands that open the registration and edit dialogs.
#include "pkl_helper.h"

#include "editor/nyoview.h"
#include "pkl/pkleditdlg.h"
#include "pkl/pkllistbox.h"
#include "pkl/pklpickdlg.h"
#include "pkl/pklregisterdlg.h"
#include "platform/profile.h"
#include "res/resource.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace PklHelper;
using namespace Qt::StringLiterals;

namespace {

PklListBox *listOf(QWidget *popup)
{
    auto *list = popup->findChild<PklListBox *>(u"1018"_s);
    if (!list)
        qFatal("no list");
    return list;
}

// Steps in the open list: "down", "enter", "escape", "type X", "click NAME", "dblclick NAME",
// "remove NAME" (the entry's file goes, as another program might take it).
void play(QWidget *popup, const QStringList &steps, KeyFolder &key)
{
    PklListBox *list = listOf(popup);
    for (const QString &step : steps) {
        const QString verb = step.section(u' ', 0, 0);
        const QString arg = step.section(u' ', 1);
        if (verb == u"down")
            QTest::keyClick(list, Qt::Key_Down);
        else if (verb == u"enter")
            QTest::keyClick(list, Qt::Key_Return);
        else if (verb == u"escape")
            QTest::keyClick(list, Qt::Key_Escape);
        else if (verb == u"type")
            QTest::keyClicks(list, arg);
        else if (verb == u"remove")
            QFile::remove(key.path() + arg);
        else {
            const QPoint at = list->visualItemRect(list->findItems(arg, Qt::MatchExactly).value(0)).center();
            if (verb == u"click")
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            else
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        }
    }
}

} // namespace

class TestPklPick : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void popupOpensOneLineBelowTheCharacter_data();
    void popupOpensOneLineBelowTheCharacter();
    void chosenEntryReplacesTheSelection_data();
    void chosenEntryReplacesTheSelection();
    void undoDoesNotTakeThePickBack();
    void commandsOpenTheirDialogs_data();
    void commandsOpenTheirDialogs();

private:
    std::unique_ptr<CNYOView> m_view;
};

void TestPklPick::initTestCase()
{
    useFreshSettings();
}

void TestPklPick::init()
{
    recordBoxes();
    m_view = std::make_unique<CNYOView>();
    m_view->resize(400, 300);
    m_view->move(100, 100);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestPklPick::cleanup()
{
    m_view.reset();
}

void TestPklPick::popupOpensOneLineBelowTheCharacter_data()
{
    QTest::addColumn<QString>("yHeight");  // as stored; "-" for none
    QTest::addColumn<int>("lineHeight");
    QTest::addColumn<bool>("nearScreenBottom");
    QTest::newRow("200 twips") << "200" << 13 << false;
    QTest::newRow("240 twips") << "240" << 16 << false;
    QTest::newRow("leading digits") << "300pt" << 20 << false;
    QTest::newRow("not stored") << "-" << 0 << false;
    QTest::newRow("not a number") << "abc" << 0 << false;
    QTest::newRow("off the screen, not pulled back") << "240" << 16 << true;
}

void TestPklPick::popupOpensOneLineBelowTheCharacter()
{
    QFETCH(QString, yHeight);
    QFETCH(int, lineHeight);
    QFETCH(bool, nearScreenBottom);
    KeyFolder key;
    key.setUp(u"b=2|a=1"_s);
    if (yHeight == u"-")
        Profile::DeleteProfileValue(u"FONT"_s, u"yHeight"_s);
    else
        Profile::WriteProfileString(u"FONT"_s, u"yHeight"_s, yHeight);
    const QRect screen = m_view->screen()->geometry();
    if (nearScreenBottom)
        m_view->move(100, screen.bottom() - 40);  // the second line is near the bottom edge
    m_view->ReplaceSel(u"first line\r\nsecond line\r\nthird"_s);
    m_view->SetSel(14, 20);  // in the second line
    QApplication::processEvents();

    // Where the character is on the screen, and the view's frame around its client area.
    const QPoint character = m_view->viewport()->mapToGlobal(m_view->cursorRect(14).topLeft());
    const QPoint frame = m_view->viewport()->pos();
    QVERIFY(frame.x() > 0 && frame.y() > 0);
    QRect popup;
    QStringList listed;
    onModal([&popup, &listed](QWidget *modal) {
        popup = modal->frameGeometry();
        for (int row = 0; row < listOf(modal)->count(); ++row)
            listed.append(listOf(modal)->item(row)->text());
        QTest::keyClick(listOf(modal), Qt::Key_Escape);
    });
    QVERIFY(m_view->OnCmdMsg(ID_PKL_PICK, nullptr));
    QCOMPARE(popup.topLeft(), character - frame + QPoint(0, lineHeight));
    QCOMPARE(listed, (QStringList{"a", "b"}));
    if (nearScreenBottom)
        QVERIFY(popup.bottom() > screen.bottom());
}

void TestPklPick::chosenEntryReplacesTheSelection_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selEnd");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("text");        // the view's afterwards, breaks as '\n'
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("lastPicked");
    const QString entries = u"a=AAA|b=BBB"_s;
    QTest::newRow("Down, Enter: at the caret") << entries << 1 << 1 << "down|enter" << "xAAAyz" << 4 << "a";
    QTest::newRow("selection replaced") << entries << 0 << 2 << "down|down|enter" << "BBBz" << 3 << "b";
    QTest::newRow("double-click") << entries << 1 << 1 << "dblclick b" << "xBBByz" << 4 << "b";
    QTest::newRow("type-ahead") << entries << 3 << 3 << "type b|enter" << "xyzBBB" << 6 << "b";
    QTest::newRow("click, Escape: nothing") << entries << 1 << 2 << "click a|escape" << "xyz" << 2 << "";
    QTest::newRow("Enter with nothing selected") << entries << 1 << 1 << "enter" << "xyz" << 1 << "";
    QTest::newRow("empty key folder") << "" << 1 << 1 << "down|enter" << "xyz" << 1 << "";
    QTest::newRow("no key folder") << "-" << 1 << 1 << "down|enter" << "xyz" << 1 << "";
    QTest::newRow("several lines, CR LF or LF") << u"m=1\\r\\n2\\n3"_s << 1 << 1 << "down|enter" << "x1\n2\n3yz"
                                                << 6 << "m";
    QTest::newRow("empty entry still replaces") << u"e="_s << 0 << 2 << "down|enter" << "z" << 0 << "e";
    QTest::newRow("sub-folder: nothing") << u"sub/"_s << 0 << 2 << "down|enter" << "xyz" << 2 << "sub";
    QTest::newRow("entry gone before it is read") << entries << 1 << 1 << "down|remove a|enter" << "xyz" << 1 << "a";
}

void TestPklPick::chosenEntryReplacesTheSelection()
{
    QFETCH(QString, setUp);
    QFETCH(int, selStart);
    QFETCH(int, selEnd);
    QFETCH(QString, steps);
    KeyFolder key;
    if (setUp == u"-")
        key.remove();
    else
        key.setUp(setUp);
    m_view->ReplaceSel(u"xyz"_s);
    m_view->SetSel(selStart, selEnd);

    onModal([&key, steps](QWidget *modal) { play(modal, steps.split(u'|'), key); });
    QVERIFY(m_view->OnCmdMsg(ID_PKL_PICK, nullptr));
    QTEST(m_view->toPlainText(), "text");
    QTEST(int(m_view->position()), "caret");
    QTEST(m_view->LastPickedName(), "lastPicked");
    QVERIFY(!QApplication::activeModalWidget());
}

void TestPklPick::undoDoesNotTakeThePickBack()
{
    KeyFolder key;
    key.setUp(u"a=AAA"_s);
    m_view->setFocus();
    QTest::keyClicks(m_view.get(), u"abc"_s);
    onModal([&key](QWidget *modal) { play(modal, {u"down"_s, u"enter"_s}, key); });
    QVERIFY(m_view->OnCmdMsg(ID_PKL_PICK, nullptr));
    QCOMPARE(m_view->toPlainText(), u"abcAAA"_s);
    QVERIFY(m_view->GetModify());
    QVERIFY(m_view->OnCmdMsg(ID_EDIT_UNDO, nullptr));
    QCOMPARE(m_view->toPlainText(), u"abcAAA"_s);
}

void TestPklPick::commandsOpenTheirDialogs_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("shows");    // the text field, or the list
    QTest::addColumn<QStringList>("names");  // in the key folder after OK
    QTest::addColumn<QString>("bytes");    // of the entry "new"
    QTest::newRow("register the selection") << ID_PKL_REGISTER << 0 << "Paste Key List 登録" << "one\ntwo"
                                            << QStringList{"a", "new"} << "one\\r\\ntwo";
    QTest::newRow("register without a selection") << ID_PKL_REGISTER << 7 << "Paste Key List 登録" << ""
                                                   << QStringList{"a", "new"} << "";
    QTest::newRow("edit") << ID_PKL_EDIT << 0 << "Paste Key List 編集" << "a" << QStringList{"a"} << "<none>";
}

void TestPklPick::commandsOpenTheirDialogs()
{
    QFETCH(int, command);
    QFETCH(int, selStart);
    KeyFolder key;
    key.setUp(u"a=1"_s);
    m_view->ReplaceSel(u"one\r\ntwo"_s);
    m_view->SetSel(selStart, 7);

    QString title;
    QString shows;
    onModal([&title, &shows](QWidget *modal) {
        title = modal->windowTitle();
        if (auto *list = modal->findChild<PklListBox *>(u"1018"_s)) {
            shows = list->item(0)->text();
        } else {
            shows = modal->findChild<QPlainTextEdit *>(u"1009"_s)->toPlainText();
            modal->findChild<QLineEdit *>(u"1002"_s)->setText(u"new"_s);
        }
        modal->findChild<QPushButton *>(u"IDOK"_s)->click();
    });
    QVERIFY(m_view->OnCmdMsg(command, nullptr));
    QTEST(title, "title");
    QTEST(shows, "shows");
    QTEST(key.names(), "names");
    QFETCH(QString, bytes);
    QCOMPARE(key.bytes(u"new"_s), unescape(bytes));
}

QTEST_MAIN(TestPklPick)
#include "tst_pklpick.moc"
