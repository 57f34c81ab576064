#include "platform/richedit.h"

#include "platform/colorref.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <vector>

namespace {

void setPaletteColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);  // every colour group: the control looks the same inactive
    widget->setPalette(palette);
}

// Characters a text takes in the document, where CR LF becomes one line break.
qsizetype documentLength(QStringView text)
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

QString withLineBreaks(QString text, const QString &lineBreak)
{
    return text.replace(QChar(QChar::ParagraphSeparator), lineBreak);
}

// The kind marked on the separator that starts a block, -1 when it has none; breakOf holds
// the kind each of the document's formats marks.
int markedBreak(const QTextBlock &block, const std::vector<signed char> &breakOf)
{
    const int index = block.charFormatIndex();
    return index >= 0 && size_t(index) < breakOf.size() ? breakOf[size_t(index)] : -1;
}

// The kind of a document's first marked break, -1 when none is marked. Files with marks
// usually mark every break, so this stops at the second block.
int firstMarkedBreak(const QTextDocument *doc, const std::vector<signed char> &breakOf)
{
    for (QTextBlock block = doc->begin().next(); block.isValid(); block = block.next()) {
        if (const int kind = markedBreak(block, breakOf); kind >= 0)
            return kind;
    }
    return -1;
}

} // namespace

// The selection, the text length and the count of edits before a typing event. The text
// the event inserted runs from the selection's start to the caret, when the document was
// edited and its length changed by exactly that much.
struct RichEdit::TypingSnapshot {
    qsizetype selStart = 0;
    qsizetype selLength = 0;
    qsizetype length = 0;
    quint64 changes = 0;
};

RichEdit::RichEdit(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(WidgetWidth);
    m_crTextColor = RefFromColor(palette().color(QPalette::Text));
    connect(document(), &QTextDocument::contentsChange, this, [this] { ++m_nChanges; });
}

bool RichEdit::hasFileProperty(const QTextFormat &format)
{
    return format.hasProperty(kVariantProperty) || format.hasProperty(kBreakProperty);
}

// --- selection and lines ---------------------------------------------------------------

void RichEdit::GetSel(qsizetype &start, qsizetype &end) const
{
    const QTextCursor cursor = textCursor();
    start = cursor.selectionStart();
    end = cursor.selectionEnd();
}

void RichEdit::SetSel(qsizetype start, qsizetype end)
{
    QTextCursor cursor = textCursor();
    if (start < 0) {  // no selection, the caret stays
        cursor.clearSelection();
        setTextCursor(cursor);
        return;
    }
    const qsizetype length = GetTextLength();
    if (end < 0 || end > length)
        end = length;
    start = std::min(start, length);
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

// Displayed rows of a block; with wrap on the block is laid out first if it is not yet.
qsizetype RichEdit::rowsOf(const QTextBlock &block) const
{
    if (!WordWrap())
        return 1;
    QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0)
        document()->documentLayout()->blockBoundingRect(block);
    return std::max(1, layout->lineCount());
}

// The block that holds a row, and the number of that block's first row.
QTextBlock RichEdit::blockOfRow(qsizetype row, qsizetype *firstRow) const
{
    qsizetype first = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const qsizetype rows = rowsOf(block);
        if (row < first + rows) {
            *firstRow = first;
            return block;
        }
        first += rows;
    }
    return QTextBlock();
}

qsizetype RichEdit::LineFromChar(qsizetype charIndex) const
{
    const qsizetype pos = charIndex < 0 ? textCursor().selectionStart() : std::min(charIndex, GetTextLength());
    const QTextBlock block = document()->findBlock(int(pos));
    if (!WordWrap())
        return block.blockNumber();
    qsizetype row = 0;
    for (QTextBlock before = document()->begin(); before != block; before = before.next())
        row += rowsOf(before);
    rowsOf(block);
    const QTextLine line = block.layout()->lineForTextPosition(int(pos - block.position()));
    return row + (line.isValid() ? line.lineNumber() : 0);
}

qsizetype RichEdit::LineIndex(qsizetype line) const
{
    if (line < 0)
        line = LineFromChar(textCursor().position());
    if (!WordWrap()) {
        const QTextBlock block = document()->findBlockByNumber(int(std::min<qsizetype>(line, INT_MAX)));
        return block.isValid() ? block.position() : -1;
    }
    qsizetype firstRow = 0;
    const QTextBlock block = blockOfRow(line, &firstRow);
    if (!block.isValid())
        return -1;
    const QTextLine row = block.layout()->lineAt(int(line - firstRow));
    return block.position() + (row.isValid() ? row.textStart() : 0);
}

