#include "platform/base/profile.h"

#include "platform/base/numberscan.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QVariant>

#include <limits>
#include <optional>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace Profile {

QString storePath()
{
    // XDG base directories: an unset, empty or relative XDG_CONFIG_HOME is not usable.
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + u'/' + kCompany + u'/' + kProgram + QStringLiteral(".ini");
}

namespace {

#ifdef Q_OS_WIN

QString location()
{
    return QStringLiteral("HKEY_CURRENT_USER\\Software\\") + kCompany + u'\\' + kProgram;
}
constexpr QSettings::Format kFormat = QSettings::NativeFormat;
void checkFile(const QString &, bool) {}

#else

QString location() { return storePath(); }
constexpr QSettings::Format kFormat = QSettings::IniFormat;

// Keeps the first unreadable version of the store: the next write rewrites the file from the
// part that could be parsed, and whatever the user had there should not vanish silently.
void keepBrokenCopy(const QString &path)
{
    const QString copy = path + QStringLiteral(".broken");
    if (!QFile::exists(copy))
        QFile::copy(path, copy);
}

// QSettings parses a section only when it is first used, and its status keeps the first error
// it met. Parsing the whole file here, through a throw-away object, finds syntax errors once per
// version of the file and keeps them out of the status that tells whether a write worked.
// Writes always come here (parsing an already parsed file costs nothing); reads only when the
// file's size or time stamp changed, so a read stays a cached look-up.
void checkFile(const QString &path, bool always)
{
    // Identity of one version of the file. A plain stat(): QFileInfo's local time stamps cost
    // more than the rest of a read.
    struct Version {
        QByteArray path;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        bool operator==(const Version &o) const
        {
            return path == o.path && device == o.device && inode == o.inode && size == o.size &&
                   modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
        }
    };
    static Version checked;

    Version current;
    current.path = QFile::encodeName(path);
    struct stat info;
    if (::stat(current.path.constData(), &info) != 0)
        return;
    current.device = info.st_dev;
    current.inode = info.st_ino;
    current.size = info.st_size;
    current.modified = info.st_mtim;
    if (!always && current == checked)
        return;
    checked = current;

    QSettings probe(path, kFormat);
    probe.allKeys();
    if (probe.status() == QSettings::FormatError)
        keepBrokenCopy(path);
}

#endif

// One access to one section of the store.
class Section
{
public:
    Section(const QString &name, bool forWriting) : m_settings(prepare(forWriting), kFormat)
    {
        m_settings.beginGroup(name);
    }
    QSettings &settings() { return m_settings; }
    QVariant value(const QString &key) { return key.isEmpty() ? QVariant() : m_settings.value(key); }
    // Writes the changes through at once. Only an access error means the write failed: a
    // format error comes from reading and is dealt with in checkFile().
    bool flush()
    {
        m_settings.sync();
        return m_settings.status() != QSettings::AccessError;
    }

private:
    static QString prepare(bool forWriting)
    {
        const QString path = location();
        checkFile(path, forWriting);
        return path;
    }

    QSettings m_settings;
};

std::optional<int> toStoredInt(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return NumberScan::settingsInt(value.toString());
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::UInt: {
        // A registry DWORD with the top bit set reads as a negative int.
        const qint64 bits = value.toUInt();
        return int(bits > std::numeric_limits<int>::max() ? bits - (qint64(1) << 32) : bits);
    }
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qlonglong wide = value.toLongLong(&ok);
        if (ok && wide >= std::numeric_limits<int>::min() && wide <= std::numeric_limits<int>::max())
            return int(wide);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<QString> toStoredString(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList:
        // An INI line "a, b" written by hand comes back split at the commas.
        return value.toStringList().join(QStringLiteral(", "));
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toString();
    default:
        return std::nullopt;
    }
}

bool writeValue(const QString &section, const QString &key, const QVariant &value)
{
    if (key.isEmpty())
        return false;
    Section store(section, true);
    store.settings().setValue(key, value);
    return store.flush();
}

} // namespace

int GetProfileInt(const QString &section, const QString &key, int def)
{
    return toStoredInt(Section(section, false).value(key)).value_or(def);
}

namespace {
WriteObserver &writeObserver()
{
    static WriteObserver observer;
    return observer;
}
} // namespace

void SetWriteObserver(WriteObserver observer)
{
    writeObserver() = std::move(observer);
}

bool WriteProfileInt(const QString &section, const QString &key, int value)
{
    if (writeObserver())
        writeObserver()(section, key, QString::number(value));
    return writeValue(section, key, value);
}

QString GetProfileString(const QString &section, const QString &key, const QString &def)
{
    return toStoredString(Section(section, false).value(key)).value_or(def);
}

bool WriteProfileString(const QString &section, const QString &key, const QString &value)
{
    if (writeObserver())
        writeObserver()(section, key, value);
    // A null string would be stored as an invalid value; an empty one is what is meant.
    return writeValue(section, key, value.isNull() ? QStringLiteral("") : value);
}

bool DeleteProfileValue(const QString &section, const QString &key)
{
    if (key.isEmpty())
        return false;
    Section store(section, true);
    store.settings().remove(key);
    return store.flush();
}

bool DeleteProfileSection(const QString &section)
{
    return ReplaceProfileSection(section, {});
}

bool ReplaceProfileSection(const QString &section,
                           const QList<std::pair<QString, QString>> &values)
{
    // An empty name would stand for the whole store.
    if (section.isEmpty())
        return false;
    Section store(QString(), true);
    QSettings &settings = store.settings();
    settings.remove(section);
    settings.beginGroup(section);
    for (const auto &[key, text] : values) {
        if (!key.isEmpty())
            settings.setValue(key, text);
    }
    settings.endGroup();
    return store.flush();
}

QStringList ProfileKeys(const QString &section)
{
    return Section(section, false).settings().childKeys();
}

} // namespace Profile
