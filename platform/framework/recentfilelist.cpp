#include "platform/framework/recentfilelist.h"

#include "platform/base/filename.h"
#include "platform/base/profile.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <algorithm>

namespace {

// A name whose bytes are not all UTF-8 is stored as a file URL of its bytes, which any program
// reads back whole; other names as they are. An entry that is no absolute path but such a URL
// is read back the same way (an absolute path never begins with "file:").
QString storedForm(const QString &path)
{
    return FileName::HasEscapes(path) ? FileName::ToFileUrl(path) : path;
}

QString storedPath(const QString &entry)
{
    if (!entry.startsWith(QLatin1String("file:")))
        return entry;
    const QString path = FileName::FromFileUrl(entry);
    return path.isEmpty() ? entry : path;
}

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kPathCase = Qt::CaseSensitive;
#endif

const char *const kEntryProperty = "nyoRecentFileEntry";
const QString kEllipsis = QStringLiteral("...");

bool samePath(const QString &a, const QString &b)
{
    return QDir::cleanPath(a).compare(QDir::cleanPath(b), kPathCase) == 0;
}

// A file name too long for the menu keeps its beginning and its end (the extension).
QString cutMiddle(const QString &name, int maxLength)
{
    if (name.size() <= maxLength)
        return name;
    if (maxLength <= kEllipsis.size())
        return name.left(maxLength);
    const qsizetype keep = maxLength - kEllipsis.size();
    qsizetype back = (keep + 1) / 2;
    qsizetype front = keep - back;
    if (front > 0 && name.at(front - 1).isHighSurrogate())
        --front;
    if (name.at(name.size() - back).isLowSurrogate())
        --back;
    return name.left(front) + kEllipsis + name.right(back);
}

// "head...tail": the head up to the first separator after a name, then the longest run of
// trailing folders (with the file name) that fits; empty when not even the file name fits.
QString shortenPath(const QString &path, int maxLength)
{
    const QChar sep = QDir::separator();
    qsizetype headLength = -1;
    for (qsizetype i = 1; i < path.size(); ++i) {
        if (path.at(i) == sep && path.at(i - 1) != sep) {
            headLength = i + 1;
            break;
        }
    }
    if (headLength < 0)
        return QString();
    const qsizetype room = maxLength - headLength - kEllipsis.size();
    QString best;
    for (qsizetype pos = path.lastIndexOf(sep); pos >= headLength; pos = path.lastIndexOf(sep, pos - 1)) {
        if (path.size() - pos > room)
            break;
        best = path.mid(pos);
    }
    return best.isEmpty() ? QString() : path.left(headLength) + kEllipsis + best;
}

QString escapeMnemonics(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}

} // namespace

RecentFileList::RecentFileList(const QString &section, const QString &entryFormat, int size,
                               int displayLength, QObject *parent)
    : QObject(parent),
      m_section(section),
      m_entryFormat(entryFormat),
      m_maxSize(std::clamp(size, 0, kMaxSize)),
      m_displayLength(displayLength)
{
}

QString RecentFileList::entryName(int number) const
{
    return QString(m_entryFormat).replace(QStringLiteral("%d"), QString::number(number));
}

int RecentFileList::indexOf(const QString &path) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_paths.at(i).compare(path, kPathCase) == 0)
            return i;
    }
    return -1;
}

void RecentFileList::load()
{
    if (m_maxSize == 0)
        return;
    m_paths.clear();
    for (int number = 1; number <= m_maxSize; ++number) {
        const QString path = storedPath(Profile::GetProfileString(m_section, entryName(number), QString()));
        if (!path.isEmpty() && indexOf(path) < 0)
            m_paths.append(path);
    }
}

bool RecentFileList::save() const
{
    if (m_maxSize == 0)
        return true;
    QList<std::pair<QString, QString>> entries;
    for (int i = 0; i < count(); ++i)
        entries.append({entryName(i + 1), storedForm(m_paths.at(i))});
    return Profile::ReplaceProfileSection(m_section, entries);
}

void RecentFileList::add(const QString &path)
{
    if (m_maxSize == 0 || path.isEmpty())
        return;
    const int existing = indexOf(path);
    if (existing >= 0)
        m_paths.removeAt(existing);
    m_paths.prepend(path);
    while (count() > m_maxSize)
        m_paths.removeLast();
}

void RecentFileList::remove(int index)
{
    if (index >= 0 && index < count())
        m_paths.removeAt(index);
}

QString RecentFileList::displayName(const QString &path, int maxLength, const QString &currentDir)
{
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    if (fileName.isEmpty())
        return cutMiddle(QDir::toNativeSeparators(path), maxLength);
    if (!currentDir.isEmpty() && samePath(info.absolutePath(), currentDir))
        return cutMiddle(fileName, maxLength);

    const QString native = QDir::toNativeSeparators(path);
    if (native.size() <= maxLength)
        return native;
    const QString shortened = shortenPath(native, maxLength);
    return shortened.isEmpty() ? cutMiddle(fileName, maxLength) : shortened;
}

QString RecentFileList::menuText(int index, const QString &currentDir) const
{
    const int number = index + 1;
    QString prefix;
    if (number < 10)
        prefix = QStringLiteral("&%1 ").arg(number);
    else if (number == 10)
        prefix = QStringLiteral("1&0 ");
    else
        prefix = QStringLiteral("%1 ").arg(number);
    return prefix + escapeMnemonics(displayName(FileName::Display(m_paths.value(index)), m_displayLength, currentDir));
}

QString RecentFileList::menuText(int index) const
{
    return menuText(index, QDir::currentPath());
}

QList<QAction *> RecentFileList::updateMenu(QMenu *fileMenu, QAction *placeholder)
{
    for (QAction *action : fileMenu->actions()) {
        if (action->property(kEntryProperty).toBool()) {
            fileMenu->removeAction(action);
            action->deleteLater();   // it may be the entry whose trigger brought us here
        }
    }
    placeholder->setEnabled(false);
    placeholder->setVisible(m_paths.isEmpty());

    const QString currentDir = QDir::currentPath();
    QList<QAction *> entries;
    for (int i = 0; i < count(); ++i) {
        const int id = kFirstCommandId + i;
        auto *action = new QAction(menuText(i, currentDir), fileMenu);
        action->setData(id);
        action->setObjectName(QString::number(id));
        action->setProperty(kEntryProperty, true);
        fileMenu->insertAction(placeholder, action);
        entries.append(action);
    }
    return entries;
}
