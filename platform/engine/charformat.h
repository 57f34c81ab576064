#pragma once
// The character format that fonts are kept in: the fields of the rich-edit control's
// character-format record, with the same units (twips, 0x00BBGGRR colours) and bits, and the
// widget font that shows one.
#include <QString>
#include <cstdint>

class QFont;

struct CharFormat {
    // dwMask bits
    static constexpr uint32_t CFM_BOLD = 0x00000001;
    static constexpr uint32_t CFM_ITALIC = 0x00000002;
    static constexpr uint32_t CFM_UNDERLINE = 0x00000004;
    static constexpr uint32_t CFM_STRIKEOUT = 0x00000008;
    static constexpr uint32_t CFM_OFFSET = 0x10000000;
    static constexpr uint32_t CFM_CHARSET = 0x08000000;
    static constexpr uint32_t CFM_SIZE = 0x80000000;
    static constexpr uint32_t CFM_COLOR = 0x40000000;
    static constexpr uint32_t CFM_FACE = 0x20000000;
    // dwEffects bits
    static constexpr uint32_t CFE_BOLD = 0x00000001;
    static constexpr uint32_t CFE_ITALIC = 0x00000002;
    static constexpr uint32_t CFE_UNDERLINE = 0x00000004;
    static constexpr uint32_t CFE_STRIKEOUT = 0x00000008;
    static constexpr uint32_t CFE_AUTOCOLOR = 0x40000000;

    static constexpr int kSize = 60;      // size of the record the control takes
    static constexpr int kFaceMax = 31;   // characters of the face name, terminator excluded
    // Largest height a widget font is given, in twips (1638 points): a stored height of
    // millions of twips would otherwise ask the font system for a glyph of that size.
    static constexpr int32_t kMaxTwips = 32760;

    uint32_t cbSize = 0;
    uint32_t dwMask = 0;
    uint32_t dwEffects = 0;
    int32_t yHeight = 0;       // twips
    int32_t yOffset = 0;       // twips
    uint32_t crTextColor = 0;  // 0x00BBGGRR
    uint8_t bCharSet = 0;
    uint8_t bPitchAndFamily = 0;
    QString szFaceName;        // at most kFaceMax characters

    // base with the masked font fields of this format applied: effects, size (heights of 0
    // or below are ignored, heights above kMaxTwips taken as kMaxTwips), face (an empty one
    // is ignored; cut as cutFace does) with a style hint from bPitchAndFamily, so that a
    // face that is not installed is drawn with one of the same kind.
    QFont fontOver(const QFont &base) const;

    // A face name cut to kFaceMax characters, never between the halves of a surrogate pair.
    static QString cutFace(const QString &face);

    friend bool operator==(const CharFormat &a, const CharFormat &b) {
        return a.cbSize == b.cbSize && a.dwMask == b.dwMask && a.dwEffects == b.dwEffects &&
               a.yHeight == b.yHeight && a.yOffset == b.yOffset && a.crTextColor == b.crTextColor &&
               a.bCharSet == b.bCharSet && a.bPitchAndFamily == b.bPitchAndFamily &&
               a.szFaceName == b.szFaceName;
    }
};
