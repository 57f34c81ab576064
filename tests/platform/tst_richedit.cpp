// The editing control: lossless file round trips, line breaks and byte forms under edits,
// the text limit, line and selection operations with wrap on and off, the whole-text format.
#include "platform/richedit.h"

#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

template <size_t N>
QByteArray raw(const char (&s)[N])
{
    return QByteArray(s, qsizetype(N - 1));
}

// Exposes the clipboard entry points that paste and drops go through.
class TestEdit : public RichEdit {
public:
    using RichEdit::createMimeDataFromSelection;
    using RichEdit::insertFromMimeData;
};

void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

void pressKey(QWidget *w, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(w, key, modifiers);
}

void commit(QWidget *w, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(w, &event);
}

void paste(TestEdit &edit, const QString &text)
{
    QMimeData data;
    data.setText(text);
    edit.insertFromMimeData(&data);
}

void placeCaret(RichEdit &edit, qsizetype pos)
{
    edit.SetSel(pos, pos);
}

} // namespace

class TestRichEdit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void roundTrip_data();
    void roundTrip();
    void streamInReplacesTextAndHistory();

    void typedLineBreakKind_data();
    void typedLineBreakKind();
    void deletedLineBreakKeepsOthers_data();
    void deletedLineBreakKeepsOthers();
    void pastedLineBreaksTakeFileKind();
    void shiftEnterBreaksLine();

    void typedCharacterNextToVariant_data();
    void typedCharacterNextToVariant();
    void variantSurvivesDeleteAndUndo();
    void refusedTypingChangesNothing();
    void unencodableCharactersReported();

    void limitRefusesGrowth();
    void limitRefusesStreamIn();

    void selectionAsCharacterRange();
    void linesWithoutWrap();
    void linesWithWrap();
    void replaceSelWithAndWithoutUndo();
    void selectedTextAndClipboard();
    void positionOfCharacter();

    void wholeTextFormat();
    void wholeTextFont_data();
    void wholeTextFont();
    void wholeTextFormatKeepsSelectionAndVariants();
    void backgroundColor();
    void escapesPaintedAsHex();

private:
    QTemporaryDir m_config;
};

void TestRichEdit::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

// --- files ---------------------------------------------------------------------------

void TestRichEdit::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("length");  // characters, a CR LF counting one; -1: not checked

    QTest::newRow("empty") << QByteArray() << qsizetype(0);
    QTest::newRow("no final line break") << raw("abc\r\ndef") << qsizetype(7);
    QTest::newRow("final CR LF") << raw("abc\r\ndef\r\n") << qsizetype(8);
    QTest::newRow("only CR LF") << raw("\r\n\r\n") << qsizetype(2);
    QTest::newRow("lone CR") << raw("a\rb\r") << qsizetype(4);
    QTest::newRow("lone LF") << raw("a\nb\n\n") << qsizetype(5);
    QTest::newRow("mixed") << raw("a\r\nb\nc\rd\n\r\r\n\r") << qsizetype(11);
    QTest::newRow("CR before CR LF") << raw("a\r\r\nb") << qsizetype(4);
    QTest::newRow("NUL bytes") << raw("\0a\0\r\n\0") << qsizetype(5);
    QTest::newRow("lead byte at end") << raw("abc\x82") << qsizetype(4);
    QTest::newRow("lead before CR LF") << raw("\x82\r\n\x82\n") << qsizetype(4);
    QTest::newRow("lead before non-trail") << raw("\x81\x20\x81\x7F\x81\xFD") << qsizetype(6);
    QTest::newRow("single bytes of the private-use area") << raw("\x80\xA0\xFD\xFE\xFF") << qsizetype(5);
    QTest::newRow("unassigned pair") << raw("\x85\x40\xEB\x40") << qsizetype(4);
    QTest::newRow("duplicate 8790") << raw("\x87\x90\x81\xE0\x87\x90") << qsizetype(3);
    QTest::newRow("duplicate ED40") << raw("\xED\x40\xFA\x5C\xED\x40") << qsizetype(3);
    QTest::newRow("duplicate EEEF") << raw("\xEE\xEF\xFA\x40\xEE\xEF\xEE\xEF") << qsizetype(4);
    QTest::newRow("duplicate FA4A") << raw("x\xFA\x4A\r\n\x87\x54\xFA\x4A") << qsizetype(5);
    QTest::newRow("duplicates across lines")
        << raw("\xED\x40\n\xEE\xEF\r\xFA\x4A\x87\x90\r\n\x87\x91") << qsizetype(8);
    QTest::newRow("UTF-8 BOM") << raw("\xEF\xBB\xBFtext") << qsizetype(-1);
    QTest::newRow("UTF-16 BOM") << raw("\xFF\xFEt\0") << qsizetype(4);
    QTest::newRow("RTF header") << raw("{\\rtf1\\ansi\\ansicpg932 \\f0 \x93\xfa\x96\x7b}\r\n") << qsizetype(-1);
    QTest::newRow("Japanese text") << raw("\x82\xa0\x82\xa2\x83\x41\xb1\r\n\x8a\xbf\x8e\x9a") << qsizetype(7);
}