QString RichEdit::GetLine(qsizetype line, qsizetype maxChars) const
{
    if (line < 0 || maxChars <= 0)
        return QString();
    QString text;
    if (!WordWrap()) {
        text = document()->findBlockByNumber(int(std::min<qsizetype>(line, INT_MAX))).text();
    } else {
        qsizetype firstRow = 0;
        const QTextBlock block = blockOfRow(line, &firstRow);
        if (!block.isValid())
            return QString();
        const QTextLine row = block.layout()->lineAt(int(line - firstRow));
        text = row.isValid() ? block.text().mid(row.textStart(), row.textLength()) : block.text();
    }
    return text.left(maxChars);
}

qsizetype RichEdit::GetLineCount() const
{
    if (!WordWrap())
        return document()->blockCount();
    qsizetype rows = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        rows += rowsOf(block);
    return rows;
}

// --- editing -------------------------------------------------------------------------

bool RichEdit::fitsLimit(const QTextCursor &cursor, qsizetype inserted) const
{
    return GetTextLength() - (cursor.selectionEnd() - cursor.selectionStart()) + inserted <= m_nLimit;
}

void RichEdit::ReplaceSel(const QString &text, bool canUndo)
{
    QTextCursor cursor = textCursor();
    if (!fitsLimit(cursor, documentLength(text))) {
        emit maxTextReached();
        return;
    }
    if (text.isEmpty() && !cursor.hasSelection())
        return;
    QTextDocument *doc = document();
    if (!canUndo)
        doc->setUndoRedoEnabled(false);  // empties the history: its steps would no longer fit
    if (text.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(text, QTextCharFormat());
    if (!canUndo) {
        doc->setUndoRedoEnabled(true);
        doc->setModified(true);
    }
    setTextCursor(cursor);
}

QString RichEdit::GetSelText() const
{
    return withLineBreaks(textCursor().selectedText(), QStringLiteral("\r\n"));
}

qsizetype RichEdit::GetTextLength() const
{
    return document()->characterCount() - 1;
}

bool RichEdit::GetModify() const
{
    return document()->isModified();
}

void RichEdit::SetModify(bool modified)
{
    document()->setModified(modified);
}

QPoint RichEdit::PosFromChar(qsizetype charIndex) const
{
    QTextCursor cursor(document());
    cursor.setPosition(int(std::clamp<qsizetype>(charIndex, 0, GetTextLength())));
    return cursorRect(cursor).topLeft() + viewport()->pos();
}

void RichEdit::LimitText(qsizetype maxChars)
{
    // positions in the document are int
    m_nLimit = maxChars > 0 ? std::min<qsizetype>(maxChars, INT_MAX - 1) : kDefaultTextLimit;
}

qsizetype RichEdit::GetLimitText() const
{
    return m_nLimit;
}

// Text typed next to a character read from a file must not take over that character's
// byte form or line-break kind: the caret's format for new text is kept free of them.
void RichEdit::cleanTypingFormat()
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection() && hasFileProperty(cursor.charFormat()))
        setCurrentCharFormat(QTextCharFormat());
}

RichEdit::TypingSnapshot RichEdit::snapshotForTyping() const
{
    const QTextCursor cursor = textCursor();
    return TypingSnapshot{cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart(), GetTextLength(),
                          m_nChanges};
}

// Typed text may have taken over a neighbour's format (with a selection, or through the
// input method, whose insertion does not use the caret's format): it loses the file
// properties again, as part of the same undo step.
void RichEdit::cleanTypedText(const TypingSnapshot &before)
{
    const qsizetype end = textCursor().position();
    const qsizetype inserted = end - before.selStart;
    if (m_nChanges != before.changes && inserted > 0 &&
        GetTextLength() - before.length == inserted - before.selLength)
        stripFileProperties(before.selStart, end);
}

