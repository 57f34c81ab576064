// The view a user edits: several views of one text, the keys that move the caret, the mouse,
// input methods and what a screen reader is told.
#include "platform/engine/linelayout.h"
#include "platform/engine/richedit.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textview.h"
#include "platform/engine/textviewaccessible.h"
#include "../imagecheck.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QInputMethodEvent>
#include <QTextCharFormat>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void sendCommit(QWidget *w, const QString &commit, const QString &preedit = QString())
{
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(w, &event);
}

// A view of the given size showing text (or a shared buffer) in a known font.
void show(TextView &view, const QString &text, QSize size = {400, 200}, TextBuffer *shared = nullptr)
{
    view.setFont(QFont(u"IPAGothic"_s, 12));
    shared ? view.setBuffer(shared) : view.buffer()->load(text, {});
    view.resize(size);
    view.show();
}

// The colours a converting clause is painted in here, unlike anything else in the view.
const QColor kConvertingBackground(0x60, 0xC0, 0xFF);
const QColor kConvertingText(0x00, 0x30, 0x80);

// The attributes of a composition as an input method sends them: its clauses' lengths in
// order, the one being converted (highlighted; the others underlined, or with an empty format
// when othersPlain) or -1 for none, -2 for no formats at all; a caret at cursor, shown or
// hidden (cursor -1: no Cursor attribute).
QList<QInputMethodEvent::Attribute> clauses(const QList<int> &clauses, int converting, int cursor = -1,
                                            bool cursorShown = true, bool othersPlain = false)
{
    QList<QInputMethodEvent::Attribute> attributes;
    int start = 0;
    for (int i = 0; converting != -2 && i < clauses.size(); start += clauses[i++]) {
        QTextCharFormat format;
        if (i == converting) {
            format.setBackground(kConvertingBackground);
            format.setForeground(kConvertingText);
        } else if (!othersPlain) {
            format.setUnderlineStyle(QTextCharFormat::DashUnderline);
        }
        attributes.append({QInputMethodEvent::TextFormat, start, clauses[i], format});
    }
    if (cursor >= 0)
        attributes.append({QInputMethodEvent::Cursor, cursor, cursorShown ? 1 : 0, QVariant()});
    return attributes;
}

void compose(QWidget *w, const QString &text, const QList<QInputMethodEvent::Attribute> &attributes)
{
    QInputMethodEvent event(text, attributes);
    QApplication::sendEvent(w, &event);
}

// The view focused, its caret steady (see initTestCase): what it paints can be read back.
bool showFocused(TextView &view, const QString &text, QSize size = {400, 200})
{
    show(view, text, size);
    view.activateWindow();
    view.setFocus();
    return QTest::qWaitForWindowActive(&view) && view.hasFocus();
}

QRect fromViewport(const TextView &view, const QRect &rect)
{
    return rect.translated(-view.viewport()->pos());
}

} // namespace

using namespace ImageCheck;

