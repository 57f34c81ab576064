// The program on a private X server with a window manager (Xvfb and openbox, started here):
// the lock keys light their panes without polling; the minimised start-up, always on top and
// the placement reach the window manager.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "platform/framework/afxres.h"
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
Display *display() { return qApp->nativeInterface<QNativeInterface::QX11Application>()->display(); }

// The 32-bit items of a window property.
QList<long> property(Display *dpy, Window window, const char *name, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(dpy, window, XInternAtom(dpy, name, False), 0, 64, False, type, &actual, &format, &count,
                           &after, &data) != Success || !data)
        return {};
    const QList<long> items(reinterpret_cast<long *>(data), reinterpret_cast<long *>(data) + count);
    XFree(data);
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

bool netWmState(QWidget *window, const char *state)
{
    return atomsOf(display(), window->winId(), "_NET_WM_STATE").contains(QLatin1String(state));
}

// The state the window manager gives the window: 1 normal, 3 iconic, 0 none yet.
long wmState(QWidget *window)
{
    return property(display(), window->winId(), "WM_STATE", XInternAtom(display(), "WM_STATE", False)).value(0);
}
} // namespace

class TestX11 : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;

private slots:
    void init()
    {
        useFreshEnvironment();
    }
    void cleanup() { stopApp(m_app); }

    void panesFollowTheLockKeys()
    {
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        const auto pane = [frame](int id) { return frame->findChild<QLabel *>(QStringLiteral("indicator%1").arg(id)); };
        QLabel *caps = pane(ID_INDICATOR_CAPS), *num = pane(ID_INDICATOR_NUM);
        QVERIFY(caps && num);
        const auto panes = [caps, num] { return caps->text() + u'|' + num->text(); };
        QTRY_COMPARE(panes(), QStringLiteral("|"));
        // Each key pressed and released on the X server, as a keyboard does.
        for (const auto &[key, shown] : {std::pair{"Caps_Lock", "CAP|"}, {"Num_Lock", "CAP|NUM"}, {"Caps_Lock", "|NUM"}, {"Num_Lock", "|"}}) {
            QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QLatin1String(key)}), 0);
            QTRY_COMPARE_WITH_TIMEOUT(panes(), QLatin1String(shown), 2000);
        }
    }

    // "WindowMode2" 2: an icon from the start, not a window that the window manager maps normal.
    void minimisedStartUp()
    {
        Keys::WindowMode2.write(2);
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        QTRY_COMPARE(wmState(frame), 3L);
        QVERIFY(frame->isMinimized());
        QVERIFY(netWmState(frame, "_NET_WM_STATE_HIDDEN"));
    }

    // Stored on, the frame starts above the others; the command ends that and starts it again,
    // the window staying mapped throughout.
    void alwaysOnTopReachesTheWindowManager()
    {
        Keys::TUNE.write(1);
        m_app = startApp();
        CMainFrame *frame = m_app->MainFrame();
        for (int use = 0; use < 3; ++use) {
            QVERIFY(!use || execute(m_app.get(), ID_VIEW_TOPMOST));
            QTRY_COMPARE(netWmState(frame, "_NET_WM_STATE_ABOVE"), use != 1);
            QTRY_VERIFY(frame->isActiveWindow());
        }
        QCOMPARE(wmState(frame), 1L);
    }

    // The frame's outer corner goes where stored and its inside takes the stored size; closed
    // maximised, the normal rectangle is what is stored, decoration and all.
    void placementBetweenDecorations()
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
        QTRY_VERIFY(netWmState(frame, "_NET_WM_STATE_MAXIMIZED_VERT"));
        QTRY_VERIFY(frame->isMaximized() && frame->size() != stored.size());
        stopApp(m_app);
        QCOMPARE(storedFrame(), stored);
    }
};

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
// Both end with their QProcess objects, after the application.
int main(int argc, char **argv)
{
    QProcess server;
    server.start(QStringLiteral("Xvfb"), QStringLiteral("-displayfd 1 -screen 0 1024x768x24 -nolisten tcp").split(u' '));
    QByteArray number;
    while (!number.endsWith('\n') && server.waitForReadyRead(20000))
        number += server.readAllStandardOutput();
    if (number.trimmed().isEmpty())
        return std::fprintf(stderr, "Xvfb did not start\n"), 1;
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
    if (!wm.waitForStarted() || !waitForWindowManager(name))
        return std::fprintf(stderr, "openbox did not start\n"), 1;
    QApplication application(argc, argv);
    TestX11 test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_x11.moc"