// Removes the file properties from [from, to), as part of the edit that inserted it.
void RichEdit::stripFileProperties(qsizetype from, qsizetype to)
{
    QTextDocument *doc = document();
    to = std::min(to, GetTextLength());
    bool found = false;
    for (QTextBlock block = doc->findBlock(int(from)); block.isValid() && block.position() <= to && !found;
         block = block.next()) {
        // the line break in front of this block
        if (block.position() > from && hasFileProperty(block.charFormat()))
            found = true;
        for (auto it = block.begin(); !it.atEnd() && !found; ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() < to && fragment.position() + fragment.length() > from &&
                hasFileProperty(fragment.charFormat()))
                found = true;
        }
    }
    if (!found)
        return;
    QTextCursor cursor(doc);
    cursor.joinPreviousEditBlock();
    cursor.setPosition(int(from));
    cursor.setPosition(int(to), QTextCursor::KeepAnchor);
    cursor.setCharFormat(QTextCharFormat());
    cursor.endEditBlock();
}

void RichEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        QPlainTextEdit::keyPressEvent(event);  // restores text with the properties it had
        return;
    }
    const bool lineSeparator = event->matches(QKeySequence::InsertLineSeparator);
    qsizetype inserted = 0;
    if (lineSeparator || event->matches(QKeySequence::InsertParagraphSeparator)) {
        inserted = 1;
    } else {
        const QString text = event->text();
        if (!text.isEmpty() && (text.at(0).isPrint() || text.at(0) == u'\t'))
            inserted = text.size();
    }
    if (inserted > 0 && !isReadOnly() && !fitsLimit(textCursor(), inserted)) {
        event->accept();
        emit maxTextReached();
        return;
    }
    cleanTypingFormat();
    const TypingSnapshot before = snapshotForTyping();
    if (lineSeparator) {
        // Shift+Enter breaks the line as Enter does: a line separator inside a line has no
        // byte form in a text file.
        QKeyEvent plain(event->type(), Qt::Key_Return, event->modifiers() & ~Qt::ShiftModifier,
                        QStringLiteral("\r"), event->isAutoRepeat(), event->count());
        QPlainTextEdit::keyPressEvent(&plain);
        event->setAccepted(plain.isAccepted());
    } else {
        QPlainTextEdit::keyPressEvent(event);
    }
    if (inserted > 0)
        cleanTypedText(before);
}

void RichEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const qsizetype inserted = event->commitString().size();
    if (inserted > 0 && !isReadOnly() && !fitsLimit(textCursor(), inserted)) {
        QInputMethodEvent ended;  // ends the composition without committing
        QPlainTextEdit::inputMethodEvent(&ended);
        event->accept();
        emit maxTextReached();
        return;
    }
    const TypingSnapshot before = snapshotForTyping();
    QPlainTextEdit::inputMethodEvent(event);
    if (inserted > 0)
        cleanTypedText(before);
}

// QMimeData hands out the URLs of copied files as text too; they are not text to insert.
bool RichEdit::HasPlainText(const QMimeData *source)
{
    return source && (source->hasFormat(QStringLiteral("text/plain")) ||
                      source->hasFormat(QStringLiteral("text/plain;charset=utf-8")));
}

bool RichEdit::canInsertFromMimeData(const QMimeData *source) const
{
    return HasPlainText(source);
}

QMimeData *RichEdit::createMimeDataFromSelection() const
{
    auto *data = new QMimeData;
    data->setText(withLineBreaks(textCursor().selectedText(), QStringLiteral("\n")));
    return data;
}

// Pasted and dropped text comes in as plain text without formats.
void RichEdit::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !HasPlainText(source))
        return;
    const QString text = source->text();
    QTextCursor cursor = textCursor();
    if (!fitsLimit(cursor, documentLength(text))) {
        emit maxTextReached();
        return;
    }
    if (text.isEmpty())
        return;
    cursor.insertText(text, QTextCharFormat());
    setTextCursor(cursor);
    ensureCursorVisible();
}

// --- whole-text format and colours ---------------------------------------------------

void RichEdit::SetWholeTextFormat(const CharFormat &format)
{
    const uint32_t mask = format.dwMask;
    const uint32_t effects = format.dwEffects;
    constexpr uint32_t fontFields = CharFormat::CFM_BOLD | CharFormat::CFM_ITALIC | CharFormat::CFM_UNDERLINE |
                                    CharFormat::CFM_STRIKEOUT | CharFormat::CFM_SIZE | CharFormat::CFM_FACE;
    // The widget's font is the document's default font: characters carry no font of their own.
    if (mask & fontFields)
        setFont(format.fontOver(font()));
    if (mask & CharFormat::CFM_FACE)
        m_bPitchAndFamily = format.bPitchAndFamily;
    if (mask & CharFormat::CFM_COLOR) {
        m_bAutoColor = effects & CharFormat::CFE_AUTOCOLOR;
        m_crTextColor = format.crTextColor;
        applyTextColor();
    }
    if (mask & CharFormat::CFM_OFFSET)
        m_yOffset = format.yOffset;
    if (mask & CharFormat::CFM_CHARSET)
        m_bCharSet = format.bCharSet;
}

