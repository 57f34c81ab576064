#include "platform/engine/richedit.h"

#include "platform/base/colorref.h"
#include "platform/engine/textbytes.h"

#include <QApplication>
#include <QFontInfo>
#include <QMimeData>

#include <algorithm>
#include <climits>

namespace {

void setPaletteColor(QWidget *widget, QPalette::ColorRole role, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(role, color);  // every colour group: the control looks the same inactive
    widget->setPalette(palette);
}

} // namespace

RichEdit::RichEdit(QWidget *parent) : TextView(parent)
{
    m_crTextColor = RefFromColor(palette().color(QPalette::Text));
}

// --- selection and lines ---------------------------------------------------------------

void RichEdit::GetSel(qsizetype &start, qsizetype &end) const
{
    start = selectionStart();
    end = selectionEnd();
}

void RichEdit::SetSel(qsizetype start, qsizetype end)
{
    if (start < 0) {  // no selection, the caret stays
        setPosition(position());
        return;
    }
    const qsizetype length = GetTextLength();
    if (end < 0 || end > length)
        end = length;
    setSelection(std::min(start, length), end);
    ensureCaretVisible();
}

qsizetype RichEdit::LineFromChar(qsizetype charIndex) const
{
    const qsizetype pos = charIndex < 0 ? selectionStart() : std::min(charIndex, GetTextLength());
    return WordWrap() ? rowOfPosition(pos) : buffer()->lineOf(pos);
}

qsizetype RichEdit::LineIndex(qsizetype line) const
{
    if (line < 0)
        line = LineFromChar(position());
    if (line >= GetLineCount())
        return -1;
    return WordWrap() ? rowStart(line) : buffer()->lineStart(line);
}

QString RichEdit::GetLine(qsizetype line, qsizetype maxChars) const
{
    if (line < 0 || maxChars <= 0 || line >= GetLineCount())
        return QString();
    const TextBuffer *text = buffer();
    qsizetype from = 0;
    qsizetype to = 0;
    if (WordWrap()) {
        from = rowStart(line);
        to = std::min(rowStart(line + 1), text->lineEnd(text->lineOf(from)));
    } else {
        from = text->lineStart(line);
        to = text->lineEnd(line);
    }
    return text->text(from, std::min(to, from + maxChars));
}

qsizetype RichEdit::GetLineCount() const
{
    return WordWrap() ? displayRowCount() : buffer()->lineCount();
}

QVariant RichEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImMaximumTextLength && m_nLimit != kDefaultTextLimit)
        return int(std::min<qsizetype>(m_nLimit, INT_MAX));
    return TextView::inputMethodQuery(query);
}

// --- editing -------------------------------------------------------------------------

// Every edit, by key, input method, paste, drop or the program, passes here.
bool RichEdit::acceptEdit(qsizetype from, qsizetype to, QStringView text)
{
    const qsizetype grown = GetTextLength() - (to - from) + TextBuffer::lengthOf(text);
    if (grown > m_nLimit && grown > GetTextLength()) {
        emit maxTextReached();
        return false;
    }
    return true;
}

void RichEdit::ReplaceSel(const QString &text, bool canUndo)
{
    const bool changes = buffer()->changes(selectionStart(), selectionEnd(), text);
    if (!replaceSelection(text))
        return;
    if (!canUndo && changes) {
        buffer()->clearUndo();  // its steps would no longer fit the text
        buffer()->setModified(true);
    }
}

QString RichEdit::GetSelText() const
{
    return selectedText().replace(QChar(TextBuffer::kBreak), QStringLiteral("\r\n"));
}

qsizetype RichEdit::GetTextLength() const
{
    return buffer()->length();
}

bool RichEdit::GetModify() const
{
    return buffer()->isModified();
}

void RichEdit::SetModify(bool modified)
{
    buffer()->setModified(modified);
}

QPoint RichEdit::PosFromChar(qsizetype charIndex) const
{
    return cursorRect(std::clamp<qsizetype>(charIndex, 0, GetTextLength())).topLeft() + viewport()->pos();
}

void RichEdit::LimitText(qsizetype maxChars)
{
    m_nLimit = maxChars > 0 ? maxChars : kDefaultTextLimit;
}

qsizetype RichEdit::GetLimitText() const
{
    return m_nLimit;
}

QString RichEdit::toPlainText() const
{
    return buffer()->text();
}

// --- clipboard -----------------------------------------------------------------------

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
    data->setText(selectedText());
    return data;
}

// Pasted and dropped text comes in as plain text, its characters in their usual byte form.
void RichEdit::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !HasPlainText(source))
        return;
    replaceSelection(source->text());
}

// --- whole-text format and colours ---------------------------------------------------

void RichEdit::SetWholeTextFormat(const CharFormat &format)
{
    const uint32_t mask = format.dwMask;
    const uint32_t effects = format.dwEffects;
    constexpr uint32_t fontFields = CharFormat::CFM_BOLD | CharFormat::CFM_ITALIC | CharFormat::CFM_UNDERLINE |
                                    CharFormat::CFM_STRIKEOUT | CharFormat::CFM_SIZE | CharFormat::CFM_FACE;
    // The text has one font: characters carry no font of their own.
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
    setWordWrap(wrap);
}

bool RichEdit::WordWrap() const
{
    return wordWrap();
}

// --- streaming -----------------------------------------------------------------------

bool RichEdit::StreamIn(const QByteArray &bytes)
{
    if (!TextBytes::read(*buffer(), bytes, m_nLimit))
        return false;
    setPosition(0);
    ensureCaretVisible();
    return true;
}

QByteArray RichEdit::StreamOut(QList<qsizetype> *unencodable, QList<qsizetype> *changed) const
{
    return TextBytes::write(*buffer(), unencodable, changed);
}

RichEdit::FilePosition RichEdit::FilePositionFromChar(qsizetype charIndex) const
{
    const qsizetype pos = std::clamp<qsizetype>(charIndex, 0, GetTextLength());
    const qsizetype line = buffer()->lineOf(pos);
    return FilePosition{line + 1, pos - buffer()->lineStart(line) + 1};
}
