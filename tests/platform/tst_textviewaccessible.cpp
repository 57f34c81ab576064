// What a screen reader is told of a text view's edits by every road, and what it reads around
// an offset by character, word, sentence and line.
#include "../texteventlog.h"

#include "platform/engine/textbuffer.h"
#include "platform/engine/textfinder.h"
#include "platform/engine/textview.h"
#include "platform/engine/textviewaccessible.h"

#include <QAccessibleInterface>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

void show(TextView &view, const QString &text, QSize size = {400, 200})
{
    view.setFont(QFont(u"IPAGothic"_s, 12));
    view.buffer()->load(text, {});
    view.resize(size);
    view.show();
}

// Does one road of editing to a view: "type TEXT", "key NAME" (Backspace, Delete, Return),
// "paste TEXT", "cut", "commit TEXT" (an input method), "undo", "redo", "load TEXT",
// "replace all OLD NEW", "other view types TEXT" (a second view of the same text).
void edit(TextView &view, const QString &road)
{
    const QString arg = road.section(u' ', 1);
    if (road.startsWith(u"type "))
        QTest::keyClicks(&view, arg);
    else if (road == u"key Backspace")
        QTest::keyClick(&view, Qt::Key_Backspace);
    else if (road == u"key Delete")
        QTest::keyClick(&view, Qt::Key_Delete);
    else if (road == u"key Return")
        QTest::keyClick(&view, Qt::Key_Return);
    else if (road.startsWith(u"paste ")) {
        QGuiApplication::clipboard()->setText(arg);
        view.paste();
    } else if (road == u"cut")
        view.cut();
    else if (road.startsWith(u"commit ")) {
        QInputMethodEvent event;
        event.setCommitString(arg);
        QApplication::sendEvent(&view, &event);
    } else if (road == u"undo")
        view.undo();
    else if (road == u"redo")
        view.redo();
    else if (road.startsWith(u"load "))
        view.buffer()->load(arg, {});
    else if (road.startsWith(u"replace all "))
        TextFinder(&view).ReplaceAll(road.section(u' ', 2, 2), road.section(u' ', 3, 3), {});
    else if (road.startsWith(u"other view types ")) {
        TextView other;
        other.setBuffer(view.buffer());
        other.setPosition(0);
        QTest::keyClicks(&other, road.section(u' ', 3));
    } else
        QFAIL(qPrintable(u"unknown road: "_s + road));
}

} // namespace