void RichEdit::applyTextColor()
{
    const QColor color = m_bAutoColor ? QApplication::palette(this).color(QPalette::Text) : ColorFromRef(m_crTextColor);
    setPaletteColor(this, QPalette::Text, color);
}

CharFormat RichEdit::GetWholeTextFormat() const
{
    const QFont f = font();
    CharFormat format;
    format.cbSize = CharFormat::kSize;
    format.dwMask = CharFormat::CFM_BOLD | CharFormat::CFM_ITALIC | CharFormat::CFM_UNDERLINE |
                    CharFormat::CFM_STRIKEOUT | CharFormat::CFM_SIZE | CharFormat::CFM_COLOR |
                    CharFormat::CFM_FACE | CharFormat::CFM_OFFSET | CharFormat::CFM_CHARSET;
    if (f.bold())
        format.dwEffects |= CharFormat::CFE_BOLD;
    if (f.italic())
        format.dwEffects |= CharFormat::CFE_ITALIC;
    if (f.underline())
        format.dwEffects |= CharFormat::CFE_UNDERLINE;
    if (f.strikeOut())
        format.dwEffects |= CharFormat::CFE_STRIKEOUT;
    if (m_bAutoColor)
        format.dwEffects |= CharFormat::CFE_AUTOCOLOR;
    const qreal points = f.pointSizeF() > 0 ? f.pointSizeF() : QFontInfo(f).pointSizeF();
    format.yHeight = int32_t(qRound(points * 20));
    format.yOffset = m_yOffset;
    format.crTextColor = RefFromColor(palette().color(QPalette::Text));
    format.bCharSet = m_bCharSet;
    format.bPitchAndFamily = m_bPitchAndFamily;
    format.szFaceName = CharFormat::cutFace(f.family());
    return format;
}

void RichEdit::SetBackgroundColor(uint32_t colorref)
{
    setPaletteColor(this, QPalette::Base, ColorFromRef(colorref));
}

void RichEdit::SetWordWrap(bool wrap)
{
    setLineWrapMode(wrap ? WidgetWidth : NoWrap);
}

bool RichEdit::WordWrap() const
{
    return lineWrapMode() == WidgetWidth;
}

// --- painting ------------------------------------------------------------------------

void RichEdit::paintEvent(QPaintEvent *event)
{
    QPlainTextEdit::paintEvent(event);
    paintEscapes(event->rect());
}

namespace {

// The byte an escape stands for, as two hex digits in a box over the character.
void paintEscapeBox(QPainter &painter, const QRectF &cell, int byte, const QColor &ink, const QColor &paper)
{
    const QRectF box = cell.adjusted(1, 1, -0.5, -1);
    if (box.width() < 2 || box.height() < 4)
        return;
    painter.fillRect(box, paper);
    painter.setPen(QPen(ink, 0));
    painter.drawRect(box);
    const QString hex = QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
    QFont digits = painter.font();
    // side by side when the cell is wide enough, else one above the other
    digits.setPixelSize(std::max(4, int(box.height() * 0.6)));
    if (QFontMetricsF(digits).horizontalAdvance(hex) <= box.width() - 1) {
        painter.setFont(digits);
        painter.drawText(box, Qt::AlignCenter, hex);
        return;
    }
    int pixels = std::max(4, int(box.height() / 2));
    digits.setPixelSize(pixels);
    while (pixels > 4 && QFontMetricsF(digits).horizontalAdvance(QLatin1Char('0')) > box.width()) {
        digits.setPixelSize(--pixels);
    }
    painter.setFont(digits);
    const qreal half = box.height() / 2;
    painter.drawText(QRectF(box.left(), box.top(), box.width(), half), Qt::AlignCenter, hex.left(1));
    painter.drawText(QRectF(box.left(), box.top() + half, box.width(), half), Qt::AlignCenter, hex.mid(1));
}

} // namespace

