#include "platform/base/utf8codec.h"

#include "platform/base/codecstep.h"

#include <algorithm>

namespace {

using CodecStep::Step;

bool isContinuation(uchar b) { return (b & 0xC0) == 0x80; }

// What a lead byte begins (RFC 3629 table): the sequence's length (0 for a byte that begins
// none), the bits it gives, and the range of the byte after it.
struct Lead {
    int length = 0;
    char32_t bits = 0;
    uchar low = 0x80, high = 0xBF;
};

Lead leadOf(uchar b)
{
    Lead lead;
    if (b >= 0xC2 && b <= 0xDF) {
        lead = {2, char32_t(b & 0x1F)};
    } else if (b >= 0xE0 && b <= 0xEF) {
        lead = {3, char32_t(b & 0x0F)};
        if (b == 0xE0)
            lead.low = 0xA0;
        else if (b == 0xED)
            lead.high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        lead = {4, char32_t(b & 0x07)};
        if (b == 0xF0)
            lead.low = 0x90;
        else if (b == 0xF4)
            lead.high = 0x8F;
    }
    return lead;
}

// The well-formed sequence at p, or an escape for its first byte.
Step utf8Step(const uchar *p, const uchar *end)
{
    const uchar b = p[0];
    if (b < 0x80)
        return CodecStep::one(b, 1);
    const Lead lead = leadOf(b);
    const int length = lead.length;
    if (length == 0 || end - p < length || p[1] < lead.low || p[1] > lead.high)
        return CodecStep::escape(b);
    char32_t ch = lead.bits;
    for (int i = 1; i < length; ++i) {
        if (!isContinuation(p[i]))
            return CodecStep::escape(b);
        ch = ch << 6 | (p[i] & 0x3F);
    }
    if (ch >= 0xEF80 && ch <= 0xEFFF)  // the file's own escape-range character
        return CodecStep::escape(b);
    return CodecStep::one(ch, length);
}

// True when the bytes from p to the end begin a well-formed sequence that the end cuts short,
// as in a file cut off in the middle of its last character.
bool isCutShort(const uchar *p, const uchar *end)
{
    const Lead lead = leadOf(p[0]);
    const qsizetype left = end - p;
    if (left >= lead.length)  // a byte that begins nothing, too
        return false;
    if (left >= 2 && (p[1] < lead.low || p[1] > lead.high))
        return false;
    return left < 3 || isContinuation(p[2]);
}

bool isEscape(char16_t c) { return c >= 0xEF80 && c <= 0xEFFF; }

// A well-formed sequence for U+EF80..U+EFFF, which reads as escapes yet is valid UTF-8.
bool isOwnEscapeRange(const uchar *p, const uchar *end)
{
    return end - p >= 3 && p[0] == 0xEE && (p[1] == 0xBE || p[1] == 0xBF) && isContinuation(p[2]);
}

CodecStep::Written utf8Written(char32_t ch)
{
    if (ch < 0x80)
        return {1, ch};
    if (ch < 0x800)
        return {2, ch};
    if (ch < 0x10000) {
        if (isEscape(char16_t(ch)))
            return {1, ch};
        if (QChar::isSurrogate(ch))
            return {1, U'?'};
        return {3, ch};
    }
    return {4, ch};
}

} // namespace

