#pragma once
// The encodings a text file is read and written in, each lossless as CP932 is (see
// codepage.h): bytes that are not valid are escaped (U+EF00 + byte) and written back as they
// were, so decode() then encode() gives back the bytes read, whatever they are.
//
// The byte-order mark of UTF-8 BOM and UTF-16 is kept apart from the text: decode() takes it
// off when the bytes begin with it and says so; encode() writes it when told. Other encodings
// have none, and a U+FEFF at their start is text like any other.
#include "platform/base/codepage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

enum class Encoding { Cp932, Utf8, Utf8Bom, Utf16Le, Utf16Be, EucJp };

namespace Encodings {

// Every encoding, in the order they are offered.
const QList<Encoding> &all();

// The name shown for an encoding ("SJIS", "UTF-8", ...).
QString name(Encoding encoding);

// The byte-order mark the encoding's files begin with; empty for none.
QByteArrayView byteOrderMark(Encoding encoding);

// Decodes bytes. variants receives the byte forms other than the default (CP932 and EUC-JP);
// bom tells whether a byte-order mark was taken off the front.
QString decode(Encoding encoding, QByteArrayView bytes, QList<CodePage::Variant> *variants = nullptr,
               bool *bom = nullptr);

// Encodes text, preceded by the byte-order mark when withBom and the encoding has one.
// Characters the encoding cannot hold are written as '?' and their positions (in text)
// appended to unencodable.
QByteArray encode(Encoding encoding, QStringView text, const QList<CodePage::Variant> &variants = {},
                  QList<qsizetype> *unencodable = nullptr, bool withBom = true);

// Where bytes, the result of encode(encoding, text, ..., withBom), read back as something else
// than text (see CodePage::readBackChanges): the index of the first character of each place.
QList<qsizetype> readBackChanges(Encoding encoding, QByteArrayView bytes, QStringView text, bool withBom = true);

// True when ch can be written in the encoding (escapes included).
bool canEncode(Encoding encoding, char32_t ch);

} // namespace Encodings
