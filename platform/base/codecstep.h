#pragma once
// What the lossless decoders share: the ASCII fast paths, the escape of a byte that cannot be
// decoded, and the check of what written bytes read back as. Included by the codecs only.
#include "platform/base/codepage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringView>
#include <QtAlgorithms>

#include <algorithm>
#include <cstring>
#include <limits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define NYO_CODEC_SSE2 1
#endif

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

// Copies the ASCII units at s to out as bytes, advancing both to the first other unit. It may
// write 16 bytes at out while 16 units remain: out needs a byte of room per unit left.
inline void narrowAscii(const char16_t *&s, const char16_t *end, uchar *&out)
{
#ifdef NYO_CODEC_SSE2
    const __m128i high = _mm_set1_epi16(short(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    while (end - s >= 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + 8));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(a, b));
        const __m128i asciiA = _mm_cmpeq_epi16(_mm_and_si128(a, high), zero);
        const __m128i asciiB = _mm_cmpeq_epi16(_mm_and_si128(b, high), zero);
        const uint other = uint(_mm_movemask_epi8(_mm_packs_epi16(asciiA, asciiB))) ^ 0xFFFFu;
        if (other) {
            const uint k = qCountTrailingZeroBits(other);
            s += k;
            out += k;
            return;
        }
        s += 16;
        out += 16;
    }
#endif
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

// Encodes text in a double-byte code page: ASCII as itself, every other unit in the form
// formAt(pos, unit) gives it (see writeForm).
template <typename FormAt>
QByteArray encodeForms(QStringView text, QList<qsizetype> *unencodable, FormAt formAt)
{
    QByteArray bytes(2 * text.size(), Qt::Uninitialized);
    uchar *const base = reinterpret_cast<uchar *>(bytes.data());
    uchar *out = base;
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    const char16_t *s = begin;
    while (s < end) {
        if (*s < 0x80) {
            narrowAscii(s, end, out);
            continue;
        }
        const qsizetype pos = s - begin;
        writeForm(formAt(pos, *s), s, end, out, pos, unencodable);
    }
    bytes.truncate(out - base);
    return bytes;
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
