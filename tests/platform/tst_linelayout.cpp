// Laying out one line: which characters take the fast road, where rows break (against
// tables and against QTextLayout's own breaking), positions and hit tests, and painting.
// The font is IPAGothic at 16 pixels: ASCII and half-width kana advance 8, full-width
// characters 16, a tab stop every 64.
#include "platform/linelayout.h"
#include "platform/textstyle.h"

#include <QImage>
#include <QPainter>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QChar kEsc81(char16_t(0xEF81));

QFont testFont()
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    return font;
}

QStringList rowTexts(const LineLayout &layout, const QString &text)
{
    QStringList rows;
    for (int row = 0; row < layout.rowCount(); ++row)
        rows.append(text.mid(layout.rowStart(row), layout.rowEnd(row) - layout.rowStart(row)));
    return rows;
}

QList<int> rowStarts(const LineLayout &layout)
{
    QList<int> starts;
    for (int row = 0; row < layout.rowCount(); ++row)
        starts.append(layout.rowStart(row));
    return starts;
}

// Row starts before limit: the rows of a line's first limit characters.
QList<int> startsWithin(const LineLayout &layout, int limit)
{
    QList<int> starts = rowStarts(layout);
    while (starts.size() > 1 && starts.last() >= limit)
        starts.removeLast();
    return starts;
}

// Where QTextLayout itself ends rows of text in the style's font at width.
QList<int> textLayoutStarts(const TextStyle &style, const QString &text, qreal width)
{
    QTextLayout layout(text, style.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(style.tabWidth());
    layout.setTextOption(option);
    layout.beginLayout();
    QList<int> starts;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        starts.append(line.textStart());
    }
    layout.endLayout();
    return starts;
}

// A character no fast road takes: added at a line's end, it sends the line through
// QTextLayout and changes no break before it (at the narrowest widths it may take a row of
// its own).
const QString kForceLayout = QString(QChar(0x200B));

QImage blankImage(int width = 400, int height = 20)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

// Pixels in the columns [x1, x2) of image whose colour is near colour.
int pixelsNear(const QImage &image, int x1, int x2, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = std::max(0, x1); x < std::min(image.width(), x2); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 60 && std::abs(c.green() - colour.green()) < 60
                && std::abs(c.blue() - colour.blue()) < 60)
                ++count;
        }
    }
    return count;
}

int inkPixels(const QImage &image, int x1, int x2)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = std::max(0, x1); x < std::min(image.width(), x2); ++x) {
            if (image.pixelColor(x, y) != QColor(Qt::white))
                ++count;
        }
    }
    return count;
}

} // namespace

class TestLineLayout : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void simpleCharacters_data();
    void simpleCharacters();
    void advances();

    void rows_data();
    void rows();
    void rowsMatchTextLayout_data();
    void rowsMatchTextLayout();
    void layoutRoadMatchesSimpleRoad_data();
    void layoutRoadMatchesSimpleRoad();

    void positions_data();
    void positions();
    void trailingBlanksStopAtWidth();
    void offsetAtXRoundTrip_data();
    void offsetAtXRoundTrip();
    void offsetAtXNearest();
    void rowOfOffset();

    void paintedRunMatchesAdvances();
    void paintHighlights_data();
    void paintHighlights();
    void paintEscapes();
    void paintLongLineOnlyWhereVisible();

private:
    std::unique_ptr<TextStyle> m_style;
};

void TestLineLayout::initTestCase()
{
    m_style = std::make_unique<TextStyle>(testFont());
    QCOMPARE(m_style->advance(u'a'), 8.0);
    QCOMPARE(m_style->advance(u'あ'), 16.0);
    QCOMPARE(m_style->tabWidth(), 64.0);
}