// Escaped bytes would show as blanks or anonymous boxes: each gets its hex value. Only the
// blocks on screen are scanned.
void RichEdit::paintEscapes(const QRect &area)
{
    const QPointF offset = contentOffset();
    const QTextCursor cursor = textCursor();
    const int selStart = cursor.selectionStart();
    const int selEnd = cursor.selectionEnd();
    QPainter painter;
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF rect = blockBoundingGeometry(block).translated(offset);
        if (rect.top() > area.bottom())
            break;
        if (!block.isVisible() || rect.bottom() < area.top())
            continue;
        const QString text = block.text();
        QTextLayout *layout = block.layout();
        for (int i = 0; i < text.size(); ++i) {
            if (!CodePage::isEscape(text.at(i)))
                continue;
            const QTextLine line = layout->lineForTextPosition(i);
            if (!line.isValid())
                continue;
            const qreal x1 = line.cursorToX(i);
            qreal x2 = line.cursorToX(i + 1);
            if (x2 <= x1)
                x2 = x1 + QFontMetricsF(font()).horizontalAdvance(text.at(i));
            if (!painter.isActive())
                painter.begin(viewport());
            const int pos = block.position() + i;
            const bool selected = pos >= selStart && pos < selEnd;
            const QRectF cell(rect.left() + x1, rect.top() + line.y(), x2 - x1, line.height());
            paintEscapeBox(painter, cell, text.at(i).unicode() - 0xEF00,
                           palette().color(selected ? QPalette::HighlightedText : QPalette::Text),
                           palette().color(selected ? QPalette::Highlight : QPalette::Base));
        }
    }
}

// --- streaming -----------------------------------------------------------------------

bool RichEdit::StreamIn(const QByteArray &bytes)
{
    QList<CodePage::Variant> variants;
    const QString text = CodePage::decode(bytes, &variants);
    qsizetype crlf = 0;
    bool otherBreaks = false;
    const QChar *s = text.constData();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] == u'\r') {
            if (i + 1 < n && s[i + 1] == u'\n') {
                ++crlf;
                ++i;
            } else {
                otherBreaks = true;
            }
        } else if (s[i] == u'\n') {
            otherBreaks = true;
        }
    }
    if (n - crlf > m_nLimit)
        return false;
    loadText(text, variants, otherBreaks);
    return true;
}

