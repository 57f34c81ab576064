#pragma once
// Laying text out on pages, for printing: the text from a position on is wrapped at the
// rectangle's width in the given font and drawn line by line until the rectangle is full.
#include <QtGlobal>

class QFont;
class QPaintDevice;
class QPainter;
class QRectF;
class TextBuffer;

namespace PageLayout {

// Draws from position `from` into rect with font, measured for device (a printer has its own
// resolution), and returns the position where the next page starts: length() of the text
// when everything fitted. A page always takes at least one row, so a caller looping until
// length() always ends. With painter null nothing is drawn, only measured (page counting).
qsizetype drawPage(const TextBuffer &text, qsizetype from, QPainter *painter, QPaintDevice *device,
                   const QRectF &rect, const QFont &font);

} // namespace PageLayout
