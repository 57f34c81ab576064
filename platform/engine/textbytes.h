#pragma once
// A text buffer to and from the bytes of a CP932 file, losslessly: line-break kinds, byte
// forms other than the default and undecodable bytes (escapes) come back as they were read.
#include <QByteArray>
#include <QByteArrayView>
#include <QList>

class TextBuffer;

namespace TextBytes {

// Loads bytes into buffer (see TextBuffer::load). False, with the buffer unchanged, when the
// text would be longer than limit characters.
bool read(TextBuffer &buffer, QByteArrayView bytes, qsizetype limit);

// The buffer's text as bytes. A Typed break is written with the kind TextBuffer::Break
// describes, except that one which would be a lone CR right before a lone LF is written as
// CR LF, so that the two do not read back as one break. Characters CP932 cannot hold are
// written as '?' and their positions (in the buffer) go to unencodable. Places where the
// bytes would read back as other text go to changed, in order: the first character of each
// place where an escaped byte joins its neighbour, and each CR break of a file's own that
// comes right before an LF break of its own (no bytes keep those two breaks apart).
QByteArray write(const TextBuffer &buffer, QList<qsizetype> *unencodable = nullptr,
                 QList<qsizetype> *changed = nullptr);

} // namespace TextBytes
