#include "platform/base/utf16codec.h"

#include "platform/base/codecstep.h"

namespace {

using CodecStep::Step;

bool isByteEscape(char32_t c) { return (c & ~char32_t(0xFF)) == CodecStep::kEscapeBase; }

char16_t unitAt(const uchar *p, bool bigEndian)
{
    return bigEndian ? char16_t(p[0] << 8 | p[1]) : char16_t(p[1] << 8 | p[0]);
}

Step utf16Step(const uchar *p, const uchar *end, bool bigEndian)
{
    if (end - p < 2)
        return CodecStep::escape(p[0]);
    const char16_t u = unitAt(p, bigEndian);
    if (isByteEscape(u)) {
        const char32_t e = CodecStep::kEscapeBase;
        return {{e + p[0], e + p[1], 0}, {1, 1, 0}, 2};
    }
    if (QChar::isHighSurrogate(u) && end - p >= 4) {
        const char16_t low = unitAt(p + 2, bigEndian);
        if (QChar::isLowSurrogate(low))
            return CodecStep::one(QChar::surrogateToUcs4(u, low), 4);
    }
    return CodecStep::one(u, 2);
}

CodecStep::Written utf16Written(char32_t ch)
{
    if (isByteEscape(ch))
        return {1, ch};
    return {ch >= 0x10000 ? 4 : 2, ch};
}

} // namespace

namespace Utf16Codec {

QString decode(QByteArrayView bytes, bool bigEndian)
{
    const qsizetype n = bytes.size();
    QString text(n / 2 + n % 2, Qt::Uninitialized);
    char16_t *const base = reinterpret_cast<char16_t *>(text.data());
    char16_t *out = base;
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + n;
    for (; end - p >= 2; p += 2) {
        const char16_t u = unitAt(p, bigEndian);
        if (isByteEscape(u)) {
            break;
        }
        *out++ = u;
    }
    if (p == end) {
        text.truncate(out - base);
        return text;
    }
    // An escape: from here on one unit may become two, so the rest goes to a second buffer.
    QString rest;
    rest.reserve(end - p);
    for (; end - p >= 2; p += 2) {
        const char16_t u = unitAt(p, bigEndian);
        if (isByteEscape(u)) {
            rest.append(QChar(char16_t(CodecStep::kEscapeBase + p[0])));
            rest.append(QChar(char16_t(CodecStep::kEscapeBase + p[1])));
        } else {
            rest.append(QChar(u));
        }
    }
    if (p < end)
        rest.append(QChar(char16_t(CodecStep::kEscapeBase + *p)));
    text.truncate(out - base);
    return text + rest;
}

QByteArray encode(QStringView text, bool bigEndian)
{
    const qsizetype n = text.size();
    QByteArray bytes(2 * n, Qt::Uninitialized);
    uchar *const base = reinterpret_cast<uchar *>(bytes.data());
    uchar *out = base;
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (isByteEscape(c)) {
            *out++ = uchar(c);
        } else if (bigEndian) {
            *out++ = uchar(c >> 8);
            *out++ = uchar(c);
        } else {
            *out++ = uchar(c);
            *out++ = uchar(c >> 8);
        }
    }
    bytes.truncate(out - base);
    return bytes;
}

QList<qsizetype> readBackChanges(QByteArrayView bytes, QStringView text, bool bigEndian)
{
    const auto step = [bigEndian](const uchar *p, const uchar *end) { return utf16Step(p, end, bigEndian); };
    return CodecStep::readBackChanges(bytes, text, step, utf16Written);
}

} // namespace Utf16Codec
