#include "platform/engine/textview.h"

#include "platform/engine/charclass.h"
#include "platform/engine/linelayout.h"
#include "platform/engine/textstyle.h"
#include "platform/engine/wrapindex.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QAccessible>
#include <QtMath>

#include <algorithm>

namespace {

// Space between the viewport's edge and the text, and at the left the selection bar: a strip
// where a click selects a row and a drag selects rows.
constexpr int kMargin = 4;
constexpr int kSelectionBar = 8;
constexpr int kAutoScrollMs = 50;

// A run of one kind of characters is a word for moves by word (CharClass::kindOf).
using CharKind = CharClass::Kind;

CharKind kindOf(QChar c)
{
    return CharClass::kindOf(c.unicode());
}

// The selection bar's pointer: the usual arrow turned to point up and to the right, its hot
// spot at the tip.
QCursor selectionBarCursor()
{
    static const QPoint arrow[] = {{0, 0}, {0, 15}, {4, 11}, {7, 17}, {9, 16}, {6, 10}, {11, 10}};
    constexpr int width = 13;
    QPolygon mirrored;
    for (const QPoint &p : arrow)
        mirrored << QPoint(width - 1 - p.x(), p.y());
    QPixmap pixmap(width, 19);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawPolygon(mirrored);
    painter.end();
    return QCursor(pixmap, width - 1, 0);
}

bool isPrintableInput(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c == u'\t')
            continue;
        if (!c.isPrint() && !c.isSurrogate())
            return false;
    }
    return true;
}

} // namespace

TextView::TextView(QWidget *parent) : QAbstractScrollArea(parent)
{
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);  // the pointer changes over the selection bar
    m_barCursor = selectionBarCursor();
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    m_ownBuffer = std::make_unique<TextBuffer>();
    rebuildStyle();
    setBuffer(m_ownBuffer.get());
}

TextView::~TextView() = default;

void TextView::setBuffer(TextBuffer *buffer)
{
    if (!buffer)
        buffer = m_ownBuffer.get();
    if (buffer == m_buffer)
        return;
    if (m_buffer)
        disconnect(m_buffer, nullptr, this, nullptr);
    m_buffer = buffer;
    delete m_index;
    m_index = new WrapIndex(m_buffer, this);
    m_index->setStyle(m_style.get());
    m_index->setWidth(layoutWidth());
    m_index->setWrap(true);
    connect(m_index, &WrapIndex::rowsChanged, this, &TextView::updateScrollBars);
    connect(m_buffer, &TextBuffer::changed, this, &TextView::onBufferChanged);
    connect(m_buffer, &TextBuffer::aboutToLoad, this, &TextView::keepTextForLoad);
    connect(m_buffer, &TextBuffer::undoAvailable, this, &TextView::undoAvailable);
    connect(m_buffer, &TextBuffer::modificationChanged, this, &TextView::modificationChanged);
    if (m_buffer != m_ownBuffer.get())
        m_ownBuffer->load(QStringView(), {});  // the text of its own is no longer shown
    m_index->setLayoutCapacity(layoutCapacity());
    m_anchor = m_pos = 0;
    m_topLine = 0;
    m_topSubRow = 0;
    updateScrollBars();
    viewport()->update();
}

// --- layout ------------------------------------------------------------------------------

void TextView::rebuildStyle()
{
    m_style = std::make_unique<TextStyle>(font());
    m_widestRow = 0;
    if (m_index) {
        m_index->setStyle(m_style.get());
        m_index->setLayoutCapacity(layoutCapacity());
    }
}

// A screenful and some: lines far from the view go again.
int TextView::layoutCapacity() const
{
    return 4 * visibleRows() + 64;
}

qreal TextView::layoutWidth() const
{
    return std::max(1, viewport()->width() - kSelectionBar - kMargin);
}

int TextView::rowHeight() const
{
    return std::max(1, qCeil(m_style->lineHeight()));
}

int TextView::visibleRows() const
{
    return std::max(1, (viewport()->height() - kMargin) / rowHeight());
}

const LineLayout &TextView::layoutOf(qsizetype line) const
{
    return *layoutPtr(line);
}

// The layouts are the row index's (one cache for rows, painting and hit tests). The cache may
// be emptied by a later call: a caller that keeps a layout across other calls holds it by
// this pointer.
std::shared_ptr<LineLayout> TextView::layoutPtr(qsizetype line) const
{
    std::shared_ptr<LineLayout> layout = m_index->layout(line);
    if (!m_index->wrap()) {
        auto *self = const_cast<TextView *>(this);
        const qreal width = layout->rowWidth(0);
        if (width > self->m_widestRow) {
            self->m_widestRow = width;
            QMetaObject::invokeMethod(self, &TextView::updateScrollBars, Qt::QueuedConnection);
        }
    }
    return layout;
}

// upper: a position at a wrap point is the end of the row above (see m_atRowEnd).
TextView::Row TextView::rowOf(qsizetype pos, bool upper) const
{
    const qsizetype line = m_buffer->lineOf(pos);
    return Row{line, layoutOf(line).rowOfOffset(int(pos - m_buffer->lineStart(line)), upper)};
}

// The row `by` rows after (or before) row, stopping at the first and the last.
TextView::Row TextView::step(Row row, qsizetype by) const
{
    while (by > 0) {
        if (row.row + 1 < layoutOf(row.line).rowCount()) {
            ++row.row;
        } else if (row.line + 1 < m_buffer->lineCount()) {
            ++row.line;
            row.row = 0;
        } else {
            break;
        }
        --by;
    }
    while (by < 0) {
        if (row.row > 0) {
            --row.row;
        } else if (row.line > 0) {
            --row.line;
            row.row = layoutOf(row.line).rowCount() - 1;
        } else {
            break;
        }
        ++by;
    }
    return row;
}

TextView::Row TextView::rowAtY(int y) const
{
    const qsizetype rows = qFloor(qreal(y - kMargin) / rowHeight());
    return step(Row{m_topLine, m_topSubRow}, rows);
}

// Where the view's top stands among all rows: exact once the row count has passed it, an
// estimate before (the view itself keeps its top as a line and a row in it).
qsizetype TextView::topRow() const
{
    return m_index->estimatedFirstRowOfLine(m_topLine) + m_topSubRow;
}

void TextView::setTop(Row top)
{
    const Row before{m_topLine, m_topSubRow};
    m_topLine = top.line;
    m_topSubRow = std::max(0, top.row);
    updateScrollBars();
    if (m_topLine != before.line || m_topSubRow != before.row)
        viewport()->update();
}

