// Layout benchmark on the 16 MiB text: every line's rows counted at 800 pixels (goal: the
// whole text within 300 ms of processor time, a 40-character line within 0.5 µs), a row
// index's count left to itself (how long, and how much of it the window's thread spends),
// and one screen of 50 rows laid out and painted.
// Run with QT_QPA_PLATFORM=offscreen.
#include "benchtext.h"
#include "platform/base/codepage.h"
#include "platform/engine/linelayout.h"
#include "platform/engine/rowcounter.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textstyle.h"
#include "platform/engine/wrapindex.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <time.h>

namespace {

constexpr qreal kWidth = 800;
constexpr int kScreenRows = 50;

double ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

double cpuMs(std::clock_t since)
{
    return double(std::clock() - since) * 1000.0 / CLOCKS_PER_SEC;
}

// Processor time of the calling thread alone.
double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

QFont benchFont()
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(12);
    return font;
}

void countEveryLine(const TextBuffer &buffer, const TextStyle &style)
{
    QString scratch;
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    qsizetype rows = 0;
    for (qsizetype line = 0; line < buffer.lineCount(); ++line)
        rows += LineLayout::countRows(style, buffer.lineView(line, scratch), kWidth, true);
    std::printf("  countRows, every line at %.0f px: %lld lines -> %lld rows in %.1f ms (processor %.1f ms)\n",
                kWidth, qlonglong(buffer.lineCount()), qlonglong(rows), ms(timer), cpuMs(cpu));
}

void countShortLine(const TextStyle &style)
{
    const QString line = QStringLiteral("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗い");
    constexpr int kRepeats = 1000000;
    qsizetype rows = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kRepeats; ++i)
        rows += LineLayout::countRows(style, line, 300 + (i & 1), true);
    std::printf("  countRows, one %lld-character line at 300 px: %.3f µs a call (%lld rows)\n",
                qlonglong(line.size()), timer.nsecsElapsed() / 1e3 / kRepeats, qlonglong(rows));
}

// The count a view's row index does by itself, the event loop waiting for its work between
// turns: how long until every line is counted, the processor time the window's thread spent
// meanwhile (what it could not spend on the user), and the lines counted on another thread.
void idleCount(QApplication &app, const TextBuffer &buffer, const TextStyle &style)
{
    const qint64 threadLines = RowCounter::linesCounted();
    WrapIndex index(&buffer);
    index.setStyle(&style);
    index.setWidth(kWidth);
    QElapsedTimer total;
    total.start();
    const double cpu = threadCpuMs();
    int turns = 0;
    while (index.isCounting()) {
        app.processEvents(QEventLoop::WaitForMoreEvents);
        ++turns;
    }
    std::printf("  idle count: %d turns, all %.1f ms, window's thread busy %.1f ms, %lld of %lld lines counted on "
                "another thread, %lld rows\n",
                turns, ms(total), threadCpuMs() - cpu, qlonglong(RowCounter::linesCounted() - threadLines),
                qlonglong(buffer.lineCount()), qlonglong(index.estimatedRowCount()));
}

// Lays out the lines from firstLine on until they make a screen, and paints their rows.
void paintScreen(const TextBuffer &buffer, const TextStyle &style, QImage &image, qsizetype firstLine,
                 double *layoutMs, double *paintMs)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<LineLayout> layouts;
    QString scratch;
    int rows = 0;
    for (qsizetype line = firstLine; line < buffer.lineCount() && rows < kScreenRows; ++line) {
        layouts.emplace_back(style, buffer.lineView(line, scratch), kWidth, true);
        rows += layouts.back().rowCount();
    }
    *layoutMs = ms(timer);
    timer.restart();
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::black);
    int y = 0;
    for (const LineLayout &layout : layouts) {
        for (int row = 0; row < layout.rowCount() && y < kScreenRows; ++row, ++y) {
            QList<LineLayout::Highlight> selection;
            if (y == 10)
                selection.append({0, layout.length(), Qt::white, Qt::darkBlue, false});
            layout.paintRow(painter, row, QPointF(0, y * style.lineHeight()), selection);
        }
    }
    painter.end();
    *paintMs = ms(timer);
}

void screens(const TextBuffer &buffer, const TextStyle &style)
{
    QImage image(int(kWidth), int(kScreenRows * style.lineHeight()), QImage::Format_ARGB32_Premultiplied);
    double worstLayout = 0;
    double worstPaint = 0;
    double sumLayout = 0;
    double sumPaint = 0;
    constexpr int kScreens = 20;
    for (int i = 0; i < kScreens; ++i) {
        double layoutMs = 0;
        double paintMs = 0;
        paintScreen(buffer, style, image, buffer.lineCount() * i / kScreens, &layoutMs, &paintMs);
        if (i == 0)
            continue;  // the first one fills the caches of advances and glyphs
        worstLayout = std::max(worstLayout, layoutMs);
        worstPaint = std::max(worstPaint, paintMs);
        sumLayout += layoutMs;
        sumPaint += paintMs;
    }
    std::printf("  one screen of %d rows: layout %.2f ms (worst %.2f), paint %.2f ms (worst %.2f)\n", kScreenRows,
                sumLayout / (kScreens - 1), worstLayout, sumPaint / (kScreens - 1), worstPaint);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QByteArray bytes = makeText("\r\n", false);
    QList<CodePage::Variant> variants;
    const QString text = CodePage::decode(bytes, &variants);
    TextBuffer buffer;
    buffer.load(text, variants);
    std::printf("16 MiB text: %lld characters, %lld lines\n", qlonglong(buffer.length()), qlonglong(buffer.lineCount()));
    {
        QElapsedTimer timer;
        timer.start();
        const TextStyle style(benchFont());
        countEveryLine(buffer, style);
        std::printf("  (first pass, advances measured on the way: %.1f ms in all)\n", ms(timer));
    }
    const TextStyle style(benchFont());
    countEveryLine(buffer, style);
    countShortLine(style);
    idleCount(app, buffer, style);
    screens(buffer, style);
    return 0;
}
