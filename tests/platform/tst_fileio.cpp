// Reading and crash-safe writing of whole files, and the message for each cause of failure.
#include "platform/fileerror.h"
#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

class TestFileIO : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { FileIO::InjectWriteFailure(0); }
    void readReportsTheCause();
    void readRefusesWhatIsTooLarge();
    void writeReplacesThroughALink();
    void failedWriteLeavesTheOldFile();
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
}

void TestFileIO::readRefusesWhatIsTooLarge()
{
    QByteArray out("old");
    bool tooLarge = false;
    QCOMPARE(FileIO::ReadAll(write(QStringLiteral("big"), QByteArray(101, 'x')), out, 100, &tooLarge),
             FileError::None);
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

void TestFileIO::failedWriteLeavesTheOldFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old");
    file.close();
    FileIO::InjectWriteFailure(ENOSPC, 2);
    QCOMPARE(FileIO::WriteAtomic(path, "longer new text"), FileError::DiskFull);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    QCOMPARE(FileIO::WriteAtomic(dir.filePath(QStringLiteral("x/y")), "z"), FileError::BadPath);
}

void TestFileIO::messagesNameTheFullPath_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<QString>("message");
    QTest::newRow("not found") << ENOENT << QStringLiteral("/d/f.txt が見つかりませんでした。");
    QTest::newRow("bad path") << ENAMETOOLONG << QStringLiteral("/d/f.txt には無効なﾊﾟｽが含まれています。");
    QTest::newRow("too many") << EMFILE << QStringLiteral("開いているﾌｧｲﾙが多すぎるため、/d/f.txt を開けませんでした。");
    QTest::newRow("denied") << EROFS << QStringLiteral("/d/f.txt へのｱｸｾｽは拒否されました。");
    QTest::newRow("invalid") << EBADF << QStringLiteral("/d/f.txt へ無効なﾌｧｲﾙ ﾊﾝﾄﾞﾙが関連付けられていました。");
    QTest::newRow("dir full") << EMLINK << QStringLiteral("/d/f.txt を作成できませんでした。そのﾃﾞｨﾚｸﾄﾘはいっぱいです。");
    QTest::newRow("seek") << ESPIPE << QStringLiteral("/d/f.txt のｼｰｸに失敗しました。");
    QTest::newRow("hardware") << EIO << QStringLiteral("/d/f.txt へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。");
    QTest::newRow("sharing") << ETXTBSY << QStringLiteral("/d/f.txt へのｱｸｾｽ中に共有違反が発生しました。");
    QTest::newRow("lock") << ENOLCK << QStringLiteral("/d/f.txt へのｱｸｾｽ中にﾛｯｸ違反が発生しました。");
    QTest::newRow("disk full") << EDQUOT << QStringLiteral("/d/f.txt へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。");
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
