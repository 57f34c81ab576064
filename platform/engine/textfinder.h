#pragma once
// Find and replace in the text of a plain-text editor, the way the framework's rich-edit view
// does it: searches run from the selection in one direction to the end (or the start) of the
// text, then go on once from the other end up to where the first of them began; the match
// found becomes the selection.
//
// Rules of a match:
// - Match case off compares with Unicode case folding (also full-width letters).
// - Whole word: the match must not continue a word on either side, word characters as
//   CharClass has them (letters, digits, marks and '_', scripts not told apart): so a run of
//   Japanese letters counts as one word, "日本" is not a whole word in "日本語" but is in
//   "日本、" or "日本 ".
// - A match never starts or ends inside a surrogate pair.
// - Replacement text is new text, as pasted text is: its characters take their usual byte
//   form and its line breaks the kind of the breaks around them.
// - A line break in the search or replacement text (CR LF, CR or LF) stands for one line
//   break of the text.
// - The text is searched where the buffer keeps it, without a copy of the whole.
#include <QString>
#include <QStringView>
#include <limits>

class TextBuffer;
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

    // A run of searches in one direction: from where it began to the end of the text (the
    // start, upwards), then once from the other end up to where it began, so that each match
    // is found once. The caller keeps it from one search to the next. A search begins a new
    // run where the selection is not the one the run left, or the direction has changed; a
    // run ends when it finds nothing more.
    struct Run {
        Direction direction = Direction::Down;
        // Where the run began: before it wrapped, counted from the start of the text; after,
        // from its end, so that replacements behind the search do not move it. -1: no run.
        qsizetype origin = -1;
        bool wrapped = false;
        qsizetype anchor = -1;  // the selection the run left
        qsizetype position = -1;
    };

    static constexpr qsizetype kNoLimit = std::numeric_limits<qsizetype>::max();

    explicit TextFinder(TextView *edit);

    // Longest text, in characters, that a replacement may produce.
    void SetTextLimit(qsizetype maxChars) { m_limit = maxChars; }

    // Down: selects the next match after the selection; Up: the one before it; within the
    // run, which goes on from the other end of the text once. False, with the selection
    // unchanged and the run ended, when the run has no match left or what is empty.
    bool FindText(const QString &what, Options options, Direction direction, Run &run);

    // Whether the selection is exactly one match, its surroundings included.
    bool SameAsSelected(const QString &what, Options options) const;

    // When the selection is a match, replaces it (one undo step); then finds downwards, within
    // the run. A run that begins here begins before the match replaced.
    ReplaceResult ReplaceNext(const QString &what, const QString &with, Options options, Run &run);

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
    // The same on a buffer's text, read in place.
    static qsizetype Search(const TextBuffer &buffer, QStringView what, qsizetype from,
                            Options options, Direction direction);

    // The search or replacement text with each line break (CR LF, CR or LF) turned into the
    // buffer's own, '\n'.
    static QString SearchForm(const QString &what);
    static QString ReplacementForm(const QString &with);

private:
    bool IsEditable() const;
    // Whether run goes on from the selection in direction; a new run from origin otherwise.
    bool Continues(const Run &run, Direction direction) const;
    void Begin(Run &run, Direction direction, qsizetype origin) const;
    // The run goes on from the selection as it is now.
    void Mark(Run &run) const;

    TextView *m_edit;
    qsizetype m_limit = kNoLimit;
};
