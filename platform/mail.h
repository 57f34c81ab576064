#pragma once
// Handing a file to the user's mail program, which opens a new message with the file
// attached. On freedesktop systems the hand-off is `xdg-email` from the search path.
#include <QString>

#include <memory>

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

// Hands the file to the mail program through tool (from FindTool) and waits for the tool to
// end. Events go on being processed meanwhile, so the caller keeps its windows painted; it
// disables them itself.
Result SendAttachment(const QString &tool, const QString &filePath);

// A new folder for the copy of a document that is sent: in the temporary folder, its name
// beginning with "afx". Check isValid().
std::unique_ptr<QTemporaryDir> NewAttachmentFolder();

// The mail program may read the attachment after the tool has ended, so a sent copy must not
// go at once: its folder is kept until the program ends, or until DeleteKeptAttachments().
void KeepUntilExit(std::unique_ptr<QTemporaryDir> folder);
void DeleteKeptAttachments();

} // namespace Mail
