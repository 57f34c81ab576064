#pragma once
// What the lossless decoders share: the ASCII fast paths, the escape of a byte that cannot be
// decoded, and the check of what written bytes read back as. Included by the codecs only.
#include "platform/base/codepage.h"

#include <QByteArrayView>
#include <QList>
#include <QStringView>

#include <algorithm>
#include <cstring>
#include <limits>

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

// The code point at text[j] (a surrogate pair as one) and how many units it takes.
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

// Walks the caller's variants alongside the text being encoded; decodePair(code) is the
// character a code decodes to in the encoding, 0 for none.
template <typename DecodePair>
class VariantCursor
{
public:
    VariantCursor(const QList<CodePage::Variant> &variants, DecodePair decodePair)
        : m_list(variants), m_decodePair(decodePair)
    {
        const auto byPos = [](const CodePage::Variant &a, const CodePage::Variant &b) { return a.pos < b.pos; };
        if (!std::is_sorted(m_list.cbegin(), m_list.cend(), byPos))
            std::stable_sort(m_list.begin(), m_list.end(), byPos);
        update();
    }

    // Position of the next variant still ahead; max when there is none.
    qsizetype next() const { return m_next; }

    // The variant code for ch at pos, or 0 when no variant there decodes to ch.
    quint16 take(qsizetype pos, char16_t ch)
    {
        while (m_index < m_list.size() && m_list.at(m_index).pos < pos)
            ++m_index;
        quint16 code = 0;
        for (; m_index < m_list.size() && m_list.at(m_index).pos == pos; ++m_index) {
            if (!code && m_decodePair(m_list.at(m_index).code) == ch)
                code = m_list.at(m_index).code;
        }
        update();
        return code;
    }

private:
    void update()
    {
        m_next = m_index < m_list.size() ? m_list.at(m_index).pos
                                         : std::numeric_limits<qsizetype>::max();
    }

    QList<CodePage::Variant> m_list;  // shared with the caller's list unless it had to be sorted
    DecodePair m_decodePair;
    qsizetype m_index = 0;
    qsizetype m_next = 0;
};

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