void TestLineLayout::simpleCharacters_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("simple");
    const struct {
        const char *name;
        int code;
        bool simple;
    } cases[] = {
        {"A", 'A', true}, {"tab", '\t', true}, {"tilde", '~', true}, {"e acute", 0xE9, true},
        {"nbsp", 0xA0, true}, {"alpha", 0x3B1, true}, {"cyrillic a", 0x430, true},
        {"ellipsis", 0x2026, true}, {"circled 1", 0x2460, true}, {"box drawing", 0x2500, true},
        {"ideographic space", 0x3000, true}, {"hiragana a", 0x3042, true}, {"katakana a", 0x30A2, true},
        {"kabu", 0x3231, true}, {"ichi", 0x4E00, true}, {"compat ideograph", 0xF929, true},
        {"fullwidth A", 0xFF21, true}, {"halfwidth ka", 0xFF76, true}, {"halfwidth voiced", 0xFF9E, true},
        {"first escape", 0xEF80, true}, {"last escape", 0xEFFF, true},
        {"user-defined first", 0xE000, true}, {"user-defined last", 0xE757, true}, {"vendor PUA", 0xF8F2, true},
        {"NUL", 0x0, false}, {"line feed", '\n', false}, {"carriage return", '\r', false}, {"DEL", 0x7F, false},
        {"C1 control", 0x85, false}, {"soft hyphen", 0xAD, false}, {"combining acute", 0x301, false},
        {"hebrew alef", 0x5D0, false}, {"arabic alef", 0x627, false}, {"devanagari ka", 0x915, false},
        {"thai ko kai", 0xE01, false}, {"hangul jamo", 0x1100, false}, {"zero width space", 0x200B, false},
        {"ZWJ", 0x200D, false}, {"LRM", 0x200E, false}, {"line separator", 0x2028, false},
        {"combining dakuten", 0x3099, false}, {"PUA past CP932", 0xE758, false}, {"PUA before escapes", 0xEF7F, false},
        {"high surrogate", 0xD83D, false}, {"low surrogate", 0xDE00, false}, {"variation selector", 0xFE0F, false},
        {"BOM", 0xFEFF, false}, {"replacement", 0xFFFD, false},
    };
    for (const auto &c : cases)
        QTest::newRow(c.name) << c.code << c.simple;
}

void TestLineLayout::simpleCharacters()
{
    QFETCH(int, code);
    QFETCH(bool, simple);
    QCOMPARE(TextStyle::isSimple(char16_t(code)), simple);
}

// Cached advances are the font's, an escape takes a full-width cell, and a cached value
// reads back the same.
void TestLineLayout::advances()
{
    const QFontMetricsF &metrics = m_style->metrics();
    for (const char16_t c : {u'a', u'W', u' ', u'あ', u'漢', u'ｱ', u'①', u'─', u'Å'}) {
        QCOMPARE(m_style->advance(c), metrics.horizontalAdvance(QChar(c)));
        QCOMPARE(m_style->advance(c), metrics.horizontalAdvance(QChar(c)));  // cached
    }
    QCOMPARE(m_style->advance(0xEF80), metrics.horizontalAdvance(QChar(0x3000)));
    QCOMPARE(m_style->advance(0xEFFF), m_style->advance(0xEF80));
    QCOMPARE(m_style->tabWidth(), 8 * metrics.horizontalAdvance(QLatin1Char(' ')));
    QVERIFY(!m_style->font().kerning());
    QVERIFY(m_style->font().styleStrategy() & QFont::PreferNoShaping);
}

