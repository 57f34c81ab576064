#include "platform/base/fileidentity.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

FileIdentity FileIdentity::Of(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return FileIdentity();
    return OfNative(QFile::encodeName(path));
}

// stat() follows links: the identity is that of the file at the end of the chain, the one a
// save replaces, so that a save through a link is not taken for another program's change.
FileIdentity FileIdentity::OfNative(const QByteArray &path)
{
    FileIdentity identity;
    if (path.isEmpty() || path.contains('\0'))
        return identity;
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        // A name that leads nowhere is gone; any other failure says nothing about the file.
        if (errno == ENOENT || errno == ENOTDIR)
            identity.m_state = State::Missing;
        return identity;
    }
    identity.m_state = State::Present;
    identity.m_size = qint64(st.st_size);
    identity.m_modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
    identity.m_inode = quint64(st.st_ino);
    identity.m_device = quint64(st.st_dev);
    return identity;
}

FileIdentity FileIdentity::Make(State state, qint64 size, qint64 modifiedNs, quint64 inode, quint64 device)
{
    FileIdentity identity;
    identity.m_state = state;
    if (state == State::Present) {
        identity.m_size = size;
        identity.m_modifiedNs = modifiedNs;
        identity.m_inode = inode;
        identity.m_device = device;
    }
    return identity;
}

bool FileIdentity::operator==(const FileIdentity &other) const
{
    if (m_state != other.m_state)
        return false;
    if (m_state != State::Present)
        return true;
    return m_size == other.m_size && m_modifiedNs == other.m_modifiedNs && m_inode == other.m_inode &&
           m_device == other.m_device;
}
