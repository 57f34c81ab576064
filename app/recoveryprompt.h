#pragma once
// A start after the program died: the unsaved texts it left behind (RecoveryFolder) are offered
// back before anything else opens. One question lists them, each with its file's name (or the
// untitled name) and the time of its last edit, and notes those that cannot be read; Yes (the
// default, Enter) opens every one in a window of its own, modified and attached to its file;
// No asks once more before the texts are thrown away, and goes back to the first question
// when the user thinks better of it. Journals that cannot be read are told of and removed.
#include "platform/recovery/journalreader.h"

#include <QList>
#include <QString>
#include <memory>
#include <vector>

class MultiDocTemplate;
class QWidget;
class RecoveryFolder;
class TextBuffer;

class CRecoveryPrompt {
public:
    CRecoveryPrompt(RecoveryFolder *folder, MultiDocTemplate *docTemplate, QWidget *parent);
    ~CRecoveryPrompt();

    // Asks, and opens what the user takes back; the number of texts opened.
    int Run();

private:
    struct Left {
        QString journal;
        JournalReader::Result result;
        std::unique_ptr<TextBuffer> text;
    };
    QString Question() const;
    QString Unreadable() const;
    QString NameOf(const Left &left) const;
    int Open();

    RecoveryFolder *m_pFolder;
    MultiDocTemplate *m_pDocTemplate;
    QWidget *m_pParent;
    std::vector<Left> m_usable;
    std::vector<Left> m_unreadable;
};
