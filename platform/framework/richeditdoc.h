#pragma once
// A document: its text (shared by all its views) and the most characters it may hold, the path
// and title, the modified flag, open and save as CP932 plain text, Save As, the question before
// closing a modified document and the messages for failed file operations. It remembers what
// its file was on disk when it last read or wrote it, and asks before it overwrites a file
// another program has changed since. The document words
// its questions; its host (DocumentHost) shows them. Writing returns what it came to (a
// SaveOutcome); the command that wrote tells a failure through the host. Joining the
// recent-file list and closing its windows are signals: the document knows neither the
// application nor frames.
#include "platform/framework/commandtarget.h"
#include "platform/framework/documenthost.h"
#include "platform/framework/saveoutcome.h"
#include "platform/base/fileerror.h"
#include "platform/base/fileidentity.h"
#include "platform/engine/textbuffer.h"
#include "platform/engine/textbytes.h"
#include "platform/recovery/journalformat.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class RichEditView;
class MultiDocTemplate;
class JournalWriter;
class TextLoader;
class RecoveryFolder;

class RichEditDoc : public QObject, public CommandTarget {
    Q_OBJECT
public:
    explicit RichEditDoc(QObject *parent = nullptr);
    ~RichEditDoc() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;
    void OnBeforeCommand(int id) override;

    const QString &GetPathName() const { return m_strPathName; }
    const QString &GetTitle() const { return m_strTitle; }
    // Sets the path and the title (its file name); asks to join the recent-file list when told
    // to (recentFileNamed).
    void SetPathName(const QString &path, bool addToMRU = true);
    void SetTitle(const QString &title);

    // The first view.
    RichEditView *GetView() const;
    const QList<RichEditView *> &GetViews() const { return m_views; }
    void AddView(RichEditView *view);
    void RemoveView(RichEditView *view);

    MultiDocTemplate *GetDocTemplate() const { return m_pDocTemplate; }
    void SetDocTemplate(MultiDocTemplate *docTemplate) { m_pDocTemplate = docTemplate; }

    // Who shows the document's questions and messages; none asks nobody.
    void SetHost(DocumentHost *host) { m_pHost = host; }
    DocumentHost *GetHost() const { return m_pHost; }

    // Where the document keeps a recovery journal of its text while it is modified (none:
    // nowhere). The journal goes when the text is saved, undone back to what was saved, or
    // the document is closed.
    void SetRecoveryFolder(RecoveryFolder *folder);
    // Takes a text read back from a journal in place of its own (text gets the document's
    // old one): modified, attached to the journal's file as the document last knew it, so
    // that saving writes that file and asks first when another program changed it since.
    void Recover(const JournalFormat::Origin &origin, TextBuffer &text);

    // The most characters the text may hold: a file with more does not open, and the views
    // refuse edits beyond it.
    qsizetype GetLimitText() const { return m_nLimit; }
    void SetLimitText(qsizetype maxChars);

    bool IsModified() const;
    // The text is still coming in from the file opened, shown from its start: an edit, a save,
    // a search or any command first waits for the whole text.
    bool IsLoading() const;
    void SetModifiedFlag(bool modified = true);

    // The encoding the file is read and written in: as found when it was opened (a byte-order
    // mark is kept as found), CP932 for a new document. Setting one writes its byte-order mark,
    // if it has one, from the next save on.
    Encoding GetEncoding() const { return m_format.encoding; }
    void SetEncoding(Encoding encoding);

