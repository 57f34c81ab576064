#include "platform/engine/linelayout.h"

#include "platform/engine/charclass.h"
#include "platform/engine/textstyle.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <array>
#include <atomic>
#include <limits>
#include <vector>

namespace {

// --- what each character does to breaking and painting ---------------------------------

// A character's row-break classes (CharClass) and, in the bits they leave free, what it does
// to measuring and painting.
enum CharFlag : quint8 {
    kSpace = CharClass::kBlank,
    kGlue = CharClass::kGlue,
    kSimple = 0x01,  // measured with cached advances (TextStyle::isSimple)
    kCell = 0x40,    // painted on its own at its cell: an escape (a box) or a private-use
                     // character (a drawn run would give it no width)
};
static_assert(((kSimple | kCell) & CharClass::kBreakFlags) == 0, "painting flags clash with break classes");

using FlagTable = std::array<quint8, 0x10000>;

void markRange(FlagTable &table, char16_t first, char16_t last, quint8 flags)
{
    for (char32_t c = first; c <= last; ++c)
        table[c] |= flags;
}

FlagTable buildFlags()
{
    FlagTable table{};
    for (char32_t c = 0; c < 0x10000; ++c)
        table[c] = CharClass::breakFlags(char16_t(c)) | (TextStyle::isSimple(char16_t(c)) ? kSimple : 0);
    markRange(table, 0xE000, 0xE757, kCell);
    markRange(table, 0xEF80, 0xEFFF, kCell);
    markRange(table, 0xF8F0, 0xF8F3, kCell);
    return table;
}

const quint8 *charFlags()
{
    static const FlagTable table = buildFlags();
    return table.data();
}

inline bool isEscape(char16_t c)
{
    return c >= 0xEF80 && c <= 0xEFFF;
}

inline qreal tabAdvance(qreal x, qreal tabWidth)
{
    return (std::floor(x / tabWidth) + 1) * tabWidth - x;
}

// The width QTextLayout compares against: it measures in 1/64 pixel.
inline qreal layoutWidth(qreal width)
{
    return std::round(width * 64) / 64;
}

// Where a word with no break point in the row is cut: before the character that does not
// fit, but not before a character glued to the one before it.
int breakAnywhere(const char16_t *s, int n, const quint8 *flags, int start, int overflow)
{
    int b = overflow;
    while (b > start && (flags[s[b]] & kGlue))
        --b;
    if (b > start)
        return b;
    b = overflow;
    while (b < n && (flags[s[b]] & kGlue))
        ++b;
    return b;
}

// Breaks a line of simple characters into rows of at most width, calling onRow(start) for
// the start of every row after the first. False, with nothing more reported, at the first
// character that is not simple. A row ends at the last break point before the first
// character that does not fit; blanks never count as not fitting. Text after the chosen
// break is measured again from the new row's start, since tabs there move.
template <typename OnRow>
bool breakSimple(const TextStyle &style, const char16_t *s, int n, qreal width, OnRow onRow)
{
    const quint8 *flags = charFlags();
    const qreal tab = style.tabWidth();
    int start = 0;
    int lastBreak = -1;
    qreal x = 0;
    quint8 prev = 0;
    for (int i = 0; i < n; ++i) {
        const char16_t c = s[i];
        const quint8 f = flags[c];
        if (Q_UNLIKELY(!(f & kSimple)))
            return false;
        if (i > start && CharClass::breakBetween(prev, f))
            lastBreak = i;
        const qreal a = c == u'\t' ? tabAdvance(x, tab) : style.advance(c);
        if (x + a > width && i > start && !(f & kSpace)) {
            start = lastBreak > start ? lastBreak : breakAnywhere(s, n, flags, start, i);
            if (start >= n)
                return true;
            onRow(start);
            lastBreak = -1;
            x = 0;
            i = start - 1;  // the loop's step measures the new row's first character
            continue;
        }
        x += a;
        prev = f;
    }
    return true;
}

bool allSimple(const char16_t *s, int n)
{
    const quint8 *flags = charFlags();
    for (int i = 0; i < n; ++i) {
        if (!(flags[s[i]] & kSimple))
            return false;
    }
    return true;
}

// --- the QTextLayout road ----------------------------------------------------------------

constexpr char16_t kCellStandIn = 0x25A1;  // □: breaks as escapes do, and has a glyph
constexpr qreal kUnlimited = 8e6;            // within QTextLayout's fixed-point range

// QTextLayout gives escapes and private-use characters without a glyph no width at all. In
// the copy it lays out, each such cell is a □ drawn transparent and spaced to the cell's
// advance, so that rows and positions match the simple road; the cell itself is painted
// afterwards. Line and paragraph separators would end a line there: they become spaces; an
// object replacement character, with no object behind it here, shows as the □.
QString textForLayout(const TextStyle &style, QStringView text, QList<QTextLayout::FormatRange> *cells)
{
    const quint8 *flags = charFlags();
    const qreal standIn = style.advance(kCellStandIn);
    QString copy = text.toString();
    for (qsizetype i = 0; i < copy.size(); ++i) {
        const char16_t c = copy.at(i).unicode();
        if (flags[c] & kCell) {
            QTextLayout::FormatRange range;
            range.start = int(i);
            range.length = 1;
            range.format.setForeground(Qt::transparent);
            range.format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
            range.format.setFontLetterSpacing(style.advance(c) - standIn);
            cells->append(range);
            copy[i] = QChar(kCellStandIn);
        } else if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator) {
            copy[i] = QLatin1Char(' ');
        } else if (c == QChar::ObjectReplacementCharacter) {
            copy[i] = QChar(kCellStandIn);  // QTextLayout would take it for an object of no size
        }
    }
    return copy;
}

