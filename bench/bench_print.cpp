// Printing benchmark. The page layout alone: the first 1 MiB of the generated text laid
// out on letter pages with 10 mm margins in a 10.5-point font at the printer's 1200 dpi. Goals:
// every page counted within 2 s, and each page printed to PDF within 20 ms on average.
// The whole program (run first, its peak memory its own) with the generated 16 MiB file: the print preview's first page
// painted within 0.3 s of the command, peak memory grown by at most 40 MB, the last page
// painted within 0.5 s once the count is known; printing every page to PDF at 1.5 ms a page or
// less, the event loop turning at least every 50 ms throughout. "bench_print 128" does the same
// with a 128 MiB file of eight copies of that text.
// Run with QT_QPA_PLATFORM=offscreen.
#include "benchapp.h"
#include "benchtext.h"
#include "platform/engine/pagelayout.h"
#include "platform/engine/textbuffer.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/previewcanvas.h"
#include "platform/framework/printpreview.h"
#include "res/resource.h"
#include "settings/fontrecord.h"
#include "settings/keyindex.h"

#include <QAction>
#include <QTimer>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>

#include <cstdio>

namespace {

constexpr int kPagesPrinted = 100;

double ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

QFont printFont()
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSizeF(10.5);
    return font;
}

// The letter page less 566 twips on every side, in the printer's pixels.
QRectF printArea(const QPrinter &printer)
{
    const qreal scale = printer.logicalDpiX() / 1440.0;
    return QRectF(566 * scale, 566 * scale, (12240 - 2 * 566) * scale, (15840 - 2 * 566) * scale);
}

// The longest time between two turns of the event loop while it runs, measured by a timer
// that fires on every turn.
class LoopGaps : public QObject {
public:
    LoopGaps()
    {
        m_timer.setInterval(0);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_longest = std::max(m_longest, m_clock.nsecsElapsed() / 1e6);
            m_clock.restart();
        });
        m_clock.start();
        m_timer.start();
    }
    // Counting the wait for a turn still to come.
    double longestMs() const { return std::max(m_longest, m_clock.nsecsElapsed() / 1e6); }
    void reset()
    {
        m_longest = 0;
        m_clock.restart();
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_longest = 0;
};

