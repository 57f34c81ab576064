#pragma once
// Conversions between the character format that fonts are kept in and the font description
// and size the font dialog works on.
#include "platform/engine/charformat.h"
#include "platform/base/logfont.h"

#include <cstdint>

class FontExchange {
public:
    // The description the font dialog starts from. The height is the cell height in pixels
    // at 96 per inch, (yHeight * 4 / 3) / 20 truncating toward zero (200 twips give 13);
    // weight 700 for bold, else 400; the mask is not consulted.
    static LogFont toLogFont(const CharFormat &format);

    // The format's size in tenths of a point (yHeight / 2), for the dialog to open on: the
    // description's pixel height alone cannot tell 10.5 points from 11.
    static int sizeTenths(const CharFormat &format);

    // The format the dialog's choice gives, built on the starting one: face (at most 31
    // characters), character set, pitch, colour, height from the point size in tenths, the
    // effects with automatic colour cleared, bold exactly above weight 400. Offset and
    // structure size stay as they were.
    static CharFormat fromDialog(const CharFormat &start, const LogFont &chosen, uint32_t colorref,
                                 int pointSizeTenths);
};
