#pragma once
// The one sorting of characters for everything in the text engine that looks at words: moves
// and selection by word in the view, whole-word find, and where a line breaks into rows. The
// three share what a word character and a blank are; where they must differ, the difference is
// written here and nowhere else:
//
// - A word character is a letter, a number, a combining mark (so that a combining sound mark
//   stays with its kana) or '_': ASCII letters and digits, and beyond ASCII every letter,
//   digit and mark (kanji, kana, the long vowel mark, full-width letters and digits).
//   isWordChar().
// - Whole-word find takes word characters as they are, by whole code points, without
//   scripts: a match is whole when no word character continues it on either side, so a run
//   of Japanese letters is one word ("日本" is not a whole word in "日本語", but is in
//   "日本、" and "日本 ").
// - Moves by word split the word characters by script (kindOf()): a run of one kind is a
//   word, so Japanese moves by runs of kanji, of hiragana and of katakana. They look at code
//   units, not code points: each half of a surrogate pair is a word character of no script
//   (Kind::Word), whatever the character is. And the kana and kanji blocks count whole, so
//   the members of those blocks that are not letters (the sound marks ゛ ゜, the middle
//   dot ・, the double hyphen ゠, unassigned code points) belong to the kana or kanji run
//   around them, though find does not take them as word characters.
// - A blank for moves (Kind::Blank) is a space, a tab or the ideographic space. A row may
//   break after those and after the typographic spaces U+2000..U+200A and U+205F too, save
//   the figure space U+2007, which does not break (kJoin).
// - Rows do not look at words (breakFlags(), breakBetween()): a row breaks after blanks,
//   and between two CJK characters or next to one (kCjk), held back by the rules of Japanese
//   line breaking: closing punctuation, small kana and the long vowel mark do not start a
//   row, opening punctuation does not end one, quotation marks and no-break spaces go with
//   both neighbours, the half-width sound marks stay with their kana even in a word broken
//   anywhere. So a row may break inside a run of kanji that a move takes as one word, and
//   inside a word of letters only where the word is longer than the row.
//
// Line breaks ('\n', as the buffer holds them) are a kind of their own for moves and no word
// character for find.
//
// The caret never stands between a half-width kana and the sound mark after it (ﾞ ﾟ): the
// two show as one letter. QTextLayout keeps them in one cluster; the fast road and the
// view's moves ask splitsKana().
#include <QtGlobal>

class CharClass {
public:
    // Letter, number, combining mark or '_'.
    static bool isWordChar(char32_t codePoint);

    // --- moves by word ---
    enum class Kind { Blank, Break, Word, Kanji, Hiragana, Katakana, Other };
    static Kind kindOf(char16_t unit);
    // Space, tab, ideographic space.
    static bool isBlank(char16_t unit) { return unit == u' ' || unit == u'\t' || unit == 0x3000; }

    // --- the caret ---
    // Whether a place between before and after would part a half-width kana (ｦ..ﾝ, ｰ) from
    // its sound mark.
    static bool splitsKana(char16_t before, char16_t after)
    {
        return (after == 0xFF9E || after == 0xFF9F) && before >= 0xFF66 && before <= 0xFF9D;
    }

    // --- rows ---
    // Bits 0x01 and 0x40 are left free, for a user's own flags beside these in one table.
    enum BreakFlag : quint8 {
        kBlank = 0x02,          // hangs past a row's end; a row may break after a run of them
        kCjk = 0x04,            // a row may break before or after it
        kNoBreakBefore = 0x08,  // closing punctuation, small kana, prolonged sound mark: goes
                                // with the character before
        kNoBreakAfter = 0x10,   // opening punctuation: goes with the character after
        kGlue = 0x20,           // never parted from the character before, not even in a word
                                // broken anywhere (QTextLayout keeps it in that cluster)
        kJoin = 0x80,           // quotation mark of either side, no-break space: goes with
                                // both neighbours
    };
    static constexpr quint8 kBreakFlags = kBlank | kCjk | kNoBreakBefore | kNoBreakAfter | kGlue | kJoin;
    static quint8 breakFlags(char16_t unit);
    // Whether a row may end between a character with flags a and one with flags b. After
    // blanks a row may always break, whatever comes next (QTextLayout does the same).
    static bool breakBetween(quint8 a, quint8 b)
    {
        if (b & kBlank)
            return false;
        if (a & kBlank)
            return true;
        if ((b & (kNoBreakBefore | kGlue | kJoin)) || (a & (kNoBreakAfter | kJoin)))
            return false;
        return (a | b) & kCjk;
    }
};