// Rows from `from` to `to`, counted on the layouts when they are near each other, else as
// the row index has them.
qsizetype TextView::rowsBetween(Row from, Row to) const
{
    const qsizetype near = 4 * visibleRows();
    if (std::abs(to.line - from.line) > near)
        return m_index->estimatedFirstRowOfLine(to.line) + to.row - m_index->estimatedFirstRowOfLine(from.line) -
               from.row;
    const int sign = to.line < from.line ? -1 : 1;
    if (sign < 0)
        std::swap(from, to);
    qsizetype rows = to.row - from.row;
    for (qsizetype line = from.line; line < to.line; ++line)
        rows += layoutOf(line).rowCount();
    return sign * rows;
}

void TextView::updateScrollBars()
{
    QScrollBar *v = verticalScrollBar();
    const QSignalBlocker blockV(v);
    const qsizetype rows = m_index->estimatedRowCount();
    const int page = visibleRows();
    v->setRange(0, int(std::clamp<qsizetype>(rows - page, 0, INT_MAX)));
    v->setPageStep(page);
    v->setValue(int(std::min<qsizetype>(topRow(), INT_MAX)));
    QScrollBar *h = horizontalScrollBar();
    const QSignalBlocker blockH(h);
    const int range = m_index->wrap() ? 0 : std::max(0, qCeil(m_widestRow) + kSelectionBar + kMargin - viewport()->width());
    h->setRange(0, range);
    h->setPageStep(viewport()->width());
    h->setSingleStep(std::max(1, qRound(m_style->metrics().averageCharWidth())));
}

void TextView::scrollContentsBy(int dx, int dy)
{
    if (dy != 0 && verticalScrollBar()->value() != topRow()) {
        const qsizetype row = verticalScrollBar()->value();
        const qsizetype line = m_index->estimatedLineOfRow(row);
        m_topLine = line;
        m_topSubRow = int(std::min<qsizetype>(row - m_index->estimatedFirstRowOfLine(line),
                                             layoutOf(line).rowCount() - 1));
    }
    (void)dx;
    viewport()->update();
    updateMicroFocus();
}

void TextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    // The width is kept without wrapping too, for when wrapping comes back on.
    m_index->setWidth(layoutWidth());
    m_index->setLayoutCapacity(layoutCapacity());
    if (m_index->wrap())
        m_topSubRow = std::min(m_topSubRow, layoutOf(m_topLine).rowCount() - 1);
    updateScrollBars();
}

void TextView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        rebuildStyle();
        m_topSubRow = std::min(m_topSubRow, layoutOf(m_topLine).rowCount() - 1);
        updateScrollBars();
        viewport()->update();
    } else if (event->type() == QEvent::PaletteChange) {
        viewport()->update();
    }
}

void TextView::setWordWrap(bool wrap)
{
    if (wrap == m_index->wrap())
        return;
    m_widestRow = 0;
    m_index->setWrap(wrap);
    m_topSubRow = 0;
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    ensureCaretVisible();
    viewport()->update();
}

bool TextView::wordWrap() const
{
    return m_index->wrap();
}

qsizetype TextView::displayRowCount() const
{
    return m_index->rowCount();
}

qsizetype TextView::rowOfPosition(qsizetype pos) const
{
    return m_index->rowOfPosition(std::clamp<qsizetype>(pos, 0, m_buffer->length()));
}

qsizetype TextView::rowStart(qsizetype row) const
{
    return m_index->rowStart(row);
}

qsizetype TextView::rowStartAt(qsizetype pos) const
{
    const Row row = rowOf(std::clamp<qsizetype>(pos, 0, m_buffer->length()));
    return m_buffer->lineStart(row.line) + layoutOf(row.line).rowStart(row.row);
}

// A change by any view: marks move along. The row index has already taken it, layouts of the
// lines it touched gone (TextBuffer::announce).
void TextView::onBufferChanged(const TextBuffer::Change &change)
{
    if (change.linesAdded != change.linesRemoved) {
        if (m_topLine > change.firstLine + change.linesRemoved)
            m_topLine += change.linesAdded - change.linesRemoved;
        else if (m_topLine > change.firstLine)
            m_topLine = change.firstLine;
    }
    m_topLine = std::clamp<qsizetype>(m_topLine, 0, m_buffer->lineCount() - 1);
    m_topSubRow = std::min(m_topSubRow, layoutOf(m_topLine).rowCount() - 1);
    const qsizetype oldAnchor = m_anchor;
    const qsizetype oldPos = m_pos;
    m_anchor = mapThroughChange(m_anchor, change);
    m_pos = mapThroughChange(m_pos, change);
    if (m_pos != oldPos)
        m_atRowEnd = false;
    updateScrollBars();
    updateFromLine(change.firstLine);
    announceChange(change);
    emit textChanged();
    emitSelectionSignals(oldAnchor, oldPos);
}

// What a change leaves to repaint: from its first line down, as the lines above it stay as they
// were. A line below the screen changes nothing shown (a line takes a row at least), and is
// not laid out to find so: text that loads in at the end of a long file repaints nothing.
void TextView::updateFromLine(qsizetype line)
{
    if (line <= m_topLine) {
        viewport()->update();
        return;
    }
    if (line > m_topLine + visibleRows())
        return;
    const int top = std::max(0, rectAt(m_buffer->lineStart(line), false).top());
    viewport()->update(QRect(0, top, viewport()->width(), viewport()->height() - top));
}

// A load reports no removed text: what a screen reader is told it removed is read here first.
void TextView::keepTextForLoad()
{
    if (QAccessible::isActive())
        m_textBeforeLoad = m_buffer->text();
}

// Every edit by any road (typing, the clipboard, undo, a replacement, another view of the
// text, a load) is told to a screen reader as the text it removed and put in, from here. While
// none listens this costs the one question whether one does.
void TextView::announceChange(const TextBuffer::Change &change)
{
    // Only a load leaves the removed text out of its change.
    QString removed = std::exchange(m_textBeforeLoad, QString());
    if (!QAccessible::isActive() || (change.removed == 0 && change.added == 0))
        return;
    if (change.removedText.size() == change.removed)
        removed = change.removedText;
    else if (removed.size() != change.removed)  // listening began during the load
        removed = QString(change.removed, u' ');  // the right length, as Qt's own widgets tell it
    const QString added = m_buffer->text(change.pos, change.pos + change.added);
    const int pos = int(change.pos);
    if (removed.isEmpty()) {
        QAccessibleTextInsertEvent event(this, pos, added);
        QAccessible::updateAccessibility(&event);
    } else if (added.isEmpty()) {
        QAccessibleTextRemoveEvent event(this, pos, removed);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(this, pos, removed, added);
        QAccessible::updateAccessibility(&event);
    }
}

// A mark at an insertion, or in or at the start of replaced text, ends after the new text.
qsizetype TextView::mapThroughChange(qsizetype pos, const TextBuffer::Change &change) const
{
    if (pos < change.pos)
        return pos;
    if (pos >= change.pos + change.removed)
        return pos + change.added - change.removed;
    return change.pos + change.added;
}

