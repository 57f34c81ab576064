// The editing control: file bytes in and out, edits by every road keeping the file's line
// breaks and byte forms, the text limit, line and selection operations with wrap on and off,
// the whole-text format. The byte rules themselves are tried at length in tst_textbuffer.
#include "platform/engine/richedit.h"

#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;
using Range = std::pair<qsizetype, qsizetype>;

namespace {

// Exposes the clipboard entry points that paste and drops go through.
class TestEdit : public RichEdit {
public:
    using RichEdit::createMimeDataFromSelection;
    using RichEdit::insertFromMimeData;

    void type(const QString &text)
    {
        for (QChar c : text)
            QApplication::sendEvent(this, std::make_unique<QKeyEvent>(QEvent::KeyPress, 0, Qt::NoModifier, QString(c)).get());
    }
    void commit(const QString &text) { QInputMethodEvent e; e.setCommitString(text); QApplication::sendEvent(this, &e); }
    void paste(const QString &text) { QMimeData data; data.setText(text); insertFromMimeData(&data); }
    Range selection() const { Range r{-1, -1}; GetSel(r.first, r.second); return r; }
};

} // namespace

class TestRichEdit : public QObject {
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit()); }

    // Whatever was typed before, a file read in is the whole text, unmodified, with no undo and
    // the caret at the start, and goes out as the same bytes.
    void streamInReplacesTextAndHistory_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qsizetype>("length");  // characters, a CR LF counting one
        QTest::newRow("empty") << QByteArray() << qsizetype(0);
        QTest::newRow("breaks of every kind, NUL") << "a\r\nb\nc\rd\n\r\r\n\r\0"_ba << qsizetype(12);
        QTest::newRow("duplicate forms, undecodable") << "\xED\x40\n\xEE\xEF\x81\x20\x85\x40\xFE"_ba << qsizetype(8);
    }

    void streamInReplacesTextAndHistory()
    {
        QFETCH(QByteArray, bytes);
        TestEdit edit;
        edit.type(u"abc"_s);
        QVERIFY(edit.GetModify() && edit.buffer()->canUndo());
        QVERIFY(edit.StreamIn(bytes));
        QTEST(edit.GetTextLength(), "length");
        QVERIFY(!edit.GetModify() && !edit.buffer()->canUndo());
        QCOMPARE(edit.selection(), Range(0, 0));
        QList<qsizetype> unencodable;
        QCOMPARE(edit.StreamOut(&unencodable), bytes);
        QVERIFY(unencodable.isEmpty());
    }

    // An edit by a key, the input method, paste or the program: a typed break takes the kind of
    // the file's break before it (none before: the first after it; none at all: CR LF; CR LF
    // where a lone CR would join a lone LF right after it into one break), other
    // breaks and byte forms stay, new characters take their usual byte form. One undo takes the
    // edit back exactly; redo puts it back.
    void editsKeepTheFileForm_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Range>("selection");
        QTest::addColumn<QString>("action");  // a key, or "key:", "ime:", "paste:", "replace:" and text
        QTest::addColumn<QByteArray>("expected");
        const auto row = [](const char *name, const QByteArray &bytes, qsizetype start, qsizetype end,
                            const QString &action, const QByteArray &expected) {
            QTest::newRow(name) << bytes << Range(start, end) << action << expected;
        };
        const QByteArray mixed = "aa\r\nbb\ncc\rdd"_ba, small1 = "x\xEE\xEFy"_ba;  // U+2170 from EE EF; usually FA 40
        row("Return in an empty text", {}, 0, 0, "Return", "\r\n"_ba);
        row("Return in an LF file", "a\nbc\n"_ba, 3, 3, "Return", "a\nb\nc\n"_ba);
        row("Return in the first line", "ab\rcd"_ba, 0, 0, "Return", "\rab\rcd"_ba);
        row("Return after an LF among CR LF", "a\r\nb\nc\r\nd"_ba, 5, 5, "Return", "a\r\nb\nc\n\r\nd"_ba);
        row("Return between a lone CR and a lone LF, written apart", "a\rb\nc"_ba, 2, 3, "Return", "a\r\r\n\nc"_ba);
        row("Shift+Return", "ab"_ba, 1, 1, "Shift+Return", "a\r\nb"_ba);
        row("Delete joins lines", mixed, 5, 5, "Delete", "aa\r\nbbcc\rdd"_ba);
        row("Backspace joins lines", mixed, 6, 6, "Backspace", "aa\r\nbbcc\rdd"_ba);
        row("Backspace before an empty line", "aa\r\n\ncc\rdd"_ba, 3, 3, "Backspace", "aa\ncc\rdd"_ba);
        row("Delete of characters in their own forms", "a\xED\x40\xEE\xEF\r\nb"_ba, 1, 3, "Delete", "a\r\nb"_ba);
        row("typed after", small1, 2, 2, "key:\u2170", "x\xEE\xEF\xFA\x40y"_ba);
        row("typed over a selection", "x\xEE\xEF\xEE\xEFy"_ba, 0, 2, "key:\u2170", "\xFA\x40\xEE\xEFy"_ba);
        row("committed over a selection", small1, 2, 3, "ime:\u2170", "x\xEE\xEF\xFA\x40"_ba);
        row("pasted after", small1, 2, 2, "paste:\u2170", "x\xEE\xEF\xFA\x40y"_ba);
        row("pasted breaks", "a\nb"_ba, 3, 3, "paste:x\r\ny\rz\n", "a\nbx\ny\nz\n"_ba);
        row("replaced", "a\nb\xEE\xEF"_ba, 0, 0, "replace:\u2170\n", "\xFA\x40\na\nb\xEE\xEF"_ba);
        // the same text over itself changes nothing, unless its byte forms or break kinds were its own
        row("typed over itself", "abc"_ba, 1, 2, "key:b", "abc"_ba);
        row("committed over itself", "a\r\nb"_ba, 0, 1, "ime:a", "a\r\nb"_ba);
        row("pasted over itself", "abc"_ba, 0, 3, "paste:abc", "abc"_ba);
        row("replaced over itself", "x\xEE\xEFy"_ba, 0, 1, "replace:x", "x\xEE\xEFy"_ba);
        row("replaced over its own byte form", small1, 1, 2, "replace:\u2170", "x\xFA\x40y"_ba);
        row("replaced over a break of its own kind", "a\nb\r\nc"_ba, 1, 2, "replace:\n", "a\r\nb\r\nc"_ba);
        row("forms after an edit move with it", "a\r\n\xED\x40\n\xED\x40"_ba, 0, 1, "replace:bc\r",
            "bc\r\n\r\n\xED\x40\n\xED\x40"_ba);
        // "6|": with a limit of 6 characters, where every road that grows the text is refused with
        // maxTextReached, and what does not grow it (CR LF counting one) or shrinks it is allowed;
        // "ro|": read-only, taking no key and no paste or drop.
        const QByteArray full = "ab\r\ncde"_ba, ro = "\xEE\xEF\xED\x40\n"_ba;
        row("typed up to the limit", "ab\r\ncd"_ba, 5, 5, "6|key:e", full);
        row("typed over the limit", full, 6, 6, "6|key:f", full);
        row("Return over the limit", full, 6, 6, "6|Return", full);
        row("committed over the limit", full, 6, 6, "6|ime:g", full);
        row("pasted over the limit", full, 6, 6, "6|paste:h", full);
        row("replaced over the limit", full, 6, 6, "6|replace:i", full);
        row("pasted over a selection, too long", full, 0, 1, "6|paste:xyz", full);
        row("pasted over a selection", full, 0, 1, "6|paste:z", "zb\r\ncde"_ba);
        row("CR LF counts one at the limit", full, 0, 1, "6|replace:\r\n", "\r\nb\r\ncde"_ba);
        row("shrinking over the limit", full, 0, 2, "2|replace:", "\r\ncde"_ba);
        for (const char *action : {"ro|key:a", "ro|Return", "ro|Delete", "ro|Backspace", "ro|paste:b"})
            row(action, ro, 0, 2, action, ro);
    }

    void editsKeepTheFileForm()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Range, selection);
        QFETCH(QString, action);
        QFETCH(QByteArray, expected);
        TestEdit edit;
        QVERIFY(edit.StreamIn(bytes));
        edit.SetSel(selection.first, selection.second);
        const qsizetype bar = action.indexOf(u'|');
        const QString mode = action.left(std::max<qsizetype>(bar, 0)), act = action.mid(bar + 1);
        mode == u"ro" ? edit.setReadOnly(true) : edit.LimitText(mode.toInt());
        QSignalSpy refused(&edit, &RichEdit::maxTextReached);
        const QString how = act.section(u':', 0, 0), text = act.section(u':', 1);
        const QKeyCombination key = QKeySequence::fromString(how)[0];
        how == u"key" ? edit.type(text) : how == u"ime" ? edit.commit(text) : how == u"paste" ? edit.paste(text)
            : how == u"replace" ? edit.ReplaceSel(text) : QTest::keyClick(&edit, key.key(), key.keyboardModifiers());
        QCOMPARE(edit.StreamOut(), expected);
        QCOMPARE(refused.count(), mode.toInt() && expected == bytes ? 1 : 0);
        QVERIFY(edit.GetModify() == (expected != bytes) && edit.buffer()->canUndo() == (expected != bytes));
        edit.undo();
        QCOMPARE(edit.StreamOut(), bytes);
        edit.redo();
        QCOMPARE(edit.StreamOut(), expected);
    }

    void fileOverTheLimitIsNotRead()
    {
        TestEdit edit;
        QCOMPARE(edit.GetLimitText(), RichEdit::kDefaultTextLimit);
        edit.LimitText(6);
        QCOMPARE(edit.inputMethodQuery(Qt::ImMaximumTextLength), QVariant(6));
        QVERIFY(edit.StreamIn("ab\r\ncd\r\n"_ba));  // 6 characters
        QVERIFY(!edit.StreamIn("abc\r\ndef"_ba));
        QCOMPARE(edit.StreamOut(), "ab\r\ncd\r\n"_ba);
        edit.LimitText(0);
        QCOMPARE(edit.GetLimitText(), RichEdit::kDefaultTextLimit);
        QCOMPARE(edit.inputMethodQuery(Qt::ImMaximumTextLength), QVariant());
    }

    // In "abc\r\ndef" (7 characters) with 2-7 selected before.
    void selectionAsCharacterRange_data()
    {
        QTest::addColumn<Range>("set");
        QTest::addColumn<Range>("selection");
        QTest::addColumn<qsizetype>("caret");
        QTest::newRow("forward") << Range(1, 5) << Range(1, 5) << qsizetype(5);
        QTest::newRow("reversed: the caret at the start") << Range(6, 2) << Range(2, 6) << qsizetype(2);
        QTest::newRow("to the end") << Range(0, -1) << Range(0, 7) << qsizetype(7);
        QTest::newRow("past the end") << Range(3, 100) << Range(3, 7) << qsizetype(7);
        QTest::newRow("negative start: no selection, the caret stays") << Range(-1, 0) << Range(7, 7) << qsizetype(7);
    }

    void selectionAsCharacterRange()
    {
        QFETCH(Range, set);
        TestEdit edit;
        QVERIFY(edit.StreamIn("abc\r\ndef"_ba));
        edit.SetSel(2, 7);
        edit.SetSel(set.first, set.second);
        QTEST(edit.selection(), "selection");
        QTEST(edit.position(), "caret");
    }

    void linesWithoutWrap()
    {
        TestEdit edit;
        edit.SetWordWrap(false);
        QCOMPARE(edit.GetLineCount(), 1);  // also for an empty text
        QVERIFY(edit.StreamIn("first\r\nsecond line\n\nlast"_ba));
        QCOMPARE(edit.GetLineCount(), 4);
        const QList<qsizetype> starts{0, 6, 18, 19, -1};
        for (qsizetype line = 0; line < starts.size(); ++line)
            QCOMPARE(edit.LineIndex(line), starts[line]);
        // the line break belongs to its line
        for (const auto &[pos, line] : {Range{5, 0}, {6, 1}, {18, 2}, {1000, 3}})
            QCOMPARE(edit.LineFromChar(pos), line);
        for (const auto &[line, max, text] : {std::tuple{1, 100, u"second line"_s}, {1, 3, u"sec"_s},
                                              {2, 100, QString()}, {3, 100, u"last"_s}, {4, 100, QString()},
                                              {0, 0, QString()}})
            QCOMPARE(edit.GetLine(line, max), text);
        edit.SetSel(8, 20);  // -1: the line of the selection's start, and the caret's line
        QCOMPARE(edit.LineFromChar(-1), 1);
        QCOMPARE(edit.LineIndex(-1), 19);
    }

    void linesWithWrap()
    {
        TestEdit edit;
        edit.resize(220, 300);
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        QString longLine;
        for (int i = 0; i < 40; ++i) longLine += u"word%1 "_s.arg(i);
        QVERIFY(edit.StreamIn("top\r\n" + longLine.toLatin1() + "\r\n\r\nend"));
        // where a character shows: the next one to its right, the next line's first below it
        const QPoint first = edit.PosFromChar(0), second = edit.PosFromChar(1), below = edit.PosFromChar(4);
        QVERIFY(edit.rect().contains(first) && first.x() >= edit.viewport()->x());
        QVERIFY(second.y() == first.y() && second.x() > first.x() && below.x() == first.x() && below.y() > first.y());
        QCOMPARE(edit.PosFromChar(edit.GetTextLength() + 100), edit.PosFromChar(edit.GetTextLength()));
        const qsizetype rows = edit.GetLineCount();
        QVERIFY2(rows > 6, qPrintable(QString::number(rows)));

        // every row is reached the same way from either side, and the rows make up the text
        QString rebuilt;
        for (qsizetype row = 0; row < rows; ++row) {
            const qsizetype start = edit.LineIndex(row);
            QCOMPARE(edit.LineFromChar(start), row);
            if (row > 0 && edit.buffer()->lineStart(edit.buffer()->lineOf(start)) == start)
                rebuilt += u'\n';
            rebuilt += edit.GetLine(row, 1000);
            QVERIFY(start < (row + 1 < rows ? edit.LineIndex(row + 1) : edit.GetTextLength() + 1));
        }
        QCOMPARE(rebuilt, edit.toPlainText());
        QCOMPARE(edit.LineIndex(rows), -1);
        QCOMPARE(edit.LineFromChar(edit.GetTextLength()), rows - 1);
        QCOMPARE(edit.LineIndex(2) - edit.LineIndex(1), edit.GetLine(1, 1000).size());

        edit.SetWordWrap(false);
        QVERIFY(edit.GetLineCount() == 4 && edit.GetLine(1, 1000) == longLine);
        edit.SetWordWrap(true);
        QCOMPARE(edit.GetLineCount(), rows);
    }

    // Not recorded: undo cannot take it back, and nothing older remains to undo either (its steps
    // would no longer fit the text). A replacement that changes nothing (nothing over nothing,
    // the same text over itself) keeps the history and the modified flag.
    void replaceSelWithoutUndo()
    {
        TestEdit edit;
        QVERIFY(edit.StreamIn("abc\ndef"_ba));
        edit.type(u"X"_s);
        edit.SetModify(false);
        edit.SetSel(5, 5);
        edit.ReplaceSel(u"\t "_s, false);
        QCOMPARE(edit.StreamOut(), "Xabc\n\t def"_ba);
        QVERIFY(edit.GetModify() && !edit.buffer()->canUndo());
        QCOMPARE(edit.position(), 7);
        edit.undo();
        QCOMPARE(edit.StreamOut(), "Xabc\n\t def"_ba);
        edit.type(u"z"_s);
        edit.ReplaceSel(QString(), false);
        edit.SetModify(false);
        edit.SetSel(0, 1);
        edit.ReplaceSel(u"X"_s, false);
        QVERIFY(edit.buffer()->canUndo() && !edit.GetModify());
        edit.SetSel(0, 2);
        edit.ReplaceSel(QString(), false);
        QCOMPARE(edit.StreamOut(), "bc\n\t zdef"_ba);
    }

    // The selected text has CR LF breaks; the clipboard gets plain text only, breaks as LF.
    void selectedTextAndClipboard()
    {
        TestEdit edit;
        QVERIFY(edit.StreamIn("ab\ncd\r\nef"_ba));
        edit.SetSel(1, 7);
        QCOMPARE(edit.GetSelText(), u"b\r\ncd\r\ne"_s);
        std::unique_ptr<QMimeData> data(edit.createMimeDataFromSelection());
        QCOMPARE(data->formats(), QStringList{u"text/plain"_s});
        QCOMPARE(data->text(), u"b\ncd\ne"_s);
        edit.SetSel(2, 2);
        QCOMPARE(edit.GetSelText(), QString());
    }

    // The format is no edit: the selection, the modified flag, the undo history and the file's
    // bytes stay.
    void wholeTextFormat()
    {
        TestEdit edit;
        const QByteArray bytes = "a\xEE\xEF\nb\xED\x40\r\nc"_ba;
        QVERIFY(edit.StreamIn(bytes));
        edit.SetSel(5, 1);
        const CharFormat initial = edit.GetWholeTextFormat();
        QCOMPARE(initial.dwMask, 0xF800000Fu);  // every field holds the text's format
        QVERIFY(initial.dwEffects & CharFormat::CFE_AUTOCOLOR);
        QVERIFY(initial.yHeight > 0);

        const CharFormat format{CharFormat::kSize, 0xF800000F, CharFormat::CFE_BOLD | CharFormat::CFE_UNDERLINE, 240,
                                20, 0x000000FF, 128, 49, u"IPAGothic"_s};
        edit.SetWholeTextFormat(format);
        QCOMPARE(edit.font().pointSizeF(), 12.0);
        QVERIFY(edit.font().bold() && edit.font().underline() && !edit.font().italic());
        QCOMPARE(edit.palette().color(QPalette::Text), QColor(255, 0, 0));
        QVERIFY(edit.selection() == Range(1, 5) && edit.position() == 1);
        QVERIFY(!edit.GetModify() && !edit.buffer()->canUndo());
        QCOMPARE(edit.StreamOut(), bytes);
        QVERIFY(edit.StreamIn("text"_ba));  // the font outlives loading a file
        QCOMPARE(edit.GetWholeTextFormat(), format);

        // automatic colour gives the default text colour back
        edit.SetWholeTextFormat(CharFormat{0, CharFormat::CFM_COLOR, CharFormat::CFE_AUTOCOLOR, 0, 0, 0, 0, 0, {}});
        QCOMPARE(edit.palette().color(QPalette::Text), QApplication::palette(&edit).color(QPalette::Text));
        QVERIFY(edit.GetWholeTextFormat().dwEffects & CharFormat::CFE_AUTOCOLOR);

        edit.SetBackgroundColor(0x00336699);  // the background, active or not
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            QCOMPARE(edit.palette().color(group, QPalette::Base), QColor(0x99, 0x66, 0x33));
    }

    // The font a format gives, on top of an 11-point bold underlined "BaseFace".
    void wholeTextFont_data()
    {
        QTest::addColumn<CharFormat>("format");
        QTest::addColumn<QString>("shownFace");
        QTest::addColumn<double>("points");
        QTest::addColumn<uint>("shownEffects");
        QTest::addColumn<int>("styleHint");
        const uint italic = CharFormat::CFE_ITALIC, fx = italic | CharFormat::CFE_STRIKEOUT, face = CharFormat::CFM_FACE;
        const uint base = CharFormat::CFE_BOLD | CharFormat::CFE_UNDERLINE, size = CharFormat::CFM_SIZE;
        const QString baseFace = u"BaseFace"_s, newFace = u"NewFace"_s, f30 = QString(30, u'F');
        const int any = QFont::AnyStyle;
        const auto row = [](const char *name, uint mask, uint effects, int twips, const QString &face, int pitch,
                            const QString &shownFace, double points, uint shownEffects, int hint) {
            QTest::newRow(name) << CharFormat{0, mask, effects, twips, 0, 0, 0, uint8_t(pitch), face} << shownFace
                                << points << shownEffects << hint;
        };
        row("no mask", 0, fx, 400, newFace, 0x31, baseFace, 11, base, any);
        row("masked fields only", CharFormat::CFM_ITALIC, fx, 400, newFace, 0x31, baseFace, 11, base | italic, any);
        row("every font field", 0xF800000F, fx, 400, newFace, 0x31, newFace, 20, fx, QFont::Monospace);
        row("half point", size, 0, 210, newFace, 0, baseFace, 10.5, base, any);
        row("height capped", size, 0, 2000000, newFace, 0, baseFace, 1638, base, any);
        row("zero height ignored", size, 0, 0, newFace, 0, baseFace, 11, base, any);
        row("negative height ignored", size, 0, -240, newFace, 0, baseFace, 11, base, any);
        row("long face cut", face, 0, 0, QString(40, u'F'), 0, QString(31, u'F'), 11, base, any);
        row("surrogate pair at the cut", face, 0, 0, f30 + u"\U0001F600tail"_s, 0, f30, 11, base, any);
        row("empty face ignored", face, 0, 0, QString(), 0x31, baseFace, 11, base, any);
        row("roman family", face, 0, 0, newFace, 0x12, newFace, 11, base, QFont::Serif);
        row("fixed pitch before family", face, 0, 0, newFace, 0x11, newFace, 11, base, QFont::Monospace);
    }

    void wholeTextFont()
    {
        QFETCH(CharFormat, format);
        TestEdit edit;
        edit.SetWholeTextFormat(CharFormat{0, 0xF800000F, CharFormat::CFE_BOLD | CharFormat::CFE_UNDERLINE, 220, 0, 0,
                                           0, 0, u"BaseFace"_s});
        edit.SetWholeTextFormat(format);
        QTEST(edit.GetWholeTextFormat().szFaceName, "shownFace");
        QTEST(edit.font().pointSizeF(), "points");
        QTEST(edit.GetWholeTextFormat().dwEffects & 0xFu, "shownEffects");
        QTEST(int(edit.font().styleHint()), "styleHint");
    }
};

QTEST_MAIN(TestRichEdit)
#include "tst_richedit.moc"