void TestRichEdit::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, length);
    RichEdit edit;
    QVERIFY(edit.StreamIn(bytes));
    if (length >= 0)
        QCOMPARE(edit.GetTextLength(), length);
    QVERIFY(!edit.GetModify());
    QVERIFY(!edit.buffer()->canUndo());
    QList<qsizetype> unencodable;
    QCOMPARE(edit.StreamOut(&unencodable), bytes);
    QVERIFY(unencodable.isEmpty());
}

void TestRichEdit::streamInReplacesTextAndHistory()
{
    RichEdit edit;
    typeText(&edit, QStringLiteral("abc"));
    QVERIFY(edit.GetModify());
    QVERIFY(edit.buffer()->canUndo());
    QVERIFY(edit.StreamIn(raw("x\r\ny")));
    QCOMPARE(edit.toPlainText(), QStringLiteral("x\ny"));
    QVERIFY(!edit.GetModify());
    QVERIFY(!edit.buffer()->canUndo());
    qsizetype start = -1, end = -1;
    edit.GetSel(start, end);
    QCOMPARE(start, 0);
    QCOMPARE(end, 0);
    QVERIFY(edit.StreamIn(QByteArray()));
    QCOMPARE(edit.GetTextLength(), 0);
    QCOMPARE(edit.StreamOut(), QByteArray());
}

// --- line breaks under edits ---------------------------------------------------------

// A typed break takes the kind of the nearest file break before it, or with none before, of
// the first one after it; CR LF when the text has none.
void TestRichEdit::typedLineBreakKind_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("caret");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty text") << QByteArray() << qsizetype(0) << raw("\r\n");
    QTest::newRow("LF file, end") << raw("a\nb\n") << qsizetype(4) << raw("a\nb\n\n");
    QTest::newRow("LF file, inside a line") << raw("a\nbc\n") << qsizetype(3) << raw("a\nb\nc\n");
    QTest::newRow("LF file, empty line") << raw("a\n\nb") << qsizetype(2) << raw("a\n\n\nb");
    QTest::newRow("LF file, first line") << raw("ab\ncd") << qsizetype(1) << raw("a\nb\ncd");
    QTest::newRow("CR file, first line") << raw("ab\rcd") << qsizetype(0) << raw("\rab\rcd");
    QTest::newRow("CR LF file, first line") << raw("ab\r\ncd") << qsizetype(1) << raw("a\r\nb\r\ncd");
    QTest::newRow("CR file") << raw("a\rb") << qsizetype(3) << raw("a\rb\r");
    QTest::newRow("mixed, after LF") << raw("a\r\nb\nc\r\nd") << qsizetype(5) << raw("a\r\nb\nc\n\r\nd");
    QTest::newRow("mixed, after CR LF") << raw("a\nb\r\nc\nd") << qsizetype(5) << raw("a\nb\r\nc\r\n\nd");
    QTest::newRow("mixed, first line") << raw("ab\nc\r\nd") << qsizetype(1) << raw("a\nb\nc\r\nd");
    QTest::newRow("no break yet") << raw("abc") << qsizetype(3) << raw("abc\r\n");
}

void TestRichEdit::typedLineBreakKind()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, caret);
    QFETCH(QByteArray, expected);
    RichEdit edit;
    QVERIFY(edit.StreamIn(bytes));
    placeCaret(edit, caret);
    pressKey(&edit, Qt::Key_Return);
    QCOMPARE(edit.StreamOut(), expected);
    pressKey(&edit, Qt::Key_Return);
    for (int i = 0; i < 10 && edit.buffer()->canUndo(); ++i)
        edit.undo();
    QCOMPARE(edit.StreamOut(), bytes);
}