void setUpLayout(QTextLayout &layout, const TextStyle &style, QStringView text, qreal width, bool wrap,
                 bool forPainting)
{
    QList<QTextLayout::FormatRange> cells;
    layout.setText(textForLayout(style, text, &cells));
    layout.setFormats(cells);
    // Shaped after all: these lines hold the marks that combine and the scripts that join.
    QFont font = style.font();
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() & ~QFont::PreferNoShaping));
    layout.setFont(font);
    QTextOption option(Qt::AlignLeft);
    option.setTextDirection(Qt::LeftToRight);
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    option.setTabStopDistance(style.tabWidth());
    layout.setTextOption(option);
    layout.setCacheEnabled(forPainting);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
        line.setLineWidth(wrap ? width : kUnlimited);
    layout.endLayout();
}

bool wraps(qreal width, bool wrap)
{
    return wrap && width > 0;
}

// --- painting ----------------------------------------------------------------------------

// The part of the painter's device that can show anything, in the painter's coordinates;
// null when it cannot be told.
QRectF visibleRect(const QPainter &painter)
{
    QRectF visible;
    if (const QPaintDevice *device = painter.device(); device && device->width() > 0) {
        bool invertible = false;
        const QTransform toLogical = painter.combinedTransform().inverted(&invertible);
        if (invertible)
            visible = toLogical.mapRect(QRectF(0, 0, device->width(), device->height()));
    }
    if (painter.hasClipping())
        visible = visible.isNull() ? painter.clipBoundingRect() : visible.intersected(painter.clipBoundingRect());
    return visible;
}

// Paints escapes as their byte in hex in a box over the cell. The digits' font depends only
// on the cell's size, the same for every escape of a row, so it is chosen once.
class EscapePainter {
public:
    explicit EscapePainter(const QFont &font) : m_base(font) {}

