#include "store_helper.h"

#include "platform/base/profile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace StoreHelper {

void useFreshStore()
{
    static QTemporaryDir root;
    static int serial = 0;
    QVERIFY(root.isValid());
    const QString dir = root.filePath(QStringLiteral("config%1").arg(++serial));
    QVERIFY(QDir().mkpath(dir));
    qputenv("HOME", QFile::encodeName(root.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir));
}

QByteArray storeText()
{
    QFile file(Profile::storePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeStoreText(const QByteArray &bytes)
{
    static int tick = 0;
    const QString path = Profile::storePath();
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
    QVERIFY(file.flush());   // a later flush would set the time stamp again
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(++tick),
                             QFileDevice::FileModificationTime));
}

} // namespace StoreHelper
