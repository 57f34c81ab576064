#pragma once
// One line of text laid out at a width: where its rows start, where each offset stands, which
// offset a point hits, and painting a row. Lines of simple characters (TextStyle::isSimple)
// are measured with cached advances; others go through QTextLayout. Both break rows the
// same way, where CharClass lets a row break (after blanks, at CJK characters, with the
// rules of Japanese line breaking), and anywhere in a word longer than the width; a row holds
// at least one character, and blanks at its end may hang past the width.
//
// Offsets count code units from the start of the line (0..length). An offset at a row
// boundary belongs to the later row, except the line's end, which belongs to its last row;
// asked for its upper row, it is the end of the earlier row (where End puts the caret).
#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>
#include <QStringView>
#include <memory>

class QPainter;
class TextStyle;

class LineLayout {
public:
    // text is copied. width <= 0 or wrap off: one row, however long.
    LineLayout(const TextStyle &style, QStringView text, qreal width, bool wrap);
    ~LineLayout();
    LineLayout(LineLayout &&) noexcept;
    LineLayout &operator=(LineLayout &&) noexcept;

    // Rows the line takes, counted without building a layout (what a row index needs).
    static int countRows(const TextStyle &style, QStringView text, qreal width, bool wrap);
    // Lines laid out so far in the program: what tests and benchmarks read to see that a line
    // on screen is laid out once.
    static qint64 layoutsMade();

    int length() const;
    int rowCount() const;
    int rowStart(int row) const;
    // End of a row's text (the next row's start, or length()).
    int rowEnd(int row) const;
    int rowOfOffset(int offset, bool upper = false) const;
    // x of an offset in the given row, from the row's left edge.
    qreal xOfOffset(int row, int offset) const;
    // Width of a row's text, spaces at its end included.
    qreal rowWidth(int row) const;
    // The offset nearest to x in a row (a position between characters, not inside a cluster
    // nor between a half-width kana and its sound mark).
    int offsetAtX(int row, qreal x) const;

    // A stretch of the line painted in other colours (a selection) or underlined (text
    // being composed by an input method).
    struct Highlight {
        int from = 0;
        int to = 0;
        QColor text;        // invalid: the painter's pen
        QColor background;  // invalid: none
        bool underline = false;
    };
    // Paints a row with its top-left at topLeft in the painter's current pen. Escapes
    // (U+EF80..U+EFFF) are painted as their byte in hex in a box.
    void paintRow(QPainter &painter, int row, QPointF topLeft, const QList<Highlight> &highlights = {}) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
