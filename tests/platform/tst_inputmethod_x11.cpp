// A real input method: fcitx5 with anthy on a private X server under openbox, on a private
// D-Bus session, all started here. Japanese typed into a view is converted in two clauses; the
// clause being converted shows highlighted in a screenshot of the window, Right moves it to the
// next clause, and Enter commits; a click while composing commits once. Where fcitx5 and anthy
// are not there or do not come up, each test is skipped and says why.
#include "platform/engine/textbuffer.h"
#include "platform/engine/textview.h"
#include "../imagecheck.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLibraryInfo>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCharFormat>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Why the input method cannot be tried here; empty when it came up.
QString g_unavailable;

// The compositions an input method sends a view, as they arrive.
class CompositionLog : public QObject {
public:
    QString preedit;
    int convertingStart = -1;  // the clause painted with a background of its own
    int convertingLength = 0;
    QColor converting;

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::InputMethod)
            return false;
        const auto *im = static_cast<QInputMethodEvent *>(event);
        preedit = im->preeditString();
        convertingStart = -1;
        for (const QInputMethodEvent::Attribute &a : im->attributes()) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            if (a.type == QInputMethodEvent::TextFormat && format.background().style() != Qt::NoBrush) {
                convertingStart = a.start;
                convertingLength = a.length;
                converting = format.background().color();
            }
        }
        return false;
    }
};

QString run(const QString &program, const QStringList &arguments, int *status = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool done = process.waitForFinished(5000);
    if (status)
        *status = done && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

bool waitUntil(const std::function<bool()> &condition, int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        if (QCoreApplication::instance())
            QTest::qWait(50);
        else
            QThread::msleep(50);
    }
    return true;
}

} // namespace

using namespace ImageCheck;

class TestInputMethod : public QObject {
    Q_OBJECT
    std::unique_ptr<TextView> m_view;
    CompositionLog m_log;

    static bool xdotool(const QStringList &arguments)
    {
        int status = -1;
        run(u"xdotool"_s, arguments, &status);
        return status == 0;
    }
    static bool type(const QString &keys) { return xdotool({u"type"_s, u"--delay"_s, u"20"_s, keys}); }
    static bool key(const QString &name) { return xdotool({u"key"_s, name}); }

private slots:
    // A view of its own for each test, focused, with fcitx5's input context on it.
    void init()
    {
        if (!g_unavailable.isEmpty())
            QSKIP(qPrintable(g_unavailable));
        m_log.preedit.clear();
        m_log.convertingStart = -1;
        m_view = std::make_unique<TextView>();
        m_view->setFont(QFont(u"IPAGothic"_s, 12));
        m_view->resize(400, 120);
        m_view->installEventFilter(&m_log);
        m_view->show();
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        m_view->setFocus();
        if (!waitUntil([] { return run(u"fcitx5-remote"_s, {u"-n"_s}) == u"anthy"; }, 10000))
            QSKIP("fcitx5 came up but gave the window no input context with anthy");
    }

    void cleanup() { m_view.reset(); }

