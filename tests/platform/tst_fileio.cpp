// Reading and crash-safe writing of whole files, and the message for each cause of failure.
#include "platform/base/fileerror.h"
#include "platform/base/fileio.h"
#include "platform/base/filename.h"
#include "platform/base/systemmemory.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <future>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

QString written(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

ino_t inodeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The content of the file whose name is these bytes, read without any QString on the way.
QByteArray rawContent(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY);
    QByteArray out(4096, Qt::Uninitialized);
    const ssize_t n = fd < 0 ? -1 : ::read(fd, out.data(), size_t(out.size()));
    if (fd >= 0)
        ::close(fd);
    return n < 0 ? QByteArray("<no file>") : out.left(n);
}

bool rawWrite(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool ok = fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    return fd >= 0 && ::close(fd) == 0 && ok;
}

// Entries of the folder counted as bytes: Qt's listing drops names that are not UTF-8.
int rawEntries(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.constData());
    int count = 0;
    while (const dirent *entry = dir ? ::readdir(dir) : nullptr)
        count += std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0;
    if (dir)
        ::closedir(dir);
    return count;
}

qsizetype filesIn(const QTemporaryDir &dir) { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(); }
} // namespace

class TestFileIO : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
private slots:
    void cleanup() { FileIO::InjectWriteFailure(0); FileIO::InjectTempFileFailure(0); }

    // A file larger than the limit is not read, and that is no failure.
    void readReportsTheCause()
    {
        QByteArray out;
        QCOMPARE(FileIO::ReadAll(written(m_dir.filePath("a"), "abc"), out, 100), FileError::None);
        QCOMPARE(out, QByteArray("abc"));
        QCOMPARE(FileIO::ReadAll(m_dir.filePath("none"), out, 100), FileError::FileNotFound);
        QCOMPARE(FileIO::ReadAll(m_dir.filePath("no/such"), out, 100), FileError::BadPath);
        QCOMPARE(FileIO::ReadAll(m_dir.filePath("a/b"), out, 100), FileError::BadPath);
        QCOMPARE(FileIO::ReadAll(m_dir.path(), out, 100), FileError::AccessDenied);
        QCOMPARE(FileIO::ReadAll(QString(), out, 100), FileError::BadPath);
        QCOMPARE(FileIO::ReadAll(QString::fromUtf16(u"a\0b", 3), out, 100), FileError::BadPath);
        bool tooLarge = false;
        QCOMPARE(FileIO::ReadAll(written(m_dir.filePath("big"), QByteArray(101, 'x')), out, 100, &tooLarge),
                 FileError::None);
        QVERIFY(tooLarge);
        QVERIFY(out.isEmpty());
    }

    // Links are followed to the end of their chain, each relative target against its own
    // link's folder: the file at the end gets the bytes and every link stays a link. A chain
    // that leads nowhere creates the file it names; a cycle is refused and changes nothing.
    void writeFollowsEveryLink_data()
    {
        QTest::addColumn<QStringList>("links");   // "name>target", @ for the folder's path
        QTest::addColumn<QString>("changed");     // the file that takes the bytes; empty: none
        QTest::addColumn<FileError>("result");
        QTest::newRow("one link") << QStringList{"a>real.txt"} << "real.txt" << FileError::None;
        QTest::newRow("chain of two") << QStringList{"a>b", "b>real.txt"} << "real.txt" << FileError::None;
        QTest::newRow("chain of three, absolute") << QStringList{"a>@/b", "b>@/c", "c>@/real.txt"} << "real.txt" << FileError::None;
        QTest::newRow("relative to each link's folder") << QStringList{"a>sub/b", "sub/b>../real.txt"} << "real.txt" << FileError::None;
        QTest::newRow("chain that leads nowhere") << QStringList{"a>b", "b>made.txt"} << "made.txt" << FileError::None;
        QTest::newRow("leads into a missing folder") << QStringList{"a>b", "b>none/made.txt"} << "" << FileError::BadPath;
        QTest::newRow("cycle") << QStringList{"a>b", "b>a"} << "" << FileError::BadPath;
        QTest::newRow("link to itself") << QStringList{"a>a"} << "" << FileError::BadPath;
    }
    void writeFollowsEveryLink()
    {
        QFETCH(QStringList, links); QFETCH(QString, changed);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("sub") && !written(dir.filePath("real.txt"), "old").isEmpty());
        for (const QString &link : links)
            QVERIFY(::symlink(QFile::encodeName(link.section('>', 1).replace('@', dir.path())).constData(),
                              QFile::encodeName(dir.filePath(link.section('>', 0, 0))).constData()) == 0);
        QTEST(FileIO::WriteAtomic(dir.filePath("a"), "new"), "result");
        QCOMPARE(contentOf(dir.filePath("real.txt")), QByteArray(changed == "real.txt" ? "new" : "old"));
        if (!changed.isEmpty())
            QCOMPARE(contentOf(dir.filePath(changed)), QByteArray("new"));
        for (const QString &link : links)
            QVERIFY(QFileInfo(dir.filePath(link.section('>', 0, 0))).isSymLink());
        // Nothing else beside them: no temporary file left, nothing made on refusal.
        QStringList names{"real.txt", "sub"};
        for (const QString &link : links)
            names.append(link.section('>', 0, 0).section('/', 0, 0));
        if (!changed.isEmpty())
            names.append(changed);
        names.removeDuplicates();
        names.sort();
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), names);
    }

    // A FIFO, a socket or a device is neither read nor replaced, and asking does not wait on it.
    void specialFilesAreRefused_data()
    {
        QTest::addColumn<QString>("path");  // empty: a FIFO made for the row
        QTest::newRow("FIFO") << QString();
        QTest::newRow("device") << "/dev/null";
    }
    void specialFilesAreRefused()
    {
        QFETCH(QString, path);
        QTemporaryDir dir;
        if (path.isEmpty()) {
            path = dir.filePath("fifo");
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
        // Run where a blocked read cannot stop the test: after five seconds the FIFO gets a
        // writer that goes away, so that a read that waits ends (with the wrong answer).
        auto reading = std::async(std::launch::async, [path] {
            QByteArray out;
            return FileIO::ReadAll(path, out, 100);
        });
        if (reading.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            while (reading.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout)
                ::close(::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK));
            QFAIL("the read waited on the file");
        }
        QCOMPARE(reading.get(), FileError::NotRegularFile);
        const QFileInfo before(path);
        QCOMPARE(FileIO::WriteAtomic(path, "new"), FileError::NotRegularFile);
        QVERIFY(!QFileInfo(path).isFile() && QFileInfo(path).lastModified() == before.lastModified());
        QCOMPARE(FileErrorMessage(FileError::NotRegularFile, path),
                 path + " は通常のﾌｧｲﾙではない (FIFO、ﾃﾞﾊﾞｲｽなど) ため、ｱｸｾｽできません。");
    }

    // Where the folder refuses a temporary file, an existing file is written in place: it keeps
    // its inode, where a rename over it would give it a new one. A write that fails midway, on
    // either road, leaves the old content and no other file.
    void writesInPlaceWhereTheFolderRefuses_data()
    {
        QTest::addColumn<int>("tempError");  // -1: a real folder without write permission
        QTest::addColumn<int>("writeError");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<FileError>("result");
        QTest::newRow("denied") << EACCES << 0 << true << FileError::None;
        QTest::newRow("not permitted") << EPERM << 0 << true << FileError::None;
        QTest::newRow("read-only file system") << EROFS << 0 << true << FileError::None;
        QTest::newRow("folder without write permission") << -1 << 0 << true << FileError::None;
        QTest::newRow("denied, no file to write") << EACCES << 0 << false << FileError::AccessDenied;
        QTest::newRow("disk full is no refusal") << ENOSPC << 0 << true << FileError::DiskFull;
        QTest::newRow("failed write through a temporary file") << 0 << ENOSPC << true << FileError::DiskFull;
        QTest::newRow("failed write in place") << EACCES << ENOSPC << true << FileError::DiskFull;
    }
    void writesInPlaceWhereTheFolderRefuses()
    {
        QFETCH(int, tempError);
        QFETCH(bool, exists);
        QFETCH(FileError, result);
        QTemporaryDir dir;
        const QString path = dir.filePath("f");
        QVERIFY(!exists || !written(path, "old, longer content").isEmpty());
        const ino_t inode = inodeOf(path);
        if (tempError < 0 && ::geteuid() == 0)
            QSKIP("folder permissions refuse nothing to root");
        QVERIFY(tempError >= 0 || QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        FileIO::InjectTempFileFailure(qMax(tempError, 0));
        QFETCH(int, writeError);
        FileIO::InjectWriteFailure(writeError, 2);
        const FileError error = FileIO::WriteAtomic(path, "new");
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(error, result);
        QCOMPARE(contentOf(path), QByteArray(result == FileError::None ? "new" : exists ? "old, longer content" : "<no file>"));
        QCOMPARE(inodeOf(path), inode);
        QCOMPARE(filesIn(dir), exists ? 1 : 0);
    }

    // Bytes made as they are written: kept only when their maker says so, on either road; a
    // write that fails in a later piece stops the maker and leaves the old content, and a maker
    // that keeps the file as it is leaves it and no other file.
    void writesPiecesAsTheyAreMade_data()
    {
        QTest::addColumn<int>("tempError");
        QTest::addColumn<int>("failAfter");  // bytes; -1: no failure
        QTest::addColumn<bool>("keep");      // what the maker answers once all pieces are put
        QTest::addColumn<FileError>("result");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("piecesTaken");
        const QByteArray old = "old content";
        QTest::newRow("kept") << 0 << -1 << true << FileError::None << QByteArray("new, in pieces") << 3;
        QTest::newRow("not kept") << 0 << -1 << false << FileError::None << old << 3;
        QTest::newRow("failed in the second piece") << 0 << 6 << true << FileError::DiskFull << old << 1;
        QTest::newRow("in place, kept") << EACCES << -1 << true << FileError::None << QByteArray("new, in pieces") << 3;
        QTest::newRow("in place, not kept") << EACCES << -1 << false << FileError::None << old << 3;
        QTest::newRow("in place, failed") << EACCES << 6 << true << FileError::DiskFull << old << 3;
    }
    void writesPiecesAsTheyAreMade()
    {
        QFETCH(int, tempError); QFETCH(int, failAfter); QFETCH(bool, keep);
        QTemporaryDir dir;
        const QString path = dir.filePath("f");
        QVERIFY(!written(path, "old content").isEmpty());
        FileIO::InjectTempFileFailure(tempError);
        if (failAfter >= 0)
            FileIO::InjectWriteFailure(ENOSPC, failAfter);
        int taken = 0;
        bool keptAnswer = false;
        const FileError error = FileIO::WriteAtomic(path, [&](const FileIO::BytesSink &put) {
            for (const char *piece : {"new, ", "in ", "pieces"}) {
                if (!put(piece))
                    return false;
                ++taken;
            }
            return keep;
        }, &keptAnswer);
        QTEST(error, "result");
        QTEST(contentOf(path), "content");
        QTEST(taken, "piecesTaken");
        QCOMPARE(keptAnswer, !keep && error == FileError::None);
        QCOMPARE(filesIn(dir), 1);
    }

    // A name as long as the folder allows leaves no room for more in the temporary file's name;
    // a folder that is not there is the path's fault.
    void savesUnderTheLongestName()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QString(NAME_MAX, u'n'));
        QCOMPARE(FileIO::WriteAtomic(path, "new"), FileError::None);
        QCOMPARE(contentOf(path), QByteArray("new"));
        QCOMPARE(filesIn(dir), 1);
        QCOMPARE(FileIO::WriteAtomic(dir.filePath("x/y"), "z"), FileError::BadPath);
    }

    // The causes whose messages the save and open tests do not reach.
    void messagesNameTheFullPath_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("name too long") << ENAMETOOLONG << "/d/f.txt には無効なﾊﾟｽが含まれています。";
        QTest::newRow("read-only file system") << EROFS << "/d/f.txt へのｱｸｾｽは拒否されました。";
        QTest::newRow("quota") << EDQUOT << "/d/f.txt へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。";
        QTest::newRow("other") << EPROTO << "/d/f.txt へのｱｸｾｽ中に不明なｴﾗｰが発生しました。";
    }
    void messagesNameTheFullPath()
    {
        QFETCH(int, error);
        QTEST(FileErrorMessage(FileErrorFromErrno(error), "/d/f.txt"), "message");
    }

    // Any bytes come back from a name whole, and a name that is UTF-8 without escape
    // characters is read as UTF-8: random names of bytes Shift-JIS, UTF-8 and stray bytes are
    // made of, a fixed seed so that a failure can be run again.
    void everyNameComesBackAsItsBytes()
    {
        QRandomGenerator random(18);
        const QByteArray pieces[] = {"a", "/", ".", "\x80", "\xbf", "\xc2", "\xe6\x97\xa5", "\xee\xbe\x80",
                                     "\xef\xbf\xbf", "\xf0\x9f\x98\x80", "\xf4\x90\x80\x80", "\xed\xa0\x80",
                                     "\xc0\xaf", "\x93\xfa", "\xff"};
        for (int round = 0; round < 5000; ++round) {
            QByteArray bytes;
            for (int n = random.bounded(8); n > 0; --n)
                bytes += random.bounded(2) ? pieces[random.bounded(int(std::size(pieces)))]
                                           : QByteArray(1, char(random.bounded(256)));
            const QString name = FileName::FromNative(bytes);
            QCOMPARE(FileName::ToNative(name), bytes);
            const QString utf8 = QString::fromUtf8(bytes);
            if (!FileName::HasEscapes(name))
                QCOMPARE(name, utf8);
            else
                QVERIFY(utf8.contains(QChar::ReplacementCharacter) || FileName::HasEscapes(utf8));
        }
    }

    // A name is its bytes: one that is not UTF-8 (Shift-JIS, Latin-1, a lone byte) or that
    // holds the UTF-8 of an escape character is read, replaced, made and written through a
    // link under exactly those bytes, and nothing else appears beside it.
    void namesAreTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");  // the name as a title or message shows it
        QTest::newRow("Shift-JIS") << QByteArray("\x93\xfa\x96\x7b\x8c\xea.txt") << QStringLiteral("日本語.txt");
        QTest::newRow("Shift-JIS half-width kana") << QByteArray("\xc3\xde\xb0\xc0") << QStringLiteral("ﾃﾞｰﾀ");
        QTest::newRow("Latin-1") << QByteArray("caf\xe9.txt") << QString::fromUtf16(u"caf\uEFE9.txt");
        QTest::newRow("cut UTF-8") << QByteArray("a\xe6\x97") << QString::fromUtf16(u"a\u8B4C");
        QTest::newRow("UTF-8 of an escape") << QByteArray("\xee\xbe\x80") << QString::fromUtf16(u"\uFA28\u0080");
        QTest::newRow("UTF-8") << QByteArray("\xe6\x97\xa5\xe6\x9c\xac.txt") << QStringLiteral("日本.txt");
    }
    void namesAreTheirBytes()
    {
        QFETCH(QByteArray, name);
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path()) + '/';
        const QString path = FileName::FromNative(folder + name);
        QCOMPARE(FileName::ToNative(path), folder + name);
        QVERIFY(rawWrite(folder + name, "old"));
        QByteArray out;
        QCOMPARE(FileIO::ReadAll(path, out, 100), FileError::None);
        QCOMPARE(out, QByteArray("old"));
        QVERIFY(FileIO::Exists(path) && !FileIO::IsReadOnly(path));
        QCOMPARE(FileIO::WriteAtomic(path, "new"), FileError::None);
        QCOMPARE(rawContent(folder + name), QByteArray("new"));
        QVERIFY(::symlink(name.constData(), (folder + "link").constData()) == 0);
        QCOMPARE(FileIO::WriteAtomic(dir.filePath("link"), "linked"), FileError::None);
        QCOMPARE(rawContent(folder + name), QByteArray("linked"));
        QCOMPARE(FileName::FollowLink(dir.filePath("link")), path);
        QCOMPARE(FileIO::WriteAtomic(FileName::FromNative(folder + "made-" + name), "made"), FileError::None);
        QCOMPARE(rawContent(folder + "made-" + name), QByteArray("made"));
        QCOMPARE(rawEntries(folder), 3);
        FileIO::Remove(path);
        QVERIFY(!FileIO::Exists(path));
        FileIO::Remove(FileName::FromNative(folder + "made-" + name));  // QTemporaryDir cannot
        QTEST(FileName::Display(path).mid(dir.path().size() + 1), "shown");
    }

    // Free memory as the system reports it in /proc/meminfo's form; a file lacking the line
    // or spoiling its number says nothing.
    void memoryFromMeminfo_data()
    {
        QTest::addColumn<QByteArray>("meminfo");
        QTest::addColumn<qint64>("bytes");  // -1: nothing
        const QByteArray head = "MemTotal:       24683772 kB\nMemFree:        15809384 kB\n";
        QTest::newRow("kilobytes") << head + "MemAvailable:   23388728 kB\n" << qint64(23388728) * 1024;
        QTest::newRow("no unit") << QByteArray("MemAvailable: 4096\n") << qint64(4096);
        QTest::newRow("missing") << head << qint64(-1);
        QTest::newRow("only a longer name") << QByteArray("MemAvailableX: 5 kB\n") << qint64(-1);
        QTest::newRow("not a number") << QByteArray("MemAvailable: lots kB\n") << qint64(-1);
        QTest::newRow("negative") << QByteArray("MemAvailable: -5 kB\n") << qint64(-1);
    }
    void memoryFromMeminfo()
    {
        QFETCH(QByteArray, meminfo);
        QFETCH(qint64, bytes);
        const std::optional<qint64> found = SystemMemory::FromMeminfo(meminfo, "MemAvailable");
        QCOMPARE(found.value_or(-1), bytes);
#ifdef Q_OS_LINUX
        QVERIFY(SystemMemory::Available().value_or(0) > 0);
#endif
    }
};

QTEST_MAIN(TestFileIO)
#include "tst_fileio.moc"
