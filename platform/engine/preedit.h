#pragma once
// The text an input method is composing at the caret: shown in the line until it is committed,
// never part of the text. Its clauses keep the formats the input method gives them (the clause
// being converted highlighted, the others underlined, as the method chooses), and it has a
// caret of its own, which the method may hide while it converts.
//
// The caret's line laid out with the composition in it is kept here too, since every update
// of the composition is painted and asked about (where the candidate list goes) at once.
#include "platform/engine/linelayout.h"

#include <QFont>
#include <QList>
#include <QString>
#include <QStringView>
#include <memory>

class QInputMethodEvent;
class TextStyle;

class Preedit {
public:
    // Takes the composed text, its TextFormat and its Cursor attributes from an event.
    void take(const QInputMethodEvent &event);
    void clear();

    bool isEmpty() const { return m_text.isEmpty(); }
    const QString &text() const { return m_text; }
    // The caret's offset in the text, and whether the input method has it shown.
    int cursor() const { return m_cursor; }
    bool cursorVisible() const { return m_cursorVisible; }
    // Where the candidate list belongs: the start of the clause being converted (the first
    // with a background of its own), else the caret.
    int focus() const;
    // The formats as stretches of a line in which the text stands at offset `at`. What the
    // input method gave no format, or one without a background, is underlined.
    QList<LineLayout::Highlight> highlights(int at) const;

    // The line `line` with the text at `at`, laid out; made again when anything it depends on
    // has changed.
    std::shared_ptr<LineLayout> layout(const TextStyle &style, QStringView line, int at, qreal width, bool wrap) const;

private:
    QString m_text;
    int m_cursor = 0;
    bool m_cursorVisible = true;
    QList<LineLayout::Highlight> m_formats;  // offsets within m_text

    struct Laid {
        std::shared_ptr<LineLayout> layout;
        QString text;
        const TextStyle *style = nullptr;
        QFont font;  // a style made again for a new font may take the old one's address
        qreal width = 0;
        bool wrap = false;
    };
    mutable Laid m_laid;
};
