// Printing benchmark: the first 1 MiB of the generated text laid out on letter pages with
// 10 mm margins in a 10.5-point font at the printer's 1200 dpi. Goals: every page counted
// within 2 s, and each page printed to PDF within 20 ms on average.
// Run with QT_QPA_PLATFORM=offscreen.
#include "benchtext.h"
#include "platform/engine/pagelayout.h"
#include "platform/engine/textbuffer.h"

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

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
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
    return 0;
}
