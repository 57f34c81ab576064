#pragma once
// The folder recovery journals live in, $XDG_STATE_HOME/Hoshikage!/NYO/recovery
// (~/.local/state by default), open to the user only and never beside the user's files. Each
// running program keeps its journals in a folder of its own there, under a lock it holds while
// it runs: journals whose lock no running program holds were left by one that died, and are
// the ones a start offers back. Those of a program still running are never touched.
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

class JournalDisk;
class QLockFile;

class RecoveryFolder : public QObject {
    Q_OBJECT
public:
    explicit RecoveryFolder(const QString &root = DefaultRoot(), QObject *parent = nullptr);
    // Writes what is still to be written; this program's journals stay (see RemoveOwn()).
    ~RecoveryFolder() override;

    static QString DefaultRoot();
    const QString &Root() const { return m_root; }

    // A name for a new journal of this program; its folder is made when a journal is written.
    QString NewJournalPath();
    // Makes this program's folder and takes its lock when that has not been done; false when
    // it cannot be made (the write that follows fails and is reported).
    bool MakeOwnFolder();
    JournalDisk *Disk() const { return m_disk.get(); }

    // The journals programs that are no longer running left behind, oldest folder first. Their
    // folders' locks are taken, so that no other start offers them too.
    QStringList TakeLeftJournals();
    // Removes journals taken by TakeLeftJournals(), and each folder that is then empty.
    void RemoveLeft(const QStringList &paths);
    // Lets go of the folders TakeLeftJournals() took, leaving their journals for a later start.
    void ReleaseLeft();
    // At a clean exit: this program's journals go, with its folder.
    void RemoveOwn();

    static constexpr const char *kJournalSuffix = ".nyoj";

private:
    QString m_root;
    QString m_own;  // this program's folder
    bool m_made = false;
    int m_count = 0;
    std::unique_ptr<QLockFile> m_lock;
    // The folders of programs that died, with their locks, taken by TakeLeftJournals().
    std::vector<std::pair<QString, std::unique_ptr<QLockFile>>> m_taken;
    std::unique_ptr<JournalDisk> m_disk;
};
