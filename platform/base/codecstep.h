#pragma once
// What the lossless decoders share: the ASCII fast paths, the escape of a byte that cannot be
// decoded, and the check of what written bytes read back as. Included by the codecs only.
#include <QByteArrayView>
#include <QList>
#include <QStringView>

#include <cstring>

namespace CodecStep {

// A byte that cannot be decoded reads as U+EF00 + byte and is written back as that byte.
constexpr char16_t kEscapeBase = 0xEF00;

// One step of a decoder: up to three code points and the bytes each takes.
struct Step {
    char32_t chars[3];
    quint8 lengths[3];
    int count;
};

inline Step one(char32_t ch, int length) { return {{ch, 0, 0}, {quint8(length), 0, 0}, 1}; }
inline Step escape(quint8 byte) { return one(kEscapeBase + byte, 1); }

// Copies the ASCII bytes at p to out as units, advancing both to the first non-ASCII byte.
inline void widenAscii(const uchar *&p, const uchar *end, char16_t *&out)
{
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ull)
            break;
        for (int i = 0; i < 8; ++i)
            out[i] = p[i];
        p += 8;
        out += 8;
    }
    while (p < end && *p < 0x80)
        *out++ = *p++;
}

// Copies the ASCII units at s to out as bytes, advancing both to the first other unit.
inline void narrowAscii(const char16_t *&s, const char16_t *end, uchar *&out)
{
    while (s < end && *s < 0x80)
        *out++ = uchar(*s++);
}

// The code point at text[j] (a surrogate pair as one) and how many units it takes.
// Writes a unit's form in a double-byte code page (two bytes from 0x100 up, one below; 0 is
// none) and moves past the unit. A unit without a form is written '?', a whole surrogate pair
// counting as one, and its place goes to unencodable.
inline void writeForm(quint16 form, const char16_t *&s, const char16_t *end, uchar *&out, qsizetype pos,
                      QList<qsizetype> *unencodable)
{
    if (form >= 0x100) {
        out[0] = uchar(form >> 8);
        out[1] = uchar(form);
        out += 2;
        ++s;
    } else if (form) {
        *out++ = uchar(form);
        ++s;
    } else {
        *out++ = '?';
        if (unencodable)
            unencodable->append(pos);
        const bool pair = QChar::isHighSurrogate(*s) && end - s >= 2 && QChar::isLowSurrogate(s[1]);
        s += pair ? 2 : 1;
    }
}

inline char32_t codePointAt(QStringView text, qsizetype j, int *units)
{
    const char16_t c = text[j].unicode();
    if (QChar::isHighSurrogate(c) && j + 1 < text.size() && text[j + 1].isLowSurrogate()) {
        *units = 2;
        return QChar::surrogateToUcs4(c, text[j + 1].unicode());
    }
    *units = 1;
    return c;
}

// What a code point of the text was written as: its bytes and what they read back as alone.
struct Written {
    int length;
    char32_t readsAs;
};

// Where bytes, written from text, read back as something else: the index of the first
// character of each such place. step(p, end) decodes at p; written(ch) says how ch was written.
template <typename StepFn, typename WrittenFn>
QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text, StepFn step, WrittenFn written)
{
    QList<qsizetype> places;
    const uchar *const begin = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = begin + bytes.size();
    const uchar *p = begin;
    Step pending{{}, {}, 0};
    int next = 0;
    qsizetype readStart = 0;  // byte where the current item read starts, -1 at the end
    char32_t readChar = 0;
    int readLength = 0;
    const auto advance = [&] {
        if (next == pending.count) {
            if (p == end) {
                readStart = -1;
                return;
            }
            pending = step(p, end);
            next = 0;
        }
        readStart = p - begin;
        readChar = pending.chars[next];
        readLength = pending.lengths[next];
        p += readLength;
        ++next;
    };
    advance();
    qsizetype at = 0;
    bool inPlace = false;
    for (qsizetype j = 0; j < text.size();) {
        int units = 1;
        const char32_t ch = codePointAt(text, j, &units);
        const Written w = written(ch);
        while (readStart >= 0 && readStart < at)
            advance();
        const bool same = readStart == at && readLength == w.length && readChar == w.readsAs;
        if (!same && !inPlace)
            places.append(j);
        inPlace = !same;
        at += w.length;
        j += units;
    }
    return places;
}

} // namespace CodecStep