// --- caret and selection -------------------------------------------------------------------

void TextView::setSelection(qsizetype anchor, qsizetype position)
{
    const qsizetype length = m_buffer->length();
    const auto fit = [this, length](qsizetype p) {
        p = std::clamp<qsizetype>(p, 0, length);
        if (p > 0 && p < length && m_buffer->at(p).isLowSurrogate() && m_buffer->at(p - 1).isHighSurrogate())
            --p;
        return p;
    };
    const qsizetype oldAnchor = m_anchor;
    const qsizetype oldPos = m_pos;
    m_anchor = fit(anchor);
    m_pos = fit(position);
    m_desiredX = -1;
    m_atRowEnd = false;  // at a wrap point the caret starts the lower row, but after End
    emitSelectionSignals(oldAnchor, oldPos);
    restartBlink();
    updateBetween(std::min({oldAnchor, oldPos, m_anchor, m_pos}), std::max({oldAnchor, oldPos, m_anchor, m_pos}));
    updateMicroFocus();
}

// Repaints the rows from the one holding from to the one holding to: all that a move of the
// caret or the selection within them shows differently.
void TextView::updateBetween(qsizetype from, qsizetype to)
{
    const int height = viewport()->height();
    // At a wrap point a position stands at the end of one row and the start of the next.
    const int top = std::clamp(rectAt(from, true).top(), 0, height);
    const int bottom = std::clamp(rectAt(to, false).bottom() + 1, 0, height);
    if (bottom > top)
        viewport()->update(QRect(0, top, viewport()->width(), bottom - top));
}

void TextView::emitSelectionSignals(qsizetype oldAnchor, qsizetype oldPos)
{
    if (QAccessible::isActive() && (oldPos != m_pos || oldAnchor != m_anchor)) {
        QAccessibleTextCursorEvent moved(this, int(m_pos));
        QAccessible::updateAccessibility(&moved);
        if (m_anchor != m_pos || oldAnchor != oldPos) {
            QAccessibleTextSelectionEvent selected(this, int(selectionStart()), int(selectionEnd()));
            QAccessible::updateAccessibility(&selected);
        }
    }
    if (oldPos != m_pos)
        emit cursorPositionChanged();
    if (oldAnchor != m_anchor || oldPos != m_pos) {
        if (oldAnchor != oldPos || m_anchor != m_pos)
            emit selectionChanged();
    }
}

QString TextView::selectedText() const
{
    return m_buffer->text(selectionStart(), selectionEnd());
}

void TextView::selectAll()
{
    setSelection(0, m_buffer->length());
}

void TextView::moveCaret(qsizetype pos, bool extend)
{
    const qreal desired = m_desiredX;
    setSelection(extend ? m_anchor : pos, pos);
    m_desiredX = desired;
    ensureCaretVisible();
}

// The caret moves over a half-width kana and its sound mark as over one letter.
qsizetype TextView::previousCharacter(qsizetype pos) const
{
    pos = previousCodePoint(pos);
    return splitsKana(pos) ? pos - 1 : pos;
}

qsizetype TextView::previousCodePoint(qsizetype pos) const
{
    if (pos <= 0)
        return 0;
    --pos;
    if (pos > 0 && m_buffer->at(pos).isLowSurrogate() && m_buffer->at(pos - 1).isHighSurrogate())
        --pos;
    return pos;
}

qsizetype TextView::nextCharacter(qsizetype pos) const
{
    const qsizetype length = m_buffer->length();
    if (pos >= length)
        return length;
    ++pos;
    if (pos < length && m_buffer->at(pos).isLowSurrogate() && m_buffer->at(pos - 1).isHighSurrogate())
        ++pos;
    return splitsKana(pos) ? pos + 1 : pos;
}

bool TextView::splitsKana(qsizetype pos) const
{
    return pos > 0 && pos < m_buffer->length() &&
           CharClass::splitsKana(m_buffer->at(pos - 1).unicode(), m_buffer->at(pos).unicode());
}

// The start of the next word: past the rest of this run, then past spaces.
qsizetype TextView::nextWord(qsizetype pos) const
{
    const qsizetype length = m_buffer->length();
    if (pos >= length)
        return length;
    const CharKind kind = kindOf(m_buffer->at(pos));
    if (kind == CharKind::Break)
        return pos + 1;
    if (kind != CharKind::Blank) {
        while (pos < length && kindOf(m_buffer->at(pos)) == kind)
            ++pos;
    }
    while (pos < length && kindOf(m_buffer->at(pos)) == CharKind::Blank)
        ++pos;
    return pos;
}

// The start of this word, or of the one before when already at a start.
qsizetype TextView::previousWord(qsizetype pos) const
{
    if (pos <= 0)
        return 0;
    while (pos > 0 && kindOf(m_buffer->at(pos - 1)) == CharKind::Blank)
        --pos;
    if (pos == 0)
        return 0;
    const CharKind kind = kindOf(m_buffer->at(pos - 1));
    if (kind == CharKind::Break)
        return pos - 1;
    while (pos > 0 && kindOf(m_buffer->at(pos - 1)) == kind)
        --pos;
    return pos;
}

// The run of one kind of characters (a word as word moves see it) that holds the character at
// pos: where it starts and where it ends. A line break is a run of its own.
qsizetype TextView::runStart(qsizetype pos) const
{
    if (pos >= m_buffer->length())
        return m_buffer->length();
    const CharKind kind = kindOf(m_buffer->at(pos));
    if (kind != CharKind::Break) {
        while (pos > 0 && kindOf(m_buffer->at(pos - 1)) == kind)
            --pos;
    }
    return pos;
}

qsizetype TextView::runEnd(qsizetype pos) const
{
    const qsizetype length = m_buffer->length();
    if (pos < 0 || pos >= length)
        return std::clamp<qsizetype>(pos, 0, length);
    const CharKind kind = kindOf(m_buffer->at(pos));
    if (kind == CharKind::Break)
        return pos + 1;
    while (pos < length && kindOf(m_buffer->at(pos)) == kind)
        ++pos;
    return pos;
}

void TextView::selectWordAt(qsizetype pos)
{
    const qsizetype length = m_buffer->length();
    if (length == 0)
        return;
    if (pos >= length || kindOf(m_buffer->at(pos)) == CharKind::Break)
        pos = std::max<qsizetype>(0, pos - 1);
    if (kindOf(m_buffer->at(pos)) == CharKind::Break)
        setSelection(pos, pos);
    else
        setSelection(runStart(pos), runEnd(pos));
}

