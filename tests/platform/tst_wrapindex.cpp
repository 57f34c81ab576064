// The rows of a whole text: a view's row index (counted while idle, exact when asked, kept
// under edits) against rows counted line by line, and pages for printing, which must hold
// every row of the text once (what a page shows, at a printer's resolution: tst_printing).
#include "platform/engine/linelayout.h"
#include "platform/engine/pagelayout.h"
#include "platform/engine/rowcounter.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textstyle.h"
#include "platform/engine/wrapindex.h"

#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

QFont testFont(int pixels = 16, const QString &family = u"IPAGothic"_s)
{
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

const QString kProse = u"吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。"_s;

// Lines of every kind a file holds: Japanese prose of uneven length, ASCII, empty lines,
// tabs, escapes, and now and then a line QTextLayout has to lay out (an emoji).
TextBuffer *makeText(TextBuffer &buffer, int lines, quint32 seed, const QString &tail = {})
{
    static const QStringList phrases{u"吾輩は猫である。"_s, u"名前はまだ無い。"_s, u"どこで生れたかとんと見当がつかぬ。"_s,
                                     u"ﾃﾞｰﾀﾍﾞｰｽのﾊﾞｯｸｱｯﾌﾟを取得しました。"_s, u"int main(void) { return 0; } "_s,
                                     u"「保存」ボタンを押してください。"_s, u"\t表の列\t値\t備考"_s, u"The quick brown fox "_s,
                                     u"\uEF81\uEF82 escaped "_s, u"①②③　ⅰⅱⅲ　㈱㈲"_s, u"絵文字\U0001F600入り"_s};
    QRandomGenerator random(seed);
    QStringList out;
    for (int i = 0; i < lines; ++i) {
        out.append(QString());
        for (int parts = random.bounded(6) == 0 ? 0 : 1 + random.bounded(6); parts > 0; --parts)
            out.last() += phrases[random.bounded(int(phrases.size()))];
    }
    buffer.load(out.join(u'\n') + tail, {});
    return &buffer;
}

// Rows counted the slow way, every line laid out in full: the position of each row, the
// first row of each line, the line of each row.
struct Rows {
    QList<qsizetype> starts, firstRow, lineOfRow;

    Rows(const TextBuffer &buffer, const TextStyle &style, qreal width, bool wrap = true)
    {
        for (qsizetype line = 0; line < buffer.lineCount(); ++line) {
            const LineLayout layout(style, buffer.lineText(line), width, wrap);
            firstRow.append(starts.size());
            for (int r = 0; r < layout.rowCount(); ++r) {
                starts.append(buffer.lineStart(line) + layout.rowStart(r));
                lineOfRow.append(line);
            }
        }
    }
    qsizetype holding(qsizetype pos) const
    {
        return std::upper_bound(starts.begin(), starts.end(), pos) - starts.begin() - 1;
    }
};

// Everything the index answers, against the slow count.
void compareAll(WrapIndex &index, const TextBuffer &buffer, const Rows &expected)
{
    const qsizetype total = expected.starts.size(), lines = buffer.lineCount();
    QCOMPARE(index.rowCount(), total);
    QCOMPARE(index.estimatedRowCount(), total);
    QVERIFY(!index.isCounting());
    for (qsizetype line = 0; line < lines; ++line) {
        QCOMPARE(index.rowOfPosition(buffer.lineStart(line)), expected.firstRow.at(line));
        QCOMPARE(index.estimatedFirstRowOfLine(line), expected.firstRow.at(line));
        const qsizetype next = line + 1 < lines ? expected.firstRow.at(line + 1) : total;
        QCOMPARE(index.rowOfPosition(buffer.lineEnd(line)), next - 1);
    }
    for (qsizetype row = 0; row < total; ++row) {
        const qsizetype start = expected.starts.at(row);
        QCOMPARE(index.rowStart(row), start);
        QCOMPARE(index.lineOfRow(row), expected.lineOfRow.at(row));
        QCOMPARE(index.estimatedLineOfRow(row), expected.lineOfRow.at(row));
        for (const qsizetype pos : {start - 1, start, start + 1}) {  // both sides of every row boundary
            if (pos >= 0 && pos <= buffer.length())
                QCOMPARE(index.rowOfPosition(pos), expected.holding(pos));
        }
    }
    QCOMPARE(index.rowStart(total), buffer.length());
    QCOMPARE(index.lineOfRow(total + 5), lines - 1);
    QCOMPARE(index.rowOfPosition(buffer.length() + 10), total - 1);
}

// The first row of every line and the total after them, each line's rows counted here.
QList<qsizetype> firstRows(const TextBuffer &buffer, const TextStyle &style, qreal width, bool wrap = true)
{
    QList<qsizetype> first{0};
    QString scratch;
    for (qsizetype line = 0; line < buffer.lineCount(); ++line)
        first.append(first.last() + LineLayout::countRows(style, buffer.lineView(line, scratch), width, wrap));
    return first;
}

// What the index shows without counting anything itself (its estimates) once the counting
// thread is done, against rows counted here.
void compareEstimates(WrapIndex &index, const TextBuffer &buffer, const QList<qsizetype> &expected)
{
    QTRY_VERIFY_WITH_TIMEOUT(!index.isCounting(), 30000);
    for (qsizetype line = 0; line <= buffer.lineCount(); ++line)
        QCOMPARE(index.estimatedFirstRowOfLine(line), expected.at(line));
}

// One random edit, now and then at either end of the text or about line focus: typing or
// deleting in a line, breaks inserted and lines joined, lines pasted or removed, everything
// replaced, or more lines pasted than an edit counts at once. Returns the lines it added.
qsizetype randomEdit(TextBuffer &buffer, QRandomGenerator &random, qsizetype focus)
{
    const qsizetype length = buffer.length();
    qsizetype from = random.bounded(length + 1);
    if (const int where = int(random.bounded(8)); where < 2)
        from = where == 0 ? 0 : length;
    else if (where < 4)
        from = buffer.lineStart(std::clamp<qsizetype>(focus + random.bounded(3) - 1, 0, buffer.lineCount() - 1));
    qsizetype to = from;
    QString text;
    switch (random.bounded(8)) {
    case 0: text = kProse; break;
    case 1: to = from + random.bounded(30); break;
    case 2: text = u"\n"_s; break;
    case 3: to = from + random.bounded(4000); break;
    case 4: text = (kProse + u'\n').repeated(random.bounded(60)) + kProse; break;
    case 5: text = u"x\ny\n"_s + kProse; to = from + random.bounded(600); break;
    case 6: text = u"new\n"_s + kProse; from = 0; to = length; break;
    default: text = (kProse + u'\n').repeated(2500); break;
    }
    buffer.replace(from, std::min(to, length), text);
    return text.count(u'\n');
}

} // namespace

