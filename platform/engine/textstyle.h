#pragma once
// The font a text is shown in, with what laying it out needs fast: the advance of each
// character that needs no shaping (cached), the line height and ascent, the tab width, and the
// width of the box an escaped byte is painted in.
#include <QFont>
#include <QFontMetricsF>
#include <memory>

class QPaintDevice;

class TextStyle {
public:
    // Metrics for device (printers have their own resolution); the screen when null. The font
    // is used without kerning and ligatures, so a run's width is the sum of its advances.
    explicit TextStyle(const QFont &font, QPaintDevice *device = nullptr);
    ~TextStyle();
    TextStyle(const TextStyle &) = delete;
    TextStyle &operator=(const TextStyle &) = delete;

    const QFont &font() const;
    const QFontMetricsF &metrics() const;
    qreal lineHeight() const;
    qreal ascent() const;
    // Tab stops every tabWidth() pixels, counted from the start of the row.
    qreal tabWidth() const;

    // True when c is drawn by itself with its own advance: no shaping, no combining, no
    // surrogate. A line made only of such characters (and tabs) is laid out without
    // QTextLayout.
    static bool isSimple(char16_t c);
    // The advance of a simple character (an escape's box included); cached after first use.
    qreal advance(char16_t c) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
