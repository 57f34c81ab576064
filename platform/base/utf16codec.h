#pragma once
// UTF-16 (either byte order) to Unicode and back, losslessly: every byte sequence decodes to a
// text that encodes back to the same bytes.
//
// - Each unit is read as it stands, lone surrogates included (a QString holds them).
// - A unit U+EF00..U+EFFF is read as two escapes, one per byte, and an odd last byte as one
//   escape: here U+EF00..U+EFFF all stand for a raw byte (an odd byte may be below 0x80), so
//   the file's own units in that range must not read as escapes.
// - An escape in the text is written as its one byte.
// No byte-order mark is read or written here.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace Utf16Codec {

QString decode(QByteArrayView bytes, bool bigEndian);
QByteArray encode(QStringView text, bool bigEndian);

// Where bytes, the result of encode(text), read back as something else than text.
QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text, bool bigEndian);

} // namespace Utf16Codec
