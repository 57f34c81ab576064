#include "fuzzchecks.h"

#include "platform/base/encodingdetector.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/engine/textloader.h"
#include "platform/recovery/journalformat.h"
#include "platform/recovery/journalreader.h"

#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

void printHex(const char *label, QByteArrayView bytes)
{
    std::fprintf(stderr, "%s (%lld bytes): %s\n", label, static_cast<long long>(bytes.size()),
                 QByteArray(bytes.data(), bytes.size()).toHex(' ').constData());
}

// Reports a check that does not hold and aborts: the input, the encoding it was read in, and,
// for a round trip, the bytes written back and where they first differ.
[[noreturn]] void fail(const char *what, QByteArrayView input, Encoding encoding, const QByteArray *written = nullptr)
{
    std::fprintf(stderr, "\nFUZZ CHECK FAILED: %s (encoding %s)\n", what, qPrintable(Encodings::name(encoding)));
    printHex("input  ", input);
    if (written) {
        printHex("written", *written);
        qsizetype at = 0;
        while (at < input.size() && at < written->size() && input[at] == written->at(at))
            ++at;
        std::fprintf(stderr, "first difference at byte %lld\n", static_cast<long long>(at));
    }
    std::abort();
}

void require(bool holds, const char *what, QByteArrayView input, Encoding encoding)
{
    if (!holds)
        fail(what, input, encoding);
}

void requireSame(QByteArrayView input, const QByteArray &written, Encoding encoding, const char *what)
{
    if (written != input)
        fail(what, input, encoding, &written);
}

// The input as a journal whose records all pass their checksums, so that what is inside them
// gets read: each record's payload is the next (u16 length, bytes) of the input.
QByteArray sealedJournal(QByteArrayView input)
{
    QByteArray journal = JournalFormat::fileHeader();
    for (qsizetype at = 0; at + 2 <= input.size();) {
        const qsizetype length = std::min<qsizetype>(qFromLittleEndian<quint16>(input.data() + at), input.size() - at - 2);
        const QByteArrayView payload = input.sliced(at + 2, length);
        char header[JournalFormat::kRecordHeaderBytes];
        qToLittleEndian<quint32>(quint32(length), header);
        qToLittleEndian<quint32>(JournalFormat::crc32(payload), header + 4);
        journal.append(header, sizeof header).append(payload.data(), payload.size());
        at += 2 + length;
    }
    return journal;
}

void readJournal(QByteArrayView bytes)
{
    TextBuffer buffer;
    const JournalReader::Result result = JournalReader::Read(bytes, buffer);
    const bool told = !result.problem.isEmpty();
    const bool holds = result.text == JournalReader::Result::Text::None ? told && buffer.length() == 0
                     : result.text == JournalReader::Result::Text::Whole ? !told
                                                                         : told;
    require(holds, "a journal read gives a whole text, or tells why it gives an earlier one or none", bytes,
            result.origin.encoding);
}

} // namespace

namespace FuzzChecks {

void detector(QByteArrayView input)
{
    const Encoding decided = EncodingDetector::detect(input);
    const EncodingDetector::DetectedText detected = EncodingDetector::decodeDetected(input);
    require(detected.encoding == decided, "detect() and decodeDetected() decide differently", input, decided);
    QList<CodePage::Variant> variants;
    bool bom = false;
    const QString text = Encodings::decode(decided, input, &variants, &bom);
    require(detected.text == text && detected.variants == variants && detected.bom == bom,
            "decodeDetected() reads otherwise than decode()", input, decided);
    QList<qsizetype> unencodable;
    requireSame(input, Encodings::encode(decided, detected.text, detected.variants, &unencodable, detected.bom),
                decided, "the detected text does not encode back to the input");
    require(unencodable.isEmpty(), "a decoded character is unencodable", input, decided);
}

void codecs(QByteArrayView input)
{
    for (const Encoding encoding : Encodings::all()) {
        QList<CodePage::Variant> variants;
        bool bom = false;
        const QString text = Encodings::decode(encoding, input, &variants, &bom);
        QList<qsizetype> unencodable;
        const QByteArray back = Encodings::encode(encoding, text, variants, &unencodable, bom);
        requireSame(input, back, encoding, "decode then encode does not give the input back");
        require(unencodable.isEmpty(), "a decoded character is unencodable", input, encoding);
        require(Encodings::readBackChanges(encoding, back, text, bom).isEmpty(),
                "readBackChanges() finds a change in an unedited text", input, encoding);
    }
}

void textBytes(QByteArrayView input)
{
    TextBuffer buffer;
    TextBytes::Format format;
    const bool read = TextBytes::readDetected(buffer, input, std::numeric_limits<qsizetype>::max(), &format);
    require(read, "readDetected() refuses the input", input, format.encoding);
    QList<qsizetype> unencodable, changed;
    requireSame(input, TextBytes::write(buffer, &unencodable, &changed, format), format.encoding,
                "the text buffer does not write back the bytes it read");
    require(unencodable.isEmpty(), "write() reports an unencodable character", input, format.encoding);
    require(changed.isEmpty(), "write() reports a change in an unedited buffer", input, format.encoding);
}

void pieces(QByteArrayView input)
{
    // Sizes from the input, small, so that cuts fall everywhere in a short input.
    const qsizetype first = 1 + input.size() % 5;
    const qsizetype rest = 1 + input.size() % 11;
    for (const Encoding encoding : Encodings::all()) {
        QList<CodePage::Variant> variants;
        TextBuffer whole;
        whole.load(Encodings::decode(encoding, input, &variants), variants);
        TextBuffer pieced;
        TextLoader::decodeInPieces(input, encoding, first, rest, [&](TextBuffer::Piece &&piece, qsizetype) {
            pieced.appendLoaded(piece);
            return true;
        });
        require(pieced.text() == whole.text(), "the pieces decode to another text", input, encoding);
        require(pieced.breakKinds(0, pieced.lineCount() - 1) == whole.breakKinds(0, whole.lineCount() - 1),
                "the pieces give other break kinds", input, encoding);
        require(pieced.variants() == whole.variants(), "the pieces give other byte forms", input, encoding);
    }
}

void texts(QByteArrayView input)
{
    QString text(input.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(uchar(input[2 * i]) | uchar(input[2 * i + 1]) << 8));
    for (const Encoding encoding : Encodings::all()) {
        QList<qsizetype> unencodable;
        const QByteArray bytes = Encodings::encode(encoding, text, {}, &unencodable);
        QString expected = text;
        for (auto it = unencodable.crbegin(); it != unencodable.crend(); ++it) {
            const bool pair = expected.at(*it).isHighSurrogate() && *it + 1 < expected.size() &&
                              expected.at(*it + 1).isLowSurrogate();
            expected.replace(*it, pair ? 2 : 1, QLatin1Char('?'));
        }
        bool bom = false;
        const bool readsBack = Encodings::decode(encoding, bytes, nullptr, &bom) == expected &&
                               bom == !Encodings::byteOrderMark(encoding).isEmpty();
        require(readsBack == Encodings::readBackChanges(encoding, bytes, text).isEmpty(),
                readsBack ? "readBackChanges() finds a change where the text reads back"
                          : "the written text reads back otherwise, and readBackChanges() finds no place",
                input, encoding);
        for (const qsizetype at : unencodable)
            require(text.at(at).isSurrogate() || !Encodings::canEncode(encoding, text.at(at).unicode()),
                    "encode() reports a character the encoding holds", input, encoding);
    }
}

void journal(QByteArrayView input)
{
    readJournal(input);
    readJournal(sealedJournal(input));
}

} // namespace FuzzChecks
