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
};

// The cause behind an errno value of the C library.
FileError FileErrorFromErrno(int error);

// The message for a cause, with the file's full path in it.
QString FileErrorMessage(FileError cause, const QString &path);

// Messages for failures without a specific cause.
QString FailedToOpenMessage();
QString FailedToSaveMessage();
