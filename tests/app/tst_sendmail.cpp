// Send: the document's file, or a copy of its text, handed to a stand-in for xdg-email that
// records what it was given.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/mail.h"
#include "res/resource.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

using namespace AppHelper;

namespace {
// Records its arguments and a copy of the attachment, waits until the test lets it go (ten
// seconds at most), and ends with $NYO_TEST_EXIT.
const QByteArray kTool = "#!/bin/sh\n"
                         "out=\"$NYO_TEST_OUT\"\n"
                         "printf '%s\\n' \"$@\" > \"$out/args\"\n"
                         "cp \"$3\" \"$out/attached\"\n"
                         "n=0\n"
                         "while [ ! -e \"$out/go\" ] && [ $n -lt 200 ]; do sleep 0.05; n=$((n+1)); done\n"
                         "exit ${NYO_TEST_EXIT:-0}\n";
// "日本語" CR LF "ｶﾅ" in CP932.
const QByteArray kText = QByteArray::fromHex("93fa967b8cea") + "\r\n" + QByteArray::fromHex("b6c5");

QStringList afxFolders()
{
    return QDir::temp().entryList({QStringLiteral("afx*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}
} // namespace

class TestSendMail : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void sendsTheFileOrACopy_data();
    void sendsTheFileOrACopy();
    void failuresAreReportedAndTheCopyGoes_data();
    void failuresAreReportedAndTheCopyGoes();
    void realToolGetsAJapaneseNameUnderAnyLocale();

private:
    // Sends the active document; the tool is let go once the main window has been seen.
    void send();
    QStringList arguments() const;

    std::unique_ptr<CNYOApp> m_app;
    std::unique_ptr<QTemporaryDir> m_tools;
    QString m_out;
    QByteArray m_path;
    bool m_enabledDuringSend = true;
};

void TestSendMail::init()
{
    useFreshEnvironment();
    m_out = scratchDir();
    recordBoxes();
    m_tools = std::make_unique<QTemporaryDir>();
    m_path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(m_tools->path()) + ':' + m_path);
    qputenv("NYO_TEST_OUT", QFile::encodeName(m_out));
    qunsetenv("NYO_TEST_EXIT");
    QFile tool(m_tools->filePath(QStringLiteral("xdg-email")));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write(kTool);
    tool.close();
    QVERIFY(tool.setPermissions(tool.permissions() | QFile::ExeOwner));
    m_app = startApp();
    QVERIFY(m_app);
}

void TestSendMail::cleanup()
{
    stopApp(m_app);
    Mail::DeleteKeptAttachments();
    qputenv("PATH", m_path);
    qunsetenv("LC_ALL");
}

void TestSendMail::send()
{
    m_enabledDuringSend = true;
    QTimer letGo;
    letGo.setSingleShot(true);
    connect(&letGo, &QTimer::timeout, this, [this] {
        m_enabledDuringSend = mainFrame(m_app.get())->isEnabled();
        QFile(m_out + QStringLiteral("/go")).open(QIODevice::WriteOnly);
    });
    letGo.start(50);
    QVERIFY(execute(m_app.get(), ID_FILE_SEND_MAIL));
    QVERIFY(mainFrame(m_app.get())->isEnabled());
    QVERIFY(!QApplication::overrideCursor());
}

QStringList TestSendMail::arguments() const
{
    return QString::fromUtf8(readFile(m_out + QStringLiteral("/args"))).split(u'\n', Qt::SkipEmptyParts);
}

void TestSendMail::sendsTheFileOrACopy_data()
{
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("modified");
    QTest::newRow("saved") << true << false;
    QTest::newRow("never saved") << false << true;
    QTest::newRow("saved, modified") << true << true;
}

// A saved document sends its own file. Otherwise a copy goes, named as the document, with the
// text as a save would write it; the document keeps its name, its file and its modified state
// (undo still leads back to the saved text), and the copy stays until the program ends.
void TestSendMail::sendsTheFileOrACopy()
{
    QFETCH(bool, saved);
    QFETCH(bool, modified);
    const QString path = saved ? writeFile(QStringLiteral("メモ.txt"), modified ? "old\r\n" : kText) : QString();
    if (saved)
        QVERIFY(m_app->OpenDocumentFile(path));
    CNYODoc *doc = activeDoc(m_app.get());
    CNYOView *view = activeView(m_app.get());
    if (modified) {
        view->selectAll();
        view->ReplaceSel(QStringLiteral("日本語\nｶﾅ"), true);
    }
    const QString title = doc->GetTitle();
    const QStringList before = afxFolders();
    send();

    QVERIFY(!m_enabledDuringSend);
    QVERIFY(boxes().texts.isEmpty());
    const QStringList args = arguments();
    QCOMPARE(args.mid(0, 2), (QStringList{QStringLiteral("--utf8"), QStringLiteral("--attach")}));
    QCOMPARE(args.size(), 3);
    QCOMPARE(readFile(m_out + QStringLiteral("/attached")), kText);
    QCOMPARE(doc->IsModified(), modified);
    QCOMPARE(doc->GetPathName(), path);
    QCOMPARE(doc->GetTitle(), title);
    if (!modified) {
        QCOMPARE(args[2], path);
        QCOMPARE(afxFolders(), before);
        return;
    }
    const QFileInfo copy(args[2]);
    QCOMPARE(copy.fileName(), saved ? QStringLiteral("メモ.txt") : QStringLiteral("無題1"));
    QCOMPARE(copy.absolutePath().section(u'/', 0, -2), QDir::tempPath());
    QVERIFY(copy.dir().dirName().startsWith(QLatin1String("afx")));
    if (saved) {
        QCOMPARE(readFile(path), QByteArray("old\r\n"));
        view->undo();
        QVERIFY(!doc->IsModified());
    }
    QVERIFY(copy.exists());
    Mail::DeleteKeptAttachments();
    QVERIFY(!QFileInfo::exists(copy.absolutePath()));
}

void TestSendMail::failuresAreReportedAndTheCopyGoes_data()
{
    QTest::addColumn<QByteArray>("tool");  // empty: none on the search path
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("ran");
    QTest::newRow("no tool") << QByteArray() << QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ ｻﾎﾟｰﾄを読み込めません。") << false;
    QTest::newRow("tool cannot start") << QByteArray("#!/nonexistent/interpreter\n")
                                       << QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ DLL が無効です。") << false;
    QTest::newRow("tool fails") << kTool << QStringLiteral("ﾒｰﾙの送信に失敗しました。") << true;
}

void TestSendMail::failuresAreReportedAndTheCopyGoes()
{
    QFETCH(QByteArray, tool);
    QFETCH(QString, message);
    QFETCH(bool, ran);
    if (tool.isEmpty()) {
        qputenv("PATH", QFile::encodeName(m_out));  // a folder without the tool
    } else {
        QFile file(m_tools->filePath(QStringLiteral("xdg-email")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(tool);
    }
    qputenv("NYO_TEST_EXIT", "4");
    QTest::keyClicks(activeView(m_app.get()), QStringLiteral("abc"));
    const QStringList before = afxFolders();
    send();

    QCOMPARE(boxes().texts, QStringList{message});
    QCOMPARE(QFileInfo::exists(m_out + QStringLiteral("/args")), ran);
    if (ran)
        QCOMPARE(readFile(m_out + QStringLiteral("/attached")), QByteArray("abc"));
    QCOMPARE(afxFolders(), before);
    QVERIFY(activeDoc(m_app.get())->IsModified());
    QVERIFY(activeDoc(m_app.get())->GetPathName().isEmpty());
}

// The real xdg-email, which hands its mailto address to a hook script when there is one.
void TestSendMail::realToolGetsAJapaneseNameUnderAnyLocale()
{
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-email"), {QStringLiteral("/usr/bin")}).isEmpty())
        QSKIP("xdg-email is not installed");
    QVERIFY(QFile::remove(m_tools->filePath(QStringLiteral("xdg-email"))));
    QFile hook(m_tools->filePath(QStringLiteral("xdg-email-hook.sh")));
    QVERIFY(hook.open(QIODevice::WriteOnly));
    hook.write("#!/bin/sh\nprintf '%s' \"$1\" > \"$NYO_TEST_OUT/mailto\"\n");
    hook.close();
    QVERIFY(hook.setPermissions(hook.permissions() | QFile::ExeOwner));
    qputenv("LC_ALL", "C");

    const QString path = writeFile(QStringLiteral("メモ 1.txt"), kText);
    QVERIFY(m_app->OpenDocumentFile(path));
    send();
    QVERIFY(boxes().texts.isEmpty());
    const QString mailto = QString::fromUtf8(readFile(m_out + QStringLiteral("/mailto")));
    QVERIFY2(mailto.startsWith(QLatin1String("mailto:?attach=")), qPrintable(mailto));
    QCOMPARE(QUrl::fromPercentEncoding(mailto.mid(15).toLatin1()), path);
}

QTEST_MAIN(TestSendMail)
#include "tst_sendmail.moc"
