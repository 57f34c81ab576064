#include "platform/engine/textbuffer.h"

#include "platform/engine/partitioning.h"
#include "platform/engine/splitvector.h"

#include <algorithm>
#include <vector>

namespace {

using Break = TextBuffer::Break;
constexpr char16_t kBreak = TextBuffer::kBreak;

// One primitive edit as the history keeps it: enough to do it again and to take it back
// exactly, break kinds and byte forms included. An insertion keeps its text only while it is
// undone: until then the text is in the buffer, and an undo reads it from there. A Replace All
// makes one per match, so what few removals take (breaks, byte forms) is held apart.
struct Action {
    enum Kind : quint8 { Insert, Remove };
    // Remove: the kinds of the removed breaks, in order; the removed forms, pos from `pos`.
    struct Marks {
        std::vector<quint8> breaks;
        std::vector<CodePage::Variant> variants;
    };
    Kind kind = Insert;
    qsizetype pos = 0;
    qsizetype length = 0;                      // characters inserted or removed
    QString text;                              // breaks as kBreak; Insert: only while undone
    std::unique_ptr<Marks> marks;              // Remove: null when it took neither

    qsizetype end() const { return pos + length; }
    // Whether replaying it in this direction puts text in.
    bool inserts(bool forward) const { return (kind == Insert) == forward; }
};

struct Step {
    std::vector<Action> actions;
    bool typing = false;
};

// Text as it goes into the buffer: CR LF, CR, LF and U+2029 become one kBreak each.
QString withBufferBreaks(QStringView text)
{
    QString out(text.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const char16_t *src = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = src[i];
        if (c == u'\r') {
            if (i + 1 < n && src[i + 1] == u'\n')
                ++i;
            *dst++ = kBreak;
        } else {
            *dst++ = c == QChar::ParagraphSeparator ? kBreak : c;
        }
    }
    out.truncate(dst - reinterpret_cast<const char16_t *>(out.constData()));
    return out;
}

} // namespace

struct TextBuffer::Private {
    // What the undo/redo/modified signals report, to emit only what an operation changed.
    struct State {
        bool canUndo, modified;
    };

    explicit Private(TextBuffer *owner) : q(owner) { breaks.insert(0, quint8(Break::Typed)); }

    TextBuffer *q;
    SplitVector<char16_t> text;
    Partitioning lines;             // partition i is line i, breaks included
    SplitVector<quint8> breaks;     // per line, the kind of its break (the last line's is Typed)
    // Variant k is partition k + 1, which starts one after the character's position (so that
    // one at position 0 does not meet partition 0); its code is codes[k]. Edits move the
    // positions lazily, as they move line starts, and cost nothing while there are none.
    Partitioning variantStarts;
    SplitVector<quint16> codes;

    std::vector<Step> steps;
    qsizetype done = 0;             // steps applied; steps after it can be redone
    qsizetype clean = 0;            // the value of done that is unmodified, -1 for none
    int groupDepth = 0;
    bool groupHasStep = false;      // the open group's edits go to steps.back()

    State state() const { return {done > 0, done != clean}; }
    void emitStateChanges(const State &before) const;

    // --- variants ---
    qsizetype variantCount() const { return codes.length(); }
    qsizetype variantPos(qsizetype k) const { return variantStarts.positionFromPartition(k + 1) - 1; }
    // Variants at positions before pos: also the index of the first one at pos or after.
    qsizetype variantsBefore(qsizetype pos) const { return variantStarts.partitionFromPosition(pos); }
    void insertVariant(qsizetype k, qsizetype pos, quint16 code);

    // --- primitive edits, with the change each one makes ---
    TextBuffer::Change insertRaw(qsizetype pos, QStringView s, const quint8 *kinds,
                                 const std::vector<CodePage::Variant> *forms);
    TextBuffer::Change removeRaw(qsizetype pos, qsizetype count, Action *saved);
    void saveRemoved(qsizetype pos, qsizetype count, qsizetype line, qsizetype lineCount, Action *saved) const;
    TextBuffer::Change apply(Action &action, bool forward);

    bool changes(qsizetype from, qsizetype to, QStringView s) const;

