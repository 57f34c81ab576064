// The pick list in an editor view: where it opens, how a name is chosen, what the view gets;
// and the view's commands that open the registration and edit dialogs.
#include "pkl_helper.h"
#include "../texteventlog.h"

#include "editor/nyoview.h"
#include "editor/snippetcommands.h"
#include "pkl/pkllistbox.h"
#include "platform/base/profile.h"
#include "res/resource.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace PklHelper;
using namespace Qt::StringLiterals;

class TestPklPick : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOView> m_view;
private slots:
    void initTestCase() { useFreshSettings(); }
    void cleanup() { m_view.reset(); }
    void init()
    {
        recordBoxes();
        m_view = std::make_unique<CNYOView>();
        m_view->setGeometry(100, 100, 400, 300);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    // The line height is the stored height in twips at 96 dots per inch, truncated; the way a
    // stored number is read is the settings store's.
    void popupOpensOneLineBelowTheCharacter_data()
    {
        QTest::addColumn<QString>("yHeight");  // as stored; "-" for none
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<bool>("nearScreenBottom");
        QTest::newRow("200 twips") << "200" << 13 << false;
        QTest::newRow("not stored") << "-" << 0 << false;
        QTest::newRow("off the screen, not pulled back") << "240" << 16 << true;
    }
    void popupOpensOneLineBelowTheCharacter()
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
        // Where the character is on the screen, less the view's frame around its client area.
        const QPoint frame = m_view->viewport()->pos();
        QVERIFY(frame.x() > 0 && frame.y() > 0);
        const QPoint expected = m_view->viewport()->mapToGlobal(m_view->cursorRect(14).topLeft()) - frame;
        QRect popup;
        QStringList listed;
        onModal([&popup, &listed](QWidget *modal) {
            popup = modal->frameGeometry();
            listed = items(child<PklListBox>(modal, u"1018"_s));
        });
        QVERIFY(m_view->OnCmdMsg(ID_PKL_PICK, nullptr));
        QCOMPARE(popup.topLeft(), expected + QPoint(0, lineHeight));
        QCOMPARE(listed, (QStringList{"a", "b"}));
        QVERIFY(!nearScreenBottom || popup.bottom() > screen.bottom());
    }

    // Steps in the open list: "down", "enter", "escape", "type X", "click NAME", "dblclick NAME",
    // "remove NAME" (the entry's file goes, as another program might take it). Before, the view
    // holds "xyz", or "xyz" typed for "undo" (which follows the pick and takes nothing back).
    void chosenEntryReplacesTheSelection_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selEnd");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("text");  // the view's afterwards, breaks as '\n'
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("lastPicked");
        const QString ab = u"a=AAA|b=BBB"_s;
        QTest::newRow("Down, Enter: at the caret") << ab << 1 << 1 << "down|enter" << "xAAAyz" << 4 << "a";
        QTest::newRow("selection replaced") << ab << 0 << 2 << "down|down|enter" << "BBBz" << 3 << "b";
        QTest::newRow("double-click") << ab << 1 << 1 << "dblclick b" << "xBBByz" << 4 << "b";
        QTest::newRow("type-ahead") << ab << 3 << 3 << "type b|enter" << "xyzBBB" << 6 << "b";
        QTest::newRow("not undone") << ab << 3 << 3 << "down|enter|undo" << "xyzAAA" << 6 << "a";
        QTest::newRow("click, Escape: nothing") << ab << 1 << 2 << "click a|escape" << "xyz" << 2 << "";
        QTest::newRow("Enter with nothing selected") << ab << 1 << 1 << "enter" << "xyz" << 1 << "";
        QTest::newRow("no key folder") << "-" << 1 << 1 << "down|enter" << "xyz" << 1 << "";
        QTest::newRow("several lines, CR LF or LF") << "m=1\r\n2\n3" << 1 << 1 << "down|enter" << "x1\n2\n3yz" << 6 << "m";
        QTest::newRow("empty entry still replaces") << "e=" << 0 << 2 << "down|enter" << "z" << 0 << "e";
        QTest::newRow("entry gone before it is read") << ab << 1 << 1 << "down|remove a|enter" << "xyz" << 1 << "a";
        QTest::newRow("Shift-JIS name") << "%82%A0=sj|b=BBB" << 1 << 1 << "down|down|enter" << "xsjyz" << 3 << "あ";
        QTest::newRow("FIFO: nothing, at once") << "f*|b=BBB" << 1 << 1 << "down|down|enter" << "xyz" << 1 << "f";
    }
    void chosenEntryReplacesTheSelection()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, steps);
        QFETCH(int, selStart);
        QFETCH(int, selEnd);
        KeyFolder key;
        key.setUp(setUp);
        const bool undo = steps.endsWith(u"|undo");
        m_view->setFocus();
        if (undo)
            QTest::keyClicks(m_view.get(), u"xyz"_s);
        else
            m_view->ReplaceSel(u"xyz"_s);
        m_view->SetSel(selStart, selEnd);
        bool closed = false;  // by the steps themselves
        onModal([&key, &closed, steps](QWidget *modal) {
            auto *list = child<PklListBox>(modal, u"1018"_s);
            for (const QString &step : steps.split(u'|')) {
                const QString verb = step.section(u' ', 0, 0), arg = step.section(u' ', 1);
                if (verb == u"down" || verb == u"enter" || verb == u"escape")
                    QTest::keyClick(list, verb == u"down" ? Qt::Key_Down : verb == u"enter" ? Qt::Key_Return : Qt::Key_Escape);
                else if (verb == u"type")
                    QTest::keyClicks(list, arg);
                else if (verb == u"remove")
                    QFile::remove(key.path() + arg);
                else if (verb.endsWith(u"click"))
                    clickItem(list, arg, verb == u"dblclick");
            }
            closed = !modal->isVisible();
        });
        QVERIFY(m_view->OnCmdMsg(ID_PKL_PICK, nullptr));
        QVERIFY(closed);
        QVERIFY(!undo || (m_view->GetModify() && m_view->OnCmdMsg(ID_EDIT_UNDO, nullptr)));
        QTEST(m_view->toPlainText(), "text");
        QTEST(int(m_view->position()), "caret");
        QTEST(m_view->Snippets()->LastPickedName(), "lastPicked");
        QVERIFY(!key.unblocked());
    }

    // The entry chosen is told to a screen reader as the text that replaced the selection.
    void chosenEntryIsToldToAScreenReader_data()
    {
        QTest::addColumn<int>("selStart");
        QTest::addColumn<int>("selEnd");
        QTest::addColumn<QString>("told");
        QTest::newRow("at the caret") << 1 << 1 << u"insert 1 \"AAA\""_s;
        QTest::newRow("over a selection") << 0 << 2 << u"update 0 \"xy\" \"AAA\""_s;
    }
    void chosenEntryIsToldToAScreenReader()
    {
        QFETCH(int, selStart);
        QFETCH(int, selEnd);
        KeyFolder key;
        key.setUp(u"a=AAA|b=BBB"_s);
        m_view->ReplaceSel(u"xyz"_s);
        m_view->SetSel(selStart, selEnd);
        onModal([](QWidget *modal) {
            auto *list = child<PklListBox>(modal, u"1018"_s);
            QTest::keyClick(list, Qt::Key_Down);
            QTest::keyClick(list, Qt::Key_Return);
        });
        TextEventLog log(m_view.get());
        QVERIFY(m_view->OnCmdMsg(ID_PKL_PICK, nullptr));
        QFETCH(QString, told);
        QCOMPARE(log.takeChanges(), QStringList{told});
    }

    // OK in the dialog the command opens: the selection registered as "new", or the edit
    // dialog closed.
    void commandsOpenTheirDialogs_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("selStart");
        QTest::addColumn<QString>("shows");  // the text field, or the list
        QTest::addColumn<QString>("bytes");  // of the entry "new" afterwards
        QTest::newRow("register the selection") << ID_PKL_REGISTER << 0 << "one\ntwo" << "one\r\ntwo";
        QTest::newRow("register without a selection") << ID_PKL_REGISTER << 7 << "" << "";
        QTest::newRow("edit") << ID_PKL_EDIT << 0 << "a" << "<none>";
    }
    void commandsOpenTheirDialogs()
    {
        QFETCH(int, command);
        QFETCH(int, selStart);
        KeyFolder key;
        key.setUp(u"a=1"_s);
        m_view->ReplaceSel(u"one\r\ntwo"_s);
        m_view->SetSel(selStart, 7);
        QString shows;
        onModal([&shows](QWidget *modal) {
            if (auto *list = modal->findChild<PklListBox *>(u"1018"_s)) {
                shows = items(list).join(u',');
            } else {
                shows = child<QPlainTextEdit>(modal, u"1009"_s)->toPlainText();
                child<QLineEdit>(modal, u"1002"_s)->setText(u"new"_s);
            }
            child<QPushButton>(modal, u"IDOK"_s)->click();
        });
        QVERIFY(m_view->OnCmdMsg(command, nullptr));
        QTEST(shows, "shows");
        QFETCH(QString, bytes);
        QCOMPARE(key.bytes(u"new"_s), unescape(bytes));
        QCOMPARE(key.bytes(u"a"_s), QByteArray("1"));
    }
};

QTEST_MAIN(TestPklPick)
#include "tst_pklpick.moc"
