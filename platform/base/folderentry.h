#pragma once
// The files of one folder, each addressed by its name as the file system holds it: bytes,
// which need not be valid UTF-8 (a folder copied from another system keeps its Shift-JIS
// names), so no name here goes through a QString.
//
// Nothing is written or made through a symbolic link standing at a name, and nothing but a
// regular file is ever opened: a FIFO or a device in the folder can neither block the caller
// nor be written.
#include "platform/base/fileerror.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace FolderEntry {

// What stands at a name. Other is a FIFO, a device or a socket.
enum class Kind { None, File, Link, Folder, Other };

// Every name in folder but "." and "..", in the folder's order; empty when the folder cannot
// be read.
QList<QByteArray> List(const QString &folder);

// What the name is itself: a link is Link whatever it points to, or whether it points
// anywhere. None also when the name cannot be looked at (too long).
Kind KindOf(const QString &folder, const QByteArray &name);

// True for a regular file that this user may not write, or whose owner may not (so that a
// file made read-only stays so even for a user whom the file system lets write anything).
bool IsReadOnly(const QString &folder, const QByteArray &name);

// Reads the regular file at name as FileIO::ReadAllNative does; a link there is followed to
// it. A folder is refused with AccessDenied, a FIFO, a device or a socket with NotRegularFile,
// without waiting on it.
FileError Read(const QString &folder, const QByteArray &name, QByteArray &out, qint64 maxBytes, bool *tooLarge);

// Makes bytes the whole content of a regular file at name, made when missing. A link, a
// folder or anything else at name is never replaced (FileError::AccessDenied); read-only
// files are the caller's to refuse. The bytes go under a temporary name of their own in the
// folder (written by FileIO::WriteAtomic), which is then renamed to name: the old file stays
// whole until the new one is on disk, and whatever appeared at name meanwhile is replaced,
// never written through. The new file keeps the old one's permissions and owner.
FileError Write(const QString &folder, const QByteArray &name, const QByteArray &bytes);

// Removes what stands at name: a file, a link (never what it points to), a FIFO, a device or
// a socket. A folder is refused (FileError::AccessDenied), a missing name is FileNotFound.
FileError Remove(const QString &folder, const QByteArray &name);

// True for the names that writes in a folder give their temporary files (Write()'s and
// FileIO::WriteAtomic's: "." then anything, then ".nyo-" and six letters or digits). A crash
// in the middle of a write can leave such a file behind.
bool IsTemporaryName(const QByteArray &name);

// True when folder (a link followed) is a folder that belongs to this user and that group
// and others may not write: files in it are only this user's doing.
bool OnlyOwnerWrites(const QString &folder);

} // namespace FolderEntry
