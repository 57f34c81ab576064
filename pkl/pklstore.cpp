#include "pkl/pklstore.h"

#include "pkl/modulepath.h"
#include "platform/codepage.h"
#include "platform/fileio.h"
#include "platform/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// An entry goes into an editing control whole; beyond what the control can hold (16 M
// characters of at most two bytes each) it is not read at all, so a link to an endless device
// cannot take the program's memory.
constexpr qint64 kMaxEntryBytes = qint64(0xFFFFFF) * 2;

QString g_keyDirectory;  // set by tests only

// The user's data folder as the XDG base directories give it: an unset, empty or relative
// XDG_DATA_HOME is not usable.
QString dataHome()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base;
}

bool isWritableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

} // namespace

QString PklStore::KeyDirectory()
{
    if (!g_keyDirectory.isEmpty())
        return g_keyDirectory;
    const QString inData = dataHome() + u'/' + Profile::kCompany + u'/' + Profile::kProgram + QStringLiteral("/key/");
    return ChooseKeyDirectory(ModulePath::MakeModulePath(QStringLiteral("key\\")), inData, ModulePath::IsInstalled());
}

QString PklStore::ChooseKeyDirectory(const QString &besideExe, const QString &inData, bool installed)
{
    if (!installed && isWritableFolder(besideExe))
        return besideExe;
    if (!installed && !QFileInfo::exists(besideExe) && QDir().mkdir(besideExe) && isWritableFolder(besideExe))
        return besideExe;
    // A folder that cannot be made shows as a missing key folder: empty lists, failed saves.
    QDir().mkpath(inData);
    return inData;
}

void PklStore::SetKeyDirectory(const QString &folder)
{
    g_keyDirectory = folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

QStringList PklStore::ListEntries()
{
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    return QDir(KeyDirectory()).entryList(all, QDir::Unsorted);
}

bool PklStore::IsValidName(const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.contains(u'/') || name.contains(QChar(0)))
        return false;
    return QDir::separator() == u'/' || !name.contains(QDir::separator());
}

FileError PklStore::EntryPath(const QString &name, QString *path)
{
    if (!IsValidName(name))
        return FileError::BadPath;
    *path = KeyDirectory() + name;
    return FileError::None;
}

// The owner's write permission stands for the read-only attribute, so that an entry made
// read-only stays so even for a user whom the file system lets write anything.
bool PklStore::IsReadOnly(const QString &path)
{
    const QFileInfo info(path);
    return !info.permission(QFile::WriteOwner) || !info.isWritable();
}

FileError PklStore::ReadEntry(const QString &name, QString *text)
{
    QString path;
    if (const FileError error = EntryPath(name, &path); error != FileError::None)
        return error;
    QByteArray bytes;
    bool tooLarge = false;
    if (const FileError error = FileIO::ReadAll(path, bytes, kMaxEntryBytes, &tooLarge); error != FileError::None)
        return error;
    if (tooLarge)
        return FileError::Generic;
    *text = TextFromBytes(bytes);
    return FileError::None;
}

bool PklStore::EntryExists(const QString &name)
{
    QString path;
    if (EntryPath(name, &path) != FileError::None)
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

FileError PklStore::WriteEntry(const QString &name, const QString &text)
{
    QString path;
    if (const FileError error = EntryPath(name, &path); error != FileError::None)
        return error;
    if (QFileInfo::exists(path) && IsReadOnly(path))
        return FileError::AccessDenied;
    return FileIO::WriteAtomic(path, CodePage::encode(text));
}

FileError PklStore::DeleteEntry(const QString &name)
{
    QString path;
    if (const FileError error = EntryPath(name, &path); error != FileError::None)
        return error;
    const QFileInfo info(path);
    if (!info.isSymLink()) {
        if (!info.exists())
            return FileError::FileNotFound;
        if (info.isDir() || IsReadOnly(path))
            return FileError::AccessDenied;
    }
    return QFile::remove(path) ? FileError::None : FileError::AccessDenied;
}

QString PklStore::TextFromBytes(QByteArrayView bytes)
{
    QByteArray text;
    text.reserve(bytes.size() + bytes.size() / 16);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\0' || c == '\x1a')
            break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;  // the LF that follows gives the break
        if (c == '\n')
            text.append("\r\n");
        else
            text.append(c);
    }
    return CodePage::decode(text);
}
