// The whole program's road for a large file: File-Open through the document template into a
// new document window until its first screen is painted; then, with wrap on, the keys a user
// presses on it (each with its repaint), and Save through the command.
#include "bench/benchapp.h"
#include "benchtext.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyoview.h"
#include "platform/base/encoding.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/framework/richeditdoc.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <sys/resource.h>

int main(int argc, char *argv[])
{
    BenchApp bench(argc, argv);
    if (!bench.start())
        return 1;
    CNYOApp &app = bench.app();

    QString path, cp932Again, utf8Path;
    {
        const QByteArray bytes = makeText("\r\n", false);
        // The same text in whole characters in CP932 and in UTF-8, for the openings at the end.
        const QString text = wholeCharacters(bytes);
        path = bench.write(QStringLiteral("big.txt"), bytes);
        cp932Again = bench.write(QStringLiteral("big-again.txt"), Encodings::encode(Encoding::Cp932, text));
        utf8Path = bench.write(QStringLiteral("big-utf8.txt"), Encodings::encode(Encoding::Utf8, text));
    }
    if (path.isEmpty() || cp932Again.isEmpty() || utf8Path.isEmpty())
        return 1;

    double openMs = 0;
    auto *view = static_cast<CNYOView *>(bench.openToPaint(path, &openMs));
    if (!view)
        return 1;

    // Jumps as the jump commands make them, with wrap on: right after opening the rows are
    // still being counted.
    const auto timed = [](const std::function<void()> &work) {
        QElapsedTimer jumpTimer;
        jumpTimer.start();
        work();
        return jumpTimer.nsecsElapsed() / 1e6;
    };
    CommandRouter *router = app.MainFrame()->Router();
    const double endFreshMs = timed([router] { router->Execute(ID_JUMP_END); });
    view->GetLineCount();  // End no longer counts the rows: counted here, for the jumps below
    const qsizetype line250k = 249999;  // the generated text has about 280,000 rows
    const double jumpCountedMs = timed([view] {
        const qsizetype at = view->LineIndex(line250k);
        view->SetSel(at, at);
    });
    const double endCountedMs = timed([router] { router->Execute(ID_JUMP_END); });
    const double ctrlEndMs = pressKeys(view, Qt::Key_End, Qt::ControlModifier, QString(), 1);
    // The generated file may end in the middle of a character: a break first, so that the
    // letters typed after it do not join that byte.
    const double enterMs = pressKeys(view, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), 200);
    const double typedMs = pressKeys(view, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), 200);
    Keys::Indent.write(2);
    const double indentMs = pressKeys(view, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), 200);
    Keys::Indent.write(1);
    view->SetSel(view->GetTextLength() / 2, view->GetTextLength() / 2);
    const double pageMs = pressKeys(view, Qt::Key_PageDown, Qt::NoModifier, QString(), 50);
    QElapsedTimer timer;
    timer.start();
    const qsizetype rows = view->GetLineCount();
    const double countMs = timer.nsecsElapsed() / 1e6;

    view->SetSel(view->GetTextLength(), view->GetTextLength());
    view->ReplaceSel(QStringLiteral("追記"));
    timer.restart();
    app.MainFrame()->Router()->Execute(ID_FILE_SAVE);
    const double saveMs = timer.nsecsElapsed() / 1e6;

    std::printf("File-Open of a 16 MiB CP932 file with CR LF to the first painted screen: %.0f ms\n", openMs);
    std::printf("End (the jump command) right after opening, wrap on: %.1f ms\n", endFreshMs);
    std::printf("Jump to line 250,000 once counted: %.2f ms; End once counted: %.2f ms\n", jumpCountedMs,
                endCountedMs);
    std::printf("Ctrl+End with wrap on: %.2f ms\n", ctrlEndMs);
    std::printf("A typed character at the end of the file, repaint included: %.3f ms\n", typedMs);
    std::printf("Enter at the end of the file, repaint included: %.3f ms\n", enterMs);
    std::printf("Enter with auto-indent at the end of the file, repaint included: %.3f ms\n", indentMs);
    std::printf("Page Down in the middle of the file, repaint included: %.2f ms\n", pageMs);
    std::printf("Displayed rows (wrap on): %lld, counted in what was left of the idle count: %.1f ms\n",
                (long long)rows, countMs);
    std::printf("Save of the edited document (atomic, through the Save command): %.0f ms\n", saveMs);
    std::printf("characters: %lld, modified after save: %s\n", (long long)view->GetTextLength(),
                view->GetModify() ? "yes" : "no");

    // The same text opened again, in UTF-8 and in CP932, each to its first painted screen: the
    // encoding is decided from the whole file and UTF-8 decoded on the way.
    // Each alone: no other document's idle work runs while it opens.
    const auto openToPaint = [&app, &bench](const QString &file) {
        app.CloseAllDocuments();
        QApplication::processEvents();
        double ms = 0;
        const RichEditView *opened = bench.openToPaint(file, &ms);
        std::printf("  %s opened as %s in %.0f ms\n", qPrintable(QFileInfo(file).fileName()),
                    qPrintable(Encodings::name(opened->GetDocument()->GetEncoding())), ms);
        return ms;
    };
    const double utf8Ms = openToPaint(utf8Path);
    const double cp932Ms = openToPaint(cp932Again);
    std::printf("The same text opened again to the first painted screen: CP932 %.0f ms, UTF-8 %.0f ms (%.2fx)\n",
                cp932Ms, utf8Ms, utf8Ms / cp932Ms);
    std::printf("peak RSS: %ld KiB\n", BenchApp::peakRssKiB());
    return bench.exit();
}
