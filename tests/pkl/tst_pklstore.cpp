// The Paste Key List store: module paths, where the key folder is, and every operation on the
// folder with its failures.
#include "pkl_helper.h"

#include "pkl/modulepath.h"
#include "pkl/pklstore.h"
#include "platform/fileio.h"

#include <QCoreApplication>
#include <QDir>
#include <QScopeGuard>
#include <QtTest>

#include <cerrno>
#include <optional>

using namespace PklHelper;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FileError)

class TestPklStore : public QObject {
    Q_OBJECT
private slots:
    void sharedFilesBesideOrInstalled();
    void keyFolderIsBesideTheExecutableWhereItCanBeWritten_data();
    void keyFolderIsBesideTheExecutableWhereItCanBeWritten();
    void listHoldsEveryNameButDots();
    void readFollowsTextFileRulesAndWritesBack_data();
    void readFollowsTextFileRulesAndWritesBack();
    void operationsStayInTheKeyFolder_data();
    void operationsStayInTheKeyFolder();
};

// Module paths take "\" as the folder separator. The installed tree keeps the read-me and help
// in share/NYO beside the bin folder; a file beside the executable (a build or an unpacked
// copy) comes first.
void TestPklStore::sharedFilesBesideOrInstalled()
{
    QCOMPARE(ModulePath::MakeModulePath(u"key\\sub\\"_s), QCoreApplication::applicationDirPath() + u"/key/sub/"_s);
    const QString name = u"shared-%1.html"_s.arg(QCoreApplication::applicationPid());
    const QString beside = ModulePath::MakeModulePath(name);
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + u"/../share/NYO/"_s + name);
    const auto cleanUp = qScopeGuard([&] { QFile::remove(beside); QFile::remove(installed); });
    QCOMPARE(ModulePath::SharedFilePath(name), beside);  // neither: the path a message names
    QVERIFY(QDir().mkpath(QFileInfo(installed).absolutePath()));
    QVERIFY(QFile(installed).open(QIODevice::WriteOnly));
    QCOMPARE(ModulePath::SharedFilePath(name), installed);
    QVERIFY(QFile(beside).open(QIODevice::WriteOnly));
    QCOMPARE(ModulePath::SharedFilePath(name), beside);
}

// Root may write anywhere, so an unwritable place is one that cannot be a folder at all:
// a file stands where the folder, or the folder above it, would be.
void TestPklStore::keyFolderIsBesideTheExecutableWhereItCanBeWritten_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("beside");
    QTest::newRow("folder there") << "bin/key/" << false << true;
    QTest::newRow("folder made") << "bin/" << false << true;
    QTest::newRow("a file named key") << "bin/key" << false << false;
    QTest::newRow("executable's folder cannot hold folders") << "bin" << false << false;
    QTest::newRow("installed, folder writable") << "bin/" << true << false;
    QTest::newRow("installed, folder there") << "bin/key/" << true << false;
}

void TestPklStore::keyFolderIsBesideTheExecutableWhereItCanBeWritten()
{
    QFETCH(QString, setUp);
    QFETCH(bool, installed);
    QFETCH(bool, beside);
    QTemporaryDir root;
    QVERIFY(QDir(root.path()).mkpath(setUp.endsWith(u'/') ? setUp : QFileInfo(setUp).path()));
    if (!setUp.endsWith(u'/'))
        QVERIFY(QFile(root.filePath(setUp)).open(QIODevice::WriteOnly));
    const QString besideExe = root.filePath(u"bin/key/"_s);
    const QString inData = root.filePath(u"data/Hoshikage!/NYO/key/"_s);

    const QString chosen = PklStore::ChooseKeyDirectory(besideExe, inData, installed);
    QCOMPARE(chosen, beside ? besideExe : inData);
    QVERIFY(QFileInfo(chosen).isDir());
    QCOMPARE(QFileInfo::exists(inData), !beside);
    if (installed)
        QCOMPARE(QFileInfo::exists(besideExe), setUp == u"bin/key/");  // none made
}

void TestPklStore::listHoldsEveryNameButDots()
{
    KeyFolder key;
    QCOMPARE(PklStore::ListEntries(), QStringList());
    key.setUp(u"b=1|.hidden=2|sub/|dead>|日本語.txt=3|A=4|a=5"_s);
    QStringList listed = PklStore::ListEntries();
    listed.sort();
    QCOMPARE(listed, (QStringList{".hidden", "A", "a", "b", "dead", "sub", "日本語.txt"}));
    key.setUp(u"-"_s);
    QCOMPARE(PklStore::ListEntries(), QStringList());
}

// Reading follows a text file's rules; writing the text read back gives the bytes it came
// from, save for bare LF ends (then CR LF) and what follows Ctrl+Z or NUL.
void TestPklStore::readFollowsTextFileRulesAndWritesBack_data()
{
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("back");
    QTest::newRow("empty") << "" << "" << "";
    QTest::newRow("CR LF, lone CR") << "a\\r\\nb\\rc\\r" << "a\r\nb\rc\r" << "a\\r\\nb\\rc\\r";
    QTest::newRow("bare LF") << "a\\nb" << "a\r\nb" << "a\\r\\nb";
    QTest::newRow("CR CR LF") << "a\\r\\r\\nb" << "a\r\r\nb" << "a\\r\\r\\nb";
    QTest::newRow("Ctrl+Z ends it") << "ab\\x1acd" << "ab" << "ab";
    QTest::newRow("NUL ends it") << "ab\\0cd" << "ab" << "ab";
    QTest::newRow("CP932") << "\\x93\\xfa\\x96\\x7b\\xb1" << u"日本ｱ"_s << "\\x93\\xfa\\x96\\x7b\\xb1";
    QTest::newRow("bytes not CP932 kept as escapes") << "a\\x81\\r\\n" << u"a\uef81\r\n"_s << "a\\x81\\r\\n";
    QTest::newRow("lead bytes without a trail come back") << "\\x81 \\x81" << u"\uef81 \uef81"_s << "\\x81 \\x81";
}

