#include "pkl/pklentryname.h"

#include "platform/base/codepage.h"
#include "platform/base/folderentry.h"

#include <QStringDecoder>

namespace {
bool exists(const QString &folder, const QByteArray &bytes)
{
    return FolderEntry::KindOf(folder, bytes) != FolderEntry::Kind::None;
}

// Valid UTF-8 to its text, a leading byte-order mark kept as a character: it is part of the
// name.
QString fromUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder(bytes);
}
} // namespace

QString PklEntryName::Shown(const QString &folder, const QByteArray &bytes)
{
    if (bytes.isValidUtf8())
        return fromUtf8(bytes);
    const QString text = CodePage::decode(bytes);
    if (CodePage::encode(text) == bytes && !exists(folder, text.toUtf8()))
        return text;
    return Escaped(bytes);
}

// A name in UTF-8 is the entry's when there is one; a name in CP932 is tried only where no
// UTF-8 bytes could have shown as it.
QByteArray PklEntryName::Bytes(const QString &folder, const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    if (exists(folder, utf8))
        return utf8;
    QList<qsizetype> unencodable;
    const QByteArray cp932 = CodePage::encode(name, {}, &unencodable);
    if (unencodable.isEmpty() && !cp932.isValidUtf8() && exists(folder, cp932) && Shown(folder, cp932) == name)
        return cp932;
    return utf8;
}

// Bytes below 0x80 as themselves, the others as escapes, which encode back to those bytes.
QString PklEntryName::Escaped(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const uchar byte = uchar(c);
        text.append(byte < 0x80 ? QChar(byte) : QChar(char16_t(0xEF00 + byte)));
    }
    return text;
}