class TestTextViewAccessible : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { TextViewAccessible::install(); }

    // From a text with a selection (anchor, caret), the edits done before listening begins
    // ("|"-separated roads, for undo and redo), then the road listened to: the changes told, in
    // order (the caret's moves are the next test's).
    void everyRoadOfEditingIsTold_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("anchor");
        QTest::addColumn<int>("caret");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("road");
        QTest::addColumn<QStringList>("told");
        const auto row = [](const char *name, const QString &text, int anchor, int caret, const QString &before,
                            const QString &road, const QStringList &told) {
            QTest::newRow(name) << text << anchor << caret << before << road << told;
        };
        row("typing", u"abc"_s, 3, 3, {}, u"type x"_s, {u"insert 3 \"x\""_s});
        row("typing over a selection", u"abc"_s, 1, 2, {}, u"type x"_s,
            {u"update 1 \"b\" \"x\""_s});
        row("backspace over a surrogate pair", u"a\U0001F600b"_s, 3, 3, {}, u"key Backspace"_s,
            {u"remove 1 \"\U0001F600\""_s});
        row("delete a line break", u"ab\ncd"_s, 2, 2, {}, u"key Delete"_s, {u"remove 2 \"\n\""_s});
        row("enter", u"ab"_s, 1, 1, {}, u"key Return"_s, {u"insert 1 \"\n\""_s});
        row("paste", u"ab"_s, 1, 1, {}, u"paste 日本"_s, {u"insert 1 \"日本\""_s});
        row("cut", u"abc"_s, 0, 2, {}, u"cut"_s, {u"remove 0 \"ab\""_s});
        row("input method commit", u"ab"_s, 1, 1, {}, u"commit 漢字"_s, {u"insert 1 \"漢字\""_s});
        row("undo typing", u"abc"_s, 3, 3, u"type xy"_s, u"undo"_s, {u"remove 3 \"xy\""_s});
        row("undo a replacement", u"abc"_s, 1, 2, u"type x"_s, u"undo"_s,
            {u"update 1 \"x\" \"b\""_s});
        row("redo", u"abc"_s, 3, 3, u"type x|undo"_s, u"redo"_s, {u"insert 3 \"x\""_s});
        row("replace all, one change per group of matches", u"ab\nab"_s, 0, 0, {}, u"replace all b XY"_s,
            {u"update 4 \"b\" \"XY\""_s, u"update 1 \"b\" \"XY\""_s});
        row("a load (a reload of the file)", u"old\ntext"_s, 2, 2, {}, u"load new"_s,
            {u"update 0 \"old\ntext\" \"new\""_s});
        row("a load into an empty text", QString(), 0, 0, {}, u"load new"_s, {u"insert 0 \"new\""_s});
        row("another view of the text", u"ab"_s, 2, 2, {}, u"other view types z"_s,
            {u"insert 0 \"z\""_s});
        row("read-only refuses typing: nothing", u"ab"_s, 1, 1, u"read-only"_s, u"type x"_s, {});
    }
    void everyRoadOfEditingIsTold()
    {
        QFETCH(QString, text);
        QFETCH(int, anchor);
        QFETCH(int, caret);
        QFETCH(QString, before);
        QFETCH(QString, road);
        QFETCH(QStringList, told);
        TextView view;
        show(view, text);
        view.setSelection(anchor, caret);
        for (const QString &step : before.split(u'|', Qt::SkipEmptyParts)) {
            if (step == u"read-only")
                view.setReadOnly(true);
            else
                edit(view, step);
        }
        TextEventLog log(&view);
        edit(view, road);
        QCOMPARE(log.takeChanges(), told);
    }

    // A screen reader echoes typing from the change and then reads the caret where it went: the
    // change comes first, then the caret after it, each once, and no selection that was never
    // the user's (Backspace and Delete take their characters without selecting them).
    void changeIsToldBeforeTheCaretMoves_data()
    {
        QTest::addColumn<QString>("road");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("typing") << u"type x"_s << QStringList{u"insert 1 \"x\""_s, u"caret 2"_s};
        QTest::newRow("backspace") << u"key Backspace"_s << QStringList{u"remove 0 \"a\""_s, u"caret 0"_s};
        QTest::newRow("delete") << u"key Delete"_s << QStringList{u"remove 1 \"b\""_s};
    }
    void changeIsToldBeforeTheCaretMoves()
    {
        QFETCH(QString, road);
        TextView view;
        show(view, u"ab"_s);
        view.setPosition(1);
        TextEventLog log(&view);
        edit(view, road);
        QTEST(log.take(), "told");
    }

    // Nothing is built or sent while no assistive tool listens.
    void nothingIsToldWhileNoneListens()
    {
        TextView view;
        show(view, u"ab"_s);
        {
            TextEventLog log(&view);
            TextEventLog::setListening(false);
            QTest::keyClicks(&view, u"x"_s);
            view.buffer()->load(u"new"_s, {});
            QCOMPARE(log.take(), QStringList());
            TextEventLog::setListening(true);  // and again once one does
            QTest::keyClicks(&view, u"y"_s);
            QCOMPARE(log.takeChanges(), QStringList{u"insert 3 \"y\""_s});
        }
    }

    // The text around an offset: "at", "before" or "after" it, by a kind of unit, with wrap on
    // in a view 200 wide or off; the text answered and where it starts (-1: nothing).
    void textAroundAnOffset_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("unit");  // QAccessible::TextBoundaryType
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("start");
        const QString emoji = u"a\U0001F600b"_s, kana = u"ｶﾞｷﾞ"_s, japanese = u"日本語のテキスト ok"_s,
                      sentences = u"今日は晴れ。明日は雨。\nnext"_s;
        const auto row = [](const char *name, const QString &text, int offset, const char *where,
                            QAccessible::TextBoundaryType unit, const QString &answer, int start) {
            QTest::newRow(name) << text << offset << QString::fromLatin1(where) << int(unit) << answer << start;
        };
        row("character: a surrogate pair whole", emoji, 2, "at", QAccessible::CharBoundary, u"\U0001F600"_s, 1);
        row("character before: the pair", emoji, 3, "before", QAccessible::CharBoundary, u"\U0001F600"_s, 1);
        row("character after: past the pair", emoji, 1, "after", QAccessible::CharBoundary, u"b"_s, 3);
        row("character: half-width kana with its voiced mark", kana, 1, "at", QAccessible::CharBoundary,
            u"ｶﾞ"_s, 0);
        row("character after the kana pair", kana, 0, "after", QAccessible::CharBoundary, u"ｷﾞ"_s, 2);
        row("character at the end: nothing", emoji, 4, "at", QAccessible::CharBoundary, QString(), 4);
        row("character after the last: nothing", emoji, 3, "after", QAccessible::CharBoundary, QString(), -1);
        row("word: a run of kanji", japanese, 1, "at", QAccessible::WordBoundary, u"日本語"_s, 0);
        row("word: a run of hiragana", japanese, 3, "at", QAccessible::WordBoundary, u"の"_s, 3);
        row("word: a run of katakana", japanese, 6, "at", QAccessible::WordBoundary, u"テキスト"_s, 4);
        row("word after the kanji", japanese, 0, "after", QAccessible::WordBoundary, u"の"_s, 3);
        row("word before the katakana", japanese, 5, "before", QAccessible::WordBoundary, u"の"_s, 3);
        row("word: latin after a space", japanese, 10, "at", QAccessible::WordBoundary, u"ok"_s, 9);
        row("sentence: ends at 。", sentences, 2, "at", QAccessible::SentenceBoundary, u"今日は晴れ。"_s, 0);
        row("sentence: the last of a line, its break", sentences, 7, "at", QAccessible::SentenceBoundary,
            u"明日は雨。\n"_s, 6);
        row("sentence after the first", sentences, 0, "after", QAccessible::SentenceBoundary,
            u"明日は雨。\n"_s, 6);
        row("sentence before the next line's", sentences, 13, "before", QAccessible::SentenceBoundary,
            u"明日は雨。\n"_s, 6);
        row("paragraph: a line with its break", sentences, 3, "at", QAccessible::ParagraphBoundary,
            u"今日は晴れ。明日は雨。\n"_s, 0);
        row("line, wrap off: the whole line", u"ab\ncd"_s, 1, "at", QAccessible::LineBoundary, u"ab\n"_s, 0);
        row("line at the end: the last one", u"ab\ncd"_s, 5, "at", QAccessible::LineBoundary, u"cd"_s, 3);
        row("line before the last", u"ab\ncd"_s, 4, "before", QAccessible::LineBoundary, u"ab\n"_s, 0);
        row("line after a last break: the empty last line", u"ab\n"_s, 0, "after", QAccessible::LineBoundary,
            QString(), 3);
        row("line after the last: nothing", u"ab\ncd"_s, 4, "after", QAccessible::LineBoundary, QString(), -1);
        row("no unit: the whole text", u"ab\ncd"_s, 4, "at", QAccessible::NoBoundary, u"ab\ncd"_s, 0);
        row("offset past the end: nothing", u"ab"_s, 3, "at", QAccessible::WordBoundary, QString(), -1);
    }
    void textAroundAnOffset()
    {
        QFETCH(QString, text);
        QFETCH(int, offset);
        QFETCH(QString, where);
        QFETCH(int, unit);
        QFETCH(QString, answer);
        QFETCH(int, start);
        TextView view;
        show(view, text);
        view.setWordWrap(false);
        QAccessibleTextInterface *face = QAccessible::queryAccessibleInterface(&view)->textInterface();
        QVERIFY(face);
        const auto type = QAccessible::TextBoundaryType(unit);
        int from = -2, to = -2;
        const QString got = where == u"at"       ? face->textAtOffset(offset, type, &from, &to)
                            : where == u"before" ? face->textBeforeOffset(offset, type, &from, &to)
                                                 : face->textAfterOffset(offset, type, &from, &to);
        QCOMPARE(got, answer);
        QCOMPARE(from, start);
        QCOMPARE(to, start < 0 ? -1 : start + int(answer.size()));
    }

    // With wrap on, a line is the row as displayed: every character of it on one row of the
    // screen, the characters on either side of it on others; before and after it, the rows
    // above and below.
    void lineIsTheDisplayedRow()
    {
        TextView view;
        const QString longLine = QString(120, u'あ');
        show(view, longLine + u"\nshort"_s, QSize(200, 300));
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QAccessibleTextInterface *face = QAccessible::queryAccessibleInterface(&view)->textInterface();
        const auto topOf = [&view](int pos) { return view.cursorRect(pos).top(); };
        int previousEnd = 0;
        for (int offset : {0, 30, 60, 119}) {
            int start = -1, end = -1;
            const QString row = face->textAtOffset(offset, QAccessible::LineBoundary, &start, &end);
            QVERIFY2(start <= offset && offset < end && end - start < longLine.size(), qPrintable(row));
            QCOMPARE(row, view.buffer()->text(start, end));
            for (int pos = start; pos < end; ++pos)
                QCOMPARE(topOf(pos), topOf(offset));
            QVERIFY(start == 0 || topOf(start - 1) < topOf(offset));
            QVERIFY(topOf(end) > topOf(offset) || end == longLine.size() + 1);
            QVERIFY(start >= previousEnd);
            previousEnd = end;
            int afterStart = -1, afterEnd = -1;
            face->textAfterOffset(offset, QAccessible::LineBoundary, &afterStart, &afterEnd);
            QCOMPARE(afterStart, end);
        }
        int start = -1, end = -1;
        QCOMPARE(face->textAtOffset(125, QAccessible::LineBoundary, &start, &end), u"short"_s);
        QCOMPARE(face->textBeforeOffset(125, QAccessible::LineBoundary, &start, &end),
                 view.buffer()->text(view.rowStart(view.rowOfPosition(119)), 121));
    }
};

QTEST_MAIN(TestTextViewAccessible)
#include "tst_textviewaccessible.moc"
