#include "platform/recovery/journalwriter.h"

#include "platform/recovery/journaldisk.h"
#include "platform/recovery/recoveryfolder.h"

#include <QDateTime>

JournalWriter::JournalWriter(RecoveryFolder *folder, const TextBuffer *buffer, OriginSource origin, QObject *parent)
    : QObject(parent), m_folder(folder), m_buffer(buffer), m_origin(std::move(origin))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &JournalWriter::WriteWhole);
    connect(buffer, &TextBuffer::changed, this, &JournalWriter::OnChanged);
    connect(buffer, &TextBuffer::modificationChanged, this, &JournalWriter::OnModificationChanged);
    if (folder)
        connect(folder->Disk(), &JournalDisk::journalBroken, this, &JournalWriter::OnBroken);
    if (buffer->isModified())
        OnModificationChanged(true);
}

JournalWriter::~JournalWriter()
{
    Discard();
}

void JournalWriter::OriginChanged()
{
    if (m_state == State::Live)
        WriteWholeIn(0);
}

void JournalWriter::WriteWholeIn(int ms)
{
    m_state = State::Waiting;
    if (!m_timer.isActive() || m_timer.remainingTime() > ms)
        m_timer.start(ms);
}

// Every edit passes here, undo and redo included; loading a file leaves the text unmodified.
void JournalWriter::OnChanged(const TextBuffer::Change &change)
{
    if (!m_buffer->isModified()) {
        Discard();
        return;
    }
    m_lastEditMs = QDateTime::currentMSecsSinceEpoch();
    if (m_state == State::Off) {
        m_createdMs = m_lastEditMs;
        WriteWholeIn(kWholeDelayMs);
        return;
    }
    if (m_state != State::Live || !m_folder)
        return;
    JournalFormat::Piece piece;
    piece.text = m_buffer->text(change.pos, change.pos + change.added);
    if (change.linesAdded > 0)
        piece.kinds = m_buffer->breakKinds(change.firstLine, change.linesAdded);
    piece.forms = m_buffer->variants(change.pos, change.pos + change.added);
    QByteArray record = JournalFormat::editRecord(m_lastEditMs, change.pos, change.removed, piece);
    m_appended += record.size();
    m_folder->Disk()->Append(m_path, std::move(record));
    // A quarter of the text: reading back replays at most that much after the copy.
    if (m_appended > std::max(kCompactBytes, m_wholeBytes / 4))
        WriteWholeIn(kWholeDelayMs);
}

void JournalWriter::OnModificationChanged(bool modified)
{
    if (!modified) {
        Discard();
    } else if (m_state == State::Off) {
        m_createdMs = m_lastEditMs = QDateTime::currentMSecsSinceEpoch();
        WriteWholeIn(kWholeDelayMs);
    }
}

void JournalWriter::OnBroken(const QString &path)
{
    if (path == m_path && m_state == State::Live)
        WriteWholeIn(kRetryMs);
}

// The one copy of the whole text; the writing thread makes it into bytes.
void JournalWriter::WriteWhole()
{
    if (!m_folder || m_state != State::Waiting)
        return;
    // A folder that cannot be made fails the write, which is reported and tried again later.
    m_folder->MakeOwnFolder();
    if (m_path.isEmpty())
        m_path = m_folder->NewJournalPath();
    JournalFormat::Origin origin = m_origin();
    origin.createdMs = m_createdMs;
    JournalFormat::Piece piece;
    piece.text = m_buffer->text();
    piece.kinds = m_buffer->breakKinds(0, m_buffer->lineCount() - 1);
    piece.forms = m_buffer->variants();
    m_wholeBytes = piece.text.size() * 2 + piece.kinds.size() + piece.forms.size() * 10;
    m_appended = 0;
    m_state = State::Live;
    m_folder->Disk()->Rewrite(m_path, origin, m_lastEditMs, std::move(piece));
}

void JournalWriter::Discard()
{
    m_timer.stop();
    m_state = State::Off;
    m_appended = 0;
    if (!m_path.isEmpty() && m_folder)
        m_folder->Disk()->Remove(m_path);
    m_path.clear();
}