    void paint(QPainter &painter, const QRectF &cell, int byte, const QColor &ink)
    {
        const QRectF box = cell.adjusted(1, 1, -0.5, -1);
        if (box.width() < 2 || box.height() < 4)
            return;
        if (!m_ready)
            choose(box);
        painter.setPen(QPen(ink, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box);
        painter.setFont(m_digits);
        const QString hex = QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        if (!m_stacked) {
            painter.drawText(box, Qt::AlignCenter, hex);
            return;
        }
        const qreal half = box.height() / 2;
        painter.drawText(QRectF(box.left(), box.top(), box.width(), half), Qt::AlignCenter, hex.left(1));
        painter.drawText(QRectF(box.left(), box.top() + half, box.width(), half), Qt::AlignCenter, hex.mid(1));
    }

private:
    // Side by side when the box is wide enough, else one above the other.
    void choose(const QRectF &box)
    {
        m_ready = true;
        m_digits = m_base;
        m_digits.setPixelSize(std::max(4, int(box.height() * 0.6)));
        if (QFontMetricsF(m_digits).horizontalAdvance(QStringLiteral("00")) <= box.width() - 1)
            return;
        m_stacked = true;
        int pixels = std::max(4, int(box.height() / 2));
        m_digits.setPixelSize(pixels);
        while (pixels > 4 && QFontMetricsF(m_digits).horizontalAdvance(QLatin1Char('0')) > box.width())
            m_digits.setPixelSize(--pixels);
    }

    QFont m_base;
    QFont m_digits;
    bool m_ready = false;
    bool m_stacked = false;
};

// The colour of the text at an offset: the last highlight over it that has one, else the pen.
QColor inkAt(const QList<LineLayout::Highlight> &highlights, int offset, const QColor &pen)
{
    QColor ink = pen;
    for (const LineLayout::Highlight &h : highlights) {
        if (h.text.isValid() && h.from <= offset && offset < h.to)
            ink = h.text;
    }
    return ink;
}

// The first offset after `offset` where a highlight begins or ends, at most limit.
int nextInkChange(const QList<LineLayout::Highlight> &highlights, int offset, int limit)
{
    int next = limit;
    for (const LineLayout::Highlight &h : highlights) {
        if (!h.text.isValid())
            continue;
        if (h.from > offset)
            next = std::min(next, h.from);
        else if (h.to > offset)
            next = std::min(next, h.to);
    }
    return next;
}

} // namespace

// --- LineLayout ----------------------------------------------------------------------------

struct LineLayout::Private {
    const TextStyle *style = nullptr;
    QString text;
    qreal width = 0;
    bool wrap = false;
    QList<int> starts;  // of every row; the first is 0
    // Simple lines: the x of each offset from the left of the row that holds it, and each
    // row's width.
    std::vector<qreal> xs;
    std::vector<qreal> rowWidths;
    std::unique_ptr<QTextLayout> layout;  // other lines

    bool simple() const { return !layout; }
    int end(int row) const { return row + 1 < starts.size() ? starts.at(row + 1) : int(text.size()); }
    const char16_t *chars() const { return reinterpret_cast<const char16_t *>(text.constData()); }
    void layOutSimple();
    void measureRow(int row);
    void layOutComplex();
    int clampedToRow(int row, int offset) const;
    qreal x(int row, int offset) const;
    int nearestSimple(int row, qreal x) const;
    int nearestLaidOut(int row, qreal x) const;
    // pen: the colour of text outside highlights
    void paintSimple(QPainter &painter, int row, QPointF topLeft, const QList<Highlight> &highlights,
                     const QColor &pen) const;
    int firstVisible(int row, qreal left) const;
    int runEnd(int row, int i, int stop, qreal right) const;
    void paintComplex(QPainter &painter, int row, QPointF topLeft, const QList<Highlight> &highlights,
                      const QColor &pen) const;
    void drawLaidOutText(QPainter &painter, int row, QPointF topLeft, const QList<Highlight> &highlights) const;
    void paintBackgrounds(QPainter &painter, int row, QPointF topLeft, const QList<Highlight> &highlights) const;
    void paintUnderlines(QPainter &painter, int row, QPointF topLeft, const QList<Highlight> &highlights,
                         const QColor &pen) const;
    void paintCell(QPainter &painter, EscapePainter &escapes, int offset, const QRectF &cell, const QColor &ink) const;
    QRegion highlightRegion(int row, QPointF topLeft, const Highlight &h) const;
};

