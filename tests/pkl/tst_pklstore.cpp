// The Paste Key List store: module paths, where the key folder is, and every operation on the
// folder with its failures.
#include "pkl_helper.h"

#include "pkl/modulepath.h"
#include "pkl/pklstore.h"
#include "platform/fileio.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace PklHelper;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FileError)

class TestPklStore : public QObject {
    Q_OBJECT
private slots:
    void replaceAllReplacesLeftToRight_data();
    void replaceAllReplacesLeftToRight();
    void modulePathsAreBesideTheExecutable();
    void sharedFilesBesideOrInstalled();
    void keyFolderIsBesideTheExecutableWhereItCanBeWritten_data();
    void keyFolderIsBesideTheExecutableWhereItCanBeWritten();
    void listHoldsEveryNameButDots_data();
    void listHoldsEveryNameButDots();
    void readFollowsTextFileRules_data();
    void readFollowsTextFileRules();
    void readFailsWithoutAFileOfTheName_data();
    void readFailsWithoutAFileOfTheName();
    void readThenWriteKeepsTheBytes_data();
    void readThenWriteKeepsTheBytes();
    void writeTakesWhatTheFolderTakes_data();
    void writeTakesWhatTheFolderTakes();
    void failedWriteKeepsTheOldEntry();
    void existsOnlyForReadableFiles_data();
    void existsOnlyForReadableFiles();
    void deleteRemovesOnlyWritableFiles_data();
    void deleteRemovesOnlyWritableFiles();
};

void TestPklStore::replaceAllReplacesLeftToRight_data()
{
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("shorter") << QByteArray("C:\\NYO\\NYO.EXE") << QByteArray("NYO.EXE") << QByteArray("key\\")
                             << QByteArray("C:\\NYO\\key\\");
    QTest::newRow("longer, the rest moves") << QByteArray("C:\\NYO.EXE\\x") << QByteArray("NYO.EXE")
                                            << QByteArray("HELP.html") << QByteArray("C:\\HELP.html\\x");
    QTest::newRow("twice") << QByteArray("C:\\NYO.EXE\\NYO.EXE") << QByteArray("NYO.EXE") << QByteArray("NYO.html")
                           << QByteArray("C:\\NYO.html\\NYO.html");
    QTest::newRow("case-sensitive") << QByteArray("C:\\nyo.exe") << QByteArray("NYO.EXE") << QByteArray("key\\")
                                    << QByteArray("C:\\nyo.exe");
    QTest::newRow("no overlap") << QByteArray("aaa") << QByteArray("aa") << QByteArray("X") << QByteArray("Xa");
    QTest::newRow("inserted bytes not matched again") << QByteArray("ab") << QByteArray("a") << QByteArray("aa")
                                                      << QByteArray("aab");
    QTest::newRow("empty replacement, closed-up bytes compared next")
        << QByteArray("xaab") << QByteArray("a") << QByteArray() << QByteArray("xb");
    QTest::newRow("empty pattern") << QByteArray("abc") << QByteArray() << QByteArray("X") << QByteArray("abc");
}

void TestPklStore::replaceAllReplacesLeftToRight()
{
    QFETCH(QByteArray, buffer);
    QFETCH(QByteArray, pattern);
    QFETCH(QByteArray, replacement);
    ModulePath::ReplaceAll(buffer, pattern, replacement);
    QTEST(buffer, "expected");
}

void TestPklStore::modulePathsAreBesideTheExecutable()
{
    const QString folder = QCoreApplication::applicationDirPath();
    QCOMPARE(ModulePath::MakeModulePath(QStringLiteral("key\\")), folder + QStringLiteral("/key/"));
    QCOMPARE(ModulePath::MakeModulePath(QStringLiteral("HELP.html")), folder + QStringLiteral("/HELP.html"));
}

// The installed tree keeps the read-me and help in share/NYO beside the bin folder; a file
// beside the executable (a build or an unpacked copy) comes first.
void TestPklStore::sharedFilesBesideOrInstalled()
{
    const QString name = QStringLiteral("shared-%1.html").arg(QCoreApplication::applicationPid());
    const QString beside = ModulePath::MakeModulePath(name);
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/NYO/") + name);
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
    const QString besideExe = root.filePath(QStringLiteral("bin/key/"));
    const QString inData = root.filePath(QStringLiteral("data/Hoshikage!/NYO/key/"));

    const QString chosen = PklStore::ChooseKeyDirectory(besideExe, inData, installed);
    QCOMPARE(chosen, beside ? besideExe : inData);
    QVERIFY(QFileInfo(chosen).isDir());
    QCOMPARE(QFileInfo::exists(inData), !beside);
    if (installed)
        QCOMPARE(QFileInfo::exists(besideExe), setUp == QLatin1String("bin/key/"));  // none made
}

void TestPklStore::listHoldsEveryNameButDots_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("empty folder") << QString() << QStringList();
    QTest::newRow("files, hidden, sub-folder, dead link")
        << "b=1|.hidden=2|sub/|dead>|日本語.txt=3|A=4"
        << QStringList{".hidden", "A", "b", "dead", "sub", "日本語.txt"};
    QTest::newRow("names differing in case are two") << "abc=1|ABC=2" << QStringList{"ABC", "abc"};
}

