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

#include <utility>

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
    QStringList args;
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i <= value.size(); ++i) {
        const QChar c = i < value.size() ? value[i] : QChar(u' ');
        if (quoted && c == u'\\' && i + 1 < value.size() && QStringLiteral("\"`$\\").contains(value[i + 1]))
            current += value[++i];
        else if (quoted && (c == u'`' || c == u'$'))
            current += QStringLiteral("{error}");
        else if (c == u'"')
            quoted = !quoted;
        else if (c == u' ' && !quoted && !current.isEmpty())
            args.append(std::exchange(current, QString()));
        else if (c != u' ' || quoted)
            current += c;
    }
    for (QString &a : args) {
        if (a == QLatin1String("%F"))
            continue;
        a.replace(QLatin1String("%%"), QStringLiteral("\x01"));
        if (a.contains(u'%'))
            a += QStringLiteral("{error}");
        a.replace(u'\x01', u'%');
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
} // namespace

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void foldersAreTheDesktopsOwn_data();
    void foldersAreTheDesktopsOwn();
    void shortcutToggles_data();
    void shortcutToggles();
    void launcherStartsTheProgramWithTheFiles_data();
    void launcherStartsTheProgramWithTheFiles();
    void failedDeletionIsReported();
    void helpCommandsOpenThroughTheDesktop_data();
    void helpCommandsOpenThroughTheDesktop();

private:
    bool checked(int id) { return m_app->MainFrame()->Router()->QueryState(id).checked(); }
    void writeUserDirs(const QByteArray &line);
    void removePages();

    std::unique_ptr<CNYOApp> m_app;
    QString m_root;
    Opened m_opened;
};

void TestShell::init()
{
    useFreshEnvironment();
    m_root = QFileInfo(qEnvironmentVariable("HOME")).absolutePath();
    scratchDir();
    recordBoxes();
    m_opened.urls.clear();
    removePages();
    m_app = startApp();
    QVERIFY(m_app);
}

void TestShell::cleanup()
{
    stopApp(m_app);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    removePages();
}

// The read-me and help page beside the test's executable, which only tests put there.
void TestShell::removePages()
{
    for (const char *name : {"NYO.html", "HELP.html"})
        QFile::remove(QCoreApplication::applicationDirPath() + u'/' + QLatin1String(name));
}

void TestShell::writeUserDirs(const QByteArray &line)
{
    QFile file(m_root + QStringLiteral("/config/user-dirs.dirs"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# written by a test\n" + line + "\n");
}

void TestShell::foldersAreTheDesktopsOwn_data()
{
    QTest::addColumn<QByteArray>("userDirs");
    QTest::addColumn<QString>("desktop");
    QTest::newRow("no user-dirs.dirs") << QByteArray() << QStringLiteral("home/Desktop");
    QTest::newRow("under home") << QByteArray("XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"")
                                << QStringLiteral("home/デスクトップ");
    QTest::newRow("absolute") << QByteArray("XDG_DESKTOP_DIR=\"ROOT/elsewhere\"") << QStringLiteral("elsewhere");
}

// The desktop folder is the one xdg-user-dir names; Send To is the applications folder.
void TestShell::foldersAreTheDesktopsOwn()
{
    QFETCH(QByteArray, userDirs);
    QFETCH(QString, desktop);
    if (!userDirs.isEmpty())
        writeUserDirs(userDirs.replace("ROOT", QFile::encodeName(m_root)));
    QCOMPARE(Shell::FolderPath(Shell::Folder::Desktop), m_root + u'/' + desktop);
    QCOMPARE(Shell::ShortcutPath(Shell::Folder::Desktop), m_root + u'/' + desktop + QStringLiteral("/NYO.desktop"));
    QCOMPARE(Shell::ShortcutPath(Shell::Folder::SendTo), m_root + QStringLiteral("/data/applications/NYO.desktop"));

    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-user-dir"));
    if (tool.isEmpty())
        QSKIP("xdg-user-dir is not installed");
    QProcess process;
    process.start(tool, {QStringLiteral("DESKTOP")});
    QVERIFY(process.waitForFinished());
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).trimmed(), Shell::FolderPath(Shell::Folder::Desktop));
}

void TestShell::shortcutToggles_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("handMade");
    // The applications folder does not exist yet and is made; the desktop folder exists.
    QTest::newRow("send to") << ID_LINK_SENDTO << QStringLiteral("data/applications") << false;
    QTest::newRow("desktop") << ID_LINK_DESKTOP << QStringLiteral("home/デスクトップ") << false;
    QTest::newRow("send to, hand-made file") << ID_LINK_SENDTO << QStringLiteral("data/applications") << true;
    QTest::newRow("desktop, hand-made file") << ID_LINK_DESKTOP << QStringLiteral("home/デスクトップ") << true;
}

