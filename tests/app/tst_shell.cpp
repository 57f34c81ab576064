// The shell commands: the program's launcher in the "Send To" (applications) folder and on the
// desktop, and the read-me, help page and web page opened through the desktop.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyoview.h"
#include "platform/framework/commandrouter.h"
#include "platform/desktop/shell.h"
#include "res/resource.h"

#include <QAction>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
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

// The arguments of a launcher's Exec value: the string escapes undone, then the quoting, then
// "%%" as a literal "%". What else the format forbids, desktop-file-validate rejects.
QStringList execArguments(const QByteArray &launcher)
{
    const QString value = QRegularExpression(QStringLiteral("^Exec=(.*)$"), QRegularExpression::MultilineOption)
                              .match(QString::fromUtf8(launcher)).captured(1).replace(QLatin1String("\\\\"), QLatin1String("\\"));
    QStringList args{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'"')
            quoted = !quoted;
        else if (quoted && value[i] == u'\\' && i + 1 < value.size())
            args.last() += value[++i];
        else if (value[i] == u' ' && !quoted)
            args.append(QString());
        else
            args.last() += value[i];
    }
    return args.replaceInStrings(QLatin1String("%%"), QLatin1String("%"));
}

bool valid(const QString &launcher) { return QProcess::execute(QStringLiteral("desktop-file-validate"), {launcher}) == 0; }
} // namespace

class TestShell : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;
    Opened m_opened;
    bool checked(int id) { return m_app->MainFrame()->Router()->QueryState(id).checked(); }
    // The read-me and help page beside the test's executable, which only tests put there.
    static void removePages()
    {
        for (const char *name : {"NYO.html", "HELP.html"})
            QFile::remove(page(QLatin1String(name)));
    }
    static QString page(const QString &name) { return QCoreApplication::applicationDirPath() + u'/' + name; }

