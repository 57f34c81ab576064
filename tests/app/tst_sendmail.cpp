// Send: the document's file, or a copy of its text, handed to a stand-in for xdg-email that
// records what it was given; the editor in use while the tool runs.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/base/filename.h"
#include "platform/desktop/mail.h"
#include "res/resource.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

using namespace AppHelper;

namespace {
// Records its arguments and a copy of the attachment in its own folder, waits until the test
// lets it go (ten seconds at most), and ends with $NYO_TEST_EXIT.
const QByteArray kTool = "#!/bin/sh\nout=$(dirname \"$0\"); n=0\n"
                         "printf '%s\\n' \"$@\" > \"$out/args\"; cp \"$3\" \"$out/attached\"\n"
                         "while [ ! -e \"$out/go\" ] && [ $n -lt 200 ]; do sleep 0.05; n=$((n+1)); done\n"
                         "exit $NYO_TEST_EXIT\n";
// "日本語" CR LF "ｶﾅ" in CP932.
const QByteArray kText = QByteArray::fromHex("93fa967b8cea") + "\r\n" + QByteArray::fromHex("b6c5");

QStringList afxFolders() { return QDir::temp().entryList({QStringLiteral("afx*")}, QDir::Dirs | QDir::NoDotAndDotDot); }

// Puts the stand-in first on the search path; empty tool: no xdg-email anywhere on it.
void useTool(const QString &out, const QByteArray &tool, const QByteArray &path, const char *exitCode)
{
    if (!tool.isEmpty())
        QVERIFY(QFile::setPermissions(writeFile(QStringLiteral("xdg-email"), tool), QFile::ReadOwner | QFile::ExeOwner));
    qputenv("PATH", tool.isEmpty() ? QFile::encodeName(out) : QFile::encodeName(out) + ':' + path);
    qputenv("NYO_TEST_EXIT", exitCode);
}

// Lets the stand-in end.
void letGo(const QString &out) { QFile(out + QStringLiteral("/go")).open(QIODevice::WriteOnly); }
} // namespace

class TestSendMail : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;
    QByteArray m_path = qgetenv("PATH");
    // A sending runs as a child process of the application object until the tool has ended.
    bool sending() const { return m_app && !m_app->findChildren<QProcess *>().isEmpty(); }

