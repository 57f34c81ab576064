#include "platform/base/fileerror.h"

#include <cerrno>

FileError FileErrorFromErrno(int error)
{
    switch (error) {
    case 0: return FileError::None;
    case ENOENT: return FileError::FileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return FileError::BadPath;
    case EMFILE:
    case ENFILE:
        return FileError::TooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return FileError::AccessDenied;
    case EBADF: return FileError::InvalidFile;
    case EMLINK: return FileError::DirectoryFull;
    case ESPIPE: return FileError::BadSeek;
    case EIO: return FileError::HardIO;
    case EBUSY:
    case ETXTBSY:
        return FileError::SharingViolation;
    case EDEADLK:
    case ENOLCK:
        return FileError::LockViolation;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG:
        return FileError::DiskFull;
    default: return FileError::Generic;
    }
}

QString FileErrorMessage(FileError cause, const QString &path)
{
    QString text;
    switch (cause) {
    case FileError::None:
    case FileError::Generic: text = QStringLiteral("%1 へのｱｸｾｽ中に不明なｴﾗｰが発生しました。"); break;
    case FileError::FileNotFound: text = QStringLiteral("%1 が見つかりませんでした。"); break;
    case FileError::BadPath: text = QStringLiteral("%1 には無効なﾊﾟｽが含まれています。"); break;
    case FileError::TooManyOpenFiles: text = QStringLiteral("開いているﾌｧｲﾙが多すぎるため、%1 を開けませんでした。"); break;
    case FileError::AccessDenied: text = QStringLiteral("%1 へのｱｸｾｽは拒否されました。"); break;
    case FileError::InvalidFile: text = QStringLiteral("%1 へ無効なﾌｧｲﾙ ﾊﾝﾄﾞﾙが関連付けられていました。"); break;
    case FileError::DirectoryFull: text = QStringLiteral("%1 を作成できませんでした。そのﾃﾞｨﾚｸﾄﾘはいっぱいです。"); break;
    case FileError::BadSeek: text = QStringLiteral("%1 のｼｰｸに失敗しました。"); break;
    case FileError::HardIO: text = QStringLiteral("%1 へのｱｸｾｽ中にﾊｰﾄﾞｳｪｱ I/O ｴﾗｰが報告されました。"); break;
    case FileError::SharingViolation: text = QStringLiteral("%1 へのｱｸｾｽ中に共有違反が発生しました。"); break;
    case FileError::LockViolation: text = QStringLiteral("%1 へのｱｸｾｽ中にﾛｯｸ違反が発生しました。"); break;
    case FileError::DiskFull: text = QStringLiteral("%1 へのｱｸｾｽ中にﾃﾞｨｽｸがいっぱいになりました。"); break;
    case FileError::EndOfFile: text = QStringLiteral("%1 の末尾以降にｱｸｾｽしようとしました。"); break;
    case FileError::NotRegularFile: text = QStringLiteral("%1 は通常のﾌｧｲﾙではない (FIFO、ﾃﾞﾊﾞｲｽなど) ため、ｱｸｾｽできません。"); break;
    }
    return text.arg(path);
}

QString LinkTargetMissingMessage(const QString &launcher, const QString &target)
{
    return QStringLiteral("%1 が指すﾌｧｲﾙ %2 が見つかりませんでした。").arg(launcher, target);
}

QString FailedToSaveMessage()
{
    return QStringLiteral("ﾄﾞｷｭﾒﾝﾄの保存に失敗しました。");
}
