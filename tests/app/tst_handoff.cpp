// A second start of the real program hands its files to the running one and ends.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/richeditdoc.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace AppHelper;

class TestHandOff : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void relativePathsOpenFromTheSecondStartsFolder();
    void namesWithQuotesAndDashesOpen();
    void secondStartWithoutFilesSendsNothing();

private:
    // Runs the program as a second start in folder with args; returns its exit code.
    int runSecond(const QString &folder, const QStringList &args);
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
    QProcess second;
    second.setWorkingDirectory(folder);
    second.setProgram(QStringLiteral(NYO_BINARY_DIR "/NYO"));
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

QTEST_MAIN(TestHandOff)
#include "tst_handoff.moc"