qreal TextView::xOfPosition(qsizetype pos, bool upper) const
{
    const Row row = rowOf(pos, upper);
    return layoutOf(row.line).xOfOffset(row.row, int(pos - m_buffer->lineStart(row.line)));
}

qsizetype TextView::positionInRow(Row row, qreal x) const
{
    return m_buffer->lineStart(row.line) + layoutOf(row.line).offsetAtX(row.row, x);
}

bool TextView::moveByKey(QKeyEvent *event)
{
    const auto is = [event](QKeySequence::StandardKey move, QKeySequence::StandardKey select, bool *extend) {
        if (event->matches(move))
            return *extend = false, true;
        if (event->matches(select))
            return *extend = true, true;
        return false;
    };
    bool extend = false;
    qsizetype target = -1;
    bool vertical = false;
    bool atRowEnd = false;
    if (is(QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, &extend)) {
        target = hasSelection() && !extend ? selectionStart() : previousCharacter(m_pos);
    } else if (is(QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, &extend)) {
        target = hasSelection() && !extend ? selectionEnd() : nextCharacter(m_pos);
    } else if (is(QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, &extend)) {
        target = previousWord(m_pos);
    } else if (is(QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, &extend)) {
        target = nextWord(m_pos);
    } else if (is(QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, &extend)) {
        const Row row = caretRow();
        target = m_buffer->lineStart(row.line) + layoutOf(row.line).rowStart(row.row);
    } else if (is(QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, &extend)) {
        // The end of a wrapped row is the next row's start: the caret keeps to the row it ends.
        const Row row = caretRow();
        const LineLayout &layout = layoutOf(row.line);
        target = m_buffer->lineStart(row.line) + layout.rowEnd(row.row);
        atRowEnd = row.row + 1 < layout.rowCount();
    } else if (is(QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, &extend)) {
        target = 0;
    } else if (is(QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, &extend)) {
        target = m_buffer->length();
    } else {
        qsizetype rows = 0;
        if (is(QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, &extend))
            rows = -1;
        else if (is(QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, &extend))
            rows = 1;
        else if (is(QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, &extend))
            rows = -visibleRows();
        else if (is(QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, &extend))
            rows = visibleRows();
        else
            return false;
        vertical = true;
        if (m_desiredX < 0)
            m_desiredX = xOfPosition(m_pos, m_atRowEnd);
        const Row from = caretRow();
        const Row to = step(from, rows);
        target = positionInRow(to, m_desiredX);
        if (std::abs(rows) > 1)
            setTop(step(Row{m_topLine, m_topSubRow}, rows));
    }
    if (vertical)
        moveCaret(target, extend);
    else {
        setSelection(extend ? m_anchor : target, target);
        m_atRowEnd = atRowEnd;
        ensureCaretVisible();
    }
    return true;
}

void TextView::ensureCaretVisible()
{
    const Row caret = caretRow();
    const Row top{m_topLine, m_topSubRow};
    const int rows = visibleRows();
    const qsizetype below = rowsBetween(top, caret);
    if (below < 0)
        setTop(caret);
    else if (below >= rows)
        setTop(step(caret, -(rows - 1)));
    if (!m_index->wrap()) {
        QScrollBar *h = horizontalScrollBar();
        const int x = qRound(xOfPosition(m_pos, m_atRowEnd));
        const int width = viewport()->width() - kSelectionBar - kMargin;
        if (x > m_widestRow) {
            m_widestRow = x;
            updateScrollBars();
        }
        if (x < h->value())
            h->setValue(std::max(0, x - width / 4));
        else if (x > h->value() + width - 1)
            h->setValue(x - width + width / 4);
    }
    updateMicroFocus();
}

QRect TextView::cursorRect() const
{
    return rectAt(m_pos, m_atRowEnd);
}

QRect TextView::cursorRect(qsizetype pos) const
{
    return rectAt(pos, false);
}

QRect TextView::rectAt(qsizetype pos, bool upper) const
{
    pos = std::clamp<qsizetype>(pos, 0, m_buffer->length());
    const qsizetype rows = rowsBetween(Row{m_topLine, m_topSubRow}, rowOf(pos, upper));
    const int x = kSelectionBar - horizontalScrollBar()->value() + qRound(xOfPosition(pos, upper));
    const qsizetype y = kMargin + rows * rowHeight();
    return QRect(x, int(std::clamp<qsizetype>(y, INT_MIN / 2, INT_MAX / 2)), 1, rowHeight());
}

qsizetype TextView::positionAt(QPoint point) const
{
    const Row row = rowAtY(point.y());
    const qreal x = point.x() - kSelectionBar + horizontalScrollBar()->value();
    return positionInRow(row, x);
}

// --- editing -----------------------------------------------------------------------------

bool TextView::acceptEdit(qsizetype, qsizetype, QStringView)
{
    return true;
}

bool TextView::replaceSelection(QStringView text, TextBuffer::Undo undo)
{
    const qsizetype from = selectionStart();
    const qsizetype to = selectionEnd();
    if (text.isEmpty() && from == to)
        return true;
    if (!acceptEdit(from, to, text))
        return false;
    const qsizetype before = m_buffer->length();
    m_buffer->replace(from, to, text, undo);
    qsizetype caret = from + m_buffer->length() - before + (to - from);
    // A kana typed before a sound mark takes it: the caret goes past both; a removal that
    // brought a kana to a mark leaves the caret before them.
    if (splitsKana(caret))
        caret += text.isEmpty() ? -1 : 1;
    setSelection(caret, caret);
    ensureCaretVisible();
    return true;
}

// Backspace and Delete take what lies between the caret and to without selecting it first: a
// selection that lasted only as long as the edit would reach a screen reader as one.
void TextView::removeFromCaret(qsizetype to)
{
    const qsizetype from = std::min(m_pos, to), end = std::max(m_pos, to);
    if (from == end || !acceptEdit(from, end, QStringView()))
        return;
    m_buffer->replace(from, end, QStringView());
    setPosition(splitsKana(from) ? from - 1 : from);  // a kana brought to a mark: before both
    ensureCaretVisible();
}

void TextView::cut()
{
    if (!hasSelection() || m_readOnly)
        return;
    copy();
    removeSelectedText();
}

void TextView::copy() const
{
    if (!hasSelection())
        return;
    QApplication::clipboard()->setMimeData(createMimeDataFromSelection());
}

void TextView::paste()
{
    if (m_readOnly)
        return;
    if (const QMimeData *data = QApplication::clipboard()->mimeData())
        insertFromMimeData(data);
}

void TextView::undo()
{
    const qsizetype caret = m_buffer->undo();
    if (caret >= 0) {
        setPosition(caret);
        ensureCaretVisible();
    }
}

