#pragma once
// Find and replace in the text of a plain-text editor, the way the framework's editing view
// does it: a search runs from the selection in one direction and stops at the end (or the
// start) of the text without wrapping around; the match found becomes the selection.
//
// Rules of a match:
// - Match case off compares with Unicode case folding (also full-width letters).
// - Whole word: the match must not continue a word on either side. Word characters are
//   A-Z, a-z, 0-9 and '_' in ASCII, and beyond ASCII every letter, digit and combining mark
//   (kanji, kana, the long vowel mark, full-width letters and digits, characters outside the
//   BMP). So a run of Japanese letters counts as one word: "日本" is not a whole word in
//   "日本語" but is in "日本、" or "日本 ".
// - A match never starts or ends inside a surrogate pair.
// - Replacement text is new text, as pasted text is: its characters take their usual byte
//   form and its line breaks the kind of the breaks around them.
// - A line break in the search or replacement text (CR LF, CR or LF) stands for one line
//   break of the text.
#include <QString>
#include <QStringView>
#include <limits>

class TextView;

class TextFinder {
public:
    struct Options {
        bool matchCase = false;
        bool wholeWord = false;
    };
    enum class Direction { Down, Up };

    struct ReplaceResult {
        bool replaced = false;  // the selection was a match and has been replaced
        bool found = false;     // a next match is selected
        bool refused = false;   // the replacement would exceed the text limit; nothing changed
    };

    static constexpr qsizetype kNoLimit = std::numeric_limits<qsizetype>::max();

    explicit TextFinder(TextView *edit);

    // Longest text, in characters, that a replacement may produce.
    void SetTextLimit(qsizetype maxChars) { m_limit = maxChars; }

    // Down: selects the first match after the selection; Up: the last match before it.
    // False, with the selection unchanged, when there is none or what is empty.
    bool FindText(const QString &what, Options options, Direction direction);

    // Whether the selection is exactly one match, its surroundings included.
    bool SameAsSelected(const QString &what, Options options) const;

    // When the selection is a match, replaces it (one undo step); then finds downwards.
    ReplaceResult ReplaceNext(const QString &what, const QString &with, Options options);

    // Replaces every match from the start of the text, as one undo step, and returns how
    // many were replaced; -1 when the text would exceed the limit (nothing is changed then).
    // The caret and selection of every view of the text stay in place, moved along by the
    // edits.
    qsizetype ReplaceAll(const QString &what, const QString &with, Options options);

    // The search itself, on the text as the buffer holds it (a line break is '\n').
    // Down: first match starting at from or later. Up: last match ending at from or earlier.
    // Returns the start of the match or -1.
    static qsizetype Search(QStringView text, QStringView what, qsizetype from,
                            Options options, Direction direction);

    // The search or replacement text with each line break (CR LF, CR or LF) turned into the
    // buffer's own, '\n'.
    static QString SearchForm(const QString &what);
    static QString ReplacementForm(const QString &with);

private:
    QString DocumentText() const;
    bool IsEditable() const;

    TextView *m_edit;
    qsizetype m_limit = kNoLimit;
};
