// Opening a file on a worker thread, in pieces: what the pieces make in a buffer is what
// reading the whole file at once makes, for random files in every encoding (invalid bytes,
// byte-order marks, mixed breaks, pieces of any size), and the worker ends cleanly while it
// waits.
#include "platform/base/encoding.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/engine/textloader.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(Encoding)

namespace {

// Text with every kind of break, characters with byte forms of their own, a U+FEFF after a
// break (a byte-order mark only at a file's start), and now and then bytes that are no
// character in any encoding, next to breaks too.
QByteArray randomFile(QRandomGenerator &rng, Encoding encoding)
{
    static const QStringList parts = {
        QStringLiteral("abc"), QStringLiteral("日本語"), QStringLiteral("ｶﾀｶﾅ"), QStringLiteral("①∵¬"),
        QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r"), QStringLiteral("\r\r\n"),
        QStringLiteral("\n\uFEFF"), QStringLiteral("𠀋"), QStringLiteral(" "),
    };
    QString text;
    for (int i = 0, n = rng.bounded(40); i < n; ++i)
        text += parts.at(rng.bounded(int(parts.size())));
    QByteArray bytes = Encodings::encode(encoding, text, {}, nullptr, rng.bounded(2) == 0);
    for (int i = 0, n = rng.bounded(4); i < n; ++i) {
        static const char stray[] = {'\x81', '\xE3', '\x8F', '\xFF', '\xD8', '\x0A'};
        bytes.insert(rng.bounded(int(bytes.size()) + 1), stray[rng.bounded(int(sizeof stray))]);
    }
    return bytes;
}

void requireSameBuffer(const TextBuffer &got, const TextBuffer &expected)
{
    QCOMPARE(got.text(), expected.text());
    QCOMPARE(got.breakKinds(0, got.lineCount() - 1), expected.breakKinds(0, expected.lineCount() - 1));
    QCOMPARE(got.variants(), expected.variants());
}

// Everything a loader hands over, in a buffer.
void takeAll(TextLoader &loader, TextBuffer &buffer)
{
    while (!loader.isDone()) {
        for (const TextBuffer::Piece &piece : loader.takePieces(true))
            buffer.appendLoaded(piece);
    }
}

} // namespace

class TestTextLoader : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Each row: files in one encoding, read detected and read in the encoding given.
    void piecesMakeTheWholeFile_data()
    {
        QTest::addColumn<Encoding>("encoding");
        for (const Encoding encoding : Encodings::all())
            QTest::newRow(qPrintable(Encodings::name(encoding))) << encoding;
    }
    void piecesMakeTheWholeFile()
    {
        QFETCH(Encoding, encoding);
        QRandomGenerator rng(2100 + int(encoding));
        const QString path = m_dir.filePath(QStringLiteral("random.txt"));
        for (int round = 0; round < 40; ++round) {
            const QByteArray bytes = randomFile(rng, encoding);
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(bytes), bytes.size());
            file.close();

            TextLoader::Options options;
            options.firstPieceBytes = 1 + rng.bounded(9);
            options.pieceBytes = 1 + rng.bounded(17);
            options.piecesAhead = 1 + rng.bounded(3);
            for (const bool given : {false, true}) {
                options.encoding = given ? std::optional<Encoding>(encoding) : std::nullopt;
                TextLoader loader(path, options);
                const TextLoader::Start start = loader.waitForStart();
                QVERIFY(start.ok());
                TextBuffer loaded;
                takeAll(loader, loaded);

                TextBuffer expected;
                TextBytes::Format format;
                if (given) {
                    QList<CodePage::Variant> variants;
                    expected.load(Encodings::decode(encoding, bytes, &variants, &format.bom), variants);
                    format.encoding = encoding;
                } else {
                    QVERIFY(TextBytes::readDetected(expected, bytes, std::numeric_limits<qsizetype>::max(), &format));
                }
                QVERIFY2(start.format == format, bytes.toHex(' ').constData());
                requireSameBuffer(loaded, expected);
                QVERIFY(loaded.length() <= start.mostChars);
            }
        }
    }

    // The worker waits while its pieces are not taken, and goes when the loader goes,
    // waiting or not.
    void aLoaderGoesWhileItsWorkerWaits()
    {
        const QString path = m_dir.filePath(QStringLiteral("lines.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 1000; ++i)
            file.write("line\r\n");
        file.close();
        TextLoader::Options options;
        options.firstPieceBytes = options.pieceBytes = 60;
        options.piecesAhead = 2;
        auto loader = std::make_unique<TextLoader>(path, options);
        QSignalSpy ready(loader.get(), &TextLoader::piecesReady);
        QVERIFY(ready.wait(5000));
        QVERIFY(loader->takePieces(false).size() <= 2);
        QVERIFY(ready.wait(5000));  // the worker goes on once pieces are taken
        QVERIFY(!loader->isDone());
        loader.reset();  // the worker waits for room, and must not be waited on for ever
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestTextLoader)
#include "tst_textloader.moc"
