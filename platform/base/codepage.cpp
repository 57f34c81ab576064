#include "platform/base/codepage.h"

#include "platform/base/codecstep.h"

#include <QtAlgorithms>

#include <algorithm>
#include <cstring>
#include <limits>


namespace CodePage {
namespace {

#include "platform/base/cp932table.inc"

constexpr char16_t kEscapeBase = 0xEF00;

// The encoding direction and the duplicate forms, derived from the decoding tables once.
struct EncodeTables {
    // Bytes written for each UTF-16 unit: 0 = not encodable (U+0000 is handled as ASCII),
    // below 0x100 a single byte, otherwise a pair with the lead byte high.
    quint16 form[0x10000];
    // Pairs that decode to a character Windows writes in another form, by [row][trail].
    quint8 variantBits[kLeadCount * 256 / 8];
    bool rowHasVariants[kLeadCount];

    EncodeTables()
    {
        std::memset(form, 0, sizeof form);
        std::memset(variantBits, 0, sizeof variantBits);
        std::memset(rowHasVariants, 0, sizeof rowHasVariants);
        for (int b = 1; b < 0x100; ++b) {
            if (kLeadRow[b] == kNotLead)
                form[kSingleByte[b]] = quint16(b);
        }
        // Windows never writes the NEC-selected IBM extensions (0xED40-0xEEFC) and otherwise
        // writes the lowest form, so they are only a last resort.
        addPairs(false);
        addPairs(true);
        for (int b = 0x80; b < 0x100; ++b)
            form[kEscapeBase + b] = quint16(b);
        markVariants();
    }

    static bool isNecSelected(int code) { return code >= 0xED40 && code <= 0xEEFC; }

    void addPairs(bool necSelected)
    {
        for (int lead = 0x81; lead < 0x100; ++lead) {
            const int row = kLeadRow[lead];
            if (row == kNotLead)
                continue;
            for (int trail = 0; trail < 0x100; ++trail) {
                const int code = lead << 8 | trail;
                const char16_t ch = kDoubleByte[row][trail];
                if (ch && isNecSelected(code) == necSelected && !form[ch])
                    form[ch] = quint16(code);
            }
        }
    }

    void markVariants()
    {
        for (int lead = 0x81; lead < 0x100; ++lead) {
            const int row = kLeadRow[lead];
            if (row == kNotLead)
                continue;
            for (int trail = 0; trail < 0x100; ++trail) {
                const char16_t ch = kDoubleByte[row][trail];
                if (ch && form[ch] != (lead << 8 | trail)) {
                    const int index = row * 256 + trail;
                    variantBits[index >> 3] |= quint8(1u << (index & 7));
                    rowHasVariants[row] = true;
                }
            }
        }
    }

    bool isVariant(unsigned row, unsigned trail) const
    {
        if (!rowHasVariants[row])
            return false;
        const unsigned index = row * 256 + trail;
        return variantBits[index >> 3] & (1u << (index & 7));
    }
};

const EncodeTables &tables()
{
    static const EncodeTables t;
    return t;
}

// Copies the ASCII bytes at p to out, advancing both to the first non-ASCII byte. Whole
// blocks are stored before they are checked: out never runs ahead of the bytes consumed, so
// a block stays inside the output, which holds one unit per input byte.
inline void widenAscii(const uchar *&p, const uchar *end, char16_t *&out)
{
#ifdef NYO_CODEC_SSE2
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(v, zero));
        const uint nonAscii = uint(_mm_movemask_epi8(v));
        if (nonAscii) {
            const uint k = qCountTrailingZeroBits(nonAscii);
            p += k;
            out += k;
            return;
        }
        p += 16;
        out += 16;
    }
#endif
    while (p < end && *p < 0x80)
        *out++ = *p++;
}

// The character a double-byte code decodes to, or 0.
char16_t decodePair(quint16 code)
{
    const unsigned row = kLeadRow[code >> 8];
    return row == kNotLead ? 0 : kDoubleByte[row][code & 0xFF];
}

// One decoding step at a byte that is not ASCII: the one or two units it gives and the bytes
// it takes. A bad pair gives two escapes only when the second byte is not ASCII: an ASCII
// second byte is left to be read again as itself, as the WHATWG decoder does.
struct Step {
    char16_t units[2];
    int count;   // units given
    int bytes;   // bytes taken: count == 2 means one byte per unit
    bool pair;   // a valid double-byte code
};

