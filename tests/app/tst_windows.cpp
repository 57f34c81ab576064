// The main window and its document windows: placement kept across starts, the bars, moving
// between, hiding and showing windows, the show state of new windows, further windows of one
// document, the window list, always on top, and the status bar's prompts and states.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/commandrouter.h"
#include "platform/mdichildwnd.h"
#include "platform/msgbox.h"
#include "platform/profile.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QClipboard>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

using namespace AppHelper;

namespace {
// The stored edges as a rectangle.
QRect storedEdges()
{
    const int left = Keys::FrameLeft.read(), top = Keys::FrameTop.read();
    return QRect(QPoint(left, top), QSize(Keys::FrameRight.read() - left, Keys::FrameBottom.read() - top));
}

void storeEdges(const QRect &r)
{
    Keys::FrameLeft.write(r.left());
    Keys::FrameTop.write(r.top());
    Keys::FrameRight.write(r.left() + r.width());
    Keys::FrameBottom.write(r.top() + r.height());
}

QString title(MDIChildWnd *child)
{
    return child ? child->windowTitle() : QStringLiteral("(none)");
}

// Titles of the document windows from the top of the stack down; a hidden one in brackets.
QStringList stack(CMainFrame *frame)
{
    QStringList titles;
    for (MDIChildWnd *child : frame->MDIChildrenByZOrder())
        titles.append(child->isHidden() ? QLatin1Char('(') + child->windowTitle() + QLatin1Char(')')
                                        : child->windowTitle());
    return titles;
}

// The window list: the entries after the Window menu's last separator, as it shows them.
QList<QAction *> windowListEntries(CMainFrame *frame)
{
    QMenu *menu = frame->Menus(IDR_NYOTYPE).at(6);
    emit menu->aboutToShow();
    QList<QAction *> entries;
    for (QAction *action : menu->actions()) {
        if (action->isSeparator())
            entries.clear();
        else
            entries.append(action);
    }
    return entries;
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void placementAcrossStarts_data();
    void placementAcrossStarts();
    void barToggles_data();
    void barToggles();
    void nextAndPreviousGoRoundTheWindows();
    void previousPassesOverTheHiddenWindow();
    void hideOneWindowAtATimeAndShowIt();
    void hiddenWindowDestroyedMeanwhile();
    void newWindowShowState_data();
    void newWindowShowState();
    void requestingAnOpenDocumentAgain_data();
    void requestingAnOpenDocumentAgain();
    void furtherWindowsShareTheDocument();
    void windowList();
    void alwaysOnTop();
    void statusBarPrompts();
    void statesFollowTheClipboardWithoutAMenu();

private:
    // Opens files named after titles, in order, and returns their windows.
    QList<MDIChildWnd *> open(const QStringList &titles);

    std::unique_ptr<CNYOApp> m_app;
};

void TestWindows::init()
{
    useFreshEnvironment();
    scratchDir();
    recordBoxes();
    recordSaveAs();
}

void TestWindows::cleanup()
{
    stopApp(m_app);
}

QList<MDIChildWnd *> TestWindows::open(const QStringList &titles)
{
    QList<MDIChildWnd *> windows;
    for (const QString &name : titles) {
        if (!m_app->OpenDocumentFile(writeFile(name, name.toLatin1())))
            return {};
        windows.append(m_app->MainFrame()->MDIGetActive());
    }
    return windows;
}

void TestWindows::placementAcrossStarts_data()
{
    QTest::addColumn<int>("mode");             // "WindowMode2", 0 for none stored
    QTest::addColumn<int>("saveOnExit");       // "WM3", -1 for none stored
    QTest::addColumn<QRect>("stored");         // null for no edges stored
    QTest::addColumn<bool>("restored");
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<bool>("closeMaximised");
    QTest::addColumn<bool>("saved");

    const QRect r(120, 70, 520, 380);
    QTest::newRow("nothing stored: 0,0,400,300") << 0 << -1 << QRect() << true << Qt::WindowNoState << false << true;
    QTest::newRow("normal, saved on exit") << 3 << 1 << r << true << Qt::WindowNoState << false << true;
    QTest::newRow("closed maximised: the normal rectangle") << 3 << 1 << r << true << Qt::WindowNoState << true << true;
    QTest::newRow("off the screen, as stored") << 3 << 1 << QRect(-900, 2000, 450, 320) << true << Qt::WindowNoState << false << true;
    QTest::newRow("normal, not saved") << 3 << 0 << r << false << Qt::WindowNoState << false << false;
    QTest::newRow("fixed") << 4 << 1 << r << true << Qt::WindowNoState << false << false;
    QTest::newRow("maximised") << 1 << 1 << r << false << Qt::WindowMaximized << false << false;
    QTest::newRow("minimised") << 2 << 1 << r << false << Qt::WindowMinimized << false << false;
}

void TestWindows::placementAcrossStarts()
{
    QFETCH(int, mode);
    QFETCH(int, saveOnExit);
    QFETCH(QRect, stored);
    QFETCH(bool, restored);
    QFETCH(Qt::WindowState, state);
    QFETCH(bool, closeMaximised);
    QFETCH(bool, saved);
    if (mode)
        Keys::WindowMode2.write(mode);
    if (saveOnExit >= 0)
        Keys::WM3.write(saveOnExit);
    if (!stored.isNull())
        storeEdges(stored);
    const QRect expected = stored.isNull() ? QRect(0, 0, 400, 300) : stored;

    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    QCOMPARE(frame->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), state);
    QCOMPARE(frame->GetWindowPlacement() == expected, restored);
    if (restored)
        QCOMPARE(QRect(frame->pos(), frame->size()), expected);

