#pragma once
// EUC-JP to Unicode and back through the CP932 tables, losslessly: every byte sequence decodes
// to a text that encodes back to the same bytes.
//
// - A pair of bytes 0xA1-0xFE is a JIS X 0208 row and cell; it maps arithmetically to a
//   Shift-JIS code and reads as CP932 reads that code (rows 13 and 89-92 as NEC's and IBM's
//   characters, as Windows reads EUC-JP). 0x8E and a byte 0xA1-0xDF is half-width katakana.
// - JIS X 0212 (0x8F and two bytes 0xA1-0xFE) has no table here: its three bytes are kept as
//   escapes (U+EF00 + byte), as is any byte that is not valid; after a bad lead byte an ASCII
//   byte is read again as itself.
// - Characters with two forms (NEC's row 13 and rows 89-92 repeat characters of rows 1-2 and
//   each other) are written in the lowest form outside rows 89-92; a variant reported by
//   decode() (the EUC-JP code, lead byte high) writes the form that was read.
// - An escape in the text is written as its byte; characters EUC-JP cannot hold are written as
//   '?' and reported.
#include "platform/base/codepage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace EucJpCodec {

QString decode(QByteArrayView bytes, QList<CodePage::Variant> *variants = nullptr);

QByteArray encode(QStringView text, const QList<CodePage::Variant> &variants = {},
                  QList<qsizetype> *unencodable = nullptr);

bool canEncode(char32_t ch);

// Where bytes, the result of encode(text), read back as something else than text.
QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text);

// Whether bytes are well-formed EUC-JP: every byte ASCII or in a sequence that decodes, JIS X
// 0212 included; with cutShortAtEnd, the last sequence may be cut short by the end.
bool isValid(QByteArrayView bytes, bool cutShortAtEnd = false);

} // namespace EucJpCodec
