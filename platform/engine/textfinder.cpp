#include "platform/engine/textfinder.h"

#include "platform/engine/charclass.h"
#include "platform/engine/textview.h"

#include <QApplication>
#include <QList>

#include <algorithm>

namespace {

// The code point that ends just before pos (0 at the start of the text).
char32_t CodePointBefore(QStringView text, qsizetype pos)
{
    if (pos <= 0)
        return 0;
    const QChar last = text[pos - 1];
    if (last.isLowSurrogate() && pos >= 2 && text[pos - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[pos - 2], last);
    return last.unicode();
}

// The code point that starts at pos (0 at the end of the text).
char32_t CodePointAt(QStringView text, qsizetype pos)
{
    if (pos >= text.size())
        return 0;
    const QChar first = text[pos];
    if (first.isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(first, text[pos + 1]);
    return first.unicode();
}

bool SplitsSurrogatePair(QStringView text, qsizetype pos)
{
    return pos > 0 && pos < text.size() && text[pos - 1].isHighSurrogate()
           && text[pos].isLowSurrogate();
}

bool IsWordBoundary(QStringView text, qsizetype pos)
{
    return !(CharClass::isWordChar(CodePointBefore(text, pos)) && CharClass::isWordChar(CodePointAt(text, pos)));
}

// Whether an occurrence of the search text at [start, end) counts as a match.
bool IsAcceptable(QStringView text, qsizetype start, qsizetype end, TextFinder::Options options)
{
    if (SplitsSurrogatePair(text, start) || SplitsSurrogatePair(text, end))
        return false;
    return !options.wholeWord || (IsWordBoundary(text, start) && IsWordBoundary(text, end));
}

bool MatchesAt(QStringView text, QStringView what, qsizetype pos, TextFinder::Options options)
{
    if (pos < 0 || pos + what.size() > text.size())
        return false;
    const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return text.mid(pos, what.size()).compare(what, cs) == 0
           && IsAcceptable(text, pos, pos + what.size(), options);
}

// Every match from the start, none overlapping the one before.
QList<qsizetype> FindAll(QStringView text, QStringView what, TextFinder::Options options)
{
    QList<qsizetype> starts;
    for (qsizetype at = TextFinder::Search(text, what, 0, options, TextFinder::Direction::Down);
         at >= 0;
         at = TextFinder::Search(text, what, at + what.size(), options, TextFinder::Direction::Down))
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
QList<MatchGroup> GroupMatches(QStringView text, const QList<CodePage::Variant> &variants,
                               const QList<qsizetype> &starts, qsizetype len,
                               const QList<qsizetype> &marks)
{
    QList<MatchGroup> groups;
    auto variant = variants.cbegin();
    for (qsizetype i = 0; i < starts.size(); ++i) {
        // The group may run up to the next line break, variant or mark after this match.
        const qsizetype matchEnd = starts[i] + len;
        qsizetype limit = text.indexOf(u'\n', matchEnd);
        if (limit < 0)
            limit = text.size();
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
    const qsizetype len = what.size();
    if (len == 0 || len > text.size())
        return -1;
    const Qt::CaseSensitivity cs = options.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (direction == Direction::Down) {
        for (qsizetype at = text.indexOf(what, qMax<qsizetype>(from, 0), cs); at >= 0;
             at = text.indexOf(what, at + 1, cs)) {
            if (IsAcceptable(text, at, at + len, options))
                return at;
        }
        return -1;
    }
    // lastIndexOf takes a negative start as counted from the end: stop before that.
    const qsizetype last = qMin(from, text.size()) - len;
    for (qsizetype at = last < 0 ? -1 : text.lastIndexOf(what, last, cs); at >= 0;
         at = at == 0 ? -1 : text.lastIndexOf(what, at - 1, cs)) {
        if (IsAcceptable(text, at, at + len, options))
            return at;
    }
    return -1;
}

QString TextFinder::DocumentText() const
{
    return m_edit->buffer()->text();
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

bool TextFinder::FindText(const QString &what, Options options, Direction direction, Run &run)
{
    const QString form = SearchForm(what);
    if (form.isEmpty())
        return false;
    const bool down = direction == Direction::Down;
    const qsizetype from = down ? m_edit->selectionEnd() : m_edit->selectionStart();
    if (!Continues(run, direction))
        Begin(run, direction, from);
    const QString text = DocumentText();
    qsizetype at = Search(text, form, from, options, direction);
    if (at < 0 && !run.wrapped) {
        run.wrapped = true;
        run.origin = text.size() - run.origin;
        at = Search(text, form, down ? 0 : text.size(), options, direction);
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
    return MatchesAt(DocumentText(), form, start, options);
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
    const QString text = DocumentText();
    // Matches are decided on the text as it was: a replacement is not searched again.
    const QList<qsizetype> starts = FindAll(text, form, options);
    if (starts.isEmpty())
        return 0;
    const qsizetype len = form.size();
    const qsizetype newLength = text.size() + starts.size() * (replacement.size() - len);
    if (!IsEditable() || (newLength > text.size() && newLength > m_limit))
        return -1;

    // Only matched characters change: the rest keeps its byte forms and line-break kinds. A
    // mark inside or at either end of a match ends after its replacement.
    TextBuffer *buffer = m_edit->buffer();
    const QList<MatchGroup> groups = GroupMatches(text, buffer->variants(), starts, len,
                                                  MarksOfViews(m_edit));
    buffer->beginGroup();
    // Last group first: the positions before it stay as they were.
    for (auto group = groups.crbegin(); group != groups.crend(); ++group) {
        QString composed = replacement;
        for (qsizetype k = group->first + 1; k <= group->last; ++k) {
            const qsizetype gap = starts[k - 1] + len;
            composed += QStringView(text).mid(gap, starts[k] - gap);
            composed += replacement;
        }
        buffer->replace(starts[group->first], starts[group->last] + len, composed);
    }
    buffer->endGroup();
    return starts.size();
}
