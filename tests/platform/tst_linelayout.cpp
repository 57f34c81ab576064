// Laying out one line: which characters take the fast road, where rows break (against
// tables and against QTextLayout's own breaking), positions and hit tests, and painting.
// The font is IPAGothic at 16 pixels: ASCII and half-width kana advance 8, full-width
// characters 16, a tab stop every 64.
#include "platform/engine/charclass.h"
#include "platform/engine/linelayout.h"
#include "platform/engine/textstyle.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using Xs = QList<qreal>;

namespace {

const QChar kEsc81(char16_t(0xEF81));

// A character no fast road takes: added at a line's end, it sends the line through
// QTextLayout and changes no break before it (at the narrowest widths it may take a row of
// its own). Tests run each line as it is and with it.
const QString kForceLayout = QString(QChar(0x200B));
const QString kRoads[] = {QString(), kForceLayout};

// Row starts before limit (all with the default): the rows of a line's first limit characters.
QList<int> rowStarts(const LineLayout &layout, int limit = INT_MAX)
{
    QList<int> starts;
    for (int row = 0; row < layout.rowCount() && (row == 0 || layout.rowStart(row) < limit); ++row)
        starts.append(layout.rowStart(row));
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

// A white image with what paint draws on it, the pen black.
QImage painted(int width, int height, const std::function<void(QPainter &)> &paint)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    paint(painter);
    return image;
}

// Pixels in the columns [x1, x2) whose colour is near colour, or (colour invalid) not white.
int pixels(const QImage &image, int x1, int x2, const QColor &colour = {})
{
    const auto near = [&](const QColor &c) {
        return std::max({std::abs(c.red() - colour.red()), std::abs(c.green() - colour.green()),
                         std::abs(c.blue() - colour.blue())}) < 60;
    };
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = std::max(0, x1); x < std::min(image.width(), x2); ++x)
            count += colour.isValid() ? near(image.pixelColor(x, y)) : image.pixelColor(x, y) != QColor(Qt::white);
    }
    return count;
}

} // namespace

class TestLineLayout : public QObject {
    Q_OBJECT

    std::unique_ptr<TextStyle> m_style;

private slots:
    void initTestCase()
    {
        QFont font(u"IPAGothic"_s);
        font.setPixelSize(16);
        m_style = std::make_unique<TextStyle>(font);
        QCOMPARE(m_style->advance(u'a'), 8.0);
        QCOMPARE(m_style->advance(u'あ'), 16.0);
        QCOMPARE(m_style->tabWidth(), 64.0);
    }

    // The fast road takes what CP932 holds and the escapes; controls, marks that combine,
    // right-to-left and joining scripts, format characters, separators, surrogates and other
    // private-use characters go through QTextLayout.
    void simpleCharacters()
    {
        for (const int c : {int('A'), int('\t'), int('~'), 0xE9, 0xA0, 0x3B1, 0x430, 0x2026, 0x2460, 0x2500, 0x3000,
                            0x3042, 0x30A2, 0x3231, 0x4E00, 0xF929, 0xFF21, 0xFF76, 0xFF9E, 0xEF80, 0xEFFF, 0xE000,
                            0xE757, 0xF8F2})
            QVERIFY2(TextStyle::isSimple(char16_t(c)), qPrintable(QString::number(c, 16)));
        for (const int c : {0x0, int('\n'), int('\r'), 0x7F, 0x85, 0xAD, 0x301, 0x5D0, 0x627, 0x915, 0xE01, 0x1100,
                            0x200B, 0x200D, 0x200E, 0x2028, 0x3099, 0xE758, 0xEF7F, 0xD83D, 0xDE00, 0xFE0F, 0xFEFF,
                            0xFFFD})
            QVERIFY2(!TextStyle::isSimple(char16_t(c)), qPrintable(QString::number(c, 16)));
    }