void TestLineLayout::rows_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<QStringList>("rows");
    const QString esc2 = QString(kEsc81) + kEsc81;
    QTest::newRow("empty") << QString() << 100.0 << QStringList{QString()};
    QTest::newRow("fits") << "hello world" << 88.0 << QStringList{"hello world"};
    QTest::newRow("words") << "hello world foo" << 80.0 << QStringList{"hello ", "world foo"};
    QTest::newRow("spaces hang") << "abcd    efgh" << 40.0 << QStringList{"abcd    ", "efgh"};
    QTest::newRow("word longer than width") << "abcdefghijkl" << 40.0 << QStringList{"abcde", "fghij", "kl"};
    QTest::newRow("long word starts a row") << "ab cdefghijkl" << 40.0 << QStringList{"ab ", "cdefg", "hijkl"};
    QTest::newRow("narrower than a character") << "abc" << 3.0 << QStringList{"a", "b", "c"};
    QTest::newRow("japanese") << "あいうえおかきく" << 64.0 << QStringList{"あいうえ", "おかきく"};
    QTest::newRow("japanese not a multiple") << "あいうえおかきく" << 70.0 << QStringList{"あいうえ", "おかきく"};
    QTest::newRow("comma goes down with the character before") << "あいうえ、かき" << 64.0 << QStringList{"あいう", "え、かき"};
    QTest::newRow("full stop and bracket") << "あいうえ。」かき" << 64.0 << QStringList{"あいう", "え。」か", "き"};
    QTest::newRow("opening bracket goes down") << "あい「うえお」" << 48.0 << QStringList{"あい", "「うえ", "お」"};
    QTest::newRow("small kana and long mark") << "ちょっとまってー" << 48.0 << QStringList{"ちょっ", "とまっ", "てー"};
    QTest::newRow("lone character cannot go down") << "あ、" << 16.0 << QStringList{"あ", "、"};
    QTest::newRow("ideographic space hangs") << "あいう　えお" << 48.0 << QStringList{"あいう　", "えお"};
    QTest::newRow("ascii next to kanji") << "abc漢字def" << 40.0 << QStringList{"abc漢", "字def"};
    QTest::newRow("kanji then ascii") << "漢字abcdef" << 40.0 << QStringList{"漢字", "abcde", "f"};
    QTest::newRow("ascii closing after kanji") << "あいう)えお" << 48.0 << QStringList{"あい", "う)え", "お"};
    QTest::newRow("bracketed word") << "abc (def)" << 64.0 << QStringList{"abc ", "(def)"};
    QTest::newRow("half-width kana") << "ﾃﾞｰﾀﾍﾞｰｽ" << 24.0 << QStringList{"ﾃﾞｰ", "ﾀ", "ﾍﾞｰ", "ｽ"};
    QTest::newRow("voiced mark stays with its kana") << "ﾃﾞﾃﾞ" << 8.0 << QStringList{"ﾃﾞ", "ﾃﾞ"};
    QTest::newRow("quotes stay with both sides") << "あいう“えお”" << 64.0 << QStringList{"あい", "う“え", "お”"};
    QTest::newRow("closing after a blank may start a row") << "ab cd )" << 40.0 << QStringList{"ab cd ", ")"};
    QTest::newRow("tab stops") << "\tab\tc" << 200.0 << QStringList{"\tab\tc"};
    QTest::newRow("tab hangs") << "\tab\tc" << 100.0 << QStringList{"\tab\t", "c"};
    QTest::newRow("tab measured from its row") << "abcdefgh ij\tk" << 72.0 << QStringList{"abcdefgh ", "ij\tk"};
    QTest::newRow("escapes are a word") << esc2 + esc2 + esc2 << 40.0 << QStringList{esc2, esc2, esc2};
    QTest::newRow("escapes in a word") << "ab" + esc2 + "cd ef" << 60.0 << QStringList{"ab" + esc2 + "c", "d ef"};
    QTest::newRow("escapes hang nothing") << "ab" + esc2 + "cd ef" << 64.0 << QStringList{"ab" + esc2 + "cd ", "ef"};
}

void TestLineLayout::rows()
{
    QFETCH(QString, text);
    QFETCH(qreal, width);
    QFETCH(QStringList, rows);
    const LineLayout layout(*m_style, text, width, true);
    QCOMPARE(rowTexts(layout, text), rows);
    QCOMPARE(LineLayout::countRows(*m_style, text, width, true), rows.size());
    QCOMPARE(layout.length(), text.size());
    // The same through QTextLayout, where the character added may take a row of its own.
    const LineLayout forced(*m_style, text + kForceLayout, width, true);
    QCOMPARE(startsWithin(forced, text.size()), rowStarts(layout));
    QCOMPARE(LineLayout::countRows(*m_style, text + kForceLayout, width, true), forced.rowCount());
}

