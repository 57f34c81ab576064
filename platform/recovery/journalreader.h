#pragma once
// Reads a recovery journal (see JournalFormat) back into a text buffer: the origin, then the
// snapshot, then every edit after it, each record checked against its length and checksum
// before anything of it is used. Reading stops at the first record that is cut off, damaged
// or does not fit the text; what was read before it is a whole earlier state of the text, and
// the result says that the latest edits are missing. A journal without a whole origin and
// snapshot gives no text at all.
#include "platform/recovery/journalformat.h"

#include <QByteArrayView>
#include <QString>

class TextBuffer;

namespace JournalReader {

struct Result {
    enum class Text {
        None,     // nothing usable: the buffer is empty
        Whole,    // every record was read
        Earlier,  // a later record could not be read: the text as of the last one that could
    };
    Text text = Text::None;
    // Why reading stopped early, in the user's words; empty when the journal was read whole.
    QString problem;
    JournalFormat::Origin origin;
    // When the text was last edited (ms since the epoch), as far as the records read tell.
    qint64 lastEditMs = 0;
};

// Reads bytes into buffer, which is emptied first and left modified with no undo history.
Result Read(QByteArrayView bytes, TextBuffer &buffer);

} // namespace JournalReader
