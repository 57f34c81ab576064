#include "platform/engine/searchtext.h"

#include "platform/engine/textbuffer.h"

#include <algorithm>

namespace {

// Occurrences in text, which starts at offset, that start in [lo, hi], in the direction.
qsizetype findIn(QStringView text, qsizetype offset, qsizetype lo, qsizetype hi, QStringView what,
                 Qt::CaseSensitivity cs, bool down, const std::function<bool(qsizetype)> &acceptable)
{
    if (lo > hi)
        return -1;
    if (down) {
        for (qsizetype at = text.indexOf(what, lo - offset, cs); at >= 0 && offset + at <= hi;
             at = text.indexOf(what, at + 1, cs)) {
            if (acceptable(offset + at))
                return offset + at;
        }
        return -1;
    }
    for (qsizetype at = text.lastIndexOf(what, hi - offset, cs); at >= 0 && offset + at >= lo;
         at = at == 0 ? -1 : text.lastIndexOf(what, at - 1, cs)) {
        if (acceptable(offset + at))
            return offset + at;
    }
    return -1;
}

} // namespace

SearchText::SearchText(QStringView text) : m_text(text), m_size(text.size())
{
    if (!text.isEmpty())
        m_pieces.append({0, text});
}

SearchText::SearchText(const TextBuffer &buffer) : m_buffer(&buffer), m_size(buffer.length())
{
    for (qsizetype pos = 0; pos < m_size; pos += m_pieces.last().text.size())
        m_pieces.append({pos, buffer.chunkAt(pos)});
}

QChar SearchText::at(qsizetype pos) const
{
    return m_buffer ? m_buffer->at(pos) : m_text[pos];
}

QString SearchText::copy(qsizetype from, qsizetype to) const
{
    return m_buffer ? m_buffer->text(from, to) : m_text.mid(from, to - from).toString();
}

// Each start lies in one piece: an occurrence from it ends in that piece or crosses the seam
// after it. So each piece is searched for the first kind and, up to the next piece, a window
// over its seam for the second; down, the piece before its seam, up, the other way round.
qsizetype SearchText::find(QStringView what, Qt::CaseSensitivity cs, qsizetype from, bool down,
                           const std::function<bool(qsizetype)> &acceptable) const
{
    const qsizetype len = what.size();
    const qsizetype count = m_pieces.size();
    for (qsizetype k = 0; k < count; ++k) {
        const Piece &piece = m_pieces[down ? k : count - 1 - k];
        const qsizetype end = piece.start + piece.text.size();
        // Starts in this piece, limited by from.
        const qsizetype lo = down ? std::max(piece.start, from) : piece.start;
        const qsizetype hi = down ? end - 1 : std::min(end - 1, from);
        const auto inPiece = [&] {
            return findIn(piece.text, piece.start, lo, std::min(hi, end - len), what, cs, down, acceptable);
        };
        const auto acrossSeam = [&]() -> qsizetype {
            const qsizetype first = std::max(lo, end - len + 1);
            if (end == m_size || first > hi)
                return -1;
            const QString window = copy(first, std::min(m_size, end + len - 1));
            return findIn(window, first, first, hi, what, cs, down, acceptable);
        };
        qsizetype at = down ? inPiece() : acrossSeam();
        if (at < 0)
            at = down ? acrossSeam() : inPiece();
        if (at >= 0)
            return at;
    }
    return -1;
}