    // Starts reading a file that is about to be opened, before its document exists: the first
    // document to open path takes the read over. Those not taken go with DropPreloads().
    static void Preload(const QString &path);
    static void DropPreloads();

    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const QString &path);
    // Writes the text to path; once written the document is no longer modified.
    virtual SaveOutcome OnSaveDocument(const QString &path);
    virtual void DeleteContents();

    // Save as the framework does it: path empty means Save As. On success with replace the
    // document takes the new path and is no longer modified; without replace the file is a
    // copy and the document keeps its path, title and modified state. Nothing is told: the
    // caller tells the user of a failure (DocumentHost::TellSaveOutcome).
    SaveOutcome DoSave(const QString &path, bool replace = true);
    // Save to the document's own file, or Save As when it has none, is read-only or is gone.
    SaveOutcome DoFileSave();
    // Asks whether to save a modified document, saves it on Yes and tells the host of a failed
    // save; false means the close is cancelled (at the question, at the save, or by a failure).
    virtual bool SaveModified();

    // The name a Save As proposes.
    QString ProposedFileName() const;

    // The program has come back to the front: when another program has changed the file
    // since the document last read or wrote it, asks whether to read it again (a modified
    // document: read it again, or keep its own text, which the next save asks about before it
    // overwrites the file). A file gone from disk is told of. Each state of the file on disk is
    // asked about once.
    void CheckFileOnDisk();
    // Reads the document's file again by the road of opening: path and title stay, the
    // document is unmodified and every view shows the text from its start. False (told) when
    // the file cannot be read; the text is then as it was.
    bool Reload();
    // Reads the document's file again in the given encoding, as Reload() does but without
    // deciding the encoding from the bytes. False (told) when the file cannot be read or
    // there is none; the text and encoding are then as they were.
    bool ReopenAs(Encoding encoding);
    // Whether auto-save has anything to do: a modified document whose file is still there. A
    // file gone from disk is told of once and is not made again until the user saves.
    bool NeedsAutoSave();
    // Auto-save's save: Save, except that an outside change the user has already refused to
    // overwrite is not asked about again at every interval (the outcome is then Cancelled).
    SaveOutcome DoAutoSave();

    // Send: hands the document's file to the mail program, or a copy of the text when the
    // document has no file yet or is modified. The document stays as it is.
    void OnFileSendMail();

    // Replaces the Save As dialog (tests): returns the chosen path, empty for Cancel.
    using SaveAsPrompt = std::function<QString(const QString &proposed)>;
    static void SetSaveAsPrompt(SaveAsPrompt prompt);
    // As SetSaveAsPrompt, also choosing the encoding to save in (it holds the document's
    // first); this one is asked when both are set.
    using SaveAsEncodingPrompt = std::function<QString(const QString &proposed, Encoding &encoding)>;
    static void SetSaveAsEncodingPrompt(SaveAsEncodingPrompt prompt);

    // Replaces the system's answer to how much memory is free (tests); nothing restores it.
    using AvailableMemory = std::function<std::optional<qint64>()>;
    static void SetAvailableMemory(AvailableMemory available);

signals:
    void titleChanged();
    // The document took this path and asks for it to head the recent-file list.
    void recentFileNamed(const QString &path);
    // Close asked and answered: every window of the document closes without asking again.
    void closeRequested();
    // The last view has gone: the document is no longer open, and deletes itself soon.
    void closed();

protected:
    // Save: to the document's own file, or Save As when it has none, is read-only or is gone.
    void OnFileSave();
    void OnFileSaveAs();
    void OnFileClose();
    // Reopen in an encoding: asks first when the document is modified, then for the
    // encoding; only for a document with a file.
    void OnFileReopenEncoding();
    void OnUpdateFileReopenEncoding(CmdUI *ui);
    void OnUpdateEncodingIndicator(CmdUI *ui);