class TestTextView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QApplication::setCursorFlashTime(0);  // a caret that does not blink
        TextViewAccessible::install();
    }

    void viewsOfOneTextWrapAtTheirOwnWidths()
    {
        TextBuffer text;
        text.load(QString(200, u'あ') + u"\r\nshort"_s, {});
        TextView wide, narrow;
        show(wide, {}, QSize(600, 200), &text);
        show(narrow, {}, QSize(200, 200), &text);
        QVERIFY(QTest::qWaitForWindowExposed(&narrow));
        const qsizetype wideRows = wide.displayRowCount(), narrowRows = narrow.displayRowCount();
        QVERIFY2(narrowRows > wideRows && wideRows > 2, qPrintable(u"%1 %2"_s.arg(wideRows).arg(narrowRows)));
        // Typing in one shows in the other; the other's caret moves along with the text before it.
        narrow.setPosition(text.length());
        wide.setPosition(0);
        QTest::keyClicks(&wide, u"xy"_s);
        QCOMPARE(narrow.buffer()->lineText(0).left(3), u"xyあ"_s);
        QCOMPARE(narrow.position(), text.length());
        narrow.undo();  // undo is the text's
        QCOMPARE(text.lineText(0), QString(200, u'あ'));
        wide.setWordWrap(false);  // each view keeps its own wrap setting
        QCOMPARE(wide.displayRowCount(), 2);
        QCOMPARE(narrow.displayRowCount(), narrowRows);
    }

    // An edit or a move of the caret or selection repaints only the rows it concerns, and
    // those are all it changes: the window as repainted so is the window painted afresh.
    void repaintsShowWhatChanged_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<QList<int>>("keys");  // Qt::Key, with Shift as Qt::ShiftModifier added
        QTest::addColumn<QString>("elsewhere");  // then put in at 45 by another view of the text
        const int shift = int(Qt::ShiftModifier);
        QTest::newRow("typed") << 30 << 30 << QList<int>{Qt::Key_X, Qt::Key_Y} << QString();
        QTest::newRow("typed into a wrapping line") << 5 << 5 << QList<int>(40, Qt::Key_W) << QString();
        QTest::newRow("enter") << 30 << 30 << QList<int>{Qt::Key_Return} << QString();
        QTest::newRow("backspace joins lines") << 40 << 40 << QList<int>{Qt::Key_Home, Qt::Key_Backspace} << QString();
        QTest::newRow("caret down and up") << 30 << 30 << QList<int>{Qt::Key_Down, Qt::Key_Down, Qt::Key_Up} << QString();
        QTest::newRow("selection grows and shrinks")
            << 30 << 30 << QList<int>{shift + Qt::Key_Down, shift + Qt::Key_Down, shift + Qt::Key_Up} << QString();
        QTest::newRow("selection replaced") << 30 << 90 << QList<int>{Qt::Key_Z} << QString();
        QTest::newRow("selection let go") << 30 << 90 << QList<int>{Qt::Key_Left} << QString();
        QTest::newRow("another view types") << 0 << 0 << QList<int>{} << u"挿入"_s;
        QTest::newRow("another view breaks a line") << 0 << 0 << QList<int>{} << u"\n"_s;
    }
    void repaintsShowWhatChanged()
    {
        QFETCH(int, caret);
        QFETCH(int, anchor);
        QFETCH(QList<int>, keys);
        QFETCH(QString, elsewhere);
        TextView view;
        QString text;
        for (int i = 0; i < 12; ++i)
            text += u"行%1 あいうえおかきくけこ%2\n"_s.arg(i).arg(i == 0 ? QString(30, u'長') : QString());
        QVERIFY(showFocused(view, text, QSize(300, 260)));
        view.setSelection(anchor, caret);
        const auto shown = [&view] {
            QCoreApplication::sendPostedEvents(view.window(), QEvent::UpdateRequest);
            return view.screen()->grabWindow(view.winId()).toImage();
        };
        shown();
        for (const int key : keys)
            QTest::keyClick(&view, Qt::Key(key & ~int(Qt::KeyboardModifierMask)), Qt::KeyboardModifiers(key & int(Qt::KeyboardModifierMask)));
        if (!elsewhere.isEmpty())
            view.buffer()->replace(45, 45, elsewhere);
        const QImage repainted = shown();
        view.viewport()->update();
        QCOMPARE(repainted, shown());
    }

    // Every view hears of an edit after every row index of the text has taken it: a view
    // asking another view of the text about rows, when the edit reaches it, has the new rows.
    void rowsAreCurrentWhenAViewHearsOfAnEdit_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("text");
        QTest::newRow("lines added") << 3 << 3 << u"\n\n\n"_s;
        QTest::newRow("lines removed") << 1 << 8 << QString();
        QTest::newRow("a line rewrapped") << 0 << 0 << QString(60, u'漢');
    }

    void rowsAreCurrentWhenAViewHearsOfAnEdit()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, text);
        TextBuffer buffer;
        buffer.load(u"ab\ncd\nef\ngh"_s, {});
        TextView first, second;
        show(first, {}, QSize(200, 200), &buffer);
        show(second, {}, QSize(200, 200), &buffer);
        QCOMPARE(second.displayRowCount(), 4);  // every line counted
        QList<qsizetype> heard;
        connect(&first, &TextView::textChanged, this,
                [&] { heard = {second.displayRowCount(), second.rowOfPosition(buffer.length())}; });
        buffer.replace(from, to, text);
        QCOMPARE(heard, (QList<qsizetype>{second.displayRowCount(), second.rowOfPosition(buffer.length())}));
        QVERIFY(second.displayRowCount() != 4);
    }

    // One layout of a line serves painting, hit tests and the row index: once a screen is
    // painted, asking about its rows and places lays nothing out again.
    void aLineOnScreenIsLaidOutOnce()
    {
        TextView view;
        QString text;
        for (int line = 0; line < 6; ++line)
            text += QString(30 + line, u'漢') + u"\n"_s;
        show(view, text, QSize(200, 300));
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.viewport()->repaint();
        const qint64 made = LineLayout::layoutsMade();
        for (qsizetype pos = 0; pos < view.buffer()->length(); pos += 7) {
            const qsizetype row = view.rowOfPosition(pos);
            QCOMPARE(view.positionAt(view.cursorRect(view.rowStart(row)).center() + QPoint(1, 0)), view.rowStart(row));
        }
        view.viewport()->repaint();
        QCOMPARE(LineLayout::layoutsMade(), made);
    }

    // A view resized while wrap is off wraps at its new width when wrap comes back on, as a
    // view made at that width does.
    void wrapComesBackAtTheWidthOfNow()
    {
        const QString text = QString(300, u'漢') + u"\n"_s + QString(90, u'a');
        TextView resized, made;
        show(resized, text, QSize(600, 200));
        show(made, text, QSize(250, 200));
        resized.setWordWrap(false);
        resized.resize(250, 200);
        resized.setWordWrap(true);
        QCOMPARE(resized.displayRowCount(), made.displayRowCount());
        QCOMPARE(resized.rowStart(3), made.rowStart(3));
    }

    // A key from a caret position: where the caret and the anchor go (-1: no selection), and the
    // text afterwards (null: unchanged).
    void caretKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("after");
        const QString emoji = u"a\U0001F600b"_s, japanese = u"日本語のテキスト ok"_s, lines = u"abcd\nab\nabcd"_s;
        const auto row = [](const char *name, const QString &text, int from, QKeyCombination key, int anchor, int to,
                            const QString &after = {}) {
            QTest::newRow(name) << text << from << key << anchor << to << after;
        };
        row("right over a surrogate pair", emoji, 1, Qt::Key_Right, -1, 3);
        row("left over a surrogate pair", emoji, 3, Qt::Key_Left, -1, 1);
        row("shift+right selects", emoji, 0, Qt::SHIFT | Qt::Key_Right, 0, 1);
        row("backspace a surrogate pair", emoji, 3, Qt::Key_Backspace, -1, 1, u"ab"_s);
        row("ctrl+right: kanji run", japanese, 0, Qt::CTRL | Qt::Key_Right, -1, 3);
        row("ctrl+right: hiragana run", japanese, 3, Qt::CTRL | Qt::Key_Right, -1, 4);
        row("ctrl+right: katakana run and space", japanese, 4, Qt::CTRL | Qt::Key_Right, -1, 9);
        row("ctrl+left: back to the run's start", japanese, 7, Qt::CTRL | Qt::Key_Left, -1, 4);
        row("ctrl+end", japanese, 0, Qt::CTRL | Qt::Key_End, -1, 11);
        row("ctrl+shift+home", japanese, 5, Qt::CTRL | Qt::SHIFT | Qt::Key_Home, 5, 0);
        row("down keeps the column", lines, 3, Qt::Key_Down, -1, 7);
        row("end of a line", lines, 1, Qt::Key_End, -1, 4);
        row("home of a line", lines, 6, Qt::Key_Home, -1, 5);
        const QString voiced = u"ｶﾞｷﾊﾟ"_s;
        row("right over a voiced kana", voiced, 0, Qt::Key_Right, -1, 2);
        row("left over a voiced kana", voiced, 5, Qt::Key_Left, -1, 3);
        row("shift+left over a voiced kana", voiced, 2, Qt::SHIFT | Qt::Key_Left, 2, 0);
        row("backspace takes the sound mark alone", voiced, 2, Qt::Key_Backspace, -1, 1, u"ｶｷﾊﾟ"_s);
        row("delete takes a voiced kana whole", voiced, 3, Qt::Key_Delete, -1, 3, u"ｶﾞｷ"_s);
        row("delete bringing a kana to a mark", u"ｶaﾞ"_s, 1, Qt::Key_Delete, -1, 0, u"ｶﾞ"_s);
        row("backspace bringing a kana to a mark", u"ｶaﾞ"_s, 2, Qt::Key_Backspace, -1, 0, u"ｶﾞ"_s);
    }

    void caretKeys()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(QKeyCombination, key);
        QFETCH(int, to);
        QFETCH(int, anchor);
        QFETCH(QString, after);
        TextView view;
        show(view, text);
        view.setPosition(from);
        QTest::keyClick(&view, key.key(), key.keyboardModifiers());
        QCOMPARE(view.position(), qsizetype(to));
        QCOMPARE(view.anchor(), qsizetype(anchor < 0 ? to : anchor));
        QCOMPARE(view.buffer()->text(), after.isNull() ? text : after);
    }

    // The caret at a wrap point, in rows of 100 kanji or of 100 voiced kana wrapped at 200
    // pixels. Tokens: E End, S Shift+End, H Home, D Down, j<r> a jump to row r's start (how
    // the jump commands set the caret), c<r> a click at row r's start, C<r> a click past row
    // r's end. Then where the caret is (row r's start plus delta) and on which row it shows.
    void caretAtAWrapPoint_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("shownRow");
        const QString kanji(100, u'漢'), voiced = u"ｶﾞ"_s.repeated(100);
        QTest::newRow("End reaches the row's end") << kanji << "E" << 1 << 0 << 0;
        QTest::newRow("End again stays") << kanji << "E E" << 1 << 0 << 0;
        QTest::newRow("Shift+End selects to the row's end") << kanji << "S" << 1 << 0 << 0;
        QTest::newRow("Home after End starts that row") << kanji << "E H" << 0 << 0 << 0;
        QTest::newRow("Down from a row's end keeps to the rows") << kanji << "E D" << 2 << -1 << 1;
        QTest::newRow("a jump to the row's start after End") << kanji << "E j1" << 1 << 0 << 1;
        QTest::newRow("a click at the lower row's start after End") << kanji << "E c1" << 1 << 0 << 1;
        QTest::newRow("End on the lower row") << kanji << "j1 E" << 2 << 0 << 1;
        QTest::newRow("a click past a row ending in a voiced kana") << voiced << "C0" << 1 << -2 << 0;
        QTest::newRow("End of a row ending in a voiced kana") << voiced << "E" << 1 << 0 << 0;
    }

    void caretAtAWrapPoint()
    {
        QFETCH(QString, text);
        QFETCH(QString, gesture);
        TextView view;
        show(view, text, QSize(200, 200));
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.setPosition(0);
        QVERIFY(view.displayRowCount() > 4);
        const auto rowTop = [&view](qsizetype row) { return view.cursorRect(view.rowStart(row)).top(); };
        for (const QString &token : gesture.split(u' ')) {
            const int row = token.mid(1).toInt();
            if (token == u"E" || token == u"S")
                QTest::keyClick(&view, Qt::Key_End, token == u"S" ? Qt::ShiftModifier : Qt::NoModifier);
            else if (token == u"H")
                QTest::keyClick(&view, Qt::Key_Home);
            else if (token == u"D")
                QTest::keyClick(&view, Qt::Key_Down);
            else if (token[0] == u'j')
                view.setPosition(view.rowStart(row));
            else if (token[0] == u'c')
                QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cursorRect(view.rowStart(row)).center());
            else if (token[0] == u'C')
                QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(195, rowTop(row) + 2));
            else
                QFAIL(qPrintable(token));
        }
        QFETCH(int, row);
        QFETCH(int, delta);
        QFETCH(int, shownRow);
        QCOMPARE(view.position(), view.rowStart(row) + delta);
        QCOMPARE(view.cursorRect().top(), rowTop(shownRow));
        QCOMPARE(view.anchor(), gesture == u"S" ? 0 : view.position());
        if (shownRow + 1 == row && delta == 0)  // at the end of the row it shows on, right of its text
            QVERIFY(view.cursorRect().left() > view.cursorRect(view.position() - 1).left());
    }

    // A kana committed before a sound mark takes it: the caret goes past both.
    void committedKanaTakesTheMark()
    {
        TextView view;
        show(view, u"ﾞa"_s);
        view.setPosition(0);
        sendCommit(&view, u"ｶ"_s);
        QCOMPARE(view.buffer()->text(), u"ｶﾞa"_s);
        QCOMPARE(view.position(), 2);
    }

    void mouseSelects()
    {
        TextView view;
        show(view, u"日本語のテキスト abc\nsecond line"_s);
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QWidget *port = view.viewport();
        const auto at = [&view](qsizetype pos) { return view.cursorRect(pos).center(); };
        QTest::mouseClick(port, Qt::LeftButton, Qt::NoModifier, at(2) + QPoint(1, 0));
        QCOMPARE(view.position(), 2);
        QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, at(15));
        QCOMPARE(std::pair(view.anchor(), view.position()), (std::pair<qsizetype, qsizetype>(2, 15)));
        // A drag from one point to another selects between them.
        QTest::mousePress(port, Qt::LeftButton, Qt::NoModifier, at(0));
        QMouseEvent move(QEvent::MouseMove, at(20), port->mapToGlobal(at(20)), Qt::NoButton, Qt::LeftButton, {});
        QApplication::sendEvent(port, &move);
        QTest::mouseRelease(port, Qt::LeftButton, Qt::NoModifier, at(20));
        QCOMPARE(std::pair(view.selectionStart(), view.selectionEnd()), (std::pair<qsizetype, qsizetype>(0, 20)));
        // A double-click selects a run of one script.
        QTest::mouseDClick(port, Qt::LeftButton, Qt::NoModifier, at(5) + QPoint(1, 0));
        QCOMPARE(view.selectedText(), u"テキスト"_s);
    }

    // Gestures of the left button, as tokens: p<n> press at position n (S<n> with Shift), d<n>
    // double-click there, m<n> move there with the button held, P<n> and M<n> the same in the
    // selection bar beside position n's row (Q<n> press there with Shift), r release. A plain
    // drag goes by character within the word pressed on and by whole words beyond it; the
    // selection bar selects whole lines, their breaks included.
    void mouseSelectsByUnits_data()
    {
        QTest::addColumn<QString>("gesture");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        // "one two three\nfour five six\nseven": "two" 4-7, "three" 8-13, second line 14-28
        const auto row = [](const char *name, const char *gesture, int anchor, int position) {
            QTest::newRow(name) << QString::fromLatin1(gesture) << anchor << position;
        };
        row("within a word by character", "p1 m2 r", 1, 2);
        row("within a word up to its end by character", "p5 m7 r", 5, 7);
        row("into the next word by whole words", "p1 m9 r", 0, 13);
        row("onto the space after a word", "p5 m8 r", 4, 8);
        row("back into the word by character again", "p1 m9 m2 r", 1, 2);
        row("leftwards by whole words", "p10 m5 r", 13, 4);
        row("leftwards within the word by character", "p10 m9 r", 10, 9);
        row("onto the next line by whole words", "p16 m30 r", 14, 33);
        row("Shift+press and drag by character", "p1 r S9 m10 r", 1, 10);
        row("double-click and drag by whole words", "d5 m9 r", 4, 13);
        row("double-click and drag leftwards", "d5 m1 r", 7, 0);
        row("selection bar: a line with its break", "P16 r", 14, 28);
        row("selection bar: the last line", "P30 r", 28, 33);
        row("selection bar: dragged down", "P2 M16 r", 0, 28);
        row("selection bar: dragged up", "P30 M5 r", 33, 0);
        row("selection bar: dragged out into the text", "P2 m16 r", 0, 28);
        row("selection bar: Shift+press extends to the line", "p5 r Q16 r", 5, 28);
        row("selection bar: Shift+press extends up to the line", "p20 r Q2 r", 20, 0);
    }

    void mouseSelectsByUnits()
    {
        QFETCH(QString, gesture);
        TextView view;
        show(view, u"one two three\nfour five six\nseven"_s);
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QWidget *port = view.viewport();
        QPoint last;
        for (const QString &token : gesture.split(u' ')) {
            const QChar op = token[0];
            const QRect caret = view.cursorRect(token.mid(1).toInt());
            const QPoint at = QStringLiteral("PMQ").contains(op) ? QPoint(2, caret.center().y()) : caret.center();
            const Qt::KeyboardModifiers keys = op == u'S' || op == u'Q' ? Qt::ShiftModifier : Qt::NoModifier;
            if (op == u'p' || op == u'S' || op == u'P' || op == u'Q')
                QTest::mousePress(port, Qt::LeftButton, keys, last = at);
            else if (op == u'd') {  // the second press of a double-click is held
                QTest::mouseClick(port, Qt::LeftButton, keys, last = at);
                QTest::mouseDClick(port, Qt::LeftButton, keys, at);
            }
            else if (op == u'm' || op == u'M')
                QTest::mouseMove(port, last = at);
            else if (op == u'r')
                QTest::mouseRelease(port, Qt::LeftButton, keys, last);
            else
                QFAIL(qPrintable(token));
        }
        QFETCH(int, anchor);
        QFETCH(int, position);
        QCOMPARE(std::pair(int(view.anchor()), int(view.position())), std::pair(anchor, position));
    }

    // Over the selection bar the pointer is the arrow pointing up and right; over the text, the
    // I-beam. With wrap on, the bar selects displayed rows, as the control counts lines then.
    void selectionBarPointerAndRows()
    {
        QString line;
        for (int i = 0; i < 40; ++i)
            line += u"word%1 "_s.arg(i);
        TextView view;
        show(view, line + u"\nend"_s);
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QWidget *port = view.viewport();
        const auto bar = [&view](qsizetype row) { return QPoint(2, view.cursorRect(view.rowStart(row)).center().y()); };
        QTest::mouseMove(port, bar(0));
        QCOMPARE(port->cursor().shape(), Qt::BitmapCursor);
        QVERIFY(port->cursor().hotSpot().x() > port->cursor().pixmap().width() / 2 && port->cursor().hotSpot().y() == 0);
        QTest::mouseMove(port, view.cursorRect(3).center());
        QCOMPARE(port->cursor().shape(), Qt::IBeamCursor);

        QVERIFY(view.displayRowCount() > 5 && view.rowStart(1) > 0);
        const auto selection = [&view] { return std::pair(view.selectionStart(), view.selectionEnd()); };
        QTest::mousePress(port, Qt::LeftButton, Qt::NoModifier, bar(1));
        QCOMPARE(selection(), std::pair(view.rowStart(1), view.rowStart(2)));
        QTest::mouseMove(port, bar(3));
        QCOMPARE(selection(), std::pair(view.rowStart(1), view.rowStart(4)));
        QTest::mouseRelease(port, Qt::LeftButton, Qt::NoModifier, bar(3));
    }

    void inputMethod()
    {
        TextView view;
        show(view, u"ab"_s, QSize(300, 100));
        view.setPosition(1);
        const QRect caret = view.inputMethodQuery(Qt::ImCursorRectangle).toRect();
        // Composing shows at the caret but changes nothing; the candidate window follows it.
        sendCommit(&view, QString(), u"にほん"_s);
        QCOMPARE(view.buffer()->text(), u"ab"_s);
        QVERIFY(!view.buffer()->isModified() && !view.buffer()->canUndo());
        QVERIFY(view.inputMethodQuery(Qt::ImCursorRectangle).toRect().left() > caret.left());
        QCOMPARE(view.inputMethodQuery(Qt::ImSurroundingText).toString(), u"ab"_s);
        QCOMPARE(view.inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);
        // Committing inserts; cancelling (an empty event) inserts nothing.
        sendCommit(&view, u"日本"_s);
        QCOMPARE(view.position(), 3);
        sendCommit(&view, QString(), u"ご"_s);
        sendCommit(&view, QString());
        QCOMPARE(view.buffer()->text(), u"a日本b"_s);
        view.setReadOnly(true);  // read-only takes no input
        sendCommit(&view, u"x"_s);
        QCOMPARE(view.buffer()->text(), u"a日本b"_s);
        QVERIFY(!view.inputMethodQuery(Qt::ImEnabled).toBool());
    }

    // "今日は" and "晴れです" composed after "ab", each clause painted as the input method asks:
    // read back from the view's image at each clause's place.
    void compositionClausesArePaintedInTheirFormats_data()
    {
        QTest::addColumn<int>("converting");
        QTest::addColumn<bool>("othersPlain");
        QTest::addColumn<QList<bool>>("highlighted");
        QTest::addColumn<QList<bool>>("underlined");
        QTest::newRow("the first clause converting") << 0 << false << QList{true, false} << QList{false, true};
        QTest::newRow("Right: the second clause converting") << 1 << false << QList{false, true} << QList{true, false};
        QTest::newRow("no formats: all underlined") << -2 << false << QList{false, false} << QList{true, true};
        QTest::newRow("empty formats: underlined all the same")
            << 1 << true << QList{false, true} << QList{true, false};
        QTest::newRow("typing, in an empty format") << -1 << true << QList{false, false} << QList{true, true};
    }

    void compositionClausesArePaintedInTheirFormats()
    {
        QFETCH(int, converting);
        QFETCH(bool, othersPlain);
        QFETCH(QList<bool>, highlighted);
        QFETCH(QList<bool>, underlined);
        TextView view;
        show(view, u"ab"_s, QSize(400, 100));
        view.setPosition(2);
        const QRect caret = view.cursorRect();
        compose(&view, u"今日は晴れです"_s, clauses({3, 4}, converting, 0, false, othersPlain));
        const QImage image = view.viewport()->grab().toImage();
        const QFontMetrics metrics(view.font());
        int left = caret.x();
        const QStringList clauses{u"今日は"_s, u"晴れです"_s};
        for (int i = 0; i < clauses.size(); ++i) {
            const int width = metrics.horizontalAdvance(clauses[i]);
            const QRect clause(left + 2, caret.top(), width - 4, caret.height());
            left += width;
            QCOMPARE(shareOf(image, clause, kConvertingBackground) > 0.5, highlighted[i]);
            QCOMPARE(shareOf(image, clause, kConvertingText) > 0, highlighted[i]);
            QCOMPARE(hasLineAcross(image, clause), underlined[i]);
        }
        QCOMPARE(view.buffer()->text(), u"ab"_s);
    }

    // The composition's caret as the input method places it (drawn unless hidden), and the
    // place the input method is told for its candidate list: the clause being converted, else
    // the caret. "今日は晴れです" in clauses of 3 and 4 after "a".
    void compositionCaretAndCandidatePlace_data()
    {
        QTest::addColumn<int>("converting");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("listAt");
        QTest::newRow("typing: the caret at the end") << -1 << 7 << true << 7;
        QTest::newRow("the caret inside") << -1 << 2 << true << 2;
        QTest::newRow("the caret hidden") << -1 << 2 << false << 2;
        QTest::newRow("converting the first clause") << 0 << 0 << false << 0;
        QTest::newRow("converting the second: the list follows it") << 1 << 7 << false << 3;
        QTest::newRow("converting, the caret shown elsewhere") << 1 << 7 << true << 3;
    }

    void compositionCaretAndCandidatePlace()
    {
        QFETCH(int, converting);
        QFETCH(int, cursor);
        QFETCH(bool, shown);
        QFETCH(int, listAt);
        TextView view;
        QVERIFY(showFocused(view, u"ab"_s, QSize(400, 100)));
        view.setPosition(1);
        const QRect before = view.cursorRect();
        const QString text = u"今日は晴れです"_s;
        compose(&view, text, clauses({3, 4}, converting, cursor, shown));
        const QFontMetrics metrics(view.font());
        const auto at = [&](int offset) { return before.translated(metrics.horizontalAdvance(text.left(offset)), 0); };
        QCOMPARE(fromViewport(view, view.inputMethodQuery(Qt::ImCursorRectangle).toRect()), at(listAt));
        QCOMPARE(hasCaretAt(view.viewport()->grab().toImage(), at(cursor)), shown);
    }

    // A composition longer than what is left of its row goes on in the next row, with its
    // caret and the candidate list's place, also from the view's last row, which scrolls.
    void compositionWrapsOntoTheNextRow()
    {
        TextView view;
        QVERIFY(showFocused(view, QString(60, u'あ'), QSize(300, 120)));
        const qsizetype perRow = view.rowStart(1);
        QVERIFY(perRow > 4);
        view.buffer()->load(QString(8, u'\n') + QString(perRow - 2, u'あ'), {});
        view.setPosition(view.buffer()->length());
        view.ensureCaretVisible();
        const QRect lineStart = view.cursorRect(8);
        const int height = view.viewport()->height();
        QVERIFY(lineStart.bottom() < height && lineStart.bottom() + lineStart.height() >= height);  // the last row
        compose(&view, u"かきくけこさ"_s, clauses({6}, -1, 6, true));
        const QRect caret = fromViewport(view, view.inputMethodQuery(Qt::ImCursorRectangle).toRect());
        QVERIFY2(caret.bottom() < height, qPrintable(u"%1"_s.arg(caret.bottom())));
        const QRect upper = view.cursorRect(8);  // the line's start, scrolled up a row
        QCOMPARE(upper.y(), lineStart.y() - lineStart.height());
        const int secondRow = QFontMetrics(view.font()).horizontalAdvance(u"くけこさ"_s);
        QCOMPARE(caret.topLeft(), upper.topLeft() + QPoint(secondRow, upper.height()));
        const QImage image = view.viewport()->grab().toImage();
        QVERIFY(hasCaretAt(image, caret));
        QVERIFY(hasLineAcross(image, QRect(upper.x() + 2, caret.y(), caret.x() - upper.x() - 4, caret.height())));
        QCOMPARE(view.buffer()->length(), 8 + perRow - 2);
    }

    // An update of the composition repaints its line, and the rows below it once it takes
    // another number of rows (they move down), but not the rows above.
    void compositionRepaintsItsLine()
    {
        struct PaintLog : QObject {
            QRegion painted;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent *>(event)->region();
                return false;
            }
        } log;
        TextView view;
        QVERIFY(showFocused(view, u"first\nsecond\nthird\nfourth"_s, QSize(300, 200)));
        view.setPosition(view.buffer()->lineStart(1));
        view.viewport()->installEventFilter(&log);
        const QRect above = view.cursorRect(0), line = view.cursorRect(7), below = view.cursorRect(14);
        const auto composeAndPaint = [&](const QString &text) {
            QApplication::processEvents();
            log.painted = {};
            compose(&view, text, clauses({int(text.size())}, -1));
            return QTest::qWaitFor([&] { return !log.painted.isEmpty(); });
        };
        QVERIFY(composeAndPaint(u"にほん"_s));
        QVERIFY(log.painted.contains(line) && !log.painted.intersects(above) && !log.painted.intersects(below));
        QVERIFY(composeAndPaint(QString(40, u'あ')));  // now two rows
        QVERIFY(log.painted.contains(line) && log.painted.contains(below) && !log.painted.intersects(above));
    }

    // What the input method asks of the text around the caret, with "今日は" (4-7) selected.
    void inputMethodQueries_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<Qt::InputMethodQuery>("query");
        QTest::addColumn<QVariant>("answer");
        const QString lines = u"一行目\n今日は晴れです\n三行目"_s;
        const QString longLine = QString(5000, u'a') + u"今日は"_s;
        const auto row = [](const char *name, const QString &text, int anchor, int position,
                            Qt::InputMethodQuery query, const QVariant &answer) {
            QTest::newRow(name) << text << anchor << position << query << answer;
        };
        row("the caret's line", lines, 4, 7, Qt::ImSurroundingText, u"今日は晴れです"_s);
        row("the caret in it", lines, 4, 7, Qt::ImCursorPosition, 3);
        row("the anchor in it", lines, 4, 7, Qt::ImAnchorPosition, 0);
        row("the selection", lines, 4, 7, Qt::ImCurrentSelection, u"今日は"_s);
        row("an anchor on another line stops at the line", lines, 1, 7, Qt::ImAnchorPosition, 0);
        row("no text limit: nothing, as Qt's own editors answer", lines, 4, 7, Qt::ImMaximumTextLength, QVariant());
        row("multi-line", lines, 4, 7, Qt::ImHints, int(Qt::ImhMultiLine));
        row("enabled", lines, 4, 7, Qt::ImEnabled, true);
        row("a very long line: the stretch around the caret", longLine, 5001, 5001, Qt::ImSurroundingText,
            longLine.mid(5001 - 1024));
        row("a very long line: the caret in that stretch", longLine, 5001, 5001, Qt::ImCursorPosition, 1024);
    }

    void inputMethodQueries()
    {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(Qt::InputMethodQuery, query);
        QFETCH(QVariant, answer);
        RichEdit view;
        show(view, text);
        view.setSelection(anchor, position);
        QCOMPARE(view.inputMethodQuery(query), answer);
    }

    // Reconverting "今日は" in "今日は晴れです": the input method reads the selection, then
    // composes in its place (some methods replace the text before the caret instead); the
    // commit goes in where it was, and undo brings the old text back.
    void reconversion_data()
    {
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("replaceFrom");
        QTest::addColumn<int>("replaceLength");
        QTest::newRow("the selection gives way to the composition") << 0 << 3 << 0 << 0;
        QTest::newRow("a selection made leftwards") << 3 << 0 << 0 << 0;
        QTest::newRow("a replacement before the caret") << 3 << 3 << -3 << 3;
    }

    void reconversion()
    {
        QFETCH(int, anchor);
        QFETCH(int, position);
        QFETCH(int, replaceFrom);
        QFETCH(int, replaceLength);
        TextView view;
        show(view, u"今日は晴れです"_s);
        view.setSelection(anchor, position);
        const QString selected = anchor == position ? QString() : u"今日は"_s;
        QCOMPARE(view.inputMethodQuery(Qt::ImCurrentSelection).toString(), selected);
        QInputMethodEvent reconvert(u"きょうは"_s, clauses({4}, 0));
        reconvert.setCommitString(QString(), replaceFrom, replaceLength);
        QApplication::sendEvent(&view, &reconvert);
        QCOMPARE(view.buffer()->text(), u"晴れです"_s);
        QCOMPARE(view.inputMethodQuery(Qt::ImCursorPosition).toInt(), 0);
        sendCommit(&view, u"京は"_s);
        QCOMPARE(view.buffer()->text(), u"京は晴れです"_s);
        QCOMPARE(view.position(), 2);
        view.undo();  // the commit, then the text that gave way to the composition
        QCOMPARE(view.buffer()->text(), u"晴れです"_s);
        view.undo();
        QCOMPARE(view.buffer()->text(), u"今日は晴れです"_s);
    }

    // A Selection attribute selects in the caret's line, counted as ImSurroundingText is.
    void inputMethodSelects_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("position");
        QTest::newRow("rightwards") << 3 << 2 << 7 << 9;
        QTest::newRow("leftwards") << 5 << -2 << 9 << 7;
        QTest::newRow("the caret alone") << 1 << 0 << 5 << 5;
    }

    void inputMethodSelects()
    {
        QFETCH(int, start);
        QFETCH(int, length);
        TextView view;
        show(view, u"一行目\n今日は晴れです"_s);
        view.setPosition(6);
        compose(&view, QString(), {{QInputMethodEvent::Selection, start, length, QVariant()}});
        QFETCH(int, anchor);
        QFETCH(int, position);
        QCOMPARE(std::pair(int(view.anchor()), int(view.position())), std::pair(anchor, position));
    }

    // A caret key or a click while "にほん" is composed after "abc": the composition goes into
    // the text where it stands, then the key or the click acts on that text; the input
    // method's own commit of it, coming later, is not taken twice.
    void caretKeyOrClickCommitsTheComposition_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("caret");
        QTest::newRow("Right") << int(Qt::Key_Right) << 7;
        QTest::newRow("Left") << int(Qt::Key_Left) << 5;
        QTest::newRow("Home") << int(Qt::Key_Home) << 0;
        QTest::newRow("End") << int(Qt::Key_End) << 14;
        QTest::newRow("a click between d and e, as shown") << 0 << 8;
    }

    void caretKeyOrClickCommitsTheComposition()
    {
        QFETCH(int, key);
        QFETCH(int, caret);
        TextView view;
        QVERIFY(showFocused(view, u"abc def ghi"_s));
        view.setPosition(3);
        compose(&view, u"にほん"_s, clauses({3}, -1, 3));
        const QRect after = fromViewport(view, view.inputMethodQuery(Qt::ImCursorRectangle).toRect());
        if (key)
            QTest::keyClick(&view, Qt::Key(key));
        else
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                              after.center() + QPoint(QFontMetrics(view.font()).horizontalAdvance(u" d"_s), 0));
        QCOMPARE(view.buffer()->text(), u"abcにほん def ghi"_s);
        QCOMPARE(view.position(), caret);
        // An input method that commits later, as fcitx5 does, commits nothing more.
        sendCommit(&view, u"にほん"_s);
        QCOMPARE(view.buffer()->text(), u"abcにほん def ghi"_s);
        QCOMPARE(view.position(), caret);
        view.undo();  // the commit is an edit of its own
        QCOMPARE(view.buffer()->text(), u"abc def ghi"_s);
    }

    void screenReaderSeesTextCaretAndSelection()
    {
        TextView view;
        show(view, u"日本語\nabc"_s, QSize(300, 100));
        view.setSelection(1, 5);
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&view);
        QVERIFY(face && face->textInterface() && face->state().multiLine && face->state().editable);
        QAccessibleTextInterface *text = face->textInterface();
        QCOMPARE(text->characterCount(), 7);
        QCOMPARE(text->text(0, 3), u"日本語"_s);
        QCOMPARE(text->cursorPosition(), 5);
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(std::pair(start, end), std::pair(1, 5));
        text->setCursorPosition(2);
        QCOMPARE(view.position(), 2);
    }
};

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
