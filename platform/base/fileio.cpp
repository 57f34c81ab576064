#include "platform/base/fileio.h"

#include "platform/base/filebytes.h"
#include "platform/base/filename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileIO {
namespace {

int g_injectedError = 0;
qint64 g_injectedAfter = 0;
int g_injectedTempError = 0;

struct Fd {
    int fd = -1;
    ~Fd() { if (fd >= 0) ::close(fd); }
    int release() { int f = fd; fd = -1; return f; }
};

// The bytes the system knows the file by, escapes of a name that is not UTF-8 included.
QByteArray native(const QString &path)
{
    return FileName::ToNative(path);
}

// Writes all bytes; an injected failure strikes only where injectable (never when old
// content is being put back). before: bytes written to the file before these, by earlier calls.
int writeAll(int fd, QByteArrayView bytes, bool injectable, qint64 before = 0)
{
    const bool inject = injectable && g_injectedError;
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    qint64 written = before;
    while (left > 0) {
        qint64 chunk = std::min<qint64>(left, 1 << 20);
        if (inject) {
            if (written >= g_injectedAfter)
                return g_injectedError;
            chunk = std::min(chunk, g_injectedAfter - written);
        }
        const ssize_t n = ::write(fd, p, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= n;
        written += n;
    }
    if (inject && written >= g_injectedAfter)
        return g_injectedError;
    return 0;
}

// Reads from fd's position to its end.
int readRest(int fd, QByteArray *out)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        out->append(buffer, n);
    }
}

// 0 also where the file cannot be synced at all (EINVAL: not a disk file).
int syncFile(int fd)
{
    return ::fsync(fd) == 0 || errno == EINVAL ? 0 : errno;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The target's name is kept in the temporary one, so that a file left by a crash shows whose
// it is, unless that would make the name too long for the folder.
QByteArray tempTemplate(const QByteArray &target)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = target.left(slash + 1);
    const QByteArray name = target.mid(slash + 1);
    const QByteArray suffix = ".nyo-XXXXXX";
    if (1 + name.size() + suffix.size() <= NAME_MAX)
        return folder + '.' + name + suffix;
    return folder + suffix;
}

// 0, or the errno of the failure to create the temporary file.
int createTemp(const QByteArray &target, QByteArray *name, int *fd)
{
    if (g_injectedTempError)
        return g_injectedTempError;
    *name = tempTemplate(target);
    *fd = ::mkstemp(name->data());
    return *fd < 0 ? errno : 0;
}

// The folder will not take a new file, though the target in it may still be writable.
bool folderRefuses(int error)
{
    return error == EACCES || error == EPERM || error == EROFS;
}