private slots:
    void init()
    {
        useFreshEnvironment();
        m_app = startApp();
    }
    void cleanup()
    {
        stopApp(m_app);
        Mail::DeleteKeptAttachments();
        qputenv("PATH", m_path);
    }
    void sendsTheFileOrACopy_data()
    {
        QTest::addColumn<bool>("saved");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<QByteArray>("tool");  // empty: none on the search path
        QTest::addColumn<QString>("failure");
        QTest::newRow("saved") << true << false << kTool << QString();
        QTest::newRow("never saved") << false << true << kTool << QString();
        QTest::newRow("saved, modified") << true << true << kTool << QString();
        QTest::newRow("no tool") << false << true << QByteArray() << QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ ｻﾎﾟｰﾄを読み込めません。");
        QTest::newRow("tool cannot start") << false << true << QByteArray("#!/nonexistent/interpreter\n") << QStringLiteral("ﾒｰﾙ ｼｽﾃﾑ DLL が無効です。");
        QTest::newRow("tool fails") << true << true << kTool << QStringLiteral("ﾒｰﾙの送信に失敗しました。");
    }

    // A saved document sends its own file. Otherwise a copy goes, named as the document, with the
    // text as a save would write it; the copy stays until the program ends, or goes at once when the
    // sending fails. Either way the document keeps its name, its file and its modified state (undo
    // still leads back to the saved text).
    void sendsTheFileOrACopy()
    {
        QFETCH(bool, saved);
        QFETCH(bool, modified);
        QFETCH(QByteArray, tool);
        QFETCH(QString, failure);
        const QString out = scratchDir();
        useTool(out, tool, m_path, failure.isEmpty() ? "0" : "4");
        const QByteArray onDisk = modified ? QByteArray("old\r\n") : kText;
        const QString path = saved ? writeFile(QStringLiteral("メモ.txt"), onDisk) : QString();
        QVERIFY(!saved || m_app->OpenDocumentFile(path));
        CNYODoc *doc = activeDoc(m_app.get());
        CNYOView *view = activeView(m_app.get());
        if (modified) {
            view->selectAll();
            view->ReplaceSel(QStringLiteral("日本語\nｶﾅ"), true);
        }
        const QString title = doc->GetTitle();
        const QStringList before = afxFolders();
        // The tool is let go once the main window has been seen while it runs.
        bool enabledDuringSend = false;
        QObject scope;  // no call after this run
        QTimer::singleShot(50, &scope, [&] {
            enabledDuringSend = sending() && mainFrame(m_app.get())->isEnabled();
            letGo(out);
        });
        QVERIFY(execute(m_app.get(), ID_FILE_SEND_MAIL));
        QVERIFY(mainFrame(m_app.get())->isEnabled() && !QApplication::overrideCursor());
        QTRY_VERIFY(QFile::exists(out + QStringLiteral("/go")) && !sending());

        QCOMPARE(boxes().texts, failure.isEmpty() ? QStringList() : QStringList{failure});
        QCOMPARE(doc->IsModified(), modified);
        QCOMPARE(doc->GetPathName(), path);
        QCOMPARE(doc->GetTitle(), title);
        QVERIFY(!saved || readFile(path) == onDisk);
        const QStringList args = QString::fromUtf8(readFile(out + QStringLiteral("/args"))).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(args.isEmpty(), tool != kTool);
        if (tool == kTool) {
            QVERIFY(enabledDuringSend);
            QCOMPARE(args, (QStringList{QStringLiteral("--utf8"), QStringLiteral("--attach"), args.value(2)}));
            QCOMPARE(readFile(out + QStringLiteral("/attached")), kText);
        }
        QVERIFY(modified || args.value(2) == path);
        if (!modified || !failure.isEmpty()) {
            QCOMPARE(afxFolders(), before);
            return;
        }
        const QFileInfo copy(args.value(2));
        QCOMPARE(copy.fileName(), saved ? QStringLiteral("メモ.txt") : QStringLiteral("無題1"));
        QVERIFY(QRegularExpression(QStringLiteral("^%1/afx[^/]+$").arg(QRegularExpression::escape(QDir::tempPath()))).match(copy.absolutePath()).hasMatch());
        if (saved)
            view->undo();
        QCOMPARE(doc->IsModified(), !saved);
        QVERIFY(copy.exists());
        Mail::DeleteKeptAttachments();
        QVERIFY(!QFileInfo::exists(copy.absolutePath()));
    }

    // A file whose name is not UTF-8 (日本語.txt in Shift-JIS bytes) goes as a copy named as the
    // document reads, since the tool would get the name's bytes wrong.
    void nameThatIsNotUtf8SendsACopy()
    {
        const QString out = scratchDir();
        useTool(out, kTool, m_path, "0");
        const QByteArray name = QFile::encodeName(out) + '/' + QByteArray::fromHex("93fa967b8cea") + ".txt";
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0 && ::write(fd, kText.constData(), size_t(kText.size())) == kText.size() && ::close(fd) == 0);
        const auto removeName = qScopeGuard([name] { ::unlink(name.constData()); });
        QVERIFY(m_app->OpenDocumentFile(FileName::FromNative(name)));
        QTimer::singleShot(50, m_app.get(), [out] { letGo(out); });
        QVERIFY(execute(m_app.get(), ID_FILE_SEND_MAIL));
        QTRY_VERIFY(QFile::exists(out + QStringLiteral("/go")) && !sending());
        QVERIFY(boxes().texts.isEmpty());
        const QStringList args = QString::fromUtf8(readFile(out + QStringLiteral("/args"))).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(QFileInfo(args.value(2)).fileName(), QStringLiteral("日本語.txt"));
        QCOMPARE(readFile(out + QStringLiteral("/attached")), kText);
    }

    void editorStaysInUseWhileTheToolRuns_data()
    {
        QTest::addColumn<QString>("meanwhile");  // done while the tool runs, after typing and saving
        QTest::addColumn<QString>("failure");    // the tool's end, failing with this message
        const QString failed = QStringLiteral("ﾒｰﾙの送信に失敗しました。");
        QTest::newRow("sent") << QString() << QString();
        QTest::newRow("fails") << QString() << failed;
        QTest::newRow("document closed") << QStringLiteral("close") << failed;
        QTest::newRow("program ends") << QStringLiteral("exit") << QString();
    }

    // The tool runs on its own: meanwhile the window takes letters and Ctrl+S saves them, the
    // copy sent stays as it was sent, and the tool's end is told when it comes: a failure then,
    // the copy gone with it; a sent copy stays until the program ends. The document may close
    // meanwhile; the program may end, at once, taking the copy along without a word.
    void editorStaysInUseWhileTheToolRuns()
    {
        QFETCH(QString, meanwhile);
        QFETCH(QString, failure);
        const QString out = scratchDir();
        useTool(out, kTool, m_path, failure.isEmpty() ? "0" : "4");
        const QString path = writeFile(QStringLiteral("メモ.txt"), "abc");
        QVERIFY(m_app->OpenDocumentFile(path));
        CNYOView *view = activeView(m_app.get());
        view->SetSel(3, 3);
        QTest::keyClicks(view, QStringLiteral("1"));
        QVERIFY(execute(m_app.get(), ID_FILE_SEND_MAIL));
        QTRY_VERIFY(QFile::exists(out + QStringLiteral("/attached")));
        const QString copy = QString::fromUtf8(readFile(out + QStringLiteral("/args"))).split(u'\n').value(2);
        QVERIFY(sending() && mainFrame(m_app.get())->isEnabled());

        QTest::keyClicks(view, QStringLiteral("2"));
        QTest::keySequence(view, QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(readFile(path), QByteArray("abc12"));
        QCOMPARE(readFile(copy), QByteArray("abc1"));
        QVERIFY(sending() && boxes().texts.isEmpty());

        if (meanwhile == QLatin1String("exit")) {
            QElapsedTimer ending;
            ending.start();
            stopApp(m_app);
            QVERIFY(ending.elapsed() < 5000);  // the stand-in would wait ten seconds
            QVERIFY(!QFileInfo::exists(copy) && boxes().texts.isEmpty());
            return;
        }
        if (meanwhile == QLatin1String("close")) {
            const int open = documentCount(m_app.get());
            QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
            QCOMPARE(documentCount(m_app.get()), open - 1);
        }
        letGo(out);
        QTRY_VERIFY(!sending());
        QCOMPARE(boxes().texts, failure.isEmpty() ? QStringList() : QStringList{failure});
        QCOMPARE(QFileInfo::exists(copy), failure.isEmpty());
    }
};

QTEST_MAIN(TestSendMail)
#include "tst_sendmail.moc"
