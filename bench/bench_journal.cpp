// The recovery journal on the 16 MiB file: what a keystroke at the end costs in a shown
// control with and without a journal (goal: at most 1 ms a keystroke, at most 0.05 ms more
// with the journal), what starting a journal costs the editing thread (one copy of the text),
// how soon a keystroke is on disk (goal: within 1 s, written and synced), and reading a journal
// of the whole text and 100,000 edits back into a buffer (goal: at most 300 ms).
// Run with QT_QPA_PLATFORM=offscreen.
#include "benchtext.h"
#include "besttime.h"

#include "platform/engine/richedit.h"
#include "platform/engine/textbuffer.h"
#include "platform/recovery/journaldisk.h"
#include "platform/recovery/journalreader.h"
#include "platform/recovery/journalwriter.h"
#include "platform/recovery/recoveryfolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kKeys = 2000;
// Edits in the journal read back: about as many as a quarter of the text takes before the
// journal is compacted.
constexpr int kEdits = 100000;

struct Keystrokes {
    double meanUs = 0;
    double worstUs = 0;
};

// Keys typed at the end, each followed by the events it causes (the repaint included).
Keystrokes typeAtEnd(RichEdit &edit)
{
    std::vector<double> times;
    times.reserve(kKeys);
    const QString ch = QStringLiteral("あ");
    for (int i = 0; i < kKeys; ++i) {
        QElapsedTimer timer;
        timer.start();
        const qsizetype end = edit.GetTextLength();
        edit.SetSel(end, end);
        edit.ReplaceSel(ch);
        QApplication::processEvents();
        times.push_back(timer.nsecsElapsed() / 1e3);
    }
    Keystrokes k;
    for (double t : times)
        k.meanUs += t / kKeys;
    k.worstUs = *std::max_element(times.begin(), times.end());
    return k;
}

// Just the buffer's edit, without the control: the journal's own share shows best here.
double bufferKeyUs(TextBuffer &buffer)
{
    const QString ch = QStringLiteral("あ");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kKeys; ++i)
        buffer.replace(buffer.length(), buffer.length(), ch, TextBuffer::Undo::Typing);
    return timer.nsecsElapsed() / 1e3 / kKeys;
}

void waitUntil(const std::function<bool()> &done)
{
    while (!done())
        QApplication::processEvents(QEventLoop::AllEvents, 1);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QByteArray bytes = makeText("\r\n", true);
    RecoveryFolder folder(dir.filePath(QStringLiteral("recovery")));
    const auto origin = [] { return JournalFormat::Origin(); };

    RichEdit edit;
    edit.resize(1000, 700);
    edit.show();
    edit.StreamIn(bytes);
    QApplication::processEvents();
    std::printf("16 MiB CP932 file: %lld characters, %lld lines\n", qlonglong(edit.GetTextLength()),
                qlonglong(edit.GetLineCount()));

    TextBuffer *buffer = edit.buffer();
    const Keystrokes without = typeAtEnd(edit);
    const double bufferWithout = bufferKeyUs(*buffer);

    // A journal starts with the next edit: one copy of the whole text, shortly after it.
    JournalWriter writer(&folder, buffer, origin);
    edit.StreamIn(bytes);
    QElapsedTimer started;
    started.start();
    edit.SetSel(0, 0);
    edit.ReplaceSel(QStringLiteral("x"));
    waitUntil([&] { return !writer.Path().isEmpty(); });
    const double toCopyMs = started.nsecsElapsed() / 1e6;
    folder.Disk()->WaitIdle(60000);
    const double wholeOnDiskMs = started.nsecsElapsed() / 1e6;

    const Keystrokes with = typeAtEnd(edit);
    const double bufferWith = bufferKeyUs(*buffer);
    std::printf("  keystroke at the end, shown control: %.1f us without a journal (worst %.0f), %.1f us with (worst %.0f)\n",
                without.meanUs, without.worstUs, with.meanUs, with.worstUs);
    std::printf("  the buffer's edit alone: %.2f us without, %.2f us with: the journal adds %.2f us = %.4f ms a keystroke\n",
                bufferWithout, bufferWith, bufferWith - bufferWithout, (bufferWith - bufferWithout) / 1000);

    // On disk after the last keystroke, written and synced, while typing goes on.
    folder.Disk()->WaitIdle(60000);
    const qint64 sizeBefore = QFileInfo(writer.Path()).size();
    QElapsedTimer sinceKey;
    const qsizetype end = edit.GetTextLength();
    edit.SetSel(end, end);
    edit.ReplaceSel(QStringLiteral("y"));
    sinceKey.start();
    waitUntil([&] { return QFileInfo(writer.Path()).size() > sizeBefore; });
    const double writtenMs = sinceKey.nsecsElapsed() / 1e6;
    folder.Disk()->WaitIdle(60000);
    const double syncedMs = sinceKey.nsecsElapsed() / 1e6;
    const double copyMs = bestMs([&] {
        const QString text = buffer->text();
        const QByteArray kinds = buffer->breakKinds(0, buffer->lineCount() - 1);
        const QList<CodePage::Variant> forms = buffer->variants();
    });
    std::printf("  journal start: text copied %.1f ms after the first edit (the copy itself, on the editing thread: %.1f ms),\n"
                "    whole journal synced after %.1f ms\n",
                toCopyMs, copyMs, wholeOnDiskMs);
    std::printf("  a keystroke is in the journal after %.2f ms, synced after %.1f ms (goal: 1000 ms)\n", writtenMs,
                syncedMs);

    // Reading back: the whole text and the edits.
    for (int i = 0; i < kEdits; ++i) {
        const qsizetype at = edit.GetTextLength();
        buffer->replace(at, at, QStringLiteral("い"), TextBuffer::Undo::Typing);
    }
    folder.Disk()->WaitIdle(60000);
    QFile file(writer.Path());
    file.open(QIODevice::ReadOnly);
    const QByteArray journal = file.readAll();
    TextBuffer back;
    JournalReader::Result result;
    const double readMs = bestMs([&] { result = JournalReader::Read(journal, back); });
    std::printf("  recovery: %.1f MiB journal (%d edits) read back in %.1f ms (goal: 300 ms), %s\n", journal.size() / 1048576.0,
                kEdits, readMs, result.text == JournalReader::Result::Text::Whole && back.text() == buffer->text() ? "the same text\n" : "ANOTHER TEXT\n");
    return 0;
}