// Where the rules here and QTextLayout's (the Unicode line-breaking rules) both apply, they
// end rows at the same places: prose, Japanese with its punctuation, half-width kana, code.
void TestLineLayout::rowsMatchTextLayout_data()
{
    QTest::addColumn<QString>("text");
    const char16_t *const phrases[] = {
        u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。",
        u"何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。",
        u"東京都千代田区の会議室で、来週の打ち合わせについて確認します。",
        u"ﾃﾞｰﾀﾍﾞｰｽのﾊﾞｯｸｱｯﾌﾟを取得しました。（注）本資料は社外秘です。",
        u"ＰＫＬ登録の手順：「保存」ボタンを押してください。第３章　実験の結果と考察",
        u"int main(void) { return 0; } 2024年4月1日（月）午前10時",
        u"①②③　ⅰⅱⅲ　㈱㈲ 漢字・ひらがな・カタカナ    インデントされた行",
        u"\t表の列\t値\t備考",
        u"The quick brown fox jumps over the lazy dog; pack my box with five dozen liquor jugs.",
        u"Mixed 日本語 and English, words（括弧）and “quotes” in one line: 100% sure.",
        u"ちょっと待ってください……ええ、そうです‥‥ァィゥェォ々ゝ〜ー",
    };
    for (const char16_t *phrase : phrases)
        QTest::newRow(QString::fromUtf16(phrase).left(12).toUtf8().constData()) << QString::fromUtf16(phrase);
}

void TestLineLayout::rowsMatchTextLayout()
{
    QFETCH(QString, text);
    for (qreal width = 17; width <= 700; width += 9.5) {
        const LineLayout layout(*m_style, text, width, true);
        QCOMPARE(rowStarts(layout), textLayoutStarts(*m_style, text, width));
    }
}

// The same rows and positions whichever road a line takes; escapes keep their width there.
void TestLineLayout::layoutRoadMatchesSimpleRoad_data()
{
    rowsMatchTextLayout_data();
    QTest::newRow("escapes") << u"エスケープ"_s + kEsc81 + QChar(0xEFFE) + u"のある行 ab"_s + kEsc81 + u"cd"_s;
    QTest::newRow("user-defined") << u"外字\uE000\uE001を含む行"_s;
}

void TestLineLayout::layoutRoadMatchesSimpleRoad()
{
    QFETCH(QString, text);
    for (qreal width = 30; width <= 500; width += 23.25) {
        const LineLayout simple(*m_style, text, width, true);
        const LineLayout laidOut(*m_style, text + kForceLayout, width, true);
        QCOMPARE(startsWithin(laidOut, text.size()), rowStarts(simple));
        for (int row = 0; row < simple.rowCount(); ++row) {
            for (int offset = simple.rowStart(row); offset < simple.rowEnd(row); ++offset) {
                if (text.at(offset) == QChar(0xFF9E) || text.at(offset) == QChar(0xFF9F))
                    continue;  // inside a cluster QTextLayout will not enter
                QCOMPARE(laidOut.xOfOffset(row, offset), simple.xOfOffset(row, offset));
            }
        }
    }
}