void TestRichEdit::deletedLineBreakKeepsOthers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("caret");
    QTest::addColumn<int>("key");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray mixed = raw("aa\r\nbb\ncc\rdd");
    QTest::newRow("join two lines with Delete") << mixed << qsizetype(5) << int(Qt::Key_Delete) << raw("aa\r\nbbcc\rdd");
    QTest::newRow("join two lines with Backspace") << mixed << qsizetype(6) << int(Qt::Key_Backspace)
                                                   << raw("aa\r\nbbcc\rdd");
    QTest::newRow("join the first line") << mixed << qsizetype(2) << int(Qt::Key_Delete) << raw("aabb\ncc\rdd");
    const QByteArray emptyLine = raw("aa\r\n\ncc\rdd");
    QTest::newRow("empty line, break after it") << emptyLine << qsizetype(3) << int(Qt::Key_Delete)
                                                << raw("aa\r\ncc\rdd");
    QTest::newRow("empty line, break before it") << emptyLine << qsizetype(3) << int(Qt::Key_Backspace)
                                                 << raw("aa\ncc\rdd");
}

void TestRichEdit::deletedLineBreakKeepsOthers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, caret);
    QFETCH(int, key);
    QFETCH(QByteArray, expected);
    RichEdit edit;
    QVERIFY(edit.StreamIn(bytes));
    placeCaret(edit, caret);
    pressKey(&edit, Qt::Key(key));
    QCOMPARE(edit.StreamOut(), expected);
    edit.undo();
    QCOMPARE(edit.StreamOut(), bytes);
    edit.redo();
    QCOMPARE(edit.StreamOut(), expected);
}

void TestRichEdit::pastedLineBreaksTakeFileKind()
{
    TestEdit edit;
    QVERIFY(edit.StreamIn(raw("a\nb")));
    placeCaret(edit, 3);
    paste(edit, QStringLiteral("x\r\ny\rz\n"));
    QCOMPARE(edit.StreamOut(), raw("a\nbx\ny\nz\n"));
    edit.SetSel(0, 0);
    edit.ReplaceSel(QStringLiteral("1\n2"));
    QCOMPARE(edit.StreamOut(), raw("1\n2a\nbx\ny\nz\n"));
}

void TestRichEdit::shiftEnterBreaksLine()
{
    RichEdit edit;
    QVERIFY(edit.StreamIn(raw("ab")));
    placeCaret(edit, 1);
    pressKey(&edit, Qt::Key_Return, Qt::ShiftModifier);
    QCOMPARE(edit.buffer()->lineCount(), 2);
    QCOMPARE(edit.StreamOut(), raw("a\r\nb"));
}

// --- byte forms ------------------------------------------------------------------------

void TestRichEdit::typedCharacterNextToVariant_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("selStart");
    QTest::addColumn<qsizetype>("selEnd");
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("expected");

    // U+2170 was read from EEEF; Windows writes it as FA40
    const QByteArray file = raw("x\xEE\xEFy");
    const QString key = QStringLiteral("key");
    const QString ime = QStringLiteral("input method");
    const QString pasted = QStringLiteral("paste");
    const QString replaced = QStringLiteral("replace");
    QTest::newRow("typed after") << file << qsizetype(2) << qsizetype(2) << key << raw("x\xEE\xEF\xFA\x40y");
    QTest::newRow("typed before at line start") << raw("\xEE\xEF") << qsizetype(0) << qsizetype(0) << key
                                                << raw("\xFA\x40\xEE\xEF");
    QTest::newRow("typed over a selection ending in it")
        << raw("x\xEE\xEF\xEE\xEFy") << qsizetype(0) << qsizetype(2) << key << raw("\xFA\x40\xEE\xEFy");
    QTest::newRow("typed on the line after it") << raw("\xEE\xEF\r\n") << qsizetype(2) << qsizetype(2) << key
                                                << raw("\xEE\xEF\r\n\xFA\x40");
    QTest::newRow("committed after") << file << qsizetype(2) << qsizetype(2) << ime << raw("x\xEE\xEF\xFA\x40y");
    QTest::newRow("committed over a selection") << file << qsizetype(2) << qsizetype(3) << ime << raw("x\xEE\xEF\xFA\x40");
    QTest::newRow("pasted after") << file << qsizetype(2) << qsizetype(2) << pasted << raw("x\xEE\xEF\xFA\x40y");
    QTest::newRow("replaced after") << file << qsizetype(2) << qsizetype(2) << replaced << raw("x\xEE\xEF\xFA\x40y");
}

