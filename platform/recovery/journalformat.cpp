#include "platform/recovery/journalformat.h"

#include "platform/base/filename.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <functional>
#include <array>

namespace {

// Eight tables, so that the checksum takes eight bytes a step: a journal of a large text is
// read whole at start-up and must not keep the user waiting on its checksum.
using CrcTables = std::array<std::array<quint32, 256>, 8>;

CrcTables makeTables()
{
    CrcTables t{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (quint32 i = 0; i < 256; ++i)
        for (int s = 1; s < 8; ++s)
            t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

template <typename T>
void put(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

void putBytes(QByteArray &out, const QByteArray &bytes)
{
    put<quint32>(out, quint32(bytes.size()));
    out.append(bytes);
}

// A piece as a record holds it, in parts made a slice of the text at a time, each handed to
// take (false stops): the text's length, the text (UTF-16LE), the break kinds, the forms.
bool forEachPiecePart(const JournalFormat::Piece &piece, const std::function<bool(QByteArrayView)> &take)
{
    QByteArray part;
    put<quint64>(part, quint64(piece.text.size()));
    if (!take(part))
        return false;
    constexpr qsizetype kSlice = 64 * 1024;
    for (qsizetype at = 0; at < piece.text.size(); at += kSlice) {
        const qsizetype count = std::min(kSlice, piece.text.size() - at);
        part.resize(count * 2);
        qToLittleEndian<quint16>(piece.text.utf16() + at, count, part.data());
        if (!take(part))
            return false;
    }
    part = piece.kinds;
    put<quint64>(part, quint64(piece.forms.size()));
    for (const CodePage::Variant &form : piece.forms) {
        put<quint64>(part, quint64(form.pos));
        put<quint16>(part, form.code);
    }
    return take(part);
}

void putPiece(QByteArray &out, const JournalFormat::Piece &piece)
{
    forEachPiecePart(piece, [&out](QByteArrayView part) {
        out.append(part);
        return true;
    });
}

// The record around a payload: its length and checksum first.
QByteArray record(const QByteArray &payload)
{
    QByteArray out;
    out.reserve(JournalFormat::kRecordHeaderBytes + payload.size());
    put<quint32>(out, quint32(payload.size()));
    put<quint32>(out, JournalFormat::crc32(payload));
    out.append(payload);
    return out;
}

} // namespace

namespace JournalFormat {

quint32 crc32(QByteArrayView bytes)
{
    return crc32Update(0xFFFFFFFFu, bytes) ^ 0xFFFFFFFFu;
}

quint32 crc32Update(quint32 c, QByteArrayView bytes)
{
    static const CrcTables t = makeTables();
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    qsizetype n = bytes.size();
    for (; n >= 8; n -= 8, p += 8) {
        const quint32 a = c ^ qFromLittleEndian<quint32>(p);
        const quint32 b = qFromLittleEndian<quint32>(p + 4);
        c = t[7][a & 0xFF] ^ t[6][(a >> 8) & 0xFF] ^ t[5][(a >> 16) & 0xFF] ^ t[4][a >> 24] ^
            t[3][b & 0xFF] ^ t[2][(b >> 8) & 0xFF] ^ t[1][(b >> 16) & 0xFF] ^ t[0][b >> 24];
    }
    for (; n > 0; --n, ++p)
        c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return c;
}

QByteArray fileHeader()
{
    QByteArray out(kMagic, sizeof kMagic);
    put<quint32>(out, kVersion);
    return out;
}

QByteArray originRecord(const Origin &origin)
{
    QByteArray payload(1, char(OriginType));
    put<qint64>(payload, origin.createdMs);
    put<quint8>(payload, quint8(origin.encoding));
    put<quint8>(payload, origin.bom ? 1 : 0);
    putBytes(payload, origin.path.isEmpty() ? QByteArray() : FileName::ToNative(origin.path));
    put<quint8>(payload, quint8(origin.disk.state()));
    put<qint64>(payload, origin.disk.size());
    put<qint64>(payload, origin.disk.modifiedNs());
    put<quint64>(payload, origin.disk.inode());
    put<quint64>(payload, origin.disk.device());
    putBytes(payload, origin.title.toUtf8());
    return record(payload);
}

QByteArray snapshotRecord(qint64 timeMs, const Piece &piece)
{
    QByteArray payload;
    payload.reserve(32 + piece.text.size() * 2 + piece.kinds.size() + piece.forms.size() * 10);
    payload.append(char(SnapshotType));
    put<qint64>(payload, timeMs);
    putPiece(payload, piece);
    return record(payload);
}

// The payload goes out in parts made from the piece a slice at a time, twice: once for the
// checksum that heads it, once to be written. The text is never held twice whole.
bool writeSnapshotRecord(QIODevice &out, qint64 timeMs, const Piece &piece)
{
    const auto eachPart = [&](const std::function<bool(QByteArrayView)> &take) {
        QByteArray head(1, char(SnapshotType));
        put<qint64>(head, timeMs);
        return take(head) && forEachPiecePart(piece, take);
    };
    qint64 length = 0;
    quint32 crc = 0xFFFFFFFFu;
    eachPart([&](QByteArrayView part) {
        length += part.size();
        crc = crc32Update(crc, part);
        return true;
    });
    QByteArray header;
    put<quint32>(header, quint32(length));
    put<quint32>(header, crc ^ 0xFFFFFFFFu);
    return out.write(header) == header.size() &&
           eachPart([&out](QByteArrayView part) { return out.write(part.data(), part.size()) == part.size(); });
}

QByteArray editRecord(qint64 timeMs, qint64 pos, qint64 removed, const Piece &piece)
{
    QByteArray payload(1, char(EditType));
    put<qint64>(payload, timeMs);
    put<quint64>(payload, quint64(pos));
    put<quint64>(payload, quint64(removed));
    putPiece(payload, piece);
    return record(payload);
}

} // namespace JournalFormat
