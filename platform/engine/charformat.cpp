#include "platform/engine/charformat.h"

#include "platform/base/logfont.h"

#include <QFont>
#include <algorithm>

namespace {

// The kind of face bPitchAndFamily asks for; the pitch wins over the family.
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

QFont CharFormat::fontOver(const QFont &base) const
{
    QFont f = base;
    if (dwMask & CFM_BOLD)
        f.setBold(dwEffects & CFE_BOLD);
    if (dwMask & CFM_ITALIC)
        f.setItalic(dwEffects & CFE_ITALIC);
    if (dwMask & CFM_UNDERLINE)
        f.setUnderline(dwEffects & CFE_UNDERLINE);
    if (dwMask & CFM_STRIKEOUT)
        f.setStrikeOut(dwEffects & CFE_STRIKEOUT);
    if ((dwMask & CFM_SIZE) && yHeight > 0)
        f.setPointSizeF(std::min(yHeight, kMaxTwips) / 20.0);
    if ((dwMask & CFM_FACE) && !szFaceName.isEmpty()) {
        f.setFamily(cutFace(szFaceName));
        f.setStyleHint(styleHint(bPitchAndFamily));
    }
    return f;
}

QString CharFormat::cutFace(const QString &face)
{
    if (face.size() <= kFaceMax)
        return face;
    const int n = face.at(kFaceMax - 1).isHighSurrogate() ? kFaceMax - 1 : kFaceMax;
    return face.left(n);
}
