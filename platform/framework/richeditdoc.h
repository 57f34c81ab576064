#pragma once
// A document: its text (shared by all its views), the path and title, the modified flag,
// open and save as CP932 plain text, Save As, the question
// before closing a modified document and the messages for failed file operations.
#include "platform/framework/commandtarget.h"
#include "platform/base/fileerror.h"
#include "platform/engine/textbuffer.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class RichEditView;
class MultiDocTemplate;

class RichEditDoc : public QObject, public CommandTarget {
    Q_OBJECT
public:
    explicit RichEditDoc(QObject *parent = nullptr);
    ~RichEditDoc() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;

    const QString &GetPathName() const { return m_strPathName; }
    const QString &GetTitle() const { return m_strTitle; }
    // Sets the path and the title (its file name); adds it to the recent-file list when asked.
    void SetPathName(const QString &path, bool addToMRU = true);
    void SetTitle(const QString &title);

    // The first view.
    RichEditView *GetView() const;
    const QList<RichEditView *> &GetViews() const { return m_views; }
    void AddView(RichEditView *view);
    void RemoveView(RichEditView *view);

    MultiDocTemplate *GetDocTemplate() const { return m_pDocTemplate; }
    void SetDocTemplate(MultiDocTemplate *docTemplate) { m_pDocTemplate = docTemplate; }

    bool IsModified() const;
    void SetModifiedFlag(bool modified = true);

    virtual bool OnNewDocument();
    virtual bool OnOpenDocument(const QString &path);
    virtual bool OnSaveDocument(const QString &path);
    virtual void DeleteContents();

    // Save as the framework does it: path empty means Save As. On success with replace the
    // document takes the new path and is no longer modified; without replace the file is a
    // copy and the document keeps its path, title and modified state. Returns false when
    // cancelled or failed (a failure has been reported).
    bool DoSave(const QString &path, bool replace = true);
    // Save to the document's own file, or Save As when it has none, is read-only or is gone.
    bool DoFileSave();
    // Asks whether to save a modified document; false means the close is cancelled.
    virtual bool SaveModified();

    // The name a Save As proposes.
    QString ProposedFileName() const;

    // Save: to the document's own file, or Save As when it has none, is read-only or is gone.
    // Auto-save calls it too.
    void OnFileSave();

    // Send: hands the document's file to the mail program, or a copy of the text when the
    // document has no file yet or is modified. The document stays as it is.
    void OnFileSendMail();

    // Reports a failed open or save with the message for its cause.
    void ReportSaveLoadException(const QString &path, FileError cause, bool saving) const;

    // Replaces the Save As dialog (tests): returns the chosen path, empty for Cancel.
    using SaveAsPrompt = std::function<QString(const QString &proposed)>;
    static void SetSaveAsPrompt(SaveAsPrompt prompt);

    // Largest file opened, in bytes: no text of the control's limit needs more.
    static constexpr qint64 kMaxFileBytes = 2 * 0xFFFFFF;

signals:
    void titleChanged();

protected:
    void OnFileSaveAs();
    void OnFileClose();

private:
    QString PromptForSaveName() const;
    // Writes the text to path; the modified state is left alone.
    bool WriteTo(const QString &path);
    bool ConfirmUnencodable(const QString &text, const QList<qsizetype> &positions) const;
    bool ConfirmChangedOnReadBack(const QList<qsizetype> &positions) const;
    // The file-name part of the path, or the title while there is none.
    QString DisplayName() const;

    TextBuffer m_text;
    QString m_strPathName;
    QString m_strTitle;
    QList<RichEditView *> m_views;
    MultiDocTemplate *m_pDocTemplate = nullptr;

    static const CommandMap<RichEditDoc> &messageMap();
};
