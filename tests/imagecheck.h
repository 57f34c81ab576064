#pragma once
// What a rendered image shows in a rectangle: a colour's share of its pixels, a line drawn
// under text, the caret.
#include <QColor>
#include <QImage>
#include <QRect>

namespace ImageCheck {

// The share of a rectangle's pixels that have a colour (alpha aside).
inline double shareOf(const QImage &image, const QRect &rect, const QColor &colour)
{
    int hits = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            hits += image.pixelColor(x, y).rgb() == colour.rgb();
    }
    return double(hits) / (rect.width() * rect.height());
}

// Whether some pixel row of the rectangle is dark from end to end: a line drawn under text.
inline bool hasLineAcross(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        int dark = 0;
        for (int x = rect.left(); x <= rect.right(); ++x)
            dark += qGray(image.pixel(x, y)) < 96;
        if (dark == rect.width())
            return true;
    }
    return false;
}

// Whether the rectangle's first column is dark from top to bottom: the caret.
inline bool hasCaretAt(const QImage &image, const QRect &rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        if (qGray(image.pixel(rect.left(), y)) >= 96)
            return false;
    }
    return true;
}

} // namespace ImageCheck
