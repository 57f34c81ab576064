// The editing control: file bytes in and out, edits by every road keeping the file's line
// breaks and byte forms, the text limit, line and selection operations with wrap on and off,
// the whole-text format. The byte rules themselves are tried at length in tst_textbuffer.
#include "platform/richedit.h"

#include <QMimeData>
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

QPair<qsizetype, qsizetype> selectionOf(const RichEdit &edit)
{
    qsizetype start = -1, end = -1;
    edit.GetSel(start, end);
    return {start, end};
}

} // namespace

class TestRichEdit : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void streamInReplacesTextAndHistory_data();
    void streamInReplacesTextAndHistory();
    void editsKeepTheFileForm_data();
    void editsKeepTheFileForm();
    void refusedEditsChangeNothing();

    void selectionAsCharacterRange_data();
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

private:
    QTemporaryDir m_config;
};

void TestRichEdit::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

// --- files ---------------------------------------------------------------------------

// Whatever was typed before, a file read in is the whole text, unmodified, with no undo and
// the caret at the start, and goes out as the same bytes.
void TestRichEdit::streamInReplacesTextAndHistory_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("length");  // characters, a CR LF counting one
    QTest::newRow("empty") << QByteArray() << qsizetype(0);
    QTest::newRow("breaks of every kind, NUL") << raw("a\r\nb\nc\rd\n\r\r\n\r\0") << qsizetype(12);
    QTest::newRow("duplicate forms, undecodable bytes")
        << raw("\xED\x40\n\xEE\xEF\x81\x20\x85\x40\xFE") << qsizetype(8);
}

void TestRichEdit::streamInReplacesTextAndHistory()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, length);
    RichEdit edit;
    typeText(&edit, QStringLiteral("abc"));
    QVERIFY(edit.GetModify() && edit.buffer()->canUndo());
    QVERIFY(edit.StreamIn(bytes));
    QCOMPARE(edit.GetTextLength(), length);
    QVERIFY(!edit.GetModify());
    QVERIFY(!edit.buffer()->canUndo());
    QCOMPARE(selectionOf(edit), qMakePair(qsizetype(0), qsizetype(0)));
    QList<qsizetype> unencodable;
    QCOMPARE(edit.StreamOut(&unencodable), bytes);
    QVERIFY(unencodable.isEmpty());
}

// An edit by a key, the input method, paste or the program: a typed break takes the kind of
// the file's break before it (none before: the first after it; none at all: CR LF), other
// breaks and byte forms stay, new characters take their usual byte form. One undo takes the
// edit back exactly; redo puts it back.
void TestRichEdit::editsKeepTheFileForm_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qsizetype>("selStart");
    QTest::addColumn<qsizetype>("selEnd");
    QTest::addColumn<QString>("action");  // a key, or "key:", "ime:", "paste:", "replace:" and text
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char *name, const QByteArray &bytes, qsizetype start, qsizetype end,
                        const QString &action, const QByteArray &expected) {
        QTest::newRow(name) << bytes << start << end << action << expected;
    };
    const QByteArray mixed = raw("aa\r\nbb\ncc\rdd");
    const QByteArray small1 = raw("x\xEE\xEFy");  // U+2170 read from EE EF; its usual form is FA 40
    row("Return in an empty text", {}, 0, 0, "Return", raw("\r\n"));
    row("Return in an LF file", raw("a\nbc\n"), 3, 3, "Return", raw("a\nb\nc\n"));
    row("Return in the first line", raw("ab\rcd"), 0, 0, "Return", raw("\rab\rcd"));
    row("Return after an LF among CR LF", raw("a\r\nb\nc\r\nd"), 5, 5, "Return", raw("a\r\nb\nc\n\r\nd"));
    row("Shift+Return", raw("ab"), 1, 1, "Shift+Return", raw("a\r\nb"));
    row("Delete joins lines", mixed, 5, 5, "Delete", raw("aa\r\nbbcc\rdd"));
    row("Backspace joins lines", mixed, 6, 6, "Backspace", raw("aa\r\nbbcc\rdd"));
    row("Backspace before an empty line", raw("aa\r\n\ncc\rdd"), 3, 3, "Backspace", raw("aa\ncc\rdd"));
    row("Delete of characters in their own forms", raw("a\xED\x40\xEE\xEF\r\nb"), 1, 3, "Delete", raw("a\r\nb"));
    row("typed after", small1, 2, 2, "key:\u2170", raw("x\xEE\xEF\xFA\x40y"));
    row("typed over a selection", raw("x\xEE\xEF\xEE\xEFy"), 0, 2, "key:\u2170", raw("\xFA\x40\xEE\xEFy"));
    row("committed over a selection", small1, 2, 3, "ime:\u2170", raw("x\xEE\xEF\xFA\x40"));
    row("pasted after", small1, 2, 2, "paste:\u2170", raw("x\xEE\xEF\xFA\x40y"));
    row("pasted breaks", raw("a\nb"), 3, 3, "paste:x\r\ny\rz\n", raw("a\nbx\ny\nz\n"));
    row("replaced", raw("a\nb\xEE\xEF"), 0, 0, "replace:\u2170\n", raw("\xFA\x40\na\nb\xEE\xEF"));
    row("forms after an edit move with it", raw("a\r\n\xED\x40\n\xED\x40"), 0, 1, "replace:bc\r",
        raw("bc\r\n\r\n\xED\x40\n\xED\x40"));
}

