#include "pkl/modulepath.h"

#include <QCoreApplication>
#include <QFile>

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

} // namespace ModulePath
