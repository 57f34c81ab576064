// Composing with an input method at the end of the 16 MiB file in a document window, wrap on:
// each update of a composition of three clauses as the method sends it (the clause being
// converted highlighted, the others underlined, its caret), with the repaint it causes
// (goal: 1 ms). The composition is cancelled at the end; the document stays unmodified.
#include "bench/benchapp.h"
#include "benchtext.h"
#include "besttime.h"

#include "app/mainframe.h"
#include "app/nyoapp.h"
#include "editor/nyoview.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/mdichildwnd.h"
#include "res/resource.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QTextCharFormat>

#include <cstdio>

namespace {

// The composition "今日は晴れて暑い" in clauses of 3, 3 and 2 with clause `converting`
// highlighted, as Space and Right leave it.
void compose(QWidget *view, int converting)
{
    static const int lengths[] = {3, 3, 2};
    QList<QInputMethodEvent::Attribute> attributes;
    int start = 0;
    for (int i = 0; i < 3; start += lengths[i++]) {
        QTextCharFormat format;
        if (i == converting) {
            format.setBackground(view->palette().color(QPalette::Highlight));
            format.setForeground(view->palette().color(QPalette::HighlightedText));
        } else {
            format.setUnderlineStyle(QTextCharFormat::DashUnderline);
        }
        attributes.append({QInputMethodEvent::TextFormat, start, lengths[i], format});
    }
    attributes.append({QInputMethodEvent::Cursor, 0, 1, QVariant()});
    QInputMethodEvent event(QStringLiteral("今日は晴れて暑い"), attributes);
    QApplication::sendEvent(view, &event);
}


} // namespace

int main(int argc, char *argv[])
{
    BenchApp bench(argc, argv);
    if (!bench.start())
        return 1;
    CNYOApp &app = bench.app();

    auto *view = static_cast<CNYOView *>(bench.openGenerated());
    if (!view)
        return 1;
    view->SetWordWrap(true);
    app.MainFrame()->Router()->Execute(ID_JUMP_END);
    view->setFocus();
    view->viewport()->repaint();

    // The best of several runs of a few updates each: the machine's other work stays out.
    // Each update is painted as the view asks (the rows it changes), and again with the whole
    // view repainted, as the key benchmarks measure keys.
    PaintCounter counter;
    view->viewport()->installEventFilter(&counter);
    constexpr int kUpdates = 20;
    constexpr int kRuns = 15;
    int converting = 0;
    const auto updates = [view, &converting](bool whole) {
        return [view, &converting, whole] {
            for (int i = 0; i < kUpdates; ++i) {
                compose(view, converting++ % 3);
                if (whole)
                    view->viewport()->repaint();
                else
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
            }
        };
    };
    const double updateMs = bestMs(updates(false), {}, kRuns) / kUpdates;
    const int paints = counter.paints;
    const double wholeMs = bestMs(updates(true), {}, kRuns) / kUpdates;
    QInputMethodEvent cancel;
    QApplication::sendEvent(view, &cancel);
    const double plainMs = bestMs([view] {
        for (int i = 0; i < kUpdates; ++i)
            view->viewport()->repaint();
    }, {}, kRuns) / kUpdates;

    std::printf("A preedit update with three clauses at the end of the 16 MiB file, wrap on, repaint included: "
                "%.3f ms (%d of %d updates painted)\n",
                updateMs, paints, kUpdates * kRuns);
    std::printf("The same with the whole view repainted: %.3f ms; the whole view alone: %.3f ms\n", wholeMs, plainMs);
    std::printf("characters: %lld, modified after composing: %s\n", (long long)view->GetTextLength(),
                view->GetModify() ? "yes" : "no");
    return bench.exit();
}
