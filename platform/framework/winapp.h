#pragma once
// The application object of the framework: the document template, the main window, the
// recent-file list, the print settings and the open-document operation through which every
// document opens. It is the host of the documents: their questions and messages show over their
// windows, and the files they name join the recent-file list.
#include "platform/framework/commandtarget.h"
#include "platform/framework/documenthost.h"
#include "platform/framework/printsettings.h"

#include <QObject>
#include <QString>
#include <memory>

class MultiDocTemplate;
class RecentFileList;
class RichEditDoc;
class QMainWindow;
class QPrinter;

class WinApp : public QObject, public CommandTarget, public DocumentHost {
    Q_OBJECT
public:
    WinApp();
    ~WinApp() override;

    // The one application object.
    static WinApp *Get();

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // The template of every document; its documents and views get this application's host and
    // print settings.
    void AddDocTemplate(MultiDocTemplate *docTemplate);
    MultiDocTemplate *GetDocTemplate() const { return m_pDocTemplate; }
    QMainWindow *GetMainWnd() const { return m_pMainWnd; }
    void SetMainWnd(QMainWindow *mainWnd) { m_pMainWnd = mainWnd; }

    // Opens a file, or activates its window when it is open already. The text is taken as
    // a path by NormalizePath(); a link opens the file it stands for (FileName::FollowLink).
    virtual RichEditDoc *OpenDocumentFile(const QString &path);
    // Starts reading a file OpenDocumentFile() is soon given, while the program is still
    // being set up (RichEditDoc::Preload). OpenDocumentFile() takes it over.
    void PreloadDocumentFile(const QString &path);
    void OnFileNew();
    // Chooses the printer and its settings for later print runs.
    void OnFilePrintSetup();
    // The printer print runs use; made on first use.
    QPrinter *GetPrinter() { return m_printSettings.Printer(); }
    // Pages the print preview shows side by side (1 or 2; 0 until a preview has closed).
    int GetNumPreviewPages() const { return m_printSettings.PreviewPages(); }
    void SetNumPreviewPages(int pages) { m_printSettings.SetPreviewPages(pages); }
    PrintSettings *GetPrintSettings() { return &m_printSettings; }

    // DocumentHost: boxes over the document's first view (the main window once it has gone),
    // the Save As dialog over its window, the wait cursor over the whole program; the
    // application owns what outlasts a document.
    int Ask(const RichEditDoc *doc, const QString &question, MsgBox::Buttons buttons) override;
    void Tell(const RichEditDoc *doc, const QString &message) override;
    QString AskSaveName(const RichEditDoc *doc, const QString &proposed, Encoding *encoding = nullptr) override;
    std::optional<Encoding> AskEncoding(const RichEditDoc *doc, Encoding current) override;
    QObject *WorkOwner() override { return this; }
    void BeginWait() override;
    void EndWait() override;

    // The recent-file list with `size` entries (none when 0), read from the store.
    void LoadStdProfileSettings(int size);
    RecentFileList *GetRecentFileList() const { return m_pRecentFileList; }
    void AddToRecentFileList(const QString &path);
    // Writes the recent-file list back to the store.
    void SaveStdProfileSettings();

    // Asks about every modified document; false when the user cancelled.
    bool SaveAllModified();
    // Closes every document window without asking.
    void CloseAllDocuments();
    // Asks, document by document, about files other programs have changed on disk
    // (RichEditDoc::CheckFileOnDisk); a call while one runs does nothing.
    void CheckDocumentsOnDisk();

    // The absolute path of a name as FileName::Resolve() takes it, a relative one against the
    // current folder: a name that exists is used as it stands, even with double quotes in it;
    // a missing one in quotes loses them. Empty when no name remains.
    static QString NormalizePath(const QString &path);

    // Characters of a recent-file entry shown in the menu.
    static constexpr int kRecentDisplayLength = 30;

protected:
    void OnOpenRecentFile(int id);
    void OnUpdateRecentFileMenu(CmdUI *ui);


private:
    MultiDocTemplate *m_pDocTemplate = nullptr;
    QMainWindow *m_pMainWnd = nullptr;
    RecentFileList *m_pRecentFileList = nullptr;
    PrintSettings m_printSettings;
    bool m_bCheckingDisk = false;

    static const CommandMap<WinApp> &messageMap();
};
