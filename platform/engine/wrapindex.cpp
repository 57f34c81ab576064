#include "platform/engine/wrapindex.h"

#include "platform/engine/layoutcache.h"
#include "platform/engine/linelayout.h"
#include "platform/engine/partitioning.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textstyle.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {

constexpr qint64 kSliceNs = 20 * 1000 * 1000;
// Lines counted between two looks at the clock: a look costs about as much as a short line.
constexpr int kLinesPerClockCheck = 32;
// An edit that brings more lines than this into the counted part leaves them, and what
// follows, to the idle count rather than counting them at once.
constexpr qsizetype kRecountLimit = 2000;

} // namespace

struct WrapIndex::Private {
    WrapIndex *q = nullptr;
    const TextBuffer *buffer = nullptr;
    const TextStyle *style = nullptr;
    qreal width = 0;
    bool wrap = true;
    // Partition = line, position = first row. Lines [0, counted) hold their real row count;
    // the others one row each, or a count from before an edit elsewhere (still right, and
    // a better estimate), until the idle count reaches them.
    Partitioning rows;
    qsizetype counted = 0;
    bool estimateChanged = false;  // by counting done for a query, reported by the next slice
    QTimer idle;
    QString scratch;
    // The layouts of the lines a view shows, which rows within a line are read from.
    LayoutCache layouts;

    explicit Private(const TextBuffer *text) : buffer(text), layouts(text) {}

    bool counts() const { return wrap && style && width > 0; }
    qsizetype lines() const { return rows.partitions(); }
    qsizetype total() const { return rows.positionFromPartition(rows.partitions()); }
    qsizetype rowsOf(qsizetype line) const
    {
        return rows.positionFromPartition(line + 1) - rows.positionFromPartition(line);
    }

    void restart();
    void setRows(qsizetype line, qsizetype count);
    void countNext();
    void countLinesTo(qsizetype line);
    void countRowsTo(qsizetype row);
    void slice();
    void changed(const TextBuffer::Change &change);
    void scheduleIdle();
};

// Every line one row; with wrapping, counting starts again from the first line.
void WrapIndex::Private::restart()
{
    rows.reset(buffer->lineCount(), 1);
    counted = counts() ? 0 : lines();
    layouts.configure(style, width, wrap);
    scheduleIdle();
    emit q->rowsChanged();
}

void WrapIndex::Private::setRows(qsizetype line, qsizetype count)
{
    const qsizetype delta = count - rowsOf(line);
    if (delta != 0)
        rows.insertText(line, delta);
}

void WrapIndex::Private::countNext()
{
    const QStringView text = buffer->lineView(counted, scratch);
    setRows(counted, LineLayout::countRows(*style, text, width, wrap));
    ++counted;
}

// Counts through line.
void WrapIndex::Private::countLinesTo(qsizetype line)
{
    const qsizetype before = counted;
    while (counted <= line && counted < lines())
        countNext();
    if (counted != before) {
        estimateChanged = true;
        scheduleIdle();
    }
}

// Counts until row lies within the counted lines (or everything is counted): rows there
// are exact, and uncounted lines below cannot move them.
void WrapIndex::Private::countRowsTo(qsizetype row)
{
    const qsizetype before = counted;
    while (counted < lines() && rows.positionFromPartition(counted) <= row)
        countNext();
    if (counted != before) {
        estimateChanged = true;
        scheduleIdle();
    }
}

void WrapIndex::Private::slice()
{
    QElapsedTimer clock;
    clock.start();
    const qsizetype rowsBefore = total();
    int sinceCheck = 0;
    while (counted < lines()) {
        countNext();
        if (++sinceCheck == kLinesPerClockCheck) {
            sinceCheck = 0;
            if (clock.nsecsElapsed() >= kSliceNs)
                break;
        }
    }
    if (counted >= lines())
        idle.stop();
    if (total() != rowsBefore || estimateChanged) {
        estimateChanged = false;
        emit q->rowsChanged();
    }
}

void WrapIndex::Private::scheduleIdle()
{
    if ((counted < lines() || estimateChanged) && !idle.isActive())
        idle.start();
}

