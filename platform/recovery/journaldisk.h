#pragma once
// The one thread that writes recovery journals, so that no edit waits on the disk. Jobs run in
// the order they were given: a journal is written whole (to a temporary file renamed over it,
// synced first), appended to, or removed. Appended records are synced at most once a second a
// journal, and within a second of being written. A write that fails is reported once, on the
// thread the disk was made on, until a journal is written whole again; the journal it failed
// on is then left alone until it is written whole.
#include "platform/recovery/journalformat.h"

#include <QObject>
#include <QString>
#include <memory>

class JournalDisk : public QObject {
    Q_OBJECT
public:
    explicit JournalDisk(QObject *parent = nullptr);
    // Finishes every job given (removals included) before it returns.
    ~JournalDisk() override;

    // Writes the journal at path anew: origin and a snapshot of piece, made into bytes on the
    // writing thread.
    void Rewrite(const QString &path, const JournalFormat::Origin &origin, qint64 timeMs, JournalFormat::Piece piece);
    // Appends records to the journal at path.
    void Append(const QString &path, QByteArray records);
    void Remove(const QString &path);

    // Waits until every job given so far has been done and synced; false when timeoutMs
    // passed first.
    bool WaitIdle(int timeoutMs);

    // The most often a journal is synced.
    static constexpr int kSyncIntervalMs = 1000;

signals:
    // The first failure since the last whole write: what to tell the user.
    void writeFailed(const QString &message);
    // A write to the journal at path failed: it needs to be written whole again.
    void journalBroken(const QString &path);

private:
    struct Worker;
    void Failed(const QString &path, const QString &message);
    std::unique_ptr<Worker> m_worker;
    bool m_reported = false;
};
