// A second start of the real program hands its files to the running one and ends.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/base/filename.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/richeditdoc.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

using namespace AppHelper;

class TestHandOff : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void relativePathsOpenFromTheSecondStartsFolder();
    void namesWithQuotesAndDashesOpen();
    void secondStartWithoutFilesSendsNothing();
    void namesThatAreNotUtf8AreHandedOverAsTheirBytes();

private:
    // Runs the program as a second start in folder with args; returns its exit code.
    int runSecond(const QString &folder, const QStringList &args);
    // The same with one argument given as raw bytes, which QProcess would encode as UTF-8: a
    // shell makes them and starts the program with them.
    static int runProcess(const QString &folder, const QString &program, const QStringList &args);
    int runSecondWithBytes(const QString &folder, const QByteArray &arg);
    std::unique_ptr<CNYOApp> m_app;
};

void TestHandOff::init()
{
    useFreshEnvironment();
    m_app = startApp();
    QVERIFY(m_app);
}

void TestHandOff::cleanup()
{
    stopApp(m_app);
}

int TestHandOff::runSecond(const QString &folder, const QStringList &args)
{
    return runProcess(folder, QStringLiteral(NYO_BINARY_DIR "/NYO"), args);
}

// Runs a process in folder to its end: its exit code, -1 when it does not start, -2 when it
// does not end within 30 s.
int TestHandOff::runProcess(const QString &folder, const QString &program, const QStringList &args)
{
    QProcess second;
    second.setWorkingDirectory(folder);
    second.setProgram(program);
    second.setArguments(args);
    second.start();
    if (!second.waitForStarted(10000))
        return -1;
    // The first instance answers from its event loop, so keep it running while waiting.
    QElapsedTimer timer;
    timer.start();
    while (second.state() != QProcess::NotRunning && timer.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        second.waitForFinished(20);
    }
    return second.state() == QProcess::NotRunning ? second.exitCode() : -2;
}

int TestHandOff::runSecondWithBytes(const QString &folder, const QByteArray &arg)
{
    QString octal;
    for (const char byte : arg)
        octal += QStringLiteral("\\0%1").arg(uint(uchar(byte)), 3, 8, QLatin1Char('0'));
    const QString script = QStringLiteral("exec \"$0\" \"$(printf '%b' \"$1\")\"");
    return runProcess(folder, QStringLiteral("/bin/sh"),
                      {QStringLiteral("-c"), script, QStringLiteral(NYO_BINARY_DIR "/NYO"), octal});
}

void TestHandOff::relativePathsOpenFromTheSecondStartsFolder()
{
    const QString folder = scratchDir();
    writeFile(QStringLiteral("one.txt"), "1");
    writeFile(QStringLiteral("二 つ目.txt"), "2");
    // The first instance works in another folder: relative names must not resolve there.
    QDir::setCurrent(QDir::tempPath());
    const int before = documentCount(m_app.get());
    QCOMPARE(runSecond(folder, {QStringLiteral("one.txt"), QStringLiteral("二 つ目.txt")}), 0);
    QTRY_COMPARE(documentCount(m_app.get()), before + 2);
    QStringList paths;
    for (RichEditDoc *doc : m_app->GetDocTemplate()->GetDocuments())
        paths.append(doc->GetPathName());
    QVERIFY(paths.contains(QDir(folder).filePath(QStringLiteral("one.txt"))));
    QCOMPARE(activeDoc(m_app.get())->GetPathName(), QDir(folder).filePath(QStringLiteral("二 つ目.txt")));
    QVERIFY(boxes().texts.isEmpty());
}

void TestHandOff::namesWithQuotesAndDashesOpen()
{
    const QString folder = scratchDir();
    const QString quoted = writeFile(QStringLiteral("say \"hi\".txt"), "hi");
    const QString dashed = writeFile(QStringLiteral("-draft.txt"), "draft");
    QCOMPARE(runSecond(folder, {QStringLiteral("say \"hi\".txt"), QStringLiteral("-draft.txt")}), 0);
    MultiDocTemplate *docs = m_app->GetDocTemplate();
    QTRY_VERIFY(docs->FindDocument(quoted) && docs->FindDocument(dashed));
    QVERIFY(boxes().texts.isEmpty());
}

void TestHandOff::secondStartWithoutFilesSendsNothing()
{
    const int before = documentCount(m_app.get());
    QCOMPARE(runSecond(scratchDir(), {}), 0);
    // Hand-offs are taken in order: whatever the empty start had sent would have been opened
    // (or refused with a box) before a later start's file arrives.
    const QString next = writeFile(QStringLiteral("next.txt"), "n");
    QCOMPARE(runSecond(QFileInfo(next).path(), {QStringLiteral("next.txt")}), 0);
    QTRY_VERIFY(m_app->GetDocTemplate()->FindDocument(next));
    QCOMPARE(documentCount(m_app.get()), before + 1);
    QVERIFY(boxes().texts.isEmpty());
}

// A name in Shift-JIS bytes (日本語.txt), given relative on a later start's command line,
// opens in the running program under exactly those bytes and is shown readably.
void TestHandOff::namesThatAreNotUtf8AreHandedOverAsTheirBytes()
{
    const QString folder = scratchDir();
    const QByteArray name = QByteArray::fromHex("93fa967b8cea") + ".txt";
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0 && ::write(fd, "sjis", 4) == 4 && ::close(fd) == 0);
    // QTemporaryDir cannot remove a name that is not UTF-8.
    const auto removeName = qScopeGuard([path] { ::unlink(path.constData()); });
    QCOMPARE(runSecondWithBytes(folder, name), 0);
    QTRY_VERIFY(activeDoc(m_app.get()) && FileName::ToNative(activeDoc(m_app.get())->GetPathName()) == path);
    QCOMPARE(activeDoc(m_app.get())->GetTitle(), QStringLiteral("日本語.txt"));
    QCOMPARE(activeView(m_app.get())->toPlainText(), QStringLiteral("sjis"));
    QVERIFY(boxes().texts.isEmpty());
}

QTEST_MAIN(TestHandOff)
#include "tst_handoff.moc"
