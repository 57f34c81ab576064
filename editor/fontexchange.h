#pragma once
// Conversions between the character format that fonts are kept in, the font description the
// font dialog works on, and the widget font and colour that show a format.
#include "platform/charformat.h"
#include "platform/logfont.h"

#include <QColor>
#include <QFont>
#include <cstdint>

class FontExchange {
public:
    // Largest height a widget font is given, in twips (1638 points).
    static constexpr int32_t kMaxTwips = 32760;

    // The description the font dialog starts from. The height is the cell height in pixels
    // at 96 per inch, (yHeight * 4 / 3) / 20 truncating toward zero (200 twips give 13);
    // weight 700 for bold, else 400; the mask is not consulted.
    static LogFont toLogFont(const CharFormat &format);

    // The format the dialog's choice gives, built on the starting one: face (at most 31
    // characters), character set, pitch, colour, height from the point size in tenths, the
    // effects with automatic colour cleared, bold exactly above weight 400. Offset and
    // structure size stay as they were.
    static CharFormat fromDialog(const CharFormat &start, const LogFont &chosen, uint32_t colorref,
                                 int pointSizeTenths);

    // base with the masked fields of format applied. Heights of 0 or below are ignored,
    // heights above kMaxTwips are taken as kMaxTwips; an empty face is ignored.
    static QFont toQFont(const CharFormat &format, const QFont &base);

    // The colour of a 0x00BBGGRR value (the high byte is ignored).
    static QColor textColor(uint32_t colorref);
    // True when the format sets a colour of its own (masked, and not the automatic colour).
    static bool hasTextColor(const CharFormat &format);
};
