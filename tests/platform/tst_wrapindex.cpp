// The rows of a whole text: a view's row index (counted while idle, exact when asked, kept
// under edits) against rows counted line by line, and pages for printing, which must hold
// every row of the text once.
#include "platform/linelayout.h"
#include "platform/pagelayout.h"
#include "platform/textbuffer.h"
#include "platform/textstyle.h"
#include "platform/wrapindex.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QFont testFont()
{
    QFont font(u"IPAGothic"_s);
    font.setPixelSize(16);
    return font;
}

// Lines of every kind a file holds: Japanese prose of uneven length, ASCII, empty lines,
// tabs, escapes, and now and then a line QTextLayout has to lay out (an emoji).
QString makeText(int lines, quint32 seed)
{
    static const char16_t *const phrases[] = {
        u"吾輩は猫である。", u"名前はまだ無い。", u"どこで生れたかとんと見当がつかぬ。",
        u"ﾃﾞｰﾀﾍﾞｰｽのﾊﾞｯｸｱｯﾌﾟを取得しました。", u"int main(void) { return 0; } ",
        u"「保存」ボタンを押してください。", u"\t表の列\t値\t備考", u"The quick brown fox ",
        u"\uEF81\uEF82 escaped ", u"①②③　ⅰⅱⅲ　㈱㈲", u"絵文字\U0001F600入り",
    };
    QRandomGenerator random(seed);
    QStringList out;
    for (int i = 0; i < lines; ++i) {
        QString line;
        const int parts = random.bounded(6) == 0 ? 0 : 1 + random.bounded(6);
        for (int p = 0; p < parts; ++p)
            line += QString::fromUtf16(phrases[random.bounded(int(std::size(phrases)))]);
        out.append(line);
    }
    return out.join(u'\n');
}

// Rows counted the slow way: every line laid out in full.
struct Rows {
    QList<qsizetype> starts;     // position of each row
    QList<qsizetype> firstRow;   // of each line
    QList<qsizetype> lineOfRow;  // of each row
};

Rows countAll(const TextBuffer &buffer, const TextStyle &style, qreal width, bool wrap)
{
    Rows rows;
    for (qsizetype line = 0; line < buffer.lineCount(); ++line) {
        const LineLayout layout(style, buffer.lineText(line), width, wrap);
        rows.firstRow.append(rows.starts.size());
        for (int r = 0; r < layout.rowCount(); ++r) {
            rows.starts.append(buffer.lineStart(line) + layout.rowStart(r));
            rows.lineOfRow.append(line);
        }
    }
    return rows;
}

void loadText(TextBuffer &buffer, const QString &text)
{
    buffer.load(text, {});
}

// Everything the index answers, against the slow count.
void compareAll(WrapIndex &index, const TextBuffer &buffer, const Rows &expected)
{
    const qsizetype total = expected.starts.size();
    QCOMPARE(index.rowCount(), total);
    QCOMPARE(index.estimatedRowCount(), total);
    QVERIFY(!index.isCounting());
    for (qsizetype line = 0; line < buffer.lineCount(); ++line) {
        const qsizetype next = line + 1 < buffer.lineCount() ? expected.firstRow.at(line + 1) : total;
        QCOMPARE(index.firstRowOfLine(line), expected.firstRow.at(line));
        QCOMPARE(index.rowsOfLine(line), next - expected.firstRow.at(line));
    }
    for (qsizetype row = 0; row < total; ++row) {
        QCOMPARE(index.rowStart(row), expected.starts.at(row));
        QCOMPARE(index.lineOfRow(row), expected.lineOfRow.at(row));
    }
    QCOMPARE(index.rowStart(total), buffer.length());
    QCOMPARE(index.lineOfRow(total + 5), buffer.lineCount() - 1);
    // positions on both sides of every row boundary, and every line's end
    for (qsizetype row = 0; row < total; ++row) {
        const qsizetype start = expected.starts.at(row);
        for (const qsizetype pos : {start, start + 1, start - 1}) {
            if (pos < 0 || pos > buffer.length())
                continue;
            const auto after = std::upper_bound(expected.starts.begin(), expected.starts.end(), pos);
            QCOMPARE(index.rowOfPosition(pos), qsizetype(after - expected.starts.begin()) - 1);
        }
    }
    for (qsizetype line = 0; line < buffer.lineCount(); ++line) {
        const qsizetype lastRow = line + 1 < buffer.lineCount() ? expected.firstRow.at(line + 1) - 1 : total - 1;
        QCOMPARE(index.rowOfPosition(buffer.lineEnd(line)), lastRow);
    }
    QCOMPARE(index.rowOfPosition(buffer.length() + 10), total - 1);
}