void TestPklStore::readFollowsTextFileRulesAndWritesBack()
{
    QFETCH(QString, bytes);
    KeyFolder key;
    key.setUp(u"entry="_s + bytes);
    QString text = u"untouched"_s;
    QCOMPARE(PklStore::ReadEntry(u"entry"_s, &text), FileError::None);
    QTEST(text, "text");
    QCOMPARE(PklStore::WriteEntry(u"entry"_s, text), FileError::None);
    QFETCH(QString, back);
    QCOMPARE(key.bytes(u"entry"_s), unescape(back));
}

// Each operation on a fresh folder; a name that is refused or fails changes nothing, and
// nothing is ever read from or written outside the key folder. Where the write is to find the
// disk full, the disk fills once the new text has started: the old entry stays whole.
void TestPklStore::operationsStayInTheKeyFolder_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("name");
    QTest::addColumn<FileError>("read");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<FileError>("write");
    QTest::addColumn<FileError>("remove");
    const FileError ok = FileError::None, gone = FileError::FileNotFound, denied = FileError::AccessDenied,
                    bad = FileError::BadPath;
    QTest::newRow("file, longer than the new text") << "a=long text" << "a" << ok << true << ok << ok;
    QTest::newRow("disk full") << "a=old" << "a" << ok << true << FileError::DiskFull << ok;
    QTest::newRow("missing") << "a=1" << "b" << gone << false << ok << gone;
    QTest::newRow("other case, another entry") << "a=1" << "A" << gone << false << ok << gone;
    QTest::newRow("read-only") << "ro~" << "ro" << ok << true << denied << denied;
    QTest::newRow("sub-folder") << "sub/" << "sub" << denied << false << denied << denied;
    QTest::newRow("dead link") << "dead>" << "dead" << gone << false << ok << ok;
    QTest::newRow("name of 255 bytes") << "" << QString(255, u'a') << gone << false << ok << gone;
    QTest::newRow("name too long for the file system") << "" << QString(256, u'a') << bad << false << bad << gone;
    QTest::newRow("empty name") << "a=1" << "" << bad << false << bad << bad;
    QTest::newRow("dot") << "a=1" << "." << bad << false << bad << bad;
    QTest::newRow("dot dot") << "a=1" << ".." << bad << false << bad << bad;
    QTest::newRow("escapes the folder") << "a=1" << "../outside/secret" << bad << false << bad << bad;
    QTest::newRow("into a sub-folder") << "sub/|sub/x=1" << "sub/x" << bad << false << bad << bad;
    QTest::newRow("NUL in the name") << "a=1" << u"a\0b"_s << bad << false << bad << bad;
    QTest::newRow("no key folder") << "-" << "a" << bad << false << bad << gone;
}

void TestPklStore::operationsStayInTheKeyFolder()
{
    QFETCH(QString, setUp);
    QFETCH(QString, name);
    QFETCH(FileError, write);
    QFETCH(FileError, remove);
    std::optional<KeyFolder> key;
    QStringList before;
    QByteArray old;
    const auto fresh = [&] {
        key.emplace();
        key->setUp(u"../outside/secret=s|"_s + setUp);
        before = key->names();
        old = key->bytes(name);
    };
    const auto outsideUntouched = [&] {
        QFile secret(key->outside() + u"secret"_s);
        return QDir(key->outside()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) ==
                   QStringList{"secret"} && secret.open(QIODevice::ReadOnly) && secret.readAll() == "s";
    };

    fresh();
    QFETCH(FileError, read);
    QString text = u"untouched"_s;
    QCOMPARE(PklStore::ReadEntry(name, &text), read);
    QCOMPARE(text == u"untouched", read != FileError::None);
    QTEST(PklStore::EntryExists(name), "exists");

    fresh();
    FileIO::InjectWriteFailure(write == FileError::DiskFull ? ENOSPC : 0, 1);
    const FileError written = PklStore::WriteEntry(name, u"new"_s);
    FileIO::InjectWriteFailure(0);
    QCOMPARE(written, write);
    QCOMPARE(key->bytes(name), write == FileError::None ? QByteArray("new") : old);
    if (write == FileError::None && !before.contains(name)) {
        before.append(name);
        before.sort();
    }
    QCOMPARE(key->names(), before);
    QVERIFY(outsideUntouched());

    fresh();
    QCOMPARE(PklStore::DeleteEntry(name), remove);
    if (remove == FileError::None)
        before.removeOne(name);
    QCOMPARE(key->names(), before);
    QCOMPARE(key->bytes(u"sub/x"_s), setUp.contains(u"sub/x") ? QByteArray("1") : QByteArray("<none>"));
    QVERIFY(outsideUntouched());
}

QTEST_GUILESS_MAIN(TestPklStore)
#include "tst_pklstore.moc"
