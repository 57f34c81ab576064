// Large-document benchmark of the editing control: a 16 MiB CP932 text file is opened into a
// shown control (read, decode, build, first paint), saved back (encode, atomic write), given
// a new whole-text font, and counted in displayed rows. Goals: open well under 1.5 s, save
// well under 0.3 s, font change well under 1 s. Run with QT_QPA_PLATFORM=offscreen.
#include "benchtext.h"
#include "platform/base/codepage.h"
#include "platform/engine/richedit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>

#if __has_include(<sys/resource.h>)
#include <sys/resource.h>
#define HAVE_GETRUSAGE 1
#endif

namespace {


// Records when a paint of the text area has finished.
class PaintedEdit : public RichEdit {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        RichEdit::paintEvent(event);
        ++paints;
    }
};

long peakRssKiB()
{
#ifdef HAVE_GETRUSAGE
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
#else
    return -1;
#endif
}

double ms(const QElapsedTimer &timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Processor time of this process: the figure other load on the machine disturbs least.
double cpuMs(std::clock_t since)
{
    return double(std::clock() - since) * 1000.0 / CLOCKS_PER_SEC;
}

void waitForPaint(QApplication &app, PaintedEdit &edit)
{
    const int before = edit.paints;
    edit.viewport()->update();
    while (edit.paints == before)
        app.processEvents(QEventLoop::AllEvents, 10);
}

void runFile(QApplication &app, const QString &dir, const char *name, const char *lineBreak,
             bool withVariants = false)
{
    const QByteArray generated = makeText(lineBreak, withVariants);
    const QString path = dir + QLatin1Char('/') + QLatin1String(name);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(generated) != generated.size()) {
            std::printf("cannot write %s\n", qPrintable(path));
            return;
        }
    }

    PaintedEdit edit;
    edit.resize(1000, 700);
    edit.show();
    waitForPaint(app, edit);

    QElapsedTimer timer;
    timer.start();
    const std::clock_t openCpu = std::clock();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    file.close();
    const double readMs = ms(timer);
    const bool loaded = edit.StreamIn(bytes);
    const double streamInMs = ms(timer) - readMs;
    waitForPaint(app, edit);
    const double openMs = ms(timer);
    const double openCpuMs = cpuMs(openCpu);

    QElapsedTimer decodeTimer;
    decodeTimer.start();
    QList<CodePage::Variant> variants;
    const qsizetype decodedLength = CodePage::decode(bytes, &variants).size();
    const double decodeMs = ms(decodeTimer);

    timer.restart();
    const std::clock_t saveCpu = std::clock();
    QList<qsizetype> unencodable;
    const QByteArray out = edit.StreamOut(&unencodable);
    const double streamOutMs = ms(timer);
    QSaveFile save(path);
    const bool saved = save.open(QIODevice::WriteOnly) && save.write(out) == out.size() && save.commit();
    const double saveMs = ms(timer);
    const double saveCpuMs = cpuMs(saveCpu);

    timer.restart();
    CharFormat format;
    format.cbSize = CharFormat::kSize;
    format.dwMask = CharFormat::CFM_FACE | CharFormat::CFM_SIZE | CharFormat::CFM_BOLD;
    format.szFaceName = QStringLiteral("IPAGothic");
    format.yHeight = 240;
    format.dwEffects = CharFormat::CFE_BOLD;
    edit.SetWholeTextFormat(format);
    const double setFormatMs = ms(timer);
    waitForPaint(app, edit);
    const double formatPaintMs = ms(timer);

    timer.restart();
    edit.SetWordWrap(false);
    const qsizetype blocks = edit.GetLineCount();
    const double nowrapCountMs = ms(timer);
    const long rssBeforeRows = peakRssKiB();
    timer.restart();
    edit.SetWordWrap(true);
    const qsizetype rows = edit.GetLineCount();
    const double rowsMs = ms(timer);

    std::printf("%s: %lld bytes, %lld characters, %lld lines, %lld variants\n", name, qlonglong(bytes.size()),
                qlonglong(decodedLength), qlonglong(blocks), qlonglong(variants.size()));
    std::printf("  open:  read %.1f ms, StreamIn %.1f ms (decode alone %.1f ms), to first paint %.1f ms"
                " (processor %.1f ms)%s\n",
                readMs, streamInMs, decodeMs, openMs, openCpuMs, loaded ? "" : "  [StreamIn FAILED]");
    std::printf("  save:  StreamOut %.1f ms, with QSaveFile write %.1f ms (processor %.1f ms), %s, %lld unencodable%s\n",
                streamOutMs, saveMs, saveCpuMs, out == bytes ? "bytes identical" : "BYTES DIFFER",
                qlonglong(unencodable.size()), saved ? "" : "  [WRITE FAILED]");
    std::printf("  font:  SetWholeTextFormat %.1f ms, to next paint %.1f ms\n", setFormatMs, formatPaintMs);
    std::printf("  lines: unwrapped count %.1f ms; wrapped rows %lld in %.1f ms (peak RSS %ld -> %ld KiB)\n",
                nowrapCountMs, qlonglong(rows), rowsMs, rssBeforeRows, peakRssKiB());
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::printf("no temporary folder\n");
        return 1;
    }
    runFile(app, dir.path(), "crlf.txt", "\r\n");
    std::printf("peak RSS after the CR LF file: %ld KiB\n", peakRssKiB());
    runFile(app, dir.path(), "lf.txt", "\n");
    runFile(app, dir.path(), "variants.txt", "\r\n", true);
    std::printf("peak RSS: %ld KiB\n", peakRssKiB());
    return 0;
}
