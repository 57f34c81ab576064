#pragma once
// The text of one document, shared by every view of it: UTF-16 code units in a gap buffer,
// an index of line starts that stays current under edits, the kind of every line break, the
// byte form of characters that were read from a form other than their default one, and the
// undo history.
//
// Positions count code units from 0. A line break is one character of the text whatever its
// kind; it reads as '\n' (kBreak). Lines count from 0; a text has one line more than breaks.
// Edits anywhere cost O(log n) or amortised O(1) for the storage and the indexes.
#include "platform/base/codepage.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringView>
#include <functional>
#include <memory>
#include <vector>

class TextBuffer : public QObject {
    Q_OBJECT
public:
    // How a line break is written to a file. Typed covers breaks typed or pasted: it is
    // written as the nearest break before it that has a kind of its own (with none before,
    // the first one after it; CR LF when the text has none).
    enum class Break : quint8 { Typed = 0, CrLf = 1, Lf = 2, Cr = 3 };
    static constexpr char16_t kBreak = u'\n';

    // What an edit did: [pos, pos + removed) was replaced by added characters; the lines from
    // firstLine on changed, linesRemoved breaks went and linesAdded came. removedText is what
    // went (breaks as kBreak), shared with the undo history, so it costs no copy; load() keeps
    // no history and leaves it empty (see aboutToLoad()).
    struct Change {
        qsizetype pos = 0;
        qsizetype removed = 0;
        qsizetype added = 0;
        qsizetype firstLine = 0;
        qsizetype linesRemoved = 0;
        qsizetype linesAdded = 0;
        QString removedText;
    };

    // How an edit joins the undo history.
    enum class Undo {
        Step,     // an undo step of its own (or part of the open group)
        Typing,   // merged with the step before when that was typing that ended where this starts
    };

    explicit TextBuffer(QObject *parent = nullptr);
    ~TextBuffer() override;

    // --- reading ---
    qsizetype length() const;
    qsizetype lineCount() const;
    // First position of a line; line in [0, lineCount()).
    qsizetype lineStart(qsizetype line) const;
    // Position of the break that ends a line, or length() for the last line.
    qsizetype lineEnd(qsizetype line) const;
    // The line that holds pos; pos in [0, length()].
    qsizetype lineOf(qsizetype pos) const;
    QChar at(qsizetype pos) const;
    // [from, to) with breaks as kBreak.
    QString text(qsizetype from, qsizetype to) const;
    QString text() const;
    // A line without its break. The view points into the storage when the line is contiguous
    // there, else into scratch, which it fills; it stays valid until the next edit.
    QStringView lineView(qsizetype line, QString &scratch) const;
    QString lineText(qsizetype line) const;
    // The text from pos on as far as it lies in one piece in the storage (an edit leaves it
    // in two): a read that copies nothing, for a search that walks the text piece by piece.
    // Empty at length(); valid until the next edit.
    QStringView chunkAt(qsizetype pos) const;
    // The kind of the break that ends a line; Typed for the last line.
    Break breakAfter(qsizetype line) const;
    // The byte form a character was read from, 0 for its default form.
    // Positions of characters with a byte form of their own, ascending.
    QList<CodePage::Variant> variants() const;
    // The same for the characters in [from, to), positions counted from from.
    QList<CodePage::Variant> variants(qsizetype from, qsizetype to) const;
    // The kinds of the breaks that end count lines from firstLine on, one byte each.
    QByteArray breakKinds(qsizetype firstLine, qsizetype count) const;

    // Bytes each part holds: what its storage has room for, not only what it uses.
    struct MemoryUse {
        qsizetype text = 0;      // the characters, the gap included
        qsizetype lines = 0;     // the line starts
        qsizetype breaks = 0;    // the kinds of the breaks
        qsizetype variants = 0;  // the byte forms and their positions
        qsizetype history = 0;   // the undo steps and the text they keep
        qsizetype total() const { return text + lines + breaks + variants + history; }
    };
    MemoryUse memoryUse() const;

