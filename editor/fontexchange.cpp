#include "editor/fontexchange.h"

#include "platform/colorref.h"

#include <algorithm>

namespace {

// A face name cut to what the format holds, never in the middle of a surrogate pair.
QString cutFace(const QString &face)
{
    if (face.size() <= CharFormat::kFaceMax)
        return face;
    int n = CharFormat::kFaceMax;
    if (face.at(n - 1).isHighSurrogate())
        --n;
    return face.left(n);
}

void setEffect(uint32_t &effects, uint32_t bit, bool on)
{
    effects = on ? (effects | bit) : (effects & ~bit);
}

QFont::StyleHint styleHint(uint8_t pitchAndFamily)
{
    if ((pitchAndFamily & 0x03) == LogFont::FIXED_PITCH)
        return QFont::Monospace;
    switch (pitchAndFamily & 0xF0) {
    case LogFont::FF_ROMAN: return QFont::Serif;
    case LogFont::FF_SWISS: return QFont::SansSerif;
    case LogFont::FF_MODERN: return QFont::Monospace;
    case LogFont::FF_SCRIPT: return QFont::Cursive;
    case LogFont::FF_DECORATIVE: return QFont::Decorative;
    default: return QFont::AnyStyle;
    }
}

} // namespace

LogFont FontExchange::toLogFont(const CharFormat &format)
{
    LogFont lf;
    // Computed in 64 bits: the result always fits, the product may not.
    lf.lfHeight = int32_t((int64_t(format.yHeight) * 4 / 3) / 20);
    lf.lfWeight = (format.dwEffects & CharFormat::CFE_BOLD) ? LogFont::FW_BOLD : LogFont::FW_NORMAL;
    lf.lfItalic = (format.dwEffects & CharFormat::CFE_ITALIC) ? 1 : 0;
    lf.lfUnderline = (format.dwEffects & CharFormat::CFE_UNDERLINE) ? 1 : 0;
    lf.lfStrikeOut = (format.dwEffects & CharFormat::CFE_STRIKEOUT) ? 1 : 0;
    lf.lfCharSet = format.bCharSet;
    lf.lfPitchAndFamily = format.bPitchAndFamily;
    lf.lfFaceName = cutFace(format.szFaceName);
    return lf;
}

CharFormat FontExchange::fromDialog(const CharFormat &start, const LogFont &chosen,
                                    uint32_t colorref, int pointSizeTenths)
{
    CharFormat cf = start;
    cf.szFaceName = cutFace(chosen.lfFaceName);
    cf.bCharSet = chosen.lfCharSet;
    cf.bPitchAndFamily = chosen.lfPitchAndFamily;
    cf.crTextColor = colorref;
    cf.yHeight = int32_t(std::clamp<int64_t>(int64_t(pointSizeTenths) * 2, INT32_MIN, INT32_MAX));
    cf.dwMask = CharFormat::CFM_BOLD | CharFormat::CFM_ITALIC | CharFormat::CFM_UNDERLINE |
                CharFormat::CFM_STRIKEOUT | CharFormat::CFM_SIZE | CharFormat::CFM_COLOR |
                CharFormat::CFM_FACE | CharFormat::CFM_OFFSET | CharFormat::CFM_CHARSET;
    cf.dwEffects &= ~CharFormat::CFE_AUTOCOLOR;
    setEffect(cf.dwEffects, CharFormat::CFE_STRIKEOUT, chosen.lfStrikeOut != 0);
    setEffect(cf.dwEffects, CharFormat::CFE_UNDERLINE, chosen.lfUnderline != 0);
    setEffect(cf.dwEffects, CharFormat::CFE_ITALIC, chosen.lfItalic != 0);
    setEffect(cf.dwEffects, CharFormat::CFE_BOLD, chosen.lfWeight > LogFont::FW_NORMAL);
    return cf;
}

QFont FontExchange::toQFont(const CharFormat &format, const QFont &base)
{
    QFont f = base;
    const uint32_t mask = format.dwMask;
    const uint32_t fx = format.dwEffects;
    if (mask & CharFormat::CFM_BOLD)
        f.setBold(fx & CharFormat::CFE_BOLD);
    if (mask & CharFormat::CFM_ITALIC)
        f.setItalic(fx & CharFormat::CFE_ITALIC);
    if (mask & CharFormat::CFM_UNDERLINE)
        f.setUnderline(fx & CharFormat::CFE_UNDERLINE);
    if (mask & CharFormat::CFM_STRIKEOUT)
        f.setStrikeOut(fx & CharFormat::CFE_STRIKEOUT);
    if ((mask & CharFormat::CFM_SIZE) && format.yHeight > 0)
        f.setPointSizeF(qMin(format.yHeight, kMaxTwips) / 20.0);
    if ((mask & CharFormat::CFM_FACE) && !format.szFaceName.isEmpty()) {
        f.setFamily(format.szFaceName);
        f.setStyleHint(styleHint(format.bPitchAndFamily));
    }
    return f;
}

QColor FontExchange::textColor(uint32_t colorref)
{
    return ColorFromRef(colorref);
}

bool FontExchange::hasTextColor(const CharFormat &format)
{
    return (format.dwMask & CharFormat::CFM_COLOR) && !(format.dwEffects & CharFormat::CFE_AUTOCOLOR);
}
