// The whole program's road for a large file: File-Open through the document template into a
// new document window until its first screen is painted; then, with wrap on, the keys a user
// presses on it (each with its repaint), and Save through the command.
#include "bench/benchenv.h"
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

namespace {
long peakRssKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Counts the paints of a view's text area.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir env;
    useFoldersIn(env);
    QApplication application(argc, argv);
    CNYOApp app({QStringLiteral("NYO")});
    if (!app.InitInstance())
        return 1;
    app.MainFrame()->resize(1000, 700);
    QApplication::processEvents();

    const QString path = env.filePath(QStringLiteral("big.txt"));
    const QString cp932Again = env.filePath(QStringLiteral("big-again.txt"));
    const QString utf8Path = env.filePath(QStringLiteral("big-utf8.txt"));
    {
        const QByteArray bytes = makeText("\r\n", false);
        // The same text in whole characters in CP932 and in UTF-8, for the openings at the end.
        const QString text = wholeCharacters(bytes);
        const QByteArray again = Encodings::encode(Encoding::Cp932, text);
        const QByteArray utf8 = Encodings::encode(Encoding::Utf8, text);
        QFile file(path), againFile(cp932Again), utf8File(utf8Path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !againFile.open(QIODevice::WriteOnly) || againFile.write(again) != again.size() ||
            !utf8File.open(QIODevice::WriteOnly) || utf8File.write(utf8) != utf8.size())
            return 1;
    }

    PaintCounter counter;
    QElapsedTimer timer;
    timer.start();
    app.OpenDocumentFile(path);
    auto *view = static_cast<CNYOView *>(app.MainFrame()->MDIGetActive()->GetActiveView());
    view->viewport()->installEventFilter(&counter);
    view->viewport()->update();
    while (counter.paints == 0)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double openMs = timer.nsecsElapsed() / 1e6;

    // Keys as the user presses them, each followed by the repaint it causes.
    const auto press = [view](Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text, int times) {
        QElapsedTimer keyTimer;
        keyTimer.start();
        for (int i = 0; i < times; ++i) {
            QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
            QApplication::sendEvent(view, &event);
            view->viewport()->repaint();
        }
        return keyTimer.nsecsElapsed() / 1e6 / times;
    };
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
    const qsizetype line250k = 249999;  // the generated text has about 280,000 rows
    const double jumpCountedMs = timed([view] {
        const qsizetype at = view->LineIndex(line250k);
        view->SetSel(at, at);
    });
    const double endCountedMs = timed([router] { router->Execute(ID_JUMP_END); });
    const double ctrlEndMs = press(Qt::Key_End, Qt::ControlModifier, QString(), 1);
    // The generated file may end in the middle of a character: a break first, so that the
    // letters typed after it do not join that byte.
    const double enterMs = press(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), 200);
    const double typedMs = press(Qt::Key_A, Qt::NoModifier, QStringLiteral("a"), 200);
    Keys::Indent.write(2);
    const double indentMs = press(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), 200);
    Keys::Indent.write(1);
    view->SetSel(view->GetTextLength() / 2, view->GetTextLength() / 2);
    const double pageMs = press(Qt::Key_PageDown, Qt::NoModifier, QString(), 50);
    timer.restart();
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
    const auto openToPaint = [&app](const QString &file) {
        app.CloseAllDocuments();
        QApplication::processEvents();
        QElapsedTimer openTimer;
        openTimer.start();
        app.OpenDocumentFile(file);
        auto *opened = app.MainFrame()->MDIGetActive()->GetActiveView();
        PaintCounter paints;
        opened->viewport()->installEventFilter(&paints);
        opened->viewport()->update();
        while (paints.paints == 0)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        opened->viewport()->removeEventFilter(&paints);
        const double ms = openTimer.nsecsElapsed() / 1e6;
        const auto *doc = static_cast<const RichEditDoc *>(opened->GetDocument());
        std::printf("  %s opened as %s in %.0f ms\n", qPrintable(QFileInfo(file).fileName()),
                    qPrintable(Encodings::name(doc->GetEncoding())), ms);
        return ms;
    };
    const double utf8Ms = openToPaint(utf8Path);
    const double cp932Ms = openToPaint(cp932Again);
    std::printf("The same text opened again to the first painted screen: CP932 %.0f ms, UTF-8 %.0f ms (%.2fx)\n",
                cp932Ms, utf8Ms, utf8Ms / cp932Ms);
    std::printf("peak RSS: %ld KiB\n", peakRssKiB());
    app.MainFrame()->close();
    return app.ExitInstance(0);
}