void TestShell::shortcutToggles()
{
    QFETCH(int, id);
    QFETCH(QString, folder);
    QFETCH(bool, handMade);
    writeUserDirs("XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"");
    QVERIFY(QDir().mkpath(m_root + QStringLiteral("/home/デスクトップ")));
    const QString link = m_root + u'/' + folder + QStringLiteral("/NYO.desktop");
    const int other = id == ID_LINK_SENDTO ? ID_LINK_DESKTOP : ID_LINK_SENDTO;

    if (handMade) {
        QVERIFY(QDir().mkpath(QFileInfo(link).absolutePath()));
        QFile file(link);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a launcher");
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
        QVERIFY(!checked(other));
    }
    QVERIFY(checked(id));
    QVERIFY(execute(m_app.get(), id));
    QVERIFY(!QFileInfo::exists(link));
    QVERIFY(!checked(id));
    QVERIFY(boxes().texts.isEmpty());
}

void TestShell::launcherStartsTheProgramWithTheFiles_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << QStringLiteral("bin");
    QTest::newRow("blank and Japanese") << QStringLiteral("プログラム フォルダ");
    QTest::newRow("quote, backtick, dollar") << QStringLiteral("a\"b`c$HOME");
    QTest::newRow("backslash and single quote") << QStringLiteral("a\\b\\\\c'd");
    QTest::newRow("percent") << QStringLiteral("100% %F %f");
}

// Read as the format says, and, where the desktop's launcher tool is there, started by it.
void TestShell::launcherStartsTheProgramWithTheFiles()
{
    QFETCH(QString, folder);
    const QString scratch = scratchDir();
    const QString dir = scratch + u'/' + folder;
    QVERIFY(QDir().mkpath(dir));
    const QString target = dir + QStringLiteral("/nyo");
    const QString argsFile = scratch + QStringLiteral("/args");
    QFile script(target);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$NYO_TEST_ARGS\"\n");
    script.close();
    QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));

    const QString link = scratch + QStringLiteral("/NYO.desktop");
    QVERIFY(Shell::CreateShortcut(link, QString(), target));
    QCOMPARE(execArguments(keyValue(readFile(link), QStringLiteral("Exec"))),
             (QStringList{target, QStringLiteral("%F")}));

    // GLib looks for the program before it expands "%%", so it refuses such a launcher.
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (gio.isEmpty() || folder.contains(u'%'))
        return;
    qputenv("NYO_TEST_ARGS", QFile::encodeName(argsFile));
    const QString document = scratch + QStringLiteral("/メモ 1.txt");
    QVERIFY(QProcess::execute(gio, {QStringLiteral("launch"), link, document}) == 0);
    QTRY_COMPARE(QString::fromUtf8(readFile(argsFile)), document + u'\n');
}

void TestShell::failedDeletionIsReported()
{
    const QString link = Shell::ShortcutPath(Shell::Folder::SendTo);
    QVERIFY(QDir().mkpath(link + QStringLiteral("/inside")));  // a folder: no file deletion takes it
    struct Box {
        QString text, caption;
        MsgBox::Buttons buttons;
        MsgBox::Icon icon;
    };
    QList<Box> shown;
    MsgBox::setResponder([&shown](const QString &text, const QString &caption, MsgBox::Buttons b, MsgBox::Icon i) {
        shown.append({text, caption, b, i});
        return int(MsgBox::IDOK);
    });
    QVERIFY(checked(ID_LINK_SENDTO));
    QVERIFY(execute(m_app.get(), ID_LINK_SENDTO));
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0].text, QStringLiteral("ファイルの削除に失敗しました"));
    QCOMPARE(shown[0].caption, QStringLiteral("NYO"));
    QCOMPARE(shown[0].buttons, MsgBox::Buttons::Ok);
    QCOMPARE(shown[0].icon, MsgBox::Icon::None);
    QVERIFY(QFileInfo::exists(link + QStringLiteral("/inside")));
    QVERIFY(checked(ID_LINK_SENDTO));
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
    const QString failure = (file.isEmpty() ? expected.toString() : file) + QStringLiteral("を開けませんでした");
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opened, "open");

    // Missing file, or a desktop that takes no such address.
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_opened, "noSuchMethod");
    QVERIFY(execute(m_app.get(), id));
    QCOMPARE(boxes().texts, QStringList{failure});
    QVERIFY(m_opened.urls.isEmpty());

    boxes().texts.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_opened, "open");
    if (!file.isEmpty()) {
        QFile html(path);
        QVERIFY(html.open(QIODevice::WriteOnly));
        html.write("<html></html>");
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