    // "kyouhaharedesu" and Space: 今日は|晴れです, the first clause highlighted on the screen
    // and the second underlined; Right: the other way round; Enter: the text committed.
    // Nothing enters the text before that.
    void convertingClauseShowsAndMovesWithRight()
    {
        TextView &view = *m_view;
        QVERIFY(type(u"kyouhaharedesu"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.preedit, u"きょうははれです"_s, 5000);
        QCOMPARE(view.buffer()->text(), QString());
        QVERIFY(key(u"space"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.preedit, u"今日は晴れです"_s, 5000);
        QCOMPARE(std::pair(m_log.convertingStart, m_log.convertingLength), std::pair(0, 3));

        // The clauses' places in the window, as the X server shows it.
        const QRect row = view.cursorRect(0).translated(view.viewport()->mapTo(&view, QPoint()));
        const QFontMetrics metrics(view.font());
        const int first = metrics.horizontalAdvance(u"今日は"_s);
        const int second = metrics.horizontalAdvance(u"晴れです"_s);
        const QRect clauses[] = {QRect(row.x() + 2, row.y(), first - 4, row.height()),
                                 QRect(row.x() + first + 2, row.y(), second - 4, row.height())};
        // The converting clause highlighted, the other underlined.
        const auto highlighted = [&](int clause) {
            const QImage shot = view.screen()->grabWindow(view.winId()).toImage();
            return shareOf(shot, clauses[clause], m_log.converting) > 0.5 &&
                   shareOf(shot, clauses[1 - clause], m_log.converting) < 0.05 &&
                   hasLineAcross(shot, clauses[1 - clause]) && !hasLineAcross(shot, clauses[clause]);
        };
        QTRY_VERIFY_WITH_TIMEOUT(highlighted(0), 5000);

        QVERIFY(key(u"Right"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.convertingStart, 3, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(highlighted(1), 5000);
        QCOMPARE(view.buffer()->text(), QString());  // Right went to the input method

        QVERIFY(key(u"Return"_s));
        QTRY_COMPARE_WITH_TIMEOUT(view.buffer()->text(), u"今日は晴れです"_s, 5000);
        QCOMPARE(m_log.preedit, QString());
    }

    // A click while composing commits where the composition stands, once: fcitx5 commits it
    // too when asked to end the composition; what is typed next composes at the click.
    void clickWhileComposingCommitsOnce()
    {
        TextView &view = *m_view;
        view.buffer()->load(u"晴れ"_s, {});
        view.setPosition(2);
        QVERIFY(type(u"nihongo"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.preedit, u"にほんご"_s, 5000);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cursorRect(0).center());
        QCOMPARE(view.buffer()->text(), u"晴れにほんご"_s);
        QCOMPARE(view.position(), 0);
        QVERIFY(type(u"a"_s));
        QTRY_COMPARE_WITH_TIMEOUT(m_log.preedit, u"あ"_s, 5000);
        QCOMPARE(view.buffer()->text(), u"晴れにほんご"_s);
    }
};

namespace {

bool installed()
{
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           u"/platforminputcontexts/libfcitx5platforminputcontextplugin.so"_s;
    return !QStandardPaths::findExecutable(u"fcitx5"_s).isEmpty() &&
           !QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty() &&
           QFile::exists(u"/usr/share/fcitx5/addon/anthy.conf"_s) && QFile::exists(plugin);
}

// fcitx5 reads which input methods to offer from its profile: anthy alone, on from the start.
bool writeProfile(const QString &configHome)
{
    QDir().mkpath(configHome + u"/fcitx5"_s);
    QFile profile(configHome + u"/fcitx5/profile"_s);
    return profile.open(QIODevice::WriteOnly) &&
           profile.write("[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=anthy\n\n"
                         "[Groups/0/Items/0]\nName=anthy\nLayout=\n\n[GroupOrder]\n0=Default\n") > 0;
}

// A line a process writes on its standard output, such as the display or the bus it serves.
QByteArray firstLine(QProcess &process)
{
    QByteArray line;
    while (!line.endsWith('\n') && process.waitForReadyRead(20000))
        line += process.readAllStandardOutput();
    return line.trimmed();
}

// Starts the session bus and fcitx5 on it; returns why not when that fails.
QString startInputMethod(QProcess &bus, QProcess &fcitx)
{
    if (!installed())
        return u"fcitx5 with anthy is not installed (fcitx5, fcitx5-anthy, fcitx5-frontend-qt6, dbus-daemon)"_s;
    bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
    const QByteArray address = firstLine(bus);
    if (address.isEmpty())
        return u"the private D-Bus session did not start"_s;
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    fcitx.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    fcitx.setStandardOutputFile(QProcess::nullDevice());
    fcitx.start(u"fcitx5"_s, {u"--disable=all"_s, u"--enable=keyboard,anthy,dbus,dbusfrontend,xcb"_s});
    if (!fcitx.waitForStarted())
        return u"fcitx5 did not start"_s;
    const auto answers = [] {
        int status = -1;
        run(u"fcitx5-remote"_s, {}, &status);
        return status == 0;
    };
    if (!waitUntil(answers, 10000))
        return u"fcitx5 did not come up on the session bus within 10 seconds"_s;
    qputenv("QT_IM_MODULE", "fcitx");
    return QString();
}

} // namespace

// A private X server with openbox, a private session bus and fcitx5 for the whole test; all
// end after the application.
int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(u"config"_s)));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    QProcess server;
    server.start(u"Xvfb"_s, u"-displayfd 1 -screen 0 1024x768x24 -nolisten tcp"_s.split(u' '));
    const QByteArray number = firstLine(server);
    if (number.isEmpty())
        return std::fprintf(stderr, "Xvfb did not start\n"), 1;
    qputenv("DISPLAY", ':' + number);
    qputenv("QT_QPA_PLATFORM", "xcb");
    QProcess wm;
    wm.start(u"openbox"_s, {});
    // xdotool reads the desktop from what a window manager announces on the root window.
    const auto managed = [] {
        int status = -1;
        run(u"xdotool"_s, {u"get_desktop"_s}, &status);
        return status == 0;
    };
    if (!wm.waitForStarted() || !waitUntil(managed, 20000))
        return std::fprintf(stderr, "openbox did not start\n"), 1;
    QProcess bus, fcitx;
    if (!writeProfile(home.filePath(u"config"_s)))
        return std::fprintf(stderr, "cannot write the fcitx5 profile\n"), 1;
    g_unavailable = startInputMethod(bus, fcitx);
    int failed = 0;
    {
        QApplication application(argc, argv);
        TestInputMethod test;
        failed = QTest::qExec(&test, argc, argv);
    }
    for (QProcess *process : {&fcitx, &bus, &wm, &server}) {
        process->terminate();
        process->waitForFinished();
    }
    return failed;
}

#include "tst_inputmethod_x11.moc"
