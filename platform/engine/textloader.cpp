#include "platform/engine/textloader.h"

#include "platform/base/encodingdetector.h"
#include "platform/base/filebytes.h"
#include "platform/base/fileio.h"

#include <QMetaObject>
#include <QScopeGuard>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace {

// The bytes of a line feed in an encoding: a byte of its own in every encoding here but
// UTF-16, where it is one aligned unit. A cut after one never splits a character or a CR LF.
struct LineFeed {
    qsizetype size = 1;
    bool bigEndian = false;
};

LineFeed lineFeedOf(Encoding encoding)
{
    if (encoding == Encoding::Utf16Le)
        return {2, false};
    if (encoding == Encoding::Utf16Be)
        return {2, true};
    return {};
}

// The end of the first line feed that ends at or after from; bytes.size() when there is none.
qsizetype cutAfterLineFeed(QByteArrayView bytes, qsizetype from, LineFeed lf)
{
    const qsizetype n = bytes.size();
    if (from >= n)
        return n;
    if (lf.size == 1) {
        const void *hit = std::memchr(bytes.data() + from, '\n', size_t(n - from));
        return hit ? static_cast<const char *>(hit) - bytes.data() + 1 : n;
    }
    const char first = lf.bigEndian ? '\0' : '\n';
    const char second = lf.bigEndian ? '\n' : '\0';
    for (qsizetype i = from & ~qsizetype(1); i + 1 < n; i += 2) {
        if (bytes[i] == first && bytes[i + 1] == second)
            return i + 2;
    }
    return n;
}

} // namespace

struct TextLoader::Shared {
    std::mutex mutex;
    std::condition_variable wake;        // the worker's state or the queue changed
    bool started = false;
    Start start;
    std::deque<TextBuffer::Piece> pieces;
    bool finished = false;               // the worker has delivered its last piece
    bool signalled = false;              // piecesReady sent and not yet answered
    bool stop = false;
    std::thread worker;
};

TextLoader::TextLoader(const QString &path, const Options &options, QObject *parent)
    : QObject(parent), m_path(path), m_options(options), m_shared(std::make_unique<Shared>())
{
    m_shared->worker = std::thread([this] { run(); });
}

TextLoader::~TextLoader()
{
    stop();
    m_shared->worker.join();
}

void TextLoader::stop()
{
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->stop = true;
    }
    m_shared->wake.notify_all();
}

TextLoader::Start TextLoader::waitForStart()
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->wake.wait(lock, [this] { return m_shared->started; });
    return m_shared->start;
}

std::vector<TextBuffer::Piece> TextLoader::takePieces(bool wait, int most)
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    if (wait)
        m_shared->wake.wait(lock, [this] { return !m_shared->pieces.empty() || m_shared->finished; });
    std::vector<TextBuffer::Piece> taken;
    while (!m_shared->pieces.empty() && int(taken.size()) < most) {
        taken.push_back(std::move(m_shared->pieces.front()));
        m_shared->pieces.pop_front();
    }
    const bool left = !m_shared->pieces.empty();
    m_shared->signalled = left;
    lock.unlock();
    m_shared->wake.notify_all();
    if (left)
        QMetaObject::invokeMethod(this, &TextLoader::piecesReady, Qt::QueuedConnection);
    return taken;
}

bool TextLoader::isDone() const
{
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->finished && m_shared->pieces.empty();
}

bool TextLoader::deliver(TextBuffer::Piece piece)
{
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->wake.wait(lock, [this] {
        return m_shared->stop || qsizetype(m_shared->pieces.size()) < m_options.piecesAhead;
    });
    if (m_shared->stop)
        return false;
    m_shared->pieces.push_back(std::move(piece));
    const bool tell = !std::exchange(m_shared->signalled, true);
    lock.unlock();
    m_shared->wake.notify_all();
    // Queued: the loader lives on the taker's thread, and waits for this thread before it goes.
    if (tell)
        QMetaObject::invokeMethod(this, &TextLoader::piecesReady, Qt::QueuedConnection);
    return true;
}

void TextLoader::run()
{
    // Whatever ends the worker, nobody waits for it in vain.
    const auto finish = qScopeGuard([this] {
        {
            const std::lock_guard<std::mutex> lock(m_shared->mutex);
            m_shared->started = m_shared->finished = true;
        }
        m_shared->wake.notify_all();
    });
    FileBytes file;
    Start start;
    start.error = FileIO::ReadAll(m_path, file, m_options.maxBytes, &start.tooLarge);
    const QByteArrayView bytes = file.view();
    const Encoding encoding = m_options.encoding.value_or(start.ok() ? EncodingDetector::detect(bytes) : Encoding::Cp932);
    const QByteArrayView bom = Encodings::byteOrderMark(encoding);
    start.format = {encoding, !bom.isEmpty() && bytes.startsWith(bom)};
    start.fileBytes = bytes.size();
    const LineFeed lf = lineFeedOf(encoding);
    start.mostChars = bytes.size() + 1;  // a character per byte at most (every byte escaped)
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->start = start;
        m_shared->started = true;
        m_shared->finished = !start.ok();
    }
    m_shared->wake.notify_all();
    if (!start.ok())
        return;

    decodeInPieces(bytes, encoding, m_options.firstPieceBytes, m_options.pieceBytes,
                   [&](TextBuffer::Piece &&piece, qsizetype decoded) {
                       file.release(decoded - lf.size);  // the next piece starts at the line feed before
                       return deliver(std::move(piece));
                   });
}

// Each piece after the first is decoded from the line feed before it on, which is then
// dropped: it starts the decoder afresh where the whole file's decoding is afresh too, and
// keeps a byte-order mark from being taken off anywhere but the file's start.
void TextLoader::decodeInPieces(QByteArrayView bytes, Encoding encoding, qsizetype firstPieceBytes,
                                qsizetype pieceBytes, const PieceSink &sink)
{
    const LineFeed lf = lineFeedOf(encoding);
    qsizetype pos = 0;
    qsizetype size = std::max<qsizetype>(firstPieceBytes, 1);
    do {
        const qsizetype end = cutAfterLineFeed(bytes, pos + size, lf);
        const qsizetype from = pos == 0 ? 0 : pos - lf.size;
        QList<CodePage::Variant> variants;
        QString text = Encodings::decode(encoding, bytes.sliced(from, end - from), &variants);
        if (pos > 0) {
            text.remove(0, 1);
            for (CodePage::Variant &v : variants)
                --v.pos;
        }
        TextBuffer::Piece piece = TextBuffer::prepare(text, variants);
        text = QString();
        pos = end;
        if (!sink(std::move(piece), pos))
            return;
        size = std::max<qsizetype>(pieceBytes, 1);
    } while (pos < bytes.size());
}
