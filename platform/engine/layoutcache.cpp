#include "platform/engine/layoutcache.h"

#include "platform/engine/linelayout.h"

LayoutCache::LayoutCache(const TextBuffer *buffer) : m_buffer(buffer) {}

LayoutCache::~LayoutCache() = default;

void LayoutCache::configure(const TextStyle *style, qreal width, bool wrap)
{
    m_style = style;
    m_width = width;
    m_wrap = wrap;
    m_layouts.clear();
}

void LayoutCache::setCapacity(int lines)
{
    m_capacity = std::max(1, lines);
}

std::shared_ptr<LineLayout> LayoutCache::layout(qsizetype line)
{
    auto it = m_layouts.constFind(line);
    if (it != m_layouts.constEnd())
        return *it;
    if (m_layouts.size() >= m_capacity)
        m_layouts.clear();
    auto laidOut = std::make_shared<LineLayout>(*m_style, m_buffer->lineView(line, m_scratch), m_width, m_wrap);
    m_layouts.insert(line, laidOut);
    return laidOut;
}

void LayoutCache::textChanged(const TextBuffer::Change &change)
{
    if (change.linesAdded == change.linesRemoved) {
        for (qsizetype line = change.firstLine; line <= change.firstLine + change.linesAdded; ++line)
            m_layouts.remove(line);
        return;
    }
    for (auto it = m_layouts.begin(); it != m_layouts.end();)
        it = it.key() >= change.firstLine ? m_layouts.erase(it) : std::next(it);
}
