// Reading and crash-safe writing of whole files, and the message for each cause of failure.
#include "platform/fileerror.h"
#include "platform/fileio.h"

#include <QDir>
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

    void writeReplacesThroughALink()
    {
        const QString link = m_dir.filePath("link");
        QVERIFY(QFile::link(written(m_dir.filePath("target"), "old"), link));
        QCOMPARE(FileIO::WriteAtomic(link, "new"), FileError::None);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(contentOf(m_dir.filePath("target")), QByteArray("new"));
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
};

QTEST_MAIN(TestFileIO)
#include "tst_fileio.moc"
