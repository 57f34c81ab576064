// Recovery journals: a text written as edits go comes back exactly (characters, escapes, break
// kinds, byte forms, the file it belongs to), the journal lives exactly while the text is
// modified, damaged journals give no text or an earlier whole one, never another, the folders
// of running programs are left alone, and a write that fails is told once.
#include "platform/base/filename.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/recovery/journaldisk.h"
#include "platform/recovery/journalreader.h"
#include "platform/recovery/journalwriter.h"
#include "platform/recovery/recoveryfolder.h"

#include <QBuffer>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using Text = JournalReader::Result::Text;

Q_DECLARE_METATYPE(JournalReader::Result::Text)

namespace {

// What a buffer holds, all of it.
struct State {
    QString text;
    QByteArray kinds;
    QList<CodePage::Variant> forms;
    bool operator==(const State &o) const { return text == o.text && kinds == o.kinds && forms == o.forms; }
};

State stateOf(const TextBuffer &buffer)
{
    return {buffer.text(), buffer.breakKinds(0, buffer.lineCount() - 1), buffer.variants()};
}

// Edits, one a line: "r FROM TO TEXT" replaces (\n in TEXT is a break), "u" undoes, "d" redoes,
// "big N" appends N characters twice (edits as large as a compaction needs); "w" (played by
// the test) waits until the journal has been written whole, so that the edits after it are
// appended.
void play(TextBuffer &buffer, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QStringList f = step.split(u' ');
        if (f[0] == u"r"_s)
            buffer.replace(f[1].toLongLong(), f[2].toLongLong(), f.mid(3).join(u' ').replace(u"\\n"_s, u"\n"_s));
        else if (f[0] == u"u"_s)
            buffer.undo();
        else if (f[0] == u"d"_s)
            buffer.redo();
        else if (f[0] == u"big"_s)
            for (int i = 0; i < 2; ++i)
                buffer.replace(buffer.length(), buffer.length(), QString(f[1].toLongLong(), u'あ'));
    }
}

JournalFormat::Origin originOf(const QString &path, Encoding encoding)
{
    JournalFormat::Origin origin;
    origin.path = path;
    origin.encoding = encoding;
    origin.bom = encoding == Encoding::Utf8Bom;
    origin.disk = FileIdentity::Make(FileIdentity::State::Present, 12, 345678901234, 77, 3);
    origin.title = path.isEmpty() ? u"無題1"_s : QString();
    return origin;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A CP932 text with every kind of break, an escaped byte and a byte form of its own (ED40).
const QByteArray kFile = "\x93\xfa\x96\x7b\r\nline\nlone cr\r\x80\xff esc \xed\x40 form\r\nend"_ba;

// A journal of three states: origin and snapshot, then two edits.
struct Sample {
    QByteArray bytes;
    QList<qsizetype> ends;  // where each record ends: origin, snapshot, edit 1, edit 2
    QList<State> states;    // after the snapshot and after each edit
};

Sample sample()
{
    TextBuffer buffer;
    TextBytes::read(buffer, kFile, 1000);
    Sample s;
    s.bytes = JournalFormat::fileHeader() + JournalFormat::originRecord(originOf(u"/tmp/a.txt"_s, Encoding::Cp932));
    s.ends.append(s.bytes.size());
    const auto piece = [&buffer](qsizetype pos, qsizetype added, qsizetype firstLine, qsizetype lines) {
        return JournalFormat::Piece{buffer.text(pos, pos + added), buffer.breakKinds(firstLine, lines),
                                    buffer.variants(pos, pos + added)};
    };
    s.bytes += JournalFormat::snapshotRecord(1, piece(0, buffer.length(), 0, buffer.lineCount() - 1));
    s.ends.append(s.bytes.size());
    s.states.append(stateOf(buffer));
    QObject::connect(&buffer, &TextBuffer::changed, [&](const TextBuffer::Change &c) {
        s.bytes += JournalFormat::editRecord(2, c.pos, c.removed, piece(c.pos, c.added, c.firstLine, c.linesAdded));
        s.ends.append(s.bytes.size());
        s.states.append(stateOf(buffer));
    });
    buffer.replace(3, 20, u"X\nY"_s);
    buffer.undo();
    return s;
}

} // namespace

class TestJournal : public QObject {
    Q_OBJECT
private slots:
    void journalBringsBackTheTextExactly_data();
    void journalBringsBackTheTextExactly();
    void journalLivesWhileTheTextIsModified_data();
    void journalLivesWhileTheTextIsModified();
    void damagedJournalsGiveNoTextOrAnEarlierOne_data();
    void damagedJournalsGiveNoTextOrAnEarlierOne();
    void randomDamageNeverGivesAnotherText();
    void journalsOfRunningProgramsAreLeftAlone();
    void aWriteThatFailsIsToldOnceAndEditingGoesOn();
    void snapshotsWrittenInPartsAreTheRecord_data();
    void snapshotsWrittenInPartsAreTheRecord();
};

