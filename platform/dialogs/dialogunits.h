#pragma once
// Dialog units: dialog templates give positions and sizes in units of the dialog font, a
// quarter of its average character width horizontally and an eighth of its height
// vertically. This class converts them to pixels the way the platform does, so that a
// dialog built from a template looks as it was laid out.
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

class DialogUnits {
public:
    // The letters whose mean advance is the font's average character width.
    static constexpr const char *kAverageSample =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

    explicit DialogUnits(const QFont &dialogFont);

    // The font a template names, e.g. ("ＭＳ Ｐゴシック", 9).
    static QFont dialogFont(const QString &family, int pointSize);

    // Maps the platform's Japanese standard faces onto installed ones. The application calls
    // this once at start, after its QApplication exists; later calls do nothing.
    static void installFontSubstitutions();

    // Average character width and character height of the font, in pixels.
    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

    int toPixelsX(int dluX) const { return mulDiv(dluX, m_baseX, 4); }
    int toPixelsY(int dluY) const { return mulDiv(dluY, m_baseY, 8); }
    // Position and size converted each on its own, as controls are created from a template.
    QRect toPixels(const QRect &dlu) const;
    QSize toPixels(const QSize &dlu) const;

    // Puts a child widget at the template rectangle (x, y, w, h) in dialog units.
    void place(QWidget *child, int x, int y, int w, int h) const;
    // Gives a dialog the fixed client size w by h dialog units.
    void sizeDialog(QWidget *dialog, int w, int h) const;

    // a * b / c rounded half away from zero, without intermediate overflow (the platform's
    // MulDiv). Returns -1 when c is 0.
    static int mulDiv(int a, int b, int c);

private:
    int m_baseX = 1;
    int m_baseY = 1;
};