qsizetype positionOf(const TextBuffer &buffer, int line, int column)
{
    line = std::min<int>(line, int(buffer.lineCount()) - 1);
    return column < 0 ? buffer.lineEnd(line) : std::min(buffer.lineStart(line) + column, buffer.lineEnd(line));
}

enum class Counted { Nothing, Half, All };

} // namespace

class TestWrapIndex : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void queriesMatchLineByLineCount_data();
    void queriesMatchLineByLineCount();
    void viewsOfOneBufferAtTwoWidths();
    void idleCountingFinishes();
    void countsInSlices();
    void queryBeyondCountedIsExact();
    void styleWidthAndWrapRestart();
    void editsMatchFreshCount_data();
    void editsMatchFreshCount();

    void pagesHoldEveryRowOnce_data();
    void pagesHoldEveryRowOnce();
    void pageDrawsItsRows();
    void pageFromInsideARow();
    void pageMeasuresForItsDevice();

private:
    std::unique_ptr<TextStyle> m_style;
};

void TestWrapIndex::initTestCase()
{
    m_style = std::make_unique<TextStyle>(testFont());
}

void TestWrapIndex::queriesMatchLineByLineCount_data()
{
    QTest::addColumn<qreal>("width");
    QTest::addColumn<bool>("wrap");
    QTest::newRow("narrow") << 90.0 << true;
    QTest::newRow("wide") << 420.0 << true;
    QTest::newRow("one character") << 10.0 << true;
    QTest::newRow("wrap off") << 90.0 << false;
    QTest::newRow("no width yet") << 0.0 << true;
}

// Asked straight away, before any idle count: every answer counts what it needs first.
void TestWrapIndex::queriesMatchLineByLineCount()
{
    QFETCH(qreal, width);
    QFETCH(bool, wrap);
    TextBuffer buffer;
    loadText(buffer, makeText(120, 1));
    WrapIndex index(&buffer);
    index.setStyle(m_style.get());
    index.setWidth(width);
    index.setWrap(wrap);
    compareAll(index, buffer, countAll(buffer, *m_style, width, wrap));
}

void TestWrapIndex::viewsOfOneBufferAtTwoWidths()
{
    TextBuffer buffer;
    loadText(buffer, makeText(200, 2));
    WrapIndex narrow(&buffer);
    WrapIndex wide(&buffer);
    narrow.setStyle(m_style.get());
    wide.setStyle(m_style.get());
    narrow.setWidth(100);
    wide.setWidth(500);
    const Rows narrowRows = countAll(buffer, *m_style, 100, true);
    const Rows wideRows = countAll(buffer, *m_style, 500, true);
    QVERIFY(narrowRows.starts.size() > wideRows.starts.size() + 100);
    compareAll(narrow, buffer, narrowRows);
    compareAll(wide, buffer, wideRows);
    buffer.replace(positionOf(buffer, 3, 0), positionOf(buffer, 3, 0), u"吾輩は猫である。名前はまだ無い。\n"_s.repeated(3));
    compareAll(narrow, buffer, countAll(buffer, *m_style, 100, true));
    compareAll(wide, buffer, countAll(buffer, *m_style, 500, true));
}

void TestWrapIndex::idleCountingFinishes()
{
    TextBuffer buffer;
    loadText(buffer, makeText(20000, 3));
    WrapIndex index(&buffer);
    QSignalSpy changed(&index, &WrapIndex::rowsChanged);
    index.setStyle(m_style.get());
    index.setWidth(150);
    QVERIFY(index.isCounting());
    QCOMPARE(index.estimatedRowCount(), buffer.lineCount());
    QTRY_VERIFY_WITH_TIMEOUT(!index.isCounting(), 60000);
    const Rows expected = countAll(buffer, *m_style, 150, true);
    QCOMPARE(index.estimatedRowCount(), expected.starts.size());
    QVERIFY(changed.size() >= 2);  // the restart, then counted rows
    changed.clear();
    QCoreApplication::processEvents();
    QCOMPARE(changed.size(), 0);  // nothing left to count, nothing to report
}