    frame->showNormal();
    const QRect moved(33, 44, 555, 366);
    frame->MoveWindow(moved);
    QTRY_COMPARE(QRect(frame->pos(), frame->size()), moved);
    if (closeMaximised) {
        frame->showMaximized();
        QTRY_VERIFY(frame->isMaximized() && frame->size() != moved.size());
    }
    stopApp(m_app);
    QCOMPARE(storedEdges(), saved ? moved : expected);
}

void TestWindows::barToggles_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("key");
    QTest::newRow("toolbar") << ID_VIEW_TOOLBAR << QStringLiteral("Toolbar");
    QTest::newRow("status bar") << ID_VIEW_STATUS_BAR << QStringLiteral("Statusbar");
}

// Stored off, the bar starts hidden and unticked; each toggle changes the bar, the tick and
// the store at once, also without a document window.
void TestWindows::barToggles()
{
    QFETCH(int, id);
    QFETCH(QString, key);
    Profile::WriteProfileInt(QStringLiteral("Settings"), key, 0);
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    QWidget *bar = id == ID_VIEW_TOOLBAR ? static_cast<QWidget *>(frame->ToolBar()) : frame->statusBar();
    QWidget *other = id == ID_VIEW_TOOLBAR ? static_cast<QWidget *>(frame->statusBar()) : frame->ToolBar();
    QVERIFY(!bar->isVisible());
    QVERIFY(other->isVisible());
    QVERIFY(!frame->Router()->QueryState(id).checked());

    QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
    for (const bool on : {true, false, true}) {
        QVERIFY(execute(m_app.get(), id));
        QCOMPARE(bar->isVisible(), on);
        QCOMPARE(frame->Router()->QueryState(id).checked(), on);
        QCOMPARE(Profile::GetProfileInt(QStringLiteral("Settings"), key, -1), on ? 1 : 0);
    }
    QVERIFY(other->isVisible());
}

