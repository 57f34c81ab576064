// The shell commands: the program's launcher in the "Send To" (applications) folder and on the
// desktop, and the read-me, help page and web page opened through the desktop.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "platform/commandrouter.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "res/resource.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>

using namespace AppHelper;

namespace {
// Takes what the desktop would be asked to open.
class Opened : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
    Q_INVOKABLE void open(const QUrl &url) { urls.append(url); }
};

// The arguments an Exec value stands for, read as strictly as the desktop entry format defines
// it: the string escapes first, then the quoting (a bare "`" or "$" in quotes is an error),
// then "%%" as a literal "%" (any other field code inside an argument is an error).
QStringList execArguments(QString value)
{
    value.replace(QLatin1String("\\\\"), QLatin1String("\\"));
    QStringList args{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'"')
            quoted = !quoted;
        else if (quoted && c == u'\\' && i + 1 < value.size() && QStringLiteral("\"`$\\").contains(value[i + 1]))
            args.last() += value[++i];
        else if (quoted && (c == u'`' || c == u'$'))
            args.last() += QStringLiteral("{error}");
        else if (c == u' ' && !quoted)
            args.append(QString());
        else
            args.last() += c;
    }
    for (QString &a : args) {
        if (a == QLatin1String("%F"))
            continue;
        if (QString(a).remove(QLatin1String("%%")).contains(u'%'))
            a += QStringLiteral("{error}");
        a.replace(QLatin1String("%%"), QLatin1String("%"));
    }
    return args;
}

QString keyValue(const QByteArray &text, const QString &key)
{
    for (const QString &line : QString::fromUtf8(text).split(u'\n'))
        if (line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    return QString();
}

// The read-me and help page beside the test's executable, which only tests put there.
void removePages()
{
    for (const char *name : {"NYO.html", "HELP.html"})
        QFile::remove(QCoreApplication::applicationDirPath() + u'/' + QLatin1String(name));
}
} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        useFreshEnvironment();
        m_root = QFileInfo(qEnvironmentVariable("HOME")).absolutePath();
        recordBoxes();
        m_opened.urls.clear();
        removePages();
        m_app = startApp();
        QVERIFY(m_app);
    }
    void cleanup()
    {
        recordBoxes();
        stopApp(m_app);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        removePages();
    }

    void shortcutToggles_data();
    void shortcutToggles();
    void execQuotesTheProgramPath_data();
    void execQuotesTheProgramPath();
    void helpCommandsOpenThroughTheDesktop_data();
    void helpCommandsOpenThroughTheDesktop();

private:
    bool checked(int id) { return m_app->MainFrame()->Router()->QueryState(id).checked(); }
    void writeUserDirs(const QByteArray &line)
    {
        QFile file(m_root + QStringLiteral("/config/user-dirs.dirs"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("# written by a test\n" + line + "\n");
    }

    std::unique_ptr<CNYOApp> m_app;
    QString m_root;
    Opened m_opened;
};

void TestShell::shortcutToggles_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("there");  // before: nothing, a hand-made "file", or a "folder"
    // The applications folder does not exist yet and is made; the desktop folder, as
    // user-dirs.dirs names it, exists.
    const QString sendTo = QStringLiteral("data/applications"), desktop = QStringLiteral("home/デスクトップ");
    QTest::newRow("send to") << ID_LINK_SENDTO << sendTo << QString();
    QTest::newRow("desktop") << ID_LINK_DESKTOP << desktop << QString();
    QTest::newRow("send to, hand-made file") << ID_LINK_SENDTO << sendTo << QStringLiteral("file");
    QTest::newRow("desktop, hand-made file") << ID_LINK_DESKTOP << desktop << QStringLiteral("file");
    // No file deletion takes a folder: the failure is reported and the check mark stays.
    QTest::newRow("send to, undeletable") << ID_LINK_SENDTO << sendTo << QStringLiteral("folder");
}