// One pass of the event loop counts for a while, not everything: the program stays
// responsive while a large text is counted.
void TestWrapIndex::countsInSlices()
{
    TextBuffer buffer;
    loadText(buffer, makeText(200000, 4));
    WrapIndex index(&buffer);
    index.setStyle(m_style.get());
    index.setWidth(150);
    const qsizetype before = index.estimatedRowCount();
    QElapsedTimer clock;
    clock.start();
    QCoreApplication::processEvents();
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(index.isCounting());
    QVERIFY(index.estimatedRowCount() > before);
}

void TestWrapIndex::queryBeyondCountedIsExact()
{
    TextBuffer buffer;
    loadText(buffer, makeText(20000, 5));
    WrapIndex index(&buffer);
    index.setStyle(m_style.get());
    index.setWidth(120);
    const Rows expected = countAll(buffer, *m_style, 120, true);
    const qsizetype middle = buffer.lineCount() / 2;
    const qsizetype row = expected.firstRow.at(middle) + 1;
    QVERIFY(row > index.estimatedRowCount() / 2);
    QCOMPARE(index.lineOfRow(row), expected.lineOfRow.at(row));
    QCOMPARE(index.rowStart(row), expected.starts.at(row));
    QVERIFY(index.isCounting());  // only what the question needed
    QCOMPARE(index.firstRowOfLine(middle + 100), expected.firstRow.at(middle + 100));
    const qsizetype pos = buffer.lineEnd(middle + 200);
    const auto after = std::upper_bound(expected.starts.begin(), expected.starts.end(), pos);
    QCOMPARE(index.rowOfPosition(pos), qsizetype(after - expected.starts.begin()) - 1);
    QVERIFY(index.isCounting());
    QCOMPARE(index.rowCount(), expected.starts.size());
    QVERIFY(!index.isCounting());
}

void TestWrapIndex::styleWidthAndWrapRestart()
{
    TextBuffer buffer;
    loadText(buffer, makeText(300, 6));
    WrapIndex index(&buffer);
    QCOMPARE(index.rowCount(), buffer.lineCount());  // no style yet: a row a line
    index.setStyle(m_style.get());
    index.setWidth(100);
    QCOMPARE(index.rowCount(), countAll(buffer, *m_style, 100, true).starts.size());
    index.setWidth(260);
    QVERIFY(index.isCounting());
    QCOMPARE(index.rowCount(), countAll(buffer, *m_style, 260, true).starts.size());
    index.setWrap(false);
    QVERIFY(!index.wrap());
    QVERIFY(!index.isCounting());
    QCOMPARE(index.estimatedRowCount(), buffer.lineCount());
    index.setWidth(50);  // nothing to count without wrapping
    QVERIFY(!index.isCounting());
    index.setWrap(true);
    QCOMPARE(index.rowCount(), countAll(buffer, *m_style, 50, true).starts.size());
    QFont larger = testFont();
    larger.setPixelSize(24);
    const TextStyle largerStyle(larger);
    index.setStyle(&largerStyle);
    QVERIFY(index.isCounting());
    QCOMPARE(index.rowCount(), countAll(buffer, largerStyle, 50, true).starts.size());
    index.setStyle(m_style.get());
}

void TestWrapIndex::editsMatchFreshCount_data()
{
    QTest::addColumn<int>("fromLine");
    QTest::addColumn<int>("fromColumn");  // -1: the line's end
    QTest::addColumn<int>("toLine");
    QTest::addColumn<int>("toColumn");
    QTest::addColumn<QString>("text");
    const QString prose = u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"_s;
    const struct {
        const char *name;
        int fromLine, fromColumn, toLine, toColumn;
        QString text;
    } edits[] = {
        {"type in a line", 5, 3, 5, 3, prose},
        {"delete in a line", 7, 0, 7, 10, {}},
        {"type in an empty line", 6, 0, 6, 0, prose + prose},
        {"insert a break", 7, 4, 7, 4, u"\n"_s},
        {"join two lines", 8, -1, 9, 0, {}},
        {"insert lines", 10, 2, 10, 2, (prose + u'\n').repeated(50)},
        {"remove lines", 20, 0, 120, 0, {}},
        {"replace across lines", 30, 5, 60, 3, u"x\ny\n"_s + prose},
        {"at the end", 299, -1, 299, -1, u"\n"_s + prose + prose},
        {"at the start", 0, 0, 0, 0, u"start\n"_s},
        {"everything", 0, 0, 299, -1, u"new\n"_s + prose},
        {"paste more than is counted at once", 50, 0, 50, 0, (prose + u'\n').repeated(2500)},
        {"in the last lines", 280, 2, 295, 1, prose + u'\n' + prose},
    };
    for (const auto &e : edits)
        QTest::newRow(e.name) << e.fromLine << e.fromColumn << e.toLine << e.toColumn << e.text;
}