// Previous brings the bottom window to the top; next activates the one below the active one
// and sends that to the bottom. Both are grey without a document window.
void TestWindows::nextAndPreviousGoRoundTheWindows()
{
    m_app = startApp();
    QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
    QVERIFY(!enabled(m_app.get(), ID_WINDOW_NEXT));
    QVERIFY(!enabled(m_app.get(), ID_WINDOW_PREV));
    QVERIFY(!open({QStringLiteral("P"), QStringLiteral("Q"), QStringLiteral("R")}).isEmpty());
    CMainFrame *frame = m_app->MainFrame();
    QCOMPARE(stack(frame), (QStringList{QStringLiteral("R"), QStringLiteral("Q"), QStringLiteral("P")}));

    const struct {
        int command;
        QStringList after;
    } steps[] = {
        {ID_WINDOW_PREV, {QStringLiteral("P"), QStringLiteral("R"), QStringLiteral("Q")}},
        {ID_WINDOW_PREV, {QStringLiteral("Q"), QStringLiteral("P"), QStringLiteral("R")}},
        {ID_WINDOW_NEXT, {QStringLiteral("P"), QStringLiteral("R"), QStringLiteral("Q")}},
        {ID_WINDOW_NEXT, {QStringLiteral("R"), QStringLiteral("Q"), QStringLiteral("P")}},
        {ID_WINDOW_PREV, {QStringLiteral("P"), QStringLiteral("R"), QStringLiteral("Q")}},
    };
    for (const auto &step : steps) {
        QVERIFY(execute(m_app.get(), step.command));
        QCOMPARE(stack(frame), step.after);
        QCOMPARE(title(frame->MDIGetActive()), step.after.first());
        QVERIFY(frame->MDIGetActive()->isMaximized());  // the maximised state goes along
    }
}

void TestWindows::previousPassesOverTheHiddenWindow()
{
    m_app = startApp();
    QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
    QVERIFY(!open({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}).isEmpty());
    CMainFrame *frame = m_app->MainFrame();
    // Hiding C hands over to the window below it, maximised as C was, and puts C at the bottom.
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QCOMPARE(stack(frame), (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("(C)")}));
    QVERIFY(frame->MDIGetActive()->isMaximized());
    QVERIFY(execute(m_app.get(), ID_WINDOW_PREV));
    QCOMPARE(stack(frame), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("(C)")}));
    QVERIFY(execute(m_app.get(), ID_WINDOW_PREV));
    QCOMPARE(stack(frame), (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("(C)")}));
    // Next passes over it too.
    QVERIFY(execute(m_app.get(), ID_WINDOW_NEXT));
    QCOMPARE(title(frame->MDIGetActive()), QStringLiteral("A"));
    QVERIFY(execute(m_app.get(), ID_WINDOW_NEXT));
    QCOMPARE(title(frame->MDIGetActive()), QStringLiteral("B"));
}

void TestWindows::hideOneWindowAtATimeAndShowIt()
{
    m_app = startApp();
    QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
    // Nothing to hide, nothing to show; both stay available.
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QVERIFY(execute(m_app.get(), ID_WINDOW_SHOW));

    const QList<MDIChildWnd *> windows = open({QStringLiteral("A"), QStringLiteral("B")});
    QCOMPARE(windows.size(), 2);
    CMainFrame *frame = m_app->MainFrame();
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QVERIFY(windows.at(1)->isHidden());
    QCOMPARE(frame->MDIGetActive(), windows.at(0));
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QVERIFY(!windows.at(0)->isHidden());

    QVERIFY(execute(m_app.get(), ID_WINDOW_SHOW));
    QVERIFY(!windows.at(1)->isHidden());
    QCOMPARE(frame->MDIGetActive(), windows.at(1));
    QVERIFY(execute(m_app.get(), ID_WINDOW_SHOW));
    QVERIFY(!windows.at(0)->isHidden() && !windows.at(1)->isHidden());
    // Now another can be hidden.
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QVERIFY(windows.at(1)->isHidden());

    // The last visible window hidden stays the target of commands; a window opened then
    // leaves it hidden.
    QVERIFY(execute(m_app.get(), ID_WINDOW_SHOW));
    QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QVERIFY(windows.at(0)->isHidden());
    QCOMPARE(frame->MDIGetActive(), windows.at(0));
    QCOMPARE(frame->CurrentMenuId(), IDR_NYOTYPE);
    QVERIFY(execute(m_app.get(), ID_FILE_NEW));
    QVERIFY(frame->MDIGetActive() != windows.at(0));
    QVERIFY(frame->MDIGetActive()->isMaximized());
    QVERIFY(windows.at(0)->isHidden());
}