void TextView::redo()
{
    const qsizetype caret = m_buffer->redo();
    if (caret >= 0) {
        setPosition(caret);
        ensureCaretVisible();
    }
}

void TextView::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    setAttribute(Qt::WA_InputMethodEnabled, !readOnly);
    viewport()->update();
}

bool TextView::canInsertFromMimeData(const QMimeData *source) const
{
    return source && source->hasText();
}

QMimeData *TextView::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    data->setText(selectedText());
    return data;
}

void TextView::insertFromMimeData(const QMimeData *source)
{
    if (!canInsertFromMimeData(source))
        return;
    replaceSelection(source->text());
}

// Keys that change the text. Read-only lets none of them through.
bool TextView::editByKey(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return true;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return true;
    }
    const bool cutKey = event->matches(QKeySequence::Cut);
    const bool pasteKey = event->matches(QKeySequence::Paste);
    const bool undoKey = event->matches(QKeySequence::Undo);
    const bool redoKey = event->matches(QKeySequence::Redo);
    const bool backspace = event->key() == Qt::Key_Backspace && !(event->modifiers() & ~(Qt::ShiftModifier | Qt::ControlModifier));
    const bool del = event->matches(QKeySequence::Delete) || event->matches(QKeySequence::DeleteEndOfWord);
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool text = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
                      isPrintableInput(event->text());
    if (!(cutKey || pasteKey || undoKey || redoKey || backspace || del || enter || text))
        return false;
    if (m_readOnly)
        return true;  // taken, but nothing changes
    if (cutKey)
        cut();
    else if (pasteKey)
        paste();
    else if (undoKey)
        undo();
    else if (redoKey)
        redo();
    else if (enter && !(event->modifiers() & Qt::ControlModifier))
        replaceSelection(u"\n", TextBuffer::Undo::Typing);
    else if (backspace || del) {
        if (!hasSelection()) {
            const bool word = event->modifiers() & Qt::ControlModifier;
            // Backspace takes a sound mark alone, as it was typed; the caret never parts it.
            const qsizetype to = backspace ? (word ? previousWord(m_pos) : previousCodePoint(m_pos))
                                           : (word ? nextWord(m_pos) : nextCharacter(m_pos));
            removeFromCaret(to);
            return true;
        }
        removeSelectedText();
    } else if (text) {
        replaceSelection(event->text(), TextBuffer::Undo::Typing);
    }
    return true;
}

void TextView::keyPressEvent(QKeyEvent *event)
{
    if (!m_preedit.isEmpty() && movesCaret(event))
        commitPreedit();
    if (editByKey(event) || moveByKey(event)) {
        event->accept();
        return;
    }
    event->ignore();
}

bool TextView::focusNextPrevChild(bool)
{
    return false;  // Tab is text
}

bool TextView::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        // Text and the editing keys belong to the text; Alt keys stay with the menus.
        const bool plainText = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) &&
                               isPrintableInput(key->text());
        if (plainText || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste) ||
            key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Undo) ||
            key->matches(QKeySequence::Redo) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

// --- input methods -------------------------------------------------------------------------

void TextView::inputMethodEvent(QInputMethodEvent *event)
{
    if (m_readOnly) {
        event->ignore();
        return;
    }
    if (isLateCommit(*event)) {
        event->accept();
        return;
    }
    const int rowsBefore = caretLineRows();
    commitInputMethodText(*event);
    selectForInputMethod(*event);
    const bool ended = !m_preedit.isEmpty() && event->preeditString().isEmpty();
    if (event->preeditString().isEmpty())
        m_preedit.clear();
    else
        m_preedit.take(*event);
    if (ended)  // rows the composition took beyond the line's own are gone
        m_topSubRow = std::min(m_topSubRow, layoutOf(m_topLine).rowCount() - 1);
    ensurePreeditVisible();
    updateCaretLine(rowsBefore);
    updateMicroFocus();
    event->accept();
}

// What the input method hands over goes in as typing. Input that begins (a commit, a
// replacement, a composition that starts or changes) first takes the place of the selection,
// as in Qt's own fields, which is what input methods reconverting a selection count on; a
// replacement counts from the caret after that.
void TextView::commitInputMethodText(const QInputMethodEvent &event)
{
    const bool input = !event.commitString().isEmpty() || event.replacementLength() > 0 ||
                       event.preeditString() != m_preedit.text();
    if (!input)
        return;
    if (event.replacementLength() > 0) {
        removeSelectedText();
        const qsizetype from = m_pos + event.replacementStart();
        setSelection(from, from + event.replacementLength());
    }
    replaceSelection(event.commitString(), TextBuffer::Undo::Typing);
}

// A selection the input method asks for, counted as the surrounding text it was given.
void TextView::selectForInputMethod(const QInputMethodEvent &event)
{
    for (const QInputMethodEvent::Attribute &a : event.attributes()) {
        if (a.type != QInputMethodEvent::Selection)
            continue;
        const qsizetype base = surroundingRange().first;
        setSelection(base + a.start, base + a.start + a.length);
        ensureCaretVisible();
    }
}

// A click or a caret key while composing: the composed text goes into the text where it
// stands, as in Qt's own fields. The input method is asked to end the composition: some
// commit on commit(), some on reset() (fcitx5), at once. One that has not committed by then
// may still commit later (or never): the view commits what it shows itself and lets a late
// commit of the same text go (isLateCommit).
void TextView::commitPreedit()
{
    const QString text = m_preedit.text();
    const qsizetype length = m_buffer->length();
    QGuiApplication::inputMethod()->commit();
    if (!m_preedit.isEmpty())
        QGuiApplication::inputMethod()->reset();
    if (m_preedit.isEmpty() && m_buffer->length() != length)
        return;
    m_preedit.clear();
    m_topSubRow = std::min(m_topSubRow, layoutOf(m_topLine).rowCount() - 1);
    if (!m_readOnly && replaceSelection(text, TextBuffer::Undo::Typing))
        m_committedAhead = text;
    viewport()->update();
}

// The input method's own commit of a composition the view has committed already: nothing
// but that text, before anything else is composed or committed.
bool TextView::isLateCommit(const QInputMethodEvent &event)
{
    if (m_committedAhead.isEmpty())
        return false;
    const bool late = event.commitString() == m_committedAhead && event.preeditString().isEmpty() &&
                      event.replacementLength() == 0;
    if (late || !event.commitString().isEmpty() || !event.preeditString().isEmpty())
        m_committedAhead.clear();
    return late;
}

