#include "platform/engine/preedit.h"

#include "platform/engine/textstyle.h"

#include <QInputMethodEvent>
#include <QTextCharFormat>

#include <algorithm>

namespace {

// A format as the painter of a line takes it: its colours where it sets them, an underline of
// any style as a plain one. A clause without a background of its own is underlined whatever
// its format says: some input methods send clauses they do not stress with an empty format,
// and composed text must never look like the text around it.
LineLayout::Highlight highlightOf(const QTextCharFormat &format, int from, int to)
{
    LineLayout::Highlight h;
    h.from = from;
    h.to = to;
    if (format.background().style() != Qt::NoBrush)
        h.background = format.background().color();
    if (format.foreground().style() != Qt::NoBrush)
        h.text = format.foreground().color();
    h.underline = format.underlineStyle() != QTextCharFormat::NoUnderline || format.fontUnderline() ||
                  !h.background.isValid();
    return h;
}

} // namespace

void Preedit::take(const QInputMethodEvent &event)
{
    m_text = event.preeditString();
    const int length = int(m_text.size());
    m_cursor = length;
    m_cursorVisible = true;
    m_formats.clear();
    for (const QInputMethodEvent::Attribute &a : event.attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            m_cursor = std::clamp(a.start, 0, length);
            m_cursorVisible = a.length != 0;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = qvariant_cast<QTextFormat>(a.value).toCharFormat();
            const int from = std::clamp(a.start, 0, length);
            const int to = std::clamp(a.start + a.length, from, length);
            if (format.isValid() && from < to)
                m_formats.append(highlightOf(format, from, to));
        }
    }
    std::sort(m_formats.begin(), m_formats.end(),
              [](const LineLayout::Highlight &a, const LineLayout::Highlight &b) { return a.from < b.from; });
}

void Preedit::clear()
{
    m_text.clear();
    m_cursor = 0;
    m_cursorVisible = true;
    m_formats.clear();
    m_laid = Laid();
}

int Preedit::focus() const
{
    for (const LineLayout::Highlight &h : m_formats) {
        if (h.background.isValid())
            return h.from;
    }
    return m_cursor;
}

QList<LineLayout::Highlight> Preedit::highlights(int at) const
{
    QList<LineLayout::Highlight> list;
    int covered = 0;
    const auto underlineUpTo = [&](int to) {
        if (covered < to) {
            LineLayout::Highlight gap;
            gap.from = at + covered;
            gap.to = at + to;
            gap.underline = true;
            list.append(gap);
        }
    };
    for (const LineLayout::Highlight &h : m_formats) {
        underlineUpTo(h.from);
        LineLayout::Highlight shifted = h;
        shifted.from += at;
        shifted.to += at;
        list.append(shifted);
        covered = std::max(covered, h.to);
    }
    underlineUpTo(int(m_text.size()));
    return list;
}

std::shared_ptr<LineLayout> Preedit::layout(const TextStyle &style, QStringView line, int at, qreal width,
                                            bool wrap) const
{
    at = std::clamp(at, 0, int(line.size()));
    QString text;
    text.reserve(line.size() + m_text.size());
    text.append(line.left(at)).append(m_text).append(line.mid(at));
    const bool same = m_laid.layout && m_laid.style == &style && m_laid.font == style.font() &&
                      m_laid.width == width && m_laid.wrap == wrap && m_laid.text == text;
    if (!same) {
        m_laid.layout = std::make_shared<LineLayout>(style, text, width, wrap);
        m_laid.text = std::move(text);
        m_laid.style = &style;
        m_laid.font = style.font();
        m_laid.width = width;
        m_laid.wrap = wrap;
    }
    return m_laid.layout;
}