// The hidden window closes with its document from another window of it: hiding does nothing
// until a show clears the state, which shows nothing.
void TestWindows::hiddenWindowDestroyedMeanwhile()
{
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    QVERIFY(execute(m_app.get(), ID_WINDOW_NEW));
    QCOMPARE(frame->MDIClient()->subWindowList().size(), 2);
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
    QCOMPARE(documentCount(m_app.get()), 0);
    QVERIFY(boxes().texts.isEmpty());

    const QList<MDIChildWnd *> windows = open({QStringLiteral("X"), QStringLiteral("Y")});
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QVERIFY(!windows.at(1)->isHidden());
    QVERIFY(execute(m_app.get(), ID_WINDOW_SHOW));
    QVERIFY(!windows.at(0)->isHidden() && !windows.at(1)->isHidden());
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QVERIFY(windows.at(1)->isHidden());
}

void TestWindows::newWindowShowState_data()
{
    QTest::addColumn<int>("windowMode");  // 0: none stored
    QTest::addColumn<bool>("previousMaximised");
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<bool>("activated");

    QTest::newRow("none stored") << 0 << false << Qt::WindowMaximized << true;
    QTest::newRow("1") << 1 << false << Qt::WindowMaximized << true;
    QTest::newRow("2 after a normal window") << 2 << false << Qt::WindowNoState << true;
    QTest::newRow("2 after a maximised window") << 2 << true << Qt::WindowMaximized << true;
    QTest::newRow("3 after a normal window") << 3 << false << Qt::WindowMinimized << false;
    QTest::newRow("3 after a maximised window") << 3 << true << Qt::WindowMinimized << false;
    QTest::newRow("4 counts as 1") << 4 << false << Qt::WindowMaximized << true;
    QTest::newRow("-1 counts as 1") << -1 << false << Qt::WindowMaximized << true;
}

// "WindowMode" is read at every activation, so a change applies to the next window at once.
// Minimised, the new window leaves the one before active, in its state and on top.
void TestWindows::newWindowShowState()
{
    QFETCH(int, windowMode);
    QFETCH(bool, previousMaximised);
    QFETCH(Qt::WindowState, state);
    QFETCH(bool, activated);
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    MDIChildWnd *first = frame->MDIGetActive();
    if (!previousMaximised)
        first->showNormal();
    if (windowMode)
        Keys::WindowMode.write(windowMode);

    const QList<MDIChildWnd *> opened = open({QStringLiteral("new.txt")});
    QCOMPARE(opened.size(), 1);
    MDIChildWnd *added = frame->MDIChildrenByCreation().last();
    QCOMPARE(added->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), state);
    QVERIFY(added->isVisible());
    QCOMPARE(frame->MDIGetActive(), activated ? added : first);
    if (!activated) {
        QCOMPARE(frame->MDIChildrenByZOrder().first(), first);
        QCOMPARE(first->isMaximized(), previousMaximised);
    }
}

void TestWindows::requestingAnOpenDocumentAgain_data()
{
    QTest::addColumn<int>("windowMode");
    QTest::addColumn<Qt::WindowState>("state");
    QTest::addColumn<bool>("activated");
    QTest::newRow("1: maximised") << 1 << Qt::WindowMaximized << true;
    QTest::newRow("2: as it was, brought forward") << 2 << Qt::WindowNoState << true;
    QTest::newRow("3: minimised, not brought forward") << 3 << Qt::WindowMinimized << false;
}

void TestWindows::requestingAnOpenDocumentAgain()
{
    QFETCH(int, windowMode);
    QFETCH(Qt::WindowState, state);
    QFETCH(bool, activated);
    Keys::WindowMode.write(2);
    const QString path = writeFile(QStringLiteral("again.txt"), "again");
    m_app = startApp({path});
    CMainFrame *frame = m_app->MainFrame();
    MDIChildWnd *again = frame->MDIGetActive();
    QVERIFY(execute(m_app.get(), ID_FILE_NEW));
    MDIChildWnd *other = frame->MDIGetActive();
    QVERIFY(other != again);

    Keys::WindowMode.write(windowMode);
    QVERIFY(m_app->OpenDocumentFile(path));
    QCOMPARE(documentCount(m_app.get()), 2);
    QCOMPARE(again->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), state);
    QCOMPARE(frame->MDIGetActive(), activated ? again : other);
    QCOMPARE(frame->MDIChildrenByZOrder().first(), activated ? again : other);
}