void TestRichEdit::typedCharacterNextToVariant()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, selStart);
    QFETCH(qsizetype, selEnd);
    QFETCH(QString, how);
    QFETCH(QByteArray, expected);
    TestEdit edit;
    QVERIFY(edit.StreamIn(bytes));
    edit.SetSel(selStart, selEnd);
    const QString small1(QChar(0x2170));
    if (how == QLatin1String("key"))
        typeText(&edit, small1);
    else if (how == QLatin1String("input method"))
        commit(&edit, small1);
    else if (how == QLatin1String("paste"))
        paste(edit, small1);
    else
        edit.ReplaceSel(small1);
    QCOMPARE(edit.StreamOut(), expected);
    // one undo step takes back the edit with everything it did
    edit.undo();
    QCOMPARE(edit.StreamOut(), bytes);
}

// Keys that insert nothing leave the selected characters as they were read.
void TestRichEdit::refusedTypingChangesNothing()
{
    RichEdit edit;
    const QByteArray bytes = raw("\xEE\xEF\xED\x40\n");
    QVERIFY(edit.StreamIn(bytes));
    edit.setReadOnly(true);
    edit.SetSel(0, 2);
    typeText(&edit, QStringLiteral("a"));
    pressKey(&edit, Qt::Key_Return);
    QCOMPARE(edit.StreamOut(), bytes);
    QVERIFY(!edit.GetModify());
    QVERIFY(!edit.buffer()->canUndo());
}

void TestRichEdit::variantSurvivesDeleteAndUndo()
{
    RichEdit edit;
    const QByteArray bytes = raw("a\xED\x40\xEE\xEF\r\nb");
    QVERIFY(edit.StreamIn(bytes));
    edit.SetSel(1, 3);
    pressKey(&edit, Qt::Key_Delete);
    QCOMPARE(edit.StreamOut(), raw("a\r\nb"));
    edit.undo();
    QCOMPARE(edit.StreamOut(), bytes);
    // moving it by cut and paste keeps the text but not the form: pasted text is new text
    edit.SetSel(1, 2);
    edit.cut();
    placeCaret(edit, 3);
    edit.paste();
    QCOMPARE(edit.StreamOut(), raw("a\xEE\xEF\r\n\xFA\x5C" "b"));
}

void TestRichEdit::unencodableCharactersReported()
{
    RichEdit edit;
    QVERIFY(edit.StreamIn(raw("a\r\nb\nc")));
    placeCaret(edit, 2);
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    edit.ReplaceSel(emoji + QStringLiteral("\u00E9"));
    placeCaret(edit, edit.GetTextLength());
    edit.ReplaceSel(QStringLiteral("\uD55C"));
    QList<qsizetype> positions;
    const QByteArray bytes = edit.StreamOut(&positions);
    QVERIFY(bytes.startsWith(raw("a\r\n?")));
    QVERIFY(bytes.endsWith(raw("?b\nc?")));
    QVERIFY(!positions.isEmpty());
    const QString text = edit.toPlainText();
    QCOMPARE(positions.first(), 2);
    QCOMPARE(text.mid(positions.first(), 2), emoji);
    QVERIFY(positions.contains(4));
    QCOMPARE(text.at(4), QChar(0x00E9));
    QCOMPARE(positions.last(), text.size() - 1);
    QCOMPARE(text.at(positions.last()), QChar(0xD55C));
}

// --- text limit ----------------------------------------------------------------------

void TestRichEdit::limitRefusesGrowth()
{
    TestEdit edit;
    QCOMPARE(edit.GetLimitText(), RichEdit::kDefaultTextLimit);
    edit.LimitText(6);
    QCOMPARE(edit.GetLimitText(), 6);
    QVERIFY(edit.StreamIn(raw("ab\r\ncd")));  // 5 characters
    QSignalSpy refused(&edit, &RichEdit::maxTextReached);
    placeCaret(edit, 5);
    typeText(&edit, QStringLiteral("e"));
    QCOMPARE(edit.GetTextLength(), 6);
    QCOMPARE(refused.count(), 0);

    typeText(&edit, QStringLiteral("f"));
    pressKey(&edit, Qt::Key_Return);
    commit(&edit, QStringLiteral("g"));
    paste(edit, QStringLiteral("h"));
    edit.ReplaceSel(QStringLiteral("i"));
    QCOMPARE(refused.count(), 5);
    QCOMPARE(edit.StreamOut(), raw("ab\r\ncde"));

    // a replacement that does not grow the text is allowed; CR LF counts one
    edit.SetSel(0, 2);
    edit.ReplaceSel(QStringLiteral("\r\n"));
    QCOMPARE(edit.StreamOut(), raw("\r\n\r\ncde"));
    edit.SetSel(0, 1);
    paste(edit, QStringLiteral("xyz"));
    QCOMPARE(refused.count(), 6);
    paste(edit, QStringLiteral("z"));
    QCOMPARE(edit.StreamOut(), raw("z\r\ncde"));
}