// A whole text is written to its journal a slice at a time (a large one is not copied again):
// the bytes are those of the record made at once, slices of every size included.
void TestJournal::snapshotsWrittenInPartsAreTheRecord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("kinds");
    QTest::addColumn<QList<CodePage::Variant>>("forms");
    QTest::newRow("empty") << QString() << QByteArray() << QList<CodePage::Variant>{};
    QTest::newRow("breaks and forms") << u"a\nｶ\n①"_s << QByteArray("\x01\x02") << QList<CodePage::Variant>{{4, 0x8754}};
    QTest::newRow("a slice and more") << QString(64 * 1024 + 3, u'字') << QByteArray() << QList<CodePage::Variant>{};
    QTest::newRow("slices exactly") << QString(2 * 64 * 1024, u'a') << QByteArray() << QList<CodePage::Variant>{};
}

void TestJournal::snapshotsWrittenInPartsAreTheRecord()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, kinds);
    QFETCH(QList<CodePage::Variant>, forms);
    const JournalFormat::Piece piece{text, kinds, forms};
    QBuffer out;
    QVERIFY(out.open(QIODevice::WriteOnly));
    QVERIFY(JournalFormat::writeSnapshotRecord(out, 1234, piece));
    QCOMPARE(out.data(), JournalFormat::snapshotRecord(1234, piece));
}

void TestJournal::journalBringsBackTheTextExactly_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<Encoding>("encoding");
    QTest::addColumn<QStringList>("steps");
    const QString notUtf8 = FileName::FromNative("/tmp/\x82\xa0\xff.txt"_ba);
    QTest::newRow("typed at the start, CP932") << u"/tmp/a.txt"_s << Encoding::Cp932
        << QStringList{u"r 0 0 a"_s, u"w"_s, u"r 1 1 b\\ncd"_s, u"r 0 0 \\n"_s};
    QTest::newRow("untitled, breaks typed between kinds") << QString() << Encoding::Cp932
        << QStringList{u"r 6 6 \\n"_s, u"w"_s, u"r 22 22 x\\ny"_s};
    QTest::newRow("undo brings back kinds and forms, UTF-8") << notUtf8 << Encoding::Utf8
        << QStringList{u"r 0 0 q"_s, u"w"_s, u"r 2 40 z"_s, u"u"_s};
    QTest::newRow("redo after undo, UTF-8 with mark") << u"/tmp/b.txt"_s << Encoding::Utf8Bom
        << QStringList{u"r 0 0 q"_s, u"w"_s, u"r 0 10 k"_s, u"u"_s, u"d"_s};
    QTest::newRow("edits larger than the text are compacted, UTF-16") << u"/tmp/c.txt"_s << Encoding::Utf16Le
        << QStringList{u"r 0 0 q"_s, u"w"_s, u"big 300000"_s, u"r 0 599990 s"_s};
    QTest::newRow("EUC-JP") << u"/tmp/d.txt"_s << Encoding::EucJp << QStringList{u"r 30 30 \\n\\n"_s, u"w"_s, u"r 0 1 e"_s};
}

void TestJournal::journalBringsBackTheTextExactly()
{
    QFETCH(QString, path);
    QFETCH(Encoding, encoding);
    QFETCH(QStringList, steps);
    QTemporaryDir dir;
    RecoveryFolder folder(dir.filePath(u"recovery"_s));
    TextBuffer buffer;
    QVERIFY(TextBytes::read(buffer, kFile, 1 << 24));
    QVERIFY(!buffer.variants().isEmpty());
    const JournalFormat::Origin origin = originOf(path, encoding);
    JournalWriter writer(&folder, &buffer, [&origin] { return origin; });
    for (const QString &step : steps) {
        if (step == u"w"_s)
            QTRY_VERIFY(!writer.Path().isEmpty());
        else
            play(buffer, {step});
    }

    TextBuffer back;
    JournalReader::Result result;
    const auto readBack = [&] {
        result = JournalReader::Read(readAll(writer.Path()), back);
        return result.text == Text::Whole && stateOf(back) == stateOf(buffer);
    };
    QTRY_VERIFY_WITH_TIMEOUT(readBack(), 10000);
    QVERIFY(result.problem.isEmpty());
    QCOMPARE(result.origin.path, path);
    QCOMPARE(result.origin.encoding, encoding);
    QCOMPARE(result.origin.bom, origin.bom);
    QVERIFY(result.origin.disk == origin.disk);
    QCOMPARE(result.origin.title, origin.title);
    QVERIFY(back.isModified());
    QCOMPARE(TextBytes::write(back, nullptr, nullptr, {encoding, origin.bom}),
             TextBytes::write(buffer, nullptr, nullptr, {encoding, origin.bom}));
    // Compacted: edits as large as the text give way to a copy of it.
    QVERIFY(readAll(writer.Path()).size() < 4 * buffer.length() + 4096);
    QCOMPARE(QFileInfo(writer.Path()).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());
}