    // --- history ---
    Action *typingToExtend(qsizetype from, qsizetype removed, QStringView s, Undo undo);
    Step &stepForEdit(bool typing);
    qsizetype replay(Step &step, bool forward);
    void forgetHistory(bool keepClean);

    void loadPiece(const Piece &piece);

    std::function<void()> completeLoad;  // set while a load in pieces goes on
};

void TextBuffer::Private::emitStateChanges(const State &before) const
{
    const State now = state();
    if (now.canUndo != before.canUndo)
        emit q->undoAvailable(now.canUndo);
    if (now.modified != before.modified)
        emit q->modificationChanged(now.modified);
}

void TextBuffer::Private::insertVariant(qsizetype k, qsizetype pos, quint16 code)
{
    variantStarts.insertPartition(k + 1, pos + 1);
    codes.insert(k, code);
}

TextBuffer::Change TextBuffer::Private::insertRaw(qsizetype pos, QStringView s, const quint8 *kinds,
                                                  const std::vector<CodePage::Variant> *forms)
{
    const qsizetype line = lines.partitionFromPosition(pos);
    const qsizetype count = s.size();
    text.insertFromArray(pos, s.utf16(), count);
    lines.insertText(line, count);
    qsizetype added = 0;
    for (qsizetype i = 0; i < count; ++i) {
        if (s[i] == kBreak)
            lines.insertPartition(line + ++added, pos + i + 1);
    }
    // The new breaks end the first new lines; the old kind stays with the last one.
    if (kinds)
        breaks.insertFromArray(line, kinds, added);
    else
        breaks.insertValue(line, added, quint8(Break::Typed));

    const qsizetype k = variantsBefore(pos);
    variantStarts.insertText(k, count);
    if (forms) {
        for (size_t j = 0; j < forms->size(); ++j)
            insertVariant(k + qsizetype(j), pos + (*forms)[j].pos, (*forms)[j].code);
    }
    return Change{pos, 0, count, line, 0, added, {}};
}

TextBuffer::Change TextBuffer::Private::removeRaw(qsizetype pos, qsizetype count, Action *saved)
{
    const qsizetype line = lines.partitionFromPosition(pos);
    // a line starts after each break, so the breaks before a position are its line number
    const qsizetype gone = lines.partitionFromPosition(pos + count) - line;
    if (saved)
        saveRemoved(pos, count, line, gone, saved);
    for (qsizetype i = 0; i < gone; ++i)
        lines.removePartition(line + 1);
    lines.insertText(line, -count);
    breaks.removeRange(line, gone);
    text.removeRange(pos, count);

    const qsizetype k = variantsBefore(pos);
    const qsizetype dropped = variantsBefore(pos + count) - k;
    for (qsizetype j = 0; j < dropped; ++j)
        variantStarts.removePartition(k + 1);
    codes.removeRange(k, dropped);
    variantStarts.insertText(k, -count);
    return Change{pos, count, 0, line, gone, 0, {}};
}

void TextBuffer::Private::saveRemoved(qsizetype pos, qsizetype count, qsizetype line, qsizetype lineCount,
                                      Action *saved) const
{
    saved->length = count;
    saved->text.resize(count);
    text.copyTo(reinterpret_cast<char16_t *>(saved->text.data()), pos, count);
    const qsizetype firstVariant = variantsBefore(pos);
    if (lineCount == 0 && firstVariant == variantsBefore(pos + count))
        return;
    saved->marks = std::make_unique<Action::Marks>();
    saved->marks->breaks.resize(size_t(lineCount));
    breaks.copyTo(saved->marks->breaks.data(), line, lineCount);
    for (qsizetype k = firstVariant; k < variantCount() && variantPos(k) < pos + count; ++k)
        saved->marks->variants.push_back(CodePage::Variant{variantPos(k) - pos, codes.valueAt(k)});
}

