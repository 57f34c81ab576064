#include "platform/base/systemmemory.h"

#include <QByteArray>
#include <QFile>

#include <unistd.h>

namespace SystemMemory {

std::optional<qint64> FromMeminfo(const QByteArray &meminfo, const char *name)
{
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray &line : meminfo.split('\n')) {
        if (!line.startsWith(key))
            continue;
        const QList<QByteArray> fields = line.mid(key.size()).simplified().split(' ');
        bool ok = false;
        const qint64 value = fields.value(0).toLongLong(&ok);
        if (!ok || value < 0)
            return std::nullopt;
        const bool kilobytes = fields.value(1) == "kB";
        return kilobytes ? value * 1024 : value;
    }
    return std::nullopt;
}

std::optional<qint64> Available()
{
    // MemAvailable counts the page cache the kernel would drop; free pages alone (the fallback,
    // for kernels before 3.14 and other systems) undercount it, so they refuse too early, never
    // too late.
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        if (const std::optional<qint64> bytes = FromMeminfo(meminfo.readAll(), "MemAvailable"))
            return bytes;
    }
#if defined(_SC_AVPHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = ::sysconf(_SC_AVPHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return qint64(pages) * pageSize;
#endif
    return std::nullopt;
}

}  // namespace SystemMemory
