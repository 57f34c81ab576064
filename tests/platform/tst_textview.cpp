// The view a user edits: several views of one text, the keys that move the caret, the mouse,
// input methods and what a screen reader is told.
#include "platform/textbuffer.h"
#include "platform/textview.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QInputMethodEvent>
#include <QtTest>

namespace {

void sendCommit(QWidget *w, const QString &commit, const QString &preedit = QString())
{
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(w, &event);
}

// A view of the given size showing text (or a shared buffer) in a known font.
void show(TextView &view, const QString &text, QSize size, TextBuffer *shared = nullptr)
{
    view.setFont(QFont(QStringLiteral("IPAGothic"), 12));
    if (shared)
        view.setBuffer(shared);
    else
        view.buffer()->load(text, {});
    view.resize(size);
    view.show();
}

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
    TextView wide, narrow;
    show(wide, {}, QSize(600, 200), &text);
    show(narrow, {}, QSize(200, 200), &text);
    QVERIFY(QTest::qWaitForWindowExposed(&narrow));
    const qsizetype wideRows = wide.displayRowCount();
    const qsizetype narrowRows = narrow.displayRowCount();
    QVERIFY2(narrowRows > wideRows && wideRows > 2, qPrintable(QStringLiteral("%1 %2").arg(wideRows).arg(narrowRows)));
    // Typing in one shows in the other; the other's caret moves along with the text before it.
    narrow.setPosition(text.length());
    wide.setPosition(0);
    QTest::keyClicks(&wide, QStringLiteral("xy"));
    QCOMPARE(narrow.buffer()->lineText(0).left(3), QStringLiteral("xyあ"));
    QCOMPARE(narrow.position(), text.length());
    // Undo is the text's: the other view takes it back too.
    narrow.undo();
    QCOMPARE(text.lineText(0), QString(200, u'あ'));
    // Each view keeps its own wrap setting.
    wide.setWordWrap(false);
    QCOMPARE(wide.displayRowCount(), 2);
    QCOMPARE(narrow.displayRowCount(), narrowRows);
}

// A key from a caret position: where the caret and the anchor go, and the text afterwards
// (null: unchanged). An anchor of -1 means no selection.
void TestTextView::caretKeys_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("anchor");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("after");
    const auto row = [](const char *name, const QString &text, int from, Qt::Key key, int modifiers, int anchor,
                        int to, const QString &after = QString()) {
        QTest::newRow(name) << text << from << int(key) << modifiers << anchor << to << after;
    };
    const int ctrl = Qt::ControlModifier;
    const QString emoji = QStringLiteral("a\U0001F600b");
    row("right over a surrogate pair", emoji, 1, Qt::Key_Right, 0, -1, 3);
    row("left over a surrogate pair", emoji, 3, Qt::Key_Left, 0, -1, 1);
    row("shift+right selects", emoji, 0, Qt::Key_Right, Qt::ShiftModifier, 0, 1);
    row("backspace a surrogate pair", emoji, 3, Qt::Key_Backspace, 0, -1, 1, QStringLiteral("ab"));
    const QString japanese = QStringLiteral("日本語のテキスト ok");
    row("ctrl+right: kanji run", japanese, 0, Qt::Key_Right, ctrl, -1, 3);
    row("ctrl+right: hiragana run", japanese, 3, Qt::Key_Right, ctrl, -1, 4);
    row("ctrl+right: katakana run and space", japanese, 4, Qt::Key_Right, ctrl, -1, 9);
    row("ctrl+left: back to the run's start", japanese, 7, Qt::Key_Left, ctrl, -1, 4);
    row("ctrl+end", japanese, 0, Qt::Key_End, ctrl, -1, 11);
    row("ctrl+shift+home", japanese, 5, Qt::Key_Home, ctrl | Qt::ShiftModifier, 5, 0);
    row("down keeps the column", QStringLiteral("abcd\nab\nabcd"), 3, Qt::Key_Down, 0, -1, 7);
    row("end of a line", QStringLiteral("abcd\nab"), 1, Qt::Key_End, 0, -1, 4);
    row("home of a line", QStringLiteral("abcd\nab"), 6, Qt::Key_Home, 0, -1, 5);
}

void TestTextView::caretKeys()
{
    QFETCH(QString, text);
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, anchor);
    QFETCH(int, to);
    QFETCH(QString, after);
    TextView view;
    show(view, text, QSize(400, 200));
    view.setPosition(from);
    QTest::keyClick(&view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(view.position(), qsizetype(to));
    QCOMPARE(view.anchor(), qsizetype(anchor < 0 ? to : anchor));
    QCOMPARE(view.buffer()->text(), after.isNull() ? text : after);
}

void TestTextView::mouseSelects()
{
    TextView view;
    show(view, QStringLiteral("日本語のテキスト abc\nsecond line"), QSize(400, 200));
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QWidget *port = view.viewport();
    const auto at = [&view](qsizetype pos) { return view.cursorRect(pos).center(); };
    QTest::mouseClick(port, Qt::LeftButton, Qt::NoModifier, at(2) + QPoint(1, 0));
    QCOMPARE(view.position(), 2);
    QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, at(15));
    QCOMPARE(view.anchor(), 2);
    QCOMPARE(view.position(), 15);
    // A drag from one point to another selects between them.
    QTest::mousePress(port, Qt::LeftButton, Qt::NoModifier, at(0));
    QMouseEvent move(QEvent::MouseMove, at(20), port->mapToGlobal(at(20)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::LeftButton, Qt::NoModifier, at(20));
    QCOMPARE(view.selectionStart(), 0);
    QCOMPARE(view.selectionEnd(), 20);
    // A double-click selects a run of one script.
    QTest::mouseDClick(port, Qt::LeftButton, Qt::NoModifier, at(5) + QPoint(1, 0));
    QCOMPARE(view.selectedText(), QStringLiteral("テキスト"));
}

void TestTextView::inputMethod()
{
    TextView view;
    show(view, QStringLiteral("ab"), QSize(300, 100));
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
    TextView view;
    show(view, QStringLiteral("日本語\nabc"), QSize(300, 100));
    view.setSelection(1, 5);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(&view);
    QVERIFY(face && face->textInterface());
    QAccessibleTextInterface *text = face->textInterface();
    QCOMPARE(text->characterCount(), 7);
    QCOMPARE(text->text(0, 3), QStringLiteral("日本語"));
    QCOMPARE(text->cursorPosition(), 5);
    int start = -1, end = -1;
    text->selection(0, &start, &end);
    QCOMPARE(start, 1);
    QCOMPARE(end, 5);
    text->setCursorPosition(2);
    QCOMPARE(view.position(), 2);
    QVERIFY(face->state().multiLine && face->state().editable);
}

QTEST_MAIN(TestTextView)
#include "tst_textview.moc"
