#include "platform/filename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace FileName {
namespace {

QString absolute(const QDir &base, const QString &name)
{
    return QDir::cleanPath(base.absoluteFilePath(name));
}

// "a b.txt" -> a b.txt, "a.txt" x -> a.txt: the leading quote and everything from the last one.
QString unquoted(const QString &name)
{
    QString inner = name.mid(1);
    const qsizetype quote = inner.lastIndexOf(QLatin1Char('"'));
    if (quote >= 0)
        inner.truncate(quote);
    return inner;
}

// Launchers are small; anything bigger is not one.
constexpr qint64 kMaxLauncherBytes = 64 * 1024;

// The local file a launcher of type Link points at; empty for any other file.
QString launcherTarget(const QString &path)
{
    if (!path.endsWith(QLatin1String(".desktop")))
        return {};
    QFile file(path);
    if (file.size() > kMaxLauncherBytes || !file.open(QIODevice::ReadOnly))
        return {};
    bool inEntry = false;
    bool isLink = false;
    QString url;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (eq > 0 && key == QLatin1String("Type"))
            isLink = value == QLatin1String("Link");
        else if (eq > 0 && key == QLatin1String("URL"))
            url = value;
    }
    const QUrl target(url);
    return isLink && target.isLocalFile() ? QDir::cleanPath(target.toLocalFile()) : QString();
}

} // namespace

QString FollowLink(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        return target.isEmpty() ? path : target;
    }
    const QString target = launcherTarget(path);
    return target.isEmpty() ? path : target;
}

QString Resolve(const QString &name, const QString &baseDir)
{
    if (name.isEmpty())
        return {};
    const QDir base(baseDir.isEmpty() ? QDir::currentPath() : baseDir);
    const QString asGiven = absolute(base, name);
    if (!name.startsWith(QLatin1Char('"')) || QFileInfo::exists(asGiven))
        return asGiven;
    const QString inner = unquoted(name);
    return inner.isEmpty() ? QString() : absolute(base, inner);
}

} // namespace FileName
