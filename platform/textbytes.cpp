#include "platform/textbytes.h"

#include "platform/codepage.h"
#include "platform/textbuffer.h"

#include <algorithm>
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

// One pass over the lines: each line's characters, then its break in the kind it is to be
// written with; the variants move forward by the CR LF pairs written before them.
QByteArray write(const TextBuffer &buffer, QList<qsizetype> *unencodable, QList<qsizetype> *changed)
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
        if (const Break kind = buffer.breakAfter(line); kind != Break::Typed)
            carried = kind;
        if (carried == Break::CrLf) {
            *dst++ = u'\r';
            if (mapBack)
                crlfEnds.push_back(dst - begin);
            *dst++ = u'\n';
        } else {
            *dst++ = carried == Break::Lf ? u'\n' : u'\r';
        }
    }
    out.truncate(dst - begin);

    QList<qsizetype> written;
    const QByteArray bytes = CodePage::encode(out, variants, unencodable ? &written : nullptr);
    if (unencodable)
        unencodable->append(toBufferPositions(written, crlfEnds));
    if (changed)
        changed->append(toBufferPositions(CodePage::readBackChanges(bytes, out), crlfEnds));
    return bytes;
}

} // namespace TextBytes
