// The text storage on the 16 MiB file: read (decode and load) and write back, what the
// loaded buffer holds in memory, 10,000 characters typed at the end and at the start, and
// line lookups. Times are the best of several runs.
#include "benchtext.h"
#include "besttime.h"

#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <limits>
#include <malloc.h>

namespace {

constexpr int kTyped = 10000;
constexpr int kLookups = 1000000;

// Bytes allocated, large blocks (mapped on their own) included.
size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

void typeAt(TextBuffer &buffer, bool atEnd)
{
    const QString ch = QStringLiteral("あ");
    qsizetype pos = atEnd ? buffer.length() : 0;
    for (int i = 0; i < kTyped; ++i) {
        buffer.replace(pos, pos, ch, TextBuffer::Undo::Typing);
        ++pos;
    }
}

void benchFile(const char *name, const QByteArray &bytes)
{
    std::printf("%s (%lld bytes)\n", name, (long long)bytes.size());
    const QString decoded = CodePage::decode(bytes);
    QList<CodePage::Variant> variants;
    CodePage::decode(bytes, &variants);

    TextBuffer buffer;
    const size_t heapBefore = heapInUse();
    if (!TextBytes::read(buffer, bytes, std::numeric_limits<qsizetype>::max()))
        return;
    const size_t held = heapInUse() - heapBefore;
    std::printf("  characters %lld, lines %lld, variants %lld\n", (long long)buffer.length(),
                (long long)buffer.lineCount(), (long long)variants.size());
    std::printf("  memory held: %.1f MiB = 2 bytes x characters + %.1f bytes per line\n", held / 1048576.0,
                (double(held) - 2.0 * double(buffer.length())) / double(buffer.lineCount()));

    std::printf("  load (decoded text into the buffer): %.1f ms\n",
                bestMs([&] { buffer.load(decoded, variants); }));
    std::printf("  read (decode and load):              %.1f ms\n",
                bestMs([&] { TextBytes::read(buffer, bytes, std::numeric_limits<qsizetype>::max()); }));
    QByteArray written;
    std::printf("  write:                               %.1f ms\n", bestMs([&] { written = TextBytes::write(buffer); }));
    QList<qsizetype> unencodable, changed;
    std::printf("  write with the checks a save makes:  %.1f ms\n",
                bestMs([&] { written = TextBytes::write(buffer, &unencodable, &changed); }));
    std::printf("  written back byte for byte: %s\n", written == bytes ? "yes" : "NO");

    const auto reload = [&] { buffer.load(decoded, variants); };
    std::printf("  %d characters typed at the end:   %.2f ms\n", kTyped,
                bestMs([&] { typeAt(buffer, true); }, reload));
    std::printf("  %d characters typed at the start: %.2f ms\n", kTyped,
                bestMs([&] { typeAt(buffer, false); }, reload));
    std::printf("  undo and redo of them (one step): %.0f us\n", bestMs([&] {
                    buffer.undo();
                    buffer.redo();
                }) * 1000);

    QRandomGenerator random(932);
    std::vector<qsizetype> positions(kLookups), lines(kLookups);
    for (int i = 0; i < kLookups; ++i) {
        positions[size_t(i)] = random.bounded(buffer.length() + 1);
        lines[size_t(i)] = random.bounded(buffer.lineCount());
    }
    qsizetype sum = 0;
    const double lineOfMs = bestMs([&] {
        for (qsizetype pos : positions)
            sum += buffer.lineOf(pos);
    });
    const double lineStartMs = bestMs([&] {
        for (qsizetype line : lines)
            sum += buffer.lineStart(line);
    });
    std::printf("  lineOf:    %.0f ns per lookup\n", lineOfMs * 1e6 / kLookups);
    std::printf("  lineStart: %.0f ns per lookup (checksum %lld)\n", lineStartMs * 1e6 / kLookups, (long long)sum);
}

} // namespace

int main()
{
    benchFile("CP932 file, CR LF", makeText("\r\n", false));
    benchFile("CP932 file, LF, a duplicate byte form on every line", makeText("\n", true));
    return 0;
}
