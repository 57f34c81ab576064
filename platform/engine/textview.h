#pragma once
// A view of a text buffer that the user edits: its own caret, selection, scroll position and
// wrap width over a text that several views may share. It lays out only the lines it shows
// (a small cache of LineLayouts), keeps a row index of its own for the scroll bar and for
// row numbers, and takes keys, the mouse, input methods, the clipboard and drops. A drag of
// the mouse selects whole words once it leaves the word it began in; the left margin is a
// selection bar, where a click selects a row and a drag selects rows.
//
// Positions are those of TextBuffer: code units, a line break counting one.
#include "platform/engine/preedit.h"
#include "platform/engine/textbuffer.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QCursor>
#include <QHash>
#include <QPointer>
#include <memory>

class LineLayout;
class QDropEvent;
class QMimeData;
class TextStyle;
class WrapIndex;

class TextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TextView(QWidget *parent = nullptr);
    ~TextView() override;

    // The text shown. A view starts with a buffer of its own; a shared one is not owned and
    // must outlive the view or be replaced first.
    TextBuffer *buffer() const { return m_buffer; }
    void setBuffer(TextBuffer *buffer);

    // --- caret and selection ---
    qsizetype position() const { return m_pos; }
    qsizetype anchor() const { return m_anchor; }
    qsizetype selectionStart() const { return std::min(m_anchor, m_pos); }
    qsizetype selectionEnd() const { return std::max(m_anchor, m_pos); }
    bool hasSelection() const { return m_anchor != m_pos; }
    // Both ends are clamped to the text and kept off the second half of a surrogate pair.
    void setSelection(qsizetype anchor, qsizetype position);
    void setPosition(qsizetype position) { setSelection(position, position); }
    // The selected text, line breaks as '\n'.
    QString selectedText() const;
    void selectAll();

    // --- editing ---
    // Replaces the selection and puts the caret after the new text, unless acceptEdit()
    // refuses. Returns whether the edit was made. Read-only does not stop the program's own
    // edits; it stops the user's.
    bool replaceSelection(QStringView text, TextBuffer::Undo undo = TextBuffer::Undo::Step);
    void removeSelectedText() { replaceSelection(QStringView()); }
    void cut();
    void copy() const;
    void paste();
    void undo();
    void redo();
    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly);

    // --- display ---
    void setWordWrap(bool wrap);
    bool wordWrap() const;
    // Rows of the whole text as displayed (exact; counts what is not counted yet).
    qsizetype displayRowCount() const;
    // The displayed row holding pos, and the first position of a row.
    qsizetype rowOfPosition(qsizetype pos) const;
    qsizetype rowStart(qsizetype row) const;
    // The first position of the displayed row holding pos, from pos's line alone: no row before
    // it is counted (rowStart(rowOfPosition(pos)) counts them all).
    qsizetype rowStartAt(qsizetype pos) const;
    // The caret's (or a position's) rectangle in viewport coordinates. The caret at a wrap
    // point stands at the end of the upper row after End, else at the start of the lower row.
    QRect cursorRect() const;
    QRect cursorRect(qsizetype pos) const;
    // The position nearest to a point of the viewport.
    qsizetype positionAt(QPoint point) const;
    void ensureCaretVisible();

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void selectionChanged();
    void cursorPositionChanged();
    void textChanged();
    void undoAvailable(bool available);
    void modificationChanged(bool modified);