class TestWrapIndex : public QObject {
    Q_OBJECT

    TextStyle m_style{testFont()};

private slots:
    // Two views' indexes of one text live through random edits and undos and changes of their
    // width, wrap and font; a new index at any width, asked before, halfway through or after
    // counting, is right after an edit too; every one answers as rows counted afresh. An edit
    // inside the counted part keeps it counted.
    void followsEditsLikeAFreshCount()
    {
        TextBuffer buffer;
        makeText(buffer, 300, 7);
        std::optional<TextStyle> wideStyle(std::in_place, testFont());  // a new font at the same address
        const qreal widths[] = {0, 10, 90, 130, 420};
        struct View {
            WrapIndex index;
            const TextStyle *style;
            qreal width;
            bool wrap = true;
        } views[] = {{&buffer, &m_style, 100}, {&buffer, &*wideStyle, 500}};
        for (View &v : views) {
            v.index.setStyle(v.style);
            v.index.setWidth(v.width);
        }
        const auto same = [&](WrapIndex &index, const TextStyle &style, qreal width, bool wrap) {
            compareAll(index, buffer, Rows(buffer, style, width, wrap));
            return !QTest::currentTestFailed();
        };
        const auto sameViews = [&] {
            return std::all_of(std::begin(views), std::end(views),
                               [&](View &v) { return same(v.index, *v.style, v.width, v.wrap); });
        };
        QRandomGenerator random(11);
        for (int round = 0; round < 40; ++round) {
            WrapIndex fresh(&buffer);
            QCOMPARE(fresh.rowCount(), buffer.lineCount());  // no font yet: a row a line
            fresh.setStyle(&m_style);
            const qreal width = widths[random.bounded(int(std::size(widths)))];
            const bool wrap = random.bounded(4) != 0;
            fresh.setWidth(width);
            fresh.setWrap(wrap);
            const int counted = int(random.bounded(3));
            if (counted == 1)
                fresh.rowOfPosition(buffer.lineStart(buffer.lineCount() / 2));
            else if (counted == 2)
                fresh.rowCount();
            const qsizetype length = buffer.length();
            const qsizetype added = randomEdit(buffer, random, buffer.lineCount() / 2);
            if (counted == 2)  // more lines than an edit counts at once are left to the idle count
                QCOMPARE(fresh.isCounting(), added > 2000);
            const QByteArray context = "round " + QByteArray::number(round);
            QVERIFY2(same(fresh, m_style, width, wrap) && sameViews(), context);
            if (added > 2000 || buffer.length() < length / 2 || random.bounded(3) == 0)
                QVERIFY2(buffer.undo() >= 0 && sameViews(), context);
            View &wide = views[1];  // now and then another width, wrap or font
            if (const int change = int(random.bounded(6)); change < 2) {
                if (random.bounded(2) == 0)
                    wide.index.setWidth(wide.width = widths[random.bounded(int(std::size(widths)))]);
                else
                    wide.index.setWrap(wide.wrap = !wide.wrap);
                if (!wide.wrap)  // every line is one row: nothing to count
                    QVERIFY2(!wide.index.isCounting() && wide.index.estimatedRowCount() == buffer.lineCount(), context);
            } else if (change == 2) {
                wideStyle.emplace(testFont(wideStyle->font().pixelSize() == 16 ? 24 : 16));
                wide.index.setStyle(&*wideStyle);
            }
        }
    }

