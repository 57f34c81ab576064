#include "platform/engine/textbytes.h"

#include "platform/base/codepage.h"
#include "platform/base/encodingdetector.h"
#include "platform/engine/textbuffer.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace {

using Break = TextBuffer::Break;

// The kind a break of no kind of its own is written with before the first break that has
// one: that break's; CR LF when the text has none.
Break firstMarkedBreak(const TextBuffer &buffer)
{
    for (qsizetype line = 0; line + 1 < buffer.lineCount(); ++line) {
        if (const Break kind = buffer.breakAfter(line); kind != Break::Typed)
            return kind;
    }
    return Break::CrLf;
}

// Positions in the written text back to buffer positions: each CR LF before a position
// (crlfEnds holds where their LFs stand, ascending) took one character more there.
QList<qsizetype> toBufferPositions(const QList<qsizetype> &positions, const std::vector<qsizetype> &crlfEnds)
{
    QList<qsizetype> out;
    out.reserve(positions.size());
    for (qsizetype at : positions)
        out.append(at - (std::lower_bound(crlfEnds.begin(), crlfEnds.end(), at) - crlfEnds.begin()));
    return out;
}

} // namespace

namespace TextBytes {

bool read(TextBuffer &buffer, QByteArrayView bytes, qsizetype limit)
{
    QList<CodePage::Variant> variants;
    const QString text = CodePage::decode(bytes, &variants);
    if (TextBuffer::lengthOf(text) > limit)
        return false;
    buffer.load(text, variants);
    return true;
}

bool readDetected(TextBuffer &buffer, QByteArrayView bytes, qsizetype limit, Format *format)
{
    const EncodingDetector::DetectedText detected = EncodingDetector::decodeDetected(bytes);
    if (TextBuffer::lengthOf(detected.text) > limit)
        return false;
    buffer.load(detected.text, detected.variants);
    *format = {detected.encoding, detected.bom};
    return true;
}

qint64 memoryToRead(qint64 fileBytes)
{
    constexpr qint64 kPerByte = 1 + 2 + 2;        // the bytes, the decoded text, the buffer
    constexpr qint64 kBytesPerLine = 16;          // a short line, break included
    constexpr qint64 kPerLine = 8 + 1 + 8 + 8;    // line start, break kind, the views' row index
    constexpr qint64 kPerShortLine = kPerByte * kBytesPerLine + kPerLine;
    const qint64 bytes = std::max<qint64>(fileBytes, 0);
    if (bytes > std::numeric_limits<qint64>::max() / kPerShortLine)
        return std::numeric_limits<qint64>::max();
    return bytes * kPerShortLine / kBytesPerLine;
}

// One pass over the lines: each line's characters, then its break in the kind it is to be
// written with; the variants move forward by the CR LF pairs written before them.
//
// A lone CR written right before a lone LF reads back as one CR LF break, one line fewer. A
// typed break that would be that CR is written as CR LF instead, which joins with neither
// neighbour; where both breaks have kinds of their own, no bytes keep them apart, and the
// place goes to changed.
QByteArray write(const TextBuffer &buffer, QList<qsizetype> *unencodable, QList<qsizetype> *changed, Format format)
{
    const qsizetype lines = buffer.lineCount();
    const bool mapBack = unencodable || changed;
    QString out(buffer.length() + lines - 1, Qt::Uninitialized);  // room for a CR LF per break
    char16_t *const begin = reinterpret_cast<char16_t *>(out.data());
    char16_t *dst = begin;
    const QList<CodePage::Variant> inBuffer = buffer.variants();
    QList<CodePage::Variant> variants;
    variants.reserve(inBuffer.size());
    qsizetype nextVariant = 0;
    std::vector<qsizetype> crlfEnds;
    QList<qsizetype> joinedBreaks;  // buffer positions of CR breaks right before LF breaks
    Break carried = firstMarkedBreak(buffer);
    QString scratch;
    for (qsizetype line = 0; line < lines; ++line) {
        const qsizetype start = buffer.lineStart(line);
        const QStringView chars = buffer.lineView(line, scratch);
        const qsizetype shift = (dst - begin) - start;
        dst = std::copy_n(chars.utf16(), chars.size(), dst);
        for (; nextVariant < inBuffer.size() && inBuffer[nextVariant].pos < start + chars.size(); ++nextVariant)
            variants.append(CodePage::Variant{inBuffer[nextVariant].pos + shift, inBuffer[nextVariant].code});
        if (line + 1 == lines)
            break;
        const Break own = buffer.breakAfter(line);
        if (own != Break::Typed)
            carried = own;
        Break kind = carried;
        if (kind == Break::Cr && line + 2 < lines && buffer.lineStart(line + 1) == buffer.lineEnd(line + 1) &&
            buffer.breakAfter(line + 1) == Break::Lf) {
            if (own == Break::Typed)
                kind = Break::CrLf;
            else
                joinedBreaks.push_back(start + chars.size());
        }
        if (kind == Break::CrLf) {
            *dst++ = u'\r';
            if (mapBack)
                crlfEnds.push_back(dst - begin);
            *dst++ = u'\n';
        } else {
            *dst++ = kind == Break::Lf ? u'\n' : u'\r';
        }
    }
    out.truncate(dst - begin);

    QList<qsizetype> written;
    const QByteArray bytes =
        Encodings::encode(format.encoding, out, variants, unencodable ? &written : nullptr, format.bom);
    if (unencodable)
        unencodable->append(toBufferPositions(written, crlfEnds));
    if (changed) {
        const QList<qsizetype> joinedBytes = toBufferPositions(Encodings::readBackChanges(format.encoding, bytes, out, format.bom), crlfEnds);
        std::merge(joinedBytes.begin(), joinedBytes.end(), joinedBreaks.begin(), joinedBreaks.end(),
                   std::back_inserter(*changed));
    }
    return bytes;
}

} // namespace TextBytes
