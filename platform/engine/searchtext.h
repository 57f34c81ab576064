#pragma once
// The text a search reads, in place: as the pieces that lie contiguous in memory, one for a
// string, the two sides of the storage's edit gap for a buffer (TextBuffer::chunkAt), so that a
// search copies nothing but the few characters around a seam. Occurrences inside a piece are
// found by the library's search on the piece itself; those across the seam between two pieces,
// in a copy of the characters around it, as long as the search text on either side.
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

class TextBuffer;

class SearchText {
public:
    // The text must outlive this and stay unchanged while it is read.
    explicit SearchText(QStringView text);
    explicit SearchText(const TextBuffer &buffer);

    qsizetype size() const { return m_size; }
    QChar at(qsizetype pos) const;
    // [from, to), copied.
    QString copy(qsizetype from, qsizetype to) const;

    // Down: the first occurrence of what starting at from or later that acceptable(start)
    // takes; up: the last one starting at from or earlier. -1 for none.
    qsizetype find(QStringView what, Qt::CaseSensitivity cs, qsizetype from, bool down,
                   const std::function<bool(qsizetype)> &acceptable) const;

private:
    struct Piece {
        qsizetype start;
        QStringView text;
    };

    const TextBuffer *m_buffer = nullptr;
    QStringView m_text;
    qsizetype m_size;
    QList<Piece> m_pieces;
};
