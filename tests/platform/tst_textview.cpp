// The view a user edits: several views of one text, the keys that move the caret, the mouse,
// input methods and what a screen reader is told.
#include "platform/engine/textbuffer.h"
#include "platform/engine/textview.h"
#include "platform/engine/textviewaccessible.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QInputMethodEvent>
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

} // namespace

class TestTextView : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TextViewAccessible::install(); }

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
