// The program on a real X server with a window manager (a private Xvfb and openbox started
// here): what the window system itself shows of the main window. The lock keys, pressed
// through the server as a keyboard would, light and clear their panes without the program
// polling; the minimised start-up, always on top and the placement reach the window manager.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "platform/afxres.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtGui/qguiapplication_platform.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>

using namespace AppHelper;

namespace {
Display *display()
{
    return qApp->nativeInterface<QNativeInterface::QX11Application>()->display();
}

// The 32-bit items of a window property.
QList<long> property(Display *dpy, Window window, const char *name, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QList<long> items;
    if (XGetWindowProperty(dpy, window, XInternAtom(dpy, name, False), 0, 64, False, type, &actual, &format, &count,
                           &after, &data) == Success && data) {
        items = QList<long>(reinterpret_cast<long *>(data), reinterpret_cast<long *>(data) + count);
        XFree(data);
    }
    return items;
}

QStringList atomsOf(Display *dpy, Window window, const char *name)
{
    QStringList names;
    for (const long atom : property(dpy, window, name, XA_ATOM)) {
        char *atomName = XGetAtomName(dpy, Atom(atom));
        names.append(QString::fromLatin1(atomName));
        XFree(atomName);
    }
    return names;
}

QStringList netWmState(QWidget *window)
{
    return atomsOf(display(), window->winId(), "_NET_WM_STATE");
}

// The state the window manager gives the window: 1 normal, 3 iconic, 0 none yet.
long wmState(QWidget *window)
{
    return property(display(), window->winId(), "WM_STATE", XInternAtom(display(), "WM_STATE", False)).value(0);
}

// Presses and releases a key on the X server, as a keyboard does.
void pressKey(const char *keysym)
{
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(keysym)}), 0);
}
} // namespace

class TestX11 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void panesFollowTheLockKeys();
    void minimisedStartUp();
    void alwaysOnTopReachesTheWindowManager();
    void placementBetweenDecorations();

private:
    std::unique_ptr<CNYOApp> m_app;
};

void TestX11::init()
{
    useFreshEnvironment();
    recordBoxes();
}

void TestX11::cleanup()
{
    stopApp(m_app);
}

void TestX11::panesFollowTheLockKeys()
{
    m_app = startApp();
    QVERIFY(m_app);
    CMainFrame *frame = m_app->MainFrame();
    QLabel *caps = frame->findChild<QLabel *>(QStringLiteral("indicator%1").arg(ID_INDICATOR_CAPS));
    QLabel *num = frame->findChild<QLabel *>(QStringLiteral("indicator%1").arg(ID_INDICATOR_NUM));
    QVERIFY(caps && num);
    const auto panes = [caps, num] { return caps->text() + u'|' + num->text(); };
    QTRY_COMPARE(panes(), QStringLiteral("|"));
    const char *const keys[] = {"Caps_Lock", "Num_Lock", "Caps_Lock", "Num_Lock"};
    const QStringList shown{"CAP|", "CAP|NUM", "|NUM", "|"};
    for (int i = 0; i < 4; ++i) {
        pressKey(keys[i]);
        QTRY_COMPARE_WITH_TIMEOUT(panes(), shown[i], 2000);
    }
}

// "WindowMode2" 2: an icon from the start, not a window that the window manager maps normal.
void TestX11::minimisedStartUp()
{
    Keys::WindowMode2.write(2);
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    QTRY_COMPARE(wmState(frame), 3L);
    QVERIFY(frame->isMinimized());
    QVERIFY(netWmState(frame).contains(QStringLiteral("_NET_WM_STATE_HIDDEN")));
}

// Stored on, the frame starts above the others; the command ends that and starts it again,
// the window staying mapped throughout.
void TestX11::alwaysOnTopReachesTheWindowManager()
{
    Keys::TUNE.write(1);
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    const QString above = QStringLiteral("_NET_WM_STATE_ABOVE");
    QTRY_VERIFY(netWmState(frame).contains(above));
    QVERIFY(execute(m_app.get(), ID_VIEW_TOPMOST));
    QTRY_VERIFY(!netWmState(frame).contains(above));
    QTRY_VERIFY(frame->isActiveWindow());
    QVERIFY(execute(m_app.get(), ID_VIEW_TOPMOST));
    QTRY_VERIFY(netWmState(frame).contains(above));
    QCOMPARE(wmState(frame), 1L);
}

// The frame's outer corner goes where stored and its inside takes the stored size; closed
// maximised, the normal rectangle is what is stored, decoration and all.
void TestX11::placementBetweenDecorations()
{
    const QRect stored(130, 90, 560, 380);
    storeFrame(stored);
    m_app = startApp();
    CMainFrame *frame = m_app->MainFrame();
    QTRY_COMPARE(wmState(frame), 1L);
    QTRY_COMPARE(frame->frameGeometry().topLeft(), stored.topLeft());
    QTRY_COMPARE(frame->size(), stored.size());
    QVERIFY(frame->geometry().topLeft() != stored.topLeft());  // there is a decoration

    frame->showMaximized();
    QTRY_VERIFY(netWmState(frame).contains(QStringLiteral("_NET_WM_STATE_MAXIMIZED_VERT")));
    QTRY_VERIFY(frame->isMaximized() && frame->size() != stored.size());
    stopApp(m_app);
    QCOMPARE(storedFrame(), stored);
}

namespace {
// Waits until a window manager announces itself on the display: up to a minute, as a loaded
// machine can be slow to start it.
bool waitForWindowManager(const QByteArray &name)
{
    for (int i = 0; i < 1200; ++i) {
        if (Display *dpy = XOpenDisplay(name.constData())) {
            const QStringList check = atomsOf(dpy, DefaultRootWindow(dpy), "_NET_SUPPORTED");
            XCloseDisplay(dpy);
            if (check.contains(QStringLiteral("_NET_WM_STATE_ABOVE")))
                return true;
        }
        QThread::msleep(50);
    }
    return false;
}
} // namespace

// A private X server and window manager for the whole test; the program is pointed at them.
int main(int argc, char **argv)
{
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 QStringLiteral("-displayfd 1 -screen 0 1024x768x24 -nolisten tcp").split(u' '));
    QByteArray number;
    while (!number.endsWith('\n') && server.waitForReadyRead(20000))
        number += server.readAllStandardOutput();
    if (number.trimmed().isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    const QByteArray name = ':' + number.trimmed();
    qputenv("DISPLAY", name);
    qputenv("QT_QPA_PLATFORM", "xcb");

    QTemporaryDir wmHome;
    QProcess wm;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), wmHome.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), wmHome.path());
    wm.setProcessEnvironment(env);
    wm.start(QStringLiteral("openbox"), {});
    if (!wm.waitForStarted() || !waitForWindowManager(name)) {
        std::fprintf(stderr, "openbox did not start\n");
        return 1;
    }

    int status = 0;
    {
        QApplication application(argc, argv);
        TestX11 test;
        status = QTest::qExec(&test, argc, argv);
    }
    wm.terminate();
    wm.waitForFinished();
    server.terminate();
    server.waitForFinished();
    return status;
}

#include "tst_x11.moc"