void TestRichEdit::limitRefusesStreamIn()
{
    RichEdit edit;
    edit.LimitText(4);
    QVERIFY(edit.StreamIn(raw("ab")));
    QVERIFY(!edit.StreamIn(raw("abcde")));
    QCOMPARE(edit.StreamOut(), raw("ab"));
    QVERIFY(edit.StreamIn(raw("a\r\nb\r\n")));  // 4 characters
    QCOMPARE(edit.GetTextLength(), 4);
    edit.LimitText(0);
    QCOMPARE(edit.GetLimitText(), RichEdit::kDefaultTextLimit);
}

// --- selection and lines -------------------------------------------------------------

void TestRichEdit::selectionAsCharacterRange()
{
    RichEdit edit;
    QVERIFY(edit.StreamIn(raw("abc\r\ndef")));
    qsizetype start = -1, end = -1;
    edit.SetSel(1, 5);
    edit.GetSel(start, end);
    QCOMPARE(start, 1);
    QCOMPARE(end, 5);
    QCOMPARE(edit.position(), 5);
    edit.SetSel(6, 2);  // reversed: the caret ends at 2
    edit.GetSel(start, end);
    QCOMPARE(start, 2);
    QCOMPARE(end, 6);
    QCOMPARE(edit.position(), 2);
    edit.SetSel(0, -1);
    edit.GetSel(start, end);
    QCOMPARE(start, 0);
    QCOMPARE(end, 7);
    edit.SetSel(3, 100);
    edit.GetSel(start, end);
    QCOMPARE(start, 3);
    QCOMPARE(end, 7);
    edit.SetSel(-1, 0);  // removes the selection, the caret stays
    edit.GetSel(start, end);
    QCOMPARE(start, 7);
    QCOMPARE(end, 7);
}

void TestRichEdit::linesWithoutWrap()
{
    RichEdit edit;
    edit.SetWordWrap(false);
    QVERIFY(!edit.WordWrap());
    QCOMPARE(edit.GetLineCount(), 1);  // also for an empty text
    QVERIFY(edit.StreamIn(raw("first\r\nsecond line\n\nlast")));
    QCOMPARE(edit.GetLineCount(), 4);
    QCOMPARE(edit.LineIndex(0), 0);
    QCOMPARE(edit.LineIndex(1), 6);
    QCOMPARE(edit.LineIndex(2), 18);
    QCOMPARE(edit.LineIndex(3), 19);
    QCOMPARE(edit.LineIndex(4), -1);
    QCOMPARE(edit.LineFromChar(0), 0);
    QCOMPARE(edit.LineFromChar(5), 0);  // the line break belongs to its line
    QCOMPARE(edit.LineFromChar(6), 1);
    QCOMPARE(edit.LineFromChar(18), 2);
    QCOMPARE(edit.LineFromChar(1000), 3);
    QCOMPARE(edit.GetLine(1, 100), QStringLiteral("second line"));
    QCOMPARE(edit.GetLine(1, 3), QStringLiteral("sec"));
    QCOMPARE(edit.GetLine(2, 100), QString());
    QCOMPARE(edit.GetLine(3, 100), QStringLiteral("last"));
    QCOMPARE(edit.GetLine(4, 100), QString());
    QCOMPARE(edit.GetLine(0, 0), QString());
    // -1: the line of the selection's start, and the caret's line
    edit.SetSel(8, 20);
    QCOMPARE(edit.LineFromChar(-1), 1);
    QCOMPARE(edit.LineIndex(-1), 19);
    QCOMPARE(edit.GetTextLength(), 23);
}

