// The Paste Key List store: module paths, where the key folder is, and every operation on the
// folder with its failures.
#include "pkl_helper.h"

#include "pkl/modulepath.h"
#include "pkl/pklstore.h"
#include "platform/fileio.h"

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
    // Module paths take "\" as the folder separator. The installed tree keeps the read-me and
    // help in share/NYO beside the bin folder; a file beside the executable comes first.
    void sharedFilesBesideOrInstalled()
    {
        const QString exeDir = QCoreApplication::applicationDirPath();
        QCOMPARE(ModulePath::MakeModulePath(u"key\\sub\\"_s), exeDir + u"/key/sub/"_s);
        const QString name = u"shared-%1.html"_s.arg(QCoreApplication::applicationPid());
        const QString beside = exeDir + u'/' + name;
        const QString installed = QDir::cleanPath(exeDir + u"/../share/NYO/"_s + name);
        const auto cleanUp = qScopeGuard([&] { QFile::remove(beside); QFile::remove(installed); });
        QCOMPARE(ModulePath::SharedFilePath(name), beside);  // neither: the path a message names
        QVERIFY(QDir().mkpath(QFileInfo(installed).absolutePath()) && QFile(installed).open(QIODevice::WriteOnly));
        QCOMPARE(ModulePath::SharedFilePath(name), installed);
        QVERIFY(QFile(beside).open(QIODevice::WriteOnly));
        QCOMPARE(ModulePath::SharedFilePath(name), beside);
    }

    // Root may write anywhere, so an unwritable place is one that cannot be a folder at all:
    // a file stands where the folder, or the folder above it, would be.
    void keyFolderIsBesideTheExecutableWhereItCanBeWritten_data()
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
    void keyFolderIsBesideTheExecutableWhereItCanBeWritten()
    {
        QFETCH(QString, setUp);
        QFETCH(bool, installed);
        QFETCH(bool, beside);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(setUp.endsWith(u'/') ? setUp : QFileInfo(setUp).path()));
        QVERIFY(setUp.endsWith(u'/') || QFile(root.filePath(setUp)).open(QIODevice::WriteOnly));
        const QString besideExe = root.filePath(u"bin/key/"_s), inData = root.filePath(u"data/Hoshikage!/NYO/key/"_s);
        const QString chosen = PklStore::ChooseKeyDirectory(besideExe, inData, installed);
        QCOMPARE(chosen, beside ? besideExe : inData);
        QVERIFY(QFileInfo(chosen).isDir());
        QCOMPARE(QFileInfo::exists(inData), !beside);
        QCOMPARE(QFileInfo::exists(besideExe), beside || (installed && setUp == u"bin/key/"));  // none made
    }

    // Reading follows a text file's rules; writing the text read back gives the bytes it came
    // from, save for bare LF ends (then CR LF) and what follows Ctrl+Z or NUL.
    void readFollowsTextFileRulesAndWritesBack_data()
    {
        QTest::addColumn<QString>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("back");
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("CR LF, lone CR") << "a\r\nb\rc\r" << "a\r\nb\rc\r" << "a\r\nb\rc\r";
        QTest::newRow("bare LF") << "a\nb" << "a\r\nb" << "a\r\nb";
        QTest::newRow("CR CR LF") << "a\r\r\nb" << "a\r\r\nb" << "a\r\r\nb";
        QTest::newRow("Ctrl+Z ends it") << "ab%1Acd" << "ab" << "ab";
        QTest::newRow("NUL ends it") << "ab%00cd" << "ab" << "ab";
        QTest::newRow("CP932") << "%93%FA%96%7B%B1" << u"日本ｱ"_s << "%93%FA%96%7B%B1";
        QTest::newRow("bytes not CP932 kept as escapes") << "a%81\r\n" << u"a\uef81\r\n"_s << "a%81\r\n";
        QTest::newRow("lead bytes without a trail come back") << "%81 %81" << u"\uef81 \uef81"_s << "%81 %81";
    }
    void readFollowsTextFileRulesAndWritesBack()
    {
        QFETCH(QString, bytes);
        QFETCH(QString, back);
        KeyFolder key;
        key.setUp(u"entry="_s + bytes);
        QString text = u"untouched"_s;
        QCOMPARE(PklStore::ReadEntry(u"entry"_s, &text), FileError::None);
        QTEST(text, "text");
        QCOMPARE(PklStore::WriteEntry(u"entry"_s, text), FileError::None);
        QCOMPARE(key.bytes(u"entry"_s), unescape(back));
    }

    // Each operation on a fresh folder; a name that is refused or fails changes nothing, and
    // nothing is ever read from or written outside the key folder. Where the write is to find
    // the disk full, the disk fills once the new text has started: the old entry stays whole.
    void operationsStayInTheKeyFolder_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("name");
        QTest::addColumn<FileError>("read");  // the entry exists where it reads
        QTest::addColumn<FileError>("write");
        QTest::addColumn<FileError>("remove");
        const FileError ok = FileError::None, gone = FileError::FileNotFound, denied = FileError::AccessDenied,
                        bad = FileError::BadPath;
        QTest::newRow("file, longer than the new text") << "a=long text" << "a" << ok << ok << ok;
        QTest::newRow("disk full") << "a=old" << "a" << ok << FileError::DiskFull << ok;
        QTest::newRow("missing") << "a=1" << "b" << gone << ok << gone;
        QTest::newRow("other case, another entry") << "a=1" << "A" << gone << ok << gone;
        QTest::newRow("read-only") << "ro~" << "ro" << ok << denied << denied;
        QTest::newRow("sub-folder") << "sub/" << "sub" << denied << denied << denied;
        QTest::newRow("dead link") << "dead>" << "dead" << gone << ok << ok;
        QTest::newRow("name of 255 bytes") << "" << QString(255, u'a') << gone << ok << gone;
        QTest::newRow("name too long for the file system") << "" << QString(256, u'a') << bad << bad << gone;
        QTest::newRow("empty name") << "a=1" << "" << bad << bad << bad;
        QTest::newRow("dot") << "a=1" << "." << bad << bad << bad;
        QTest::newRow("dot dot") << "a=1" << ".." << bad << bad << bad;
        QTest::newRow("escapes the folder") << "a=1" << "../outside/secret" << bad << bad << bad;
        QTest::newRow("into a sub-folder") << "sub/|sub/x=1" << "sub/x" << bad << bad << bad;
        QTest::newRow("NUL in the name") << "a=1" << u"a\0b"_s << bad << bad << bad;
        QTest::newRow("no key folder") << "-" << "a" << bad << bad << gone;
    }
    void operationsStayInTheKeyFolder()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, name);
        QFETCH(FileError, read);
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
            const QDir outside(QDir::cleanPath(key->path() + u"../outside"_s));
            QFile secret(outside.filePath(u"secret"_s));
            return outside.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot) == QStringList{"secret"} &&
                   secret.open(QIODevice::ReadOnly) && secret.readAll() == "s";
        };

        fresh();
        QString text = u"untouched"_s;
        QCOMPARE(PklStore::ReadEntry(name, &text), read);
        QCOMPARE(text == u"untouched", read != FileError::None);
        QCOMPARE(PklStore::EntryExists(name), read == FileError::None);

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
};

QTEST_GUILESS_MAIN(TestPklStore)
#include "tst_pklstore.moc"
