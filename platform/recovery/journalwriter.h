#pragma once
// Keeps the recovery journal of one text: from the moment the text is modified until it is
// not (saved, or undone back to what was saved), or the writer goes with its document. A
// keystroke costs the editing thread one small record handed to the writing thread; the text
// is copied whole only when a journal starts and when its edits have grown to a quarter of
// the text (compaction), shortly after the edit that asked for it, so that the journal is on disk
// within a second of every edit.
#include "platform/engine/textbuffer.h"
#include "platform/recovery/journalformat.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

class RecoveryFolder;

class JournalWriter : public QObject {
    Q_OBJECT
public:
    using OriginSource = std::function<JournalFormat::Origin()>;
    // origin tells, when a journal is written whole, where the text belongs.
    JournalWriter(RecoveryFolder *folder, const TextBuffer *buffer, OriginSource origin, QObject *parent = nullptr);
    // The document is closed: its journal goes.
    ~JournalWriter() override;

    // Where the text belongs has changed: the journal is written whole again.
    void OriginChanged();
    // The journal's file; empty while the text has none.
    const QString &Path() const { return m_path; }

    // How soon after the edit that starts or compacts a journal the text is copied.
    static constexpr int kWholeDelayMs = 200;
    // How soon a journal that could not be written is tried again.
    static constexpr int kRetryMs = 10000;
    // Edits are appended until they take this much, or a quarter of the text, whichever is more.
    static constexpr qint64 kCompactBytes = 1 << 20;

private:
    enum class State {
        Off,      // no journal: the text is as saved
        Waiting,  // a whole write is due when the timer fires; edits meanwhile go with it
        Live,     // written whole; edits are appended
    };
    void OnChanged(const TextBuffer::Change &change);
    void OnModificationChanged(bool modified);
    void OnBroken(const QString &path);
    void WriteWhole();
    void Discard();
    void WriteWholeIn(int ms);

    QPointer<RecoveryFolder> m_folder;
    const TextBuffer *m_buffer;
    OriginSource m_origin;
    State m_state = State::Off;
    QString m_path;
    QTimer m_timer;
    qint64 m_createdMs = 0;
    qint64 m_lastEditMs = 0;
    qint64 m_appended = 0;     // bytes appended since the last whole write
    qint64 m_wholeBytes = 0;   // about what the last whole write took
};
