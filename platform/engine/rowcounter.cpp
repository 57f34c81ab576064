#include "platform/engine/rowcounter.h"

#include "platform/engine/linelayout.h"
#include "platform/engine/textstyle.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// How long the thread waits for another batch before it ends.
constexpr std::chrono::seconds kIdleEnd(1);

std::atomic<qint64> counted{0};
std::atomic<int> threads{0};

// A copy of font that shares nothing with it. Copies of a QFont share its private part, and
// that holds the font engines of the thread that used it last: two threads using copies of
// one font would take them from each other. A change detaches the copy; changing a property
// and setting it back gives an equal font of its own.
QFont unshared(const QFont &font)
{
    QFont copy(font);
    copy.setKerning(!font.kerning());
    copy.setKerning(font.kerning());
    return copy;
}

struct Config {
    QFont font;  // unshared, touched on the counting thread only (there it is copied again)
    qreal width = 0;
    bool wrap = true;
};

struct Batch {
    quint64 number = 0;
    qsizetype firstLine = 0;
    QString text;
    std::shared_ptr<const Config> config;
};

} // namespace

struct RowCounter::Private {
    RowCounter *q = nullptr;
    std::thread thread;

    // Shared with the counting thread, under the mutex.
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Batch> queue;
    std::vector<Result> done;
    bool notified = false;  // ready() was emitted and take() has not been called since
    bool running = false;   // the thread has not yet decided to end
    std::atomic<bool> stop{false};

    // The index's thread only.
    quint64 nextBatch = 1;
    std::shared_ptr<const Config> config;

    void run();
    bool next(Batch &batch);
    Result countBatch(const Batch &batch, const TextStyle &style) const;
    void finish(Result result);
};

// Takes the next batch; false when the thread is to end (stopped, or idle for a while).
bool RowCounter::Private::next(Batch &batch)
{
    std::unique_lock lock(mutex);
    wake.wait_for(lock, kIdleEnd, [this] { return stop.load() || !queue.empty(); });
    if (stop.load() || queue.empty()) {
        running = false;
        return false;
    }
    batch = std::move(queue.front());
    queue.pop_front();
    return true;
}

// The batch's rows, or as many as were counted before the counter was stopped.
RowCounter::Result RowCounter::Private::countBatch(const Batch &batch, const TextStyle &style) const
{
    Result result;
    result.batch = batch.number;
    result.firstLine = batch.firstLine;
    for (const QStringView line : QStringView(batch.text).tokenize(u'\n')) {
        if (stop.load(std::memory_order_relaxed))
            break;
        result.rows.append(LineLayout::countRows(style, line, batch.config->width, batch.config->wrap));
    }
    counted.fetch_add(result.rows.size(), std::memory_order_relaxed);
    return result;
}

void RowCounter::Private::finish(Result result)
{
    bool notify = false;
    {
        std::lock_guard lock(mutex);
        done.push_back(std::move(result));
        notify = !std::exchange(notified, true);
    }
    if (notify)
        emit q->ready();
}

void RowCounter::Private::run()
{
    threads.fetch_add(1);
    std::shared_ptr<const Config> styled;
    std::unique_ptr<TextStyle> style;
    Batch batch;
    while (next(batch)) {
        if (batch.config != styled) {
            styled = batch.config;
            style = std::make_unique<TextStyle>(unshared(styled->font));
        }
        Result result = countBatch(batch, *style);
        if (stop.load())
            break;
        finish(std::move(result));
    }
    threads.fetch_sub(1);
}

RowCounter::RowCounter(QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
}

RowCounter::~RowCounter()
{
    {
        std::lock_guard lock(d->mutex);
        d->stop.store(true);
    }
    d->wake.notify_all();
    if (d->thread.joinable())
        d->thread.join();
}

void RowCounter::configure(const QFont &font, qreal width, bool wrap)
{
    d->config = std::make_shared<const Config>(Config{unshared(font), width, wrap});
}

quint64 RowCounter::count(qsizetype firstLine, QString text)
{
    const quint64 number = d->nextBatch++;
    bool start = false;
    {
        std::lock_guard lock(d->mutex);
        d->queue.push_back({number, firstLine, std::move(text), d->config});
        start = !std::exchange(d->running, true);
    }
    if (start) {
        if (d->thread.joinable())
            d->thread.join();  // it decided to end, and may not have returned yet
        d->thread = std::thread([this] { d->run(); });
    } else {
        d->wake.notify_one();
    }
    return number;
}

void RowCounter::drop(quint64 from)
{
    std::lock_guard lock(d->mutex);
    while (!d->queue.empty() && d->queue.back().number >= from)
        d->queue.pop_back();
}

std::vector<RowCounter::Result> RowCounter::take()
{
    std::lock_guard lock(d->mutex);
    d->notified = false;
    return std::exchange(d->done, {});
}

qint64 RowCounter::linesCounted()
{
    return counted.load(std::memory_order_relaxed);
}

int RowCounter::threadsRunning()
{
    return threads.load();
}