private:
    // What reading a file into the text came to; the text is unchanged unless both are unset.
    struct ReadOutcome {
        FileError error = FileError::None;
        bool tooLarge = false;  // more characters than the document's limit
        qint64 memoryNeeded = 0;  // more than the memory free: about what reading would take
    };
    // Before a file of fileBytes is read: the memory reading it would take when that is more
    // than is free, else 0.
    static qint64 MemoryShortFor(qint64 fileBytes);
    // The largest file whose reading fits in the memory free.
    static qint64 LargestFileInMemory();
    // Reads through the loader (none: the file does not fit in memory). The text shows from
    // its first piece on; the rest is appended as it is decoded (see IsLoading()).
    ReadOutcome ReadFile(const QString &path, std::unique_ptr<TextLoader> loader);
    // The read a document of path makes: one preloaded when there is one (onDisk then says
    // what the file was when it began), else one started now.
    static std::unique_ptr<TextLoader> StartReading(const QString &path, std::optional<Encoding> encoding,
                                                    FileIdentity *onDisk);
    // Reads all of the loader's text before any goes in, for a document with a limit.
    ReadOutcome ReadWhole(TextLoader &loader, const TextBytes::Format &format);
    // Appends the pieces decoded so far; the load ends with the last.
    void AppendLoaded();
    // Waits for the rest of the text and appends it.
    void FinishLoading();
    // Ends the load: what is not in the text by now never comes.
    void StopLoading();
    // What a refused open tells: over the limit, or over the free memory.
    QString TooLargeMessage(const QString &path, const ReadOutcome &outcome) const;
    // Opening's road: reads path, tells a failure, remembers the file on disk.
    bool ReadDocument(const QString &path, std::optional<Encoding> encoding);
    // The name to save as (empty for Cancel); encoding holds the document's and receives the
    // one chosen.
    QString PromptForSaveName(Encoding &encoding) const;
    // Writes the text to path after the questions about what would not read back as it is;
    // the modified state is left alone.
    SaveOutcome WriteTo(const QString &path);
    bool ConfirmUnencodable(const QList<qsizetype> &positions) const;
    bool ConfirmChangedOnReadBack(const QList<qsizetype> &positions) const;
    // Before the document's own file is overwritten: true when it is unchanged on disk since
    // the document last read or wrote it, or the user says to overwrite another program's
    // change.
    bool ConfirmOverwriteOutsideChange(const QString &path);
    // A question about the file on disk; true for Yes.
    bool AskAboutDisk(const QString &question);
    // What the document read from or wrote to path is now what is on disk there.
    void RememberDisk(const QString &path, const FileIdentity &identity);
    // The document's file as it is now on disk; Unknown when the document has not read or
    // written it (untitled, or its path changed without reading).
    FileIdentity DiskNow() const;
    // A question to the host; without one the answer is Cancel.
    int Ask(const QString &question, MsgBox::Buttons buttons) const;
    void Tell(const QString &message) const;
    // A command's save outcome to the host; nothing without one.
    void TellSaveOutcome(const SaveOutcome &outcome) const;
    // Every view shows the text from its start, as after opening a file.
    void ShowStartInViews();
    // The file-name part of the path, or the title while there is none.
    QString DisplayName() const;
    // The encoding as the questions about saving name it.
    QString EncodingShown() const;
    // Where the text belongs, as its journal keeps it.
    JournalFormat::Origin JournalOrigin() const;
    void JournalOriginChanged();

    TextBuffer m_text;
    TextBytes::Format m_format;
    QString m_strPathName;
    QString m_strTitle;
    QList<RichEditView *> m_views;
    MultiDocTemplate *m_pDocTemplate = nullptr;
    DocumentHost *m_pHost = nullptr;
    qsizetype m_nLimit;
    // What the document last read from or wrote to m_strDiskPath, the file the next save
    // compares with; what was last asked about on disk (so that a change is asked about
    // once); what the user refused to overwrite (so that auto-save does not ask again).
    QString m_strDiskPath;
    FileIdentity m_diskKnown;
    FileIdentity m_diskAsked;
    FileIdentity m_diskKeptOff;
    bool m_bAskingAboutDisk = false;
    // Destroyed before the text it watches.
    std::unique_ptr<JournalWriter> m_journal;
    // Set while a file's text comes in; stopped before the text goes.
    std::unique_ptr<TextLoader> m_loader;

    static const CommandMap<RichEditDoc> &messageMap();
};