void TestPklStore::listHoldsEveryNameButDots()
{
    QFETCH(QString, setUp);
    KeyFolder key;
    key.setUp(setUp);
    QStringList listed = PklStore::ListEntries();
    listed.sort();
    QTEST(listed, "expected");
}

void TestPklStore::readFollowsTextFileRules_data()
{
    QTest::addColumn<QString>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << "" << "";
    QTest::newRow("CR LF") << "a\\r\\nb\\r\\n" << "a\r\nb\r\n";
    QTest::newRow("bare LF") << "a\\nb" << "a\r\nb";
    QTest::newRow("lone CR stays") << "a\\rb\\r" << "a\rb\r";
    QTest::newRow("CR CR LF") << "a\\r\\r\\nb" << "a\r\r\nb";
    QTest::newRow("Ctrl+Z ends it") << "ab\\x1acd" << "ab";
    QTest::newRow("NUL ends it") << "ab\\0cd" << "ab";
    QTest::newRow("CP932") << "\\x93\\xfa\\x96\\x7b\\xb1" << u"日本ｱ"_s;
    QTest::newRow("bytes not CP932 kept as escapes") << "a\\x81\\r\\n" << u"a\uef81\r\n"_s;
}

void TestPklStore::readFollowsTextFileRules()
{
    QFETCH(QString, bytes);
    KeyFolder key;
    key.setUp(QStringLiteral("entry=") + bytes);
    QString text = QStringLiteral("untouched");
    QCOMPARE(PklStore::ReadEntry(QStringLiteral("entry"), &text), FileError::None);
    QTEST(text, "expected");
}

void TestPklStore::readFailsWithoutAFileOfTheName_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("name");
    QTest::addColumn<FileError>("expected");
    QTest::newRow("missing") << "a=1" << "b" << FileError::FileNotFound;
    QTest::newRow("sub-folder") << "sub/" << "sub" << FileError::AccessDenied;
    QTest::newRow("dead link") << "dead>" << "dead" << FileError::FileNotFound;
    QTest::newRow("empty name") << "a=1" << "" << FileError::BadPath;
    QTest::newRow("dot") << "a=1" << "." << FileError::BadPath;
    QTest::newRow("dot dot") << "a=1" << ".." << FileError::BadPath;
    QTest::newRow("escapes the folder") << "a=1" << "../outside/secret" << FileError::BadPath;
    QTest::newRow("into a sub-folder") << "sub/|sub/x=1" << "sub/x" << FileError::BadPath;
    QTest::newRow("NUL in the name") << "a=1" << QString(u"a\0b"_s) << FileError::BadPath;
    QTest::newRow("no key folder") << "-" << "a" << FileError::BadPath;
}

void TestPklStore::readFailsWithoutAFileOfTheName()
{
    QFETCH(QString, setUp);
    QFETCH(QString, name);
    KeyFolder key;
    QFile secret(key.outside() + QStringLiteral("secret"));
    QVERIFY(secret.open(QIODevice::WriteOnly) && secret.write("s") == 1);
    secret.close();
    if (setUp == u"-")
        key.remove();
    else
        key.setUp(setUp);
    QString text = QStringLiteral("untouched");
    QTEST(PklStore::ReadEntry(name, &text), "expected");
    QCOMPARE(text, QStringLiteral("untouched"));
}

// Bare LF ends are the one thing a read changes: they come back as CR LF.
void TestPklStore::readThenWriteKeepsTheBytes_data()
{
    QTest::addColumn<QString>("bytes");
    QTest::newRow("CR LF and a lone CR") << "one\\r\\ntwo\\rthree";
    QTest::newRow("CP932 and half-width kana") << "\\x93\\xfa\\x96\\x7b\\xb1\\r\\n";
    QTest::newRow("bytes not CP932") << "\\x81\\x20\\xff\\xa0\\x80";
    QTest::newRow("empty") << "";
}

void TestPklStore::readThenWriteKeepsTheBytes()
{
    QFETCH(QString, bytes);
    KeyFolder key;
    key.setUp(QStringLiteral("entry=") + bytes);
    QString text;
    QCOMPARE(PklStore::ReadEntry(QStringLiteral("entry"), &text), FileError::None);
    QCOMPARE(PklStore::WriteEntry(QStringLiteral("entry"), text), FileError::None);
    QCOMPARE(key.bytes(QStringLiteral("entry")), unescape(bytes));
}

