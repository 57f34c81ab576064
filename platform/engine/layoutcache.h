#pragma once
// The lines of a text laid out for one view: its style, width and wrap. The view paints and
// hit-tests with these, and its row index (WrapIndex, which owns the cache) looks into them
// for rows within a line, so that each line on screen is laid out once. It keeps a screenful
// and some; lines far from the view go again. After an edit the row index drops what the edit
// touched before any view hears of it (TextBuffer::changeForIndexes).
#include "platform/engine/textbuffer.h"

#include <QHash>
#include <QString>
#include <memory>

class LineLayout;
class TextStyle;

class LayoutCache {
public:
    explicit LayoutCache(const TextBuffer *buffer);
    ~LayoutCache();

    // Empties the cache. style must outlive the cache or the next call.
    void configure(const TextStyle *style, qreal width, bool wrap);
    // Lines kept before the cache starts again.
    void setCapacity(int lines);

    // The layout of a line, laid out now when not kept. Held by the pointer, a layout
    // outlives the cache's emptying.
    std::shared_ptr<LineLayout> layout(qsizetype line);
    // Drops the lines an edit changed; with lines added or removed, those after it too.
    void textChanged(const TextBuffer::Change &change);

private:
    const TextBuffer *m_buffer;
    const TextStyle *m_style = nullptr;
    qreal m_width = 0;
    bool m_wrap = true;
    int m_capacity = 64;
    QHash<qsizetype, std::shared_ptr<LineLayout>> m_layouts;
    QString m_scratch;
};
