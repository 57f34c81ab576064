#include "platform/recovery/journalreader.h"

#include "platform/base/filename.h"
#include "platform/engine/textbuffer.h"

#include <QtEndian>
#include <optional>

namespace {

using namespace JournalFormat;

QString NotAJournal() { return QStringLiteral("回復用のファイルではありません。"); }
QString OtherVersion() { return QStringLiteral("このバージョンのＮＹＯでは読めない回復用のファイルです。"); }
QString CutOff() { return QStringLiteral("ファイルが途中で切れています。"); }
QString Damaged() { return QStringLiteral("ファイルが壊れています。"); }

// Reads the fields of one payload; every read is checked against what is left.
class Fields {
public:
    explicit Fields(QByteArrayView bytes) : m_bytes(bytes) {}

    template <typename T>
    bool get(T *value)
    {
        if (left() < qsizetype(sizeof(T)))
            return false;
        *value = qFromLittleEndian<T>(m_bytes.data() + m_pos);
        m_pos += sizeof(T);
        return true;
    }
    bool getBytes(QByteArrayView *value)
    {
        quint32 size = 0;
        if (!get(&size) || size > quint64(left()))
            return false;
        *value = m_bytes.sliced(m_pos, size);
        m_pos += size;
        return true;
    }
    // A piece whose kinds are all known and whose forms ascend inside its text.
    bool getPiece(Piece *piece)
    {
        quint64 units = 0;
        if (!get(&units) || units > quint64(left()) / 2)
            return false;
        piece->text.resize(qsizetype(units));
        qFromLittleEndian<quint16>(m_bytes.data() + m_pos, qsizetype(units), piece->text.data());
        m_pos += qsizetype(units) * 2;
        const qsizetype breaks = piece->text.count(QChar(TextBuffer::kBreak));
        if (left() < breaks)
            return false;
        piece->kinds = m_bytes.sliced(m_pos, breaks).toByteArray();
        m_pos += breaks;
        for (char kind : std::as_const(piece->kinds))
            if (quint8(kind) > quint8(TextBuffer::Break::Cr))
                return false;
        quint64 forms = 0;
        if (!get(&forms) || forms > quint64(left()) / 10)
            return false;
        piece->forms.reserve(qsizetype(forms));
        for (quint64 k = 0; k < forms; ++k) {
            quint64 pos = 0;
            quint16 code = 0;
            get(&pos);
            get(&code);
            const bool ascending = piece->forms.isEmpty() || pos > quint64(piece->forms.constLast().pos);
            if (pos >= units || code == 0 || !ascending || piece->text.at(qsizetype(pos)) == TextBuffer::kBreak)
                return false;
            piece->forms.append(CodePage::Variant{qsizetype(pos), code});
        }
        return true;
    }
    bool atEnd() const { return m_pos == m_bytes.size(); }

private:
    qsizetype left() const { return m_bytes.size() - m_pos; }
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

std::optional<Origin> ReadOrigin(Fields &f)
{
    Origin origin;
    quint8 encoding = 0, bom = 0, state = 0;
    qint64 size = 0, modifiedNs = 0;
    quint64 inode = 0, device = 0;
    QByteArrayView path, title;
    if (!f.get(&origin.createdMs) || !f.get(&encoding) || !f.get(&bom) || !f.getBytes(&path) || !f.get(&state) ||
        !f.get(&size) || !f.get(&modifiedNs) || !f.get(&inode) || !f.get(&device) || !f.getBytes(&title) || !f.atEnd())
        return std::nullopt;
    if (encoding >= Encodings::all().size() || bom > 1 || state > quint8(FileIdentity::State::Present) ||
        path.contains('\0'))
        return std::nullopt;
    origin.encoding = Encoding(encoding);
    origin.bom = bom == 1;
    origin.path = path.isEmpty() ? QString() : FileName::FromNative(path.toByteArray());
    origin.disk = FileIdentity::Make(FileIdentity::State(state), size, modifiedNs, inode, device);
    origin.title = QString::fromUtf8(title);
    return origin;
}

// Applies a snapshot (the buffer still empty) or an edit; false when it does not fit.
bool ApplyText(RecordType type, Fields &f, TextBuffer &buffer, qint64 *timeMs)
{
    qint64 time = 0;
    quint64 pos = 0, removed = 0;
    if (!f.get(&time))
        return false;
    if (type == EditType && (!f.get(&pos) || !f.get(&removed)))
        return false;
    Piece piece;
    if (!f.getPiece(&piece) || !f.atEnd())
        return false;
    if (pos > quint64(buffer.length()) || removed > quint64(buffer.length()) - pos)
        return false;
    buffer.restore(qsizetype(pos), qsizetype(pos + removed), piece.text, piece.kinds, piece.forms);
    *timeMs = time;
    return true;
}

} // namespace

namespace JournalReader {

Result Read(QByteArrayView bytes, TextBuffer &buffer)
{
    Result result;
    buffer.restore(0, buffer.length(), QStringView(), QByteArrayView(), {});
    if (bytes.size() < kFileHeaderBytes || bytes.first(sizeof kMagic) != QByteArrayView(kMagic, sizeof kMagic)) {
        result.problem = NotAJournal();
        return result;
    }
    if (qFromLittleEndian<quint32>(bytes.data() + sizeof kMagic) != kVersion) {
        result.problem = OtherVersion();
        return result;
    }
    qsizetype pos = kFileHeaderBytes;
    int index = 0;  // 0 origin, 1 snapshot, then edits
    for (; pos < bytes.size(); ++index) {
        if (bytes.size() - pos < kRecordHeaderBytes) {
            result.problem = CutOff();
            break;
        }
        const quint32 size = qFromLittleEndian<quint32>(bytes.data() + pos);
        const quint32 crc = qFromLittleEndian<quint32>(bytes.data() + pos + 4);
        if (size > quint64(bytes.size() - pos - kRecordHeaderBytes)) {
            result.problem = CutOff();
            break;
        }
        const QByteArrayView payload = bytes.sliced(pos + kRecordHeaderBytes, size);
        if (payload.isEmpty() || crc32(payload) != crc) {
            result.problem = Damaged();
            break;
        }
        const RecordType expected = index == 0 ? OriginType : index == 1 ? SnapshotType : EditType;
        Fields fields(payload.sliced(1));
        bool fits = payload.front() == expected;
        if (fits && expected == OriginType) {
            const std::optional<Origin> origin = ReadOrigin(fields);
            fits = origin.has_value();
            if (fits)
                result.origin = *origin;
        } else if (fits) {
            fits = ApplyText(expected, fields, buffer, &result.lastEditMs);
        }
        if (!fits) {
            result.problem = Damaged();
            break;
        }
        pos += kRecordHeaderBytes + size;
    }
    if (index < 2) {
        // No whole text: nothing of it is handed out.
        if (result.problem.isEmpty())
            result.problem = CutOff();
        buffer.restore(0, buffer.length(), QStringView(), QByteArrayView(), {});
        result.origin = Origin();
        return result;
    }
    result.text = result.problem.isEmpty() ? Result::Text::Whole : Result::Text::Earlier;
    return result;
}

} // namespace JournalReader