// Whatever had been counted, an edit and its undo leave the index answering as one built
// afresh; edits inside the counted part keep it counted.
void TestWrapIndex::editsMatchFreshCount()
{
    QFETCH(int, fromLine);
    QFETCH(int, fromColumn);
    QFETCH(int, toLine);
    QFETCH(int, toColumn);
    QFETCH(QString, text);
    const qreal width = 130;
    for (const Counted counted : {Counted::Nothing, Counted::Half, Counted::All}) {
        TextBuffer buffer;
        loadText(buffer, makeText(300, 7));
        WrapIndex index(&buffer);
        index.setStyle(m_style.get());
        index.setWidth(width);
        if (counted == Counted::Half)
            index.firstRowOfLine(150);
        else if (counted == Counted::All)
            index.rowCount();
        const qsizetype from = positionOf(buffer, fromLine, fromColumn);
        const qsizetype to = positionOf(buffer, toLine, toColumn);
        QVERIFY2(to > from || !text.isEmpty(), "the edit changes nothing");
        buffer.replace(from, to, text);
        if (counted == Counted::All && text.count(u'\n') < 2000)
            QVERIFY(!index.isCounting());
        compareAll(index, buffer, countAll(buffer, *m_style, width, true));
        QVERIFY(buffer.undo() >= 0);
        compareAll(index, buffer, countAll(buffer, *m_style, width, true));
    }
}

void TestWrapIndex::pagesHoldEveryRowOnce_data()
{
    QTest::addColumn<QRectF>("rect");
    QTest::newRow("page") << QRectF(20, 30, 300, 400);
    QTest::newRow("narrow and short") << QRectF(0, 0, 60, 50);
    QTest::newRow("lower than a row") << QRectF(0, 0, 200, 5);
    QTest::newRow("one row exactly") << QRectF(0, 0, 200, 18);
}

// Page after page from the start to the end: each page starts at a row, holds as many rows
// as fit (the last at most that), and together they hold every row once.
void TestWrapIndex::pagesHoldEveryRowOnce()
{
    QFETCH(QRectF, rect);
    TextBuffer buffer;
    loadText(buffer, makeText(150, 8) + u"\n\n"_s);
    QImage device(10, 10, QImage::Format_ARGB32);
    const TextStyle style(testFont(), &device);
    const Rows rows = countAll(buffer, style, rect.width(), true);
    const qsizetype capacity = std::max(1, int(rect.height() / style.lineHeight()));
    // The empty line after the final break starts at the end: there is nothing in it to print.
    QCOMPARE(rows.starts.last(), buffer.length());
    const qsizetype printable = rows.starts.size() - 1;
    qsizetype from = 0;
    qsizetype row = 0;
    int pages = 0;
    while (from < buffer.length()) {
        const qsizetype next = PageLayout::drawPage(buffer, from, nullptr, &device, rect, testFont());
        QCOMPARE(from, rows.starts.at(row));
        const qsizetype nextRow = next == buffer.length() ? printable : rows.starts.indexOf(next);
        QVERIFY2(nextRow > row, qPrintable(QString::number(next)));
        if (next < buffer.length())
            QCOMPARE(nextRow - row, capacity);
        else
            QVERIFY(nextRow - row <= capacity);
        row = nextRow;
        from = next;
        QVERIFY(++pages <= printable);
    }
    QCOMPARE(row, printable);
    QCOMPARE(PageLayout::drawPage(buffer, buffer.length(), nullptr, &device, rect, testFont()), buffer.length());
}