void TestRichEdit::linesWithWrap()
{
    RichEdit edit;
    edit.resize(220, 300);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QString longLine;
    for (int i = 0; i < 40; ++i)
        longLine += QStringLiteral("word%1 ").arg(i);
    QVERIFY(edit.StreamIn(QByteArray("top\r\n") + longLine.toLatin1() + "\r\n\r\nend"));
    QVERIFY(edit.WordWrap());
    const qsizetype rows = edit.GetLineCount();
    QVERIFY2(rows > 6, qPrintable(QString::number(rows)));

    // every row is reached the same way from either side
    QString rebuilt;
    for (qsizetype row = 0; row < rows; ++row) {
        const qsizetype start = edit.LineIndex(row);
        QVERIFY(start >= 0);
        QCOMPARE(edit.LineFromChar(start), row);
        const QString text = edit.GetLine(row, 1000);
        if (row > 0 && edit.buffer()->lineStart(edit.buffer()->lineOf(start)) == start)
            rebuilt += QLatin1Char('\n');
        rebuilt += text;
        const qsizetype next = row + 1 < rows ? edit.LineIndex(row + 1) : edit.GetTextLength() + 1;
        QVERIFY(next > start);
    }
    QCOMPARE(rebuilt, edit.toPlainText());
    QCOMPARE(edit.LineIndex(rows), -1);
    QCOMPARE(edit.LineFromChar(edit.GetTextLength()), rows - 1);
    QCOMPARE(edit.LineIndex(2) - edit.LineIndex(1), edit.GetLine(1, 1000).size());

    edit.SetWordWrap(false);
    QCOMPARE(edit.GetLineCount(), 4);
    QCOMPARE(edit.GetLine(1, 1000), longLine);
    edit.SetWordWrap(true);
    QCOMPARE(edit.GetLineCount(), rows);
}

void TestRichEdit::replaceSelWithAndWithoutUndo()
{
    RichEdit edit;
    QVERIFY(edit.StreamIn(raw("abc\ndef")));
    edit.SetSel(1, 2);
    edit.ReplaceSel(QStringLiteral("XY"));
    QCOMPARE(edit.StreamOut(), raw("aXYc\ndef"));
    QVERIFY(edit.GetModify());
    qsizetype start = -1, end = -1;
    edit.GetSel(start, end);
    QCOMPARE(start, 3);
    QCOMPARE(end, 3);
    edit.undo();
    QCOMPARE(edit.StreamOut(), raw("abc\ndef"));
    edit.redo();

    // not recorded: undo cannot take it back; nothing older remains to undo either
    edit.SetModify(false);
    placeCaret(edit, 5);
    edit.ReplaceSel(QStringLiteral("\t "), false);
    QCOMPARE(edit.StreamOut(), raw("aXYc\n\t def"));
    QVERIFY(edit.GetModify());
    edit.GetSel(start, end);
    QCOMPARE(start, 7);
    QVERIFY(!edit.buffer()->canUndo());
    edit.undo();
    QCOMPARE(edit.StreamOut(), raw("aXYc\n\t def"));

    // an empty replacement of an empty selection changes nothing and keeps the history
    typeText(&edit, QStringLiteral("z"));
    edit.ReplaceSel(QString(), false);
    QVERIFY(edit.buffer()->canUndo());
    edit.SetSel(0, 2);
    edit.ReplaceSel(QString(), false);
    QCOMPARE(edit.StreamOut(), raw("Yc\n\t zdef"));
}

void TestRichEdit::selectedTextAndClipboard()
{
    TestEdit edit;
    QVERIFY(edit.StreamIn(raw("ab\ncd\r\nef")));
    edit.SetSel(1, 7);
    QCOMPARE(edit.GetSelText(), QStringLiteral("b\r\ncd\r\ne"));
    std::unique_ptr<QMimeData> data(edit.createMimeDataFromSelection());
    QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(data->text(), QStringLiteral("b\ncd\ne"));
    edit.SetSel(2, 2);
    QCOMPARE(edit.GetSelText(), QString());
}

void TestRichEdit::positionOfCharacter()
{
    RichEdit edit;
    edit.resize(300, 200);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    QVERIFY(edit.StreamIn(raw("abc\r\ndef")));
    const QPoint first = edit.PosFromChar(0);
    const QPoint second = edit.PosFromChar(1);
    const QPoint below = edit.PosFromChar(4);
    QVERIFY(edit.rect().contains(first));
    QVERIFY(first.x() >= edit.viewport()->x());
    QCOMPARE(second.y(), first.y());
    QVERIFY(second.x() > first.x());
    QCOMPARE(below.x(), first.x());
    QVERIFY(below.y() > first.y());
    QCOMPARE(edit.PosFromChar(100), edit.PosFromChar(7));
}

// --- format and colours --------------------------------------------------------------

