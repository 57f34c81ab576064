// A start after the program died offers back what it left unsaved, before anything else
// opens: the answers to the question, journals that cannot be read, those of a program still
// running, the file changed on disk since; and ends that leave no journal behind.
#include "app_helper.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/base/filename.h"
#include "platform/dialogs/msgbox.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/framework/afxres.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/recovery/journalformat.h"
#include "platform/recovery/recoveryfolder.h"

#include <QDirIterator>
#include <QLockFile>
#include <QStatusBar>
#include <QtTest>

using namespace AppHelper;
using namespace Qt::StringLiterals;

namespace {

QString root() { return RecoveryFolder::DefaultRoot(); }

// A journal a program that died left in its folder: origin and a snapshot of bytes read in
// encoding, the last edit at timeMs.
QString leaveJournal(const QString &session, const QString &path, const QByteArray &bytes, Encoding encoding,
                     qint64 timeMs)
{
    TextBuffer buffer;
    TextBytes::Format format{encoding, false};
    if (encoding == Encoding::Cp932)
        TextBytes::read(buffer, bytes, 1 << 20);
    else
        TextBytes::readDetected(buffer, bytes, 1 << 20, &format);
    JournalFormat::Origin origin;
    origin.path = path;
    origin.encoding = format.encoding;
    origin.bom = format.bom;
    origin.disk = FileIdentity::Of(path);
    const JournalFormat::Piece piece{buffer.text(), buffer.breakKinds(0, buffer.lineCount() - 1), buffer.variants()};
    QDir().mkpath(root() + u'/' + session);
    const QString journal = root() + u'/' + session + u'/' + QString::number(QDir(root() + u'/' + session).count()) + u".nyoj"_s;
    QFile file(journal);
    file.open(QIODevice::WriteOnly);
    file.write(JournalFormat::fileHeader() + JournalFormat::originRecord(origin) + JournalFormat::snapshotRecord(timeMs, piece));
    return journal;
}

QStringList journalsLeft()
{
    QStringList found;
    QDirIterator it(root(), {u"*.nyoj"_s}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found.append(it.next());
    return found;
}

// 2026-12-07 12:34:56 local time, as the question shows it.
const qint64 kEdited = QDateTime(QDate(2026, 12, 7), QTime(12, 34, 56)).toMSecsSinceEpoch();

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    void init() { useFreshEnvironment(); }
    void cleanup() { stopApp(m_app); }
    void answersToTheQuestion_data();
    void answersToTheQuestion();
    void journalsThatCannotBeReadAreToldOfAndRemoved_data();
    void journalsThatCannotBeReadAreToldOfAndRemoved();
    void journalsOfARunningProgramAreLeftAlone();
    void aRecoveredFileChangedOnDiskIsAskedAboutBeforeSaving();
    void endsLeaveNoJournalAndNoQuestion_data();
    void endsLeaveNoJournalAndNoQuestion();
    void aJournalThatCannotBeWrittenIsToldInTheStatusBar();

private:
    std::unique_ptr<CNYOApp> m_app;
};

void TestRecovery::answersToTheQuestion_data()
{
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<int>("questions");
    QTest::addColumn<bool>("recovered");
    QTest::addColumn<bool>("removed");
    QTest::newRow("yes recovers all") << QList<int>{MsgBox::IDYES} << 1 << true << true;
    QTest::newRow("no, then yes throws away") << QList<int>{MsgBox::IDNO, MsgBox::IDYES} << 2 << false << true;
    QTest::newRow("no, then no asks again") << QList<int>{MsgBox::IDNO, MsgBox::IDNO, MsgBox::IDYES} << 3 << true << true;
    QTest::newRow("closed without an answer waits") << QList<int>{MsgBox::IDCANCEL} << 1 << false << false;
}

void TestRecovery::answersToTheQuestion()
{
    QFETCH(QList<int>, answers);
    QFETCH(int, questions);
    QFETCH(bool, recovered);
    QFETCH(bool, removed);
    const QByteArray onDisk = "\x82\xa0\r\nold\r\n"_ba;
    const QByteArray unsaved = "\x82\xa0\r\nnew \x80 text\r\n"_ba;
    const QString named = writeFile(u"名前.txt"_s, onDisk);
    leaveJournal(u"1-1"_s, named, unsaved, Encoding::Cp932, kEdited);
    leaveJournal(u"1-1"_s, QString(), u"題のない文\nlf"_s.toUtf8(), Encoding::Utf8, kEdited);
    boxes().answers = answers;
    m_app = startApp();
    QVERIFY(m_app);
    QCOMPARE(boxes().texts.size(), questions);
    if (questions > 1)  // throwing the texts away is never Enter's answer
        QCOMPARE(boxes().buttons.at(1), int(MsgBox::Buttons::YesNoDefaultNo));
    const QString question = boxes().texts.first();
    QVERIFY2(question.contains(u"・"_s + named + u" (最終編集 2026/12/07 12:34:56)"_s), qPrintable(question));
    QVERIFY(question.contains(u"・無題 (最終編集 2026/12/07 12:34:56)"_s));
    QCOMPARE(journalsLeft().isEmpty(), removed);

    MultiDocTemplate *docs = m_app->GetDocTemplate();
    if (!recovered) {
        QCOMPARE(documentCount(m_app.get()), 1);  // the empty new document of every start
        QVERIFY(!docs->GetDocuments().first()->IsModified());
        return;
    }
    QCOMPARE(documentCount(m_app.get()), 2);
    RichEditDoc *doc = docs->FindDocument(named);
    QVERIFY(doc && doc->IsModified());
    RichEditDoc *untitled = docs->GetDocuments().at(docs->GetDocuments().indexOf(doc) == 0 ? 1 : 0);
    QVERIFY(untitled->IsModified() && untitled->GetPathName().isEmpty());
    QCOMPARE(untitled->GetTitle(), u"無題1"_s);  // numbered as if opened first
    QCOMPARE(untitled->GetEncoding(), Encoding::Utf8);
    // Saving writes the file the text belongs to, byte for byte as the text was.
    QCOMPARE(doc->DoFileSave().IsSaved(), true);
    QCOMPARE(readFile(named), unsaved);
}

void TestRecovery::journalsThatCannotBeReadAreToldOfAndRemoved_data()
{
    QTest::addColumn<bool>("withGoodOne");
    QTest::newRow("beside a good one, in the question") << true;
    QTest::newRow("alone, told") << false;
}

void TestRecovery::journalsThatCannotBeReadAreToldOfAndRemoved()
{
    QFETCH(bool, withGoodOne);
    const QString cut = leaveJournal(u"1-1"_s, QString(), "some text"_ba, Encoding::Cp932, kEdited);
    QFile file(cut);
    QVERIFY(file.resize(file.size() - 3));
    if (withGoodOne)
        leaveJournal(u"1-1"_s, QString(), "good"_ba, Encoding::Cp932, kEdited);
    boxes().answers = {MsgBox::IDYES};
    m_app = startApp();
    QVERIFY(m_app);
    QCOMPARE(boxes().texts.size(), 1);
    QVERIFY2(boxes().texts.first().contains(FileName::Display(cut) + u": ファイルが途中で切れています。"_s),
             qPrintable(boxes().texts.first()));
    QCOMPARE(boxes().texts.first().contains(u"復元しますか?"_s), withGoodOne);
    QCOMPARE(documentCount(m_app.get()), 1);
    QCOMPARE(activeDoc(m_app.get())->IsModified(), withGoodOne);
    QVERIFY(journalsLeft().isEmpty());
}

void TestRecovery::journalsOfARunningProgramAreLeftAlone()
{
    const QString journal = leaveJournal(u"2-2"_s, QString(), "still typing"_ba, Encoding::Cp932, kEdited);
    QLockFile running(root() + u"/2-2/lock"_s);
    QVERIFY(running.tryLock(0));
    m_app = startApp();
    QVERIFY(m_app);
    QVERIFY(boxes().texts.isEmpty());
    QVERIFY(QFile::exists(journal));
    QCOMPARE(documentCount(m_app.get()), 1);
}

void TestRecovery::aRecoveredFileChangedOnDiskIsAskedAboutBeforeSaving()
{
    const QString named = writeFile(u"a.txt"_s, "before"_ba);
    leaveJournal(u"1-1"_s, named, "unsaved"_ba, Encoding::Cp932, kEdited);
    writeFile(u"a.txt"_s, "another program wrote this"_ba);
    boxes().answers = {MsgBox::IDYES, MsgBox::IDNO};
    m_app = startApp();
    QVERIFY(m_app);
    QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
    QCOMPARE(boxes().texts.size(), 2);
    QVERIFY2(boxes().texts.last().contains(u"ほかのプログラムによって変更されています"_s), qPrintable(boxes().texts.last()));
    QCOMPARE(readFile(named), "another program wrote this"_ba);
    QVERIFY(activeDoc(m_app.get())->IsModified());
}

void TestRecovery::endsLeaveNoJournalAndNoQuestion_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("saved") << u"save"_s;
    QTest::newRow("closed without saving") << u"close"_s;
    QTest::newRow("clean exit") << u"exit"_s;
}

