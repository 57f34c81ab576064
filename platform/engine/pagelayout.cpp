#include "platform/engine/pagelayout.h"

#include "platform/engine/linelayout.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textstyle.h"

#include <QPainter>
#include <QRectF>

#include <algorithm>

namespace {

// The line holding pos laid out so that pos starts a row: the whole line when pos is one of
// its row starts (or the line's start), else the rest of the line from pos on.
struct LineFrom {
    LineLayout layout;
    qsizetype base;  // position of the layout's first character in the text
    int row;         // the row that starts at pos
};

LineFrom layOutFrom(const TextBuffer &text, const TextStyle &style, qreal width, qsizetype pos, QString &scratch)
{
    const qsizetype line = text.lineOf(pos);
    const qsizetype lineStart = text.lineStart(line);
    const QStringView view = text.lineView(line, scratch);
    const int offset = int(pos - lineStart);
    LineLayout whole(style, view, width, true);
    const int row = whole.rowOfOffset(offset);
    if (whole.rowStart(row) == offset)
        return {std::move(whole), lineStart, row};
    return {LineLayout(style, view.mid(offset), width, true), pos, 0};
}

} // namespace

namespace PageLayout {

qsizetype drawPage(const TextBuffer &text, qsizetype from, QPainter *painter, QPaintDevice *device,
                   const QRectF &rect, const QFont &font)
{
    const qsizetype length = text.length();
    from = std::clamp<qsizetype>(from, 0, length);
    if (from == length)
        return length;
    const TextStyle style(font, device);
    const qreal width = std::max<qreal>(1, rect.width());  // a page always wraps
    const int capacity = std::max(1, int(rect.height() / style.lineHeight()));
    QString scratch;
    LineFrom current = layOutFrom(text, style, width, from, scratch);
    qsizetype line = text.lineOf(from);
    for (int drawn = 0; drawn < capacity; ++drawn) {
        if (painter)
            current.layout.paintRow(*painter, current.row, QPointF(rect.left(), rect.top() + drawn * style.lineHeight()));
        if (++current.row < current.layout.rowCount())
            continue;
        if (++line == text.lineCount())
            return length;
        current = {LineLayout(style, text.lineView(line, scratch), width, true), text.lineStart(line), 0};
    }
    return current.base + current.layout.rowStart(current.row);
}

} // namespace PageLayout
