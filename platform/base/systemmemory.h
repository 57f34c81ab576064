#pragma once
// How much memory the system can still give this program.
#include <QtGlobal>

#include <optional>

namespace SystemMemory {

// Bytes that can be allocated without pushing other programs out to swap, as the system
// estimates it; nothing when the system does not say.
std::optional<qint64> Available();

// The number of bytes in a "Name:   1234 kB" line of /proc/meminfo's form; nothing when the
// text has no such line.
std::optional<qint64> FromMeminfo(const QByteArray &meminfo, const char *name);

}  // namespace SystemMemory
