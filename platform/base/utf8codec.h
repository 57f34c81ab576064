#pragma once
// UTF-8 to Unicode and back, losslessly: every byte sequence decodes to a text that encodes
// back to the same bytes.
//
// - Bytes that are not part of a well-formed sequence (stray continuation bytes, overlong
//   forms, surrogates, code points beyond U+10FFFF, a sequence cut short) decode to
//   U+EF00 + byte, one escape per byte; the next byte is read again on its own.
// - A well-formed sequence for U+EF80..U+EFFF is read as three escapes: those characters
//   stand for raw bytes, so the file's own would otherwise come back as one byte each.
// - An escape in the text is written as its byte; a lone surrogate, which UTF-8 cannot hold,
//   is written as '?' and reported.
// No byte-order mark is read or written here.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace Utf8Codec {

QString decode(QByteArrayView bytes);

// Characters UTF-8 cannot hold (lone surrogates) are written as '?' and their positions
// appended to unencodable.
QByteArray encode(QStringView text, QList<qsizetype> *unencodable = nullptr);

// Where bytes, the result of encode(text), read back as something else than text.
QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text);

// What reading bytes as UTF-8 finds: whether every byte is in a well-formed sequence, but for
// a sequence cut short by the end of the bytes (cutAtEnd tells), and the longest sequence
// (1 for ASCII only). Stops at the first byte that is not.
struct Scan {
    bool valid = true;
    bool cutAtEnd = false;
    int longest = 1;
};
Scan scan(QByteArrayView bytes);

// decode() and scan() in one pass; with stopAtInvalid, the text is empty when the bytes are
// not all well-formed, and reading stops at the first byte that is not.
QString decodeUntil(QByteArrayView bytes, bool stopAtInvalid, Scan *scan);

} // namespace Utf8Codec
