// What one document holds, part by part, per character and per line, for the generated 16 MiB
// file and the 128 MiB one (it eight times, as bench_large writes it): the buffer's characters,
// line starts, break kinds, byte forms and undo history as the buffer reports them (room held,
// not only used); the row index of a view and the layouts of a screenful as the heap grows
// for them; the bytes of a save, made whole and as a save makes them; a Replace All's undo step. Run with QT_QPA_PLATFORM=offscreen.
#include "benchtext.h"
#include "platform/engine/linelayout.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/engine/textstyle.h"
#include "platform/engine/wrapindex.h"

#include <QApplication>

#include <cstdio>
#include <limits>
#include <malloc.h>
#include <vector>

namespace {

constexpr qreal kWidth = 800;
constexpr int kScreenLines = 60;

// Bytes allocated, large blocks (mapped on their own) included.
qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

// One part: MiB, bytes per character and bytes per line.
void printPart(const char *name, qint64 bytes, const TextBuffer &buffer)
{
    std::printf("  %-34s %8.1f MiB  %6.2f B/char  %7.2f B/line\n", name, bytes / 1048576.0,
                double(bytes) / double(std::max<qsizetype>(buffer.length(), 1)),
                double(bytes) / double(buffer.lineCount()));
}

void measure(const char *name, const QByteArray &bytes, const TextStyle &style)
{
    TextBuffer buffer;
    const qint64 heapBefore = heapInUse();
    if (!TextBytes::read(buffer, bytes, std::numeric_limits<qsizetype>::max()))
        return;
    const qint64 bufferHeap = heapInUse() - heapBefore;
    std::printf("%s: %lld bytes, %lld characters, %lld lines\n", name, (long long)bytes.size(),
                (long long)buffer.length(), (long long)buffer.lineCount());
    const TextBuffer::MemoryUse use = buffer.memoryUse();
    printPart("characters (gap buffer)", use.text, buffer);
    printPart("line starts", use.lines, buffer);
    printPart("break kinds", use.breaks, buffer);
    printPart("byte forms", use.variants, buffer);
    printPart("undo history", use.history, buffer);
    printPart("the buffer, as it reports", use.total(), buffer);
    printPart("the buffer, as the heap grew", bufferHeap, buffer);

    qint64 heap = heapInUse();
    {
        WrapIndex rows(&buffer);
        rows.setStyle(&style);
        rows.setWidth(kWidth);
        rows.rowCount();
        printPart("row index of a view (counted)", heapInUse() - heap, buffer);
    }

    heap = heapInUse();
    {
        std::vector<LineLayout> layouts;
        QString scratch;
        const qsizetype first = buffer.lineCount() / 2;
        for (qsizetype line = first; line < first + kScreenLines && line < buffer.lineCount(); ++line)
            layouts.emplace_back(style, buffer.lineView(line, scratch), kWidth, true);
        const qint64 held = heapInUse() - heap;
        std::printf("  %-34s %8.1f KiB  %6.0f B a laid-out line\n", "layouts of a screenful (60 lines)",
                    held / 1024.0, double(held) / kScreenLines);
    }

    heap = heapInUse();
    {
        QList<qsizetype> unencodable, changed;
        const QByteArray written = TextBytes::write(buffer, &unencodable, &changed);
        printPart("the bytes of a save, made whole", heapInUse() - heap, buffer);
    }
    heap = heapInUse();
    {
        // As a save makes them: handed to the file a chunk at a time.
        QList<qsizetype> unencodable, changed;
        qint64 most = 0;
        TextBytes::write(buffer, [&](QByteArrayView) { most = std::max(most, heapInUse() - heap); return true; },
                         &unencodable, &changed, {});
        printPart("a save's bytes, as they are written", most, buffer);
    }

    // Every "猫" to "犬" as Replace All does it: one edit per line that has some, from its first
    // to its last, in one undo step.
    heap = heapInUse();
    {
        const QString cat = QStringLiteral("猫");
        buffer.beginGroup();
        QString scratch;
        for (qsizetype line = buffer.lineCount() - 1; line >= 0; --line) {
            const QStringView text = buffer.lineView(line, scratch);
            const qsizetype first = text.indexOf(cat);
            if (first < 0)
                continue;
            const qsizetype end = text.lastIndexOf(cat) + cat.size();
            QString replaced = text.sliced(first, end - first).toString();
            replaced.replace(cat, QStringLiteral("犬"));
            const qsizetype start = buffer.lineStart(line);
            buffer.replace(start + first, start + end, replaced);
        }
        buffer.endGroup();
    }
    printPart("a Replace All's undo step", buffer.memoryUse().history, buffer);
    printPart("  the heap grew by", heapInUse() - heap, buffer);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(12);
    const TextStyle style(font);

    const QByteArray part = makeText("\r\n", false);
    measure("16 MiB file", part, style);
    QByteArray large;
    large.reserve(8 * (part.size() + 2));
    for (int i = 0; i < 8; ++i)
        large += part + "\r\n";  // as bench_large writes it
    measure("128 MiB file", large, style);
    return 0;
}