TextBuffer::Change TextBuffer::Private::apply(Action &action, bool forward)
{
    if (!action.inserts(forward)) {
        if (action.kind == Action::Insert) {  // kept for a redo, and told as what went
            action.text.resize(action.length);
            text.copyTo(reinterpret_cast<char16_t *>(action.text.data()), action.pos, action.length);
        }
        return removeRaw(action.pos, action.length, nullptr);
    }
    // Inserted text was all typed; removed text comes back as it was.
    if (action.kind == Action::Insert) {
        const TextBuffer::Change change = insertRaw(action.pos, action.text, nullptr, nullptr);
        action.text = QString();  // in the buffer again
        return change;
    }
    if (!action.marks)  // no breaks in it, so no kinds to give
        return insertRaw(action.pos, action.text, nullptr, nullptr);
    return insertRaw(action.pos, action.text, action.marks->breaks.data(), &action.marks->variants);
}

// Whether replacing [from, to) with s (breaks already kBreak) changes the text or the bytes it
// is written as: the same characters over themselves change nothing, unless one of them had a
// byte form or a break kind of its own, which new text does not keep.
bool TextBuffer::Private::changes(qsizetype from, qsizetype to, QStringView s) const
{
    if (to - from != s.size() || variantsBefore(to) != variantsBefore(from))
        return true;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (text.valueAt(from + i) != s[i])
            return true;
    }
    const qsizetype lastLine = lines.partitionFromPosition(to);
    for (qsizetype line = lines.partitionFromPosition(from); line < lastLine; ++line) {
        if (breaks.valueAt(line) != quint8(Break::Typed))
            return true;
    }
    return false;
}

// The last typing action, when a typed insertion at from continues it: then the two make one
// step. Never across the unmodified state, which must stay a step boundary to undo back to.
Action *TextBuffer::Private::typingToExtend(qsizetype from, qsizetype removed, QStringView s, Undo undo)
{
    if (undo != Undo::Typing || groupDepth > 0 || removed > 0 || s.isEmpty() || done == 0 ||
        done != qsizetype(steps.size()) || clean == done || !steps.back().typing)
        return nullptr;
    Action &last = steps.back().actions.back();
    return last.kind == Action::Insert && last.end() == from ? &last : nullptr;
}

// An open group's edits join its step, but not once that step is the unmodified state: an edit
// after it must be a step of its own, or undo could not go back to unmodified and the changed
// text would count as unmodified.
Step &TextBuffer::Private::stepForEdit(bool typing)
{
    if (groupDepth > 0 && groupHasStep && clean != done)
        return steps.back();
    // A new step replaces what could be redone, the unmodified state too when it was there.
    steps.erase(steps.begin() + done, steps.end());
    if (clean > done)
        clean = -1;
    steps.push_back(Step{{}, typing && groupDepth == 0});
    ++done;
    groupHasStep = groupDepth > 0;
    return steps.back();
}

// Undoes (forward false) or redoes a step, one changed signal per primitive edit except that
// a removal followed by an insertion at the same place reports as one replacement. Returns
// where the last edit ended.
qsizetype TextBuffer::Private::replay(Step &step, bool forward)
{
    const qsizetype n = qsizetype(step.actions.size());
    const auto nth = [&](qsizetype k) -> Action & { return step.actions[size_t(forward ? k : n - 1 - k)]; };
    qsizetype caret = -1;
    for (qsizetype k = 0; k < n; ++k) {
        Change change = apply(nth(k), forward);
        if (change.removed > 0)
            change.removedText = nth(k).text;
        if (change.added == 0 && k + 1 < n && nth(k + 1).pos == change.pos && nth(k + 1).inserts(forward)) {
            const Change inserted = apply(nth(++k), forward);
            change.added = inserted.added;
            change.linesAdded = inserted.linesAdded;
        }
        caret = change.pos + change.added;
        q->announce(change);
    }
    return caret;
}

void TextBuffer::Private::forgetHistory(bool keepClean)
{
    steps.clear();
    steps.shrink_to_fit();
    clean = keepClean ? 0 : -1;
    done = 0;
    groupHasStep = false;
}

// One pass over the file's text: characters go straight into the storage (allocated once at
// the text's size), line starts and kinds are appended, and the variants, given at
// positions of the file's text, are moved back by the CR LF pairs before them.
void TextBuffer::Private::loadPiece(const Piece &piece)
{
    text.clear();
    text.reserve(piece.text.size());
    lines.reset(1, 0);
    breaks.clear();
    breaks.insert(0, quint8(Break::Typed));
    variantStarts.reset(1, 0);
    codes.clear();
    insertRaw(0, piece.text, reinterpret_cast<const quint8 *>(piece.kinds.constData()), &piece.forms);
}