void TestPklStore::writeTakesWhatTheFolderTakes_data()
{
    QTest::addColumn<QString>("setUp");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<FileError>("expected");
    QTest::addColumn<QStringList>("names");  // afterwards
    QTest::addColumn<QString>("bytes");      // of the entry named afterwards
    const QString a255(255, u'a');
    const QString a256(256, u'a');
    QTest::newRow("new") << "" << "new" << "x\r\ny" << FileError::None << QStringList{"new"} << "x\\r\\ny";
    QTest::newRow("overwrite, shorter") << "e=long text" << "e" << "s" << FileError::None << QStringList{"e"} << "s";
    QTest::newRow("empty text, zero bytes") << "" << "e" << "" << FileError::None << QStringList{"e"} << "";
    QTest::newRow("CP932 and escapes") << "" << "日本" << u"日本\uef81"_s << FileError::None << QStringList{"日本"}
                                       << "\\x93\\xfa\\x96\\x7b\\x81";
    QTest::newRow("name of 255 bytes") << "" << a255 << "t" << FileError::None << QStringList{a255} << "t";
    QTest::newRow("name too long for the file system") << "" << a256 << "t" << FileError::BadPath << QStringList()
                                                       << "<none>";
    QTest::newRow("other case, another entry") << "abc=old" << "ABC" << "new" << FileError::None
                                               << QStringList{"ABC", "abc"} << "new";
    QTest::newRow("read-only kept") << "ro~" << "ro" << "new" << FileError::AccessDenied << QStringList{"ro"} << "ro";
    QTest::newRow("sub-folder") << "sub/" << "sub" << "t" << FileError::AccessDenied << QStringList{"sub"} << "<none>";
    QTest::newRow("empty name") << "" << "" << "t" << FileError::BadPath << QStringList() << "<none>";
    QTest::newRow("dot dot") << "" << ".." << "t" << FileError::BadPath << QStringList() << "<none>";
    QTest::newRow("escapes the folder") << "" << "../outside/x" << "t" << FileError::BadPath << QStringList()
                                        << "<none>";
    QTest::newRow("into a sub-folder") << "sub/" << "sub/x" << "t" << FileError::BadPath << QStringList{"sub"}
                                       << "<none>";
    QTest::newRow("no key folder") << "-" << "e" << "t" << FileError::BadPath << QStringList() << "<none>";
}

void TestPklStore::writeTakesWhatTheFolderTakes()
{
    QFETCH(QString, setUp);
    QFETCH(QString, name);
    QFETCH(QString, text);
    KeyFolder key;
    if (setUp == u"-")
        key.remove();
    else
        key.setUp(setUp);
    QTEST(PklStore::WriteEntry(name, text), "expected");
    QTEST(key.names(), "names");
    QCOMPARE(QDir(key.outside()).isEmpty(), true);
    QFETCH(QString, bytes);
    QCOMPARE(key.bytes(name), unescape(bytes));
}

void TestPklStore::failedWriteKeepsTheOldEntry()
{
    KeyFolder key;
    key.setUp(QStringLiteral("e=old entry"));
    FileIO::InjectWriteFailure(ENOSPC, 3);
    const FileError error = PklStore::WriteEntry(QStringLiteral("e"), QStringLiteral("a new and longer text"));
    FileIO::InjectWriteFailure(0);
    QCOMPARE(error, FileError::DiskFull);
    QCOMPARE(key.bytes(QStringLiteral("e")), QByteArray("old entry"));
    QCOMPARE(key.names(), QStringList{"e"});
}

void TestPklStore::existsOnlyForReadableFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");
    QTest::newRow("file") << "a" << true;
    QTest::newRow("read-only file") << "ro" << true;
    QTest::newRow("missing") << "b" << false;
    QTest::newRow("other case") << "A" << false;
    QTest::newRow("sub-folder") << "sub" << false;
    QTest::newRow("dead link") << "dead" << false;
    QTest::newRow("empty name") << "" << false;
    QTest::newRow("dot") << "." << false;
}

void TestPklStore::existsOnlyForReadableFiles()
{
    QFETCH(QString, name);
    KeyFolder key;
    key.setUp(QStringLiteral("a=1|ro~|sub/|dead>"));
    QTEST(PklStore::EntryExists(name), "expected");
}

void TestPklStore::deleteRemovesOnlyWritableFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<FileError>("expected");
    QTest::addColumn<QStringList>("names");  // afterwards
    const QStringList all{"a", "dead", "ro", "sub"};
    QTest::newRow("file") << "a" << FileError::None << QStringList{"dead", "ro", "sub"};
    QTest::newRow("dead link") << "dead" << FileError::None << QStringList{"a", "ro", "sub"};
    QTest::newRow("missing") << "b" << FileError::FileNotFound << all;
    QTest::newRow("read-only") << "ro" << FileError::AccessDenied << all;
    QTest::newRow("sub-folder") << "sub" << FileError::AccessDenied << all;
    QTest::newRow("empty name") << "" << FileError::BadPath << all;
    QTest::newRow("dot dot") << ".." << FileError::BadPath << all;
    QTest::newRow("into a sub-folder") << "sub/x" << FileError::BadPath << all;
}

void TestPklStore::deleteRemovesOnlyWritableFiles()
{
    QFETCH(QString, name);
    KeyFolder key;
    key.setUp(QStringLiteral("a=1|ro~|sub/|sub/x=2|dead>"));
    QTEST(PklStore::DeleteEntry(name), "expected");
    QTEST(key.names(), "names");
    QVERIFY(key.has(QStringLiteral("sub/x")));
}

QTEST_GUILESS_MAIN(TestPklStore)
#include "tst_pklstore.moc"
