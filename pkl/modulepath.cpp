#include "pkl/modulepath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef NYO_SHARED_DIR
#define NYO_SHARED_DIR "../share/NYO"
#endif

namespace ModulePath {

void ReplaceAll(QByteArray &buffer, QByteArrayView pattern, QByteArrayView replacement)
{
    if (pattern.isEmpty())
        return;
    qsizetype pos = 0;
    while ((pos = buffer.indexOf(pattern, pos)) >= 0) {
        buffer.replace(pos, pattern.size(), replacement.data(), replacement.size());
        pos += replacement.size();
    }
}

QString MakeModulePath(const QString &relativeName)
{
    QByteArray relative = QFile::encodeName(relativeName);
    ReplaceAll(relative, "\\", "/");
    return QCoreApplication::applicationDirPath() + u'/' + QFile::decodeName(relative);
}

namespace {
QString InstalledPath(const QString &name)
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' + QStringLiteral(NYO_SHARED_DIR) + u'/' +
                           name);
}
} // namespace

QString SharedFilePath(const QString &name)
{
    const QString beside = MakeModulePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = InstalledPath(name);
    return QFileInfo::exists(installed) ? installed : beside;
}

bool IsInstalled()
{
    return QFileInfo::exists(InstalledPath(QStringLiteral("NYO.html")));
}

} // namespace ModulePath
