#include "platform/recovery/recoveryfolder.h"

#include "platform/recovery/journaldisk.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>

namespace {

constexpr QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

bool MakePrivateFolder(const QString &path)
{
    return QDir().mkpath(path) && QFile::setPermissions(path, kOwnerOnly);
}

QString LockName(const QString &folder) { return folder + QStringLiteral("/lock"); }

} // namespace

RecoveryFolder::RecoveryFolder(const QString &root, QObject *parent)
    : QObject(parent), m_root(root), m_disk(std::make_unique<JournalDisk>())
{
    m_own = m_root + QStringLiteral("/%1-%2").arg(QCoreApplication::applicationPid())
                                           .arg(QDateTime::currentMSecsSinceEpoch());
}

RecoveryFolder::~RecoveryFolder()
{
    m_disk.reset();
}

QString RecoveryFolder::DefaultRoot()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/Hoshikage!/NYO/recovery");
}

QString RecoveryFolder::NewJournalPath()
{
    return m_own + QStringLiteral("/%1").arg(++m_count) + QLatin1String(kJournalSuffix);
}

bool RecoveryFolder::MakeOwnFolder()
{
    if (m_made)
        return true;
    if (!MakePrivateFolder(m_root) || !MakePrivateFolder(m_own))
        return false;
    m_lock = std::make_unique<QLockFile>(LockName(m_own));
    m_lock->setStaleLockTime(0);
    m_made = m_lock->tryLock(0);
    return m_made;
}

QStringList RecoveryFolder::TakeLeftJournals()
{
    QStringList journals;
    const QDir root(m_root);
    const QStringList folders = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Time | QDir::Reversed);
    for (const QString &name : folders) {
        const QString folder = root.filePath(name);
        if (folder == m_own)
            continue;
        // Only a dead holder makes the lock stale, never its age.
        auto lock = std::make_unique<QLockFile>(LockName(folder));
        lock->setStaleLockTime(0);
        if (!lock->tryLock(0))
            continue;
        const QStringList files = QDir(folder).entryList({QStringLiteral("*") + QLatin1String(kJournalSuffix)},
                                                         QDir::Files, QDir::Name);
        for (const QString &file : files)
            journals.append(folder + QLatin1Char('/') + file);
        m_taken.emplace_back(folder, std::move(lock));
    }
    return journals;
}

void RecoveryFolder::RemoveLeft(const QStringList &paths)
{
    for (const QString &path : paths)
        QFile::remove(path);
    for (auto it = m_taken.begin(); it != m_taken.end();) {
        const QString &folder = it->first;
        const bool empty = QDir(folder).entryList({QStringLiteral("*") + QLatin1String(kJournalSuffix)}, QDir::Files).isEmpty();
        if (!empty) {
            ++it;
            continue;
        }
        it->second->unlock();
        QDir(folder).removeRecursively();
        it = m_taken.erase(it);
    }
}

void RecoveryFolder::RemoveOwn()
{
    m_disk->WaitIdle(10000);
    if (!m_made)
        return;
    m_lock->unlock();
    QDir(m_own).removeRecursively();
    m_made = false;
}

void RecoveryFolder::ReleaseLeft()
{
    m_taken.clear();
}
