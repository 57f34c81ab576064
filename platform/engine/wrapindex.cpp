#include "platform/engine/wrapindex.h"

#include "platform/engine/layoutcache.h"
#include "platform/engine/linelayout.h"
#include "platform/engine/partitioning.h"
#include "platform/engine/rowcounter.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textstyle.h"

#include <QElapsedTimer>
#include <QTimer>

#include <deque>

namespace {

// An edit that brings more lines than this into the counted part leaves them, and what
// follows, to the counting thread rather than counting them at once.
constexpr qsizetype kRecountLimit = 2000;
// A batch for the counting thread: a few milliseconds of counting, a copy of at most 512 KiB.
constexpr qsizetype kBatchLines = 4096;
constexpr qsizetype kBatchChars = 256 * 1024;
// Batches with the counting thread at once: one counted while the next waits. Few, so that an
// edit above them wastes little.
constexpr size_t kBatchesAhead = 2;
// Rows counted on the thread are reported at most this often while the count goes on, then
// once when it ends: a view's scroll bar follows, and a thousand batches need not move it a
// thousand times.
constexpr qint64 kReportMs = 20;

} // namespace

struct WrapIndex::Private {
    WrapIndex *q = nullptr;
    const TextBuffer *buffer = nullptr;
    const TextStyle *style = nullptr;
    qreal width = 0;
    bool wrap = true;
    // Partition = line, position = first row. Lines [0, counted) hold their real row count;
    // the others one row each, or a count from before an edit elsewhere (still right, and
    // a better estimate), until the counting thread's results reach them.
    Partitioning rows;
    qsizetype counted = 0;
    bool estimateChanged = false;  // by counting done for a query, reported by the next idle turn
    bool resultsUnreported = false;
    QElapsedTimer lastReport;
    QTimer idle;
    QString scratch;
    // The layouts of the lines a view shows, which rows within a line are read from.
    LayoutCache layouts;
    // Lines [first, end) handed to the counting thread as a batch, in the order handed; their
    // results are taken in that order. An edit drops the batches from the first line it
    // changed on; a restart drops them all.
    struct Batch {
        quint64 number = 0;
        qsizetype first = 0;
        qsizetype end = 0;
    };
    std::deque<Batch> handed;
    // Last, so that its thread is stopped before anything else goes.
    RowCounter counter;

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
    void idleTurn();
    qsizetype handedEnd() const { return handed.empty() ? counted : std::max(counted, handed.back().end); }
    bool feeds() const { return counts() && handed.size() < kBatchesAhead && handedEnd() < lines(); }
    void feed();
    void dropFrom(qsizetype line);
    void collect();
    void changed(const TextBuffer::Change &change);
    void scheduleIdle();
};

// Every line one row; with wrapping, counting starts again from the first line.
void WrapIndex::Private::restart()
{
    rows.reset(buffer->lineCount(), 1);
    counted = counts() ? 0 : lines();
    layouts.configure(style, width, wrap);
    dropFrom(0);
    if (counts())
        counter.configure(style->font(), width, wrap);
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

// Hands the counting thread the lines after those it has, in batches, until it has enough.
// Deferred to an idle turn, so that a style, width and wrap set one after another hand over
// lines once.
void WrapIndex::Private::feed()
{
    while (feeds()) {
        const qsizetype first = handedEnd(), from = buffer->lineStart(first);
        qsizetype end = std::min(lines(), first + kBatchLines);
        if (buffer->lineEnd(end - 1) - from > kBatchChars)
            end = std::max(first + 1, buffer->lineOf(from + kBatchChars));
        const quint64 number = counter.count(first, buffer->text(from, buffer->lineEnd(end - 1)));
        handed.push_back({number, first, end});
    }
}

// The batches holding line or a later one will not be applied: the lines they hold changed
// or moved.
void WrapIndex::Private::dropFrom(qsizetype line)
{
    const auto stale = std::find_if(handed.begin(), handed.end(), [line](const Batch &b) { return b.end > line; });
    if (stale == handed.end())
        return;
    counter.drop(stale->number);
    handed.erase(stale, handed.end());
}

// Applies what the counting thread has counted, batch by batch, to lines not counted yet
// (a query may have counted some meanwhile, the same way); results of dropped batches go.
void WrapIndex::Private::collect()
{
    for (const RowCounter::Result &result : counter.take()) {
        if (handed.empty() || result.batch != handed.front().number)
            continue;  // dropped
        const Batch batch = handed.front();
        handed.pop_front();
        if (batch.first > counted || result.rows.size() != batch.end - batch.first) {
            dropFrom(0);  // not in order: never so, but then counting goes on from counted
            break;
        }
        for (qsizetype line = counted; line < batch.end; ++line)
            setRows(line, result.rows.at(line - batch.first));
        counted = std::max(counted, batch.end);
    }
}

void WrapIndex::Private::idleTurn()
{
    const qsizetype rowsBefore = total();
    collect();
    feed();
    resultsUnreported = resultsUnreported || total() != rowsBefore;
    const bool due = counted >= lines() || !lastReport.isValid() || lastReport.elapsed() >= kReportMs;
    if ((resultsUnreported && due) || estimateChanged) {
        estimateChanged = resultsUnreported = false;
        lastReport.start();
        emit q->rowsChanged();
    }
}

void WrapIndex::Private::scheduleIdle()
{
    if ((feeds() || estimateChanged) && !idle.isActive())
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
    dropFrom(first);

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
    d->idle.setSingleShot(true);
    connect(&d->idle, &QTimer::timeout, this, [this] { d->idleTurn(); });
    connect(&d->counter, &RowCounter::ready, this, [this] { d->idleTurn(); });
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
