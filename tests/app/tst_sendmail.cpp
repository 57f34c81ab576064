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
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace AppHelper;

namespace {
// Records its arguments and a copy of the attachment, waits until the test lets it go (ten
// seconds at most), and ends with $NYO_TEST_EXIT.
const QByteArray kTool = "#!/bin/sh\nout=\"$NYO_TEST_OUT\"; n=0\n"
                         "printf '%s\\n' \"$@\" > \"$out/args\"; cp \"$3\" \"$out/attached\"\n"
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
    void init()
    {
        useFreshEnvironment();
        m_out = scratchDir();
        recordBoxes();
        m_tools = std::make_unique<QTemporaryDir>();
        m_path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_tools->path()) + ':' + m_path);
        qputenv("NYO_TEST_OUT", QFile::encodeName(m_out));
        qunsetenv("NYO_TEST_EXIT");
        writeTool(kTool);
        m_app = startApp();
        QVERIFY(m_app);
    }
    void cleanup()
    {
        stopApp(m_app);
        Mail::DeleteKeptAttachments();
        qputenv("PATH", m_path);
    }

    void sendsTheFileOrACopy_data();
    void sendsTheFileOrACopy();

private:
    void writeTool(const QByteArray &script)
    {
        QFile tool(m_tools->filePath(QStringLiteral("xdg-email")));
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write(script);
        QVERIFY(tool.setPermissions(tool.permissions() | QFile::ExeOwner));
    }

    std::unique_ptr<CNYOApp> m_app;
    std::unique_ptr<QTemporaryDir> m_tools;
    QString m_out;
    QByteArray m_path;
};

void TestSendMail::sendsTheFileOrACopy_data()
{
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("modified");
    QTest::addColumn<QByteArray>("tool");  // empty: none on the search path
    QTest::addColumn<QString>("failure");
    QTest::newRow("saved") << true << false << kTool << QString();
    QTest::newRow("never saved") << false << true << kTool << QString();
    QTest::newRow("saved, modified") << true << true << kTool << QString();
    QTest::newRow("no tool") << false << true << QByteArray() << QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ ｻﾎﾟｰﾄを読み込めません。");
    QTest::newRow("tool cannot start") << false << true << QByteArray("#!/nonexistent/interpreter\n")
                                       << QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ DLL が無効です。");
    QTest::newRow("tool fails") << true << true << kTool << QStringLiteral("ﾒｰﾙの送信に失敗しました。");
}

// A saved document sends its own file. Otherwise a copy goes, named as the document, with the
// text as a save would write it; the copy stays until the program ends, or goes at once when the
// sending fails. Either way the document keeps its name, its file and its modified state (undo
// still leads back to the saved text).
void TestSendMail::sendsTheFileOrACopy()
{
    QFETCH(bool, saved);
    QFETCH(bool, modified);
    QFETCH(QByteArray, tool);
    QFETCH(QString, failure);
    if (tool.isEmpty())
        qputenv("PATH", QFile::encodeName(m_out));  // a folder without the tool
    else
        writeTool(tool);
    if (!failure.isEmpty())
        qputenv("NYO_TEST_EXIT", "4");
    const QByteArray onDisk = modified ? QByteArray("old\r\n") : kText;
    const QString path = saved ? writeFile(QStringLiteral("メモ.txt"), onDisk) : QString();
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
    // The tool is let go once the main window has been seen.
    bool enabledDuringSend = true;
    QTimer letGo;
    letGo.setSingleShot(true);
    connect(&letGo, &QTimer::timeout, this, [&] {
        enabledDuringSend = mainFrame(m_app.get())->isEnabled();
        QFile(m_out + QStringLiteral("/go")).open(QIODevice::WriteOnly);
    });
    letGo.start(50);
    QVERIFY(execute(m_app.get(), ID_FILE_SEND_MAIL));
    QVERIFY(mainFrame(m_app.get())->isEnabled());
    QVERIFY(!QApplication::overrideCursor());

    QCOMPARE(boxes().texts, failure.isEmpty() ? QStringList() : QStringList{failure});
    QCOMPARE(doc->IsModified(), modified);
    QCOMPARE(doc->GetPathName(), path);
    QCOMPARE(doc->GetTitle(), title);
    if (saved)
        QCOMPARE(readFile(path), onDisk);
    const QStringList args = QString::fromUtf8(readFile(m_out + QStringLiteral("/args"))).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(args.isEmpty(), tool != kTool);
    if (tool == kTool) {
        QVERIFY(!enabledDuringSend);
        QCOMPARE(args.mid(0, 2), (QStringList{QStringLiteral("--utf8"), QStringLiteral("--attach")}));
        QCOMPARE(args.size(), 3);
        QCOMPARE(readFile(m_out + QStringLiteral("/attached")), kText);
    }
    if (!modified)
        QCOMPARE(args.value(2), path);
    if (!modified || !failure.isEmpty()) {
        QCOMPARE(afxFolders(), before);
        return;
    }
    const QFileInfo copy(args.value(2));
    QCOMPARE(copy.fileName(), saved ? QStringLiteral("メモ.txt") : QStringLiteral("無題1"));
    QCOMPARE(copy.absolutePath().section(u'/', 0, -2), QDir::tempPath());
    QVERIFY(copy.dir().dirName().startsWith(QLatin1String("afx")));
    if (saved) {
        view->undo();
        QVERIFY(!doc->IsModified());
    }
    QVERIFY(copy.exists());
    Mail::DeleteKeptAttachments();
    QVERIFY(!QFileInfo::exists(copy.absolutePath()));
}

QTEST_MAIN(TestSendMail)
#include "tst_sendmail.moc"
