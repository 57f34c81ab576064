#include "platform/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace FileIO {
namespace {

int g_injectedError = 0;
qint64 g_injectedAfter = 0;

struct Fd {
    int fd = -1;
    ~Fd() { if (fd >= 0) ::close(fd); }
    int release() { int f = fd; fd = -1; return f; }
};

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// Writes all bytes, honouring an injected failure.
int writeAll(int fd, const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    qint64 written = 0;
    while (left > 0) {
        qint64 chunk = std::min<qint64>(left, 1 << 20);
        if (g_injectedError) {
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
    if (g_injectedError && written >= g_injectedAfter)
        return g_injectedError;
    return 0;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

FileError ReadAll(const QString &path, QByteArray &out, qint64 maxBytes, bool *tooLarge)
{
    out.clear();
    if (tooLarge)
        *tooLarge = false;
    if (path.isEmpty() || path.contains(QChar(0)))
        return FileError::BadPath;
    Fd f;
    f.fd = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (f.fd < 0) {
        // A missing folder on the way is the path's fault, a missing file in it is not.
        const int e = errno;
        if (e == ENOENT && !QFileInfo(QFileInfo(path).absolutePath()).isDir())
            return FileError::BadPath;
        return FileErrorFromErrno(e);
    }
    struct stat st {};
    if (::fstat(f.fd, &st) != 0)
        return FileErrorFromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return FileError::AccessDenied;
    if (st.st_size > maxBytes) {
        if (tooLarge)
            *tooLarge = true;
        return FileError::None;
    }
    // Regular files are read at their size; pipes and the like until they end.
    QByteArray data;
    data.reserve(S_ISREG(st.st_mode) ? qsizetype(st.st_size) : 65536);
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
        if (data.size() + n > maxBytes) {
            if (tooLarge)
                *tooLarge = true;
            return FileError::None;
        }
        data.append(buffer, n);
    }
    out = std::move(data);
    return FileError::None;
}

FileError WriteAtomic(const QString &path, const QByteArray &bytes)
{
    if (path.isEmpty() || path.contains(QChar(0)))
        return FileError::BadPath;
    QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.symLinkTarget();
        if (!target.isEmpty())
            info = QFileInfo(target);
    }
    if (info.isDir())
        return FileError::AccessDenied;
    const QString target = info.absoluteFilePath();

    struct stat old {};
    const bool exists = ::stat(native(target).constData(), &old) == 0;
    if (exists && ::access(native(target).constData(), W_OK) != 0)
        return FileErrorFromErrno(errno);

    QByteArray pattern = native(info.absolutePath() + QLatin1String("/.") + info.fileName() +
                                QLatin1String(".nyo-XXXXXX"));
    Fd tmp;
    tmp.fd = ::mkstemp(pattern.data());
    if (tmp.fd < 0) {
        // A missing folder is reported as the path's fault, not as a missing file.
        const int e = errno;
        return e == ENOENT ? FileError::BadPath : FileErrorFromErrno(e);
    }
    auto fail = [&pattern](int error) {
        ::unlink(pattern.constData());
        return FileErrorFromErrno(error);
    };
    ::fchmod(tmp.fd, exists ? (old.st_mode & 07777) : newFileMode());
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()))
        (void)!::fchown(tmp.fd, old.st_uid, old.st_gid);

    if (const int e = writeAll(tmp.fd, bytes))
        return fail(e);
    if (::fsync(tmp.fd) != 0 && errno != EINVAL)
        return fail(errno);
    if (::close(tmp.release()) != 0)
        return fail(errno);
    if (::rename(pattern.constData(), native(target).constData()) != 0)
        return fail(errno);
    return FileError::None;
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

} // namespace FileIO
