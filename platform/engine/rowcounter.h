#pragma once
// Counts the rows lines take on a thread of its own, for a row index (WrapIndex), so that the
// thread of the windows does not. The index hands it batches of lines, each a copy of their
// text, and takes back the rows of each line, batch by batch in the order handed. Counting
// goes through LineLayout::countRows, as on the index's own thread, with a style of the
// worker's own built from a copy of the font: a font's private part and its caches are shared
// among its copies, and a style's cache of advances is not for two threads. The thread starts
// with the first batch and ends when it has had nothing to do for a while, or with the
// counter.
#include <QFont>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class RowCounter : public QObject {
    Q_OBJECT
public:
    explicit RowCounter(QObject *parent = nullptr);
    // Stops the thread; a batch being counted ends at its next line.
    ~RowCounter() override;

    // Batches handed from now on are counted at this font, width and wrap.
    void configure(const QFont &font, qreal width, bool wrap);
    // Hands over the lines from firstLine on, their text joined by '\n' (no break after the
    // last), to be counted as last configured (configure first); returns the batch's number,
    // which grows with every batch.
    quint64 count(qsizetype firstLine, QString text);
    // The batches numbered from on that were not begun are never counted. One already begun
    // is finished: whoever takes it must know it for stale by its number.
    void drop(quint64 from);

    struct Result {
        quint64 batch = 0;
        qsizetype firstLine = 0;
        QList<int> rows;  // of each line of the batch
    };
    // The batches counted since the last call, in the order they were handed.
    std::vector<Result> take();
    // Lines counted on counting threads so far in the program: what tests and benchmarks read
    // to see where counting happens.
    static qint64 linesCounted();
    // Counting threads running now, of every counter: what tests read to see that a counter
    // leaves none behind.
    static int threadsRunning();

signals:
    // Results are waiting. Emitted on the counting thread, once until the next take(): a
    // receiver on another thread has it queued.
    void ready();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