void LineLayout::Private::layOutSimple()
{
    const int n = int(text.size());
    if (wraps(width, wrap))
        breakSimple(*style, chars(), n, layoutWidth(width), [this](int start) { starts.append(start); });
    xs.assign(size_t(n) + 1, 0);
    rowWidths.assign(size_t(starts.size()), 0);
    for (int row = 0; row < starts.size(); ++row)
        measureRow(row);
}

// Positions of a row's characters. With wrapping, blanks hanging at the row's end stop at
// the width (as QTextLayout does), so a caret among them stays in view.
void LineLayout::Private::measureRow(int row)
{
    const int from = starts.at(row);
    const int to = end(row);
    const quint8 *flags = charFlags();
    const char16_t *s = chars();
    qreal x = 0;
    qreal inkEnd = 0;
    for (int i = from; i < to; ++i) {
        xs[size_t(i)] = x;
        x += s[i] == u'\t' ? tabAdvance(x, style->tabWidth()) : style->advance(s[i]);
        if (!(flags[s[i]] & kSpace))
            inkEnd = x;
    }
    qreal end = x;
    if (wraps(width, wrap)) {
        const qreal cap = std::max(width, inkEnd);
        for (int i = from; i < to; ++i)
            xs[size_t(i)] = std::min(xs[size_t(i)], cap);
        end = std::min(end, cap);
    }
    rowWidths[size_t(row)] = end;
}

void LineLayout::Private::layOutComplex()
{
    layout = std::make_unique<QTextLayout>();
    setUpLayout(*layout, *style, text, layoutWidth(width), wraps(width, wrap), true);
    starts.clear();
    for (int i = 0; i < layout->lineCount(); ++i)
        starts.append(layout->lineAt(i).textStart());
    if (starts.isEmpty())
        starts.append(0);
}

int LineLayout::Private::clampedToRow(int row, int offset) const
{
    const int from = starts.at(row);
    const int to = end(row);
    return std::clamp(offset, from, to);
}

qreal LineLayout::Private::x(int row, int offset) const
{
    const int to = end(row);
    offset = clampedToRow(row, offset);
    if (!simple())
        return layout->lineAt(row).cursorToX(offset);
    return offset == to ? rowWidths[size_t(row)] : xs[size_t(offset)];
}

// The boundary nearest to x among the row's offsets; positions ascend along a row.
int LineLayout::Private::nearestSimple(int row, qreal px) const
{
    const int from = starts.at(row);
    const bool last = row + 1 == starts.size();
    const int highest = last ? end(row) : std::max(from, end(row) - 1);
    int lo = from;
    int hi = highest;
    while (lo < hi) {  // first offset whose x is not left of px
        const int mid = lo + (hi - lo) / 2;
        if (x(row, mid) < px)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo > from && px - x(row, lo - 1) < x(row, lo) - px)
        --lo;
    // Not between a kana and its sound mark: the nearer side of the pair, before it when the
    // pair ends a row that is not the last.
    if (lo > from && CharClass::splitsKana(chars()[lo - 1], chars()[lo])) {
        const int before = lo - 1;
        const int after = lo + 1;
        lo = after > highest || px - x(row, before) <= x(row, after) - px ? before : after;
    }
    return lo;
}

// QTextLayout's own hit test can land off by some among blanks hanging past the width (they
// all stand at the width): from where it lands, the cursor positions around are looked at
// while they may be as near, leftwards and rightwards, the later of two at one x winning as
// in QTextLayout. The row's end belongs to the next row but in the last.
int LineLayout::Private::nearestLaidOut(int row, qreal px) const
{
    const QTextLine line = layout->lineAt(row);
    const int from = starts.at(row);
    const int highest = row + 1 == starts.size() ? end(row) : std::max(from, layout->previousCursorPosition(end(row)));
    const int landed = std::clamp(line.xToCursor(px, QTextLine::CursorBetweenCharacters), from, highest);
    int best = landed;
    qreal bestDistance = std::abs(line.cursorToX(landed) - px);
    for (int i = landed; i > from;) {
        const int previous = layout->previousCursorPosition(i);
        if (previous >= i || previous < from)
            break;
        i = previous;
        const qreal x = line.cursorToX(i);
        if (x < px - bestDistance)
            break;
        if (std::abs(x - px) < bestDistance) {
            best = i;
            bestDistance = std::abs(x - px);
        }
    }
    for (int i = landed; i < highest;) {
        const int next = layout->nextCursorPosition(i);
        if (next <= i || next > highest)
            break;
        i = next;
        const qreal x = line.cursorToX(i);
        if (x > px + bestDistance)
            break;
        if (std::abs(x - px) <= bestDistance) {
            best = i;
            bestDistance = std::abs(x - px);
        }
    }
    return best;
}