namespace Utf8Codec {

QString decode(QByteArrayView bytes)
{
    return decodeUntil(bytes, false, nullptr);
}

QString decodeUntil(QByteArrayView bytes, bool stopAtInvalid, Scan *scan)
{
    Scan found;
    const qsizetype n = bytes.size();
    QString text(n, Qt::Uninitialized);  // never more units than bytes
    char16_t *const base = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = base;
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + n;
    while (p < end) {
        const uchar b = *p;
        if (b < 0x80) {
            CodecStep::widenAscii(p, end, out);
            continue;
        }
        // Japanese text is mostly three-byte sequences: read those without the general step.
        if ((b & 0xF0) == 0xE0 && end - p >= 3 && isContinuation(p[1]) && isContinuation(p[2])) {
            const char16_t ch = char16_t((b & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
            if (ch >= 0x800 && !QChar::isSurrogate(ch) && !isEscape(ch)) {
                *out++ = ch;
                p += 3;
                found.longest = std::max(found.longest, 3);
                continue;
            }
        }
        if (isOwnEscapeRange(p, end)) {  // well-formed, but kept as the bytes it is
            for (int i = 0; i < 3; ++i)
                *out++ = char16_t(CodecStep::kEscapeBase + *p++);
            found.longest = 3;
            continue;
        }
        const Step step = utf8Step(p, end);
        const char32_t ch = step.chars[0];
        if (step.lengths[0] == 1 && isCutShort(p, end)) {
            found.cutAtEnd = true;
            while (p < end)
                *out++ = char16_t(CodecStep::kEscapeBase + *p++);
            break;
        }
        if (step.lengths[0] == 1) {
            found.valid = false;
            if (stopAtInvalid)
                break;
        }
        found.longest = std::max<int>(found.longest, step.lengths[0]);
        if (ch >= 0x10000) {
            *out++ = QChar::highSurrogate(ch);
            *out++ = QChar::lowSurrogate(ch);
        } else {
            *out++ = char16_t(ch);
        }
        p += step.lengths[0];
    }
    if (scan)
        *scan = found;
    if (!found.valid && stopAtInvalid)
        return QString();
    text.truncate(out - base);
    return text;
}

QByteArray encode(QStringView text, QList<qsizetype> *unencodable)
{
    const qsizetype n = text.size();
    QByteArray bytes(3 * n, Qt::Uninitialized);  // at most 3 bytes per unit
    uchar *const base = reinterpret_cast<uchar *>(bytes.data());
    uchar *out = base;
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + n;
    const char16_t *s = begin;
    while (s < end) {
        const char16_t c = *s;
        if (c < 0x80) {
            CodecStep::narrowAscii(s, end, out);
            continue;
        }
        if (c < 0x800) {
            *out++ = uchar(0xC0 | c >> 6);
            *out++ = uchar(0x80 | (c & 0x3F));
        } else if (isEscape(c)) {
            *out++ = uchar(c);
        } else if (QChar::isHighSurrogate(c) && end - s >= 2 && QChar::isLowSurrogate(s[1])) {
            const char32_t ch = QChar::surrogateToUcs4(c, s[1]);
            *out++ = uchar(0xF0 | ch >> 18);
            *out++ = uchar(0x80 | (ch >> 12 & 0x3F));
            *out++ = uchar(0x80 | (ch >> 6 & 0x3F));
            *out++ = uchar(0x80 | (ch & 0x3F));
            ++s;
        } else if (QChar::isSurrogate(c)) {
            *out++ = '?';
            if (unencodable)
                unencodable->append(s - begin);
        } else {
            *out++ = uchar(0xE0 | c >> 12);
            *out++ = uchar(0x80 | (c >> 6 & 0x3F));
            *out++ = uchar(0x80 | (c & 0x3F));
        }
        ++s;
    }
    bytes.truncate(out - base);
    return bytes;
}

QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text)
{
    return CodecStep::readBackChanges(bytes, text, utf8Step, utf8Written);
}

Scan scan(QByteArrayView bytes)
{
    Scan result;
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const Step step = utf8Step(p, end);
        if (step.lengths[0] == 1 && isCutShort(p, end)) {
            result.cutAtEnd = true;
            break;
        }
        // An escape is one byte that is not a sequence, except a well-formed U+EF80..U+EFFF.
        if (step.lengths[0] == 1 && !isOwnEscapeRange(p, end)) {
            result.valid = false;
            return result;
        }
        const int length = step.lengths[0] == 1 ? 3 : step.lengths[0];
        result.longest = std::max(result.longest, length);
        p += length;
    }
    return result;
}

} // namespace Utf8Codec