// Builds the document in one edit without undo. Line breaks become blocks; when the text
// has any break other than CR LF, every break carries its kind on its separator (text
// with CR LF only needs none: unmarked breaks are written as CR LF). Characters read from
// a non-default byte form carry that form.
void RichEdit::loadText(const QString &text, const QList<CodePage::Variant> &variants, bool explicitBreaks)
{
    QTextDocument *doc = document();
    // A vertical scroll bar appearing after the load would narrow the text and relayout
    // every block; when the text will need it, it is shown before.
    const bool holdScrollBar = verticalScrollBarPolicy() == Qt::ScrollBarAsNeeded &&
                               text.size() > 64 * 1024 && !verticalScrollBar()->isVisibleTo(this);
    if (holdScrollBar)
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    doc->setUndoRedoEnabled(false);  // also empties the history
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    const QTextCharFormat plain;
    QTextCharFormat breakFormat[3];
    if (explicitBreaks) {
        for (int kind : {CrLf, Lf, Cr})
            breakFormat[kind].setProperty(kBreakProperty, kind);
    }
    const QChar *s = text.constData();
    const qsizetype n = text.size();
    qsizetype nextVariant = 0;
    const auto insertRun = [&](qsizetype from, qsizetype to) {
        for (; nextVariant < variants.size() && variants[nextVariant].pos < to; ++nextVariant) {
            const qsizetype at = variants[nextVariant].pos;
            if (at < from)
                continue;
            if (at > from)
                cursor.insertText(QString::fromRawData(s + from, at - from), plain);
            QTextCharFormat form;
            form.setProperty(kVariantProperty, int(variants[nextVariant].code));
            cursor.insertText(QString(s[at]), form);
            from = at + 1;
        }
        if (to > from)
            cursor.insertText(QString::fromRawData(s + from, to - from), plain);
    };
    if (!explicitBreaks && variants.isEmpty()) {
        cursor.insertText(text, plain);  // the cursor splits the lines at CR LF itself
    } else {
        const QTextBlockFormat blockFormat;
        qsizetype lineStart = 0;
        for (qsizetype i = 0; i < n; ++i) {
            if (s[i] != u'\r' && s[i] != u'\n')
                continue;
            insertRun(lineStart, i);
            LineBreak kind = s[i] == u'\n' ? Lf : Cr;
            if (kind == Cr && i + 1 < n && s[i + 1] == u'\n') {
                kind = CrLf;
                ++i;
            }
            cursor.insertBlock(blockFormat, breakFormat[kind]);
            lineStart = i + 1;
        }
        insertRun(lineStart, n);
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(true);
    doc->setModified(false);
    setTextCursor(QTextCursor(doc));
    if (holdScrollBar)
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QByteArray RichEdit::StreamOut(QList<qsizetype> *unencodable, QList<qsizetype> *changed) const
{
    const QTextDocument *doc = document();
    // Which formats mark a line-break kind or a byte form; usually none do.
    const QList<QTextFormat> formats = doc->allFormats();
    std::vector<signed char> breakOf(size_t(formats.size()), -1);
    bool anyBreak = false;
    bool anyVariant = false;
    for (qsizetype i = 0; i < formats.size(); ++i) {
        if (formats[i].hasProperty(kBreakProperty)) {
            const int kind = formats[i].intProperty(kBreakProperty);
            breakOf[size_t(i)] = static_cast<signed char>(kind == Lf ? Lf : kind == Cr ? Cr : CrLf);
            anyBreak = true;
        }
        anyVariant = anyVariant || formats[i].hasProperty(kVariantProperty);
    }

    const QString raw = doc->toRawText();
    QString out(raw.size() + doc->blockCount(), Qt::Uninitialized);
    QChar *dst = out.data();
    const QChar *src = raw.constData();
    QList<CodePage::Variant> variants;
    std::vector<qsizetype> crlfEnds;  // where the LF of each CR LF stands in out
    // An unmarked break (typed or pasted) takes the kind of the marked break before it; one
    // before the first marked break takes that break's kind, and a text without marked
    // breaks is written with CR LF.
    const int first = anyBreak ? firstMarkedBreak(doc, breakOf) : -1;
    LineBreak carried = first >= 0 ? LineBreak(first) : CrLf;
    qsizetype pos = 0;  // of the block in the document
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (pos > 0) {
            if (const int kind = anyBreak ? markedBreak(block, breakOf) : -1; kind >= 0)
                carried = LineBreak(kind);
            if (carried == CrLf) {
                *dst++ = u'\r';
                crlfEnds.push_back(dst - out.constData());
                *dst++ = u'\n';
            } else {
                *dst++ = carried == Lf ? u'\n' : u'\r';
            }
        }
        const qsizetype length = block.length() - 1;
        const qsizetype start = dst - out.constData();
        std::copy_n(src + pos, length, dst);
        dst += length;
        if (anyVariant)
            collectVariants(block, start - pos, &variants);
        pos += length + 1;
    }
    out.truncate(dst - out.constData());

    QList<qsizetype> outPositions;
    const QByteArray bytes = CodePage::encode(out, variants, unencodable ? &outPositions : nullptr);
    // back to character positions of the text, where a CR LF is one character
    const auto toTextPositions = [&crlfEnds](const QList<qsizetype> &positions, QList<qsizetype> *result) {
        for (qsizetype at : positions) {
            const auto before = std::lower_bound(crlfEnds.begin(), crlfEnds.end(), at) - crlfEnds.begin();
            result->append(at - before);
        }
    };
    if (unencodable)
        toTextPositions(outPositions, unencodable);
    if (changed)
        toTextPositions(CodePage::readBackChanges(bytes, out), changed);
    return bytes;
}

RichEdit::FilePosition RichEdit::FilePositionFromChar(qsizetype charIndex) const
{
    const qsizetype pos = std::clamp<qsizetype>(charIndex, 0, GetTextLength());
    const QTextBlock block = document()->findBlock(int(pos));
    return FilePosition{block.blockNumber() + 1, pos - block.position() + 1};
}

// The characters of a block read from a non-default byte form; shift turns a document
// position into one of the written text.
void RichEdit::collectVariants(const QTextBlock &block, qsizetype shift, QList<CodePage::Variant> *variants) const
{
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (!format.hasProperty(kVariantProperty))
            continue;
        const auto code = quint16(format.intProperty(kVariantProperty));
        for (qsizetype k = 0; k < fragment.length(); ++k)
            variants->append(CodePage::Variant{shift + fragment.position() + k, code});
    }
}
