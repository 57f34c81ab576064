#include "platform/engine/charclass.h"

#include "platform/engine/textbuffer.h"

#include <QChar>

#include <array>
#include <initializer_list>

namespace {

using FlagTable = std::array<quint8, 0x10000>;

void markAll(FlagTable &table, std::initializer_list<char16_t> chars, quint8 flags)
{
    for (const char16_t c : chars)
        table[c] |= flags;
}

void markRange(FlagTable &table, char16_t first, char16_t last, quint8 flags)
{
    for (char32_t c = first; c <= last; ++c)
        table[c] |= flags;
}

// The classes follow the usual line-breaking classes closely enough that a line of these
// characters breaks where QTextLayout would break it, save for breaks after hyphens, slashes
// and marks inside a word, which rows here do not take, and tabs in a run, which all hang
// here where QTextLayout may put the last of them on the next row.
FlagTable buildBreakFlags()
{
    FlagTable t{};
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (CharClass::isBlank(char16_t(c)))
            t[c] = CharClass::kBlank;
    }
    // The typographic spaces break as blanks too; the figure space U+2007 does not.
    markAll(t, {0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006, 0x2008, 0x2009, 0x200A, 0x205F},
            CharClass::kBlank);
    markRange(t, 0x2E80, 0x9FFF, CharClass::kCjk);
    markRange(t, 0xAC00, 0xD7A3, CharClass::kCjk);
    markRange(t, 0xF900, 0xFAFF, CharClass::kCjk);
    markRange(t, 0xFE30, 0xFE4F, CharClass::kCjk);
    markRange(t, 0xFF01, 0xFFEF, CharClass::kCjk);
    markAll(t, {0x2026, 0x2025}, CharClass::kCjk);  // … and ‥ may end a row before anything

    markAll(t, {u')', u']', u'}', u',', u'.', u':', u';', u'!', u'?', 0x2010, 0x2013, 0x203C,
                0x2047, 0x2048, 0x2049, 0x2025, 0x2026,
                0x3001, 0x3002, 0x3005, 0x3009, 0x300B, 0x300D, 0x300F, 0x3011, 0x3015, 0x3017,
                0x3019, 0x301B, 0x301C, 0x301E, 0x301F, 0x303B,
                0x3041, 0x3043, 0x3045, 0x3047, 0x3049, 0x3063, 0x3083, 0x3085, 0x3087, 0x308E,
                0x3095, 0x3096, 0x309B, 0x309C, 0x309D, 0x309E, 0x30A0,
                0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30C3, 0x30E3, 0x30E5, 0x30E7, 0x30EE,
                0x30F5, 0x30F6, 0x30FB, 0x30FC, 0x30FD, 0x30FE,
                0xFF01, 0xFF09, 0xFF0C, 0xFF0E, 0xFF1A, 0xFF1B, 0xFF1F, 0xFF3D, 0xFF5D, 0xFF60,
                0xFF61, 0xFF63, 0xFF64, 0xFF65, 0xFF70, 0xFF9E, 0xFF9F},
            CharClass::kNoBreakBefore);
    markRange(t, 0x31F0, 0x31FF, CharClass::kNoBreakBefore);  // small katakana extension
    markRange(t, 0xFF67, 0xFF6F, CharClass::kNoBreakBefore);  // small half-width katakana
    markAll(t, {u'(', u'[', u'{', 0x3008, 0x300A, 0x300C, 0x300E, 0x3010, 0x3014, 0x3016,
                0x3018, 0x301A, 0x301D, 0xFF08, 0xFF3B, 0xFF5B, 0xFF5F, 0xFF62},
            CharClass::kNoBreakAfter);
    markAll(t, {u'"', u'\'', 0x00AB, 0x00BB, 0x2018, 0x2019, 0x201C, 0x201D, 0x00A0, 0x2007,
                0x2011, 0x202F},
            CharClass::kJoin);
    markAll(t, {0xFF9E, 0xFF9F}, CharClass::kGlue);
    return t;
}

} // namespace

bool CharClass::isWordChar(char32_t codePoint)
{
    return codePoint == U'_' || QChar::isLetterOrNumber(codePoint) || QChar::isMark(codePoint);
}

CharClass::Kind CharClass::kindOf(char16_t u)
{
    if (u == TextBuffer::kBreak)
        return Kind::Break;
    if (isBlank(u))
        return Kind::Blank;
    if (u >= 0x3041 && u <= 0x309F)
        return Kind::Hiragana;
    if ((u >= 0x30A0 && u <= 0x30FF) || (u >= 0xFF66 && u <= 0xFF9F))
        return Kind::Katakana;
    if ((u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || (u >= 0xF900 && u <= 0xFAFF) ||
        u == 0x3005)
        return Kind::Kanji;
    if (isWordChar(u) || QChar::isSurrogate(u))
        return Kind::Word;
    return Kind::Other;
}

quint8 CharClass::breakFlags(char16_t unit)
{
    static const FlagTable table = buildBreakFlags();
    return table[unit];
}