protected:
    // Called before every edit, by the user or the program; false refuses it.
    virtual bool acceptEdit(qsizetype from, qsizetype to, QStringView text);
    // The clipboard and drops, as QPlainTextEdit has them.
    virtual bool canInsertFromMimeData(const QMimeData *source) const;
    virtual QMimeData *createMimeDataFromSelection() const;
    virtual void insertFromMimeData(const QMimeData *source);

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct Row {
        qsizetype line = 0;
        int row = 0;  // within the line
    };

    // Layout
    void rebuildStyle();
    const LineLayout &layoutOf(qsizetype line) const;
    std::shared_ptr<LineLayout> layoutPtr(qsizetype line) const;
    int layoutCapacity() const;
    qreal layoutWidth() const;
    int rowHeight() const;
    int visibleRows() const;
    // Repaints the rows from line's first on (all when it begins above the screen).
    void updateFromLine(qsizetype line);
    void updateBetween(qsizetype from, qsizetype to);
    Row rowOf(qsizetype pos, bool upper = false) const;
    Row caretRow() const { return rowOf(m_pos, m_atRowEnd); }
    QRect rectAt(qsizetype pos, bool upper) const;
    Row rowAtY(int y) const;
    Row step(Row row, qsizetype by) const;
    qsizetype topRow() const;
    void setTop(Row top);
    qsizetype rowsBetween(Row from, Row to) const;
    void updateScrollBars();
    void onBufferChanged(const TextBuffer::Change &change);
    qsizetype mapThroughChange(qsizetype pos, const TextBuffer::Change &change) const;
    void keepTextForLoad();
    void announceChange(const TextBuffer::Change &change);

    // Caret movement
    bool moveByKey(QKeyEvent *event);
    qsizetype positionInRow(Row row, qreal x) const;
    qreal xOfPosition(qsizetype pos, bool upper = false) const;
    qsizetype previousCharacter(qsizetype pos) const;
    qsizetype nextCharacter(qsizetype pos) const;
    bool splitsKana(qsizetype pos) const;
    qsizetype previousCodePoint(qsizetype pos) const;
    qsizetype previousWord(qsizetype pos) const;
    qsizetype nextWord(qsizetype pos) const;
    qsizetype runStart(qsizetype pos) const;
    qsizetype runEnd(qsizetype pos) const;
    void selectWordAt(qsizetype pos);
    void moveCaret(qsizetype pos, bool extend);
    bool editByKey(QKeyEvent *event);
    void removeFromCaret(qsizetype to);
    void emitSelectionSignals(qsizetype oldAnchor, qsizetype oldPos);

    // Selecting with the mouse
    bool inSelectionBar(QPoint point) const;
    std::pair<qsizetype, qsizetype> rowRange(Row row) const;
    void selectUnits(qsizetype from, qsizetype to, qsizetype reachedStart, qsizetype reachedEnd);
    void selectTo(QPoint point);
    void pressInSelectionBar(QPoint point, bool extend);

    // Painting
    void paintRow(QPainter &painter, const LineLayout &layout, qsizetype line, int row, int y) const;
    void restartBlink();

    // Input methods
    void commitInputMethodText(const QInputMethodEvent &event);
    void selectForInputMethod(const QInputMethodEvent &event);
    void commitPreedit();
    bool isLateCommit(const QInputMethodEvent &event);
    static bool movesCaret(const QKeyEvent *event);
    std::pair<qsizetype, qsizetype> surroundingRange() const;
    std::shared_ptr<LineLayout> composedLayout() const;
    int caretLineRows() const;
    void updateCaretLine(int rowsBefore);
    QRect preeditRect(int offset) const;
    void ensurePreeditVisible();
    void paintComposedLine(QPainter &painter, const LineLayout &layout, Row &row, int &y, const QRect &exposed) const;

    // Drag and drop
    void startDrag();
    static Qt::DropAction dropAnswer(const QDropEvent *event);
    void insertDropped(const QMimeData *data, qsizetype pos);
    void moveText(qsizetype from, qsizetype to, qsizetype pos);

    TextBuffer *m_buffer = nullptr;
    std::unique_ptr<TextBuffer> m_ownBuffer;
    std::unique_ptr<TextStyle> m_style;
    WrapIndex *m_index = nullptr;
    qsizetype m_anchor = 0;
    qsizetype m_pos = 0;
    bool m_atRowEnd = false;  // the caret at a wrap point stands at the upper row's end (End)
    qreal m_desiredX = -1;  // x the caret keeps while moving up and down
    qsizetype m_topLine = 0;
    int m_topSubRow = 0;
    bool m_readOnly = false;
    bool m_caretVisible = true;
    Preedit m_preedit;
    QString m_committedAhead;  // a composition committed by the view, not yet by the method
    QBasicTimer m_blinkTimer;
    QBasicTimer m_autoScrollTimer;
    QPoint m_lastMouse;
    // What a drag of the left button selects by: from Shift+press by character; from a plain
    // press automatically (characters within the word pressed on, whole words beyond it); from
    // a double-click by whole words; from the selection bar by whole rows.
    enum class Selecting { None, Characters, Automatic, Words, Rows };
    Selecting m_selecting = Selecting::None;
    // The word or row pressed on (Words, Rows), or the position pressed (Automatic, as both).
    qsizetype m_unitFrom = -1;
    qsizetype m_unitTo = -1;
    QCursor m_barCursor;
    bool m_mayDrag = false;
    QPoint m_pressPoint;
    qsizetype m_dropPos = -1;
    qreal m_widestRow = 0;  // of the rows laid out so far: the horizontal scroll range
    QString m_textBeforeLoad;  // while a screen reader listens, from aboutToLoad to changed
};
