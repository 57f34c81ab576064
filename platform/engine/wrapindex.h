#pragma once
// The displayed rows of one view of a text: how many rows each line takes at the view's
// width, with wrap on or off, and the conversions between rows and positions. Each view has
// its own. Rows are counted from the first line on by a thread of their own (RowCounter),
// handed copies of the lines batch by batch; the results are taken in order on the index's
// thread, and those of lines that changed or moved since are dropped. Until a line is counted
// it is taken as one row. A question about a line or row beyond what is counted counts up to
// it first, on the index's thread, so answers are always exact. Edits recount only the lines
// they touch. It keeps the view's laid-out lines too (LayoutCache):
// the view paints and hit-tests with the layouts rows are read from.
#include <QObject>
#include <memory>

class LineLayout;
class TextBuffer;
class TextStyle;

class WrapIndex : public QObject {
    Q_OBJECT
public:
    WrapIndex(const TextBuffer *buffer, QObject *parent = nullptr);
    ~WrapIndex() override;

    // Any of these restarts the count. style must outlive the index or the next call.
    void setStyle(const TextStyle *style);
    void setWidth(qreal width);
    void setWrap(bool wrap);
    bool wrap() const;

    // Exact, counting to the end first when needed.
    qsizetype rowCount();
    // Rows as counted so far plus one for each line not yet counted: what a scroll bar shows
    // while counting goes on.
    qsizetype estimatedRowCount() const;
    bool isCounting() const;

    // The first row of a line, and the line of a row, as counted so far (lines not counted yet
    // taken as they stand): what a scroll bar shows while the count goes on, at no cost.
    // Exact once the count has passed the line.
    qsizetype estimatedFirstRowOfLine(qsizetype line) const;
    qsizetype estimatedLineOfRow(qsizetype row) const;

    qsizetype lineOfRow(qsizetype row);
    // The row holding pos (a position at a row boundary is in the later row).
    qsizetype rowOfPosition(qsizetype pos);
    // First position of a row; length() of the text past the last row.
    qsizetype rowStart(qsizetype row);

    // A line laid out at the index's style (set first), width and wrap, from the cache shared
    // with the view; held by the pointer, it outlives the cache's emptying.
    std::shared_ptr<LineLayout> layout(qsizetype line);
    // Lines the cache keeps: a screenful and some.
    void setLayoutCapacity(int lines);

signals:
    // The estimate changed (more lines counted, or an edit changed rows).
    void rowsChanged();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
