#pragma once
// Handing a file to the user's mail program, which opens a new message with the file
// attached. On freedesktop systems the hand-off is `xdg-email` from the search path.
#include <QString>

#include <functional>
#include <memory>

class QObject;
class QTemporaryDir;

namespace Mail {

enum class Result {
    Sent,          // the mail program took the message
    NoMailSystem,  // there is no hand-off tool
    BadMailSystem, // the tool is there but cannot be started
    Failed,        // the tool ran and reported a failure, or crashed
};

// The hand-off tool's full path; empty when there is none.
QString FindTool();

// Hands the file to the mail program through tool (from FindTool) and returns at once: some
// mail programs keep the tool running for as long as the user writes the message, and the
// editor stays in use meanwhile. done gets the result once the tool has ended (at once, or
// soon, when it cannot start).
//
// copy, when given, is the folder of a copy made for this sending. It stays while the tool
// runs; after a message the mail program took it is kept until the program ends (as
// KeepUntilExit), otherwise it goes before done is called.
//
// The sending belongs to owner (the application object): when owner goes while the tool still
// runs, the tool is ended without waiting for it, the copy goes and done is never called.
void SendAttachment(const QString &tool, const QString &filePath, std::unique_ptr<QTemporaryDir> copy,
                    QObject *owner, std::function<void(Result)> done);

// A new folder for the copy of a document that is sent: in the temporary folder, its name
// beginning with "afx". Check isValid().
std::unique_ptr<QTemporaryDir> NewAttachmentFolder();

// The mail program may read the attachment after the tool has ended, so a sent copy must not
// go at once: its folder is kept until the program ends, or until DeleteKeptAttachments().
void KeepUntilExit(std::unique_ptr<QTemporaryDir> folder);
void DeleteKeptAttachments();

} // namespace Mail
