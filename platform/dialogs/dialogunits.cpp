#include "platform/dialogs/dialogunits.h"

#include <QFontMetrics>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <cstdlib>

DialogUnits::DialogUnits(const QFont &dialogFont)
{
    const QFontMetrics fm(dialogFont);
    // The platform halves and rounds the mean advance of the 52 letters in this exact way.
    const int cx = fm.horizontalAdvance(QString::fromLatin1(kAverageSample));
    m_baseX = qMax(1, (cx / 26 + 1) / 2);
    m_baseY = qMax(1, fm.height());
}

QFont DialogUnits::dialogFont(const QString &family, int pointSize)
{
    QFont font(family);
    font.setPointSize(pointSize > 0 ? pointSize : 9);
    return font;
}

void DialogUnits::installFontSubstitutions()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // Installed Japanese faces first (Debian's IPA fonts), then other common ones. Used only
    // where the named face itself is missing.
    const QStringList proportionalGothic{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                         QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")};
    const QStringList fixedGothic{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                                  QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("VL Gothic")};
    const QStringList proportionalMincho{QStringLiteral("IPAPMincho"), QStringLiteral("IPA P明朝"),
                                         QStringLiteral("Noto Serif CJK JP")};
    const QStringList fixedMincho{QStringLiteral("IPAMincho"), QStringLiteral("IPA明朝"),
                                  QStringLiteral("Noto Serif CJK JP")};
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"), proportionalGothic);
    QFont::insertSubstitutions(QStringLiteral("MS PGothic"), proportionalGothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), fixedGothic);
    QFont::insertSubstitutions(QStringLiteral("MS Gothic"), fixedGothic);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐ明朝"), proportionalMincho);
    QFont::insertSubstitutions(QStringLiteral("MS PMincho"), proportionalMincho);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"), fixedMincho);
    QFont::insertSubstitutions(QStringLiteral("MS Mincho"), fixedMincho);
}

QRect DialogUnits::toPixels(const QRect &dlu) const
{
    return QRect(toPixelsX(dlu.x()), toPixelsY(dlu.y()), toPixelsX(dlu.width()),
                 toPixelsY(dlu.height()));
}

QSize DialogUnits::toPixels(const QSize &dlu) const
{
    return QSize(toPixelsX(dlu.width()), toPixelsY(dlu.height()));
}

void DialogUnits::place(QWidget *child, int x, int y, int w, int h) const
{
    child->setGeometry(toPixels(QRect(x, y, w, h)));
}

void DialogUnits::sizeDialog(QWidget *dialog, int w, int h) const
{
    dialog->setFixedSize(toPixels(QSize(w, h)));
}

int DialogUnits::mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = int64_t(a) * b;
    const int64_t half = std::llabs(c) / 2;
    // Round half away from zero: shift the numerator away from zero in the quotient's sign.
    const bool negative = (product < 0) != (c < 0);
    const int64_t q = (product + (negative ? -half : half) * (c < 0 ? -1 : 1)) / c;
    if (q > INT32_MAX || q < INT32_MIN)
        return -1;
    return int(q);
}