void TestRecovery::endsLeaveNoJournalAndNoQuestion()
{
    QFETCH(QString, end);
    const QString named = writeFile(u"b.txt"_s, "text"_ba);
    m_app = startApp({named});
    CNYOView *view = activeView(m_app.get());
    view->ReplaceSel(u"typed "_s, true);
    QTRY_COMPARE(journalsLeft().size(), 1);
    if (end == u"save"_s) {
        QVERIFY(execute(m_app.get(), ID_FILE_SAVE));
        QCOMPARE(readFile(named), "typed text"_ba);
    } else if (end == u"close"_s) {
        boxes().answers = {MsgBox::IDNO};
        QVERIFY(execute(m_app.get(), ID_FILE_CLOSE));
        QCOMPARE(documentCount(m_app.get()), 0);
    } else {
        stopApp(m_app);
    }
    QTRY_VERIFY(journalsLeft().isEmpty());
    stopApp(m_app);
    boxes().texts.clear();
    m_app = startApp();
    QVERIFY(boxes().texts.isEmpty());
    QCOMPARE(documentCount(m_app.get()), 1);
}

void TestRecovery::aJournalThatCannotBeWrittenIsToldInTheStatusBar()
{
    QFile blocker(qEnvironmentVariable("XDG_STATE_HOME") + u"/Hoshikage!"_s);  // where the folder would be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    m_app = startApp();
    activeView(m_app.get())->ReplaceSel(u"typed"_s, true);
    QStatusBar *bar = mainFrame(m_app.get())->statusBar();
    QTRY_VERIFY(bar->currentMessage().contains(u"回復用のデータを書き込めません"_s));
    activeView(m_app.get())->ReplaceSel(u" on"_s, true);
    QCOMPARE(activeDoc(m_app.get())->GetView()->buffer()->text(), u"typed on"_s);
    QVERIFY(boxes().texts.isEmpty());
}

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