private slots:
    void init()
    {
        useFreshEnvironment();
        m_opened.urls.clear();
        removePages();
        m_app = startApp();
    }
    void cleanup()
    {
        stopApp(m_app);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        removePages();
    }

    void shortcutToggles_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("there");  // before: nothing, a hand-made "file", or a "folder"
        QTest::addColumn<QString>("place");  // the folder's place: "" as below, "unnamed", "taken"
        // The applications folder does not exist yet and is made; the desktop folder, as
        // user-dirs.dirs names it, exists unless the row says otherwise.
        const QString sendTo = QStringLiteral("data/applications"), desktop = QStringLiteral("home/デスクトップ");
        QTest::newRow("send to") << ID_LINK_SENDTO << sendTo << QString() << QString();
        QTest::newRow("desktop") << ID_LINK_DESKTOP << desktop << QString() << QString();
        QTest::newRow("send to, hand-made file") << ID_LINK_SENDTO << sendTo << QStringLiteral("file") << QString();
        QTest::newRow("desktop, hand-made file") << ID_LINK_DESKTOP << desktop << QStringLiteral("file") << QString();
        // No file deletion takes a folder: the failure is reported and the check mark stays.
        QTest::newRow("send to, undeletable") << ID_LINK_SENDTO << sendTo << QStringLiteral("folder") << QString();
        // A desktop folder that is named but missing is made, as is ~/Desktop where none is named.
        QTest::newRow("desktop, named but missing") << ID_LINK_DESKTOP << desktop << QString() << QStringLiteral("missing");
        QTest::newRow("desktop, none named") << ID_LINK_DESKTOP << QStringLiteral("home/Desktop") << QString() << QStringLiteral("unnamed");
        // A folder that cannot be made (a file has its name): the launcher is not made, and that is told.
        QTest::newRow("desktop, place taken") << ID_LINK_DESKTOP << desktop << QString() << QStringLiteral("taken");
        QTest::newRow("send to, place taken") << ID_LINK_SENDTO << sendTo << QString() << QStringLiteral("taken");
    }

    // The command makes the launcher, and its folder where that is missing; a file already there
    // shows as one, and the command deletes it. Each failure is told.
    void shortcutToggles()
    {
        QFETCH(int, id);
        QFETCH(QString, folder);
        QFETCH(QString, there);
        QFETCH(QString, place);
        const QString root = QFileInfo(qEnvironmentVariable("HOME")).absolutePath();  // of the fresh environment
        if (place != QLatin1String("unnamed")) {
            QFile dirs(root + QStringLiteral("/config/user-dirs.dirs"));
            QVERIFY(dirs.open(QIODevice::WriteOnly) && dirs.write("XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n") > 0);
        }
        if (place.isEmpty())
            QVERIFY(QDir().mkpath(root + QStringLiteral("/home/デスクトップ")));
        if (place == QLatin1String("taken")) {
            QFile taken(root + u'/' + folder);
            QVERIFY(taken.open(QIODevice::WriteOnly));
        }
        const QString link = root + u'/' + folder + QStringLiteral("/NYO.desktop");
        const bool stays = there == QLatin1String("folder");
        if (!there.isEmpty()) {
            QVERIFY(QDir().mkpath(stays ? link + QStringLiteral("/inside") : QFileInfo(link).absolutePath()));
            QFile file(link);
            QVERIFY(stays || (file.open(QIODevice::WriteOnly) && file.write("not a launcher") > 0));
        } else {
            QVERIFY(!checked(id));
            QVERIFY(execute(m_app.get(), id));
            if (place == QLatin1String("taken")) {
                QCOMPARE(boxes().texts, QStringList{QStringLiteral("ショートカットの作成に失敗しました")});
                QVERIFY(!checked(id) && QFileInfo(root + u'/' + folder).isFile());
                return;
            }
            QVERIFY(valid(link));
            QCOMPARE(execArguments(readFile(link)), (QStringList{QCoreApplication::applicationFilePath(), QStringLiteral("%F")}));
            QVERIFY(readFile(link).contains("\nMimeType=text/plain;\n"));
            QVERIFY(QFileInfo(link).isExecutable());
            QVERIFY(!checked(id == ID_LINK_SENDTO ? ID_LINK_DESKTOP : ID_LINK_SENDTO));
        }
        QVERIFY(checked(id));
        QVERIFY(execute(m_app.get(), id));
        QCOMPARE(QFileInfo::exists(link), stays);
        QCOMPARE(checked(id), stays);
        QCOMPARE(boxes().texts, stays ? QStringList{QStringLiteral("ファイルの削除に失敗しました")} : QStringList());
    }

    void shortcutStateWhenItsMenuOpens_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("folder");
        QTest::newRow("send to") << ID_LINK_SENDTO << QStringLiteral("data/applications");
        QTest::newRow("desktop") << ID_LINK_DESKTOP << QStringLiteral("home/Desktop");
    }

    // The items' states ask the file system, so they are worked out as their menu opens, not
    // after every key or selection change: a launcher that appears meanwhile shows only then.
    void shortcutStateWhenItsMenuOpens()
    {
        QFETCH(int, id);
        QFETCH(QString, folder);
        const QString root = QFileInfo(qEnvironmentVariable("HOME")).absolutePath();
        CommandRouter *router = m_app->MainFrame()->Router();
        QAction *item = router->Actions(id).value(0);
        QAction *cut = router->Actions(ID_EDIT_CUT).value(0);
        QMenu *menu = nullptr;
        for (QObject *holder : item->associatedObjects())
            menu = menu ? menu : qobject_cast<QMenu *>(holder);
        QVERIFY(menu && cut);
        const auto openMenu = [menu] {
            menu->popup(QPoint());
            QTRY_VERIFY(menu->isVisible());
            menu->close();
        };
        openMenu();
        QVERIFY(!item->isChecked());

        QVERIFY(Shell::CreateShortcut(root + u'/' + folder + QStringLiteral("/NYO.desktop"), QString(), QStringLiteral("/bin/true")));
        CNYOView *view = activeView(m_app.get());
        QTest::keyClicks(view, QStringLiteral("abc"));
        QTest::keyClick(view, Qt::Key_Left, Qt::ShiftModifier);
        QTRY_VERIFY(cut->isEnabled());  // the items have been brought up to date after the keys
        QVERIFY(!item->isChecked());
        openMenu();
        QVERIFY(item->isChecked());
    }

    void execQuotesTheProgramPath_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("plain") << QStringLiteral("bin");
        QTest::newRow("blank and Japanese") << QStringLiteral("プログラム フォルダ");
        QTest::newRow("quote, backtick, dollar") << QStringLiteral("a\"b`c$HOME");
        QTest::newRow("backslash and single quote") << QStringLiteral("a\\b\\\\c'd");
        QTest::newRow("percent") << QStringLiteral("100% %F %f");
    }

    void execQuotesTheProgramPath()
    {
        QFETCH(QString, folder);
        const QString dir = scratchDir(), target = dir + u'/' + folder + QStringLiteral("/nyo");
        QVERIFY(Shell::CreateShortcut(dir + QStringLiteral("/NYO.desktop"), QString(), target));
        QVERIFY(valid(dir + QStringLiteral("/NYO.desktop")));
        QCOMPARE(execArguments(readFile(dir + QStringLiteral("/NYO.desktop"))), (QStringList{target, QStringLiteral("%F")}));
    }

    void helpCommandsOpenThroughTheDesktop_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("file");  // beside the executable; empty for the web page
        QTest::newRow("read-me") << ID_HELP_README << QStringLiteral("NYO.html");
        QTest::newRow("help") << ID_HELP_HELP << QStringLiteral("HELP.html");
        QTest::newRow("web page") << ID_HELP_HOMEPAGE << QString();
    }

    // A missing file, or a desktop that takes no such address, is told; without a document
    // window no one handles the command.
    void helpCommandsOpenThroughTheDesktop()
    {
        QFETCH(int, id);
        QFETCH(QString, file);
        const QString path = page(file);
        const QUrl expected = file.isEmpty() ? QUrl(QStringLiteral("https://hoshikage.example/nyo/")) : QUrl::fromLocalFile(path);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_opened, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_opened, "noSuchMethod");
        QVERIFY(execute(m_app.get(), id));
        QCOMPARE(boxes().texts, QStringList{(file.isEmpty() ? expected.toString() : file) + QStringLiteral("を開けませんでした")});
        QVERIFY(m_opened.urls.isEmpty());

        boxes().texts.clear();
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_opened, "open");
        QFile html(path);
        QVERIFY(file.isEmpty() || html.open(QIODevice::WriteOnly));
        QVERIFY(execute(m_app.get(), id));
        QCOMPARE(m_opened.urls, QList<QUrl>{expected});
        QVERIFY(boxes().texts.isEmpty());

        QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
        QVERIFY(!enabled(m_app.get(), id));
    }
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
