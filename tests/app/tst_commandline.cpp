// --help and --version of the real program: answered in the terminal's language, with no
// display, no lock and no hand-off; only the first argument is an option.
#include "app_helper.h"

#include "app/nyoapp.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/desktop/singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTest>

using namespace AppHelper;

static const QString kProgram = QStringLiteral(NYO_BINARY_DIR "/NYO");

class TestCommandLine : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;

private slots:
    void init() { useFreshEnvironment(); }
    void cleanup() { stopApp(m_app); }

    void answersInTheTerminalsLanguage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("locale");
        QTest::addColumn<bool>("japanese");
        QTest::addColumn<QString>("output");  // where standard output goes; empty: read back
        const QString ja = QStringLiteral("ja_JP.UTF-8");
        QTest::newRow("Japanese, then files") << QStringList{"--help", "a.txt", "--version"} << QStringList{"LANG=" + ja} << true << QString();
        QTest::newRow("English") << QStringList{"--version"} << QStringList{"LANG=C"} << false << QString();
        QTest::newRow("LC_ALL over LANG") << QStringList{"--version"} << QStringList{"LANG=C", "LC_ALL=" + ja} << true << QString();
        QTest::newRow("LC_MESSAGES over LANG") << QStringList{"--help"} << QStringList{"LANG=" + ja, "LC_MESSAGES=C"} << false << QString();
        // Japanese goes out as UTF-8, which a terminal of another character set cannot read.
        QTest::newRow("EUC-JP") << QStringList{"--help"} << QStringList{"LANG=ja_JP.eucJP"} << false << QString();
        QTest::newRow("output cannot be written") << QStringList{"--help"} << QStringList{"LANG=C"} << false << QStringLiteral("/dev/full");
    }

    // Run as from a terminal (no display, no platform plugin, only the locale settings given),
    // and with a running NYO (the lock held, the socket listening, never answering): the answer
    // comes at once, with no hand-off, and leaves no settings behind.
    void answersInTheTerminalsLanguage()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, locale);
        QFETCH(bool, japanese);
        QFETCH(QString, output);
        SingleInstance first;
        QVERIFY(first.acquire());
        QLocalServer server;
        QVERIFY(server.listen(first.socketPath()));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString &key : env.keys().filter(QRegularExpression(QStringLiteral("^(LC_|LANG|DISPLAY$|WAYLAND_DISPLAY$|QT_QPA_PLATFORM$)"))))
            env.remove(key);
        for (const QString &setting : locale)
            env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        QProcess nyo;
        nyo.setProcessEnvironment(env);
        if (!output.isEmpty())
            nyo.setStandardOutputFile(output);
        nyo.start(kProgram, args);
        QVERIFY(nyo.waitForFinished(30000) && nyo.exitStatus() == QProcess::NormalExit);
        bool timedOut = false;
        QVERIFY(!server.waitForNewConnection(0, &timedOut) && timedOut);
        QVERIFY(QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).isEmpty());
        const QByteArray err = nyo.readAllStandardError();
        QVERIFY2(output.isEmpty() ? err.isEmpty() && nyo.exitCode() == 0 : err.contains("standard output") && nyo.exitCode() != 0,
                 err.constData());
        if (!output.isEmpty())
            return;

        const QByteArray out = nyo.readAllStandardOutput();
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(out);
        QVERIFY(!utf8.hasError() && text.endsWith(u'\n'));
        // The version as the build states it.
        static const QString version = QRegularExpression(QStringLiteral("project\\(NYO VERSION ([0-9.]+)"))
                                           .match(QString::fromUtf8(readFile(QStringLiteral(NYO_SOURCE_DIR "/CMakeLists.txt")))).captured(1);
        QVERIFY2(!version.isEmpty() && text.contains(QRegularExpression(QStringLiteral("(^|\\s)%1\\s").arg(QRegularExpression::escape(version)))),
                 qPrintable(text));
        QCOMPARE(text.contains(QRegularExpression(QStringLiteral("[\\x{3040}-\\x{30FF}]"))), japanese);
        QCOMPARE(QString::fromLatin1(out) == text, !japanese);  // nothing past ASCII in English
        if (args.first() == QLatin1String("--help"))
            QVERIFY(text.contains(QLatin1String("--help")) && text.contains(QLatin1String("--version")));
        else
            QCOMPARE(text.count(u'\n'), 1);
    }

    void laterOptionsAreFileNames_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("opened");
        QTest::newRow("./--help") << QStringList{"./--help"} << QStringList{"--help"};
        QTest::newRow("second --help") << QStringList{"a.txt", "--help"} << QStringList{"a.txt", "--help"};
        QTest::newRow("after --") << QStringList{"--", "--version"} << QStringList{"--version"};
        QTest::newRow("longer option") << QStringList{"--help.txt"} << QStringList{"--help.txt"};
    }

    // Handed to the running NYO, which opens them from its event loop.
    void laterOptionsAreFileNames()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, opened);
        m_app = startApp();
        QProcess second;
        second.setWorkingDirectory(scratchDir());
        for (QString &name : opened)
            name = writeFile(name, name.toUtf8());
        second.start(kProgram, args);
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAllStandardOutput().isEmpty());
        for (const QString &path : opened)
            QTRY_VERIFY(m_app->GetDocTemplate()->FindDocument(path));
        QVERIFY(boxes().texts.isEmpty());
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
