#include "platform/base/eucjpcodec.h"

#include "platform/base/codecstep.h"

#include <algorithm>
#include <cstring>

namespace {

using CodecStep::Step;

constexpr int kCells = 94;

bool isJisByte(uchar b) { return b >= 0xA1 && b <= 0xFE; }
bool isKanaByte(uchar b) { return b >= 0xA1 && b <= 0xDF; }

// The Shift-JIS code of JIS X 0208 row and cell (both from 1).
quint16 shiftJisOf(int row, int cell)
{
    const int lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
    const int trail = row % 2 ? cell + (cell <= 63 ? 0x3F : 0x40) : cell + 0x9E;
    return quint16(lead << 8 | trail);
}

bool isIbmRow(int row) { return row >= 89 && row <= 92; }

// Both directions, derived from the CP932 tables once.
struct Tables {
    char16_t pair[kCells * kCells];  // by (lead - 0xA1) * 94 + trail - 0xA1; 0 = unassigned
    // Bytes written for each UTF-16 unit: 0 = none, below 0x100 one byte, else a pair.
    quint16 form[0x10000];

    Tables()
    {
        std::memset(pair, 0, sizeof pair);
        std::memset(form, 0, sizeof form);
        for (int row = 1; row <= kCells; ++row) {
            for (int cell = 1; cell <= kCells; ++cell) {
                const quint16 sjis = shiftJisOf(row, cell);
                const char bytes[2] = {char(sjis >> 8), char(sjis & 0xFF)};
                const QString ch = CodePage::decode(QByteArrayView(bytes, 2));
                if (ch.size() == 1 && !CodePage::isEscape(ch[0]))
                    pair[(row - 1) * kCells + cell - 1] = ch[0].unicode();
            }
        }
        for (int b = 1; b < 0x80; ++b)
            form[b] = quint16(b);
        for (int b = 0xA1; b <= 0xDF; ++b)
            form[0xFF61 + b - 0xA1] = quint16(0x8E00 | b);
        // The lowest form outside IBM's rows, which repeat characters found elsewhere.
        addPairs(false);
        addPairs(true);
        for (int b = 0x80; b < 0x100; ++b)
            form[CodecStep::kEscapeBase + b] = quint16(b);
    }

    void addPairs(bool ibmRows)
    {
        for (int i = 0; i < kCells * kCells; ++i) {
            const char16_t ch = pair[i];
            if (ch && isIbmRow(i / kCells + 1) == ibmRows && !form[ch])
                form[ch] = quint16((0xA1 + i / kCells) << 8 | (0xA1 + i % kCells));
        }
    }

    char16_t decodePair(quint16 code) const
    {
        const uchar lead = uchar(code >> 8), trail = uchar(code);
        return isJisByte(lead) && isJisByte(trail) ? pair[(lead - 0xA1) * kCells + trail - 0xA1] : 0;
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

Step eucStep(const Tables &t, const uchar *p, const uchar *end)
{
    const uchar b = p[0];
    if (b < 0x80)
        return CodecStep::one(b, 1);
    const qsizetype left = end - p;
    if (b == 0x8E && left >= 2 && isKanaByte(p[1]))
        return CodecStep::one(0xFF61 + p[1] - 0xA1, 2);
    if (b == 0x8F && left >= 3 && isJisByte(p[1]) && isJisByte(p[2])) {
        const char32_t e = CodecStep::kEscapeBase;
        return {{e + b, e + p[1], e + p[2]}, {1, 1, 1}, 3};
    }
    if (isJisByte(b) && left >= 2 && isJisByte(p[1])) {
        if (const char16_t ch = t.pair[(b - 0xA1) * kCells + p[1] - 0xA1])
            return CodecStep::one(ch, 2);
        const char32_t e = CodecStep::kEscapeBase;
        return {{e + b, e + p[1], 0}, {1, 1, 0}, 2};
    }
    return CodecStep::escape(b);
}

// True when the bytes from p to the end begin a sequence that the end cuts short, as in a file
// cut off in the middle of its last character.
bool isCutShort(const uchar *p, const uchar *end)
{
    const qsizetype left = end - p;
    if (p[0] == 0x8F)
        return left == 1 || (left == 2 && isJisByte(p[1]));
    return left == 1 && (p[0] == 0x8E || isJisByte(p[0]));
}

} // namespace

namespace EucJpCodec {

QString decode(QByteArrayView bytes, QList<CodePage::Variant> *variants)
{
    const Tables &t = tables();
    const qsizetype n = bytes.size();
    QString text(n, Qt::Uninitialized);  // never more units than bytes
    char16_t *const base = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = base;
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + n;
    while (p < end) {
        if (*p < 0x80) {
            CodecStep::widenAscii(p, end, out);
            continue;
        }
        const Step step = eucStep(t, p, end);
        if (variants && step.count == 1 && step.lengths[0] == 2 && p[0] != 0x8E) {
            const quint16 code = quint16(p[0] << 8 | p[1]);
            if (t.form[step.chars[0]] != code)
                variants->append({out - base, code});
        }
        for (int i = 0; i < step.count; ++i) {
            *out++ = char16_t(step.chars[i]);
            p += step.lengths[i];
        }
    }
    text.truncate(out - base);
    return text;
}

QByteArray encode(QStringView text, const QList<CodePage::Variant> &variants, QList<qsizetype> *unencodable)
{
    const Tables &t = tables();
    CodecStep::VariantCursor cursor(variants, [&t](quint16 code) { return t.decodePair(code); });
    return CodecStep::encodeForms(text, unencodable, [&t, &cursor](qsizetype pos, char16_t c) {
        const quint16 variant = pos >= cursor.next() ? cursor.take(pos, c) : 0;
        return variant ? variant : t.form[c];
    });
}

bool canEncode(char32_t ch)
{
    return ch < 0x80 || (ch < 0x10000 && tables().form[ch] != 0);
}

QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text)
{
    const Tables &t = tables();
    const auto step = [&t](const uchar *p, const uchar *end) { return eucStep(t, p, end); };
    const auto written = [&t](char32_t ch) -> CodecStep::Written {
        if (ch < 0x80)
            return {1, ch};
        const quint16 f = ch < 0x10000 ? t.form[ch] : 0;
        if (f >= 0x100)
            return {2, ch};
        return f ? CodecStep::Written{1, ch} : CodecStep::Written{1, U'?'};
    };
    return CodecStep::readBackChanges(bytes, text, step, written);
}

bool isValid(QByteArrayView bytes, bool cutShortAtEnd)
{
    const Tables &t = tables();
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Step step = eucStep(t, p, end);
        const bool jisX0212 = step.count == 3;
        if (!jisX0212 && (step.count != 1 || step.lengths[0] == 1))
            return cutShortAtEnd && isCutShort(p, end);
        for (int i = 0; i < step.count; ++i)
            p += step.lengths[i];
    }
    return true;
}

} // namespace EucJpCodec
