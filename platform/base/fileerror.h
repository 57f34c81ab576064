#pragma once
// Causes of a failed file operation and the message the user is shown for each.
#include <QString>

enum class FileError {
    None,
    Generic,
    FileNotFound,
    BadPath,
    TooManyOpenFiles,
    AccessDenied,
    InvalidFile,
    DirectoryFull,
    BadSeek,
    HardIO,
    SharingViolation,
    LockViolation,
    DiskFull,
    EndOfFile,
    // A FIFO, socket or device: neither read nor replaced.
    NotRegularFile,
};

// The cause behind an errno value of the C library.
FileError FileErrorFromErrno(int error);

// The message for a cause, with the file's full path in it.
QString FileErrorMessage(FileError cause, const QString &path);

// A launcher was opened whose target is not there: both are named, the launcher first, as it
// is what the user chose.
QString LinkTargetMissingMessage(const QString &launcher, const QString &target);

// The message for a save that failed without a specific cause (opening always has one).
QString FailedToSaveMessage();
