#pragma once
// The editing control: a view of a text (TextView) offering the operations of the rich-edit
// control the editor view is written against. Positions are character indices from 0, a line
// break counting one; with wrap on, a "line" is a displayed row.
//
// Text is exchanged with files as CP932 bytes, losslessly (TextBytes): line ends (CR LF, LF,
// CR) are kept per line, byte forms other than the default are kept on their characters, and
// undecodable bytes are kept as escapes that are painted as their hex value in a box.
#include "platform/engine/charformat.h"
#include "platform/engine/textview.h"

#include <QByteArray>
#include <QList>

#include <limits>

class QMimeData;

class RichEdit : public TextView {
    Q_OBJECT
public:
    // No limit: the text holds as much as memory allows. LimitText sets one.
    static constexpr qsizetype kDefaultTextLimit = std::numeric_limits<qsizetype>::max();  // characters

    explicit RichEdit(QWidget *parent = nullptr);

    // Selection as a character range; end may be -1 for "to the end". A negative start
    // removes the selection and leaves the caret where it is.
    void GetSel(qsizetype &start, qsizetype &end) const;
    void SetSel(qsizetype start, qsizetype end);

    // Line containing a character (-1 = the line of the selection's start), first character
    // of a line (-1 = the caret's line; -1 when there is no such line), text of a line
    // without its line break (at most maxChars characters), line count (at least 1).
    qsizetype LineFromChar(qsizetype charIndex) const;
    qsizetype LineIndex(qsizetype line) const;
    QString GetLine(qsizetype line, qsizetype maxChars) const;
    qsizetype GetLineCount() const;

    // Replaces the selection, recorded for undo or not. A change that is not recorded leaves
    // the earlier undo steps pointing at the wrong places, so it empties the undo history
    // (a replacement that changes nothing keeps it). Refused, with maxTextReached, when the
    // text would grow beyond the limit.
    void ReplaceSel(const QString &text, bool canUndo = true);

    // The selected text with CR LF line breaks.
    QString GetSelText() const;

    // Length of the text in characters, line breaks counted as one.
    qsizetype GetTextLength() const;

    bool GetModify() const;
    void SetModify(bool modified);

    // Top-left of a character in this widget's coordinates.
    QPoint PosFromChar(qsizetype charIndex) const;

    // The format of the whole text: masked fields of format replace those of the text.
    void SetWholeTextFormat(const CharFormat &format);
    // The format the text shows (all fields valid).
    CharFormat GetWholeTextFormat() const;

    // True when the data holds text of its own (not just the names of files).
    static bool HasPlainText(const QMimeData *source);

    // Background colour, 0x00BBGGRR.
    void SetBackgroundColor(uint32_t colorref);

    // Wrap at the window edge or not at all.
    void SetWordWrap(bool wrap);
    bool WordWrap() const;

    void LimitText(qsizetype maxChars);
    qsizetype GetLimitText() const;

    // Plain-text stream. StreamIn replaces the whole text, empties the undo history and
    // clears the modify flag. Returns false (text unchanged) when the text would exceed
    // the limit.
    bool StreamIn(const QByteArray &bytes);
    // The text as bytes. Characters CP932 cannot hold are written as '?'; their positions
    // go to unencodable when given. Where the bytes would read back as other text (an escaped
    // byte joining its neighbour, a CR break right before an LF break), the place's first
    // character goes to changed (see TextBytes::write).
    QByteArray StreamOut(QList<qsizetype> *unencodable = nullptr, QList<qsizetype> *changed = nullptr) const;

    // Line and column of a character as a file counts them (a line ends at a line break, not
    // at the window edge), both from 1.
    struct FilePosition {
        qsizetype line;
        qsizetype column;
    };
    FilePosition FilePositionFromChar(qsizetype charIndex) const;

    // The whole text, line breaks as '\n'.
    QString toPlainText() const;

    // Input methods are told the text limit too; without one, nothing (as Qt's own editors).
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    // Emitted when the text would grow beyond the limit and the edit was refused.
    void maxTextReached();

protected:
    bool acceptEdit(qsizetype from, qsizetype to, QStringView text) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void applyTextColor();

    qsizetype m_nLimit = kDefaultTextLimit;
    // Fields of the whole-text format that the widget's font and palette do not hold.
    bool m_bAutoColor = true;
    uint32_t m_crTextColor = 0;
    int32_t m_yOffset = 0;
    uint8_t m_bCharSet = 128;  // SHIFTJIS_CHARSET
    uint8_t m_bPitchAndFamily = 0;
};