// The command makes the launcher; a file already there shows as one, and the command deletes it.
void TestShell::shortcutToggles()
{
    QFETCH(int, id);
    QFETCH(QString, folder);
    QFETCH(QString, there);
    writeUserDirs("XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"");
    QVERIFY(QDir().mkpath(m_root + QStringLiteral("/home/デスクトップ")));
    MsgBox::setResponder([](const QString &text, const QString &caption, MsgBox::Buttons b, MsgBox::Icon i) {
        boxes().texts << QStringLiteral("%1|%2|%3|%4").arg(text, caption).arg(int(b)).arg(int(i));
        return int(MsgBox::IDOK);
    });
    const QString link = m_root + u'/' + folder + QStringLiteral("/NYO.desktop");
    // The desktop folder is the one user-dirs.dirs names, as the desktop's own tool reads it.
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-user-dir"));
    if (id == ID_LINK_DESKTOP && !tool.isEmpty()) {
        QProcess process;
        process.start(tool, {QStringLiteral("DESKTOP")});
        QVERIFY(process.waitForFinished());
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).trimmed() + QStringLiteral("/NYO.desktop"), link);
    }
    const bool stays = there == QLatin1String("folder");
    if (!there.isEmpty()) {
        QVERIFY(QDir().mkpath(stays ? link + QStringLiteral("/inside") : QFileInfo(link).absolutePath()));
        QFile file(link);
        QVERIFY(stays || (file.open(QIODevice::WriteOnly) && file.write("not a launcher") > 0));
    } else {
        QVERIFY(!checked(id));
        QVERIFY(execute(m_app.get(), id));
        const QByteArray text = readFile(link);
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QCOMPARE(keyValue(text, QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(execArguments(keyValue(text, QStringLiteral("Exec"))),
                 (QStringList{QCoreApplication::applicationFilePath(), QStringLiteral("%F")}));
        QCOMPARE(keyValue(text, QStringLiteral("MimeType")), QStringLiteral("text/plain;"));
        QVERIFY(!keyValue(text, QStringLiteral("Name[ja]")).isEmpty());
        QVERIFY(!text.contains("\nComment="));
        QVERIFY(QFileInfo(link).isExecutable());
        QVERIFY(!checked(id == ID_LINK_SENDTO ? ID_LINK_DESKTOP : ID_LINK_SENDTO));
    }
    QVERIFY(checked(id));
    QVERIFY(execute(m_app.get(), id));
    QCOMPARE(QFileInfo::exists(link), stays);
    QCOMPARE(checked(id), stays);
    const QString failure = QStringLiteral("ファイルの削除に失敗しました|NYO|%1|%2")
                                .arg(int(MsgBox::Buttons::Ok))
                                .arg(int(MsgBox::Icon::None));
    QCOMPARE(boxes().texts, stays ? QStringList{failure} : QStringList());
}

void TestShell::execQuotesTheProgramPath_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << QStringLiteral("bin");
    QTest::newRow("blank and Japanese") << QStringLiteral("プログラム フォルダ");
    QTest::newRow("quote, backtick, dollar") << QStringLiteral("a\"b`c$HOME");
    QTest::newRow("backslash and single quote") << QStringLiteral("a\\b\\\\c'd");
    QTest::newRow("percent") << QStringLiteral("100% %F %f");
}

void TestShell::execQuotesTheProgramPath()
{
    QFETCH(QString, folder);
    const QString dir = scratchDir();
    const QString target = dir + u'/' + folder + QStringLiteral("/nyo");
    const QString link = dir + QStringLiteral("/NYO.desktop");
    QVERIFY(Shell::CreateShortcut(link, QString(), target));
    QCOMPARE(execArguments(keyValue(readFile(link), QStringLiteral("Exec"))), (QStringList{target, QStringLiteral("%F")}));
}

void TestShell::helpCommandsOpenThroughTheDesktop_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("file");  // beside the executable; empty for the web page
    QTest::newRow("read-me") << ID_HELP_README << QStringLiteral("NYO.html");
    QTest::newRow("help") << ID_HELP_HELP << QStringLiteral("HELP.html");
    QTest::newRow("web page") << ID_HELP_HOMEPAGE << QString();
}

void TestShell::helpCommandsOpenThroughTheDesktop()
{
    QFETCH(int, id);
    QFETCH(QString, file);
    const QString path = QCoreApplication::applicationDirPath() + u'/' + file;
    const QUrl expected = file.isEmpty() ? QUrl(QStringLiteral("https://hoshikage.example/nyo/")) : QUrl::fromLocalFile(path);
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opened, "open");

    // Missing file, or a desktop that takes no such address.
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_opened, "noSuchMethod");
    QVERIFY(execute(m_app.get(), id));
    QCOMPARE(boxes().texts, QStringList{(file.isEmpty() ? expected.toString() : file) + QStringLiteral("を開けませんでした")});
    QVERIFY(m_opened.urls.isEmpty());

    boxes().texts.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_opened, "open");
    if (!file.isEmpty()) {
        QFile html(path);
        QVERIFY(html.open(QIODevice::WriteOnly));
    }
    QVERIFY(execute(m_app.get(), id));
    QCOMPARE(m_opened.urls, QList<QUrl>{expected});
    QVERIFY(boxes().texts.isEmpty());

    // Without a document window no one handles the command.
    QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
    QVERIFY(!enabled(m_app.get(), id));
}

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
