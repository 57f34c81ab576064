// The view a user edits: several views of one text, the keys that move the caret, the mouse,
// input methods and what a screen reader is told.
#include "platform/textbuffer.h"
#include "platform/textview.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QInputMethodEvent>
#include <QScrollBar>
#include <QtTest>

namespace {

void sendCommit(QWidget *w, const QString &commit, const QString &preedit = QString())
{
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(w, &event);
}

// A shown view of the given size with text in a known font.
struct Shown {
    explicit Shown(const QString &text, QSize size = QSize(300, 200), TextBuffer *shared = nullptr)
    {
        view.setFont(QFont(QStringLiteral("IPAGothic"), 12));
        if (shared)
            view.setBuffer(shared);
        else
            view.buffer()->load(text, {});
        view.resize(size);
        view.show();
    }
    TextView view;
};

} // namespace

class TestTextView : public QObject {
    Q_OBJECT
private slots:
    void viewsOfOneTextWrapAtTheirOwnWidths();
    void caretKeys_data();
    void caretKeys();
    void mouseSelects();
    void inputMethod();
    void screenReaderSeesTextCaretAndSelection();
};

void TestTextView::viewsOfOneTextWrapAtTheirOwnWidths()
{
    TextBuffer text;
    text.load(QString(200, u'あ') + QStringLiteral("\r\nshort"), {});
    Shown wide(QString(), QSize(600, 200), &text);
    Shown narrow(QString(), QSize(200, 200), &text);
    QVERIFY(QTest::qWaitForWindowExposed(&narrow.view));
    const qsizetype wideRows = wide.view.displayRowCount();
    const qsizetype narrowRows = narrow.view.displayRowCount();
    QVERIFY2(narrowRows > wideRows && wideRows > 2, qPrintable(QStringLiteral("%1 %2").arg(wideRows).arg(narrowRows)));
    // Typing in one shows in the other; the other's caret moves along with the text before it.
    narrow.view.setPosition(text.length());
    wide.view.setPosition(0);
    QTest::keyClicks(&wide.view, QStringLiteral("xy"));
    QCOMPARE(narrow.view.buffer()->lineText(0).left(3), QStringLiteral("xyあ"));
    QCOMPARE(narrow.view.position(), text.length());
    // Undo is the text's: the other view takes it back too.
    narrow.view.undo();
    QCOMPARE(text.lineText(0), QString(200, u'あ'));
    // Each view keeps its own wrap setting.
    wide.view.setWordWrap(false);
    QCOMPARE(wide.view.displayRowCount(), 2);
    QCOMPARE(narrow.view.displayRowCount(), narrowRows);
}

// Keys from a caret position to where the caret goes; an anchor of -1 means no selection.
void TestTextView::caretKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("to");
    const int none = Qt::NoModifier;
    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    const QString emoji = QStringLiteral("a\U0001F600b");
    QTest::newRow("right over a surrogate pair") << emoji << 1 << int(Qt::Key_Right) << none << -1 << 3;
    QTest::newRow("left over a surrogate pair") << emoji << 3 << int(Qt::Key_Left) << none << -1 << 1;
    QTest::newRow("shift+right selects") << emoji << 0 << int(Qt::Key_Right) << shift << 0 << 1;
    const QString japanese = QStringLiteral("日本語のテキスト ok");
    QTest::newRow("ctrl+right: kanji run") << japanese << 0 << int(Qt::Key_Right) << ctrl << -1 << 3;
    QTest::newRow("ctrl+right: hiragana run") << japanese << 3 << int(Qt::Key_Right) << ctrl << -1 << 4;
    QTest::newRow("ctrl+right: katakana run and space") << japanese << 4 << int(Qt::Key_Right) << ctrl << -1 << 9;
    QTest::newRow("ctrl+left: back to the run's start") << japanese << 7 << int(Qt::Key_Left) << ctrl << -1 << 4;
    QTest::newRow("ctrl+end") << japanese << 0 << int(Qt::Key_End) << ctrl << -1 << 11;
    QTest::newRow("ctrl+shift+home") << japanese << 5 << int(Qt::Key_Home) << (ctrl | shift) << 5 << 0;
    QTest::newRow("down keeps the column") << QStringLiteral("abcd\nab\nabcd") << 3 << int(Qt::Key_Down) << none
                                          << -1 << 7;
    QTest::newRow("end of a line") << QStringLiteral("abcd\nab") << 1 << int(Qt::Key_End) << none << -1 << 4;
    QTest::newRow("home of a line") << QStringLiteral("abcd\nab") << 6 << int(Qt::Key_Home) << none << -1 << 5;
    QTest::newRow("backspace a surrogate pair") << emoji << 3 << int(Qt::Key_Backspace) << none << -1 << 1;
}

