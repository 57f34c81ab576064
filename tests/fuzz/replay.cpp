// Runs the fuzz checks without a fuzzer: on every file of a seed corpus, then on a fixed
// number of mutations of them drawn from a fixed seed, so that each run tries the same inputs.
// Usage: fuzz_replay <corpus folder> <mutations>
#include "fuzzchecks.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <random>

namespace {

// Bytes the decoders treat specially: byte-order marks, line breaks, lead bytes of each
// encoding, the UTF-8 and UTF-16 forms of the escape range, a surrogate, an emoji, あ in
// UTF-16; and, read as UTF-16 text, escapes of bytes that join into a character in UTF-8,
// EUC-JP and CP932.
const QByteArray kPieces[] = {
    QByteArray::fromHex("efbbbf"), QByteArray::fromHex("fffe"), QByteArray::fromHex("feff"), "\r", "\n", "\r\n",
    QByteArray::fromHex("8e"),     QByteArray::fromHex("8f"),   QByteArray::fromHex("e3"),   QByteArray::fromHex("eebe"),
    QByteArray::fromHex("80ef"),   QByteArray::fromHex("00d8"), QByteArray::fromHex("a4"),   QByteArray::fromHex("82"),
    QByteArray::fromHex("e3ef81ef82ef"), QByteArray::fromHex("a4efa2ef"), QByteArray::fromHex("82efa0ef"),
    QByteArray::fromHex("3dd800de"), QByteArray::fromHex("f09f9880"), QByteArray::fromHex("4230"),
};

class Mutator
{
public:
    explicit Mutator(const QList<QByteArray> &seeds) : m_seeds(seeds) {}

    QByteArray next()
    {
        QByteArray bytes = pickSeed();
        for (int steps = int(below(4)) + 1; steps > 0; --steps)
            mutate(bytes);
        return bytes;
    }

private:
    quint32 below(quint32 n) { return n ? quint32(m_rng() % n) : 0; }
    const QByteArray &pickSeed() { return m_seeds[below(quint32(m_seeds.size()))]; }
    qsizetype at(const QByteArray &bytes) { return below(quint32(bytes.size() + 1)); }

    void mutate(QByteArray &bytes)
    {
        const qsizetype pos = at(bytes);
        switch (below(6)) {
        case 0:  // one byte changed, or added at the end
            if (pos < bytes.size())
                bytes[pos] = char(below(256));
            else
                bytes.append(char(below(256)));
            break;
        case 1: bytes.insert(pos, kPieces[below(std::size(kPieces))]); break;
        case 2: bytes.remove(pos, below(4) + 1); break;  // also cuts a sequence short
        case 3: bytes.truncate(pos); break;
        case 4: {  // a piece of another seed
            const QByteArray &other = pickSeed();
            const qsizetype from = at(other);
            bytes.insert(pos, other.mid(from, below(16) + 1));
            break;
        }
        default: bytes.insert(pos, bytes.mid(at(bytes), below(8) + 1)); break;  // repeated
        }
    }

    const QList<QByteArray> &m_seeds;
    std::mt19937 m_rng{18};
};

void checkAll(const QByteArray &bytes)
{
    const QByteArrayView input(bytes);
    FuzzChecks::detector(input);
    FuzzChecks::codecs(input);
    FuzzChecks::textBytes(input);
    FuzzChecks::pieces(input);
    FuzzChecks::texts(input);
    FuzzChecks::journal(input);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <corpus folder> <mutations>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    QList<QByteArray> seeds;
    for (const QString &name : folder.entryList(QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        seeds.append(file.readAll());
        checkAll(seeds.last());
    }
    if (seeds.isEmpty()) {
        std::fprintf(stderr, "no seeds in %s\n", argv[1]);
        return 1;
    }
    const long mutations = std::strtol(argv[2], nullptr, 10);
    Mutator mutator(seeds);
    for (long i = 0; i < mutations; ++i)
        checkAll(mutator.next());
    std::printf("%lld seeds and %ld mutations: every check held\n", static_cast<long long>(seeds.size()), mutations);
    return 0;
}