// --- TextBuffer ------------------------------------------------------------------------

TextBuffer::TextBuffer(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this)) {}

TextBuffer::~TextBuffer() = default;

qsizetype TextBuffer::length() const { return d->text.length(); }

qsizetype TextBuffer::lineCount() const { return d->lines.partitions(); }

qsizetype TextBuffer::lineStart(qsizetype line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    return d->lines.positionFromPartition(line);
}

qsizetype TextBuffer::lineEnd(qsizetype line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    return line + 1 < lineCount() ? d->lines.positionFromPartition(line + 1) - 1 : length();
}

qsizetype TextBuffer::lineOf(qsizetype pos) const
{
    Q_ASSERT(pos >= 0 && pos <= length());
    return d->lines.partitionFromPosition(pos);
}

QChar TextBuffer::at(qsizetype pos) const { return QChar(d->text.valueAt(pos)); }

QString TextBuffer::text(qsizetype from, qsizetype to) const
{
    from = std::clamp<qsizetype>(from, 0, length());
    to = std::clamp<qsizetype>(to, from, length());
    QString out(to - from, Qt::Uninitialized);
    d->text.copyTo(reinterpret_cast<char16_t *>(out.data()), from, to - from);
    return out;
}

QString TextBuffer::text() const { return text(0, length()); }

QStringView TextBuffer::lineView(qsizetype line, QString &scratch) const
{
    const qsizetype from = lineStart(line);
    const qsizetype count = lineEnd(line) - from;
    if (const char16_t *p = d->text.contiguous(from, count))
        return QStringView(p, count);
    scratch.resize(count);
    d->text.copyTo(reinterpret_cast<char16_t *>(scratch.data()), from, count);
    return scratch;
}

QStringView TextBuffer::chunkAt(qsizetype pos) const
{
    Q_ASSERT(pos >= 0 && pos <= length());
    const qsizetype count = d->text.contiguousFrom(pos);
    if (count == 0)
        return {};
    return QStringView(d->text.contiguous(pos, count), count);
}

QString TextBuffer::lineText(qsizetype line) const { return text(lineStart(line), lineEnd(line)); }

TextBuffer::Break TextBuffer::breakAfter(qsizetype line) const
{
    Q_ASSERT(line >= 0 && line < lineCount());
    return Break(d->breaks.valueAt(line));
}

QList<CodePage::Variant> TextBuffer::variants() const
{
    QList<CodePage::Variant> out;
    out.reserve(d->variantCount());
    for (qsizetype k = 0; k < d->variantCount(); ++k)
        out.append(CodePage::Variant{d->variantPos(k), d->codes.valueAt(k)});
    return out;
}

TextBuffer::MemoryUse TextBuffer::memoryUse() const
{
    MemoryUse use;
    use.text = d->text.bytesHeld();
    use.lines = d->lines.bytesHeld();
    use.breaks = d->breaks.bytesHeld();
    use.variants = d->variantStarts.bytesHeld() + d->codes.bytesHeld();
    use.history = qsizetype(d->steps.capacity() * sizeof(Step));
    for (const Step &step : d->steps) {
        use.history += qsizetype(step.actions.capacity() * sizeof(Action));
        for (const Action &action : step.actions) {
            use.history += action.text.capacity() * qsizetype(sizeof(QChar));
            if (action.marks) {
                use.history += qsizetype(sizeof(Action::Marks) + action.marks->breaks.capacity() +
                                         action.marks->variants.capacity() * sizeof(CodePage::Variant));
            }
        }
    }
    return use;
}

// The one place an edit is told: the row indexes first (rows and layouts of the changed lines),
// then the views, whose updates ask the indexes about rows.
void TextBuffer::announce(const Change &change)
{
    emit changeForIndexes(change);
    emit changed(change);
}

QList<CodePage::Variant> TextBuffer::variants(qsizetype from, qsizetype to) const
{
    QList<CodePage::Variant> out;
    for (qsizetype k = d->variantsBefore(from); k < d->variantCount() && d->variantPos(k) < to; ++k)
        out.append(CodePage::Variant{d->variantPos(k) - from, d->codes.valueAt(k)});
    return out;
}