void LineLayout::Private::paintBackgrounds(QPainter &painter, int row, QPointF topLeft,
                                           const QList<Highlight> &highlights) const
{
    for (const Highlight &h : highlights) {
        if (!h.background.isValid())
            continue;
        if (simple()) {
            const int a = clampedToRow(row, h.from);
            const int b = clampedToRow(row, h.to);
            if (a < b) {
                const qreal left = topLeft.x() + x(row, a);
                painter.fillRect(QRectF(left, topLeft.y(), x(row, b) - x(row, a), style->lineHeight()), h.background);
            }
        } else {
            const QRegion region = highlightRegion(row, topLeft, h);
            for (const QRect &r : region)
                painter.fillRect(r, h.background);
        }
    }
}

void LineLayout::Private::paintUnderlines(QPainter &painter, int row, QPointF topLeft,
                                          const QList<Highlight> &highlights, const QColor &pen) const
{
    // whole pixels, so that the line is as crisp as the text
    const qreal y = topLeft.y() + style->ascent() + std::max(1, qRound(style->metrics().underlinePos()));
    const qreal thickness = std::max(1, qRound(style->metrics().lineWidth()));
    for (const Highlight &h : highlights) {
        const int a = clampedToRow(row, h.from);
        const int b = clampedToRow(row, h.to);
        if (!h.underline || a >= b)
            continue;
        painter.setPen(QPen(h.text.isValid() ? h.text : pen, thickness));
        painter.drawLine(QPointF(topLeft.x() + x(row, a), y), QPointF(topLeft.x() + x(row, b), y));
    }
}

void LineLayout::Private::paintCell(QPainter &painter, EscapePainter &escapes, int offset, const QRectF &cell,
                                    const QColor &ink) const
{
    const char16_t c = chars()[offset];
    if (isEscape(c)) {
        escapes.paint(painter, cell, c - 0xEF00, ink);
        return;
    }
    painter.setFont(style->font());
    painter.setPen(ink);
    painter.drawText(QPointF(cell.left(), cell.top() + style->ascent()), QString(QChar(c)));
}

// The first character of a row whose right edge is right of left (row coordinates).
int LineLayout::Private::firstVisible(int row, qreal left) const
{
    const auto begin = xs.begin() + starts.at(row);
    const int after = int(std::upper_bound(begin, xs.begin() + end(row), left) - xs.begin());
    return std::max(starts.at(row), after - 1);
}

// The end of a run drawn in one call from i: before stop, a tab, a cell, or what is right
// of right.
int LineLayout::Private::runEnd(int row, int i, int stop, qreal right) const
{
    const quint8 *flags = charFlags();
    const char16_t *s = chars();
    int j = i + 1;
    while (j < stop && s[j] != u'\t' && !(flags[s[j]] & kCell) && x(row, j) <= right)
        ++j;
    return j;
}

