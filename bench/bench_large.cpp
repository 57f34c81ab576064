// The whole program's road for a 128 MiB file (the generated 16 MiB text eight times, about
// 3 million lines): File-Open to the first painted screen, End, a typed character and Enter at
// the end, Page Down in the middle (each with its repaint), Find of a word at the end, Replace
// All and its undo, a printed page laid out in the middle, Save through the command, and the
// peak resident memory. Memory the file's reading is estimated to need is printed beside it.
#include "bench/benchapp.h"
#include "benchtext.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyoview.h"
#include "platform/engine/pagelayout.h"
#include "editor/nyodoc.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/engine/textfinder.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/mdichildwnd.h"
#include "res/resource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>

#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    BenchApp bench(argc, argv);
    if (!bench.start())
        return 1;
    CNYOApp &app = bench.app();

    const QString path = bench.path(QStringLiteral("large.txt"));
    qint64 fileBytes = 0;
    {
        const QByteArray part = makeText("\r\n", false);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        for (int i = 0; i < 8; ++i) {
            // Each part ends where the 16 MiB cut fell, perhaps in a pair: a break joins them.
            if (file.write(part) != part.size() || file.write("\r\n") != 2)
                return 1;
        }
        fileBytes = file.size();
    }
    const long rssBefore = BenchApp::peakRssKiB();

    double openMs = 0;
    auto *view = static_cast<CNYOView *>(bench.openToPaint(path, &openMs));
    if (!view) {
        std::printf("the 128 MiB file did not open\n");
        return 1;
    }
    QElapsedTimer timer;
    // The peak of each step of the road alone, to tell which one sets the peak of all.
    struct Step {
        const char *name;
        long peakKiB, afterKiB;
    };
    QList<Step> steps;
    long roadPeakKiB = 0;
    const auto stepDone = [&](const char *name) {
        steps.append({name, BenchApp::statusKiB("VmHWM"), BenchApp::statusKiB("VmRSS")});
        roadPeakKiB = std::max(roadPeakKiB, steps.back().peakKiB);
        BenchApp::restartPeak();
    };
    stepDone("start and open");

    // The rest of the file comes in while the window answers: the longest the event loop was
    // kept from events meanwhile, and when the whole text was in.
    timer.start();
    double longestStallMs = 0;
    for (QElapsedTimer turn; view->GetDocument() && view->GetDocument()->IsLoading();) {
        turn.start();
        QApplication::processEvents(QEventLoop::AllEvents);
        longestStallMs = std::max(longestStallMs, turn.nsecsElapsed() / 1e6);
    }
    const double loadedMs = openMs + timer.nsecsElapsed() / 1e6;
    const long rssLoaded = BenchApp::peakRssKiB();

    timer.restart();
    app.MainFrame()->Router()->Execute(ID_JUMP_END);
    view->viewport()->repaint();
    const double endMs = timer.nsecsElapsed() / 1e6;
    const double typedMs = pressKeys(view, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), 200);
    const double enterMs = pressKeys(view, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), 200);
    view->SetSel(view->GetTextLength() / 2, view->GetTextLength() / 2);
    const double pageMs = pressKeys(view, Qt::Key_PageDown, Qt::NoModifier, QString(), 50);
    stepDone("typing and paging");

    // The edited text's first recovery journal, written while the event loop runs on: the
    // longest it was kept from events meanwhile (the journal's timer fires within the time).
    double journalStallMs = 0;
    QElapsedTimer wait;
    wait.start();
    while (wait.elapsed() < 2000) {
        QElapsedTimer turn;
        turn.start();
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        journalStallMs = std::max(journalStallMs, turn.nsecsElapsed() / 1e6);
    }
    stepDone("first recovery journal");

    // Find from the start of a word typed at the end; Replace All and its one undo step.
    TextBuffer &buffer = *view->buffer();
    const QString lastWord = QStringLiteral("最後の語句");
    view->SetSel(-1, -1);
    view->ReplaceSel(lastWord);
    view->SetSel(0, 0);
    TextFinder finder(view);
    TextFinder::Run run;
    timer.restart();
    const bool foundLast = finder.FindText(lastWord, {}, TextFinder::Direction::Down, run);
    const double findMs = timer.nsecsElapsed() / 1e6;
    stepDone("find");
    const qsizetype length = buffer.length();
    timer.restart();
    const qsizetype replaced = finder.ReplaceAll(QStringLiteral("猫"), QStringLiteral("犬"), {});
    const double replaceMs = timer.nsecsElapsed() / 1e6;
    stepDone("replace all");
    timer.restart();
    buffer.undo();
    const double undoMs = timer.nsecsElapsed() / 1e6;
    stepDone("undo");
    const bool undoneWhole = buffer.length() == length && finder.Search(buffer, QStringLiteral("猫"), 0, {},
                                                                        TextFinder::Direction::Down) >= 0;

    // A printed page laid out from the middle line (counted, not drawn).
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(bench.path(QStringLiteral("page.pdf")));
    printer.setFullPage(true);
    const qreal scale = printer.logicalDpiX() / 1440.0;
    const QRectF area(566 * scale, 566 * scale, (12240 - 2 * 566) * scale, (15840 - 2 * 566) * scale);
    const qsizetype pageFrom = buffer.lineStart(buffer.lineCount() / 2);
    timer.restart();
    const qsizetype pageTo = PageLayout::drawPage(buffer, pageFrom, nullptr, &printer, area, view->font());
    const double pageLayoutMs = timer.nsecsElapsed() / 1e6;
    stepDone("printed page");

    timer.restart();
    app.MainFrame()->Router()->Execute(ID_FILE_SAVE);
    const double saveMs = timer.nsecsElapsed() / 1e6;
    stepDone("save");

    std::printf("File-Open of a %lld-byte CP932 file (CR LF) to the first painted screen: %.0f ms (goal 300 ms)\n",
                (long long)fileBytes, openMs);
    std::printf("File-Open to the whole text in: %.0f ms; the longest turn of the event loop meanwhile: %.1f ms; peak RSS by then: %ld MiB\n",
                loadedMs, longestStallMs, rssLoaded / 1024);
    std::printf("End (the jump command) after opening, repaint included: %.1f ms\n", endMs);
    std::printf("A typed character at the end, repaint included: %.3f ms (goal 1 ms)\n", typedMs);
    std::printf("Enter at the end, repaint included: %.3f ms (goal 1 ms)\n", enterMs);
    std::printf("Page Down in the middle, repaint included: %.2f ms (goal 16 ms)\n", pageMs);
    std::printf("The first recovery journal of the edited text: the longest turn of the event loop while it was written: %.0f ms\n",
                journalStallMs);
    std::printf("Find of a word at the end, from the start: %.1f ms (%s)\n", findMs, foundLast ? "found" : "not found");
    std::printf("Replace All of %lld matches: %.0f ms; one undo: %.0f ms, the text as before: %s\n",
                (long long)replaced, replaceMs, undoMs, undoneWhole ? "yes" : "no");
    std::printf("A printed page laid out from the middle line: %.1f ms (%lld characters)\n", pageLayoutMs,
                (long long)(pageTo - pageFrom));
    std::printf("Save through the command: %.0f ms (goal 600 ms); modified after: %s\n", saveMs,
                view->GetModify() ? "yes" : "no");
    std::printf("characters: %lld, lines: %lld\n", (long long)view->GetTextLength(),
                (long long)view->buffer()->lineCount());
    std::printf("peak RSS: %ld MiB (%ld MiB before opening; goal 320 MB); reading estimated at %lld MiB\n",
                std::max(BenchApp::peakRssKiB(), roadPeakKiB) / 1024, rssBefore / 1024,
                (long long)(TextBytes::memoryToRead(fileBytes) >> 20));
    std::printf("RSS of each step, its peak / after it:\n");
    for (const Step &step : steps)
        std::printf("  %-18s %4ld / %4ld MiB\n", step.name, step.peakKiB / 1024, step.afterKiB / 1024);
    std::fflush(stdout);
    return bench.exit();
}