void TestLineLayout::positions_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("width");
    QTest::addColumn<QList<qreal>>("xs");  // of every offset, each in the row that holds it
    QTest::addColumn<QList<qreal>>("rowWidths");
    QTest::newRow("ascii") << "abc" << 100.0 << QList<qreal>{0, 8, 16, 24} << QList<qreal>{24};
    QTest::newRow("mixed") << "aあb" << 100.0 << QList<qreal>{0, 8, 24, 32} << QList<qreal>{32};
    QTest::newRow("tab to next stop") << "a\tb" << 200.0 << QList<qreal>{0, 8, 64, 72} << QList<qreal>{72};
    QTest::newRow("tab at a stop") << "abcdefgh\tX" << 200.0
                                   << QList<qreal>{0, 8, 16, 24, 32, 40, 48, 56, 64, 128, 136} << QList<qreal>{136};
    QTest::newRow("escape cell") << QString("a") + kEsc81 + "b" << 100.0 << QList<qreal>{0, 8, 24, 32} << QList<qreal>{32};
    QTest::newRow("second row from zero") << "ab cd" << 20.0 << QList<qreal>{0, 8, 16, 0, 8, 16} << QList<qreal>{20, 16};
    QTest::newRow("tab in second row") << "abcdefgh i\tj" << 72.0
                                       << QList<qreal>{0, 8, 16, 24, 32, 40, 48, 56, 64, 0, 8, 64, 72}
                                       << QList<qreal>{72, 72};
}

void TestLineLayout::positions()
{
    QFETCH(QString, text);
    QFETCH(qreal, width);
    QFETCH(QList<qreal>, xs);
    QFETCH(QList<qreal>, rowWidths);
    for (const QString &suffix : {QString(), kForceLayout}) {
        const LineLayout layout(*m_style, text + suffix, width, true);
        QCOMPARE(layout.rowCount(), rowWidths.size());
        for (int offset = 0; offset <= text.size(); ++offset)
            QCOMPARE(layout.xOfOffset(layout.rowOfOffset(offset), offset), xs.at(offset));
        for (int row = 0; row < layout.rowCount(); ++row)
            QCOMPARE(layout.rowWidth(row), rowWidths.at(row));
    }
}

// Blanks hanging past the width stop there with wrapping; without it they go on.
void TestLineLayout::trailingBlanksStopAtWidth()
{
    const QString text = QStringLiteral("abcd      efgh");
    const LineLayout wrapped(*m_style, text, 60, true);
    QCOMPARE(rowTexts(wrapped, text), (QStringList{"abcd      ", "efgh"}));
    QCOMPARE(wrapped.rowWidth(0), 60.0);
    QCOMPARE(wrapped.xOfOffset(0, 6), 48.0);
    QCOMPARE(wrapped.xOfOffset(0, 9), 60.0);
    QCOMPARE(wrapped.xOfOffset(0, 10), 60.0);
    const LineLayout laidOut(*m_style, text + kForceLayout, 60, true);
    QCOMPARE(laidOut.rowWidth(0), 60.0);
    QCOMPARE(laidOut.xOfOffset(0, 9), 60.0);
    const LineLayout unwrapped(*m_style, text, 60, false);
    QCOMPARE(unwrapped.xOfOffset(0, 10), 80.0);
    QCOMPARE(unwrapped.rowWidth(0), 112.0);
}

void TestLineLayout::offsetAtXRoundTrip_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qreal>("width");
    QTest::newRow("prose") << "The quick brown fox jumps over the lazy dog" << 100.0;
    QTest::newRow("japanese") << "吾輩は猫である。名前はまだ無い。" << 90.0;
    QTest::newRow("tabs and escapes") << QString("a\tbc\td") + kEsc81 + "e f\tg" << 150.0;
    QTest::newRow("unwrapped") << "あいうえお abc かきくけこ" << 0.0;
    QTest::newRow("combining marks") << u"cafe\u0301 na\u0308ive re\u0301sume\u0301 e\u0301e\u0301"_s << 60.0;
    QTest::newRow("surrogates") << u"ab\U0001F600cd\U0001F600 ef\U00020B9F"_s << 50.0;
}