// Runs of characters in one colour with one drawText each; blanks are skipped, cells
// painted one by one, and characters outside what the painter can show are not drawn at
// all (a long line without wrapping).
void LineLayout::Private::paintSimple(QPainter &painter, int row, QPointF topLeft,
                                      const QList<Highlight> &highlights, const QColor &pen) const
{
    const int to = end(row);
    const quint8 *flags = charFlags();
    const char16_t *s = chars();
    const QRectF visible = visibleRect(painter);
    constexpr qreal kInfinity = std::numeric_limits<qreal>::infinity();
    const qreal right = visible.isNull() ? kInfinity : visible.right() - topLeft.x();
    EscapePainter escapes(style->font());
    painter.setFont(style->font());
    for (int i = firstVisible(row, visible.isNull() ? -kInfinity : visible.left() - topLeft.x());
         i < to && x(row, i) <= right;) {
        const quint8 f = flags[s[i]];
        const QColor ink = inkAt(highlights, i, pen);
        if (f & kSpace) {
            ++i;
        } else if (f & kCell) {
            const QRectF cell(topLeft.x() + x(row, i), topLeft.y(), style->advance(s[i]), style->lineHeight());
            paintCell(painter, escapes, i, cell, ink);
            painter.setFont(style->font());
            ++i;
        } else {
            const int j = runEnd(row, i, nextInkChange(highlights, i, to), right);
            painter.setPen(ink);
            painter.drawText(QPointF(topLeft.x() + x(row, i), topLeft.y() + style->ascent()),
                             QString::fromRawData(reinterpret_cast<const QChar *>(s + i), j - i));
            i = j;
        }
    }
}

// The area a highlight covers in a row of a laid-out line: one rectangle per character,
// since right-to-left runs put logical neighbours apart.
QRegion LineLayout::Private::highlightRegion(int row, QPointF topLeft, const Highlight &h) const
{
    const int a = clampedToRow(row, h.from);
    const int b = clampedToRow(row, h.to);
    QRegion region;
    const QTextLine line = layout->lineAt(row);
    for (int i = a; i < b; i = layout->nextCursorPosition(i)) {
        const int next = std::min(b, layout->nextCursorPosition(i));
        qreal x1 = line.cursorToX(i);
        qreal x2 = line.cursorToX(next);
        if (x2 < x1)
            std::swap(x1, x2);
        region += QRectF(topLeft.x() + x1, topLeft.y(), x2 - x1, style->lineHeight()).toAlignedRect();
        if (next <= i)
            break;
    }
    return region;
}

// QTextLayout draws the row, then the cells are painted over their transparent stand-ins.
void LineLayout::Private::paintComplex(QPainter &painter, int row, QPointF topLeft,
                                       const QList<Highlight> &highlights, const QColor &pen) const
{
    drawLaidOutText(painter, row, topLeft, highlights);
    const quint8 *flags = charFlags();
    const QTextLine line = layout->lineAt(row);
    EscapePainter escapes(style->font());
    for (int i = starts.at(row); i < end(row); ++i) {
        if (flags[chars()[i]] & kCell) {
            const qreal x1 = line.cursorToX(i);
            const QRectF cell(topLeft.x() + x1, topLeft.y(), line.cursorToX(i + 1) - x1, style->lineHeight());
            paintCell(painter, escapes, i, cell, inkAt(highlights, i, pen));
        }
    }
}

// Text in highlight colours is drawn again within the highlight's area, and the rest with
// that area left out. Baselines line up with simple rows whatever fonts the fallback
// brought in.
void LineLayout::Private::drawLaidOutText(QPainter &painter, int row, QPointF topLeft,
                                          const QList<Highlight> &highlights) const
{
    const QTextLine line = layout->lineAt(row);
    const QPointF origin = topLeft + QPointF(0, style->ascent() - line.ascent()) - line.position();
    QRegion inked;
    for (const Highlight &h : highlights) {
        if (h.text.isValid())
            inked += highlightRegion(row, topLeft, h);
    }
    painter.save();
    if (!inked.isEmpty()) {
        // room for glyphs that reach past their advance at either end
        const qreal margin = style->lineHeight();
        const QRectF rowRect(topLeft.x() - margin, topLeft.y(),
                             std::max(line.naturalTextWidth(), line.horizontalAdvance()) + 2 * margin,
                             style->lineHeight());
        painter.setClipRegion(QRegion(rowRect.toAlignedRect()) - inked, Qt::IntersectClip);
    }
    line.draw(&painter, origin);
    painter.restore();
    for (const Highlight &h : highlights) {
        if (!h.text.isValid())
            continue;
        painter.save();
        painter.setClipRegion(highlightRegion(row, topLeft, h), Qt::IntersectClip);
        painter.setPen(h.text);
        line.draw(&painter, origin);
        painter.restore();
    }
}