void TestRichEdit::editsKeepTheFileForm()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qsizetype, selStart);
    QFETCH(qsizetype, selEnd);
    QFETCH(QString, action);
    QFETCH(QByteArray, expected);
    TestEdit edit;
    QVERIFY(edit.StreamIn(bytes));
    edit.SetSel(selStart, selEnd);
    const QString how = action.section(u':', 0, 0);
    const QString text = action.section(u':', 1);
    if (how == u"key") {
        typeText(&edit, text);
    } else if (how == u"ime") {
        commit(&edit, text);
    } else if (how == u"paste") {
        paste(edit, text);
    } else if (how == u"replace") {
        edit.ReplaceSel(text);
    } else {
        const QKeyCombination key = QKeySequence::fromString(how)[0];
        QTest::keyClick(&edit, key.key(), key.keyboardModifiers());
    }
    QCOMPARE(edit.StreamOut(), expected);
    edit.undo();
    QCOMPARE(edit.StreamOut(), bytes);
    edit.redo();
    QCOMPARE(edit.StreamOut(), expected);
}

// Over the limit every road that grows the text is refused with maxTextReached; what does
// not grow it (CR LF counting one) is allowed; a file over the limit is not read. Read-only
// takes no key and no paste or drop.
void TestRichEdit::refusedEditsChangeNothing()
{
    TestEdit edit;
    QCOMPARE(edit.GetLimitText(), RichEdit::kDefaultTextLimit);
    edit.LimitText(6);
    QVERIFY(edit.StreamIn(raw("ab\r\ncd\r\n")));  // 6 characters
    QVERIFY(!edit.StreamIn(raw("abc\r\ndef")));
    QCOMPARE(edit.StreamOut(), raw("ab\r\ncd\r\n"));
    QVERIFY(edit.StreamIn(raw("ab\r\ncd")));
    QSignalSpy refused(&edit, &RichEdit::maxTextReached);
    edit.SetSel(5, 5);
    typeText(&edit, QStringLiteral("e"));
    QCOMPARE(edit.GetTextLength(), 6);
    QCOMPARE(refused.count(), 0);
    typeText(&edit, QStringLiteral("f"));
    QTest::keyClick(&edit, Qt::Key_Return);
    commit(&edit, QStringLiteral("g"));
    paste(edit, QStringLiteral("h"));
    edit.ReplaceSel(QStringLiteral("i"));
    QCOMPARE(refused.count(), 5);
    QCOMPARE(edit.StreamOut(), raw("ab\r\ncde"));
    edit.SetSel(0, 1);
    edit.ReplaceSel(QStringLiteral("\r\n"));
    QCOMPARE(edit.StreamOut(), raw("\r\nb\r\ncde"));
    edit.SetSel(0, 1);
    paste(edit, QStringLiteral("xyz"));
    QCOMPARE(refused.count(), 6);
    paste(edit, QStringLiteral("z"));
    QCOMPARE(edit.StreamOut(), raw("zb\r\ncde"));
    edit.LimitText(2);  // a text already over the limit may still shrink
    edit.SetSel(0, 2);
    edit.ReplaceSel(QString());
    QCOMPARE(edit.StreamOut(), raw("\r\ncde"));
    edit.LimitText(0);
    QCOMPARE(edit.GetLimitText(), RichEdit::kDefaultTextLimit);

    const QByteArray bytes = raw("\xEE\xEF\xED\x40\n");
    QVERIFY(edit.StreamIn(bytes));
    edit.setReadOnly(true);
    edit.SetSel(0, 2);
    typeText(&edit, QStringLiteral("a"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Delete, Qt::Key_Backspace})
        QTest::keyClick(&edit, key);
    paste(edit, QStringLiteral("b"));
    QCOMPARE(edit.StreamOut(), bytes);
    QVERIFY(!edit.GetModify());
    QVERIFY(!edit.buffer()->canUndo());
}

// --- selection and lines -------------------------------------------------------------

// In "abc\r\ndef" (7 characters) with 2-7 selected before.
void TestRichEdit::selectionAsCharacterRange_data()
{
    QTest::addColumn<qsizetype>("start");
    QTest::addColumn<qsizetype>("end");
    QTest::addColumn<qsizetype>("selStart");
    QTest::addColumn<qsizetype>("selEnd");
    QTest::addColumn<qsizetype>("caret");
    const auto row = [](const char *name, qsizetype start, qsizetype end, qsizetype selStart, qsizetype selEnd,
                        qsizetype caret) { QTest::newRow(name) << start << end << selStart << selEnd << caret; };
    row("forward", 1, 5, 1, 5, 5);
    row("reversed: the caret at the start", 6, 2, 2, 6, 2);
    row("to the end", 0, -1, 0, 7, 7);
    row("past the end", 3, 100, 3, 7, 7);
    row("negative start: no selection, the caret stays", -1, 0, 7, 7, 7);
}