    // What the prose of roadsMatchTextLayout does not reach: widths below a character, glued
    // marks, blanks and tabs hanging, escapes.
    void rows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<QStringList>("rows");
        const QString esc2 = QString(kEsc81) + kEsc81, escWord = "ab" + esc2 + "cd ef";
        QTest::newRow("empty") << QString() << 100.0 << QStringList{QString()};
        QTest::newRow("spaces hang") << "abcd    efgh" << 40.0 << QStringList{"abcd    ", "efgh"};
        QTest::newRow("word longer than width") << "abcdefghijkl" << 40.0 << QStringList{"abcde", "fghij", "kl"};
        QTest::newRow("long word starts a row") << "ab cdefghijkl" << 40.0 << QStringList{"ab ", "cdefg", "hijkl"};
        QTest::newRow("narrower than a character") << "abc" << 3.0 << QStringList{"a", "b", "c"};
        QTest::newRow("lone character cannot go down") << "あ、" << 16.0 << QStringList{"あ", "、"};
        QTest::newRow("ascii closing after kanji") << "あいう)えお" << 48.0 << QStringList{"あい", "う)え", "お"};
        QTest::newRow("voiced mark stays with its kana") << "ﾃﾞﾃﾞ" << 8.0 << QStringList{"ﾃﾞ", "ﾃﾞ"};
        QTest::newRow("closing after a blank may start a row") << "ab cd )" << 40.0 << QStringList{"ab cd ", ")"};
        QTest::newRow("tab stops") << "\tab\tc" << 200.0 << QStringList{"\tab\tc"};
        QTest::newRow("tab hangs") << "\tab\tc" << 100.0 << QStringList{"\tab\t", "c"};
        QTest::newRow("tab measured from its row") << "abcdefgh ij\tk" << 72.0 << QStringList{"abcdefgh ", "ij\tk"};
        QTest::newRow("escapes are a word") << esc2 + esc2 + esc2 << 40.0 << QStringList{esc2, esc2, esc2};
        QTest::newRow("escapes in a word") << escWord << 60.0 << QStringList{"ab" + esc2 + "c", "d ef"};
        QTest::newRow("escapes hang nothing") << escWord << 64.0 << QStringList{"ab" + esc2 + "cd ", "ef"};
    }

    // The rows on both roads (through QTextLayout the character added may take a row of its own).
    void rows()
    {
        QFETCH(QString, text);
        QFETCH(qreal, width);
        QFETCH(QStringList, rows);
        const LineLayout layout(*m_style, text, width, true);
        const LineLayout forced(*m_style, text + kForceLayout, width, true);
        QStringList got;
        for (int row = 0; row < layout.rowCount(); ++row)
            got.append(text.mid(layout.rowStart(row), layout.rowEnd(row) - layout.rowStart(row)));
        QCOMPARE(got, rows);
        QCOMPARE(LineLayout::countRows(*m_style, text, width, true), rows.size());
        QCOMPARE(layout.length(), text.size());
        QCOMPARE(rowStarts(forced, int(text.size())), rowStarts(layout));
        QCOMPARE(LineLayout::countRows(*m_style, text + kForceLayout, width, true), forced.rowCount());
    }

    // Prose, Japanese with its punctuation, half-width kana, code, at every width: the fast road
    // ends rows where QTextLayout's Unicode line breaking does (for lines QTextLayout can show by
    // itself), and the road through QTextLayout gives the same rows and positions.
    void roadsMatchTextLayout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("plain");  // without escapes and user-defined characters
        for (const QString &phrase : {u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"_s,
                                      u"何でも薄暗いじめじめした所でニャーニャー泣いていた事だけは記憶している。"_s,
                                      u"東京都千代田区の会議室で、来週の打ち合わせについて確認します。"_s,
                                      u"ﾃﾞｰﾀﾍﾞｰｽのﾊﾞｯｸｱｯﾌﾟを取得しました。（注）本資料は社外秘です。"_s,
                                      u"ＰＫＬ登録の手順：「保存」ボタンを押してください。第３章　実験の結果と考察"_s,
                                      u"int main(void) { return 0; } 2024年4月1日（月）午前10時"_s,
                                      u"①②③　ⅰⅱⅲ　㈱㈲ 漢字・ひらがな・カタカナ    インデントされた行"_s,
                                      u"\t表の列\t値\t備考"_s,
                                      u"The quick brown fox jumps over the lazy dog; "
                                      u"pack my box with five dozen liquor jugs."_s,
                                      u"Mixed 日本語 and English, words（括弧）and “quotes” in one line: 100% sure."_s,
                                      u"ちょっと待ってください……ええ、そうです‥‥ァィゥェォ々ゝ〜ー"_s,
                                      u"あいう“えお”「かき」くけ、こ。さしすせそたちつてと"_s})
            QTest::newRow(phrase.left(12).toUtf8().constData()) << phrase << true;
        QTest::newRow("escapes") << u"エスケープ"_s + kEsc81 + QChar(0xEFFE) + u"のある行 ab"_s + kEsc81 + u"cd"_s << false;
        QTest::newRow("user-defined") << u"外字\uE000\uE001を含む行"_s << false;
    }

    void roadsMatchTextLayout()
    {
        QFETCH(QString, text);
        QFETCH(bool, plain);
        for (qreal width = 17; width <= 700; width += 9.5) {
            const LineLayout simple(*m_style, text, width, true);
            if (plain)
                QCOMPARE(rowStarts(simple), textLayoutStarts(*m_style, text, width));
            const LineLayout laidOut(*m_style, text + kForceLayout, width, true);
            QCOMPARE(rowStarts(laidOut, int(text.size())), rowStarts(simple));
            for (int row = 0; row < simple.rowCount(); ++row) {
                for (int offset = simple.rowStart(row); offset < simple.rowEnd(row); ++offset) {
                    // not inside a cluster QTextLayout will not enter
                    if (text.at(offset) != QChar(0xFF9E) && text.at(offset) != QChar(0xFF9F))
                        QCOMPARE(laidOut.xOfOffset(row, offset), simple.xOfOffset(row, offset));
                }
            }
        }
    }

    // The x of every offset in the row that holds it, and each row's width, on both roads.
    // Blanks hanging past the width stop there, so that a caret among them stays in view;
    // without wrapping they go on.
    void positions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<Xs>("xs");
        QTest::addColumn<Xs>("rowWidths");
        QTest::newRow("ascii") << "abc" << 100.0 << Xs{0, 8, 16, 24} << Xs{24};
        QTest::newRow("mixed") << "aあb" << 100.0 << Xs{0, 8, 24, 32} << Xs{32};
        QTest::newRow("tab to next stop") << "a\tb" << 200.0 << Xs{0, 8, 64, 72} << Xs{72};
        QTest::newRow("tab at a stop") << "abcdefgh\tX" << 200.0 << Xs{0, 8, 16, 24, 32, 40, 48, 56, 64, 128, 136}
                                       << Xs{136};
        QTest::newRow("escape cell") << QString("a") + kEsc81 + "b" << 100.0 << Xs{0, 8, 24, 32} << Xs{32};
        QTest::newRow("second row from zero") << "ab cd" << 20.0 << Xs{0, 8, 16, 0, 8, 16} << Xs{20, 16};
        QTest::newRow("tab in second row") << "abcdefgh i\tj" << 72.0
                                           << Xs{0, 8, 16, 24, 32, 40, 48, 56, 64, 0, 8, 64, 72} << Xs{72, 72};
        QTest::newRow("blanks stop at the width") << "abcd      efgh" << 60.0
                                                  << Xs{0, 8, 16, 24, 32, 40, 48, 56, 60, 60, 0, 8, 16, 24, 32}
                                                  << Xs{60, 32};
        QTest::newRow("blanks go on without wrapping") << "abcd      efgh" << 0.0
                                                       << Xs{0, 8, 16, 24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112}
                                                       << Xs{112};
    }

    void positions()
    {
        QFETCH(QString, text);
        QFETCH(qreal, width);
        QFETCH(Xs, xs);
        QFETCH(Xs, rowWidths);
        for (const QString &suffix : kRoads) {
            const LineLayout layout(*m_style, text + suffix, width, true);
            QCOMPARE(layout.rowCount(), rowWidths.size());
            for (int offset = 0; offset <= text.size(); ++offset)
                QCOMPARE(layout.xOfOffset(layout.rowOfOffset(offset), offset), xs.at(offset));
            for (int row = 0; row < layout.rowCount(); ++row)
                QCOMPARE(layout.rowWidth(row), rowWidths.at(row));
        }
    }

    void offsetAtXRoundTrip_data()
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
    void offsetAtXRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(qreal, width);
        for (const QString &suffix : kRoads) {
            const LineLayout layout(*m_style, text + suffix, width, width > 0);
            QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text + suffix);
            for (int row = 0; row < layout.rowCount(); ++row) {
                const int end = row + 1 == layout.rowCount() ? layout.rowEnd(row) : layout.rowEnd(row) - 1;
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

    // A click takes the nearer side of a character; left of a row its start, past a row's end
    // the place before its last character.
    void offsetAtXNearest()
    {
        for (const QString &suffix : kRoads) {
            const LineLayout layout(*m_style, "abc def ghi" + suffix, 40, true);
            QCOMPARE(rowStarts(layout, 11), (QList<int>{0, 4, 8}));
            for (const auto &[row, x, offset] : {std::tuple{0, -10.0, 0}, {0, 3.9, 0}, {0, 4.1, 1}, {0, 1000.0, 3},
                                                 {1, 1000.0, 7}, {2, 1000.0, 11 + int(suffix.size())}})
                QCOMPARE(layout.offsetAtX(row, x), offset);
        }
    }

    // Where a click lands, on both roads: the nearer side of what the caret can stand beside,
    // never between a half-width kana and its sound mark.
    void offsetAtXTakesTheNearestStop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<int>("row");
        QTest::addColumn<qreal>("x");
        QTest::addColumn<int>("offset");
        const QString ga = u"ｶﾞ"_s;
        QTest::newRow("left of a voiced kana's middle") << ga + ga << 0.0 << 0 << 7.0 << 0;
        QTest::newRow("right of a voiced kana's middle") << ga + ga << 0.0 << 0 << 10.0 << 2;
        QTest::newRow("past a wrapped row ending in a voiced kana") << u"ｱ"_s + ga + u"ｷｸ"_s << 24.0 << 0 << 1000.0 << 1;
        QTest::newRow("left half of a hanging blank") << "abcd    efgh" << 40.0 << 0 << 33.0 << 4;
        QTest::newRow("right half of a hanging blank") << "abcd    efgh" << 44.0 << 0 << 39.0 << 5;
    }

    void offsetAtXTakesTheNearestStop()
    {
        QFETCH(QString, text);
        QFETCH(qreal, width);
        QFETCH(int, row);
        QFETCH(qreal, x);
        QFETCH(int, offset);
        for (const QString &suffix : kRoads) {
            const LineLayout layout(*m_style, text + suffix, width, width > 0);
            QCOMPARE(layout.offsetAtX(row, x), offset);
        }
    }

    // An offset at a row boundary is the later row's start, or, asked for the upper row, the
    // earlier row's end; the line's start and end and offsets inside a row have one row.
    void rowOfOffsetAtAWrapPoint_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("upper");
        QTest::addColumn<int>("row");
        // "abc def ghi" at 40: rows at 0, 4 and 8
        QTest::newRow("the lower row's start") << 4 << false << 1;
        QTest::newRow("the upper row's end") << 4 << true << 0;
        QTest::newRow("the line's start") << 0 << true << 0;
        QTest::newRow("inside a row") << 6 << true << 1;
        QTest::newRow("the line's end") << 11 << false << 2;
    }

    void rowOfOffsetAtAWrapPoint()
    {
        QFETCH(int, offset);
        QFETCH(bool, upper);
        QFETCH(int, row);
        for (const QString &suffix : kRoads) {
            const LineLayout layout(*m_style, "abc def ghi" + suffix, 40, true);
            QCOMPARE(layout.rowOfOffset(offset + (offset == 11 ? int(suffix.size()) : 0), upper), row);
        }
    }

    // Random lines mixing what takes each road (and what moves carets on them: blanks that
    // hang, tabs, escapes, voiced kana, marks that combine, surrogates, U+FFFC, zero widths) at
    // random widths: along every row the caret's x never goes back, and every x clicked lands
    // on a place the caret can take whose x is as near as any.
    void caretXGrowsAndClicksTakeTheNearest_data()
    {
        QTest::addColumn<QStringList>("pieces");
        QTest::addColumn<quint32>("seed");
        const QStringList fast{u"a"_s, u"W"_s, u" "_s, u"   "_s, u"\t"_s, u"あ"_s, u"漢"_s, u"、"_s, u"ｶﾞ"_s,
                               u"ﾊﾟ"_s, u"ｱ"_s, QString(kEsc81), u"\uE000"_s};
        const QStringList laidOut{u"e\u0301"_s, u"\uFFFC"_s, u"\U0001F600"_s, u"\u200B"_s, u"\U00020B9F"_s};
        QTest::newRow("fast road") << fast << 19u;
        QTest::newRow("through QTextLayout") << laidOut + QStringList{u"a"_s, u" "_s, u"ｶﾞ"_s} << 23u;
        QTest::newRow("both") << fast + laidOut << 29u;
    }

    void caretXGrowsAndClicksTakeTheNearest()
    {
        QFETCH(QStringList, pieces);
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        for (int n = 0; n < 60; ++n) {
            QString text;
            for (int k = random.bounded(30); k > 0; --k)
                text += pieces.at(random.bounded(int(pieces.size())));
            const qreal width = random.bounded(5) == 0 ? 0 : 20 + random.bounded(200) + random.bounded(4) / 4.0;
            const LineLayout layout(*m_style, text, width, width > 0);
            QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
            const auto isStop = [&](int offset) {
                if (offset == 0 || offset == text.size())
                    return true;
                graphemes.setPosition(offset);
                return graphemes.isAtBoundary() && !(offset > 0 && offset < text.size() &&
                                                     CharClass::splitsKana(text.at(offset - 1).unicode(),
                                                                           text.at(offset).unicode()));
            };
            for (int row = 0; row < layout.rowCount(); ++row) {
                const QString where = u"%1 at %2, row %3"_s.arg(text.toHtmlEscaped()).arg(width).arg(row);
                // places a click may give: the row's end only in the last row
                QList<int> stops;
                QList<qreal> xs;
                const int last = row + 1 == layout.rowCount() ? layout.rowEnd(row) : layout.rowEnd(row) - 1;
                for (int offset = layout.rowStart(row); offset <= layout.rowEnd(row); ++offset) {
                    if (!isStop(offset))
                        continue;
                    const qreal x = layout.xOfOffset(row, offset);
                    QVERIFY2(x >= 0 && (xs.isEmpty() || x >= xs.last()),
                             qPrintable(where + u" offset %1"_s.arg(offset)));
                    if (offset <= last) {
                        stops.append(offset);
                        xs.append(x);
                    }
                }
                QVERIFY2(!stops.isEmpty(), qPrintable(where));
                QList<qreal> clicks{-5, xs.last() + 50};
                for (int k = 0; k < xs.size(); ++k) {
                    clicks << xs.at(k) << xs.at(k) + 0.3;
                    if (k + 1 < xs.size())
                        clicks << (xs.at(k) + xs.at(k + 1)) / 2 - 0.3 << (xs.at(k) + xs.at(k + 1)) / 2 + 0.3;
                }
                for (const qreal x : clicks) {
                    const int hit = layout.offsetAtX(row, x);
                    const QString at = where + u" x %1 hit %2"_s.arg(x).arg(hit);
                    QVERIFY2(stops.contains(hit), qPrintable(at));
                    qreal best = std::numeric_limits<qreal>::max();
                    for (const qreal stopX : xs)
                        best = std::min(best, std::abs(stopX - x));
                    QVERIFY2(std::abs(layout.xOfOffset(row, hit) - x) <= best + 1e-6, qPrintable(at));
                }
            }
        }
    }

    // A run drawn in one call lands where the cached advances put each character.
    void paintedRunMatchesAdvances()
    {
        const QString text = u"Hello, 世界! ﾃﾞｰﾀ ①② Ωж テスト…"_s;
        const LineLayout layout(*m_style, text, 0, false);
        const QImage whole = painted(500, 24, [&](QPainter &p) { layout.paintRow(p, 0, QPointF(3, 2)); });
        const QImage single = painted(500, 24, [&](QPainter &p) {
            for (int i = 0; i < text.size(); ++i)
                LineLayout(*m_style, text.mid(i, 1), 0, false).paintRow(p, 0, QPointF(3 + layout.xOfOffset(0, i), 2));
        });
        QVERIFY(pixels(whole, 0, 500) > 200);
        QCOMPARE(whole, single);
    }

    // Selection colours cover exactly their range: background and text inside, the pen outside;
    // an underline runs under its range only, under blanks so that glyphs do not hide it.
    void paintHighlights()
    {
        const QColor back(0, 0, 160), ink(255, 255, 0);
        for (const QString &suffix : kRoads) {
            const LineLayout layout(*m_style, "WWWW WWWW WWWW" + suffix, 0, false);  // the middle word and its spaces
            const LineLayout::Highlight selection{4, 10, ink, back};
            const QImage image = painted(200, 18, [&](QPainter &p) { layout.paintRow(p, 0, {}, {selection}); });
            QCOMPARE(layout.xOfOffset(0, 4), 32.0);
            QCOMPARE(layout.xOfOffset(0, 10), 80.0);
            QVERIFY(pixels(image, 0, 32, Qt::black) > 20);
            QCOMPARE(pixels(image, 0, 31, back) + pixels(image, 0, 31, ink), 0);
            QCOMPARE(pixels(image, 32, 40, back), 8 * 18);  // the space before the word
            QVERIFY(pixels(image, 40, 72, ink) > 20);
            QCOMPARE(pixels(image, 40, 72, Qt::black), 0);
            QVERIFY(pixels(image, 81, 120, Qt::black) > 20);
            QCOMPARE(pixels(image, 81, 200, back) + pixels(image, 81, 200, ink), 0);

            const LineLayout spaced(*m_style, "WW      WW" + suffix, 0, false);
            const LineLayout::Highlight composing{3, 5, Qt::red, {}, true};
            const QImage underlined = painted(200, 18, [&](QPainter &p) { spaced.paintRow(p, 0, {}, {composing}); });
            QVERIFY(pixels(underlined, 25, 39, Qt::red) >= 14);
            QCOMPARE(pixels(underlined, 17, 23) + pixels(underlined, 41, 63), 0);
        }
    }

    // An escape is a box with its byte in hex: two different bytes look different, the box
    // fills its cell, and nothing of it leaks into the next cell.
    void paintEscapes()
    {
        for (const QString &suffix : kRoads) {
            const auto paint = [&](QChar escape) {
                const LineLayout layout(*m_style, QString("a") + escape + "b" + suffix, 0, false);
                return painted(60, 18, [&](QPainter &p) { layout.paintRow(p, 0, QPointF(0, 0)); });
            };
            const QImage a = paint(QChar(0xEF81)), b = paint(QChar(0xEFA5));
            QVERIFY(a != b);
            QCOMPARE(a.copy(0, 0, 8, 18), b.copy(0, 0, 8, 18));      // 'a'
            QCOMPARE(a.copy(24, 0, 36, 18), b.copy(24, 0, 36, 18));  // 'b' and beyond
            QVERIFY(a.pixelColor(9, 9) != QColor(Qt::white));        // the box's left side
            QVERIFY(pixels(a, 11, 22) > 10);                         // the digits
        }
    }

    // A long line without wrapping, seen far to the right, shows the same as that part alone.
    void paintLongLineOnlyWhereVisible()
    {
        const QString chunk = u"abcdefghij漢字かな"_s;
        const LineLayout layout(*m_style, chunk.repeated(20000), 0, false);
        const qreal shift = layout.xOfOffset(0, int(chunk.size()) * 12345);
        const QImage far = painted(300, 18, [&](QPainter &p) {
            p.translate(-shift - 1000, 0);
            layout.paintRow(p, 0, QPointF(1000, 0));
        });
        const LineLayout part(*m_style, chunk.repeated(4), 0, false);
        const QImage near = painted(300, 18, [&](QPainter &p) { part.paintRow(p, 0, QPointF(0, 0)); });
        QVERIFY(pixels(near, 0, 300) > 200);
        QCOMPARE(far, near);
    }
};

QTEST_MAIN(TestLineLayout)
#include "tst_linelayout.moc"