// Runs step every event-loop turn until it returns true.
void untilDone(std::function<bool()> step)
{
    auto *timer = new QTimer;
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        if (step()) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

struct PreviewTimes {
    double firstMs = -1, countMs = -1, lastMs = -1, longestGapMs = 0;
    int pages = 0;
};

// Opens the preview with the command, times its first page painted and its last page painted
// once every page is known, then closes it.
PreviewTimes timePreview(BenchApp &bench)
{
    PreviewTimes times;
    QElapsedTimer clock;
    auto counter = std::make_shared<PaintCounter>();
    enum { Opening, First, Counting, Last } stage = Opening;
    PrintPreview *preview = nullptr;
    PreviewCanvas *canvas = nullptr;
    QElapsedTimer lastClock;
    LoopGaps gaps;
    untilDone([&] {
        switch (stage) {
        case Opening:
            preview = qobject_cast<PrintPreview *>(QApplication::activeModalWidget());
            if (!preview)
                return false;
            canvas = preview->findChild<PreviewCanvas *>();
            canvas->installEventFilter(counter.get());
            stage = First;
            return false;
        case First:
            if (counter->paints == 0)
                return false;
            times.firstMs = clock.nsecsElapsed() / 1e6;
            gaps.reset();  // from here on the window is shown, and pages are found in slices
            stage = Counting;
            return false;
        case Counting:
            if (!preview->Starts().Done())
                return false;
            times.countMs = clock.nsecsElapsed() / 1e6;
            times.pages = preview->Starts().Count();
            counter->paints = 0;
            lastClock.start();
            preview->findChild<QAction *>(QStringLiteral("lastPageAction"))->trigger();
            stage = Last;
            return false;
        case Last:
            if (counter->paints == 0)
                return false;
            times.lastMs = lastClock.nsecsElapsed() / 1e6;
            canvas->removeEventFilter(counter.get());
            preview->reject();
            return true;
        }
        return true;
    });
    clock.start();
    bench.frame()->Router()->Execute(ID_FILE_PRINT_PREVIEW);
    times.longestGapMs = gaps.longestMs();
    return times;
}

// Prints the whole text to a PDF file with the print command; the longest gap between event
// loop turns meanwhile.
double timePrint(BenchApp &bench, const QString &pdf, double *longestGapMs)
{
    bench.app().GetPrinter()->setOutputFileName(pdf);
    LoopGaps gaps;
    QElapsedTimer clock;
    clock.start();
    bench.frame()->Router()->Execute(ID_FILE_PRINT_DIRECT);
    *longestGapMs = gaps.longestMs();
    return clock.nsecsElapsed() / 1e6;
}

// parts: how many copies of the 16 MiB text the file holds, each ending in a line break.
bool benchProgram(BenchApp &bench, int parts)
{
    CharFormat print;
    print.cbSize = CharFormat::kSize;
    print.dwMask = CharFormat::CFM_FACE | CharFormat::CFM_SIZE;
    print.yHeight = 210;
    print.szFaceName = QStringLiteral("IPAGothic");
    WriteFontRecord(QString::fromLatin1(Keys::kPrintFont), print);
    const QByteArray part = makeText("\r\n", false) + "\r\n";
    QByteArray bytes;
    bytes.reserve(part.size() * parts);
    for (int i = 0; i < parts; ++i)
        bytes += part;
    const QString path = bench.write(QStringLiteral("large.txt"), bytes);
    bytes = QByteArray();
    if (path.isEmpty() || !bench.openToPaint(path))
        return false;
    const long rssBefore = BenchApp::peakRssKiB();
    const PreviewTimes preview = timePreview(bench);
    const long rssAfter = BenchApp::peakRssKiB();
    std::printf("%d MiB file, preview: first page painted in %.1f ms, %d pages counted by %.1f ms, "
                "last page painted in %.1f ms; longest turn of the event loop while counting %.1f ms; "
                "peak memory %ld -> %ld MiB (+%ld)\n",
                16 * parts, preview.firstMs, preview.pages, preview.countMs, preview.lastMs, preview.longestGapMs,
                rssBefore / 1024, rssAfter / 1024, (rssAfter - rssBefore) / 1024);
    const QString pdf = bench.path(QStringLiteral("large.pdf"));
    double gapMs = 0;
    const double printMs = timePrint(bench, pdf, &gapMs);
    std::printf("  printed to PDF: %d pages in %.0f ms (%.2f ms a page), longest turn of the event loop %.1f ms; "
                "peak memory %ld MiB\n",
                preview.pages, printMs, printMs / std::max(1, preview.pages), gapMs, BenchApp::peakRssKiB() / 1024);
    QFile::remove(pdf);
    return true;
}

// The page layout alone on 1 MiB of the text.
void benchLayout()
{
    QList<CodePage::Variant> variants;
    const QString text = CodePage::decode(makeText("\r\n", false).left(1024 * 1024), &variants);
    TextBuffer buffer;
    buffer.load(text, variants);

    const QString pdf = QDir::temp().filePath(QStringLiteral("nyo_bench_print.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setFullPage(true);
    const QRectF area = printArea(printer);

    QElapsedTimer timer;
    timer.start();
    int pages = 0;
    for (qsizetype from = 0; from < buffer.length(); ++pages)
        from = PageLayout::drawPage(buffer, from, nullptr, &printer, area, printFont());
    std::printf("1 MiB text, %lld lines: %d pages counted in %.1f ms\n", qlonglong(buffer.lineCount()), pages,
                ms(timer));

    timer.restart();
    QPainter painter(&printer);
    qsizetype from = 0;
    for (int page = 0; page < kPagesPrinted && from < buffer.length(); ++page) {
        if (page > 0)
            printer.newPage();
        from = PageLayout::drawPage(buffer, from, &painter, &printer, area, printFont());
    }
    painter.end();
    std::printf("  %d pages printed to PDF in %.1f ms (%.2f ms a page)\n", kPagesPrinted, ms(timer),
                ms(timer) / kPagesPrinted);
    QFile::remove(pdf);
}

} // namespace

int main(int argc, char **argv)
{
    // The program first, so that its peak memory is its own.
    BenchApp bench(argc, argv);
    // "bench_print 128" previews and prints a 128 MiB file instead.
    const int parts = argc > 1 && qstrcmp(argv[1], "128") == 0 ? 8 : 1;
    if (!bench.start() || !benchProgram(bench, parts))
        return 1;
    benchLayout();
    return bench.exit();
}
