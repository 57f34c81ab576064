// The main window and its document windows: placement, the bars and always on top, moving
// between, hiding and showing windows, their show state, further windows of one document, the
// window list, and the status bar's prompts and states.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/dialogs/msgbox.h"
#include "platform/base/profile.h"
#include "res/resource.h"
#include "res/resources.h"
#include "settings/keyindex.h"

#include <QClipboard>
#include <QMap>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <climits>

using namespace AppHelper;
using States = Qt::WindowStates;

namespace {
// The document windows from the top of the stack down: a hidden one in brackets, the active
// one marked with '*'; "none" without any.
QString stack(CMainFrame *frame)
{
    QStringList titles;
    for (MDIChildWnd *child : frame->MDIChildrenByZOrder())
        titles.append((child == frame->MDIGetActive() ? "*" : "") + (child->isHidden() ? u'(' + child->windowTitle() + u')' : child->windowTitle()));
    return titles.isEmpty() ? QStringLiteral("none") : titles.join(u' ');
}

States shownState(QWidget *window) { return window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized); }

// The window list: the entries after the Window menu's last separator, as it shows them.
QList<QAction *> windowList(CMainFrame *frame)
{
    QMenu *menu = frame->Menus(IDR_NYOTYPE).at(6);
    emit menu->aboutToShow();
    QList<QAction *> entries;
    for (QAction *action : menu->actions())
        action->isSeparator() ? entries.clear() : entries.append(action);
    return entries;
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;
    bool run(int id) { return execute(m_app.get(), id); }

private slots:
    void init() { useFreshEnvironment(); }
    void cleanup() { stopApp(m_app); }

    // Closing maximised stores the normal rectangle: tst_x11 checks it with a window manager.
    void placementAcrossStarts_data()
    {
        QTest::addColumn<int>("mode");        // "WindowMode2", 0 for none stored
        QTest::addColumn<int>("saveOnExit");  // "WM3", -1 for none stored
        QTest::addColumn<QRect>("stored");    // null for no edges stored
        QTest::addColumn<bool>("restored");
        QTest::addColumn<States>("state");
        QTest::addColumn<bool>("saved");
        const QRect r(120, 70, 520, 380);
        const States normal = Qt::WindowNoState;
        QTest::newRow("nothing stored: 0,0,400,300") << 0 << -1 << QRect() << true << normal << true;
        QTest::newRow("normal, saved on exit") << 3 << 1 << r << true << normal << true;
        QTest::newRow("off the screen, as stored") << 3 << 1 << QRect(-900, 2000, 450, 320) << true << normal << true;
        QTest::newRow("normal, not saved") << 3 << 0 << r << false << normal << false;
        QTest::newRow("fixed") << 4 << 1 << r << true << normal << false;
        QTest::newRow("maximised") << 1 << 1 << r << false << States(Qt::WindowMaximized) << false;
        QTest::newRow("minimised") << 2 << 1 << r << false << States(Qt::WindowMinimized) << false;
    }
    void placementAcrossStarts()
    {
        QFETCH(int, mode); QFETCH(int, saveOnExit); QFETCH(QRect, stored); QFETCH(bool, restored); QFETCH(bool, saved);
        if (mode)
            Keys::WindowMode2.write(mode);
        if (saveOnExit >= 0)
            Keys::WM3.write(saveOnExit);
        if (!stored.isNull())
            storeFrame(stored);
        const QRect expected = stored.isNull() ? QRect(0, 0, 400, 300) : stored;
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        QTEST(shownState(frame), "state");
        QCOMPARE(frame->GetWindowPlacement() == expected, restored);
        QVERIFY(!restored || QRect(frame->pos(), frame->size()) == expected);
        // Minimised, the window does not take the focus from the others.
        QCOMPARE(frame->testAttribute(Qt::WA_ShowWithoutActivating), mode == 2);
        frame->showNormal();
        const QRect moved(33, 44, 555, 366);
        frame->MoveWindow(moved);
        QTRY_COMPARE(QRect(frame->pos(), frame->size()), moved);
        stopApp(m_app);
        QCOMPARE(storedFrame(), saved ? moved : expected);
    }

    // Edges a settings file may hold, far beyond any screen: the window still comes up.
    void garbageEdgesStart()
    {
        Keys::WindowMode2.write(4);
        for (const auto &[key, value] : {std::pair{Keys::FrameLeft, -1}, {Keys::FrameTop, INT_MIN},
                                         {Keys::FrameRight, INT_MAX}, {Keys::FrameBottom, INT_MAX}})
            key.write(value);
        m_app = startApp();
        QVERIFY(m_app && m_app->MainFrame()->isVisible() && m_app->MainFrame()->width() <= QWIDGETSIZE_MAX);
    }

    void toggles_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("key");
        QTest::newRow("toolbar") << ID_VIEW_TOOLBAR << QStringLiteral("Toolbar");
        QTest::newRow("status bar") << ID_VIEW_STATUS_BAR << QStringLiteral("Statusbar");
        QTest::newRow("always on top") << ID_VIEW_TOPMOST << QStringLiteral("TUNE");
    }
    // Stored off, each starts off and unticked; each use changes the window, the tick and the
    // store at once, the bars also without a document window. The main window stays shown and
    // active, and the other bars stay.
    void toggles()
    {
        QFETCH(int, id); QFETCH(QString, key);
        Profile::WriteProfileInt(QStringLiteral("Settings"), key, 0);
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        const auto state = [frame, id] {
            return id == ID_VIEW_TOOLBAR      ? frame->ToolBar()->isVisible()
                   : id == ID_VIEW_STATUS_BAR ? frame->statusBar()->isVisible()
                                              : frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        };
        QVERIFY(id == ID_VIEW_TOPMOST || run(ID_FILE_CLOSE));
        for (int use = 0; use < 4; ++use) {
            const bool on = use % 2;
            QVERIFY(!use || run(id));
            QCOMPARE(state(), on);
            QCOMPARE(frame->Router()->QueryState(id).checked(), on);
            QCOMPARE(Profile::GetProfileInt(QStringLiteral("Settings"), key, -1), on ? 1 : 0);
            QTRY_VERIFY(frame->isVisible() && frame->isActiveWindow());
            QCOMPARE(frame->ToolBar()->isVisible() + frame->statusBar()->isVisible(), id == ID_VIEW_TOPMOST || on ? 2 : 1);
        }
        // Always on top is read from the store before each use: any value but 0 is on.
        if (id == ID_VIEW_TOPMOST) {
            QVERIFY(run(id));
            Keys::TUNE.write(5);
            QVERIFY(frame->Router()->QueryState(id).checked());
            QVERIFY(run(id));
            QVERIFY(!state() && Keys::TUNE.read() == 0);
        }
    }

    void movingBetweenWindows_data()
    {
        // Each step: a command ("!" when it is refused), then the stack after it.
        QTest::addColumn<QStringList>("script");
        // Previous brings the bottom window to the top; next activates the one below the active
        // one and sends that to the bottom. Both are grey without a document window.
        QTest::newRow("next and previous go round") << QStringList{"close -> none", "!next -> none", "!prev -> none", "open P Q R -> *R Q P", "prev -> *P R Q", "prev -> *Q P R", "next -> *P R Q", "next -> *R Q P", "prev -> *P R Q"};
        // Hiding hands over to the window below, maximised as the hidden one was, and puts that
        // at the bottom; both commands pass over it.
        QTest::newRow("previous and next pass over the hidden window") << QStringList{"close -> none", "open A B C -> *C B A", "hide -> *B A (C)", "prev -> *A B (C)", "prev -> *B A (C)", "next -> *A (C) B", "next -> *B (C) A"};
        // One window at a time; with nothing to hide or show both still run. The last visible
        // window hidden stays the target of commands, and a window opened then leaves it hidden.
        QTest::newRow("one hidden window at a time") << QStringList{"close -> none", "hide -> none", "show -> none", "open A B -> *B A", "hide -> *A (B)", "hide -> *A (B)", "show -> *B A", "show -> *B A", "hide -> *A (B)", "show -> *B A", "close -> *A", "hide -> *(A)", "new -> *無題2 (A)"};
        // The hidden window closes with its document from another window of it: hiding does
        // nothing until a show clears the state, which shows nothing.
        QTest::newRow("hidden window closed meanwhile") << QStringList{"window -> *無題1:2 無題1:1", "hide -> *無題1:1 (無題1:2)", "close -> none", "open X Y -> *Y X", "hide -> *Y X", "show -> *Y X", "hide -> *X (Y)"};
        // Shown again by its entry in the window list or by opening its document again, the
        // window is hidden no more: it can be hidden again, and previous comes to it.
        QTest::newRow("hidden window back through the window list") << QStringList{"close -> none", "open A B -> *B A", "hide -> *A (B)", "list 2 -> *B A", "hide -> *A (B)", "show -> *B A"};
        QTest::newRow("previous reaches the window shown from the list") << QStringList{"close -> none", "open A B -> *B A", "hide -> *A (B)", "list 2 -> *B A", "next -> *A B", "prev -> *B A"};
        QTest::newRow("hidden window back by opening its document") << QStringList{"close -> none", "open A B -> *B A", "hide -> *A (B)", "open B -> *B A", "hide -> *A (B)", "show -> *B A"};
        // Cascade, tile and arrange, by menu, key or button, are grey without a document window.
        // The document window's system keys: next window, close.
        QTest::newRow("system keys") << QStringList{"close -> none", "open A B C -> *C B A", "key Ctrl+F6 -> *B A C", "key Ctrl+F6 -> *A C B", "key Ctrl+F4 -> *B C", "key Ctrl+F4 -> *C", "key Ctrl+F4 -> none"};
        QTest::newRow("arranging needs a document window") << QStringList{"close -> none", "!cascade -> none", "!tile -> none", "!tileh -> none", "!arrange -> none", "open A B -> *B A", "tile -> *B A (not maximised)", "cascade -> *B A (not maximised)", "arrange -> *B A (not maximised)"};
    }
    // Whatever the step, the active window visible is maximised, the menus are those of a
    // document window while there is one, and no document is left without a window.
    void movingBetweenWindows()
    {
        QFETCH(QStringList, script);
        const QMap<QString, int> commands{{"close", ID_FILE_CLOSE}, {"new", ID_FILE_NEW}, {"window", ID_WINDOW_NEW}, {"next", ID_WINDOW_NEXT},
                                          {"prev", ID_WINDOW_PREV}, {"hide", ID_WINDOW_HIDE}, {"show", ID_WINDOW_SHOW},
                                          {"cascade", ID_WINDOW_CASCADE}, {"tile", ID_WINDOW_TILE_VERT}, {"tileh", ID_WINDOW_TILE_HORZ}, {"arrange", ID_WINDOW_ARRANGE}};
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        QStringList seen;
        for (const QString &step : script) {
            const QString command = step.section(QStringLiteral(" -> "), 0, 0).remove(u'!');
            bool ran = true;
            if (command.startsWith(QLatin1String("open ")))  // files named after their titles, in order
                for (const QString &name : command.mid(5).split(u' '))
                    ran = ran && m_app->OpenDocumentFile(writeFile(name, name.toLatin1()));
            else if (command.startsWith(QLatin1String("list ")))  // the window list's entry of that number
                windowList(frame).at(command.mid(5).toInt() - 1)->trigger();
            else if (command.startsWith(QLatin1String("key ")))  // pressed in the active view
                QTest::keySequence(activeView(m_app.get()), QKeySequence(command.mid(4)));
            else
                ran = run(commands.value(command));
            MDIChildWnd *active = frame->MDIGetActive();
            seen.append((ran ? "" : "!") + command + " -> " + stack(frame)
                        + (active && !active->isHidden() && !active->isMaximized() ? " (not maximised)" : "")
                        + (frame->CurrentMenuId() != (active ? IDR_NYOTYPE : IDR_MAINFRAME) ? " (wrong menus)" : "")
                        + (!active && documentCount(m_app.get()) != 0 ? " (a document left)" : ""));
        }
        QCOMPARE(seen, script);
        QVERIFY(boxes().texts.isEmpty());
    }

    void showStateOfOpenedWindows_data()
    {
        QTest::addColumn<bool>("again");  // the document is open already, in a window below another
        QTest::addColumn<int>("windowMode");  // 0: none stored
        QTest::addColumn<bool>("previousMaximised");  // of a new document's
        QTest::addColumn<States>("state");
        const States max = Qt::WindowMaximized, min = Qt::WindowMinimized, normal = Qt::WindowNoState;
        QTest::newRow("none stored") << false << 0 << false << max;
        QTest::newRow("1") << false << 1 << false << max;
        QTest::newRow("2 after a normal window") << false << 2 << false << normal;
        QTest::newRow("2 after a maximised window") << false << 2 << true << max;
        QTest::newRow("3 after a normal window") << false << 3 << false << min;
        QTest::newRow("3 after a maximised window") << false << 3 << true << min;
        QTest::newRow("4 counts as 1") << false << 4 << false << max;
        QTest::newRow("-1 counts as 1") << false << -1 << false << max;
        QTest::newRow("again, 1: maximised") << true << 1 << true << max;
        QTest::newRow("again, 2: as it was, brought forward") << true << 2 << true << normal;
        QTest::newRow("again, 3: minimised, not brought forward") << true << 3 << true << min;
    }
    // "WindowMode" is read at every activation, so a change applies to the next window at once.
    // Minimised, the window is not activated: the one before stays active, in its state and on top.
    void showStateOfOpenedWindows()
    {
        QFETCH(bool, again); QFETCH(int, windowMode); QFETCH(bool, previousMaximised); QFETCH(States, state);
        const bool activated = !state.testFlag(Qt::WindowMinimized);
        const QString path = writeFile(QStringLiteral("again.txt"), "again");
        if (again)
            Keys::WindowMode.write(2);
        m_app = startApp({path});
        CMainFrame *frame = m_app->MainFrame();
        MDIChildWnd *first = frame->MDIGetActive();
        if (again)
            QVERIFY(run(ID_FILE_NEW));
        else if (!previousMaximised)
            first->showNormal();
        MDIChildWnd *before = frame->MDIGetActive();
        const bool wasMaximised = before->isMaximized();
        if (windowMode)
            Keys::WindowMode.write(windowMode);
        QVERIFY(m_app->OpenDocumentFile(again ? path : writeFile(QStringLiteral("new.txt"), "new")));
        MDIChildWnd *opened = again ? first : frame->MDIChildrenByCreation().last();
        QCOMPARE(documentCount(m_app.get()), 2);
        QCOMPARE(shownState(opened), state);
        QVERIFY(opened->isVisible());
        QCOMPARE(frame->MDIGetActive(), activated ? opened : before);
        QCOMPARE(frame->MDIChildrenByZOrder().first(), activated ? opened : before);
        QVERIFY(activated || before->isMaximized() == wasMaximised);
    }

    // A further window shows the same text with a caret of its own; the windows are numbered
    // while there are several. Closing one asks nothing and keeps the document; closing the last
    // asks about the changes.
    void furtherWindowsShareTheDocument()
    {
        m_app = startApp({writeFile(QStringLiteral("shared.txt"), "one\r\ntwo\r\n")});
        CMainFrame *frame = m_app->MainFrame();
        MDIChildWnd *first = frame->MDIGetActive();
        CNYOView *firstView = activeView(m_app.get());
        QVERIFY(run(ID_WINDOW_NEW));
        MDIChildWnd *second = frame->MDIGetActive();
        CNYOView *secondView = activeView(m_app.get());
        QCOMPARE(documentCount(m_app.get()), 1);
        QCOMPARE(stack(frame), QStringLiteral("*shared.txt:2 shared.txt:1"));
        firstView->setPosition(3);
        secondView->setPosition(secondView->GetTextLength());
        QTest::keyClicks(secondView, QStringLiteral("three"));
        QCOMPARE(firstView->toPlainText(), QStringLiteral("one\ntwo\nthree"));
        QVERIFY(firstView->position() == 3 && secondView->position() == 13 && firstView->GetDocument()->IsModified());
        QVERIFY(secondView->IsWordWrap());
        // A third window, then the first closes: the others renumber.
        QVERIFY(run(ID_WINDOW_NEW));
        first->close();
        QCOMPARE(stack(frame), QStringLiteral("*shared.txt:2 shared.txt:1"));
        frame->MDIGetActive()->close();
        QCOMPARE(stack(frame), QStringLiteral("*shared.txt"));
        QVERIFY(boxes().texts.isEmpty());
        boxes().answers = {MsgBox::IDCANCEL};
        second->close();
        QVERIFY(boxes().texts.size() == 1 && documentCount(m_app.get()) == 1);
        QCOMPARE(activeView(m_app.get())->toPlainText(), QStringLiteral("one\ntwo\nthree"));
    }

    // The windows in the order they were opened, the active one ticked, plain numbers from the
    // tenth on. Choosing an entry activates its window, also a hidden one.
    void windowListEntries()
    {
        m_app = startApp({writeFile(QStringLiteral("a&b.txt"), "a")});
        CMainFrame *frame = m_app->MainFrame();
        QVERIFY(m_app->OpenDocumentFile(writeFile(QStringLiteral("c.txt"), "c")));
        QVERIFY(run(ID_WINDOW_NEW));
        const auto list = [frame] {
            QStringList texts;
            for (QAction *entry : windowList(frame))
                texts.append((entry->isChecked() ? "* " : "") + entry->text() + (entry->isEnabled() ? "" : " (grey)"));
            return texts;
        };
        for (const bool hide : {false, true}) {
            QVERIFY(!hide || run(ID_WINDOW_HIDE));
            QCOMPARE(list(), (QStringList{"&1 a&&b.txt", "&2 c.txt:1", "* &3 c.txt:2"}));
            windowList(frame).at(0)->trigger();
            QCOMPARE(stack(frame), QStringLiteral("*a&b.txt c.txt:2 c.txt:1"));
        }
        for (int i = 0; i < 8; ++i)
            QVERIFY(run(ID_FILE_NEW));
        QCOMPARE(list().mid(8), (QStringList{"&9 無題6", "10 無題7", "* 11 無題8"}));
    }

    void systemMenuOfDocumentWindows_data()
    {
        QTest::addColumn<States>("state");
        QTest::addColumn<QStringList>("items");  // "-" for a separator, "(grey)" after a disabled item
        const QStringList tail{"-", "閉じる(&C)\tCtrl+F4", "-", "次のｳｨﾝﾄﾞｳ(&T)\tCtrl+F6"};
        QTest::newRow("normal") << States() << QStringList{"元のｻｲｽﾞに戻す(&R) (grey)", "移動(&M)", "ｻｲｽﾞ変更(&S)", "最小化(&N)", "最大化(&X)"} + tail;
        QTest::newRow("maximised") << States(Qt::WindowMaximized) << QStringList{"元のｻｲｽﾞに戻す(&R)", "移動(&M) (grey)", "ｻｲｽﾞ変更(&S) (grey)", "最小化(&N)", "最大化(&X) (grey)"} + tail;
        QTest::newRow("minimised") << States(Qt::WindowMinimized) << QStringList{"元のｻｲｽﾞに戻す(&R)", "移動(&M) (grey)", "ｻｲｽﾞ変更(&S) (grey)", "最小化(&N) (grey)", "最大化(&X)"} + tail;
    }
    // The framework's items, without one that pins a document window inside the main window;
    // pointing at one shows its prompt in the status bar, and the idle text comes back when the
    // menu closes.
    void systemMenuOfDocumentWindows()
    {
        QFETCH(States, state); QFETCH(QStringList, items);
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        MDIChildWnd *child = frame->MDIGetActive();
        child->setWindowState(state);
        QMenu *menu = child->systemMenu();
        QStringList shown;
        for (QAction *item : menu->actions())
            shown.append(item->isSeparator() ? "-" : item->text() + (item->isEnabled() ? "" : " (grey)"));
        QCOMPARE(shown, items);
        QStatusBar *bar = frame->statusBar();
        const QString idle = bar->currentMessage();
        child->showSystemMenu();
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        for (QAction *item : menu->actions()) {
            if (item->isSeparator() || !item->isEnabled())
                continue;
            QTest::mouseMove(menu, menu->actionGeometry(item).center());
            QTRY_COMPARE(bar->currentMessage(), Res::prompt(item->data().toInt()));
            QVERIFY(!bar->currentMessage().isEmpty());
        }
        menu->close();
        QTRY_COMPARE(bar->currentMessage(), idle);
    }

    // Pointing at a toolbar button or a menu item shows its prompt, and the idle text again
    // afterwards; the recent files have theirs too.
    void statusBarPromptsAndButtonStates()
    {
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        QStatusBar *bar = frame->statusBar();
        const QString idle = bar->currentMessage();
        QVERIFY(!idle.isEmpty());
        QAction *open = frame->Router()->Actions(ID_FILE_OPEN).constLast();
        QTest::mouseMove(frame->ToolBar()->widgetForAction(open));
        QTRY_COMPARE(bar->currentMessage(), open->statusTip());
        QTest::mouseMove(frame->MDIClient()->viewport());
        QTRY_COMPARE(bar->currentMessage(), idle);
        QMenu *window = frame->Menus(IDR_NYOTYPE).at(6);
        frame->menuBar()->setActiveAction(window->menuAction());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QAction *next = frame->Router()->Actions(ID_WINDOW_NEXT).constFirst();
        QTest::mouseMove(window, window->actionGeometry(next).center());
        QTRY_COMPARE(bar->currentMessage(), next->statusTip());
        QVERIFY(next->statusTip() != open->statusTip());
        window->close();
        QVERIFY(m_app->OpenDocumentFile(writeFile(QStringLiteral("recent.txt"), "r")));
        emit frame->Menus(IDR_NYOTYPE).first()->aboutToShow();
        QVERIFY(!frame->Router()->Actions(ID_FILE_MRU_FIRST).constLast()->statusTip().isEmpty());
        // No timer brings the buttons up to date: text copied elsewhere enables Paste at once.
        QApplication::clipboard()->clear();
        QAction *paste = frame->Router()->Actions(ID_EDIT_PASTE).constLast();
        QTRY_VERIFY(!paste->isEnabled());
        QApplication::clipboard()->setText(QStringLiteral("copied"));
        QTRY_VERIFY_WITH_TIMEOUT(paste->isEnabled(), 200);
        QApplication::clipboard()->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!paste->isEnabled(), 200);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