QByteArray TextBuffer::breakKinds(qsizetype firstLine, qsizetype count) const
{
    QByteArray out(count, Qt::Uninitialized);
    d->breaks.copyTo(reinterpret_cast<quint8 *>(out.data()), firstLine, count);
    return out;
}

void TextBuffer::restore(qsizetype from, qsizetype to, QStringView text, QByteArrayView kinds,
                         const QList<CodePage::Variant> &forms)
{
    completeLoad();
    Q_ASSERT(from >= 0 && from <= to && to <= length());
    const Private::State before = d->state();
    Change change = d->removeRaw(from, to - from, nullptr);
    const std::vector<CodePage::Variant> formList(forms.cbegin(), forms.cend());
    const Change inserted = d->insertRaw(from, text, reinterpret_cast<const quint8 *>(kinds.data()), &formList);
    change.added = inserted.added;
    change.linesAdded = inserted.linesAdded;
    d->forgetHistory(false);
    announce(change);
    d->emitStateChanges(before);
}

void TextBuffer::swapText(TextBuffer &other)
{
    completeLoad();
    other.completeLoad();
    emit aboutToLoad();  // the whole text is replaced, as by load()
    const Private::State before = d->state();
    const Private::State otherBefore = other.d->state();
    Change change{0, length(), 0, 0, lineCount() - 1, 0};
    Change otherChange{0, other.length(), 0, 0, other.lineCount() - 1, 0};
    std::swap(d, other.d);
    d->q = this;
    other.d->q = &other;
    d->forgetHistory(false);
    other.d->forgetHistory(false);
    change.added = length();
    change.linesAdded = lineCount() - 1;
    otherChange.added = other.length();
    otherChange.linesAdded = other.lineCount() - 1;
    announce(change);
    d->emitStateChanges(before);
    other.announce(otherChange);
    other.d->emitStateChanges(otherBefore);
}

TextBuffer::Piece TextBuffer::prepare(QStringView fileText, const QList<CodePage::Variant> &variants)
{
    Piece piece;
    const char16_t *src = fileText.utf16();
    const qsizetype n = fileText.size();
    piece.text.resize(n);
    char16_t *out = reinterpret_cast<char16_t *>(piece.text.data());
    qsizetype written = 0;
    qsizetype lineStartIn = 0;     // where the current line starts in fileText
    qsizetype nextVariant = 0;
    // Takes the variants of the line that ends at lineEndIn; shift is what the file's breaks
    // took more than the buffer's before it. Variants out of order, on a break or out of
    // range are not the decoder's and are dropped.
    const auto takeVariants = [&](qsizetype lineEndIn) {
        const qsizetype shift = lineEndIn - written;
        for (; nextVariant < variants.size() && variants[nextVariant].pos < lineEndIn; ++nextVariant) {
            const CodePage::Variant &v = variants[nextVariant];
            const qsizetype at = v.pos - shift;
            if (v.pos >= lineStartIn && v.code != 0 && (piece.forms.empty() || at > piece.forms.back().pos))
                piece.forms.push_back(CodePage::Variant{at, v.code});
        }
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = src[i];
        if (c > u'\r' || (c != u'\r' && c != u'\n')) {
            out[written++] = c;
            continue;
        }
        takeVariants(i);
        Break kind = Break::Lf;
        if (c == u'\r') {
            kind = Break::Cr;
            if (i + 1 < n && src[i + 1] == u'\n') {
                kind = Break::CrLf;
                ++i;
            }
        }
        out[written++] = kBreak;
        piece.kinds.append(char(kind));
        lineStartIn = i + 1;
    }
    takeVariants(n);
    piece.text.truncate(written);
    return piece;
}

void TextBuffer::appendLoaded(const Piece &piece)
{
    if (piece.text.isEmpty())
        return;
    const Private::State before = d->state();
    const Change change = d->insertRaw(length(), piece.text, reinterpret_cast<const quint8 *>(piece.kinds.constData()), &piece.forms);
    announce(change);
    d->emitStateChanges(before);
}

