#pragma once
// What a document asks of the program it lives in: the questions the user answers, the failures
// the user is told of, the name a Save As takes, the wait shown while a command works. The
// document words its questions and acts on the answers; a save returns its outcome, and the
// command that saved tells it through the host. The template gives each document its host; a
// document without one asks nobody (every question is cancelled, nothing is told).
#include "platform/base/encoding.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/saveoutcome.h"

#include <QString>
#include <optional>

class QObject;
class RichEditDoc;

class DocumentHost {
public:
    virtual ~DocumentHost() = default;

    // A question with these buttons, asked over the document's window; returns MsgBox's
    // IDYES, IDNO or IDCANCEL.
    virtual int Ask(const RichEditDoc *doc, const QString &question, MsgBox::Buttons buttons) = 0;
    // Tells of a failure, over the document's window; doc is null when it has gone meanwhile.
    virtual void Tell(const RichEditDoc *doc, const QString &message) = 0;
    // Tells of a failed save with the message for its cause; a save that was done or cancelled
    // tells nothing.
    void TellSaveOutcome(const RichEditDoc *doc, const SaveOutcome &outcome)
    {
        const QString message = SaveFailureMessage(outcome);
        if (!message.isEmpty())
            Tell(doc, message);
    }
    // The name to save the document as, proposed first; empty when the user cancelled. When
    // encoding is given it holds the document's encoding, and receives the one chosen to save in.
    virtual QString AskSaveName(const RichEditDoc *doc, const QString &proposed, Encoding *encoding = nullptr) = 0;
    // The encoding to read the document's file again in, current chosen first; none when the
    // user cancelled.
    virtual std::optional<Encoding> AskEncoding(const RichEditDoc *doc, Encoding current) = 0;
    // The owner of work a document starts that may outlast the document (a mail hand-off):
    // it ends with the host at the latest.
    virtual QObject *WorkOwner() = 0;
    // A command that makes the user wait shows it from BeginWait to EndWait; the wait ends
    // before anything is told, so that a box shows the ordinary pointer. Shown nowhere unless
    // the host shows it.
    virtual void BeginWait() {}
    virtual void EndWait() {}
};