void TestRichEdit::selectionAsCharacterRange()
{
    QFETCH(qsizetype, start);
    QFETCH(qsizetype, end);
    QFETCH(qsizetype, selStart);
    QFETCH(qsizetype, selEnd);
    QFETCH(qsizetype, caret);
    RichEdit edit;
    QVERIFY(edit.StreamIn(raw("abc\r\ndef")));
    edit.SetSel(2, 7);
    edit.SetSel(start, end);
    QCOMPARE(selectionOf(edit), qMakePair(selStart, selEnd));
    QCOMPARE(edit.position(), caret);
}

void TestRichEdit::linesWithoutWrap()
{
    RichEdit edit;
    edit.SetWordWrap(false);
    QVERIFY(!edit.WordWrap());
    QCOMPARE(edit.GetLineCount(), 1);  // also for an empty text
    QVERIFY(edit.StreamIn(raw("first\r\nsecond line\n\nlast")));
    QCOMPARE(edit.GetLineCount(), 4);
    const QList<qsizetype> starts{0, 6, 18, 19, -1};
    for (qsizetype line = 0; line < starts.size(); ++line)
        QCOMPARE(edit.LineIndex(line), starts[line]);
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

    // every row is reached the same way from either side, and the rows make up the text
    QString rebuilt;
    for (qsizetype row = 0; row < rows; ++row) {
        const qsizetype start = edit.LineIndex(row);
        QCOMPARE(edit.LineFromChar(start), row);
        if (row > 0 && edit.buffer()->lineStart(edit.buffer()->lineOf(start)) == start)
            rebuilt += QLatin1Char('\n');
        rebuilt += edit.GetLine(row, 1000);
        QVERIFY(start < (row + 1 < rows ? edit.LineIndex(row + 1) : edit.GetTextLength() + 1));
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
    QCOMPARE(selectionOf(edit), qMakePair(qsizetype(3), qsizetype(3)));
    edit.undo();
    QCOMPARE(edit.StreamOut(), raw("abc\ndef"));
    edit.redo();

    // not recorded: undo cannot take it back, and nothing older remains to undo either (its
    // steps would no longer fit the text)
    edit.SetModify(false);
    edit.SetSel(5, 5);
    edit.ReplaceSel(QStringLiteral("\t "), false);
    QCOMPARE(edit.StreamOut(), raw("aXYc\n\t def"));
    QVERIFY(edit.GetModify());
    QCOMPARE(edit.position(), 7);
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

// The selected text has CR LF breaks; the clipboard gets plain text only, breaks as LF.
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
    const CharFormat initial = edit.GetWholeTextFormat();
    QCOMPARE(initial.dwMask, 0xF800000Fu);  // every field holds the text's format
    QVERIFY(initial.dwEffects & CharFormat::CFE_AUTOCOLOR);
    QVERIFY(initial.yHeight > 0);

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
    QCOMPARE(edit.GetWholeTextFormat(), format);
    QCOMPARE(edit.font().pointSizeF(), 12.0);
    QVERIFY(edit.font().bold() && edit.font().underline() && !edit.font().italic());
    QCOMPARE(edit.palette().color(QPalette::Text), QColor(255, 0, 0));

    // the font outlives loading a file
    QVERIFY(edit.StreamIn(raw("text")));
    QCOMPARE(edit.GetWholeTextFormat(), format);

    // automatic colour gives the default text colour back
    CharFormat color;
    color.dwMask = CharFormat::CFM_COLOR;
    color.dwEffects = CharFormat::CFE_AUTOCOLOR;
    edit.SetWholeTextFormat(color);
    QCOMPARE(edit.palette().color(QPalette::Text), QApplication::palette(&edit).color(QPalette::Text));
    QVERIFY(edit.GetWholeTextFormat().dwEffects & CharFormat::CFE_AUTOCOLOR);

    // the background, active or not
    edit.SetBackgroundColor(0x00336699);
    QCOMPARE(edit.palette().color(QPalette::Active, QPalette::Base), QColor(0x99, 0x66, 0x33));
    QCOMPARE(edit.palette().color(QPalette::Inactive, QPalette::Base), QColor(0x99, 0x66, 0x33));
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

// The format is no edit: the selection, the modified flag, the undo history and the file's
// bytes stay.
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
    QCOMPARE(selectionOf(edit), qMakePair(qsizetype(1), qsizetype(5)));
    QCOMPARE(edit.position(), 1);
    QVERIFY(!edit.GetModify());
    QVERIFY(!edit.buffer()->canUndo());
    QCOMPARE(edit.StreamOut(), bytes);
}

QTEST_MAIN(TestRichEdit)
#include "tst_richedit.moc"
