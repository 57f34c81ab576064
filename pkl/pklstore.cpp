#include "pkl/pklstore.h"

#include "pkl/modulepath.h"
#include "pkl/pklentryname.h"
#include "platform/base/codepage.h"
#include "platform/base/profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// An entry goes into an editing control whole; beyond what the control can hold (16 M
// characters of at most two bytes each) it is not read at all, so a file that keeps growing
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

// Others who may write the folder could put entries in it or change them, to be pasted into
// whatever the user writes next: only a folder of the user's own will do.
bool isUsableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable() && FolderEntry::OnlyOwnerWrites(folder);
}

// A folder made for the key folder is the user's to write whatever the umask says.
constexpr QFile::Permissions kMadeFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                           QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

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
    if (!installed && isUsableFolder(besideExe))
        return besideExe;
    if (!installed && !QFileInfo::exists(besideExe) && QDir().mkdir(besideExe, kMadeFolder) && isUsableFolder(besideExe))
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
    const QString folder = KeyDirectory();
    QStringList names;
    for (const QByteArray &bytes : FolderEntry::List(folder)) {
        if (!FolderEntry::IsTemporaryName(bytes))
            names.append(PklEntryName::Shown(folder, bytes));
    }
    return names;
}

bool PklStore::IsValidName(const QString &name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    if (name.contains(u'/') || name.contains(QChar(0)))
        return false;
    // A lone surrogate has no UTF-8 of its own: it would be written as U+FFFD, which another
    // name gives too. A temporary file's name would make an entry that the list never shows.
    if (!name.isValidUtf16() || FolderEntry::IsTemporaryName(name.toUtf8()))
        return false;
    return QDir::separator() == u'/' || !name.contains(QDir::separator());
}

FileError PklStore::EntryName(const QString &name, QString *folder, QByteArray *bytes)
{
    if (!IsValidName(name))
        return FileError::BadPath;
    *folder = KeyDirectory();
    *bytes = PklEntryName::Bytes(*folder, name);
    return FileError::None;
}

FileError PklStore::ReadEntry(const QString &name, QString *text)
{
    QString folder;
    QByteArray file;
    if (const FileError error = EntryName(name, &folder, &file); error != FileError::None)
        return error;
    QByteArray bytes;
    bool tooLarge = false;
    if (const FileError error = FolderEntry::Read(folder, file, bytes, kMaxEntryBytes, &tooLarge); error != FileError::None)
        return error;
    if (tooLarge)
        return FileError::Generic;
    *text = TextFromBytes(bytes);
    return FileError::None;
}

FolderEntry::Kind PklStore::EntryKind(const QString &name)
{
    QString folder;
    QByteArray file;
    if (EntryName(name, &folder, &file) != FileError::None)
        return FolderEntry::Kind::None;
    return FolderEntry::KindOf(folder, file);
}

FileError PklStore::WriteEntry(const QString &name, const QString &text)
{
    QString folder;
    QByteArray file;
    if (const FileError error = EntryName(name, &folder, &file); error != FileError::None)
        return error;
    if (FolderEntry::IsReadOnly(folder, file))
        return FileError::AccessDenied;
    return FolderEntry::Write(folder, file, CodePage::encode(text));
}

FileError PklStore::DeleteEntry(const QString &name)
{
    QString folder;
    QByteArray file;
    if (const FileError error = EntryName(name, &folder, &file); error != FileError::None)
        return error;
    if (FolderEntry::IsReadOnly(folder, file))
        return FileError::AccessDenied;
    return FolderEntry::Remove(folder, file);
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
