#pragma once
// What a file on disk is at one moment, as far as telling whether another program has changed
// it since: its size, its modification time to the nanosecond, and which file it is (inode and
// device, so that a file replaced by a rename counts as changed even with the same size and
// time). Read for the file a chain of symbolic links ends at, as saving writes that file.
#include <QByteArray>
#include <QString>
#include <QtGlobal>

class FileIdentity {
public:
    enum class State {
        Unknown,  // never read, or the file could not be looked at (a folder on the way refuses)
        Missing,  // no file of that name (deleted, or moved away)
        Present,
    };

    FileIdentity() = default;
    // The file path names now.
    static FileIdentity Of(const QString &path);
    // The same for a path given as the file system's bytes.
    static FileIdentity OfNative(const QByteArray &path);

    // One put together from what another one gave (as a recovery journal keeps it).
    static FileIdentity Make(State state, qint64 size, qint64 modifiedNs, quint64 inode, quint64 device);

    State state() const { return m_state; }
    bool IsPresent() const { return m_state == State::Present; }
    bool IsMissing() const { return m_state == State::Missing; }
    qint64 size() const { return m_size; }
    qint64 modifiedNs() const { return m_modifiedNs; }
    quint64 inode() const { return m_inode; }
    quint64 device() const { return m_device; }

    // Two present files are the same when nothing of the above differs; two missing files are
    // the same, an unknown one equals only another unknown one.
    bool operator==(const FileIdentity &other) const;
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }

private:
    State m_state = State::Unknown;
    qint64 m_size = 0;
    qint64 m_modifiedNs = 0;
    quint64 m_inode = 0;
    quint64 m_device = 0;
};