void TestTextView::caretKeys()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, anchor);
    QFETCH(int, to);
    Shown shown(text, QSize(400, 200));
    shown.view.setPosition(from);
    QTest::keyClick(&shown.view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(shown.view.position(), qsizetype(to));
    QCOMPARE(shown.view.anchor(), qsizetype(anchor < 0 ? to : anchor));
    if (key == Qt::Key_Backspace)
        QCOMPARE(shown.view.buffer()->text(), QStringLiteral("ab"));
}

void TestTextView::mouseSelects()
{
    Shown shown(QStringLiteral("日本語のテキスト abc\nsecond line"), QSize(400, 200));
    QVERIFY(QTest::qWaitForWindowExposed(&shown.view));
    TextView &view = shown.view;
    QWidget *port = view.viewport();
    const QPoint third = view.cursorRect(2).center() + QPoint(1, 0);
    QTest::mouseClick(port, Qt::LeftButton, Qt::NoModifier, third);
    QCOMPARE(view.position(), 2);
    QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, view.cursorRect(15).center());
    QCOMPARE(view.anchor(), 2);
    QCOMPARE(view.position(), 15);
    // A drag from one point to another selects between them.
    QTest::mousePress(port, Qt::LeftButton, Qt::NoModifier, view.cursorRect(0).center());
    QTest::mouseMove(port, view.cursorRect(20).center());
    QMouseEvent move(QEvent::MouseMove, view.cursorRect(20).center(), port->mapToGlobal(view.cursorRect(20).center()),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::LeftButton, Qt::NoModifier, view.cursorRect(20).center());
    QCOMPARE(view.selectionStart(), 0);
    QCOMPARE(view.selectionEnd(), 20);
    // A double-click selects a run of one script.
    QTest::mouseDClick(port, Qt::LeftButton, Qt::NoModifier, view.cursorRect(5).center() + QPoint(1, 0));
    QCOMPARE(view.selectedText(), QStringLiteral("テキスト"));
}

void TestTextView::inputMethod()
{
    Shown shown(QStringLiteral("ab"), QSize(300, 100));
    TextView &view = shown.view;
    view.setPosition(1);
    const QRect caret = view.inputMethodQuery(Qt::ImCursorRectangle).toRect();
    // Composing shows at the caret but changes nothing; the candidate window follows it.
    sendCommit(&view, QString(), QStringLiteral("にほん"));
    QCOMPARE(view.buffer()->text(), QStringLiteral("ab"));
    QVERIFY(view.inputMethodQuery(Qt::ImCursorRectangle).toRect().left() > caret.left());
    QCOMPARE(view.inputMethodQuery(Qt::ImSurroundingText).toString(), QStringLiteral("ab"));
    QCOMPARE(view.inputMethodQuery(Qt::ImCursorPosition).toInt(), 1);
    // Committing inserts; cancelling (an empty event) inserts nothing.
    sendCommit(&view, QStringLiteral("日本"));
    QCOMPARE(view.buffer()->text(), QStringLiteral("a日本b"));
    QCOMPARE(view.position(), 3);
    sendCommit(&view, QString(), QStringLiteral("ご"));
    sendCommit(&view, QString());
    QCOMPARE(view.buffer()->text(), QStringLiteral("a日本b"));
    // A commit replaces the selection.
    view.setSelection(1, 3);
    sendCommit(&view, QStringLiteral("語"));
    QCOMPARE(view.buffer()->text(), QStringLiteral("a語b"));
    // Read-only takes no input.
    view.setReadOnly(true);
    sendCommit(&view, QStringLiteral("x"));
    QCOMPARE(view.buffer()->text(), QStringLiteral("a語b"));
    QCOMPARE(view.inputMethodQuery(Qt::ImEnabled).toBool(), false);
}

void TestTextView::screenReaderSeesTextCaretAndSelection()
{
    Shown shown(QStringLiteral("日本語\nabc"), QSize(300, 100));
    shown.view.setSelection(1, 5);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&shown.view);
    QVERIFY(face);
    QAccessibleTextInterface *text = face->textInterface();
    QVERIFY(text);
    QCOMPARE(text->characterCount(), 7);
    QCOMPARE(text->text(0, 3), QStringLiteral("日本語"));
    QCOMPARE(text->cursorPosition(), 5);
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(start, 1);
    QCOMPARE(end, 5);
    text->setCursorPosition(2);
    QCOMPARE(shown.view.position(), 2);
    QVERIFY(face->state().multiLine && face->state().editable);
}

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