// A missing folder on the way is the path's fault, a missing file in it is not.
FileError openFailure(const QByteArray &path, int error)
{
    if (error != ENOENT)
        return FileErrorFromErrno(error);
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    struct stat st {};
    if (::stat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return FileError::BadPath;
    return FileError::FileNotFound;
}

// Only regular files are read or replaced: a FIFO, socket or device would block the caller
// or be swapped for a plain file. A folder keeps its own cause.
FileError regularFileOnly(const struct stat &st)
{
    if (S_ISDIR(st.st_mode))
        return FileError::AccessDenied;
    return S_ISREG(st.st_mode) ? FileError::None : FileError::NotRegularFile;
}

// Writes the temporary file with the target's permissions and renames it over the target;
// a failure, or a source that keeps the file as it is, removes it again.
FileError replaceWithTemp(Fd &tmp, const QByteArray &tmpName, const QByteArray &target,
                          const struct stat *old, const BytesSource &produce, bool *kept)
{
    auto fail = [&tmpName](int error) {
        ::unlink(tmpName.constData());
        return FileErrorFromErrno(error);
    };
    ::fchmod(tmp.fd, old ? (old->st_mode & 07777) : newFileMode());
    if (old && (old->st_uid != ::geteuid() || old->st_gid != ::getegid()))
        (void)!::fchown(tmp.fd, old->st_uid, old->st_gid);
    int error = 0;
    qint64 written = 0;
    const bool write = produce([&](QByteArrayView piece) {
        if (error == 0)
            error = writeAll(tmp.fd, piece, true, written);
        written += piece.size();
        return error == 0;
    });
    if (error != 0)
        return fail(error);
    if (!write) {
        *kept = true;
        return fail(0);
    }
    if (const int e = syncFile(tmp.fd))
        return fail(e);
    if (::close(tmp.release()) != 0)
        return fail(errno);
    if (::rename(tmpName.constData(), target.constData()) != 0)
        return fail(errno);
    return FileError::None;
}

// Makes bytes the whole content of fd, on disk.
int overwrite(int fd, const QByteArray &bytes, bool injectable)
{
    if (::lseek(fd, 0, SEEK_SET) < 0 || ::ftruncate(fd, 0) != 0)
        return errno;
    if (const int e = writeAll(fd, bytes, injectable))
        return e;
    return syncFile(fd);
}

// Writes over the target itself. A crash midway can leave it cut short, so this is only for
// where no temporary file can be made; the old bytes are kept in memory and put back when
// anything fails, and the failure's own cause is returned.
FileError writeInPlace(const QByteArray &target, const QByteArray &bytes)
{
    Fd f;
    f.fd = ::open(target.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (f.fd < 0)
        return FileErrorFromErrno(errno);
    // The name may have changed hands since it was asked about.
    struct stat st {};
    if (::fstat(f.fd, &st) != 0)
        return FileErrorFromErrno(errno);
    if (const FileError kind = regularFileOnly(st); kind != FileError::None)
        return kind;
    QByteArray old;
    if (const int e = readRest(f.fd, &old))
        return FileErrorFromErrno(e);
    int error = overwrite(f.fd, bytes, true);
    if (error == 0 && ::close(f.release()) != 0) {
        error = errno;
        f.fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
    }
    if (error != 0 && f.fd >= 0)
        (void)overwrite(f.fd, old, false);
    return FileErrorFromErrno(error);
}

// Symbolic links followed one at a time, at most this many, as the system does.
constexpr int kMaxLinkHops = 40;

// The name a path finally stands for: each symbolic link followed, a relative target taken
// against its link's folder, up to the first name that is no link, existing or not (a link
// that leads nowhere names the file to create). 0, or the errno that stopped it (ELOOP for a
// cycle or a chain too long).
int followLinks(QByteArray path, QByteArray *result)
{
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0) {
            if (errno != ENOENT)
                return errno;
            *result = path;
            return 0;
        }
        if (!S_ISLNK(st.st_mode)) {
            *result = path;
            return 0;
        }
        QByteArray target(qsizetype(PATH_MAX), Qt::Uninitialized);
        const ssize_t n = ::readlink(path.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            return errno;
        if (n >= target.size())
            return ENAMETOOLONG;
        target.truncate(n);
        if (!target.startsWith('/'))
            target.prepend(path.left(path.lastIndexOf('/') + 1));
        path = target;
    }
    return ELOOP;
}

} // namespace


