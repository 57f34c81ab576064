#pragma once
// The bytes of a recovery journal: what a document's unsaved text needs to come back exactly
// after the program died. A journal is a file of records after an 8-byte mark and a version:
//
//   "NYOJRNL\0"  u32 version
//   record:      u32 payload length, u32 CRC-32 of the payload, payload
//   payload:     one type byte, then the type's fields
//     'H' origin    i64 creation time (ms since the epoch), u8 encoding, u8 byte-order mark,
//                   bytes of the path (u32 length, the file system's bytes; none when untitled),
//                   the file as last read or written (u8 state, i64 size, i64 modification
//                   time in ns, u64 inode, u64 device), the title (u32 length, UTF-8)
//     'S' snapshot  i64 time of the last edit it holds, then a text (below)
//     'E' edit      i64 time, u64 position, u64 characters removed, then the text put there
//   text:        u64 UTF-16 code units (little-endian) with breaks as U+000A, one kind byte
//                per break, u64 count of byte forms, each u64 position and u16 code
//
// Integers are little-endian. The origin comes first, then a snapshot, then edits in the order
// they were made; a journal is rewritten as origin and snapshot now and then. Each record
// stands on its own checksum, so that a cut-off or damaged record is found, never read.
#include "platform/base/codepage.h"
#include "platform/base/encoding.h"
#include "platform/base/fileidentity.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

namespace JournalFormat {

constexpr char kMagic[8] = {'N', 'Y', 'O', 'J', 'R', 'N', 'L', '\0'};
constexpr quint32 kVersion = 1;
constexpr qsizetype kFileHeaderBytes = 12;
constexpr qsizetype kRecordHeaderBytes = 8;
enum RecordType : char { OriginType = 'H', SnapshotType = 'S', EditType = 'E' };

// Where a document's text belongs: its file (empty path for an untitled text) and how the
// file's bytes stand for it.
struct Origin {
    QString path;
    Encoding encoding = Encoding::Cp932;
    bool bom = false;
    FileIdentity disk;  // the file as the document last read or wrote it
    QString title;
    qint64 createdMs = 0;
};

// A piece of text as a buffer holds it: breaks as U+000A with their kinds, one byte each, and
// the byte forms of its characters other than the default (positions within the piece).
struct Piece {
    QString text;
    QByteArray kinds;
    QList<CodePage::Variant> forms;
};

// CRC-32 (the polynomial of zip and PNG) of bytes; crc32Update() carries a running state
// (0xFFFFFFFF to begin, the result then XORed with 0xFFFFFFFF) across bytes taken in parts.
quint32 crc32(QByteArrayView bytes);
quint32 crc32Update(quint32 state, QByteArrayView bytes);

// The mark and version that open a journal.
QByteArray fileHeader();
// One whole record each, checksum included.
QByteArray originRecord(const Origin &origin);
QByteArray snapshotRecord(qint64 timeMs, const Piece &piece);
QByteArray editRecord(qint64 timeMs, qint64 pos, qint64 removed, const Piece &piece);
// snapshotRecord()'s bytes written to out as they are made, without a copy of the whole text;
// false when out does not take them.
bool writeSnapshotRecord(QIODevice &out, qint64 timeMs, const Piece &piece);

} // namespace JournalFormat