// Every position a caret can take maps to an x that maps back to it.
void TestLineLayout::offsetAtXRoundTrip()
{
    QFETCH(QString, text);
    QFETCH(qreal, width);
    for (const QString &suffix : {QString(), kForceLayout}) {
        const QString line = text + suffix;
        const LineLayout layout(*m_style, line, width, width > 0);
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, line);
        for (int row = 0; row < layout.rowCount(); ++row) {
            const bool last = row + 1 == layout.rowCount();
            const int end = last ? layout.rowEnd(row) : layout.rowEnd(row) - 1;
            for (int offset = layout.rowStart(row); offset <= end; ++offset) {
                graphemes.setPosition(offset);
                if (!graphemes.isAtBoundary())
                    continue;
                const qreal x = layout.xOfOffset(row, offset);
                const int next = int(graphemes.toNextBoundary());
                if (next > 0 && next <= end && layout.xOfOffset(row, next) == x)
                    continue;  // a zero-width character, or blanks stopped at the width: either side is right
                QCOMPARE(layout.offsetAtX(row, x), offset);
                QCOMPARE(layout.offsetAtX(row, x + 0.4), offset);
            }
        }
    }
}

void TestLineLayout::offsetAtXNearest()
{
    for (const QString &suffix : {QString(), kForceLayout}) {
        const QString text = "abc def ghi" + suffix;
        const LineLayout layout(*m_style, text, 40, true);
        QCOMPARE(rowTexts(layout, text).mid(0, 2), (QStringList{"abc ", "def "}));
        QCOMPARE(layout.offsetAtX(0, -10), 0);
        QCOMPARE(layout.offsetAtX(0, 3.9), 0);   // left half of 'a'
        QCOMPARE(layout.offsetAtX(0, 4.1), 1);   // right half
        QCOMPARE(layout.offsetAtX(0, 1000), 3);  // past a row's end: before its last character
        QCOMPARE(layout.offsetAtX(1, 1000), 7);
        QCOMPARE(layout.offsetAtX(2, 1000), text.size());
    }
}

void TestLineLayout::rowOfOffset()
{
    const QString text = QStringLiteral("abc def ghi");
    const LineLayout layout(*m_style, text, 40, true);
    const int expected[] = {0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2};
    for (int offset = 0; offset <= text.size(); ++offset)
        QCOMPARE(layout.rowOfOffset(offset), expected[offset]);
}

// A run drawn in one call lands where the cached advances put each character.
void TestLineLayout::paintedRunMatchesAdvances()
{
    const QString text = QStringLiteral("Hello, 世界! ﾃﾞｰﾀ ①② Ωж テスト…");
    const LineLayout layout(*m_style, text, 0, false);
    QImage whole = blankImage(500, 24);
    {
        QPainter painter(&whole);
        painter.setPen(Qt::black);
        layout.paintRow(painter, 0, QPointF(3, 2));
    }
    QImage single = blankImage(500, 24);
    {
        QPainter painter(&single);
        painter.setPen(Qt::black);
        for (int i = 0; i < text.size(); ++i) {
            const LineLayout one(*m_style, text.mid(i, 1), 0, false);
            one.paintRow(painter, 0, QPointF(3 + layout.xOfOffset(0, i), 2));
        }
    }
    QVERIFY(inkPixels(whole, 0, 500) > 200);
    QCOMPARE(whole, single);
}

void TestLineLayout::paintHighlights_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("simple") << QString();
    QTest::newRow("laid out") << kForceLayout;
}

