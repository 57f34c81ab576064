#include "platform/engine/textviewaccessible.h"

#include "platform/engine/charclass.h"
#include "platform/engine/textview.h"

#include <QScrollBar>
#include <QTextBoundaryFinder>

namespace {

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TextView") || (object && object->inherits("TextView"))) {
        if (auto *view = qobject_cast<TextView *>(object))
            return new TextViewAccessible(view);
    }
    return nullptr;
}

// Code units a character (a base with its marks) is looked for in on either side of an offset:
// the finder reads only these, not a whole line that may be the whole file.
constexpr qsizetype kCharacterReach = 32;

// The boundaries of a finder's units around pos in text, whose first unit starts at base.
std::pair<int, int> unitAround(QTextBoundaryFinder::BoundaryType type, const QString &text, qsizetype base,
                               qsizetype pos)
{
    QTextBoundaryFinder finder(type, text);
    finder.setPosition(pos - base);
    if (!finder.isAtBoundary())
        finder.toPreviousBoundary();
    const qsizetype start = base + finder.position();
    finder.toNextBoundary();
    const qsizetype end = finder.position() < 0 ? base + text.size() : base + finder.position();
    return {int(start), int(end)};
}

} // namespace

TextViewAccessible::TextViewAccessible(TextView *view) : QAccessibleWidget(view, QAccessible::EditableText) {}

void TextViewAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

TextView *TextViewAccessible::view() const
{
    return static_cast<TextView *>(widget());
}

void *TextViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString TextViewAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return view()->buffer()->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State TextViewAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = !view()->isReadOnly();
    s.readOnly = view()->isReadOnly();
    s.multiLine = true;
    s.selectableText = true;
    return s;
}

void TextViewAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !view()->hasSelection())
        return;
    *startOffset = int(view()->selectionStart());
    *endOffset = int(view()->selectionEnd());
}

int TextViewAccessible::selectionCount() const
{
    return view()->hasSelection() ? 1 : 0;
}

void TextViewAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void TextViewAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        view()->setPosition(view()->position());
}

void TextViewAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        view()->setSelection(startOffset, endOffset);
}

int TextViewAccessible::cursorPosition() const
{
    return int(view()->position());
}

void TextViewAccessible::setCursorPosition(int position)
{
    view()->setPosition(position);
}

QString TextViewAccessible::text(int startOffset, int endOffset) const
{
    const qsizetype length = view()->buffer()->length();
    return view()->buffer()->text(std::clamp<qsizetype>(startOffset, 0, length),
                                  std::clamp<qsizetype>(endOffset, 0, length));
}

int TextViewAccessible::characterCount() const
{
    return int(view()->buffer()->length());
}

QRect TextViewAccessible::characterRect(int offset) const
{
    const QRect left = view()->cursorRect(offset);
    const QRect right = view()->cursorRect(offset + 1);
    QRect rect = left;
    if (right.top() == left.top() && right.left() > left.left())
        rect.setRight(right.left() - 1);
    return QRect(view()->viewport()->mapToGlobal(rect.topLeft()), rect.size());
}

int TextViewAccessible::offsetAtPoint(const QPoint &point) const
{
    return int(view()->positionAt(view()->viewport()->mapFromGlobal(point)));
}

void TextViewAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    view()->setSelection(startIndex, endIndex);
    view()->ensureCaretVisible();
}

QString TextViewAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = offset;
    *endOffset = offset + 1;
    return QString();
}

// Assistive tools ask for the text around the caret as they read by character, word, sentence
// and line. A word is a run of one kind of characters, as moves by word see it; a line is the
// row displayed, so that with wrap on a screen reader reads what the user sees on it.
std::pair<int, int> TextViewAccessible::unitAt(int offset, QAccessible::TextBoundaryType type) const
{
    switch (type) {
    case QAccessible::CharBoundary:
        return characterAt(offset);
    case QAccessible::WordBoundary:
        return wordAt(offset);
    case QAccessible::SentenceBoundary:
        return sentenceAt(offset);
    case QAccessible::LineBoundary:
        return rowAt(offset);
    case QAccessible::ParagraphBoundary:
        return paragraphAt(offset);
    case QAccessible::NoBoundary:
        break;
    }
    return {0, characterCount()};
}

