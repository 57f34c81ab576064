#pragma once
// A font description as the platform's font dialog takes and returns it: the fields of the
// GDI logical-font record. Heights are pixels at 96 pixels per inch: a negative height is the
// character height (em), a positive one the cell height; 0 means "any".
#include <QString>
#include <cstdint>

struct LogFont {
    static constexpr int32_t FW_NORMAL = 400;
    static constexpr int32_t FW_BOLD = 700;
    static constexpr uint8_t ANSI_CHARSET = 0;
    static constexpr uint8_t SHIFTJIS_CHARSET = 128;
    // lfPitchAndFamily: pitch in the low two bits, family in the high nibble
    static constexpr uint8_t FIXED_PITCH = 0x01;
    static constexpr uint8_t VARIABLE_PITCH = 0x02;
    static constexpr uint8_t FF_ROMAN = 0x10;
    static constexpr uint8_t FF_SWISS = 0x20;
    static constexpr uint8_t FF_MODERN = 0x30;
    static constexpr uint8_t FF_SCRIPT = 0x40;
    static constexpr uint8_t FF_DECORATIVE = 0x50;
    static constexpr int kFaceMax = 31;   // characters of the face name, terminator excluded

    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    QString lfFaceName;   // at most kFaceMax characters

    friend bool operator==(const LogFont &a, const LogFont &b) {
        return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth &&
               a.lfEscapement == b.lfEscapement && a.lfOrientation == b.lfOrientation &&
               a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
               a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut &&
               a.lfCharSet == b.lfCharSet && a.lfOutPrecision == b.lfOutPrecision &&
               a.lfClipPrecision == b.lfClipPrecision && a.lfQuality == b.lfQuality &&
               a.lfPitchAndFamily == b.lfPitchAndFamily && a.lfFaceName == b.lfFaceName;
    }
    friend bool operator!=(const LogFont &a, const LogFont &b) { return !(a == b); }
};
