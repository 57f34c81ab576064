#pragma once
// Code page 932 (Shift-JIS as Windows writes it) to Unicode and back, table driven and
// lossless: every byte sequence decodes to a text that encodes back to the same bytes.
//
// - Bytes that are not valid CP932 decode to U+EF00 + byte (U+EF80..U+EFFF) and encode back
//   to that byte. After a bad lead byte an ASCII byte is read again as itself.
// - The 398 byte forms that Windows never writes (NEC-selected IBM extensions and the like)
//   decode to their usual character; decode() reports where they stood so that a caller can
//   hand them back to encode() and get the same bytes.
// - Characters CP932 cannot hold are reported by encode(), never replaced silently.
// - An edit can put an escaped lead byte in front of a character whose bytes complete a valid
//   pair (or leave an escaped trail byte alone), so the bytes encode() writes would read back
//   as a different text. encode() still writes every byte as it stands, since dropping or
//   changing one would lose data; a save asks readBackChanges() where that happens.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

namespace CodePage {

// A character of the text that was read from a byte form other than the one encode()
// writes for it by default.
struct Variant {
    qsizetype pos = 0;   // index of the character in the decoded text
    quint16 code = 0;    // the double-byte form it was read from, lead byte high
    friend bool operator==(const Variant &a, const Variant &b) { return a.pos == b.pos && a.code == b.code; }
};

// First and last escape characters for undecodable bytes.
constexpr char16_t kEscapeFirst = 0xEF80;
constexpr char16_t kEscapeLast = 0xEFFF;
inline bool isEscape(QChar c) { return c.unicode() >= kEscapeFirst && c.unicode() <= kEscapeLast; }

// Decodes CP932 bytes. When variants is given, it receives the non-default byte forms in
// ascending position order.
QString decode(QByteArrayView bytes, QList<Variant> *variants = nullptr);

// Encodes text to CP932. A variant whose position holds the character its code decodes to
// is written in that form; other variants are ignored. Characters that CP932 cannot hold
// are written as '?' and, when unencodable is given, their positions are appended to it
// (one '?' and one position per character: a surrogate pair counts once, at its first half).
QByteArray encode(QStringView text, const QList<Variant> &variants = {},
                  QList<qsizetype> *unencodable = nullptr);

// True when ch can be written to CP932 (escapes included).
bool canEncode(char32_t ch);

// Where bytes, the result of encode(text), read back as something else than text: the index
// of the first character of each such place, in order. A character CP932 cannot hold (what
// encode() reports as unencodable) is expected to read back as '?'; variants are not needed,
// since every byte form reads back as the character it was written for.
QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text);

} // namespace CodePage