    // --- loading ---
    // Replaces everything with text as decoded from a file, where CR LF, a lone LF and a lone
    // CR are breaks of those kinds, and with the variants decode() reported (positions in
    // text). Empties the undo history and clears the modified flag.
    void load(QStringView fileText, const QList<CodePage::Variant> &variants);

    // Puts back text as it was recorded: [from, to) is replaced by text (breaks as kBreak)
    // whose breaks have the given kinds, one byte each in order, and whose characters at
    // forms' positions (counted from from) have those byte forms. No undo step; the history
    // is forgotten and the text counts as modified. kinds must hold one kind per break of text.
    void restore(qsizetype from, qsizetype to, QStringView text, QByteArrayView kinds,
                 const QList<CodePage::Variant> &forms);
    // Takes the whole of other's text, break kinds and byte forms, which other gets in
    // exchange: one change of everything, no history, modified.
    void swapText(TextBuffer &other);

    // --- loading in pieces ---
    // A piece of a file's text made ready to go into a buffer, as load() would take it: the
    // breaks as kBreak with their kinds, one byte each in order, and the byte forms of the
    // characters that have one (positions in text, ascending).
    struct Piece {
        QString text;
        QByteArray kinds;
        std::vector<CodePage::Variant> forms;
    };
    // What load() does to fileText and its decoder's variants, without a buffer: safe on any
    // thread. A file cut into pieces after its LF breaks gives, piece by piece, what load()
    // makes of the whole.
    static Piece prepare(QStringView fileText, const QList<CodePage::Variant> &variants);
    // load() of a first piece; the rest is appended.
    void load(const Piece &piece);
    // Adds a piece at the end, as part of what was loaded: no undo step, the modified state
    // stays as it is. One change, of the end.
    void appendLoaded(const Piece &piece);
    // While pieces are still to come, complete finishes the load (the caller's). An edit
    // calls it first, so that it lands in the whole text; so does anything that needs the
    // whole text, through completeLoad(). Empty: nothing is loading.
    void setLoadCompletion(std::function<void()> complete);
    void completeLoad();
    bool isLoading() const;
    // Room for this many characters in all, so that pieces appended up to it never move the
    // text already in (a move would hold it twice for a moment).
    void reserve(qsizetype length);

    // Characters text takes once put in a buffer: CR LF is one break.
    static qsizetype lengthOf(QStringView text);

    // --- editing ---
    // Replaces [from, to) with text. In text, CR LF, CR, LF and U+2029 each become one break
    // of kind Typed; the new characters have their default byte form. Nothing is recorded for
    // an edit that changes nothing (see changes()): no undo step, no modified flag.
    void replace(qsizetype from, qsizetype to, QStringView text, Undo undo = Undo::Step);
    // Whether replace() would change anything: the text, or the byte form or break kind of a
    // character it replaces by the same character.
    bool changes(qsizetype from, qsizetype to, QStringView text) const;
    // Edits between these two form one undo step; they nest. Marking the text unmodified
    // inside a group ends its step there: the edits after it make another.
    void beginGroup();
    void endGroup();

    // --- undo ---
    bool canUndo() const;
    bool canRedo() const;
    // Take back or do again one step; the position a caret goes to afterwards (the end of the
    // text the step restored or put back), -1 when there was nothing to do.
    qsizetype undo();
    qsizetype redo();
    // Forgets every step (an edit made without undo would make them wrong).
    void clearUndo();

    // --- modified ---
    // True once the text differs from the state last marked unmodified; undoing back to
    // that state makes it false again.
    bool isModified() const;
    void setModified(bool modified);

signals:
    // Before load() or swapText() replaces the whole text, while the old one can still be
    // read: for whoever needs the text removed, which the change reported does not carry.
    void aboutToLoad();
    // Every edit is told twice, in this order (announce()): first to the row indexes of the
    // views, then to the views and everything else, which may ask any row index about it.
    void changeForIndexes(const TextBuffer::Change &change);
    void changed(const TextBuffer::Change &change);
    void modificationChanged(bool modified);
    void undoAvailable(bool available);

private:
    void announce(const Change &change);

    struct Private;
    std::unique_ptr<Private> d;
};
