#include "platform/recovery/journaldisk.h"

#include <QDateTime>
#include <QFile>
#include <QPointer>
#include <QSaveFile>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

struct Job {
    enum Kind { Rewrite, Append, Remove };
    Kind kind = Append;
    QString path;
    QByteArray bytes;
    JournalFormat::Origin origin;
    qint64 timeMs = 0;
    JournalFormat::Piece piece;
};

// A journal the thread has open for appending.
struct OpenJournal {
    std::unique_ptr<QFile> file;
    qint64 syncedMs = 0;      // when it was last synced
    bool unsynced = false;
};

qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }

bool Sync(QFile &file)
{
#ifdef Q_OS_UNIX
    return ::fdatasync(file.handle()) == 0;
#else
    return file.flush();
#endif
}

} // namespace

struct JournalDisk::Worker {
    explicit Worker(JournalDisk *owner) : disk(owner), thread([this] { Run(); }) {}
    ~Worker()
    {
        {
            std::lock_guard lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        thread.join();
    }

    void Give(Job job)
    {
        {
            std::lock_guard lock(mutex);
            jobs.push_back(std::move(job));
            ++given;
        }
        wake.notify_all();
    }

    void Run();
    void Do(Job &job);
    void DoRewrite(Job &job);
    void DoAppend(const Job &job);
    // Syncs the journals whose second has passed; the earliest time another is due, or 0.
    qint64 SyncDue(qint64 now);
    void Fail(const QString &path, const QString &message);

    JournalDisk *disk;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Job> jobs;
    quint64 given = 0;
    quint64 done = 0;
    bool pendingSync = false;
    bool stopping = false;
    // Only the writing thread touches these.
    std::map<QString, OpenJournal> open;
    std::thread thread;
};

void JournalDisk::Worker::Run()
{
    std::unique_lock lock(mutex);
    for (;;) {
        if (!jobs.empty()) {
            Job job = std::move(jobs.front());
            jobs.pop_front();
            lock.unlock();
            Do(job);
            lock.lock();
            ++done;
            // Not idle until the records are synced too.
            pendingSync = pendingSync || job.kind == Job::Append;
            continue;
        }
        lock.unlock();
        const qint64 due = SyncDue(nowMs());
        lock.lock();
        pendingSync = due != 0;
        if (!pendingSync)
            idle.notify_all();
        if (stopping && jobs.empty())
            break;
        if (!jobs.empty())
            continue;
        if (pendingSync)
            wake.wait_for(lock, std::chrono::milliseconds(std::max<qint64>(1, due - nowMs())));
        else
            wake.wait(lock);
    }
    lock.unlock();
    for (auto &[path, journal] : open)
        if (journal.unsynced)
            Sync(*journal.file);
    open.clear();
}

void JournalDisk::Worker::Do(Job &job)
{
    switch (job.kind) {
    case Job::Rewrite: DoRewrite(job); break;
    case Job::Append: DoAppend(job); break;
    case Job::Remove:
        open.erase(job.path);
        QFile::remove(job.path);
        break;
    }
}

// Whole, synced, then renamed over the journal: a power cut leaves the old journal or the new
// one, never a mix.
void JournalDisk::Worker::DoRewrite(Job &job)
{
    open.erase(job.path);
    const QByteArray head = JournalFormat::fileHeader() + JournalFormat::originRecord(job.origin);
    QSaveFile out(job.path);
    const bool written = out.open(QIODevice::WriteOnly) && out.write(head) == head.size() &&
                         JournalFormat::writeSnapshotRecord(out, job.timeMs, job.piece);
    job.piece = {};
    if (!written || !out.commit()) {
        Fail(job.path, out.errorString());
        return;
    }
    QFile::setPermissions(job.path, QFile::ReadOwner | QFile::WriteOwner);
    auto file = std::make_unique<QFile>(job.path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        Fail(job.path, file->errorString());
        return;
    }
    open[job.path] = OpenJournal{std::move(file), nowMs(), false};
    QMetaObject::invokeMethod(disk, [disk = QPointer<JournalDisk>(disk)] {
        if (disk)
            disk->m_reported = false;
    }, Qt::QueuedConnection);
}

void JournalDisk::Worker::DoAppend(const Job &job)
{
    const auto it = open.find(job.path);
    if (it == open.end())
        return;  // broken or never written whole: waits for its next whole write
    if (it->second.file->write(job.bytes) != job.bytes.size()) {
        const QString error = it->second.file->errorString();
        open.erase(it);
        Fail(job.path, error);
        return;
    }
    it->second.unsynced = true;
}

qint64 JournalDisk::Worker::SyncDue(qint64 now)
{
    qint64 next = 0;
    for (auto it = open.begin(); it != open.end();) {
        OpenJournal &journal = it->second;
        const qint64 due = journal.syncedMs + kSyncIntervalMs;
        if (journal.unsynced && now >= due) {
            journal.unsynced = false;
            journal.syncedMs = now;
            if (!Sync(*journal.file)) {
                const QString path = it->first;
                const QString error = journal.file->errorString();
                it = open.erase(it);
                Fail(path, error);
                continue;
            }
        } else if (journal.unsynced) {
            next = next == 0 ? due : std::min(next, due);
        }
        ++it;
    }
    return next;
}

void JournalDisk::Worker::Fail(const QString &path, const QString &message)
{
    QMetaObject::invokeMethod(disk, [disk = QPointer<JournalDisk>(disk), path, message] {
        if (disk)
            disk->Failed(path, message);
    }, Qt::QueuedConnection);
}

JournalDisk::JournalDisk(QObject *parent) : QObject(parent), m_worker(std::make_unique<Worker>(this)) {}

JournalDisk::~JournalDisk() = default;

void JournalDisk::Rewrite(const QString &path, const JournalFormat::Origin &origin, qint64 timeMs,
                          JournalFormat::Piece piece)
{
    Job job;
    job.kind = Job::Rewrite;
    job.path = path;
    job.origin = origin;
    job.timeMs = timeMs;
    job.piece = std::move(piece);
    m_worker->Give(std::move(job));
}

void JournalDisk::Append(const QString &path, QByteArray records)
{
    Job job;
    job.path = path;
    job.bytes = std::move(records);
    m_worker->Give(std::move(job));
}

void JournalDisk::Remove(const QString &path)
{
    Job job;
    job.kind = Job::Remove;
    job.path = path;
    m_worker->Give(std::move(job));
}

bool JournalDisk::WaitIdle(int timeoutMs)
{
    std::unique_lock lock(m_worker->mutex);
    const quint64 target = m_worker->given;
    return m_worker->idle.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this, target] {
        return m_worker->done >= target && m_worker->jobs.empty() && !m_worker->pendingSync;
    });
}

void JournalDisk::Failed(const QString &path, const QString &message)
{
    if (!m_reported) {
        m_reported = true;
        emit writeFailed(QStringLiteral("回復用のデータを書き込めません (%1)。異常終了すると、保存していない変更は失われます。")
                             .arg(message));
    }
    emit journalBroken(path);
}
