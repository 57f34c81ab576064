#include "platform/desktop/shell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

namespace Shell {
namespace {

QStandardPaths::StandardLocation locationOf(Folder folder)
{
    return folder == Folder::SendTo ? QStandardPaths::ApplicationsLocation : QStandardPaths::DesktopLocation;
}

// A value of type string: backslash and control characters escaped.
QString escapeString(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'\\': out += QLatin1String("\\\\"); break;
        case u'\n': out += QLatin1String("\\n"); break;
        case u'\t': out += QLatin1String("\\t"); break;
        case u'\r': out += QLatin1String("\\r"); break;
        default: out += c;
        }
    }
    return out;
}

// One argument of an Exec key: in double quotes, with the quote, backtick, dollar sign and
// backslash escaped by a backslash, and "%" doubled so that it is no field code. The string
// escaping of the whole value comes on top of that.
QString quoteArgument(const QString &argument)
{
    QString out = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        else if (c == u'%')
            out += u'%';
        out += c;
    }
    out += u'"';
    return out;
}

QByteArray shortcutText(const QString &description, const QString &targetPath)
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Version=1.0\n"
                                  "Name=NYO\n"
                                  "Name[ja]=ＮＹＯ\n"
                                  "GenericName=Text Editor\n"
                                  "GenericName[ja]=テキストエディタ\n");
    if (!description.isEmpty())
        text += QStringLiteral("Comment=") + escapeString(description) + u'\n';
    text += QStringLiteral("Exec=") + escapeString(quoteArgument(targetPath) + QStringLiteral(" %F")) + u'\n';
    // The installed program's icon theme entry; a desktop without it shows its default.
    text += QStringLiteral("Icon=NYO\n"
                           "MimeType=text/plain;\n"
                           "Terminal=false\n"
                           "Categories=Utility;TextEditor;\n");
    return text.toUtf8();
}

} // namespace

QString ShortcutName()
{
    return QStringLiteral("NYO.desktop");
}

QString FolderPath(Folder folder)
{
    return QStandardPaths::writableLocation(locationOf(folder));
}

QString ShortcutPath(Folder folder)
{
    const QString dir = FolderPath(folder);
    return dir.isEmpty() ? QString() : dir + u'/' + ShortcutName();
}

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool DeleteFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return false;
    return QFile::remove(path);
}

bool CreateShortcut(const QString &linkPath, const QString &description, const QString &targetPath)
{
    if (linkPath.isEmpty())
        return false;
    // A fresh account may have neither folder yet; the desktop's own tools make them when
    // they are first needed, and so does this.
    const QString dir = QFileInfo(linkPath).absolutePath();
    if (dir == FolderPath(Folder::SendTo) || dir == FolderPath(Folder::Desktop))
        QDir().mkpath(dir);
    QSaveFile file(linkPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = shortcutText(description, targetPath);
    if (file.write(bytes) != bytes.size())
        return false;
    // Readable means runnable: a launcher that cannot be run is not offered by the desktop.
    QFileDevice::Permissions mode = file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser;
    if (mode & QFileDevice::ReadGroup)
        mode |= QFileDevice::ExeGroup;
    if (mode & QFileDevice::ReadOther)
        mode |= QFileDevice::ExeOther;
    if (!file.setPermissions(mode))
        return false;
    return file.commit();
}

QString ModuleFileName()
{
    return QCoreApplication::applicationFilePath();
}

bool OpenFile(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || !info.isReadable())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

bool OpenAddress(const QString &address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    return QDesktopServices::openUrl(url);
}

} // namespace Shell
