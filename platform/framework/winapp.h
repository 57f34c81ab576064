#pragma once
// The application object of the framework: the document template, the main window, the
// recent-file list and the open-document operation through which every document opens.
#include "platform/framework/commandtarget.h"

#include <QObject>
#include <QString>
#include <memory>

class MultiDocTemplate;
class RecentFileList;
class RichEditDoc;
class QMainWindow;
class QPrinter;

class WinApp : public QObject, public CommandTarget {
    Q_OBJECT
public:
    WinApp();
    ~WinApp() override;

    // The one application object.
    static WinApp *Get();

    bool OnCmdMsg(int id, CmdUI *ui) override;

    void AddDocTemplate(MultiDocTemplate *docTemplate) { m_pDocTemplate = docTemplate; }
    MultiDocTemplate *GetDocTemplate() const { return m_pDocTemplate; }
    QMainWindow *GetMainWnd() const { return m_pMainWnd; }
    void SetMainWnd(QMainWindow *mainWnd) { m_pMainWnd = mainWnd; }

    // Opens a file, or activates its window when it is open already. The text is taken as
    // a path by NormalizePath(); a link opens the file it stands for (FileName::FollowLink).
    virtual RichEditDoc *OpenDocumentFile(const QString &path);
    void OnFileNew();
    // Chooses the printer and its settings for later print runs.
    void OnFilePrintSetup();
    // The printer print runs use; made on first use.
    QPrinter *GetPrinter();
    // Pages the print preview shows side by side (1 or 2; 0 until a preview has closed).
    int GetNumPreviewPages() const { return m_nNumPreviewPages; }
    void SetNumPreviewPages(int pages) { m_nNumPreviewPages = pages; }

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
    std::unique_ptr<QPrinter> m_pPrinter;
    int m_nNumPreviewPages = 0;

    static const CommandMap<WinApp> &messageMap();
};
