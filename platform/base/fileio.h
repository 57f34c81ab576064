#pragma once
// Whole-file reading and crash-safe writing, with the cause of every failure.
#include "platform/base/fileerror.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

class FileBytes;

namespace FileIO {

// Reads the whole file. A file larger than maxBytes is not read: tooLarge is set and
// FileError::None returned with out empty. Only a regular file is read: a FIFO, socket or
// device is refused (NotRegularFile) without waiting on it, a folder is AccessDenied.
FileError ReadAll(const QString &path, QByteArray &out, qint64 maxBytes, bool *tooLarge = nullptr);
// The same for a path given as the file system's bytes, which need not be valid UTF-8 (a name
// copied from another system): no QString stands between the caller and the file.
FileError ReadAllNative(const QByteArray &path, QByteArray &out, qint64 maxBytes, bool *tooLarge = nullptr);
// The same into bytes a reader gives back as it goes; memory that cannot be had counts as a
// file too large.
FileError ReadAll(const QString &path, FileBytes &out, qint64 maxBytes, bool *tooLarge = nullptr);

// Replaces the file's content with bytes so that either the old or the new content is on
// disk whatever happens: the bytes go to a temporary file in the same folder, which is
// flushed and then renamed over the target, taking over the target's permissions. Symbolic
// links are followed to the end of their chain, so the links stay and the file they lead to
// is replaced; a chain that leads nowhere creates the file it names, a cycle is BadPath.
// Only a regular file is replaced (a FIFO, socket or device is NotRegularFile). On failure
// the old file is untouched and the temporary file removed.
// Where the folder refuses the temporary file (EACCES, EPERM, EROFS) but the target is a
// writable file, the target is written in place instead: its old bytes are read into memory,
// the new ones written and flushed, and on failure the old bytes are put back. A crash in the
// middle of that can leave the file cut short; nothing better is possible in such a folder.
// The error returned is the cause of the failure on the road taken.
FileError WriteAtomic(const QString &path, const QByteArray &bytes);

// The same with the bytes made as they are written: produce hands them to put a piece at a
// time (put returns false once writing has failed) and returns whether to keep them. When it
// returns false, the file stays as it was and kept is set (FileError::None). Where the file
// is written in place, every piece is taken first and written once produce has returned.
using BytesSink = std::function<bool(QByteArrayView)>;
using BytesSource = std::function<bool(const BytesSink &put)>;
FileError WriteAtomic(const QString &path, const BytesSource &produce, bool *kept);

// True when the file exists and this user may not write it.
bool IsReadOnly(const QString &path);
bool Exists(const QString &path);
// Removes a file; used to take back a file that a failed Save As created.
void Remove(const QString &path);

// For tests: the next WriteAtomic calls fail with this errno once `afterBytes` bytes are
// written (0 = at once), on either road. Pass 0 as error to stop.
void InjectWriteFailure(int error, qint64 afterBytes = 0);
// For tests: creating the temporary file fails with this errno, as in a folder that refuses
// it. Pass 0 to stop.
void InjectTempFileFailure(int error);

} // namespace FileIO
