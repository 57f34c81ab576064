#pragma once
// A text buffer to and from the bytes of a file, losslessly: line-break kinds, byte forms other
// than the default, undecodable bytes (escapes) and the byte-order mark come back as they were
// read. CP932 unless told otherwise.
#include "platform/base/encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <functional>

class TextBuffer;

namespace TextBytes {

// How a file's bytes stand for its text: the encoding, and whether a byte-order mark leads
// (for the encodings that have one).
struct Format {
    Encoding encoding = Encoding::Cp932;
    bool bom = false;
    friend bool operator==(const Format &a, const Format &b) { return a.encoding == b.encoding && a.bom == b.bom; }
};

// Loads bytes into buffer (see TextBuffer::load). False, with the buffer unchanged, when the
// text would be longer than limit characters.
bool read(TextBuffer &buffer, QByteArrayView bytes, qsizetype limit);

// As read(), in the encoding the bytes are found to be in (see EncodingDetector); format
// receives it when the buffer is loaded.
bool readDetected(TextBuffer &buffer, QByteArrayView bytes, qsizetype limit, Format *format);

// About how many bytes of memory reading a file of fileBytes bytes takes at its peak: the
// bytes, the decoded text and the buffer's copy of it (a UTF-16 unit per byte at most), and
// the line index (lines taken as short ones, so that the estimate errs on the high side).
qint64 memoryToRead(qint64 fileBytes);

// The buffer's text as bytes. A Typed break is written with the kind TextBuffer::Break
// describes, except that one which would be a lone CR right before a lone LF is written as
// CR LF, so that the two do not read back as one break. Characters CP932 cannot hold are
// written as '?' and their positions (in the buffer) go to unencodable. Places where the
// bytes would read back as other text go to changed, in order: the first character of each
// place where an escaped byte joins its neighbour, and each CR break of a file's own that
// comes right before an LF break of its own (no bytes keep those two breaks apart).
// The bytes are in format's encoding, after its byte-order mark when format has one. They are
// made about chunkChars characters at a time, without a copy of the whole text.
constexpr qsizetype kWriteChunk = 1 << 18;
QByteArray write(const TextBuffer &buffer, QList<qsizetype> *unencodable = nullptr,
                 QList<qsizetype> *changed = nullptr, Format format = {}, qsizetype chunkChars = kWriteChunk);

// The same bytes handed to put a piece at a time, as they are made: no copy of them all is
// held. Stops, false, when put returns false; unencodable and changed then cover only the
// pieces put took.
using Sink = std::function<bool(QByteArrayView)>;
bool write(const TextBuffer &buffer, const Sink &put, QList<qsizetype> *unencodable, QList<qsizetype> *changed,
           Format format, qsizetype chunkChars = kWriteChunk);

} // namespace TextBytes