void TestJournal::journalLivesWhileTheTextIsModified_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("saved") << u"saved"_s;
    QTest::newRow("undone back to what was saved") << u"undone"_s;
    QTest::newRow("read again") << u"loaded"_s;
    QTest::newRow("closed") << u"closed"_s;
}

void TestJournal::journalLivesWhileTheTextIsModified()
{
    QFETCH(QString, end);
    QTemporaryDir dir;
    RecoveryFolder folder(dir.filePath(u"recovery"_s));
    TextBuffer buffer;
    TextBytes::read(buffer, "text", 100);
    auto writer = std::make_unique<JournalWriter>(&folder, &buffer, [] { return JournalFormat::Origin(); });
    QTest::qWait(JournalWriter::kWholeDelayMs * 2);
    QVERIFY(writer->Path().isEmpty());  // nothing while unmodified
    buffer.replace(0, 0, u"a"_s);
    QTRY_VERIFY(!writer->Path().isEmpty() && QFile::exists(writer->Path()));
    const QString path = writer->Path();
    if (end == u"saved"_s)
        buffer.setModified(false);
    else if (end == u"undone"_s)
        buffer.undo();
    else if (end == u"loaded"_s)
        TextBytes::read(buffer, "other", 100);
    else
        writer.reset();
    QVERIFY(folder.Disk()->WaitIdle(5000));
    QVERIFY(!QFile::exists(path));
    if (writer)
        QVERIFY(writer->Path().isEmpty());
}

void TestJournal::damagedJournalsGiveNoTextOrAnEarlierOne_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Text>("text");
    QTest::addColumn<int>("state");  // index in Sample::states
    const Sample s = sample();
    QCOMPARE(s.states.size(), 3);
    const auto cut = [&s](qsizetype at) { return s.bytes.first(at); };
    const auto flipped = [&s](qsizetype at) { QByteArray b = s.bytes; b[at] = char(b[at] ^ 0x10); return b; };
    const qsizetype origin = s.ends[0], snapshot = s.ends[1], edit1 = s.ends[2];
    const QByteArray farEdit = JournalFormat::editRecord(3, 100000, 0, {u"x"_s, {}, {}});
    const QByteArray badKind = JournalFormat::editRecord(3, 0, 0, {u"\n"_s, "\x07"_ba, {}});
    const QByteArray formsBackwards = JournalFormat::editRecord(3, 0, 0, {u"ab"_s, {}, {{1, 0xED40}, {0, 0xED40}}});
    QTest::newRow("whole") << s.bytes << Text::Whole << 2;
    QTest::newRow("empty") << QByteArray() << Text::None << -1;
    QTest::newRow("another file") << "hello, world, this is text"_ba << Text::None << -1;
    QTest::newRow("another version") << flipped(8) << Text::None << -1;
    QTest::newRow("cut in the mark") << cut(6) << Text::None << -1;
    QTest::newRow("cut in the origin") << cut(origin - 3) << Text::None << -1;
    QTest::newRow("origin alone") << cut(origin) << Text::None << -1;
    QTest::newRow("cut in the snapshot") << cut(snapshot - 5) << Text::None << -1;
    QTest::newRow("snapshot damaged") << flipped(snapshot - 20) << Text::None << -1;
    QTest::newRow("record length damaged") << flipped(origin + 2) << Text::None << -1;
    QTest::newRow("snapshot first") << (cut(12) + s.bytes.mid(origin, snapshot - origin) + s.bytes.mid(12, origin - 12))
                                    << Text::None << -1;
    QTest::newRow("cut in the last edit") << cut(s.ends[3] - 1) << Text::Earlier << 1;
    QTest::newRow("first edit damaged") << flipped(edit1 - 3) << Text::Earlier << 0;
    QTest::newRow("record header cut") << (s.bytes + "\x05\x00"_ba) << Text::Earlier << 2;
    QTest::newRow("edit beyond the text") << (s.bytes + farEdit) << Text::Earlier << 2;
    QTest::newRow("unknown break kind") << (s.bytes + badKind) << Text::Earlier << 2;
    QTest::newRow("byte forms out of order") << (s.bytes + formsBackwards) << Text::Earlier << 2;
    QTest::newRow("a second origin") << (s.bytes + s.bytes.mid(12, origin - 12)) << Text::Earlier << 2;
}

