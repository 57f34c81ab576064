// Find and replace in the editor on the 16 MiB file: a search for what the text does not hold
// (it reads the whole text, twice: to the end and round from the start), stepping from match
// to match, whole words without case, and replacing every match. Each with the text in one
// piece of storage, as loaded, and in two, after an edit in the middle. Then, on the text with
// marks added, a word found only at its end and Replace All of 100,000 matches, with whether one
// undo takes it back. Times are the best of several runs.
#include "benchtext.h"
#include "besttime.h"

#include "platform/base/codepage.h"
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

// The generated text with a word at its very end and, at the start of every second line, a
// word that occurs nowhere else, kReplaced times in all: the file is then a little longer.
constexpr qsizetype kReplaced = 100000;
const QString kLastWord = QStringLiteral("最後の語句");
const QString kMarked = QStringLiteral("狸");

QByteArray withMarks(const QByteArray &bytes)
{
    const QStringList lines = wholeCharacters(bytes).split(QStringLiteral("\r\n"));
    QString text;
    text.reserve(bytes.size() + 2 * kReplaced);
    qsizetype marked = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i % 2 == 0 && marked < kReplaced) {
            text += kMarked;
            ++marked;
        }
        text += lines[i];
        text += i + 1 < lines.size() ? QStringLiteral("\r\n") : kLastWord;
    }
    return CodePage::encode(text);
}

// A word found only at the end, from the start; Replace All of kReplaced matches, and whether
// one undo takes it all back.
void benchAtScale(TextView &view, const QByteArray &bytes)
{
    TextBuffer &buffer = *view.buffer();
    const auto reload = [&] {
        TextBytes::read(buffer, bytes, std::numeric_limits<qsizetype>::max());
        view.setPosition(0);
    };
    reload();
    const QString loaded = buffer.text();
    std::printf("with \"%s\" at the end and %lld \"%s\" (%lld bytes)\n", qPrintable(kLastWord),
                (long long)kReplaced, qPrintable(kMarked), (long long)bytes.size());
    int found = 0;
    double ms = bestMs([&] { found = stepThrough(view, kLastWord, {}, 1); });
    std::printf("  find the word at the end, from the start: %6.1f ms (%d found; goal 20 ms)\n", ms, found);
    qsizetype replaced = 0;
    ms = bestMs([&] { replaced = TextFinder(&view).ReplaceAll(kMarked, QStringLiteral("狐"), {}); }, reload);
    buffer.undo();  // the text as loaded again, and nothing more to undo
    const bool oneStep = !buffer.canUndo() && buffer.text() == loaded;
    std::printf("  replace all of %lld matches:               %6.1f ms (%lld replaced; goal 300 ms); one undo step: %s\n",
                (long long)kReplaced, ms, (long long)replaced, oneStep ? "yes" : "no");
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
    benchAtScale(view, withMarks(bytes));
    return 0;
}