void TestRichEdit::wholeTextFormat()
{
    RichEdit edit;
    CharFormat initial = edit.GetWholeTextFormat();
    QCOMPARE(initial.cbSize, uint32_t(CharFormat::kSize));
    QCOMPARE(initial.dwMask, 0xF800000Fu);
    QVERIFY(initial.dwEffects & CharFormat::CFE_AUTOCOLOR);
    QVERIFY(initial.yHeight > 0);

    CharFormat none;  // an empty mask changes nothing
    none.dwEffects = CharFormat::CFE_BOLD;
    none.yHeight = 600;
    none.szFaceName = QStringLiteral("Nothing");
    edit.SetWholeTextFormat(none);
    QCOMPARE(edit.GetWholeTextFormat(), initial);

    CharFormat format;
    format.cbSize = CharFormat::kSize;
    format.dwMask = 0xF800000F;
    format.dwEffects = CharFormat::CFE_BOLD | CharFormat::CFE_UNDERLINE;
    format.yHeight = 240;
    format.yOffset = 20;
    format.crTextColor = 0x000000FF;
    format.bCharSet = 128;
    format.bPitchAndFamily = 49;
    format.szFaceName = QStringLiteral("IPAGothic");
    edit.SetWholeTextFormat(format);
    CharFormat shown = edit.GetWholeTextFormat();
    QCOMPARE(shown, format);
    QCOMPARE(edit.font().pointSizeF(), 12.0);
    QVERIFY(edit.font().bold());
    QVERIFY(edit.font().underline());
    QVERIFY(!edit.font().italic());
    QCOMPARE(edit.palette().color(QPalette::Text), QColor(255, 0, 0));

    // the font outlives loading a file
    QVERIFY(edit.StreamIn(raw("text")));
    QCOMPARE(edit.GetWholeTextFormat(), shown);

    // automatic colour gives the default text colour back
    CharFormat color;
    color.dwMask = CharFormat::CFM_COLOR;
    color.dwEffects = CharFormat::CFE_AUTOCOLOR;
    edit.SetWholeTextFormat(color);
    QCOMPARE(edit.palette().color(QPalette::Text), QApplication::palette(&edit).color(QPalette::Text));
    QVERIFY(edit.GetWholeTextFormat().dwEffects & CharFormat::CFE_AUTOCOLOR);
}

// The font a format gives, on top of an 11-point bold underlined "BaseFace".
void TestRichEdit::wholeTextFont_data()
{
    QTest::addColumn<uint>("mask");
    QTest::addColumn<uint>("effects");
    QTest::addColumn<int>("twips");
    QTest::addColumn<QString>("face");
    QTest::addColumn<int>("pitchAndFamily");
    QTest::addColumn<QString>("shownFace");
    QTest::addColumn<double>("points");
    QTest::addColumn<uint>("shownEffects");
    QTest::addColumn<int>("styleHint");

    const uint fx = CharFormat::CFE_ITALIC | CharFormat::CFE_STRIKEOUT;
    const uint base = CharFormat::CFE_BOLD | CharFormat::CFE_UNDERLINE;
    const QString face = QStringLiteral("NewFace");
    const QString baseFace = QStringLiteral("BaseFace");
    const auto any = int(QFont::AnyStyle);
    const auto size = uint(CharFormat::CFM_SIZE);
    const auto faceOnly = uint(CharFormat::CFM_FACE);
    QTest::newRow("no mask") << 0u << fx << 400 << face << 0x31 << baseFace << 11.0 << base << any;
    QTest::newRow("masked fields only") << uint(CharFormat::CFM_ITALIC) << fx << 400 << face << 0x31 << baseFace
                                        << 11.0 << (base | CharFormat::CFE_ITALIC) << any;
    QTest::newRow("every font field") << 0xF800000Fu << fx << 400 << face << 0x31 << face << 20.0 << fx
                                      << int(QFont::Monospace);
    QTest::newRow("half point") << size << 0u << 210 << face << 0 << baseFace << 10.5 << base << any;
    QTest::newRow("height capped") << size << 0u << 2000000 << face << 0 << baseFace << 1638.0 << base << any;
    QTest::newRow("zero height ignored") << size << 0u << 0 << face << 0 << baseFace << 11.0 << base << any;
    QTest::newRow("negative height ignored") << size << 0u << -240 << face << 0 << baseFace << 11.0 << base << any;
    QTest::newRow("long face cut") << faceOnly << 0u << 0 << QString(40, u'F') << 0 << QString(31, u'F') << 11.0
                                   << base << any;
    QTest::newRow("surrogate pair at the cut")
        << faceOnly << 0u << 0 << QString(30, u'F') + QString::fromUcs4(U"\U0001F600tail") << 0
        << QString(30, u'F') << 11.0 << base << any;
    QTest::newRow("empty face ignored") << faceOnly << 0u << 0 << QString() << 0x31 << baseFace << 11.0 << base
                                        << any;
    QTest::newRow("roman family") << faceOnly << 0u << 0 << face << 0x12 << face << 11.0 << base
                                  << int(QFont::Serif);
    QTest::newRow("fixed pitch before family") << faceOnly << 0u << 0 << face << 0x11 << face << 11.0 << base
                                               << int(QFont::Monospace);
}

