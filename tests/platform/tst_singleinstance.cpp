// Hand-off between two real processes: this executable starts copies of itself that act as
// the first or the later instance.
#include "platform/desktop/singleinstance.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kRoleSwitch[] = "--single-instance-role";

// ---- roles played by child processes ------------------------------------------------------

// Takes the lock, listens, says "ready" and prints every hand-off as one JSON array per line.
// Ends on "quit" or when its standard input closes (the test went away).
int playFirst(QCoreApplication &app, const QString &name)
{
    SingleInstance instance(name);
    if (!instance.acquire())
        return 2;
    if (!instance.listen())
        return 3;
    QObject::connect(&instance, &SingleInstance::filesReceived, [](const QStringList &paths) {
        const QByteArray line = QJsonDocument(QJsonArray::fromStringList(paths)).toJson(QJsonDocument::Compact);
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    std::thread watcher([&app] {
        std::string line;
        while (std::getline(std::cin, line) && line != "quit") {
        }
        QMetaObject::invokeMethod(&app, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
    });
    const int rc = app.exec();
    watcher.join();
    return rc;
}

// Must find the lock taken; exits 0 when the hand-off was acknowledged, 1 when not.
int playSecond(const QString &name, const QStringList &args)
{
    SingleInstance instance(name);
    if (instance.acquire())
        return 2;
    std::fputs("knocking\n", stdout);
    std::fflush(stdout);
    return instance.handOff(args, QDir::currentPath()) ? 0 : 1;
}

// ---- the test's side ----------------------------------------------------------------------

QStringList childArgs(const QString &role, const QString &name, const QStringList &rest = {})
{
    return QStringList{QString::fromLatin1(kRoleSwitch), role, name} + rest;
}

bool waitForLine(QProcess &p, int ms = 15000)
{
    QDeadlineTimer deadline(ms);
    while (!p.canReadLine()) {
        if (deadline.hasExpired() || !p.waitForReadyRead(int(deadline.remainingTime())))
            return p.canReadLine();
    }
    return true;
}

// A first instance in a child process.
class FirstProcess
{
public:
    bool start(const QString &name)
    {
        m_p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_p.start(QCoreApplication::applicationFilePath(), childArgs(QStringLiteral("first"), name));
        return m_p.waitForStarted() && waitForLine(m_p) && m_p.readLine() == "ready\n";
    }
    // The paths of the next hand-off, or a marker when none arrived.
    QStringList next()
    {
        if (!waitForLine(m_p))
            return {QStringLiteral("<nothing arrived>")};
        QStringList paths;
        for (const QJsonValue &v : QJsonDocument::fromJson(m_p.readLine()).array())
            paths << v.toString();
        return paths;
    }
    int quit()
    {
        m_p.write("quit\n");
        m_p.closeWriteChannel();
        return m_p.waitForFinished(15000) && m_p.exitStatus() == QProcess::NormalExit ? m_p.exitCode() : -1;
    }
    void kill()
    {
        m_p.kill();
        m_p.waitForFinished(15000);
    }
    bool running() const { return m_p.state() == QProcess::Running; }

private:
    QProcess m_p;
};

// Starts a later instance in workDir.
void startSecond(QProcess &p, const QString &name, const QStringList &args,
                 const QString &workDir = QDir::rootPath())
{
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setWorkingDirectory(workDir);
    p.start(QCoreApplication::applicationFilePath(), childArgs(QStringLiteral("second"), name, args));
}

// Its exit code, or -1 when it crashed or hung.
int exitCodeOf(QProcess &p)
{
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// The wire format, written out independently of the code under test.
QByteArray u32(quint32 v)
{
    char b[4];
    qToBigEndian(v, b);
    return QByteArray(b, 4);
}

QByteArray header(quint32 length, const QByteArray &magic = "NYOH", quint32 version = 1)
{
    return magic + u32(version) + u32(length);
}

QByteArray payloadOf(const QList<QByteArray> &utf8Paths)
{
    QByteArray payload = u32(quint32(utf8Paths.size()));
    for (const QByteArray &p : utf8Paths)
        payload += u32(quint32(p.size())) + p;
    return payload;
}

QByteArray messageOf(const QByteArray &payload) { return header(quint32(payload.size())) + payload; }

int permissionBits(const QString &path)
{
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_runtime;
    QString m_name;
    FirstProcess m_first;

    // True when a hand-off of this single path, made after a test case, is the next thing the
    // first instance receives: nothing else slipped in before it.
    bool nextIsSentinel()
    {
        const QString path = QStringLiteral("/sentinel/") + QString::fromLatin1(QTest::currentDataTag());
        return SingleInstance(m_name).handOff({path}, QDir::rootPath()) && m_first.next() == QStringList{path};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        m_runtime = m_tmp.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(m_runtime));
        QVERIFY(QFile::setPermissions(m_runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_tmp.filePath(QStringLiteral("config"))));
        m_name = QStringLiteral("NYOtest-%1").arg(QCoreApplication::applicationPid());
        QVERIFY(m_first.start(m_name));
    }

    void cleanupTestCase()
    {
        // A clean end (no leak, no crash) of the first instance, and its socket is gone.
        QCOMPARE(m_first.quit(), 0);
        QVERIFY(!QFileInfo::exists(m_runtime + QLatin1Char('/') + m_name + QStringLiteral("/socket")));
    }

    void lockIsHeldByOneProcess()
    {
        SingleInstance second(m_name);
        QVERIFY(!second.acquire());
        QVERIFY(!second.listen());

        // Another name is another lock, and once taken it is ours for good.
        SingleInstance other(m_name + QStringLiteral("-other"));
        QVERIFY(other.acquire());
        QVERIFY(other.acquire());
        SingleInstance otherSecond(m_name + QStringLiteral("-other"));
        QVERIFY(!otherSecond.acquire());
    }

    // A later process in a folder of its own. Relative names are against that folder; an
    // existing name is taken as it stands, a missing quoted one loses its quotes. Every
    // argument is a file but the first "--". With no file left, nothing is sent and the later
    // process says so.
    void handsOverFileArguments_data()
    {
        QTest::addColumn<QStringList>("existing");  // files made in the folder first
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("expected");  // "{wd}" stands for the folder
        using L = QStringList;
        QTest::newRow("relative") << L{} << L{"notes.txt"} << L{"{wd}/notes.txt"};
        QTest::newRow("dots cleaned") << L{} << L{"sub/../a.txt", "./b.txt"} << L{"{wd}/a.txt", "{wd}/b.txt"};
        QTest::newRow("two paths, in order") << L{} << L{"/x/2.txt", "/x/1.txt"} << L{"/x/2.txt", "/x/1.txt"};
        const QString odd = QStringLiteral("/tmp/a b/\"引用\" 'x' 日本語 ﾃｷｽﾄ.txt");
        QTest::newRow("spaces, quotes, Japanese") << L{} << L{odd} << L{odd};
        QString longPath;
        while (longPath.size() < 10000)
            longPath += QStringLiteral("/長いフォルダ名folder");
        longPath.truncate(10000);
        QTest::newRow("10000 characters") << L{} << L{longPath} << L{longPath};
        QTest::newRow("existing quoted name as it stands") << L{"\"both.txt\"", "both.txt"} << L{"\"both.txt\""}
                                                           << L{"{wd}/\"both.txt\""};
        QTest::newRow("missing quoted name stripped") << L{} << L{"\"a b.txt\"", "\"cut.txt\" rest", "\"/abs/q.txt\""}
                                                      << L{"{wd}/a b.txt", "{wd}/cut.txt", "/abs/q.txt"};
        QTest::newRow("quote in the middle, existing") << L{"say \"hi\".txt"} << L{"say \"hi\".txt"}
                                                       << L{"{wd}/say \"hi\".txt"};
        QTest::newRow("quote in the middle, missing, never cut") << L{} << L{"gone \"x\".txt"} << L{"{wd}/gone \"x\".txt"};
        QTest::newRow("leading dash is a file") << L{} << L{"-draft.txt", "--x"} << L{"{wd}/-draft.txt", "{wd}/--x"};
        QTest::newRow("first -- ends options") << L{} << L{"--", "--x.txt", "--"} << L{"{wd}/--x.txt", "{wd}/--"};
        QTest::newRow("no arguments") << L{} << L{} << L{};
        QTest::newRow("nothing left of a name") << L{} << L{"--", "\"\"", ""} << L{};
    }
    void handsOverFileArguments()
    {
        QFETCH(QStringList, existing);
        QFETCH(QStringList, args);
        QFETCH(QStringList, expected);
        QTemporaryDir wd(m_tmp.filePath(QStringLiteral("later wd 二-XXXXXX")));
        for (const QString &name : existing)
            QVERIFY(QFile(wd.filePath(name)).open(QIODevice::WriteOnly));
        expected.replaceInStrings(QStringLiteral("{wd}"), wd.path());
        QProcess second;
        startSecond(second, m_name, args, wd.path());
        QCOMPARE(exitCodeOf(second), expected.isEmpty() ? 1 : 0);
        if (expected.isEmpty())
            QVERIFY(nextIsSentinel());
        else
            QCOMPARE(m_first.next(), expected);
    }

    void dropsMalformedMessages_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("closeFirst");  // the client gives up before the message is whole
        const QByteArray good = payloadOf({"/a.txt"});
        QTest::newRow("text") << QByteArray("GET / HTTP/1.0\r\n\r\nsome text that is no message") << false;
        QTest::newRow("wrong magic") << header(quint32(good.size()), "NYOX") + good << false;
        QTest::newRow("wrong version") << header(quint32(good.size()), "NYOH", 2) + good << false;
        QTest::newRow("length 4 GB") << header(0xFFFFFFFFu) + good << false;
        QTest::newRow("length just too large") << header(quint32(SingleInstance::maxPayloadBytes()) + 1) + good << false;
        QTest::newRow("count 4 G") << header(4) + u32(0xFFFFFFFFu) << false;
        QTest::newRow("count zero") << header(4) + u32(0) << false;
        QTest::newRow("string past the payload") << messageOf(u32(1) + u32(1000) + "/ab") << false;
        QTest::newRow("relative path") << messageOf(payloadOf({"rel.txt"})) << false;
        QTest::newRow("empty path") << messageOf(payloadOf({"/a", ""})) << false;
        QTest::newRow("invalid UTF-8") << messageOf(payloadOf({"/\xff\xfe.txt"})) << false;
        QTest::newRow("UTF-8 cut off at the end") << messageOf(payloadOf({"/tmp/a\xc3"})) << false;
        QTest::newRow("byte-order mark first") << messageOf(payloadOf({"\xef\xbb\xbf/tmp/a"})) << false;
        QTest::newRow("NUL in path") << messageOf(payloadOf({QByteArray("/a\0b", 4)})) << false;
        QTest::newRow("bytes after the last path") << messageOf(good + "x") << false;
        QTest::newRow("cut short") << header(100) + good << true;
        QTest::newRow("header only, cut short") << QByteArray("NYO") << true;
    }
    void dropsMalformedMessages()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, closeFirst);
        QLocalSocket raw;
        raw.connectToServer(SingleInstance(m_name).socketPath());
        QVERIFY(raw.waitForConnected(5000));
        raw.write(bytes);
        QVERIFY(raw.waitForBytesWritten(5000));
        if (closeFirst) {
            raw.disconnectFromServer();
        } else {
            // The receiver hangs up without the acknowledgement byte.
            QVERIFY(raw.state() == QLocalSocket::UnconnectedState || raw.waitForDisconnected(5000));
            QCOMPARE(raw.readAll(), QByteArray());
        }
        QVERIFY(m_first.running());
        QVERIFY(nextIsSentinel());
    }

    void folderAndSocketAreOwnerOnly()
    {
        const QString socket = SingleInstance(m_name).socketPath();
        const QString folder = QFileInfo(socket).path();
        QCOMPARE(folder, m_runtime + QLatin1Char('/') + m_name);
        QCOMPARE(QFileInfo(folder).ownerId(), uint(::geteuid()));
        QCOMPARE(permissionBits(folder), 0700);
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(socket).constData(), &st), 0);
        QVERIFY(S_ISSOCK(st.st_mode));
        QCOMPARE(int(st.st_mode & 077), 0);
        QCOMPARE(uint(st.st_uid), uint(::geteuid()));

        // Without a runtime folder (or with a relative one): a folder named with the user's id in
        // the temporary folder, made owner-only whatever the umask.
        const QString temp = m_tmp.filePath(QStringLiteral("tmp"));
        QVERIFY(QDir().mkpath(temp));
        const QByteArray oldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(temp));
        const mode_t oldMask = ::umask(0);
        for (const QByteArray &runtime : {QByteArray(), QByteArray("relative/run")}) {
            if (runtime.isEmpty())
                qunsetenv("XDG_RUNTIME_DIR");
            else
                qputenv("XDG_RUNTIME_DIR", runtime);
            const QString expectedFolder = temp + QStringLiteral("/NYOtest-fallback-%1").arg(::geteuid());
            QCOMPARE(SingleInstance(QStringLiteral("NYOtest-fallback")).socketPath(), expectedFolder + QStringLiteral("/socket"));
            QCOMPARE(permissionBits(expectedFolder), 0700);
        }
        ::umask(oldMask);
        qputenv("TMPDIR", oldTmp);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
    }

    void refusesUnsafeFolder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("group can read") << "0750";
        QTest::newRow("anyone can write") << "0777";
        QTest::newRow("link to a private folder") << "link";
        QTest::newRow("a file") << "file";
    }
    void refusesUnsafeFolder()
    {
        QFETCH(QString, kind);
        const QString name = QStringLiteral("NYOtest-unsafe-") + kind;
        const QString path = m_runtime + QLatin1Char('/') + name;
        const QString target = m_tmp.filePath(name + QStringLiteral("-target"));
        if (kind == QLatin1String("link")) {
            QVERIFY(QDir().mkpath(target));
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            QVERIFY(QFile::link(target, path));
        } else if (kind == QLatin1String("file")) {
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        } else {
            QVERIFY(QDir().mkpath(path));
            QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(kind.toInt(nullptr, 8))), 0);
        }
        const int modeBefore = permissionBits(path);

        SingleInstance instance(name);
        QVERIFY(instance.socketPath().isEmpty());
        QVERIFY(!instance.errorString().isEmpty());
        QVERIFY(instance.acquire()); // runs on its own rather than not at all
        QVERIFY(!instance.listen());
        QVERIFY(!instance.handOff({QStringLiteral("/a.txt")}, QDir::rootPath(), 500));

        // Nothing was made or changed inside.
        QCOMPARE(permissionBits(path), modeBefore);
        const QString inside = kind == QLatin1String("link") ? target : path;
        QVERIFY(kind == QLatin1String("file") ||
                QDir(inside).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
    }

    void waitsForFirstToListen()
    {
        const QString name = m_name + QStringLiteral("-late");
        SingleInstance first(name);
        QVERIFY(first.acquire());
        QSignalSpy received(&first, &SingleInstance::filesReceived);

        QProcess second;
        startSecond(second, name, {QStringLiteral("/late.txt")});
        QVERIFY(waitForLine(second));
        QCOMPARE(second.readLine(), QByteArray("knocking\n"));
        // The later process is knocking already; the main window takes a moment more.
        QTest::qWait(300);
        QVERIFY(first.listen());

        QVERIFY(received.wait(15000));
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.at(0).at(0).toStringList(), QStringList{"/late.txt"});
        QCOMPARE(exitCodeOf(second), 0);
    }

    void givesUpWhenNobodyListens()
    {
        const QString name = m_name + QStringLiteral("-deaf");
        SingleInstance first(name);
        QVERIFY(first.acquire());
        QSignalSpy received(&first, &SingleInstance::filesReceived);
        QProcess second;
        startSecond(second, name, {QStringLiteral("/lost.txt")});
        QCOMPARE(exitCodeOf(second), 1);
        QCOMPARE(received.size(), 0);
    }

    void takesOverAfterFirstDied()
    {
        const QString name = m_name + QStringLiteral("-crash");
        const QString socket = m_runtime + QLatin1Char('/') + name + QStringLiteral("/socket");
        {
            FirstProcess doomed;
            QVERIFY(doomed.start(name));
            doomed.kill();
        }
        QVERIFY(QFileInfo::exists(socket)); // left behind, as after a crash

        {
            SingleInstance next(name);
            QVERIFY(next.acquire());
            QVERIFY(next.listen());
            QSignalSpy received(&next, &SingleInstance::filesReceived);
            QProcess second;
            startSecond(second, name, {QStringLiteral("/after-crash.txt")});
            QVERIFY(received.wait(15000));
            QCOMPARE(received.at(0).at(0).toStringList(), QStringList{"/after-crash.txt"});
            QCOMPARE(exitCodeOf(second), 0);
        }
        // A clean end removes the socket and frees the lock.
        QVERIFY(!QFileInfo::exists(socket));
        SingleInstance again(name);
        QVERIFY(again.acquire());
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args.at(1) == QLatin1String(kRoleSwitch)) {
        if (args.at(2) == QLatin1String("first") && args.size() == 4)
            return playFirst(app, args.at(3));
        if (args.at(2) == QLatin1String("second") && args.size() >= 4)
            return playSecond(args.at(3), args.mid(4));
        return 100;
    }
    TestSingleInstance test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
