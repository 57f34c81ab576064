#include "editor/fontexchange.h"

#include <algorithm>

namespace {

void setEffect(uint32_t &effects, uint32_t bit, bool on)
{
    effects = on ? (effects | bit) : (effects & ~bit);
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
    lf.lfFaceName = CharFormat::cutFace(format.szFaceName);
    return lf;
}

int FontExchange::sizeTenths(const CharFormat &format)
{
    return format.yHeight / 2;
}

CharFormat FontExchange::fromDialog(const CharFormat &start, const LogFont &chosen,
                                    uint32_t colorref, int pointSizeTenths)
{
    CharFormat cf = start;
    cf.szFaceName = CharFormat::cutFace(chosen.lfFaceName);
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
