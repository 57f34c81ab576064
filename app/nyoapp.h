#pragma once
// The application: start-up with the single-instance hand-off, the document template, the
// main window, File-Open with the program's filter list, and the About box. The first start
// offers back what a program that died left unsaved, and a clean exit leaves no journal.
#include "platform/framework/winapp.h"

#include <QStringList>
#include <memory>

class CMainFrame;
class RecoveryFolder;
class SingleInstance;
class QFileDialog;
class QWidget;

class CNYOApp : public WinApp {
    Q_OBJECT
public:
    explicit CNYOApp(const QStringList &arguments);
    ~CNYOApp() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // Starts the program; false means the process ends at once (a second start that handed
    // its files over, or a start-up that failed).
    bool InitInstance();
    int ExitInstance(int exitCode);

    CMainFrame *MainFrame() const { return m_pMainFrame; }

    // The File-Open dialog's filter list, as the program stores it.
    static QString FileOpenFilter();
    // The same list as dialog filters: label and patterns, the first entry selected.
    static QStringList FileOpenNameFilters();

    // The File-Open dialog: several files at once, the program's filters.
    static std::unique_ptr<QFileDialog> CreateFileOpenDialog(QWidget *parent);
    void OpenDocumentFiles(const QStringList &paths);

    void OnFileOpen();
    void OnAppAbout();
    // The frame and history settings dialogs, each writing its settings on OK.
    void OnSettingsChildFrame();
    void OnSettingsMainFrame();
    void OnSettingsHistory();
    void OnUpdateSettingsDialog(CmdUI *ui);

private:
    QStringList FileArguments() const;

    QStringList m_arguments;
    SingleInstance *m_pInstance = nullptr;
    // Where documents keep the journals of their unsaved text; only the first start has one.
    RecoveryFolder *m_pRecovery = nullptr;
    CMainFrame *m_pMainFrame = nullptr;

    static const CommandMap<CNYOApp> &messageMap();
};
