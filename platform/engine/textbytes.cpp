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

// The most bytes a character of the buffer is written as: a unit of a pair takes half of
// what the pair does, and a break, written as CR LF, a byte or unit for each.
qsizetype mostBytesPerCharacter(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Cp932: return 2;
    case Encoding::Utf8:
    case Encoding::Utf8Bom:
    case Encoding::EucJp: return 3;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: return 4;
    }
    return 4;
}

// The text as written, a chunk at a time, into bytes: each chunk is encoded with the byte
// forms of its characters and checked for read-back alone, its positions told back in the
// buffer's terms.
class ChunkWriter {
public:
    ChunkWriter(const TextBuffer &buffer, TextBytes::Format format, const TextBytes::Sink &put,
                QList<qsizetype> *unencodable, QList<qsizetype> *changed)
        : m_buffer(buffer), m_format(format), m_put(put), m_unencodable(unencodable), m_changed(changed)
    {
    }

    qsizetype size() const { return m_text.size(); }
    bool evenEscapes() const { return (m_escapes + m_chunkEscapes) % 2 == 0; }

    void append(QStringView chars)
    {
        m_text.append(chars);
        const char16_t *const units = chars.utf16();
        for (qsizetype i = 0; i < chars.size(); ++i)
            m_chunkEscapes += isByteEscape(units[i]);
    }
    void appendBreak(Break kind)
    {
        if (kind == Break::CrLf) {
            m_text.append(u'\r');
            m_crlfEnds.push_back(m_text.size());
            m_text.append(u'\n');
        } else {
            m_text.append(kind == Break::Lf ? u'\n' : u'\r');
        }
    }
    // A CR break of the file's own at pos, right before an LF break of its own.
    void joinedBreak(qsizetype pos) { m_joinedBreaks.append(pos); }

    // Encodes the chunk, which ends before buffer position to, and hands its bytes on; false
    // when they were refused.
    bool flush(qsizetype to)
    {
        QList<qsizetype> written;
        const bool first = m_from == 0;
        const QByteArray bytes = Encodings::encode(m_format.encoding, m_text, variants(to),
                                                   m_unencodable ? &written : nullptr, first && m_format.bom);
        if (m_unencodable)
            m_unencodable->append(toBufferPositions(written));
        if (m_changed) {
            QList<qsizetype> joined;
            if (m_chunkEscapes > 0)
                joined = toBufferPositions(Encodings::readBackChanges(m_format.encoding, bytes, m_text, first && m_format.bom));
            std::merge(joined.begin(), joined.end(), m_joinedBreaks.begin(), m_joinedBreaks.end(),
                       std::back_inserter(*m_changed));
        }
        m_text.truncate(0);
        m_escapes += m_chunkEscapes;
        m_chunkEscapes = 0;
        m_crlfEnds.clear();
        m_joinedBreaks.clear();
        m_from = to;
        return m_put(bytes);
    }

private:
    // U+EF00..U+EFFF: every escape of every encoding is among them (UTF-16 writes each as one
    // byte), and only escapes can read back joined with a neighbour.
    static bool isByteEscape(char16_t c) { return (c & 0xFF00) == 0xEF00; }

    // The byte forms of the chunk's characters, at their positions in the chunk as written:
    // each CR LF before one took a character more.
    QList<CodePage::Variant> variants(qsizetype to) const
    {
        QList<CodePage::Variant> forms = m_buffer.variants(m_from, to);
        size_t crlf = 0;
        for (CodePage::Variant &form : forms) {
            // the k-th CR LF (from 0) stands at m_crlfEnds[k] - 1 - k in the buffer's terms
            while (crlf < m_crlfEnds.size() && m_crlfEnds[crlf] - 1 - qsizetype(crlf) < form.pos)
                ++crlf;
            form.pos += qsizetype(crlf);
        }
        return forms;
    }

