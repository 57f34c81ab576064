// Reading and crash-safe writing of whole files, and the message for each cause of failure.
#include "platform/fileerror.h"
#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

ino_t inodeOf(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

int filesIn(const QTemporaryDir &dir)
{
    return int(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size());
}
} // namespace

class TestFileIO : public QObject {
    Q_OBJECT
private slots:
    void cleanup()
    {
        FileIO::InjectWriteFailure(0);
        FileIO::InjectTempFileFailure(0);
    }
    void readReportsTheCause();
    void writeReplacesThroughALink();
    void writesInPlaceWhereTheFolderRefuses_data();
    void writesInPlaceWhereTheFolderRefuses();
    void savesUnderTheLongestName();
    void messagesNameTheFullPath_data();
    void messagesNameTheFullPath();

private:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

// A file larger than the limit is not read, and that is no failure.
void TestFileIO::readReportsTheCause()
{
    QByteArray out;
    QCOMPARE(FileIO::ReadAll(write(QStringLiteral("a"), "abc"), out, 100), FileError::None);
    QCOMPARE(out, QByteArray("abc"));
    QCOMPARE(FileIO::ReadAll(m_dir.filePath(QStringLiteral("none")), out, 100), FileError::FileNotFound);
    QCOMPARE(FileIO::ReadAll(m_dir.filePath(QStringLiteral("no/such")), out, 100), FileError::BadPath);
    QCOMPARE(FileIO::ReadAll(m_dir.filePath(QStringLiteral("a/b")), out, 100), FileError::BadPath);
    QCOMPARE(FileIO::ReadAll(m_dir.path(), out, 100), FileError::AccessDenied);
    QCOMPARE(FileIO::ReadAll(QString(), out, 100), FileError::BadPath);
    QCOMPARE(FileIO::ReadAll(QString::fromUtf16(u"a\0b", 3), out, 100), FileError::BadPath);
    bool tooLarge = false;
    const QString big = write(QStringLiteral("big"), QByteArray(101, 'x'));
    QCOMPARE(FileIO::ReadAll(big, out, 100, &tooLarge), FileError::None);
    QVERIFY(tooLarge);
    QVERIFY(out.isEmpty());
}

void TestFileIO::writeReplacesThroughALink()
{
    const QString target = write(QStringLiteral("target"), "old");
    const QString link = m_dir.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(target, link));
    QCOMPARE(FileIO::WriteAtomic(link, "new"), FileError::None);
    QVERIFY(QFileInfo(link).isSymLink());
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("new"));
}

// Where the folder refuses a temporary file, an existing file is written in place: it keeps
// its inode, where a rename over it would give it a new one. A write that fails midway, on
// either road, leaves the old content and no other file.
void TestFileIO::writesInPlaceWhereTheFolderRefuses_data()
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

void TestFileIO::writesInPlaceWhereTheFolderRefuses()
{
    QFETCH(int, tempError);
    QFETCH(int, writeError);
    QFETCH(bool, exists);
    QFETCH(FileError, result);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    if (exists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old, longer content");
    }
    const ino_t inode = inodeOf(path);
    if (tempError < 0) {
        if (::geteuid() == 0)
            QSKIP("folder permissions refuse nothing to root");
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    } else {
        FileIO::InjectTempFileFailure(tempError);
    }
    FileIO::InjectWriteFailure(writeError, 2);

    const FileError written = FileIO::WriteAtomic(path, "new");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(written, result);
    const QByteArray expected = result == FileError::None ? "new" : exists ? "old, longer content" : "<no file>";
    QCOMPARE(contentOf(path), expected);
    QCOMPARE(inodeOf(path), inode);
    QCOMPARE(filesIn(dir), exists ? 1 : 0);
}

// A name as long as the folder allows leaves no room for more in the temporary file's name;
// a folder that is not there is the path's fault.
void TestFileIO::savesUnderTheLongestName()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QString(NAME_MAX, QLatin1Char('n')));
    QCOMPARE(FileIO::WriteAtomic(path, "new"), FileError::None);
    QCOMPARE(contentOf(path), QByteArray("new"));
    QCOMPARE(filesIn(dir), 1);
    QCOMPARE(FileIO::WriteAtomic(dir.filePath(QStringLiteral("x/y")), "z"), FileError::BadPath);
}

// The causes whose messages the save and open tests do not reach.
void TestFileIO::messagesNameTheFullPath_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message");
    QTest::newRow("name too long") << ENAMETOOLONG << QStringLiteral("/d/f.txt には無効なﾊﾟｽが含まれています。");
    QTest::newRow("read-only file system") << EROFS << QStringLiteral("/d/f.txt へのｱｸｾｽは拒否されました。");
    QTest::newRow("quota") << EDQUOT << QStringLiteral("/d/f.txt へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
    QTest::newRow("other") << EPROTO << QStringLiteral("/d/f.txt へのｱｸｾｽ中に不明なｴﾗｰが発生しました。");
}

void TestFileIO::messagesNameTheFullPath()
{
    QFETCH(int, error);
    QFETCH(QString, message);
    QCOMPARE(FileErrorMessage(FileErrorFromErrno(error), QStringLiteral("/d/f.txt")), message);
}

QTEST_MAIN(TestFileIO)
#include "tst_fileio.moc"