namespace {
std::atomic<qint64> g_layoutsMade{0};
} // namespace

qint64 LineLayout::layoutsMade()
{
    return g_layoutsMade.load(std::memory_order_relaxed);
}

LineLayout::LineLayout(const TextStyle &style, QStringView text, qreal width, bool wrap) : d(std::make_unique<Private>())
{
    g_layoutsMade.fetch_add(1, std::memory_order_relaxed);
    d->style = &style;
    d->text = text.toString();
    d->width = width;
    d->wrap = wrap;
    d->starts.append(0);
    if (allSimple(d->chars(), int(d->text.size())))
        d->layOutSimple();
    else
        d->layOutComplex();
}

LineLayout::~LineLayout() = default;
LineLayout::LineLayout(LineLayout &&) noexcept = default;
LineLayout &LineLayout::operator=(LineLayout &&) noexcept = default;

int LineLayout::countRows(const TextStyle &style, QStringView text, qreal width, bool wrap)
{
    if (!wraps(width, wrap))
        return 1;
    int rows = 1;
    const auto *s = reinterpret_cast<const char16_t *>(text.data());
    if (breakSimple(style, s, int(text.size()), layoutWidth(width), [&rows](int) { ++rows; }))
        return rows;
    QTextLayout layout;
    setUpLayout(layout, style, text, layoutWidth(width), true, false);
    return std::max(1, layout.lineCount());
}

int LineLayout::length() const
{
    return int(d->text.size());
}

int LineLayout::rowCount() const
{
    return int(d->starts.size());
}

int LineLayout::rowStart(int row) const
{
    return d->starts.at(std::clamp(row, 0, rowCount() - 1));
}

int LineLayout::rowEnd(int row) const
{
    row = std::clamp(row, 0, rowCount() - 1);
    return row + 1 < rowCount() ? d->starts.at(row + 1) : length();
}

int LineLayout::rowOfOffset(int offset, bool upper) const
{
    const auto after = std::upper_bound(d->starts.begin(), d->starts.end(), offset);
    const int row = std::max(0, int(after - d->starts.begin()) - 1);
    return upper && row > 0 && d->starts.at(row) == offset ? row - 1 : row;
}

qreal LineLayout::xOfOffset(int row, int offset) const
{
    return d->x(std::clamp(row, 0, rowCount() - 1), offset);
}

qreal LineLayout::rowWidth(int row) const
{
    row = std::clamp(row, 0, rowCount() - 1);
    if (d->simple())
        return d->rowWidths[size_t(row)];
    const QTextLine line = d->layout->lineAt(row);
    return std::max(line.naturalTextWidth(), line.cursorToX(rowEnd(row)));
}

// Past the end of a row that is not the last, the nearest offset is the one before the
// row's last character (or last kana pair): its end is the next row's start, which belongs
// to that row.
int LineLayout::offsetAtX(int row, qreal x) const
{
    row = std::clamp(row, 0, rowCount() - 1);
    return d->simple() ? d->nearestSimple(row, x) : d->nearestLaidOut(row, x);
}

void LineLayout::paintRow(QPainter &painter, int row, QPointF topLeft, const QList<Highlight> &highlights) const
{
    if (row < 0 || row >= rowCount())
        return;
    const QColor pen = painter.pen().color();
    painter.save();
    d->paintBackgrounds(painter, row, topLeft, highlights);
    if (d->simple())
        d->paintSimple(painter, row, topLeft, highlights, pen);
    else
        d->paintComplex(painter, row, topLeft, highlights, pen);
    d->paintUnderlines(painter, row, topLeft, highlights, pen);
    painter.restore();
}
