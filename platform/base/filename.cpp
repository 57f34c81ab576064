#include "platform/base/filename.h"

#include "platform/base/codepage.h"
#include "platform/base/fileio.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdlib>
#include <sys/stat.h>

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

// A string value of a desktop entry with its escapes \s \n \t \r and \\ undone; a backslash
// before anything else stays as it is.
QString unescaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const QChar next = i + 1 < value.size() ? value.at(i + 1) : QChar();
        const char16_t plain = next == u's' ? u' ' : next == u'n' ? u'\n' : next == u't' ? u'\t'
                             : next == u'r' ? u'\r' : next == u'\\' ? u'\\' : 0;
        if (c == u'\\' && plain) {
            out += QChar(plain);
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// The value of a hexadecimal digit, -1 for any other character.
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
        return (c | 0x20) - 'a' + 10;
    return -1;
}

} // namespace

// An escaped separator or NUL is refused rather than decoded, as it would make other names out
// of one. The decoded bytes are the file name as the file system has it.
QString FromFileUrl(const QString &url)
{
    if (!url.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return {};
    QByteArray rest = url.mid(5).toUtf8();
    if (rest.startsWith("//")) {
        rest.remove(0, 2);  // the authority must be empty: a host is another machine
        if (!rest.startsWith('/'))
            return {};
    }
    if (!rest.startsWith('/') || rest.contains('?') || rest.contains('#') || rest.contains('\0'))
        return {};
    QByteArray bytes;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest.at(i) != '%') {
            bytes += rest.at(i);
            continue;
        }
        const int high = i + 2 < rest.size() ? hexValue(rest.at(i + 1)) : -1;
        const int low = i + 2 < rest.size() ? hexValue(rest.at(i + 2)) : -1;
        if (high < 0 || low < 0)
            return {};
        const int byte = high << 4 | low;
        if (byte == '/' || byte == 0)
            return {};
        bytes += char(byte);
        i += 2;
    }
    return QDir::cleanPath(FromNative(bytes));
}

QString ToFileUrl(const QString &name)
{
    return QLatin1String("file://") + QString::fromLatin1(ToNative(name).toPercentEncoding("/"));
}

QString FromDroppedUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return {};
    const QString path = FromFileUrl(url.toString(QUrl::FullyEncoded));
    return path.isEmpty() ? url.toLocalFile() : path;
}

namespace {

// The local file a launcher of type Link points at; empty for any other file. Only a regular
// file is read, so that a FIFO named like a launcher does not hold the caller.
QString launcherTarget(const QString &path)
{
    if (!path.endsWith(QLatin1String(".desktop")))
        return {};
    QByteArray bytes;
    bool tooLarge = false;
    if (FileIO::ReadAll(path, bytes, kMaxLauncherBytes, &tooLarge) != FileError::None || tooLarge)
        return {};
    bool inEntry = false;
    bool isLink = false;
    QString url;
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'));
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
            url = unescaped(value);
    }
    return isLink ? FromFileUrl(url) : QString();
}

// The length of the valid UTF-8 sequence at bytes[i] (1 to 4), 0 when none starts there.
// Overlong forms, surrogates and values above U+10FFFF are not valid.
int utf8Length(const QByteArray &bytes, qsizetype i)
{
    const auto at = [&bytes](qsizetype k) { return k < bytes.size() ? uchar(bytes.at(k)) : 0; };
    const auto trail = [&at](qsizetype k) { return (at(k) & 0xC0) == 0x80; };
    const uchar b = at(i);
    if (b < 0x80)
        return 1;
    if (b >= 0xC2 && b <= 0xDF)
        return trail(i + 1) ? 2 : 0;
    if (b >= 0xE0 && b <= 0xEF) {
        const uchar lo = b == 0xE0 ? 0xA0 : 0x80, hi = b == 0xED ? 0x9F : 0xBF;
        return at(i + 1) >= lo && at(i + 1) <= hi && trail(i + 2) ? 3 : 0;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        const uchar lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
        return at(i + 1) >= lo && at(i + 1) <= hi && trail(i + 2) && trail(i + 3) ? 4 : 0;
    }
    return 0;
}

QChar escapeOf(char byte)
{
    return QChar(char16_t(0xEF00 + uchar(byte)));
}

bool isLink(const QString &path)
{
    struct stat st {};
    return ::lstat(ToNative(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The canonical path a symbolic link leads to, read as bytes, since the target's name need not
// be UTF-8; empty when path is no link or the link leads nowhere.
QString linkTarget(const QString &path)
{
    if (!isLink(path))
        return {};
    char *resolved = ::realpath(ToNative(path).constData(), nullptr);
    const QString target = resolved ? FromNative(QByteArray(resolved)) : QString();
    ::free(resolved);
    return target;
}

} // namespace

QString FromNative(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const int n = utf8Length(bytes, i);
        const QString text = n ? QString::fromUtf8(bytes.constData() + i, n) : QString();
        const bool asEscapes = n == 0 || (text.size() == 1 && CodePage::isEscape(text.at(0)));
        for (int k = 0; asEscapes && k < std::max(n, 1); ++k)
            out += escapeOf(bytes.at(i + k));
        if (!asEscapes)
            out += text;
        i += std::max(n, 1);
    }
    return out;
}

QByteArray ToNative(const QString &name)
{
    QByteArray out;
    out.reserve(name.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !CodePage::isEscape(name.at(i)))
            continue;
        out += QStringView(name).mid(start, i - start).toUtf8();
        if (i < name.size())
            out += char(name.at(i).unicode() - 0xEF00);
        start = i + 1;
    }
    return out;
}

bool Exists(const QString &name)
{
    struct stat st {};
    return ::stat(ToNative(name).constData(), &st) == 0;
}

bool HasEscapes(const QString &name)
{
    return std::any_of(name.begin(), name.end(), CodePage::isEscape);
}

QString Display(const QString &name)
{
    if (!HasEscapes(name))
        return name;
    // Part by part, so that the folders in UTF-8 around a Shift-JIS name stay readable.
    QStringList parts = name.split(QLatin1Char('/'));
    for (QString &part : parts) {
        if (HasEscapes(part))
            part = CodePage::decode(ToNative(part));
    }
    return parts.join(QLatin1Char('/'));
}

QString FollowLink(const QString &path, bool *viaLauncher)
{
    if (viaLauncher)
        *viaLauncher = false;
    if (const QString target = linkTarget(path); !target.isEmpty())
        return target;
    if (isLink(path))
        return path;  // a link that leads nowhere
    const QString target = launcherTarget(path);
    if (target.isEmpty())
        return path;
    if (viaLauncher)
        *viaLauncher = true;
    return target;
}

QString Resolve(const QString &name, const QString &baseDir)
{
    if (name.isEmpty())
        return {};
    const QDir base(baseDir.isEmpty() ? QDir::currentPath() : baseDir);
    const QString asGiven = absolute(base, name);
    if (!name.startsWith(QLatin1Char('"')) || Exists(asGiven))
        return asGiven;
    const QString inner = unquoted(name);
    return inner.isEmpty() ? QString() : absolute(base, inner);
}

} // namespace FileName
