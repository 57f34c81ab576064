#include "platform/engine/textfinder.h"

#include "platform/engine/charclass.h"
#include "platform/engine/searchtext.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textview.h"

#include <QApplication>
#include <QList>

#include <algorithm>

namespace {

// The code point that ends just before pos (0 at the start of the text).
char32_t CodePointBefore(const SearchText &text, qsizetype pos)
{
    if (pos <= 0)
        return 0;
    const QChar last = text.at(pos - 1);
    if (last.isLowSurrogate() && pos >= 2 && text.at(pos - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(text.at(pos - 2), last);
    return last.unicode();
}

// The code point that starts at pos (0 at the end of the text).
char32_t CodePointAt(const SearchText &text, qsizetype pos)
{
    if (pos >= text.size())
        return 0;
    const QChar first = text.at(pos);
    if (first.isHighSurrogate() && pos + 1 < text.size() && text.at(pos + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(pos + 1));
    return first.unicode();
}

bool SplitsSurrogatePair(const SearchText &text, qsizetype pos)
{
    return pos > 0 && pos < text.size() && text.at(pos - 1).isHighSurrogate() && text.at(pos).isLowSurrogate();
}

bool IsWordBoundary(const SearchText &text, qsizetype pos)
{
    return !(CharClass::isWordChar(CodePointBefore(text, pos)) && CharClass::isWordChar(CodePointAt(text, pos)));
}

// Whether an occurrence of the search text at [start, end) counts as a match.
bool IsAcceptable(const SearchText &text, qsizetype start, qsizetype end, TextFinder::Options options)
{
    if (SplitsSurrogatePair(text, start) || SplitsSurrogatePair(text, end))
        return false;
    return !options.wholeWord || (IsWordBoundary(text, start) && IsWordBoundary(text, end));
}

// Whether no character but c itself folds to c's case: c has no case mapping of its own and is
// no cased letter (a lowercase letter such as U+00DF is the folding of another without having
// a mapping back). Kanji, kana, digits and most punctuation are such characters.
bool IsCaseless(QChar c)
{
    if (c.isSurrogate())
        return false;  // a pair is judged as a whole by the slow road
    const QChar::Category category = c.category();
    if (category == QChar::Letter_Uppercase || category == QChar::Letter_Lowercase
        || category == QChar::Letter_Titlecase)
        return false;
    return c.toLower() == c && c.toUpper() == c && c.toTitleCase() == c && c.toCaseFolded() == c;
}

// Ignoring case, a search text of caseless characters only matches exactly itself: it is then
// searched case-sensitively, which compares units without folding each one of the text first,
// several times faster over a large text.
Qt::CaseSensitivity CaseOf(TextFinder::Options options, QStringView what)
{
    if (options.matchCase || std::all_of(what.begin(), what.end(), IsCaseless))
        return Qt::CaseSensitive;
    return Qt::CaseInsensitive;
}

qsizetype SearchIn(const SearchText &text, QStringView what, qsizetype from, TextFinder::Options options,
                   TextFinder::Direction direction)
{
    const qsizetype len = what.size();
    if (len == 0 || len > text.size())
        return -1;
    const bool down = direction == TextFinder::Direction::Down;
    // Down: starts at from or later; up: matches ending at from or earlier.
    const qsizetype limit = down ? std::max<qsizetype>(from, 0) : std::min(from, text.size()) - len;
    if (limit < 0)
        return -1;
    return text.find(what, CaseOf(options, what), limit, down,
                     [&](qsizetype at) { return IsAcceptable(text, at, at + len, options); });
}

bool MatchesAt(const SearchText &text, QStringView what, qsizetype pos, TextFinder::Options options)
{
    if (pos < 0 || pos + what.size() > text.size())
        return false;
    return QStringView(text.copy(pos, pos + what.size())).compare(what, CaseOf(options, what)) == 0
           && IsAcceptable(text, pos, pos + what.size(), options);
}

// Every match from the start, none overlapping the one before.
QList<qsizetype> FindAll(const SearchText &text, QStringView what, TextFinder::Options options)
{
    QList<qsizetype> starts;
    for (qsizetype at = SearchIn(text, what, 0, options, TextFinder::Direction::Down); at >= 0;
         at = SearchIn(text, what, at + what.size(), options, TextFinder::Direction::Down))
        starts.append(at);
    return starts;
}

struct MatchGroup {
    qsizetype first;  // indices of its first and last match
    qsizetype last;
};

// Matches on one line with no character of their own byte form between them form one group,
// replaced in one edit with the text between them written back unchanged: the same result as
// one edit per match, at a fraction of the cost for dense matches. A group also ends at each
// mark (caret, anchor; marks ascending), so that a mark moves as it would with one edit per
// match.
QList<MatchGroup> GroupMatches(const TextBuffer &text, const QList<qsizetype> &starts, qsizetype len,
                               const QList<qsizetype> &marks)
{
    QList<MatchGroup> groups;
    const QList<CodePage::Variant> variants = text.variants();
    auto variant = variants.cbegin();
    for (qsizetype i = 0; i < starts.size(); ++i) {
        // The group may run up to the next line break, variant or mark after this match.
        const qsizetype matchEnd = starts[i] + len;
        qsizetype limit = text.lineEnd(text.lineOf(matchEnd));
        while (variant != variants.cend() && variant->pos < matchEnd)
            ++variant;
        if (variant != variants.cend())
            limit = qMin(limit, variant->pos);
        if (const auto mark = std::lower_bound(marks.cbegin(), marks.cend(), starts[i]); mark != marks.cend())
            limit = qMin(limit, *mark);
        const qsizetype first = i;
        while (i + 1 < starts.size() && starts[i + 1] + len <= limit)
            ++i;
        groups.append({first, i});
    }
    return groups;
}

// The carets and anchors of every view of edit's text (other windows of the document too),
// ascending: each moves along with the edits.
QList<qsizetype> MarksOfViews(const TextView *edit)
{
    QList<qsizetype> marks{edit->anchor(), edit->position()};
    for (QWidget *widget : QApplication::allWidgets()) {
        const auto *view = qobject_cast<const TextView *>(widget);
        if (view && view != edit && view->buffer() == edit->buffer())
            marks << view->anchor() << view->position();
    }
    std::sort(marks.begin(), marks.end());
    return marks;
}

} // namespace

TextFinder::TextFinder(TextView *edit) : m_edit(edit) {}

QString TextFinder::SearchForm(const QString &what)
{
    QString form = what;
    form.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    form.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return form;
}

QString TextFinder::ReplacementForm(const QString &with)
{
    return SearchForm(with);
}

qsizetype TextFinder::Search(QStringView text, QStringView what, qsizetype from,
                             Options options, Direction direction)
{
    return SearchIn(SearchText(text), what, from, options, direction);
}

qsizetype TextFinder::Search(const TextBuffer &buffer, QStringView what, qsizetype from,
                             Options options, Direction direction)
{
    return SearchIn(SearchText(buffer), what, from, options, direction);
}

bool TextFinder::IsEditable() const
{
    return !m_edit->isReadOnly();
}

bool TextFinder::Continues(const Run &run, Direction direction) const
{
    return run.origin >= 0 && run.direction == direction && run.anchor == m_edit->anchor()
           && run.position == m_edit->position();
}

void TextFinder::Begin(Run &run, Direction direction, qsizetype origin) const
{
    run = Run();
    run.direction = direction;
    run.origin = origin;
    Mark(run);
}

void TextFinder::Mark(Run &run) const
{
    run.anchor = m_edit->anchor();
    run.position = m_edit->position();
}

// A search covers the whole text: one still loading is waited for.
bool TextFinder::FindText(const QString &what, Options options, Direction direction, Run &run)
{
    if (TextBuffer *buffer = m_edit->buffer())
        buffer->completeLoad();
    const QString form = SearchForm(what);
    if (form.isEmpty())
        return false;
    const bool down = direction == Direction::Down;
    const qsizetype from = down ? m_edit->selectionEnd() : m_edit->selectionStart();
    if (!Continues(run, direction))
        Begin(run, direction, from);
    const SearchText text(*m_edit->buffer());
    qsizetype at = SearchIn(text, form, from, options, direction);
    if (at < 0 && !run.wrapped) {
        run.wrapped = true;
        run.origin = text.size() - run.origin;
        at = SearchIn(text, form, down ? 0 : text.size(), options, direction);
    }
    // After wrapping, a match at or past where the run began was found before.
    const qsizetype origin = text.size() - run.origin;
    if (at >= 0 && run.wrapped && (down ? at >= origin : at + form.size() <= origin))
        at = -1;
    if (at < 0) {
        run = Run();
        return false;
    }
    m_edit->setSelection(at, at + form.size());
    m_edit->ensureCaretVisible();
    Mark(run);
    return true;
}

bool TextFinder::SameAsSelected(const QString &what, Options options) const
{
    const QString form = SearchForm(what);
    const qsizetype start = m_edit->selectionStart();
    if (form.isEmpty() || m_edit->selectionEnd() - start != form.size())
        return false;
    return MatchesAt(SearchText(*m_edit->buffer()), form, start, options);
}

TextFinder::ReplaceResult TextFinder::ReplaceNext(const QString &what, const QString &with,
                                                  Options options, Run &run)
{
    ReplaceResult result;
    const bool match = SameAsSelected(what, options);
    if (!Continues(run, Direction::Down))
        Begin(run, Direction::Down, match ? m_edit->selectionStart() : m_edit->selectionEnd());
    if (match) {
        const QString form = ReplacementForm(with);
        const qsizetype length = m_edit->buffer()->length();
        const qsizetype newLength = length - SearchForm(what).size() + form.size();
        if (!IsEditable() || (newLength > length && newLength > m_limit)) {
            result.refused = true;
            return result;
        }
        TextBuffer *buffer = m_edit->buffer();
        const qsizetype start = m_edit->selectionStart();
        buffer->replace(start, m_edit->selectionEnd(), form);
        m_edit->setPosition(start + form.size());
        Mark(run);
        result.replaced = true;
    }
    result.found = FindText(what, options, Direction::Down, run);
    return result;
}

qsizetype TextFinder::ReplaceAll(const QString &what, const QString &with, Options options)
{
    const QString form = SearchForm(what);
    if (form.isEmpty())
        return 0;
    const QString replacement = ReplacementForm(with);
    TextBuffer *buffer = m_edit->buffer();
    buffer->completeLoad();
    // Matches are decided on the text as it was: a replacement is not searched again.
    const QList<qsizetype> starts = FindAll(SearchText(*buffer), form, options);
    if (starts.isEmpty())
        return 0;
    const qsizetype len = form.size();
    const qsizetype length = buffer->length();
    const qsizetype newLength = length + starts.size() * (replacement.size() - len);
    if (!IsEditable() || (newLength > length && newLength > m_limit))
        return -1;

    // Only matched characters change: the rest keeps its byte forms and line-break kinds. A
    // mark inside or at either end of a match ends after its replacement.
    const QList<MatchGroup> groups = GroupMatches(*buffer, starts, len, MarksOfViews(m_edit));
    buffer->beginGroup();
    // Last group first: the positions before it stay as they were, the text between the
    // matches of a group too.
    for (auto group = groups.crbegin(); group != groups.crend(); ++group) {
        QString composed = replacement;
        for (qsizetype k = group->first + 1; k <= group->last; ++k) {
            composed += buffer->text(starts[k - 1] + len, starts[k]);
            composed += replacement;
        }
        buffer->replace(starts[group->first], starts[group->last] + len, composed);
    }
    buffer->endGroup();
    return starts.size();
}