// Old lines [first, first + linesRemoved] became new lines [first, first + linesAdded]: their
// rows are merged into the first, which is then split into one row per new line. New lines
// in the counted part are counted at once. The layouts of changed lines go. All this happens
// before the views hear of the edit (TextBuffer::changeForIndexes), so that what they ask
// about rows is already right.
void WrapIndex::Private::changed(const TextBuffer::Change &change)
{
    const qsizetype first = change.firstLine;
    const qsizetype oldCounted = counted;
    for (qsizetype k = 0; k < change.linesRemoved; ++k)
        rows.removePartition(first + 1);
    setRows(first, change.linesAdded + 1);
    const qsizetype start = rows.positionFromPartition(first);
    for (qsizetype k = 1; k <= change.linesAdded; ++k)
        rows.insertPartition(first + k, start + k);
    layouts.textChanged(change);

    if (!counts()) {
        counted = lines();
    } else if (first >= oldCounted) {
        // wholly after the counted part: nothing counted moved
    } else if (first + change.linesRemoved >= oldCounted || change.linesAdded > kRecountLimit) {
        counted = first;  // the new lines are one row each for now
    } else {
        counted = oldCounted + change.linesAdded - change.linesRemoved;
        for (qsizetype line = first; line <= first + change.linesAdded; ++line)
            setRows(line, LineLayout::countRows(*style, buffer->lineView(line, scratch), width, wrap));
    }
    scheduleIdle();
    emit q->rowsChanged();
}

WrapIndex::WrapIndex(const TextBuffer *buffer, QObject *parent) : QObject(parent), d(std::make_unique<Private>(buffer))
{
    d->q = this;
    d->idle.setInterval(0);
    connect(&d->idle, &QTimer::timeout, this, [this] { d->slice(); });
    connect(buffer, &TextBuffer::changeForIndexes, this,
            [this](const TextBuffer::Change &change) { d->changed(change); });
    d->rows.reset(buffer->lineCount(), 1);
    d->counted = d->lines();
}

WrapIndex::~WrapIndex() = default;

void WrapIndex::setStyle(const TextStyle *style)
{
    d->style = style;  // always restarts: a new style at the same address is another font
    d->restart();
}

void WrapIndex::setWidth(qreal width)
{
    if (width == d->width)
        return;
    d->width = width;
    if (d->wrap)  // without wrapping every line is one row at any width
        d->restart();
}

void WrapIndex::setWrap(bool wrap)
{
    if (wrap == d->wrap)
        return;
    d->wrap = wrap;
    d->restart();
}

bool WrapIndex::wrap() const
{
    return d->wrap;
}

qsizetype WrapIndex::rowCount()
{
    d->countLinesTo(d->lines() - 1);
    return d->total();
}

qsizetype WrapIndex::estimatedRowCount() const
{
    return d->total();
}

bool WrapIndex::isCounting() const
{
    return d->counted < d->lines();
}

qsizetype WrapIndex::estimatedFirstRowOfLine(qsizetype line) const
{
    return d->rows.positionFromPartition(std::clamp<qsizetype>(line, 0, d->lines()));
}

qsizetype WrapIndex::estimatedLineOfRow(qsizetype row) const
{
    return d->rows.partitionFromPosition(std::max<qsizetype>(row, 0));
}

qsizetype WrapIndex::lineOfRow(qsizetype row)
{
    row = std::max<qsizetype>(row, 0);
    d->countRowsTo(row);
    return d->rows.partitionFromPosition(row);
}

qsizetype WrapIndex::rowOfPosition(qsizetype pos)
{
    pos = std::clamp<qsizetype>(pos, 0, d->buffer->length());
    const qsizetype line = d->buffer->lineOf(pos);
    d->countLinesTo(line);
    const qsizetype first = d->rows.positionFromPartition(line);
    if (d->rowsOf(line) == 1)
        return first;
    return first + d->layouts.layout(line)->rowOfOffset(int(pos - d->buffer->lineStart(line)));
}

qsizetype WrapIndex::rowStart(qsizetype row)
{
    row = std::max<qsizetype>(row, 0);
    d->countRowsTo(row);
    if (row >= d->total())
        return d->buffer->length();
    const qsizetype line = d->rows.partitionFromPosition(row);
    const qsizetype inLine = row - d->rows.positionFromPartition(line);
    const qsizetype lineStart = d->buffer->lineStart(line);
    if (inLine == 0)
        return lineStart;
    return lineStart + d->layouts.layout(line)->rowStart(int(inLine));
}

std::shared_ptr<LineLayout> WrapIndex::layout(qsizetype line)
{
    return d->layouts.layout(line);
}

void WrapIndex::setLayoutCapacity(int lines)
{
    d->layouts.setCapacity(lines);
}