void TestJournal::damagedJournalsGiveNoTextOrAnEarlierOne()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Text, text);
    QFETCH(int, state);
    TextBuffer back;
    back.replace(0, 0, u"left over"_s);
    const JournalReader::Result result = JournalReader::Read(bytes, back);
    QCOMPARE(result.text, text);
    QCOMPARE(result.problem.isEmpty(), text == Text::Whole);
    if (state < 0) {
        QCOMPARE(back.length(), 0);
        QVERIFY(result.origin.path.isEmpty());
    } else {
        QVERIFY(stateOf(back) == sample().states[state]);
        QCOMPARE(result.origin.path, u"/tmp/a.txt"_s);
    }
}

// Bytes flipped, cut, put in, taken out or repeated anywhere: the reader never crashes and
// never hands out a text the journal did not hold at one of its records.
void TestJournal::randomDamageNeverGivesAnotherText()
{
    const Sample s = sample();
    QRandomGenerator random(20261207);
    int earlier = 0, none = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray b = s.bytes;
        for (int n = 1 + random.bounded(3); n > 0; --n) {
            const qsizetype at = random.bounded(b.size());
            const qsizetype len = 1 + random.bounded(std::min<qsizetype>(40, b.size() - at));
            switch (random.bounded(5)) {
            case 0: b[at] = char(b[at] ^ (1 << random.bounded(8))); break;
            case 1: b.truncate(at); break;
            case 2: b.insert(at, QByteArray(len, char(random.bounded(256)))); break;
            case 3: b.remove(at, len); break;
            default: b.insert(at, b.mid(at, len)); break;
            }
            if (b.isEmpty())
                break;
        }
        TextBuffer back;
        const JournalReader::Result result = JournalReader::Read(b, back);
        if (result.text == Text::None) {
            ++none;
            QCOMPARE(back.length(), 0);
            QVERIFY(!result.problem.isEmpty());
            continue;
        }
        earlier += result.text == Text::Earlier;
        QCOMPARE(result.problem.isEmpty(), result.text == Text::Whole);
        QVERIFY2(s.states.contains(stateOf(back)), qPrintable(u"round %1"_s.arg(round)));
    }
    QVERIFY(earlier > 100 && none > 100);  // both kinds of damage were met
}

void TestJournal::journalsOfRunningProgramsAreLeftAlone()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(u"state/recovery"_s);
    const auto session = [&root](const QString &name) {
        QDir().mkpath(root + u'/' + name);
        QFile journal(root + u'/' + name + u"/1.nyoj"_s);
        journal.open(QIODevice::WriteOnly);
        return journal.fileName();
    };
    const QString running = session(u"running"_s);
    const QString died = session(u"died"_s);
    QLockFile held(root + u"/running/lock"_s);  // a running program's lock
    QVERIFY(held.tryLock(0));

    RecoveryFolder folder(root);
    QVERIFY(folder.MakeOwnFolder());
    QCOMPARE(QFileInfo(root).permissions() & 0x0077, QFile::Permissions());
    QCOMPARE(folder.TakeLeftJournals(), QStringList{died});
    RecoveryFolder other(root);  // a start at the same time finds them taken
    QVERIFY(other.TakeLeftJournals().isEmpty());
    folder.RemoveLeft({died});
    QVERIFY(!QFileInfo::exists(QFileInfo(died).path()));
    QVERIFY(QFile::exists(running));

    const QStringList own = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCOMPARE(own.size(), 2);  // the running one's and ours
    folder.RemoveOwn();
    QCOMPARE(QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{u"running"_s});
}

void TestJournal::aWriteThatFailsIsToldOnceAndEditingGoesOn()
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(u"state"_s));  // a file where the folder would be: even root cannot
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    RecoveryFolder folder(dir.filePath(u"state/recovery"_s));
    QSignalSpy told(folder.Disk(), &JournalDisk::writeFailed);
    QSignalSpy broken(folder.Disk(), &JournalDisk::journalBroken);
    TextBuffer one, two;
    JournalWriter first(&folder, &one, [] { return JournalFormat::Origin(); });
    JournalWriter second(&folder, &two, [] { return JournalFormat::Origin(); });
    one.replace(0, 0, u"a"_s);
    two.replace(0, 0, u"b"_s);
    QTRY_COMPARE(broken.size(), 2);
    one.replace(1, 1, u"c"_s);
    QCOMPARE(one.text(), u"ac"_s);
    QCOMPARE(told.size(), 1);
    QVERIFY(told.first().first().toString().contains(u"回復用のデータを書き込めません"_s));
}

QTEST_MAIN(TestJournal)
#include "tst_journal.moc"