// A base character with the marks that follow it (a half-width kana with its voiced mark) or
// a surrogate pair; a line break alone.
std::pair<int, int> TextViewAccessible::characterAt(int offset) const
{
    const TextBuffer *buffer = view()->buffer();
    if (offset >= buffer->length())
        return {offset, offset};
    if (buffer->at(offset) == TextBuffer::kBreak)
        return {offset, offset + 1};
    const qsizetype line = buffer->lineOf(offset);
    const qsizetype from = std::max(buffer->lineStart(line), offset - kCharacterReach);
    const qsizetype to = std::min(buffer->lineEnd(line), offset + kCharacterReach);
    return unitAround(QTextBoundaryFinder::Grapheme, buffer->text(from, to), from, offset);
}

std::pair<int, int> TextViewAccessible::wordAt(int offset) const
{
    const TextBuffer *buffer = view()->buffer();
    const qsizetype length = buffer->length();
    if (offset >= length)
        return {offset, offset};
    const auto kind = CharClass::kindOf(buffer->at(offset).unicode());
    if (kind == CharClass::Kind::Break)
        return {offset, offset + 1};
    qsizetype start = offset, end = offset;
    while (start > 0 && CharClass::kindOf(buffer->at(start - 1).unicode()) == kind)
        --start;
    while (end < length && CharClass::kindOf(buffer->at(end).unicode()) == kind)
        ++end;
    return {int(start), int(end)};
}

// Sentences as Unicode finds them (。 and ！ end one), within a line and its break.
std::pair<int, int> TextViewAccessible::sentenceAt(int offset) const
{
    if (offset >= characterCount())
        return {offset, offset};
    const auto [start, end] = paragraphAt(offset);
    return unitAround(QTextBoundaryFinder::Sentence, view()->buffer()->text(start, end), start, offset);
}

// The displayed row with the break that ends it; at a wrap point, the row that starts there.
std::pair<int, int> TextViewAccessible::rowAt(int offset) const
{
    const qsizetype row = view()->rowOfPosition(offset);
    return {int(view()->rowStart(row)), int(view()->rowStart(row + 1))};
}

// A line of the text with its break.
std::pair<int, int> TextViewAccessible::paragraphAt(int offset) const
{
    const TextBuffer *buffer = view()->buffer();
    const qsizetype line = buffer->lineOf(std::clamp<qsizetype>(offset, 0, buffer->length()));
    const qsizetype end = buffer->lineEnd(line);
    return {int(buffer->lineStart(line)), int(line + 1 < buffer->lineCount() ? end + 1 : end)};
}

QString TextViewAccessible::answer(std::pair<int, int> unit, int *startOffset, int *endOffset) const
{
    *startOffset = unit.first;
    *endOffset = unit.second;
    if (unit.first < 0)
        return QString();
    return text(unit.first, unit.second);
}

// Offset -1 stands for the end of the text, as in QAccessibleTextInterface's own answers;
// false for an offset outside the text.
bool TextViewAccessible::inText(int &offset) const
{
    if (offset == -1)
        offset = characterCount();
    return offset >= 0 && offset <= characterCount();
}

QString TextViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                                         int *endOffset) const
{
    if (!inText(offset))
        return answer({-1, -1}, startOffset, endOffset);
    return answer(unitAt(offset, boundaryType), startOffset, endOffset);
}

QString TextViewAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const
{
    if (!inText(offset) || boundaryType == QAccessible::NoBoundary)
        return answer({-1, -1}, startOffset, endOffset);
    const int start = unitAt(offset, boundaryType).first;
    if (start <= 0)
        return answer({-1, -1}, startOffset, endOffset);
    return answer(unitAt(start - 1, boundaryType), startOffset, endOffset);
}

QString TextViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                            int *startOffset, int *endOffset) const
{
    if (!inText(offset) || boundaryType == QAccessible::NoBoundary)
        return answer({-1, -1}, startOffset, endOffset);
    const auto [start, end] = unitAt(offset, boundaryType);
    const std::pair<int, int> next = unitAt(end, boundaryType);
    // At the end there is nothing after, but the empty last row after a last line break.
    const bool beforeEmptyLastRow = boundaryType == QAccessible::LineBoundary && start < end;
    if (next.first < end || (next.first == next.second && !beforeEmptyLastRow))
        return answer({-1, -1}, startOffset, endOffset);
    return answer(next, startOffset, endOffset);
}