inline Step stepAt(const uchar *p, const uchar *end)
{
    const uchar b = *p;
    const unsigned row = kLeadRow[b];
    if (row == kNotLead)
        return {{kSingleByte[b], 0}, 1, 1, false};
    if (end - p < 2)   // lead byte at the end of the input
        return {{char16_t(kEscapeBase + b), 0}, 1, 1, false};
    const uchar trail = p[1];
    if (const char16_t ch = kDoubleByte[row][trail])
        return {{ch, 0}, 1, 2, true};
    if (trail >= 0x80)
        return {{char16_t(kEscapeBase + b), char16_t(kEscapeBase + trail)}, 2, 2, false};
    return {{char16_t(kEscapeBase + b), 0}, 1, 1, false};
}

} // namespace

QString decode(QByteArrayView bytes, QList<Variant> *variants)
{
    const EncodeTables *const t = variants ? &tables() : nullptr;
    const qsizetype n = bytes.size();
    // Every unit uses at least one byte, so n units always suffice.
    QString text(n, Qt::Uninitialized);
    char16_t *const base = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = base;
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + n;
    while (p < end) {
        if (*p < 0x80) {
            widenAscii(p, end, out);
            continue;
        }
        const Step step = stepAt(p, end);
        if (step.pair && t && t->isVariant(kLeadRow[p[0]], p[1]))
            variants->append({out - base, quint16(p[0] << 8 | p[1])});
        *out++ = step.units[0];
        if (step.count == 2)
            *out++ = step.units[1];
        p += step.bytes;
    }
    text.truncate(out - base);
    return text;
}

QByteArray encode(QStringView text, const QList<Variant> &variants, QList<qsizetype> *unencodable)
{
    const EncodeTables &t = tables();
    CodecStep::VariantCursor cursor(variants, decodePair);
    return CodecStep::encodeForms(text, unencodable, [&t, &cursor](qsizetype pos, char16_t c) {
        const quint16 variant = pos >= cursor.next() ? cursor.take(pos, c) : 0;
        return variant ? variant : t.form[c];
    });
}

bool canEncode(char32_t ch)
{
    return ch < 0x80 || (ch < 0x10000 && tables().form[ch] != 0);
}

namespace {

// Walks the units that bytes decode to, with the byte each starts at and how many it takes.
class UnitReader
{
public:
    explicit UnitReader(QByteArrayView bytes)
        : m_begin(reinterpret_cast<const uchar *>(bytes.data())), m_p(m_begin), m_end(m_p + bytes.size())
    {
        next();
    }
    bool atEnd() const { return m_start < 0; }
    qsizetype start() const { return m_start; }
    int length() const { return m_length; }
    char16_t unit() const { return m_unit; }

    void next()
    {
        if (m_pending) {   // the second escape of a bad pair
            m_unit = m_pending;
            m_pending = 0;
            ++m_start;
            return;
        }
        if (m_p == m_end) {
            m_start = -1;
            return;
        }
        m_start = m_p - m_begin;
        if (*m_p < 0x80) {
            m_unit = *m_p++;
            m_length = 1;
            return;
        }
        const Step step = stepAt(m_p, m_end);
        m_p += step.bytes;
        m_unit = step.units[0];
        m_length = step.count == 2 ? 1 : step.bytes;
        if (step.count == 2)
            m_pending = step.units[1];
    }

private:
    const uchar *m_begin;
    const uchar *m_p;
    const uchar *m_end;
    qsizetype m_start = 0;
    int m_length = 0;
    char16_t m_unit = 0;
    char16_t m_pending = 0;
};

bool hasEscape(QStringView text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return isEscape(c); });
}

} // namespace

QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text)
{
    QList<qsizetype> places;
    // Valid byte forms always read back as written: only escaped bytes can join with their
    // neighbours.
    if (!hasEscape(text))
        return places;
    const EncodeTables &t = tables();
    UnitReader reader(bytes);
    qsizetype at = 0;   // byte where the character j was written
    bool inPlace = false;
    for (qsizetype j = 0; j < text.size();) {
        const char16_t c = text[j].unicode();
        const bool pair = QChar::isHighSurrogate(c) && j + 1 < text.size() && text[j + 1].isLowSurrogate();
        const quint16 form = pair ? 0 : c < 0x80 ? c : t.form[c];
        const char16_t expected = pair || (c >= 0x80 && !form) ? u'?' : c;
        const int length = form >= 0x100 ? 2 : 1;
        while (!reader.atEnd() && reader.start() < at)
            reader.next();
        const bool same = !reader.atEnd() && reader.start() == at && reader.length() == length &&
                          reader.unit() == expected;
        if (!same && !inPlace)
            places.append(j);
        inPlace = !same;
        at += length;
        j += pair ? 2 : 1;
    }
    return places;
}

} // namespace CodePage
