#pragma once
// What a screen reader learns of a text view: its text, caret and selection, where each
// character stands on screen, and the text around an offset by character, word, sentence,
// line (the displayed row) or paragraph. The view tells of its edits itself, through
// QAccessible, without this class.
#include <QAccessibleWidget>

#include <utility>

class TextView;

class TextViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TextViewAccessible(TextView *view);

    // Makes every TextView answer through this class: once, before anything asks.
    static void install();

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                             int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                            int *endOffset) const override;

private:
    TextView *view() const;
    // The unit of a kind that holds the character at offset, [start, end); empty at the end
    // of the text, except for a line, which is then the last row.
    std::pair<int, int> unitAt(int offset, QAccessible::TextBoundaryType type) const;
    std::pair<int, int> characterAt(int offset) const;
    std::pair<int, int> wordAt(int offset) const;
    std::pair<int, int> sentenceAt(int offset) const;
    std::pair<int, int> rowAt(int offset) const;
    std::pair<int, int> paragraphAt(int offset) const;
    // The text of a unit, its ends stored; -1 and nothing for none.
    QString answer(std::pair<int, int> unit, int *startOffset, int *endOffset) const;
    bool inText(int &offset) const;
};