namespace {
bool appendTo(QByteArray &bytes, const char *data, qsizetype count)
{
    bytes.append(data, count);
    return true;
}

bool appendTo(FileBytes &bytes, const char *data, qsizetype count)
{
    return bytes.append(data, count);
}

// Both kinds of bytes are read alike. Memory that cannot be had counts as a file too large.
template <typename Bytes>
FileError readAllInto(const QByteArray &name, Bytes &out, qint64 maxBytes, bool *tooLarge)
{
    out.clear();
    if (tooLarge)
        *tooLarge = false;
    if (name.isEmpty() || name.contains('\0'))
        return FileError::BadPath;
    // Asked before opening, since opening a device can already do something; the descriptor
    // is checked again, as the name may have changed hands in between.
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return openFailure(name, errno);
    if (const FileError kind = regularFileOnly(st); kind != FileError::None)
        return kind;
    Fd f;
    // Without O_NONBLOCK, opening a FIFO waits for a writer for ever.
    f.fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (f.fd < 0)
        return openFailure(name, errno);
    if (::fstat(f.fd, &st) != 0)
        return FileErrorFromErrno(errno);
    if (const FileError kind = regularFileOnly(st); kind != FileError::None)
        return kind;
    if (st.st_size > maxBytes) {
        if (tooLarge)
            *tooLarge = true;
        return FileError::None;
    }
    ::fcntl(f.fd, F_SETFL, ::fcntl(f.fd, F_GETFL) & ~O_NONBLOCK);
    // Read to the end, not to the size: a file that grows meanwhile is read as it ends up.
    // Nothing is kept of a read that fails.
    auto guard = qScopeGuard([&out] { out.clear(); });
    out.reserve(qsizetype(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(f.fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return FileErrorFromErrno(errno);
        }
        if (n == 0)
            break;
        if (out.size() + n > maxBytes || !appendTo(out, buffer, n)) {
            if (tooLarge)
                *tooLarge = true;
            return FileError::None;
        }
    }
    guard.dismiss();
    return FileError::None;
}
} // namespace

FileError ReadAllNative(const QByteArray &name, QByteArray &out, qint64 maxBytes, bool *tooLarge)
{
    return readAllInto(name, out, maxBytes, tooLarge);
}

namespace {
// A NUL would end the name early: such a path names no file.
template <typename Bytes>
FileError readAllAt(const QString &path, Bytes &out, qint64 maxBytes, bool *tooLarge)
{
    return readAllInto(path.contains(QChar(0)) ? QByteArray() : native(path), out, maxBytes, tooLarge);
}
} // namespace

FileError ReadAll(const QString &path, QByteArray &out, qint64 maxBytes, bool *tooLarge)
{
    return readAllAt(path, out, maxBytes, tooLarge);
}

FileError ReadAll(const QString &path, FileBytes &out, qint64 maxBytes, bool *tooLarge)
{
    return readAllAt(path, out, maxBytes, tooLarge);
}

FileError WriteAtomic(const QString &path, const QByteArray &bytes)
{
    bool kept = false;
    return WriteAtomic(path, [&bytes](const BytesSink &put) { return put(bytes); }, &kept);
}

FileError WriteAtomic(const QString &path, const BytesSource &produce, bool *kept)
{
    *kept = false;
    if (path.isEmpty() || path.contains(QChar(0)))
        return FileError::BadPath;
    // The temporary file goes beside the file at the end of any chain of links: renamed over
    // a link, it would replace the link and leave the file it names as it was.
    QByteArray target;
    if (const int e = followLinks(native(QFileInfo(path).absoluteFilePath()), &target))
        return FileErrorFromErrno(e);

    struct stat old {};
    const bool exists = ::stat(target.constData(), &old) == 0;
    if (exists) {
        if (const FileError kind = regularFileOnly(old); kind != FileError::None)
            return kind;
        if (::access(target.constData(), W_OK) != 0)
            return FileErrorFromErrno(errno);
    }

    QByteArray tmpName;
    Fd tmp;
    if (const int e = createTemp(target, &tmpName, &tmp.fd)) {
        if (exists && folderRefuses(e)) {
            // In place, the old bytes go as the new ones come: they must all be there first.
            QByteArray bytes;
            *kept = !produce([&bytes](QByteArrayView piece) { bytes.append(piece); return true; });
            return *kept ? FileError::None : writeInPlace(target, bytes);
        }
        // A missing folder is reported as the path's fault, not as a missing file.
        return e == ENOENT ? FileError::BadPath : FileErrorFromErrno(e);
    }
    return replaceWithTemp(tmp, tmpName, target, exists ? &old : nullptr, produce, kept);
}

bool IsReadOnly(const QString &path)
{
    return Exists(path) && ::access(native(path).constData(), W_OK) != 0;
}

bool Exists(const QString &path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(native(path).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

void Remove(const QString &path)
{
    ::unlink(native(path).constData());
}

void InjectWriteFailure(int error, qint64 afterBytes)
{
    g_injectedError = error;
    g_injectedAfter = afterBytes;
}

void InjectTempFileFailure(int error)
{
    g_injectedTempError = error;
}

} // namespace FileIO