// A page shows its rows one under the other from the rectangle's corner, and drawing
// measures the same as counting.
void TestWrapIndex::pageDrawsItsRows()
{
    TextBuffer buffer;
    loadText(buffer, makeText(60, 9));
    const QRectF rect(10, 20, 250, 180);
    QImage page(300, 220, QImage::Format_ARGB32);
    page.fill(Qt::white);
    const TextStyle style(testFont(), &page);
    const qsizetype second = PageLayout::drawPage(buffer, 0, nullptr, &page, rect, testFont());
    qsizetype next;
    {
        QPainter painter(&page);
        painter.setPen(Qt::black);
        next = PageLayout::drawPage(buffer, second, &painter, &page, rect, testFont());
    }
    QCOMPARE(next, PageLayout::drawPage(buffer, second, nullptr, &page, rect, testFont()));
    QImage expected(300, 220, QImage::Format_ARGB32);
    expected.fill(Qt::white);
    {
        QPainter painter(&expected);
        painter.setPen(Qt::black);
        const Rows rows = countAll(buffer, style, rect.width(), true);
        const qsizetype first = rows.starts.indexOf(second);
        QVERIFY(first > 0);
        for (qsizetype r = first; r < rows.starts.size() && rows.starts.at(r) < next; ++r) {
            const qsizetype line = rows.lineOfRow.at(r);
            const LineLayout layout(style, buffer.lineText(line), rect.width(), true);
            const int inLine = int(r - rows.firstRow.at(line));
            layout.paintRow(painter, inLine, QPointF(rect.left(), rect.top() + (r - first) * style.lineHeight()));
        }
    }
    QCOMPARE(page, expected);
    QImage blank(page.size(), page.format());
    blank.fill(Qt::white);
    QVERIFY(page != blank);
}

// Starting inside a row (a caller's own position), the rest of that line is laid out from
// there and nothing before it is drawn again.
void TestWrapIndex::pageFromInsideARow()
{
    TextBuffer buffer;
    loadText(buffer, u"abcdefghij klmnopqrst\nuvw"_s);
    QImage device(10, 10, QImage::Format_ARGB32);
    const QRectF oneRow(0, 0, 64, 18);
    QCOMPARE(PageLayout::drawPage(buffer, 0, nullptr, &device, oneRow, testFont()), 8);
    QCOMPARE(PageLayout::drawPage(buffer, 3, nullptr, &device, oneRow, testFont()), 11);
    QCOMPARE(PageLayout::drawPage(buffer, 11, nullptr, &device, oneRow, testFont()), 19);
    QCOMPARE(PageLayout::drawPage(buffer, 19, nullptr, &device, oneRow, testFont()), 22);
    QCOMPARE(PageLayout::drawPage(buffer, 22, nullptr, &device, oneRow, testFont()), buffer.length());
}

// A printer's resolution gives rows of its own height: a point-sized font at 300 dpi takes
// about three times the pixels it takes at 96.
void TestWrapIndex::pageMeasuresForItsDevice()
{
    TextBuffer buffer;
    loadText(buffer, u"行\n"_s.repeated(1000));
    QFont font(u"IPAGothic"_s);
    font.setPointSize(10);
    QImage screen(10, 10, QImage::Format_ARGB32);
    screen.setDotsPerMeterX(3780);
    screen.setDotsPerMeterY(3780);
    QImage printer(10, 10, QImage::Format_ARGB32);
    printer.setDotsPerMeterX(11811);
    printer.setDotsPerMeterY(11811);
    const TextStyle screenStyle(font, &screen);
    const TextStyle printerStyle(font, &printer);
    QVERIFY(printerStyle.lineHeight() > 2.5 * screenStyle.lineHeight());
    const QRectF rect(0, 0, 3000, 3000);
    const auto rowsOnPage = [&](QPaintDevice *device) {
        return PageLayout::drawPage(buffer, 0, nullptr, device, rect, font) / 2;  // two characters a line
    };
    QCOMPARE(rowsOnPage(&screen), qsizetype(3000 / screenStyle.lineHeight()));
    QCOMPARE(rowsOnPage(&printer), qsizetype(3000 / printerStyle.lineHeight()));
}

QTEST_MAIN(TestWrapIndex)
#include "tst_wrapindex.moc"
