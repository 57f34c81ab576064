#pragma once
// What writing a document's text to a file came to: saved, cancelled at one of the questions
// asked before writing (or at the Save As name), or failed, with the file and the cause. The
// write returns it; the command that saved decides what the user is told (SaveFailureMessage).
#include "platform/base/fileerror.h"

#include <QString>

class SaveOutcome {
public:
    enum class Status { Saved, Cancelled, Failed };

    static SaveOutcome Saved() { return SaveOutcome(Status::Saved); }
    static SaveOutcome Cancelled() { return SaveOutcome(Status::Cancelled); }
    // cause None: a failure without a specific cause (no file could be made, for instance).
    static SaveOutcome Failed(const QString &path, FileError cause)
    {
        SaveOutcome outcome(Status::Failed);
        outcome.m_path = path;
        outcome.m_cause = cause;
        return outcome;
    }

    Status status() const { return m_status; }
    bool IsSaved() const { return m_status == Status::Saved; }
    const QString &path() const { return m_path; }
    FileError cause() const { return m_cause; }

private:
    explicit SaveOutcome(Status status) : m_status(status) {}

    Status m_status;
    QString m_path;
    FileError m_cause = FileError::None;
};

// What the user is told of a save: the message for a failure's cause, with the file's path in
// it; empty when it was saved or the user cancelled (the user knows then).
QString SaveFailureMessage(const SaveOutcome &outcome);