bool TextView::movesCaret(const QKeyEvent *event)
{
    static const QKeySequence::StandardKey moves[] = {
        QKeySequence::MoveToPreviousChar,    QKeySequence::SelectPreviousChar,
        QKeySequence::MoveToNextChar,        QKeySequence::SelectNextChar,
        QKeySequence::MoveToPreviousWord,    QKeySequence::SelectPreviousWord,
        QKeySequence::MoveToNextWord,        QKeySequence::SelectNextWord,
        QKeySequence::MoveToStartOfLine,     QKeySequence::SelectStartOfLine,
        QKeySequence::MoveToEndOfLine,       QKeySequence::SelectEndOfLine,
        QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
        QKeySequence::MoveToEndOfDocument,   QKeySequence::SelectEndOfDocument,
        QKeySequence::MoveToPreviousLine,    QKeySequence::SelectPreviousLine,
        QKeySequence::MoveToNextLine,        QKeySequence::SelectNextLine,
        QKeySequence::MoveToPreviousPage,    QKeySequence::SelectPreviousPage,
        QKeySequence::MoveToNextPage,        QKeySequence::SelectNextPage,
    };
    return std::any_of(std::begin(moves), std::end(moves), [event](auto key) { return event->matches(key); });
}

// The text an input method sees around the caret: the caret's line, or in a very long line
// the stretch of it within reach of the caret (the method is sent it on every update).
std::pair<qsizetype, qsizetype> TextView::surroundingRange() const
{
    constexpr qsizetype kReach = 1024;
    const qsizetype line = m_buffer->lineOf(m_pos);
    qsizetype from = std::max(m_buffer->lineStart(line), m_pos - kReach);
    qsizetype to = std::min(m_buffer->lineEnd(line), m_pos + kReach);
    if (from > m_buffer->lineStart(line) && m_buffer->at(from).isLowSurrogate())
        ++from;
    if (to < m_buffer->lineEnd(line) && m_buffer->at(to).isLowSurrogate())
        --to;
    return {from, to};
}

QVariant TextView::inputMethodQuery(Qt::InputMethodQuery query) const
{
    const auto [from, to] = surroundingRange();
    switch (query) {
    case Qt::ImEnabled:
        return !m_readOnly;
    case Qt::ImCursorRectangle:
        return (m_preedit.isEmpty() ? cursorRect() : preeditRect(m_preedit.focus())).translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(m_pos - from);
    case Qt::ImAnchorPosition:
        return int(std::clamp(m_anchor, from, to) - from);
    case Qt::ImSurroundingText:
        return m_buffer->text(from, to);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImAbsolutePosition:
        return qlonglong(m_pos);
    case Qt::ImMaximumTextLength:
        return QVariant();  // no limit of its own
    case Qt::ImHints:
        return int(inputMethodHints() | Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

// The rows the caret's line takes as shown, with the composition when there is one.
int TextView::caretLineRows() const
{
    return m_preedit.isEmpty() ? layoutOf(m_buffer->lineOf(m_pos)).rowCount() : composedLayout()->rowCount();
}

// Repaints what a change of the composition alone changes: the caret's line, and the rows
// below it too when it now takes another number of rows. (An edit or a scroll on the way has
// asked for the whole view already.)
void TextView::updateCaretLine(int rowsBefore)
{
    const int rows = caretLineRows();
    const qsizetype above = rowsBetween(Row{m_topLine, m_topSubRow}, Row{m_buffer->lineOf(m_pos), 0});
    const auto yOf = [this](qsizetype row) {
        return int(std::clamp<qsizetype>(kMargin + row * rowHeight(), 0, viewport()->height()));
    };
    const int top = yOf(above);
    const int bottom = rows == rowsBefore ? yOf(above + rows) : viewport()->height();
    viewport()->update(QRect(0, top, viewport()->width(), bottom - top));
}

// The caret's line with the composition in it, laid out as the view lays out lines.
std::shared_ptr<LineLayout> TextView::composedLayout() const
{
    const qsizetype line = m_buffer->lineOf(m_pos);
    QString scratch;
    return m_preedit.layout(*m_style, m_buffer->lineView(line, scratch), int(m_pos - m_buffer->lineStart(line)),
                            layoutWidth(), m_index->wrap());
}

// Where an offset of the composition stands, in viewport coordinates, as cursorRect() has it.
QRect TextView::preeditRect(int offset) const
{
    const qsizetype line = m_buffer->lineOf(m_pos);
    const int at = int(m_pos - m_buffer->lineStart(line)) + offset;
    const std::shared_ptr<LineLayout> layout = composedLayout();
    const int row = layout->rowOfOffset(at);
    const qsizetype rows = rowsBetween(Row{m_topLine, m_topSubRow}, Row{line, row});
    const int x = kSelectionBar - horizontalScrollBar()->value() + qRound(layout->xOfOffset(row, at));
    const qsizetype y = kMargin + rows * rowHeight();
    return QRect(x, int(std::clamp<qsizetype>(y, INT_MIN / 2, INT_MAX / 2)), 1, rowHeight());
}

// The composition's caret in sight: the line's caret first, then the rows the composition
// wraps onto below the view (a view's top may stand on such a row while the composition
// lasts), and without wrapping sideways.
void TextView::ensurePreeditVisible()
{
    if (m_preedit.isEmpty())
        return;
    ensureCaretVisible();
    const QRect caret = preeditRect(m_preedit.cursor());
    const int below = caret.bottom() - (viewport()->height() - 1);
    if (below > 0) {
        const qsizetype caretLine = m_buffer->lineOf(m_pos);
        const int composedRows = composedLayout()->rowCount();
        Row top{m_topLine, m_topSubRow};
        for (int rows = (below + rowHeight() - 1) / rowHeight(); rows > 0; --rows) {
            if (top.row + 1 < (top.line == caretLine ? composedRows : layoutOf(top.line).rowCount()))
                ++top.row;
            else if (top.line < caretLine)
                top = Row{top.line + 1, 0};
        }
        setTop(top);
    }
    if (!m_index->wrap()) {
        const int x = caret.x() - kSelectionBar + horizontalScrollBar()->value();
        if (x > m_widestRow) {
            m_widestRow = x;
            updateScrollBars();
        }
        QScrollBar *h = horizontalScrollBar();
        const int width = viewport()->width() - kSelectionBar - kMargin;
        if (x < h->value())
            h->setValue(std::max(0, x - width / 4));
        else if (x > h->value() + width - 1)
            h->setValue(x - width + width / 4);
    }
}

// --- mouse -----------------------------------------------------------------------------------

bool TextView::inSelectionBar(QPoint point) const
{
    return point.x() < kSelectionBar;
}

// The characters of a displayed row, its line break included when it ends a line.
std::pair<qsizetype, qsizetype> TextView::rowRange(Row row) const
{
    const qsizetype lineStart = m_buffer->lineStart(row.line);
    const LineLayout &layout = layoutOf(row.line);
    const qsizetype from = lineStart + layout.rowStart(row.row);
    if (row.row + 1 < layout.rowCount())
        return {from, lineStart + layout.rowEnd(row.row)};
    const qsizetype end = m_buffer->lineEnd(row.line);
    return {from, row.line + 1 < m_buffer->lineCount() ? end + 1 : end};
}

// A selection of whole units (words or rows) from the one pressed on, [from, to), to the one
// the mouse has reached: before it, from its end to the start of the unit reached; after it,
// from its start to the end of the unit reached; on it, just that unit.
void TextView::selectUnits(qsizetype from, qsizetype to, qsizetype reachedStart, qsizetype reachedEnd)
{
    if (reachedStart < from)
        setSelection(to, reachedStart);
    else if (reachedEnd > to)
        setSelection(from, reachedEnd);
    else
        setSelection(from, to);
}

// Selects from the press to a point of the viewport (held inside it), by the unit the press
// chose. A plain press selects by character within the word it was in and by whole words once
// the mouse leaves that word, the pressed word becoming whole too.
void TextView::selectTo(QPoint point)
{
    const QPoint inside(point.x(), std::clamp(point.y(), 0, viewport()->height() - 1));
    if (m_selecting == Selecting::Rows) {
        const auto [from, to] = rowRange(rowAtY(inside.y()));
        selectUnits(m_unitFrom, m_unitTo, from, to);
        return;
    }
    const qsizetype pos = positionAt(inside);
    const qsizetype pressed = m_unitFrom;
    if (m_selecting == Selecting::Words)
        selectUnits(m_unitFrom, m_unitTo, runStart(pos), runEnd(pos - 1));
    else if (m_selecting == Selecting::Characters)
        setSelection(m_anchor, pos);
    else if (pos > pressed && pos > runEnd(pressed))
        selectUnits(runStart(pressed), runEnd(pressed), runStart(pos), runEnd(pos - 1));
    else if (pos < pressed && pos < runStart(pressed - 1))
        selectUnits(runStart(pressed - 1), runEnd(pressed - 1), runStart(pos), runEnd(pos - 1));
    else
        setSelection(pressed, pos);
}

// A press in the selection bar selects the row; with Shift, from the anchor to the row.
void TextView::pressInSelectionBar(QPoint point, bool extend)
{
    const auto [from, to] = rowRange(rowAtY(point.y()));
    m_selecting = Selecting::Rows;
    m_unitFrom = extend ? m_anchor : from;
    m_unitTo = extend ? m_anchor : to;
    selectUnits(m_unitFrom, m_unitTo, from, to);
}

void TextView::mousePressEvent(QMouseEvent *event)
{
    if (!m_preedit.isEmpty())
        commitPreedit();
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    const bool extend = event->modifiers() & Qt::ShiftModifier;
    m_pressPoint = point;
    m_lastMouse = point;
    if (inSelectionBar(point)) {
        pressInSelectionBar(point, extend);
        return;
    }
    const qsizetype pos = positionAt(point);
    if (hasSelection() && !extend && pos >= selectionStart() && pos < selectionEnd()) {
        m_mayDrag = true;  // a click that does not move puts the caret there on release
        return;
    }
    m_selecting = extend ? Selecting::Characters : Selecting::Automatic;
    m_unitFrom = m_unitTo = pos;
    setSelection(extend ? m_anchor : pos, pos);
}

void TextView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint point = event->position().toPoint();
    m_lastMouse = point;
    if (inSelectionBar(point)) {
        pressInSelectionBar(point, false);
        return;
    }
    selectWordAt(positionAt(point));
    m_unitFrom = selectionStart();
    m_unitTo = selectionEnd();
    m_selecting = Selecting::Words;
}

void TextView::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        const bool bar = inSelectionBar(point);
        if (bar != (viewport()->cursor().shape() == Qt::BitmapCursor))
            viewport()->setCursor(bar ? m_barCursor : QCursor(Qt::IBeamCursor));
        return;
    }
    if (m_mayDrag) {
        if ((point - m_pressPoint).manhattanLength() >= QApplication::startDragDistance()) {
            m_mayDrag = false;
            startDrag();
        }
        return;
    }
    if (m_selecting == Selecting::None)
        return;
    m_lastMouse = point;
    const bool outside = point.y() < 0 || point.y() > viewport()->height();
    if (outside && !m_autoScrollTimer.isActive())
        m_autoScrollTimer.start(kAutoScrollMs, this);
    else if (!outside)
        m_autoScrollTimer.stop();
    selectTo(point);
    ensureCaretVisible();
}