    // Whoever hears of an edit (TextBuffer::changed), connected before the index or after,
    // finds the index has taken it already: its rows and its layout of the changed line are
    // the new ones.
    void takesAnEditBeforeItsListeners_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("removed");
        QTest::addColumn<QString>("text");
        QTest::newRow("a line rewrapped") << 3 << 0 << kProse;
        QTest::newRow("lines added") << 3 << 0 << kProse + u"\n\n"_s + kProse;
        QTest::newRow("lines joined") << 3 << 200 << QString();
    }

    void takesAnEditBeforeItsListeners()
    {
        QFETCH(int, line);
        QFETCH(int, removed);
        QFETCH(QString, text);
        TextBuffer buffer;
        makeText(buffer, 40, 9);
        QList<qsizetype> heard;
        std::unique_ptr<WrapIndex> index;
        QObject::connect(&buffer, &TextBuffer::changed, [&] {
            heard = {index->rowCount(), index->rowOfPosition(buffer.length()), index->layout(line)->length()};
        });
        index = std::make_unique<WrapIndex>(&buffer);
        index->setStyle(&m_style);
        index->setWidth(100);
        QVERIFY(index->rowCount() > 40 && index->layout(line)->length() > 0);  // counted and laid out before
        const qsizetype from = buffer.lineStart(line);
        buffer.replace(from, std::min(from + removed, buffer.length()), text);
        const Rows expected(buffer, m_style, 100);
        QCOMPARE(heard, (QList<qsizetype>{expected.starts.size(), expected.starts.size() - 1,
                                          buffer.lineText(line).size()}));
    }

    // A question about a row or line far beyond what is counted is answered exactly, counting
    // only what it needs; the idle count then finishes the rest and falls silent.
    void queriesAndIdleCountingAreExact()
    {
        TextBuffer buffer;
        WrapIndex index(makeText(buffer, 20000, 5));
        QSignalSpy changed(&index, &WrapIndex::rowsChanged);
        index.setStyle(&m_style);
        index.setWidth(120);
        QVERIFY(index.isCounting());
        QCOMPARE(index.estimatedRowCount(), buffer.lineCount());
        const Rows expected(buffer, m_style, 120);
        const qsizetype middle = buffer.lineCount() / 2, row = expected.firstRow.at(middle) + 1;
        QCOMPARE(index.lineOfRow(row), expected.lineOfRow.at(row));
        QCOMPARE(index.rowStart(row), expected.starts.at(row));
        QCOMPARE(index.rowOfPosition(buffer.lineStart(middle + 100)), expected.firstRow.at(middle + 100));
        QCOMPARE(index.rowOfPosition(buffer.lineEnd(middle + 200)), expected.holding(buffer.lineEnd(middle + 200)));
        QVERIFY(index.isCounting());
        QTRY_VERIFY_WITH_TIMEOUT(!index.isCounting(), 60000);
        QCOMPARE(index.estimatedRowCount(), expected.starts.size());
        QVERIFY(changed.size() >= 2);  // the restart, then counted rows
        changed.clear();
        QCoreApplication::processEvents();
        QCOMPARE(changed.size(), 0);  // nothing left to count, nothing to report
    }

    // One pass of the event loop counts for a while, not everything: the program stays
    // responsive while a large text is counted, and the counted rows come in as it goes on.
    void countsInSlices()
    {
        TextBuffer buffer;
        WrapIndex index(makeText(buffer, 200000, 4));
        index.setStyle(&m_style);
        index.setWidth(150);
        const qsizetype before = index.estimatedRowCount();
        QElapsedTimer clock;
        clock.start();
        QCoreApplication::processEvents();
        QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(index.isCounting());
        QTRY_VERIFY(index.estimatedRowCount() > before);
    }

    void countsOnAThreadAsOnItsOwn_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<qreal>("width");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<QString>("tail");
        QTest::newRow("prose") << u"IPAGothic"_s << 16 << 100.0 << true << QString();
        QTest::newRow("narrower than a character") << u"IPAGothic"_s << 16 << 10.0 << true << QString();
        QTest::newRow("proportional, fractional width") << u"IPAPGothic"_s << 15 << 133.5 << true << QString();
        QTest::newRow("a line longer than a batch") << u"IPAMincho"_s << 16 << 300.0 << true
                                                    << u"\n"_s + kProse.repeated(9000) + u"\n\n"_s;
        QTest::newRow("wrap off") << u"IPAGothic"_s << 16 << 100.0 << false << QString();
    }

    // Left alone, an index has its rows counted on a thread of its own, each line as the
    // index's thread counts it when asked and as a full layout has it, at any font, width and
    // wrap; with wrap off there is nothing to count.
    void countsOnAThreadAsOnItsOwn()
    {
        QFETCH(QString, family);
        QFETCH(int, pixels);
        QFETCH(qreal, width);
        QFETCH(bool, wrap);
        QFETCH(QString, tail);
        const TextStyle style(testFont(pixels, family));
        TextBuffer buffer;
        makeText(buffer, 5000, 13, tail);
        const qint64 before = RowCounter::linesCounted();
        WrapIndex threaded(&buffer), here(&buffer);
        for (WrapIndex *index : {&threaded, &here}) {
            index->setStyle(&style);
            index->setWidth(width);
            index->setWrap(wrap);
        }
        here.rowCount();  // counted at once, here
        const Rows laidOut(buffer, style, width, wrap);
        QList<qsizetype> expected = laidOut.firstRow;
        expected.append(laidOut.starts.size());
        compareEstimates(here, buffer, expected);
        compareEstimates(threaded, buffer, expected);
        QCOMPARE(RowCounter::linesCounted() - before >= buffer.lineCount(), wrap);
    }

    void followsChangesWhileTheThreadCounts_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("midway");  // after some results came in, else before any
        const char *const names[] = {"typing above every batch", "lines added in a batch", "lines joined across batches",
                                     "appended in pieces as a load does", "everything replaced", "another width",
                                     "wrap off and on", "another font"};
        for (int change = 0; change < int(std::size(names)); ++change) {
            for (const bool midway : {false, true})
                QTest::addRow("%s, %s", names[change], midway ? "midway" : "at once") << change << midway;
        }
    }

    // An edit, or a change of width, wrap or font, while the thread has lines to count (its
    // results not taken yet, or some taken): what it counted of lines that changed or moved
    // is never applied, and the rows come out as a fresh count has them.
    void followsChangesWhileTheThreadCounts()
    {
        QFETCH(int, change);
        QFETCH(bool, midway);
        TextBuffer buffer;
        makeText(buffer, 8000, 17);
        const TextStyle other(testFont(20));
        const TextStyle *style = &m_style;
        qreal width = 100;
        WrapIndex index(&buffer);
        index.setStyle(style);
        index.setWidth(width);
        QCoreApplication::processEvents();  // lines handed to the thread
        if (midway)
            QTRY_VERIFY(index.estimatedRowCount() > buffer.lineCount());
        const qsizetype middle = buffer.lineStart(buffer.lineCount() / 2);
        switch (change) {
        case 0: buffer.replace(3, 3, kProse); break;
        case 1: buffer.replace(middle, middle, (kProse + u'\n').repeated(40)); break;
        case 2: buffer.replace(buffer.lineStart(1000), middle, QString()); break;
        case 3:
            for (int piece = 0; piece < 8; ++piece) {  // each ends inside a line, which the next continues
                buffer.replace(buffer.length(), buffer.length(), (kProse + u'\n').repeated(700) + u"途中"_s);
                QCoreApplication::processEvents();
            }
            break;
        case 4: buffer.replace(0, buffer.length(), (u"新しい"_s + kProse + u'\n').repeated(6000)); break;
        case 5: index.setWidth(width = 77); break;
        case 6: index.setWrap(false); index.setWrap(true); break;
        default: index.setStyle(style = &other); break;
        }
        compareEstimates(index, buffer, firstRows(buffer, *style, width));
    }

    void endsCleanlyWhileCounting_data()
    {
        QTest::addColumn<int>("passes");  // of the event loop before the end; -1: after some results
        QTest::newRow("before anything is handed") << 0;
        QTest::newRow("lines handed") << 1;
        QTest::newRow("after some results") << -1;
    }

    // An index destroyed (its window closed) while its thread counts ends at once and leaves
    // nothing behind: no result reaches it later, and another view's index of the same text
    // counts on undisturbed.
    void endsCleanlyWhileCounting()
    {
        QFETCH(int, passes);
        TextBuffer buffer;
        makeText(buffer, 8000, 19);
        WrapIndex survivor(&buffer);
        auto closed = std::make_unique<WrapIndex>(&buffer);
        for (WrapIndex *index : {&survivor, closed.get()}) {
            index->setStyle(&m_style);
            index->setWidth(120);
        }
        for (int pass = 0; pass < passes; ++pass)
            QCoreApplication::processEvents();
        if (passes < 0)
            QTRY_VERIFY(closed->estimatedRowCount() > buffer.lineCount());
        QVERIFY(closed->isCounting());
        QSignalSpy gone(closed.get(), &QObject::destroyed);
        closed.reset();
        QCOMPARE(gone.size(), 1);
        QVERIFY(RowCounter::threadsRunning() <= 1);  // the survivor's at most
        compareEstimates(survivor, buffer, firstRows(buffer, m_style, 120));
    }

    // A counting thread with nothing more to do ends after a while; the next change of width
    // has the rows counted on a new one.
    void countsAgainAfterItsThreadEnded()
    {
        TextBuffer buffer;
        makeText(buffer, 3000, 23);
        WrapIndex index(&buffer);
        index.setStyle(&m_style);
        index.setWidth(100);
        compareEstimates(index, buffer, firstRows(buffer, m_style, 100));
        QTRY_COMPARE_WITH_TIMEOUT(RowCounter::threadsRunning(), 0, 10000);
        const qint64 before = RowCounter::linesCounted();
        index.setWidth(140);
        compareEstimates(index, buffer, firstRows(buffer, m_style, 140));
        QVERIFY(RowCounter::linesCounted() - before >= buffer.lineCount());
    }

    void pagesHoldEveryRowOnce_data()
    {
        QTest::addColumn<QRectF>("rect");
        QTest::newRow("page") << QRectF(20, 30, 300, 400);
        QTest::newRow("narrow and short") << QRectF(0, 0, 60, 50);
        QTest::newRow("lower than a row") << QRectF(0, 0, 200, 5);
        QTest::newRow("one row exactly") << QRectF(0, 0, 200, 18);
    }

    // Page after page from the start to the end: each page starts at a row, holds as many rows
    // as fit (the last at most that), and together they hold every row once.
    void pagesHoldEveryRowOnce()
    {
        QFETCH(QRectF, rect);
        TextBuffer buffer;
        makeText(buffer, 150, 8, u"\n\n"_s);
        QImage device(10, 10, QImage::Format_ARGB32);
        const TextStyle style(testFont(), &device);
        const Rows rows(buffer, style, rect.width());
        const qsizetype capacity = std::max(1, int(rect.height() / style.lineHeight()));
        // The empty line after the final break starts at the end: there is nothing in it to print.
        QCOMPARE(rows.starts.last(), buffer.length());
        const qsizetype printable = rows.starts.size() - 1;
        qsizetype row = 0;
        for (qsizetype from = 0, pages = 0; from < buffer.length(); ++pages) {
            QVERIFY(pages < printable);
            const qsizetype next = PageLayout::drawPage(buffer, from, nullptr, &device, rect, testFont());
            QCOMPARE(from, rows.starts.at(row));
            const qsizetype nextRow = next == buffer.length() ? printable : rows.starts.indexOf(next);
            QVERIFY2(nextRow > row && nextRow - row <= capacity, qPrintable(QString::number(next)));
            if (next < buffer.length())
                QCOMPARE(nextRow - row, capacity);
            row = nextRow;
            from = next;
        }
        QCOMPARE(row, printable);
        QCOMPARE(PageLayout::drawPage(buffer, buffer.length(), nullptr, &device, rect, testFont()), buffer.length());
    }

    // Starting inside a row (a caller's own position), the rest of that line is laid out from
    // there and nothing before it is drawn again.
    void pageFromInsideARow()
    {
        TextBuffer buffer;
        buffer.load(u"abcdefghij klmnopqrst\nuvw"_s, {});
        QImage device(10, 10, QImage::Format_ARGB32);
        for (const auto &[from, next] : {std::pair<qsizetype, qsizetype>{0, 8}, {3, 11}, {11, 19}, {19, 22}, {22, 25}})
            QCOMPARE(PageLayout::drawPage(buffer, from, nullptr, &device, QRectF(0, 0, 64, 18), testFont()), next);
    }
};

QTEST_MAIN(TestWrapIndex)
#include "tst_wrapindex.moc"