// A further window shows the same text with a caret of its own; the windows are numbered
// while there are several. Closing one asks nothing and keeps the document; closing the last
// asks about the changes.
void TestWindows::furtherWindowsShareTheDocument()
{
    const QString path = writeFile(QStringLiteral("shared.txt"), "one\r\ntwo\r\n");
    m_app = startApp({path});
    CMainFrame *frame = m_app->MainFrame();
    MDIChildWnd *first = frame->MDIGetActive();
    CNYOView *firstView = activeView(m_app.get());
    QVERIFY(execute(m_app.get(), ID_WINDOW_NEW));
    MDIChildWnd *second = frame->MDIGetActive();
    CNYOView *secondView = activeView(m_app.get());
    QVERIFY(second != first);
    QCOMPARE(secondView->GetDocument(), firstView->GetDocument());
    QCOMPARE(documentCount(m_app.get()), 1);
    QCOMPARE(first->windowTitle(), QStringLiteral("shared.txt:1"));
    QCOMPARE(second->windowTitle(), QStringLiteral("shared.txt:2"));
    QTRY_COMPARE(frame->windowTitle(), QStringLiteral("NYO - [shared.txt:2]"));
    QVERIFY(secondView->IsWordWrap());

    firstView->setPosition(3);
    secondView->setPosition(secondView->GetTextLength());
    QTest::keyClicks(secondView, QStringLiteral("three"));
    QCOMPARE(firstView->toPlainText(), QStringLiteral("one\ntwo\nthree"));
    QCOMPARE(firstView->position(), 3);
    QCOMPARE(secondView->position(), 13);
    QVERIFY(firstView->GetDocument()->IsModified());

    // A third window, then the first closes: the others renumber.
    QVERIFY(execute(m_app.get(), ID_WINDOW_NEW));
    MDIChildWnd *third = frame->MDIGetActive();
    first->close();
    QCOMPARE(second->windowTitle(), QStringLiteral("shared.txt:1"));
    QCOMPARE(third->windowTitle(), QStringLiteral("shared.txt:2"));
    third->close();
    QCOMPARE(second->windowTitle(), QStringLiteral("shared.txt"));
    QVERIFY(boxes().texts.isEmpty());
    QCOMPARE(documentCount(m_app.get()), 1);
    QCOMPARE(activeView(m_app.get())->toPlainText(), QStringLiteral("one\ntwo\nthree"));

    boxes().answers = {MsgBox::IDCANCEL};
    second->close();
    QCOMPARE(boxes().texts, QStringList{QStringLiteral("shared.txt への変更を保存しますか?")});
    QCOMPARE(documentCount(m_app.get()), 1);
}

// The windows in the order they were opened after a separator, the active one ticked.
// Choosing an entry activates its window, also a hidden one.
void TestWindows::windowList()
{
    const QString a = writeFile(QStringLiteral("a&b.txt"), "a");
    m_app = startApp({a});
    CMainFrame *frame = m_app->MainFrame();
    QVERIFY(!open({QStringLiteral("c.txt")}).isEmpty());
    QVERIFY(execute(m_app.get(), ID_WINDOW_NEW));

    QList<QAction *> entries = windowListEntries(frame);
    QStringList texts;
    for (QAction *entry : entries) {
        texts.append(entry->text());
        QCOMPARE(entry->statusTip(), QStringLiteral("指定のｳｨﾝﾄﾞｳを表示"));
        QVERIFY(entry->isEnabled());
    }
    QCOMPARE(texts, (QStringList{QStringLiteral("&1 a&&b.txt"), QStringLiteral("&2 c.txt:1"),
                                 QStringLiteral("&3 c.txt:2")}));
    QCOMPARE(entries.at(0)->isChecked(), false);
    QCOMPARE(entries.at(2)->isChecked(), true);

    entries.at(0)->trigger();
    QCOMPARE(title(frame->MDIGetActive()), QStringLiteral("a&b.txt"));
    QVERIFY(execute(m_app.get(), ID_WINDOW_HIDE));
    QCOMPARE(title(frame->MDIGetActive()), QStringLiteral("c.txt:2"));

    entries = windowListEntries(frame);
    QCOMPARE(entries.size(), 3);
    QVERIFY(entries.at(2)->isChecked());
    entries.at(0)->trigger();
    MDIChildWnd *shown = frame->MDIGetActive();
    QCOMPARE(title(shown), QStringLiteral("a&b.txt"));
    QVERIFY(!shown->isHidden());

    // Nine windows and more: plain numbers from the tenth on.
    for (int i = 0; i < 8; ++i)
        QVERIFY(execute(m_app.get(), ID_FILE_NEW));
    entries = windowListEntries(frame);
    QCOMPARE(entries.size(), 11);
    QCOMPARE(entries.at(8)->text(), QStringLiteral("&9 無題6"));
    QCOMPARE(entries.at(9)->text(), QStringLiteral("10 無題7"));
}

