#include "platform/textfinder.h"

#include <QList>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <initializer_list>

namespace {

constexpr QChar kParagraphSeparator(QChar::ParagraphSeparator);

bool IsWordChar(char32_t cp)
{
    if (cp < 0x80)
        return (cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z')
               || cp == '_';
    // Marks too, so that a combining sound mark stays with its kana.
    return QChar::isLetterOrNumber(cp) || QChar::isMark(cp);
}

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
    return !(IsWordChar(CodePointBefore(text, pos)) && IsWordChar(CodePointAt(text, pos)));
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

// Replacement text comes in without character formats, as pasted text does: it must not
// take over properties that the replaced characters had.
const QTextCharFormat kInsertFormat;

// Finds where the runs of characters end that have no format of their own, like the
// replacement text, within one line; asked for ascending positions, it walks each line's
// fragments once.
class RunWalker {
public:
    explicit RunWalker(const QTextDocument *doc) : m_doc(doc) {}

    // End of the run at pos; pos itself when the character at pos has a format.
    qsizetype RunEnd(qsizetype pos)
    {
        if (!m_block.isValid() || pos < m_block.position()
            || pos >= m_block.position() + m_block.length()) {
            m_block = m_doc->findBlock(int(pos));
            m_fragment = m_block.begin();
        }
        const qsizetype lineEnd = m_block.position() + m_block.length() - 1;
        for (; !m_fragment.atEnd(); ++m_fragment) {
            const QTextFragment fragment = m_fragment.fragment();
            const qsizetype fragmentEnd = fragment.position() + fragment.length();
            if (pos < fragmentEnd)
                return fragment.charFormat() == kInsertFormat ? qMin(fragmentEnd, lineEnd) : pos;
        }
        return pos;
    }

private:
    const QTextDocument *m_doc;
    QTextBlock m_block;
    QTextBlock::iterator m_fragment;
};

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

// Matches that lie in one run of unformatted text of one line form one group, to be
// replaced in one edit with the text between them written back unchanged: the same result
// as one edit per match, at a fraction of the cost for dense matches. A group also ends
// at each mark (caret, anchor), so that a mark moves as it would with one edit per match.
QList<MatchGroup> GroupMatches(const QTextDocument *doc, const QList<qsizetype> &starts,
                               qsizetype len, std::initializer_list<qsizetype> marks)
{
    QList<MatchGroup> groups;
    RunWalker runs(doc);
    for (qsizetype i = 0; i < starts.size(); ++i) {
        qsizetype limit = runs.RunEnd(starts[i]);
        for (qsizetype mark : marks) {
            if (mark >= starts[i])
                limit = qMin(limit, mark);
        }
        const qsizetype first = i;
        while (i + 1 < starts.size() && starts[i + 1] + len <= limit)
            ++i;
        groups.append({first, i});
    }
    return groups;
}

} // namespace

TextFinder::TextFinder(QPlainTextEdit *edit) : m_edit(edit) {}

QString TextFinder::SearchForm(const QString &what)
{
    QString form = what;
    form.replace(QLatin1String("\r\n"), QString(kParagraphSeparator));
    form.replace(QLatin1Char('\r'), kParagraphSeparator);
    form.replace(QLatin1Char('\n'), kParagraphSeparator);
    return form;
}

QString TextFinder::ReplacementForm(const QString &with)
{
    // Inserting text makes a line break of each CR and each LF; a CR LF pair is one.
    QString form = with;
    form.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return form;
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
    // The raw text keeps one character per position, block breaks as U+2029.
    return m_edit->document()->toRawText();
}

bool TextFinder::IsEditable() const
{
    return !m_edit->isReadOnly();
}

bool TextFinder::FindText(const QString &what, Options options, Direction direction)
{
    const QString form = SearchForm(what);
    if (form.isEmpty())
        return false;
    QTextCursor cursor = m_edit->textCursor();
    const qsizetype from =
        direction == Direction::Down ? cursor.selectionEnd() : cursor.selectionStart();
    const qsizetype at = Search(DocumentText(), form, from, options, direction);
    if (at < 0)
        return false;
    cursor.setPosition(int(at));
    cursor.setPosition(int(at + form.size()), QTextCursor::KeepAnchor);
    m_edit->setTextCursor(cursor);
    m_edit->ensureCursorVisible();
    return true;
}

bool TextFinder::SameAsSelected(const QString &what, Options options) const
{
    const QString form = SearchForm(what);
    const QTextCursor cursor = m_edit->textCursor();
    const qsizetype start = cursor.selectionStart();
    if (form.isEmpty() || cursor.selectionEnd() - start != form.size())
        return false;
    return MatchesAt(DocumentText(), form, start, options);
}

TextFinder::ReplaceResult TextFinder::ReplaceNext(const QString &what, const QString &with,
                                                  Options options)
{
    ReplaceResult result;
    if (SameAsSelected(what, options)) {
        const QString form = ReplacementForm(with);
        const qsizetype length = m_edit->document()->characterCount() - 1;
        const qsizetype newLength = length - SearchForm(what).size() + form.size();
        if (!IsEditable() || (newLength > length && newLength > m_limit)) {
            result.refused = true;
            return result;
        }
        QTextCursor cursor = m_edit->textCursor();
        cursor.insertText(form, kInsertFormat);
        m_edit->setTextCursor(cursor);
        result.replaced = true;
    }
    result.found = FindText(what, options, Direction::Down);
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

    // Only matched characters change: the rest keeps its formats and line data. A mark
    // inside or at either end of a match ends after its replacement.
    const QTextCursor selection = m_edit->textCursor();
    const QList<MatchGroup> groups = GroupMatches(m_edit->document(), starts, len,
                                                  {selection.anchor(), selection.position()});
    QTextCursor cursor(m_edit->document());
    cursor.beginEditBlock();
    // Last group first: the positions before it stay as they were.
    for (auto group = groups.crbegin(); group != groups.crend(); ++group) {
        QString composed = replacement;
        for (qsizetype k = group->first + 1; k <= group->last; ++k) {
            const qsizetype gap = starts[k - 1] + len;
            composed += QStringView(text).mid(gap, starts[k] - gap);
            composed += replacement;
        }
        cursor.setPosition(int(starts[group->first]));
        cursor.setPosition(int(starts[group->last] + len), QTextCursor::KeepAnchor);
        cursor.insertText(composed, kInsertFormat);
    }
    cursor.endEditBlock();
    return starts.size();
}