void TextView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_mayDrag) {
        m_mayDrag = false;
        setPosition(positionAt(event->position().toPoint()));
    }
    m_selecting = Selecting::None;
    m_autoScrollTimer.stop();
    if (hasSelection() && QApplication::clipboard()->supportsSelection())
        QApplication::clipboard()->setMimeData(createMimeDataFromSelection(), QClipboard::Selection);
}

void TextView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_blinkTimer.timerId()) {
        m_caretVisible = !m_caretVisible;
        const QRect caret = m_preedit.isEmpty() ? cursorRect() : preeditRect(m_preedit.cursor());
        viewport()->update(caret.adjusted(-1, 0, 1, 0));
        return;
    }
    if (event->timerId() == m_autoScrollTimer.timerId()) {
        const int y = m_lastMouse.y();
        if (y < 0)
            setTop(step(Row{m_topLine, m_topSubRow}, -std::max(1, -y / rowHeight())));
        else if (y > viewport()->height())
            setTop(step(Row{m_topLine, m_topSubRow}, std::max(1, (y - viewport()->height()) / rowHeight())));
        selectTo(m_lastMouse);
        return;
    }
    QAbstractScrollArea::timerEvent(event);
}

void TextView::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
}

void TextView::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    m_blinkTimer.stop();
    m_caretVisible = false;
    viewport()->update();
}

void TextView::restartBlink()
{
    m_caretVisible = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_blinkTimer.start(flash / 2, this);
    else
        m_blinkTimer.stop();
}

// --- drag and drop -------------------------------------------------------------------------

void TextView::startDrag()
{
    auto *drag = new QDrag(this);
    drag->setMimeData(createMimeDataFromSelection());
    const qsizetype from = selectionStart();
    const qsizetype to = selectionEnd();
    const QString dragged = selectedText();
    const Qt::DropActions actions = m_readOnly ? Qt::CopyAction : (Qt::CopyAction | Qt::MoveAction);
    const Qt::DropAction done = drag->exec(actions, m_readOnly ? Qt::CopyAction : Qt::MoveAction);
    // Moved into another text or program: the text leaves this one, if it is still there. A
    // drop into this text, in any view of it, made the whole move itself and answered a copy.
    if (done == Qt::MoveAction && m_buffer->text(from, to) == dragged) {
        setSelection(from, to);
        removeSelectedText();
    }
}

