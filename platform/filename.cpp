#include "platform/filename.h"

#include <QDir>
#include <QFileInfo>

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

} // namespace

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
