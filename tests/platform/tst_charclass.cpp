// The one sorting of characters, where moves by word, whole-word find and row breaks differ:
// each row is a character with what each of the three takes it for.
#include "platform/engine/charclass.h"

#include <QTest>

using namespace Qt::StringLiterals;
using Kind = CharClass::Kind;

class TestCharClass : public QObject {
    Q_OBJECT

private slots:
    // kind: what moves by word take every code unit for; word: whether find takes the code
    // point as a word character; flags: the row-break classes of every code unit.
    void threeReadings_data()
    {
        QTest::addColumn<QString>("ch");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("word");
        QTest::addColumn<int>("flags");
        const auto row = [](const char *name, const QString &ch, Kind kind, bool word, int flags) {
            QTest::newRow(name) << ch << kind << word << flags;
        };
        constexpr int none = 0;
        // the same for all three
        row("letter", u"a"_s, Kind::Word, true, none);
        row("underscore", u"_"_s, Kind::Word, true, none);
        row("opening bracket", u"("_s, Kind::Other, false, CharClass::kNoBreakAfter);
        row("line break", u"\n"_s, Kind::Break, false, none);
        row("space", u" "_s, Kind::Blank, false, CharClass::kBlank);
        row("ideographic space", u"\u3000"_s, Kind::Blank, false, CharClass::kBlank | CharClass::kCjk);
        // scripts: one word for find, runs of their own for moves, breakable for rows
        row("kanji", u"日"_s, Kind::Kanji, true, CharClass::kCjk);
        row("iteration mark", u"々"_s, Kind::Kanji, true, CharClass::kCjk | CharClass::kNoBreakBefore);
        row("hiragana", u"あ"_s, Kind::Hiragana, true, CharClass::kCjk);
        row("small hiragana", u"ゃ"_s, Kind::Hiragana, true, CharClass::kCjk | CharClass::kNoBreakBefore);
        row("combining sound mark", u"\u3099"_s, Kind::Hiragana, true, CharClass::kCjk);
        row("katakana", u"ア"_s, Kind::Katakana, true, CharClass::kCjk);
        row("long vowel mark", u"ー"_s, Kind::Katakana, true, CharClass::kCjk | CharClass::kNoBreakBefore);
        row("half-width katakana", u"ﾃ"_s, Kind::Katakana, true, CharClass::kCjk);
        row("half-width sound mark", u"ﾞ"_s, Kind::Katakana, true,
            CharClass::kCjk | CharClass::kNoBreakBefore | CharClass::kGlue);
        row("full-width letter", u"Ａ"_s, Kind::Word, true, CharClass::kCjk);
        row("hangul", u"가"_s, Kind::Word, true, CharClass::kCjk);
        // members of the kana blocks that are no letters: in the kana run, no word for find
        row("spacing sound mark", u"゛"_s, Kind::Hiragana, false, CharClass::kCjk | CharClass::kNoBreakBefore);
        row("middle dot", u"・"_s, Kind::Katakana, false, CharClass::kCjk | CharClass::kNoBreakBefore);
        row("double hyphen", u"゠"_s, Kind::Katakana, false, CharClass::kCjk | CharClass::kNoBreakBefore);
        // outside the BMP: moves see two word units whatever the character, find the code point
        row("kanji outside the BMP", u"\U00020BB7"_s, Kind::Word, true, none);
        row("emoji", u"\U0001F600"_s, Kind::Word, false, none);
        // typographic spaces: blanks for rows only, the figure space not even there
        row("en space", u"\u2002"_s, Kind::Other, false, CharClass::kBlank);
        row("medium mathematical space", u"\u205F"_s, Kind::Other, false, CharClass::kBlank);
        row("figure space", u"\u2007"_s, Kind::Other, false, CharClass::kJoin);
        row("no-break space", u"\u00A0"_s, Kind::Other, false, CharClass::kJoin);
    }

    void threeReadings()
    {
        QFETCH(QString, ch);
        QFETCH(Kind, kind);
        QFETCH(int, flags);
        for (const QChar unit : std::as_const(ch)) {
            QCOMPARE(CharClass::kindOf(unit.unicode()), kind);
            QCOMPARE(int(CharClass::breakFlags(unit.unicode())), flags);
        }
        const QList<uint> codePoints = ch.toUcs4();
        QCOMPARE(codePoints.size(), 1);
        QTEST(CharClass::isWordChar(char32_t(codePoints.first())), "word");
    }

    // Where rows may break against where moves see a word's edge.
    void rowBreaksAgainstWords_data()
    {
        QTest::addColumn<QString>("pair");
        QTest::addColumn<bool>("rowBreak");
        QTest::addColumn<bool>("wordEdge");
        QTest::newRow("inside a run of kanji") << u"日本"_s << true << false;
        QTest::newRow("kanji to hiragana") << u"本の"_s << true << true;
        QTest::newRow("inside a word of letters") << u"ab"_s << false << false;
        QTest::newRow("after a space") << u" a"_s << true << true;
        QTest::newRow("before a space") << u"a "_s << false << true;
        QTest::newRow("before the long vowel mark") << u"デー"_s << false << false;
        QTest::newRow("before a closing bracket") << u"日」"_s << false << true;
        QTest::newRow("after an opening bracket") << u"「日"_s << false << true;
    }

    void rowBreaksAgainstWords()
    {
        QFETCH(QString, pair);
        const char16_t a = pair[0].unicode(), b = pair[1].unicode();
        QTEST(CharClass::breakBetween(CharClass::breakFlags(a), CharClass::breakFlags(b)), "rowBreak");
        QTEST(CharClass::kindOf(a) != CharClass::kindOf(b), "wordEdge");
    }
};

QTEST_MAIN(TestCharClass)
#include "tst_charclass.moc"
