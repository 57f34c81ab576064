// --help and --version of the real program: answered in the terminal's language, with no
// display, no lock and no hand-off; only the first argument is an option.
#include "app_helper.h"

#include "app/nyoapp.h"
#include "platform/multidoctemplate.h"
#include "platform/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

using namespace AppHelper;

namespace {

const QString kProgram = QStringLiteral(NYO_BINARY_DIR "/NYO");

// Runs NYO as from a terminal: no display, no platform plugin, only the locale settings given.
bool runInTerminal(QProcess &nyo, const QStringList &args, const QStringList &settings = {"LANG=C"})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QRegularExpression unwanted(QStringLiteral("^(LC_.*|LANG.*|DISPLAY|WAYLAND_DISPLAY|QT_QPA_PLATFORM)$"));
    for (const QString &key : env.keys())
        if (unwanted.match(key).hasMatch())
            env.remove(key);
    for (const QString &setting : settings)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    nyo.setProcessEnvironment(env);
    nyo.start(kProgram, args);
    return nyo.waitForFinished(30000) && nyo.exitStatus() == QProcess::NormalExit;
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void init() { useFreshEnvironment(); }
    void cleanup() { stopApp(m_app); }
    void answersInTheTerminalsLanguage_data();
    void answersInTheTerminalsLanguage();
    void outputThatCannotBeWrittenIsAFailure();
    void laterOptionsAreFileNames_data();
    void laterOptionsAreFileNames();
    void helpNeitherHandsOffNorWaitsForARunningNyo();

private:
    std::unique_ptr<CNYOApp> m_app;
};

void TestCommandLine::answersInTheTerminalsLanguage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("locale");
    QTest::addColumn<bool>("japanese");
    const QStringList help{QStringLiteral("--help")}, version{QStringLiteral("--version")};
    const QString ja = QStringLiteral("ja_JP.UTF-8");
    QTest::newRow("help LANG ja") << help << QStringList{"LANG=" + ja} << true;
    QTest::newRow("help LANG C") << help << QStringList{"LANG=C"} << false;
    QTest::newRow("version LANG ja") << version << QStringList{"LANG=" + ja} << true;
    QTest::newRow("version LANG C") << version << QStringList{"LANG=C"} << false;
    QTest::newRow("help no locale") << help << QStringList{} << false;
    QTest::newRow("LC_ALL ja over LANG C") << help << QStringList{"LANG=C", "LC_ALL=" + ja} << true;
    QTest::newRow("LC_ALL C over LANG ja") << version << QStringList{"LANG=" + ja, "LC_ALL=C"} << false;
    QTest::newRow("LC_MESSAGES C over LANG ja") << help << QStringList{"LANG=" + ja, "LC_MESSAGES=C"} << false;
    QTest::newRow("LC_MESSAGES ja, LANG C.UTF-8") << version << QStringList{"LANG=C.UTF-8", "LC_MESSAGES=" + ja} << true;
    // Japanese goes out as UTF-8, which a terminal of another character set cannot read.
    QTest::newRow("ja in EUC-JP") << help << QStringList{"LANG=ja_JP.eucJP"} << false;
    QTest::newRow("ja, LC_CTYPE EUC-JP") << version << QStringList{"LANG=" + ja, "LC_CTYPE=ja_JP.eucJP"} << false;
    QTest::newRow("help, then files") << QStringList{"--help", "a.txt", "--version"} << QStringList{"LANG=" + ja} << true;
}

void TestCommandLine::answersInTheTerminalsLanguage()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, locale);
    QFETCH(bool, japanese);
    QProcess nyo;
    QVERIFY(runInTerminal(nyo, args, locale));
    const QByteArray err = nyo.readAllStandardError();
    QVERIFY2(err.isEmpty(), err.constData());
    QCOMPARE(nyo.exitCode(), 0);

    const QByteArray out = nyo.readAllStandardOutput();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(out);
    QVERIFY(!utf8.hasError());
    QVERIFY(text.endsWith(u'\n'));
    // The version as the build states it.
    const QString version = QRegularExpression(QStringLiteral("project\\(NYO VERSION ([0-9.]+)"))
                                .match(QString::fromUtf8(readFile(QStringLiteral(NYO_SOURCE_DIR "/CMakeLists.txt"))))
                                .captured(1);
    QVERIFY(!version.isEmpty());
    QVERIFY2(text.contains(QRegularExpression(QStringLiteral("(^|\\s)%1\\s").arg(QRegularExpression::escape(version)))), qPrintable(text));
    QCOMPARE(text.contains(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{30FF}]"))), japanese);
    QCOMPARE(QString::fromLatin1(out) == text, !japanese);  // nothing past ASCII in English
    if (args.first() == QLatin1String("--help"))
        QVERIFY(text.contains(QLatin1String("--help")) && text.contains(QLatin1String("--version")));
    else
        QCOMPARE(text.count(u'\n'), 1);

    // No lock, no socket, no settings.
    QVERIFY(QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).isEmpty());
    QVERIFY(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).isEmpty());
}

void TestCommandLine::outputThatCannotBeWrittenIsAFailure()
{
    QProcess nyo;
    nyo.setStandardOutputFile(QStringLiteral("/dev/full"));
    QVERIFY(runInTerminal(nyo, {QStringLiteral("--help")}));
    QVERIFY(nyo.exitCode() != 0);
    QVERIFY(nyo.readAllStandardError().contains("standard output"));
}

void TestCommandLine::laterOptionsAreFileNames_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("opened");
    QTest::newRow("./--help") << QStringList{"./--help"} << QStringList{"--help"};
    QTest::newRow("second --help") << QStringList{"a.txt", "--help"} << QStringList{"a.txt", "--help"};
    QTest::newRow("after --") << QStringList{"--", "--version"} << QStringList{"--version"};
    QTest::newRow("longer option") << QStringList{"--help.txt"} << QStringList{"--help.txt"};
}

// Handed to the running NYO, which opens them.
void TestCommandLine::laterOptionsAreFileNames()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, opened);
    recordBoxes();
    m_app = startApp();
    QVERIFY(m_app);
    QProcess second;
    second.setWorkingDirectory(scratchDir());
    for (QString &name : opened)
        name = writeFile(name, name.toUtf8());
    second.start(kProgram, args);
    // The running NYO answers from its event loop.
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().isEmpty());
    for (const QString &path : opened)
        QTRY_VERIFY(m_app->GetDocTemplate()->FindDocument(path));
    QCOMPARE(boxes().texts, QStringList());
}

void TestCommandLine::helpNeitherHandsOffNorWaitsForARunningNyo()
{
    // A running NYO as the program sees one: the lock held and the socket listening. This
    // process never answers, so a hand-off would hang until it gives up.
    SingleInstance first;
    QVERIFY(first.acquire());
    QLocalServer server;
    QVERIFY(server.listen(first.socketPath()));
    QProcess nyo;
    QVERIFY(runInTerminal(nyo, {QStringLiteral("--help")}));
    QCOMPARE(nyo.exitCode(), 0);
    QVERIFY(nyo.readAllStandardOutput().contains("--version"));
    bool timedOut = false;
    QVERIFY(!server.waitForNewConnection(0, &timedOut));
    QVERIFY(timedOut);
}

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