void TextBuffer::setLoadCompletion(std::function<void()> complete)
{
    d->completeLoad = std::move(complete);
}

void TextBuffer::completeLoad()
{
    if (const std::function<void()> complete = std::exchange(d->completeLoad, nullptr))
        complete();
}

bool TextBuffer::isLoading() const
{
    return bool(d->completeLoad);
}

void TextBuffer::reserve(qsizetype length)
{
    d->text.reserve(length);
}

void TextBuffer::load(QStringView fileText, const QList<CodePage::Variant> &variants)
{
    load(prepare(fileText, variants));
}

void TextBuffer::load(const Piece &piece)
{
    emit aboutToLoad();
    const Private::State before = d->state();
    Change change{0, length(), 0, 0, lineCount() - 1, 0, {}};
    d->loadPiece(piece);
    d->forgetHistory(true);
    change.added = length();
    change.linesAdded = lineCount() - 1;
    announce(change);
    d->emitStateChanges(before);
}

void TextBuffer::replace(qsizetype from, qsizetype to, QStringView text, Undo undo)
{
    completeLoad();
    from = std::clamp<qsizetype>(from, 0, length());
    to = std::clamp<qsizetype>(to, from, length());
    const QString s = withBufferBreaks(text);
    if (!d->changes(from, to, s))
        return;
    const Private::State before = d->state();
    Change change{from, 0, 0, lineOf(from), 0, 0, {}};
    if (Action *typed = d->typingToExtend(from, to - from, s, undo)) {
        change = d->insertRaw(from, s, nullptr, nullptr);
        typed->length += s.size();
    } else {
        Step &step = d->stepForEdit(undo == Undo::Typing);
        if (to > from) {
            Action removal{Action::Remove, from, 0, {}, {}};
            change = d->removeRaw(from, to - from, &removal);
            change.removedText = removal.text;
            step.actions.push_back(std::move(removal));
        }
        if (!s.isEmpty()) {
            const Change inserted = d->insertRaw(from, s, nullptr, nullptr);
            change.added = inserted.added;
            change.linesAdded = inserted.linesAdded;
            step.actions.push_back(Action{Action::Insert, from, s.size(), {}, {}});
        }
    }
    announce(change);
    d->emitStateChanges(before);
}

void TextBuffer::beginGroup()
{
    if (d->groupDepth++ == 0)
        d->groupHasStep = false;
}

void TextBuffer::endGroup()
{
    if (d->groupDepth > 0 && --d->groupDepth == 0)
        d->groupHasStep = false;
}

bool TextBuffer::canUndo() const { return d->done > 0; }

bool TextBuffer::canRedo() const { return d->done < qsizetype(d->steps.size()); }

qsizetype TextBuffer::undo()
{
    if (!canUndo())
        return -1;
    const Private::State before = d->state();
    d->groupHasStep = false;  // an edit after this must not join a step that is undone
    const qsizetype caret = d->replay(d->steps[size_t(--d->done)], false);
    d->emitStateChanges(before);
    return caret;
}

qsizetype TextBuffer::redo()
{
    if (!canRedo())
        return -1;
    const Private::State before = d->state();
    d->groupHasStep = false;
    const qsizetype caret = d->replay(d->steps[size_t(d->done++)], true);
    d->emitStateChanges(before);
    return caret;
}

void TextBuffer::clearUndo()
{
    const Private::State before = d->state();
    d->forgetHistory(!isModified());  // modified text has no step left to go back to clean by
    d->emitStateChanges(before);
}

bool TextBuffer::isModified() const { return d->done != d->clean; }

void TextBuffer::setModified(bool modified)
{
    const Private::State before = d->state();
    d->clean = modified ? -1 : d->done;
    d->emitStateChanges(before);
}

bool TextBuffer::changes(qsizetype from, qsizetype to, QStringView text) const
{
    from = std::clamp<qsizetype>(from, 0, length());
    to = std::clamp<qsizetype>(to, from, length());
    return d->changes(from, to, withBufferBreaks(text));
}

qsizetype TextBuffer::lengthOf(QStringView text)
{
    qsizetype length = text.size();
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'\r' && text[i + 1] == u'\n') {
            --length;
            ++i;
        }
    }
    return length;
}