// Selection colours cover exactly their range: background and text inside, the pen outside;
// an underline runs under its range only.
void TestLineLayout::paintHighlights()
{
    QFETCH(QString, suffix);
    const QString text = QStringLiteral("WWWW WWWW WWWW") + suffix;  // highlight the middle word and its spaces
    const LineLayout layout(*m_style, text, 0, false);
    const QColor back(0, 0, 160);
    const QColor ink(255, 255, 0);
    QImage image = blankImage(200, 18);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        LineLayout::Highlight selection;
        selection.from = 4;
        selection.to = 10;
        selection.background = back;
        selection.text = ink;
        layout.paintRow(painter, 0, QPointF(0, 0), {selection});
    }
    const int x4 = int(layout.xOfOffset(0, 4));
    const int x10 = int(layout.xOfOffset(0, 10));
    QCOMPARE(x4, 32);
    QCOMPARE(x10, 80);
    QVERIFY(pixelsNear(image, 0, x4, Qt::black) > 20);
    QCOMPARE(pixelsNear(image, 0, x4 - 1, back), 0);
    QCOMPARE(pixelsNear(image, 0, x4 - 1, ink), 0);
    QCOMPARE(pixelsNear(image, x4, x4 + 8, back), 8 * 18);  // the space before the word
    QVERIFY(pixelsNear(image, x4 + 8, x10 - 8, ink) > 20);
    QCOMPARE(pixelsNear(image, x4 + 8, x10 - 8, Qt::black), 0);
    QVERIFY(pixelsNear(image, x10 + 1, 120, Qt::black) > 20);
    QCOMPARE(pixelsNear(image, x10 + 1, 200, back), 0);
    QCOMPARE(pixelsNear(image, x10 + 1, 200, ink), 0);

    // under blanks, so that glyphs do not hide it
    const LineLayout spaced(*m_style, "WW      WW" + suffix, 0, false);
    QImage underlined = blankImage(200, 18);
    {
        QPainter painter(&underlined);
        painter.setPen(Qt::black);
        LineLayout::Highlight composing;
        composing.from = 3;
        composing.to = 5;
        composing.underline = true;
        composing.text = Qt::red;
        spaced.paintRow(painter, 0, QPointF(0, 0), {composing});
    }
    QVERIFY(pixelsNear(underlined, 25, 39, Qt::red) >= 14);
    QCOMPARE(inkPixels(underlined, 17, 23), 0);
    QCOMPARE(inkPixels(underlined, 41, 63), 0);
}

// An escape is a box with its byte in hex: two different bytes look different, the box
// fills its cell, and nothing of it leaks into the next cell.
void TestLineLayout::paintEscapes()
{
    for (const QString &suffix : {QString(), kForceLayout}) {
        auto paint = [&](QChar escape) {
            const LineLayout layout(*m_style, QString("a") + escape + "b" + suffix, 0, false);
            QImage image = blankImage(60, 18);
            QPainter painter(&image);
            painter.setPen(Qt::black);
            layout.paintRow(painter, 0, QPointF(0, 0));
            return image;
        };
        const QImage a = paint(QChar(0xEF81));
        const QImage b = paint(QChar(0xEFA5));
        QVERIFY(a != b);
        QCOMPARE(a.copy(0, 0, 8, 18), b.copy(0, 0, 8, 18));    // 'a'
        QCOMPARE(a.copy(24, 0, 36, 18), b.copy(24, 0, 36, 18));  // 'b' and beyond
        QVERIFY(a.pixelColor(9, 9) != QColor(Qt::white));        // the box's left side
        QVERIFY(inkPixels(a, 11, 22) > 10);                      // the digits
    }
}

// A long line without wrapping, seen far to the right, shows the same as that part alone.
void TestLineLayout::paintLongLineOnlyWhereVisible()
{
    const QString chunk = QStringLiteral("abcdefghij漢字かな");
    const QString text = chunk.repeated(20000);
    const LineLayout layout(*m_style, text, 0, false);
    const int offset = chunk.size() * 12345;
    const qreal shift = layout.xOfOffset(0, offset);
    QImage far = blankImage(300, 18);
    {
        QPainter painter(&far);
        painter.setPen(Qt::black);
        painter.translate(-shift - 1000, 0);
        layout.paintRow(painter, 0, QPointF(1000, 0));
    }
    const LineLayout part(*m_style, chunk.repeated(4), 0, false);
    QImage near = blankImage(300, 18);
    {
        QPainter painter(&near);
        painter.setPen(Qt::black);
        part.paintRow(painter, 0, QPointF(0, 0));
    }
    QVERIFY(inkPixels(near, 0, 300) > 200);
    QCOMPARE(far, near);
}

QTEST_MAIN(TestLineLayout)
#include "tst_linelayout.moc"
