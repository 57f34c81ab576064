// The Paste Key List store: module paths, where the key folder is, and every operation on the
// folder with its failures.
#include "pkl_helper.h"

#include "pkl/modulepath.h"
#include "pkl/pklstore.h"
#include "platform/base/fileio.h"

#include <QScopeGuard>
#include <QtTest>

#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace PklHelper;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FileError)
Q_DECLARE_METATYPE(FolderEntry::Kind)

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
    // a file stands where the folder, or the folder above it, would be. A folder that others
    // may write is not the user's alone; one made under a umask that lets the group write is.
    void keyFolderIsBesideTheExecutableWhereItCanBeWritten_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("change");  // "mode M" or "owner U" of the folder, "umask M" while choosing
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("beside");
        QTest::newRow("folder there") << "bin/key/" << "" << false << true;
        QTest::newRow("folder made") << "bin/" << "" << false << true;
        QTest::newRow("folder made, umask lets the group write") << "bin/" << "umask 002" << false << true;
        QTest::newRow("a file named key") << "bin/key" << "" << false << false;
        QTest::newRow("executable's folder cannot hold folders") << "bin" << "" << false << false;
        QTest::newRow("installed, folder writable") << "bin/" << "" << true << false;
        QTest::newRow("installed, folder there") << "bin/key/" << "" << true << false;
        QTest::newRow("group may write") << "bin/key/" << "mode 775" << false << false;
        QTest::newRow("anyone may write") << "bin/key/" << "mode 1777" << false << false;
        QTest::newRow("another user's") << "bin/key/" << "owner 65534" << false << false;
    }
    void keyFolderIsBesideTheExecutableWhereItCanBeWritten()
    {
        QFETCH(QString, setUp);
        QFETCH(QString, change);
        QFETCH(bool, installed);
        QFETCH(bool, beside);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(setUp.endsWith(u'/') ? setUp : QFileInfo(setUp).path()));
        QVERIFY(setUp.endsWith(u'/') || QFile(root.filePath(setUp)).open(QIODevice::WriteOnly));
        const QString besideExe = root.filePath(u"bin/key/"_s), inData = root.filePath(u"data/Hoshikage!/NYO/key/"_s);
        const QByteArray folder = QFile::encodeName(besideExe);
        const uint value = change.section(u' ', 1).toUInt(nullptr, change.startsWith(u"owner") ? 10 : 8);
        if (change.startsWith(u"mode"))
            QCOMPARE(::chmod(folder.constData(), mode_t(value)), 0);
        if (change.startsWith(u"owner") && ::chown(folder.constData(), uid_t(value), gid_t(-1)) != 0)
            QSKIP("only root can give a folder away");
        const mode_t mask = change.startsWith(u"umask") ? ::umask(mode_t(value)) : 0;
        const QString chosen = PklStore::ChooseKeyDirectory(besideExe, inData, installed);
        if (change.startsWith(u"umask"))
            ::umask(mask);
        QCOMPARE(chosen, beside ? besideExe : inData);
        QVERIFY(QFileInfo(chosen).isDir());
        QCOMPARE(QFileInfo::exists(inData), !beside);
        QCOMPARE(QFileInfo::exists(besideExe), beside || setUp == u"bin/key/");  // none made
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

    // File names are bytes. Each listed name reads, writes and removes its own file, whatever
    // its bytes: a name that is not UTF-8 shows as CP932 where that gives the bytes back and
    // is no other entry's name, else with its bytes above 0x7F as escapes. Entries hold
    // "1", "2", ...; the temporary files of writes cut short hold letters and are not listed.
    void namesAreTheFilesOwnBytes_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QStringList>("shown");  // sorted
        const QString escaped = QString::fromUtf16(u"\uef93\ueffa\uef96{");  // 93 FA 96 7B
        QTest::newRow("UTF-8") << "日本=1|é=2" << QStringList{"é", "日本"};
        QTest::newRow("CP932") << "%93%FA%96%7B=1|%83e%83L%83X%83g.txt=2" << QStringList{"テキスト.txt", "日本"};
        QTest::newRow("CP932 like a UTF-8 entry's name") << "%93%FA%96%7B=1|日本=2" << QStringList{"日本", escaped};
        QTest::newRow("neither, bad bytes as escapes") << "%81 x=1" << QStringList{u"\uef81 x"_s};
        QTest::newRow("CP932 form never written back") << "%ED%40=1" << QStringList{u"\uefed@"_s};
        QTest::newRow("byte-order mark kept") << "%EF%BB%BFa=1|a=2" << QStringList{"a", u"\ufeffa"_s};
        QTest::newRow("temporary files left out") << ".e.nyo-Ab12Cd=x|.nyo-Q1w2E3=y|..nyo-Q1w2E3.nyo-Zz9Yx8=z|.nyo-x=1"
                                                  << QStringList{".nyo-x"};
    }
    void namesAreTheFilesOwnBytes()
    {
        QFETCH(QString, setUp);
        KeyFolder key;
        key.setUp(setUp);
        QStringList listed = PklStore::ListEntries();
        listed.sort();
        QTEST(listed, "shown");
        QStringList texts;
        for (const QString &name : std::as_const(listed)) {
            QString text;
            QCOMPARE(PklStore::ReadEntry(name, &text), FileError::None);
            QCOMPARE(PklStore::WriteEntry(name, text + u'+'), FileError::None);
            texts.append(text);
        }
        texts.sort();
        QStringList each;
        for (int i = 1; i <= listed.size(); ++i)
            each.append(QString::number(i));
        QCOMPARE(texts, each);  // every name read a file of its own
        QStringList left;
        for (const QString &item : setUp.split(u'|')) {
            const QString name = item.section(u'=', 0, 0), content = item.section(u'=', 1);
            const bool entry = content.front().isDigit();
            QCOMPARE(key.bytes(name), content.toUtf8() + (entry ? "+" : ""));  // and wrote to it
            if (!entry)
                left.append(name);
        }
        // Removed one by one, the list read again each time, as the edit dialog does.
        for (qsizetype i = 0; i < listed.size(); ++i)
            QCOMPARE(PklStore::DeleteEntry(PklStore::ListEntries().value(0)), FileError::None);
        left.sort();
        QCOMPARE(key.names(), left);
    }

    // Each operation on a fresh folder; a name that is refused or fails changes nothing, and
    // nothing is ever read from or written outside the key folder. Where the write is to find
    // the disk full, the disk fills once the new text has started: the old entry stays whole.
    // Only regular files are replaced: a link (even to a file of the folder) never, nor is
    // anything written or made where it points. Reading follows a link to a regular file;
    // nothing else is opened, so no FIFO can hold an operation up.
    void operationsStayInTheKeyFolder_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<QString>("name");
        QTest::addColumn<FileError>("read");  // the entry exists where it reads
        QTest::addColumn<FileError>("write");
        QTest::addColumn<FileError>("remove");
        QTest::addColumn<FolderEntry::Kind>("kind");
        const FileError ok = FileError::None, gone = FileError::FileNotFound, denied = FileError::AccessDenied,
                        bad = FileError::BadPath, special = FileError::NotRegularFile;
        using K = FolderEntry::Kind;
        QString loneSurrogate = u"ab"_s;
        loneSurrogate.insert(1, QChar(0xD800));
        QTest::newRow("file, longer than the new text") << "a=long text" << "a" << ok << ok << ok << K::File;
        QTest::newRow("disk full") << "a=old" << "a" << ok << FileError::DiskFull << ok << K::File;
        QTest::newRow("missing") << "a=1" << "b" << gone << ok << gone << K::None;
        QTest::newRow("other case, another entry") << "a=1" << "A" << gone << ok << gone << K::None;
        QTest::newRow("read-only") << "ro~" << "ro" << ok << denied << denied << K::File;
        QTest::newRow("sub-folder") << "sub/" << "sub" << denied << denied << denied << K::Folder;
        QTest::newRow("dead link, pointing outside") << "dead>" << "dead" << gone << denied << ok << K::Link;
        QTest::newRow("link to a file outside") << "out>../outside/secret" << "out" << ok << denied << ok << K::Link;
        QTest::newRow("link to an entry") << "a=1|b>a" << "b" << ok << denied << ok << K::Link;
        QTest::newRow("FIFO") << "f*" << "f" << special << denied << ok << K::Other;
        QTest::newRow("link to a FIFO") << "f*|g>f" << "g" << special << denied << ok << K::Link;
        QTest::newRow("name of 255 bytes") << "" << QString(255, u'a') << gone << ok << gone << K::None;
        QTest::newRow("name too long for the file system") << "" << QString(256, u'a') << bad << bad << gone << K::None;
        QTest::newRow("empty name") << "a=1" << "" << bad << bad << bad << K::None;
        QTest::newRow("dot") << "a=1" << "." << bad << bad << bad << K::None;
        QTest::newRow("dot dot") << "a=1" << ".." << bad << bad << bad << K::None;
        QTest::newRow("escapes the folder") << "a=1" << "../outside/secret" << bad << bad << bad << K::None;
        QTest::newRow("into a sub-folder") << "sub/|sub/x=1" << "sub/x" << bad << bad << bad << K::None;
        QTest::newRow("NUL in the name") << "a=1" << u"a\0b"_s << bad << bad << bad << K::None;
        QTest::newRow("lone surrogate, where U+FFFD or ? would stand")
            << "a%EF%BF%BDb=1|a?b=2" << loneSurrogate << bad << bad << bad << K::None;
        QTest::newRow("a temporary file's name") << ".e.nyo-Ab12Cd=1" << ".e.nyo-Ab12Cd" << bad << bad << bad << K::None;
        QTest::newRow("no key folder") << "-" << "a" << bad << bad << gone << K::None;
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
            QVERIFY(!key || !key->unblocked());
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
        QTEST(PklStore::EntryKind(name), "kind");

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
        QVERIFY(!key->unblocked());
    }
};

QTEST_GUILESS_MAIN(TestPklStore)
#include "tst_pklstore.moc"
