// Find and replace in the editor on the 16 MiB file: a search for what the text does not hold
// (it reads the whole text, twice: to the end and round from the start), stepping from match
// to match, whole words without case, and replacing every match. Each with the text in one
// piece of storage, as loaded, and in two, after an edit in the middle. Times are the best of
// several runs.
#include "benchtext.h"
#include "besttime.h"

#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/engine/textfinder.h"
#include "platform/engine/textview.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>

namespace {

constexpr int kSteps = 200;

// Finds downwards from the start, steps times or until nothing more is found; how many were.
int stepThrough(TextView &view, const QString &what, TextFinder::Options options, int steps)
{
    view.setPosition(0);
    TextFinder finder(&view);
    TextFinder::Run run;
    int found = 0;
    while (found < steps && finder.FindText(what, options, TextFinder::Direction::Down, run))
        ++found;
    return found;
}

void benchText(TextView &view, const QByteArray &bytes, bool split)
{
    TextBuffer &buffer = *view.buffer();
    const auto reload = [&] {
        TextBytes::read(buffer, bytes, std::numeric_limits<qsizetype>::max());
        if (split) {  // an edit in the middle leaves the storage in two pieces there
            const qsizetype middle = buffer.length() / 2;
            buffer.replace(middle, middle, QStringLiteral("x"));
            buffer.replace(middle, middle + 1, QString());
        }
        view.setPosition(0);
    };
    reload();
    std::printf("%s\n", split ? "storage in two pieces (after an edit in the middle)" : "storage in one piece (as loaded)");

    int found = 0;
    double ms = bestMs([&] { found = stepThrough(view, QStringLiteral("存在しない語句"), {}, 1); });
    std::printf("  find what is not there:                 %8.1f ms\n", ms);
    ms = bestMs([&] { found = stepThrough(view, QStringLiteral("見当がつかぬ"), {}, kSteps); });
    std::printf("  %d steps to the next \"見当がつかぬ\":    %8.1f ms (%d found)\n", kSteps, ms, found);
    ms = bestMs([&] { found = stepThrough(view, QStringLiteral("MAIN"), {false, true}, kSteps); });
    std::printf("  %d steps, whole word \"MAIN\", any case:  %8.1f ms (%d found)\n", kSteps, ms, found);
    qsizetype replaced = 0;
    ms = bestMs([&] { replaced = TextFinder(&view).ReplaceAll(QStringLiteral("猫"), QStringLiteral("犬"), {}); },
                reload);
    std::printf("  replace all \"猫\" by \"犬\":                %8.1f ms (%lld replaced)\n", ms,
                (long long)replaced);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QByteArray bytes = makeText("\r\n", false);
    std::printf("CP932 file, CR LF (%lld bytes)\n", (long long)bytes.size());
    TextView view;
    view.resize(800, 600);
    benchText(view, bytes, false);
    benchText(view, bytes, true);
    return 0;
}