// What a drop answers the drag's source: what it proposes, except that data naming files is
// only ever copied, so that the source does not move or delete the user's files.
Qt::DropAction TextView::dropAnswer(const QDropEvent *event)
{
    return event->mimeData()->hasUrls() ? Qt::CopyAction : event->proposedAction();
}

void TextView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_readOnly || !canInsertFromMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(dropAnswer(event));
    event->accept();
}

void TextView::dragMoveEvent(QDragMoveEvent *event)
{
    if (m_readOnly || !canInsertFromMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    m_dropPos = positionAt(event->position().toPoint());
    viewport()->update();
    event->setDropAction(dropAnswer(event));
    event->accept();
}

void TextView::dragLeaveEvent(QDragLeaveEvent *)
{
    m_dropPos = -1;
    viewport()->update();
}

// Text dragged from a view of this same text (this view or another window of the document)
// is moved by the drop itself, in one undo step, and the drop answers a copy: the source must
// remove nothing afterwards, as its selection, moved along by the edit, no longer holds just
// the dragged text.
void TextView::dropEvent(QDropEvent *event)
{
    m_dropPos = -1;
    if (m_readOnly || !canInsertFromMimeData(event->mimeData())) {
        event->ignore();
        return;
    }
    const qsizetype pos = positionAt(event->position().toPoint());
    const auto *source = qobject_cast<const TextView *>(event->source());
    if (source && source->m_buffer == m_buffer) {
        if (event->dropAction() == Qt::MoveAction && !(event->modifiers() & Qt::ControlModifier))
            moveText(source->selectionStart(), source->selectionEnd(), pos);
        else
            insertDropped(event->mimeData(), pos);
        event->setDropAction(Qt::CopyAction);
    } else {
        insertDropped(event->mimeData(), pos);
        event->setDropAction(dropAnswer(event));
    }
    event->accept();
    viewport()->update();
}

void TextView::insertDropped(const QMimeData *data, qsizetype pos)
{
    setPosition(pos);
    insertFromMimeData(data);
}

// Moves [from, to) to pos as one undo step and selects it there. Dropped onto itself (pos
// within it or at either end) it stays. The copy goes in first, so that an insertion the view
// refuses leaves the text as it was.
void TextView::moveText(qsizetype from, qsizetype to, qsizetype pos)
{
    if (pos >= from && pos <= to)
        return;
    const QString text = m_buffer->text(from, to);
    m_buffer->beginGroup();
    setPosition(pos);
    const bool inserted = replaceSelection(text);
    if (inserted) {
        const qsizetype shift = pos < from ? text.size() : 0;
        setSelection(from + shift, to + shift);
        removeSelectedText();
    }
    m_buffer->endGroup();
    const qsizetype at = pos < from ? pos : pos - text.size();
    if (inserted)
        setSelection(at, at + text.size());
}

// --- painting ---------------------------------------------------------------------------------

void TextView::paintRow(QPainter &painter, const LineLayout &layout, qsizetype line, int row, int y) const
{
    const qsizetype lineStart = m_buffer->lineStart(line);
    const qsizetype lineEnd = m_buffer->lineEnd(line);
    const qreal left = kSelectionBar - horizontalScrollBar()->value();
    QList<LineLayout::Highlight> highlights;
    const QPalette &pal = palette();
    const qsizetype selFrom = selectionStart();
    const qsizetype selTo = selectionEnd();
    if (selFrom < selTo && selFrom <= lineEnd && selTo > lineStart) {
        LineLayout::Highlight h;
        h.from = int(std::max(selFrom, lineStart) - lineStart);
        h.to = int(std::min(selTo, lineEnd) - lineStart);
        h.text = pal.color(QPalette::HighlightedText);
        h.background = pal.color(QPalette::Highlight);
        highlights.append(h);
        // A selected line break shows as a selected space after the line's last row.
        if (selTo > lineEnd && row == layout.rowCount() - 1) {
            const qreal x = left + layout.rowWidth(row);
            painter.fillRect(QRectF(x, y, m_style->advance(u' '), rowHeight()), pal.color(QPalette::Highlight));
        }
    }
    layout.paintRow(painter, row, QPointF(left, y), highlights);
}

void TextView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QPalette &pal = palette();
    painter.fillRect(event->rect(), pal.color(QPalette::Base));
    // Text scrolled to the left goes under the selection bar, out of sight.
    painter.setClipRect(QRect(kSelectionBar, 0, viewport()->width() - kSelectionBar, viewport()->height()));
    painter.setPen(pal.color(QPalette::Text));
    painter.setFont(m_style->font());
    const int height = viewport()->height();
    const int lineHeight = rowHeight();
    const qsizetype caretLine = m_buffer->lineOf(m_pos);
    Row row{m_topLine, m_topSubRow};
    int y = kMargin;
    while (y < height && row.line < m_buffer->lineCount()) {
        if (!m_preedit.isEmpty() && row.line == caretLine) {
            paintComposedLine(painter, *composedLayout(), row, y, event->rect());
            continue;
        }
        const std::shared_ptr<LineLayout> layout = layoutPtr(row.line);
        for (; row.row < layout->rowCount() && y < height; ++row.row, y += lineHeight) {
            if (y + lineHeight < event->rect().top() || y > event->rect().bottom())
                continue;
            paintRow(painter, *layout, row.line, row.row, y);
        }
        ++row.line;
        row.row = 0;
    }
    const bool composing = !m_preedit.isEmpty() && m_dropPos < 0;
    const bool showCaret = hasFocus() && m_caretVisible && (!composing || m_preedit.cursorVisible());
    if (showCaret || m_dropPos >= 0) {
        const QRect caret = composing ? preeditRect(m_preedit.cursor())
                                      : m_dropPos >= 0 ? cursorRect(m_dropPos) : cursorRect();
        painter.fillRect(caret, pal.color(QPalette::Text));
    }
}

// The caret's line while composing, from row on: the composition in the formats the input
// method gave it. Leaves row at the next line's start and y below the line.
void TextView::paintComposedLine(QPainter &painter, const LineLayout &layout, Row &row, int &y,
                                 const QRect &exposed) const
{
    const int at = int(m_pos - m_buffer->lineStart(row.line));
    const QList<LineLayout::Highlight> formats = m_preedit.highlights(at);
    const qreal left = kSelectionBar - horizontalScrollBar()->value();
    const int lineHeight = rowHeight();
    for (; row.row < layout.rowCount() && y < viewport()->height(); ++row.row, y += lineHeight) {
        if (y + lineHeight >= exposed.top() && y <= exposed.bottom())
            layout.paintRow(painter, row.row, QPointF(left, y), formats);
    }
    ++row.line;
    row.row = 0;
}