    // Positions in the chunk as written back to buffer positions.
    QList<qsizetype> toBufferPositions(const QList<qsizetype> &positions) const
    {
        QList<qsizetype> out;
        out.reserve(positions.size());
        for (qsizetype at : positions)
            out.append(m_from + at - (std::lower_bound(m_crlfEnds.begin(), m_crlfEnds.end(), at) - m_crlfEnds.begin()));
        return out;
    }

    const TextBuffer &m_buffer;
    const TextBytes::Format m_format;
    const TextBytes::Sink &m_put;
    QList<qsizetype> *const m_unencodable;
    QList<qsizetype> *const m_changed;
    QString m_text;                      // the chunk as written
    std::vector<qsizetype> m_crlfEnds;   // where the LFs of CR LF breaks stand in m_text
    QList<qsizetype> m_joinedBreaks;     // buffer positions, in the chunk
    qsizetype m_from = 0;                // the buffer position the chunk starts at
    qsizetype m_escapes = 0;             // characters written as one byte each, before the chunk
    qsizetype m_chunkEscapes = 0;        // the same in the chunk
};

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

// One pass over the text, a chunk at a time: each line's characters, then its break in the
// kind it is to be written with, into a chunk of the text as written, which is encoded and
// checked for read-back once it ends at a break past chunkChars characters. Breaks are bytes
// of their own in every encoding (no byte sequence takes a CR or LF into a character), so the
// decoder is in step again at each of them; in UTF-16 only while an even number of escapes,
// written as one byte each, came before. The check therefore sees each chunk alone as it sees
// the whole text, and nothing the size of the whole text is made but the bytes.
//
// A lone CR written right before a lone LF reads back as one CR LF break, one line fewer. A
// typed break that would be that CR is written as CR LF instead, which joins with neither
// neighbour; where both breaks have kinds of their own, no bytes keep them apart, and the
// place goes to changed.
bool write(const TextBuffer &buffer, const Sink &put, QList<qsizetype> *unencodable, QList<qsizetype> *changed,
           Format format, qsizetype chunkChars)
{
    ChunkWriter writer(buffer, format, put, unencodable, changed);
    const qsizetype length = buffer.length();
    const bool utf16 = format.encoding == Encoding::Utf16Le || format.encoding == Encoding::Utf16Be;
    Break carried = firstMarkedBreak(buffer);
    qsizetype line = 0;
    for (qsizetype pos = 0; pos < length;) {
        const QStringView piece = buffer.chunkAt(pos);
        const qsizetype breakAt = piece.indexOf(QChar(TextBuffer::kBreak));
        writer.append(breakAt < 0 ? piece : piece.first(breakAt));
        if (breakAt < 0) {
            pos += piece.size();  // the piece ended at the gap, not at a break
            continue;
        }
        pos += breakAt;
        const Break own = buffer.breakAfter(line);
        if (own != Break::Typed)
            carried = own;
        Break kind = carried;
        if (kind == Break::Cr && pos + 1 < length && buffer.at(pos + 1) == TextBuffer::kBreak &&
            buffer.breakAfter(line + 1) == Break::Lf) {
            if (own == Break::Typed)
                kind = Break::CrLf;
            else
                writer.joinedBreak(pos);
        }
        writer.appendBreak(kind);
        ++pos;
        ++line;
        if (writer.size() >= chunkChars && (!utf16 || writer.evenEscapes()) && !writer.flush(pos))
            return false;
    }
    return writer.flush(length);
}

QByteArray write(const TextBuffer &buffer, QList<qsizetype> *unencodable, QList<qsizetype> *changed, Format format,
                 qsizetype chunkChars)
{
    QByteArray bytes;
    // Room for the most the text can take, reserved but not touched: growing would copy.
    bytes.reserve(mostBytesPerCharacter(format.encoding) * buffer.length() + 4);
    write(buffer, [&bytes](QByteArrayView piece) { bytes.append(piece); return true; }, unencodable, changed,
          format, chunkChars);
    bytes.squeeze();
    return bytes;
}
} // namespace TextBytes