void TestRichEdit::wholeTextFont()
{
    QFETCH(uint, mask);
    QFETCH(uint, effects);
    QFETCH(int, twips);
    QFETCH(QString, face);
    QFETCH(int, pitchAndFamily);
    QFETCH(QString, shownFace);
    QFETCH(double, points);
    QFETCH(uint, shownEffects);
    QFETCH(int, styleHint);
    RichEdit edit;
    CharFormat base;
    base.dwMask = 0xF800000F;
    base.dwEffects = CharFormat::CFE_BOLD | CharFormat::CFE_UNDERLINE;
    base.yHeight = 220;
    base.szFaceName = QStringLiteral("BaseFace");
    edit.SetWholeTextFormat(base);

    CharFormat format;
    format.dwMask = mask;
    format.dwEffects = effects;
    format.yHeight = twips;
    format.bPitchAndFamily = uint8_t(pitchAndFamily);
    format.szFaceName = face;
    edit.SetWholeTextFormat(format);
    const CharFormat shown = edit.GetWholeTextFormat();
    QCOMPARE(shown.szFaceName, shownFace);
    QCOMPARE(edit.font().pointSizeF(), points);
    QCOMPARE(shown.dwEffects & 0xFu, shownEffects);
    QCOMPARE(int(edit.font().styleHint()), styleHint);
}

void TestRichEdit::wholeTextFormatKeepsSelectionAndVariants()
{
    RichEdit edit;
    const QByteArray bytes = raw("a\xEE\xEF\nb\xED\x40\r\nc");
    QVERIFY(edit.StreamIn(bytes));
    edit.SetSel(5, 1);
    CharFormat format;
    format.dwMask = CharFormat::CFM_SIZE | CharFormat::CFM_BOLD;
    format.yHeight = 400;
    format.dwEffects = CharFormat::CFE_BOLD;
    edit.SetWholeTextFormat(format);
    qsizetype start = -1, end = -1;
    edit.GetSel(start, end);
    QCOMPARE(start, 1);
    QCOMPARE(end, 5);
    QCOMPARE(edit.position(), 1);
    QVERIFY(!edit.GetModify());
    QVERIFY(!edit.buffer()->canUndo());
    QCOMPARE(edit.StreamOut(), bytes);
}

void TestRichEdit::backgroundColor()
{
    RichEdit edit;
    edit.SetBackgroundColor(0x00336699);
    QCOMPARE(edit.palette().color(QPalette::Base), QColor(0x99, 0x66, 0x33));
    QCOMPARE(edit.palette().color(QPalette::Inactive, QPalette::Base), QColor(0x99, 0x66, 0x33));
}

// An escaped byte shows its own value: two escapes look different although a font would
// draw both as the same missing-glyph box.
void TestRichEdit::escapesPaintedAsHex()
{
    RichEdit edit;
    edit.resize(300, 120);
    edit.SetBackgroundColor(0x00FFFFFF);
    CharFormat format;
    format.dwMask = CharFormat::CFM_SIZE | CharFormat::CFM_COLOR;
    format.yHeight = 400;
    format.crTextColor = 0;
    edit.SetWholeTextFormat(format);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));

    const auto cellImage = [&edit](const QByteArray &bytes) {
        edit.StreamIn(bytes);
        edit.SetSel(0, 0);
        const QRect left = edit.cursorRect(0);
        const QRect right = edit.cursorRect(1);
        const QRect cell(left.left() + 2, left.top(), right.left() - left.left() - 2, left.height());
        return edit.viewport()->grab().toImage().copy(cell);
    };
    const QImage a = cellImage(raw("\x81"));
    const QImage b = cellImage(raw("\x82"));
    QVERIFY(!a.isNull());
    QVERIFY(a != b);
    int ink = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            ink += qGray(a.pixel(x, y)) < 128;
    }
    QVERIFY2(ink > a.height(), qPrintable(QString::number(ink)));
}

QTEST_MAIN(TestRichEdit)
#include "tst_richedit.moc"
