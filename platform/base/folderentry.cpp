#include "platform/base/folderentry.h"

#include "platform/base/fileio.h"
#include "platform/base/filename.h"

#include <QFile>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FolderEntry {
namespace {

constexpr char kTempSuffix[] = ".nyo-";  // then mkstemp's six letters or digits
constexpr int kTempLetters = 6;

QByteArray nativeFolder(const QString &folder)
{
    QByteArray path = FileName::ToNative(folder);
    if (!path.endsWith('/'))
        path.append('/');
    return path;
}

QByteArray pathOf(const QString &folder, const QByteArray &name)
{
    return nativeFolder(folder) + name;
}

bool isFolder(const QString &folder)
{
    struct stat st {};
    return ::stat(nativeFolder(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

Kind kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return Kind::File;
    if (S_ISLNK(mode))
        return Kind::Link;
    return S_ISDIR(mode) ? Kind::Folder : Kind::Other;
}

// A name that is missing where the folder itself is missing is the path's fault.
FileError lookUpError(int error, const QString &folder)
{
    if (error == ENOENT && !isFolder(folder))
        return FileError::BadPath;
    return FileErrorFromErrno(error);
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

struct Fd {
    int fd = -1;
    ~Fd() { if (fd >= 0) ::close(fd); }
};

// A new empty file under a temporary name in the folder, for Write() to fill and rename.
FileError makeStagingFile(const QString &folder, QByteArray *staging)
{
    *staging = nativeFolder(folder) + QByteArray(kTempSuffix) + QByteArray(kTempLetters, 'X');
    Fd made;
    made.fd = ::mkstemp(staging->data());
    return made.fd < 0 ? lookUpError(errno, folder) : FileError::None;
}

} // namespace

QList<QByteArray> List(const QString &folder)
{
    QList<QByteArray> names;
    DIR *dir = ::opendir(nativeFolder(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

Kind KindOf(const QString &folder, const QByteArray &name)
{
    struct stat st {};
    if (::lstat(pathOf(folder, name).constData(), &st) != 0)
        return Kind::None;
    return kindOf(st.st_mode);
}

bool IsReadOnly(const QString &folder, const QByteArray &name)
{
    const QByteArray path = pathOf(folder, name);
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return !(st.st_mode & S_IWUSR) || ::access(path.constData(), W_OK) != 0;
}

FileError Read(const QString &folder, const QByteArray &name, QByteArray &out, qint64 maxBytes, bool *tooLarge)
{
    return FileIO::ReadAllNative(pathOf(folder, name), out, maxBytes, tooLarge);
}

FileError Write(const QString &folder, const QByteArray &name, const QByteArray &bytes)
{
    const QByteArray path = pathOf(folder, name);
    struct stat old {};
    const bool exists = ::lstat(path.constData(), &old) == 0;
    if (!exists && errno != ENOENT)
        return lookUpError(errno, folder);
    if (exists && !S_ISREG(old.st_mode))
        return FileError::AccessDenied;

    QByteArray staging;
    if (const FileError error = makeStagingFile(folder, &staging); error != FileError::None)
        return error;
    const auto fail = [&staging](FileError error) {
        ::unlink(staging.constData());
        return error;
    };
    // The staging file's name is plain ASCII, so FileIO can address it by a QString.
    if (const FileError error = FileIO::WriteAtomic(FileName::FromNative(staging), bytes); error != FileError::None)
        return fail(error);
    // As FileIO does, permissions a file system cannot keep are no reason to fail.
    (void)::chmod(staging.constData(), exists ? (old.st_mode & 07777) : newFileMode());
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)!::chown(staging.constData(), old.st_uid, old.st_gid);
    if (::rename(staging.constData(), path.constData()) != 0)
        return fail(FileErrorFromErrno(errno));
    return FileError::None;
}

FileError Remove(const QString &folder, const QByteArray &name)
{
    switch (KindOf(folder, name)) {
    case Kind::None:
        return FileError::FileNotFound;
    case Kind::Folder:
        return FileError::AccessDenied;
    default:
        return ::unlink(pathOf(folder, name).constData()) == 0 ? FileError::None : FileErrorFromErrno(errno);
    }
}

bool IsTemporaryName(const QByteArray &name)
{
    const qsizetype suffixSize = qsizetype(sizeof kTempSuffix) - 1;
    const qsizetype tail = suffixSize + kTempLetters;
    if (!name.startsWith('.') || name.size() < tail)
        return false;
    if (name.mid(name.size() - tail, suffixSize) != kTempSuffix)
        return false;
    for (const char c : name.right(kTempLetters)) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit)
            return false;
    }
    return true;
}

bool OnlyOwnerWrites(const QString &folder)
{
    struct stat st {};
    if (::stat(FileName::ToNative(folder).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return st.st_uid == ::geteuid() && !(st.st_mode & (S_IWGRP | S_IWOTH));
}

} // namespace FolderEntry
