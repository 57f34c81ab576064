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
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

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
} // namespace

class TestSendMail : public QObject {
    Q_OBJECT
    std::unique_ptr<CNYOApp> m_app;
    QByteArray m_path = qgetenv("PATH");

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
        if (!tool.isEmpty())
            QVERIFY(QFile::setPermissions(writeFile(QStringLiteral("xdg-email"), tool), QFile::ReadOwner | QFile::ExeOwner));
        qputenv("PATH", tool.isEmpty() ? QFile::encodeName(out) : QFile::encodeName(out) + ':' + m_path);
        qputenv("NYO_TEST_EXIT", failure.isEmpty() ? "0" : "4");
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
        // The tool is let go once the main window has been seen.
        bool enabledDuringSend = true;
        QObject scope;  // no call after this run
        QTimer::singleShot(50, &scope, [&] {
            enabledDuringSend = mainFrame(m_app.get())->isEnabled();
            QFile(out + QStringLiteral("/go")).open(QIODevice::WriteOnly);
        });
        QVERIFY(execute(m_app.get(), ID_FILE_SEND_MAIL));
        QVERIFY(mainFrame(m_app.get())->isEnabled() && !QApplication::overrideCursor());

        QCOMPARE(boxes().texts, failure.isEmpty() ? QStringList() : QStringList{failure});
        QCOMPARE(doc->IsModified(), modified);
        QCOMPARE(doc->GetPathName(), path);
        QCOMPARE(doc->GetTitle(), title);
        QVERIFY(!saved || readFile(path) == onDisk);
        const QStringList args = QString::fromUtf8(readFile(out + QStringLiteral("/args"))).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(args.isEmpty(), tool != kTool);
        if (tool == kTool) {
            QVERIFY(!enabledDuringSend);
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
};

QTEST_MAIN(TestSendMail)
#include "tst_sendmail.moc"
