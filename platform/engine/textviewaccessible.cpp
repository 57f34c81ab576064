#include "platform/engine/textviewaccessible.h"

#include "platform/engine/textview.h"

#include <QScrollBar>

namespace {

QAccessibleInterface *factory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TextView") || (object && object->inherits("TextView"))) {
        if (auto *view = qobject_cast<TextView *>(object))
            return new TextViewAccessible(view);
    }
    return nullptr;
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