// The state comes from the store before each use, so the command turns off what is stored
// as on, whatever the window is now. The window stays shown throughout.
void TestWindows::alwaysOnTop()
{
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    const auto onTop = [frame] { return frame->windowFlags().testFlag(Qt::WindowStaysOnTopHint); };
    QVERIFY(!frame->Router()->QueryState(ID_VIEW_TOPMOST).checked());

    QVERIFY(execute(m_app.get(), ID_VIEW_TOPMOST));
    QVERIFY(onTop());
    QCOMPARE(Keys::TUNE.read(), 1);
    QVERIFY(frame->Router()->QueryState(ID_VIEW_TOPMOST).checked());
    QVERIFY(frame->isVisible());

    QVERIFY(execute(m_app.get(), ID_VIEW_TOPMOST));
    QVERIFY(!onTop());
    QCOMPARE(Keys::TUNE.read(), 0);
    QVERIFY(frame->isVisible());
    QTRY_VERIFY(frame->isActiveWindow());

    Keys::TUNE.write(5);
    QVERIFY(frame->Router()->QueryState(ID_VIEW_TOPMOST).checked());
    QVERIFY(execute(m_app.get(), ID_VIEW_TOPMOST));
    QVERIFY(!onTop());
    QCOMPARE(Keys::TUNE.read(), 0);
}

// Pointing at a toolbar button or a menu item shows its prompt, and the idle text again
// afterwards; the recent files have theirs too.
void TestWindows::statusBarPrompts()
{
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    QStatusBar *bar = frame->statusBar();
    QCOMPARE(bar->currentMessage(), QStringLiteral("ﾚﾃﾞｨ"));

    QAction *open = frame->Router()->Actions(ID_FILE_OPEN).constLast();
    QWidget *button = frame->ToolBar()->widgetForAction(open);
    QVERIFY(button);
    QTest::mouseMove(button);
    QTRY_COMPARE(bar->currentMessage(), QStringLiteral("既存のﾌｧｲﾙを開く"));
    QTest::mouseMove(frame->MDIClient()->viewport());
    QTRY_COMPARE(bar->currentMessage(), QStringLiteral("ﾚﾃﾞｨ"));

    QMenu *window = frame->Menus(IDR_NYOTYPE).at(6);
    frame->menuBar()->setActiveAction(window->menuAction());
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QAction *next = frame->Router()->Actions(ID_WINDOW_NEXT).constFirst();
    QTest::mouseMove(window, window->actionGeometry(next).center());
    QTRY_COMPARE(bar->currentMessage(), QStringLiteral("次のウィンドウに移動"));
    window->close();

    const QString path = writeFile(QStringLiteral("recent.txt"), "r");
    QVERIFY(m_app->OpenDocumentFile(path));
    QMenu *file = frame->Menus(IDR_NYOTYPE).first();
    emit file->aboutToShow();
    QCOMPARE(frame->Router()->Actions(ID_FILE_MRU_FIRST).constLast()->statusTip(),
             QStringLiteral("指定のﾌｧｲﾙを開く"));
}

// No timer brings the buttons up to date: text copied elsewhere enables Paste at once.
void TestWindows::statesFollowTheClipboardWithoutAMenu()
{
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    QApplication::clipboard()->clear();
    QAction *paste = frame->Router()->Actions(ID_EDIT_PASTE).constLast();
    QTRY_VERIFY(!paste->isEnabled());
    QApplication::clipboard()->setText(QStringLiteral("copied"));
    QTRY_VERIFY_WITH_TIMEOUT(paste->isEnabled(), 200);
    QApplication::clipboard()->clear();
    QTRY_VERIFY_WITH_TIMEOUT(!paste->isEnabled(), 200);
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
