#include "app/nyoapp.h"

#include "app/aboutdlg.h"
#include "app/childframe.h"
#include "app/childframedlg.h"
#include "app/historydlg.h"
#include "app/mainframe.h"
#include "app/mainframedlg.h"
#include "app/recoveryprompt.h"
#include "editor/nyodoc.h"
#include "editor/nyoview.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/richeditdoc.h"
#include "platform/framework/richeditview.h"
#include "platform/framework/showcmd.h"
#include "platform/desktop/singleinstance.h"
#include "platform/recovery/journaldisk.h"
#include "platform/recovery/recoveryfolder.h"
#include "res/resource.h"
#include "res/resources.h"
#include "settings/keyindex.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QStatusBar>

const CommandMap<CNYOApp> &CNYOApp::messageMap()
{
    using A = CNYOApp;
    static const CommandMap<A> map{
        OnCommand<A>(ID_APP_ABOUT, &A::OnAppAbout),
        OnCommand<A>(ID_FILE_OPEN, &A::OnFileOpen),
        OnCommand<A>(ID_SETTINGS_CHILDFRAME, &A::OnSettingsChildFrame),
        OnUpdateCommand<A>(ID_SETTINGS_CHILDFRAME, &A::OnUpdateSettingsDialog),
        OnCommand<A>(ID_SETTINGS_MAINFRAME, &A::OnSettingsMainFrame),
        OnUpdateCommand<A>(ID_SETTINGS_MAINFRAME, &A::OnUpdateSettingsDialog),
        OnCommand<A>(ID_SETTINGS_HISTORY, &A::OnSettingsHistory),
        OnUpdateCommand<A>(ID_SETTINGS_HISTORY, &A::OnUpdateSettingsDialog),
    };
    return map;
}

CNYOApp::CNYOApp(const QStringList &arguments) : m_arguments(arguments) {}

CNYOApp::~CNYOApp()
{
    delete m_pMainFrame;
    delete m_pRecovery;
    delete m_pInstance;
}

bool CNYOApp::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui) || WinApp::OnCmdMsg(id, ui);
}

// File names on the command line, absolute, as SingleInstance::fileArguments() takes them: a
// name that begins with '-' is a file too.
QStringList CNYOApp::FileArguments() const
{
    return SingleInstance::fileArguments(m_arguments.mid(1), QDir::currentPath());
}

bool CNYOApp::InitInstance()
{
    m_pInstance = new SingleInstance(QStringLiteral("NYO"), this);
    if (!m_pInstance->acquire()) {
        m_pInstance->handOff(m_arguments.mid(1), QDir::currentPath());
        return false;
    }

    // The files named are read while the windows are made.
    const QStringList files = FileArguments();
    for (const QString &file : files)
        PreloadDocumentFile(file);

    LoadStdProfileSettings(Keys::LSPS.read());
    SetNumPreviewPages(Keys::PreviewPages.read());

    MultiDocTemplate::Factories factories;
    factories.document = [] { return new CNYODoc; };
    factories.frame = [] { return new CChildFrame; };
    factories.view = [] { return new CNYOView; };
    auto *docTemplate = new MultiDocTemplate(Res::string(IDR_NYOTYPE), factories, this);
    AddDocTemplate(docTemplate);

    m_pMainFrame = new CMainFrame;
    SetMainWnd(m_pMainFrame);
    docTemplate->SetMdiArea(m_pMainFrame->MDIClient());

    // Only here, past the hand-off: a second start recovers nothing.
    m_pRecovery = new RecoveryFolder(RecoveryFolder::DefaultRoot());
    docTemplate->SetRecoveryFolder(m_pRecovery);
    QStatusBar *bar = m_pMainFrame->statusBar();
    connect(m_pRecovery->Disk(), &JournalDisk::writeFailed, bar, [bar](const QString &message) { bar->showMessage(message); });
    const int recovered = CRecoveryPrompt(m_pRecovery, docTemplate, m_pMainFrame).Run();

    const int mode = Keys::WindowMode2.read();
    const int showCmd = mode == 1 ? SW_SHOWMAXIMIZED : mode == 2 ? SW_SHOWMINNOACTIVE : SW_SHOWNORMAL;

    if (files.isEmpty()) {
        if (recovered == 0)
            OnFileNew();
    } else {
        bool opened = recovered > 0;
        for (const QString &file : files)
            opened = OpenDocumentFile(file) != nullptr || opened;
        RichEditDoc::DropPreloads();
        if (!opened)
            return false;
    }

    if (Keys::TUNE.read() == 1)
        m_pMainFrame->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    m_pMainFrame->ShowWindow(showCmd);

    connect(m_pInstance, &SingleInstance::filesReceived, m_pMainFrame, &CMainFrame::OnCopyData);
    m_pInstance->listen();
    return true;
}

int CNYOApp::ExitInstance(int exitCode)
{
    // Documents whose windows closed last go now, not with the process.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // A clean exit: whatever was unsaved was saved or thrown away at the user's word.
    if (m_pRecovery)
        m_pRecovery->RemoveOwn();
    delete m_pInstance;
    m_pInstance = nullptr;
    SaveStdProfileSettings();
    if (GetNumPreviewPages() != 0)
        Keys::PreviewPages.write(GetNumPreviewPages());
    return exitCode;
}

QString CNYOApp::FileOpenFilter()
{
    return QStringLiteral(
        "標準|*.txt; *.htm; *.html; *.c; *.cpp; *.h; *.rc; *.java; *.js; *.vbs; *.inf; *.ini; *.bat|"
        "ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt|HTMLﾌｧｲﾙ(*.htm *.html)|*.htm; *.html|"
        "ｿｰｽﾌｧｲﾙ(*.c *.cpp *.h *.rc *.java)|*.c; *.cpp; *.h; *.rc; *.java|"
        "WSHﾌｧｲﾙ(*.js *.vbs)|*.js; *.vbs|設定ファイル(*.inf *.ini *.bat)|*.inf; *.ini; *.bat|"
        "すべてのファイル(*.*)|*.*||");
}

// "label|patterns|" pairs become "label (patterns)" filters; the dialog shows only the
// label. "*.*" means every file, with or without an extension.
QStringList CNYOApp::FileOpenNameFilters()
{
    QStringList filters;
    const QStringList parts = FileOpenFilter().split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i).isEmpty())
            break;
        QStringList patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        }
        filters.append(parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return filters;
}

std::unique_ptr<QFileDialog> CNYOApp::CreateFileOpenDialog(QWidget *parent)
{
    auto dialog = std::make_unique<QFileDialog>(parent);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilters(FileOpenNameFilters());
    return dialog;
}

void CNYOApp::OnFileOpen()
{
    const std::unique_ptr<QFileDialog> dialog = CreateFileOpenDialog(GetMainWnd());
    if (dialog->exec() == QDialog::Accepted)
        OpenDocumentFiles(dialog->selectedFiles());
}

// Each path opens in turn; one that fails has told the user why and the rest still open.
void CNYOApp::OpenDocumentFiles(const QStringList &paths)
{
    for (const QString &path : paths)
        OpenDocumentFile(path);
}

void CNYOApp::OnAppAbout()
{
    QApplication::beep();
    CAboutDlg dialog(GetMainWnd());
    dialog.exec();
}

// The settings dialogs belong to the document windows' menu: with no document window active
// they are grey, wherever else the commands are offered.
void CNYOApp::OnUpdateSettingsDialog(CmdUI *ui)
{
    ui->Enable(m_pMainFrame && m_pMainFrame->MDIGetActive() != nullptr);
}

// The state applies to the next document window that opens or is activated.
void CNYOApp::OnSettingsChildFrame()
{
    CChildFrameDlg dialog(GetMainWnd());
    if (dialog.exec() == QDialog::Accepted)
        Keys::WindowMode.write(dialog.m_nFrameMode);
}

// The running window stays where it is; the state decides what this run saves on exit and
// how the next one starts. The state is written last, after the values it relies on.
void CNYOApp::OnSettingsMainFrame()
{
    CMainFrameDlg dialog(GetMainWnd());
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (dialog.m_nFrameMode == 3)
        Keys::WM3.write(dialog.m_bSaveOnExit == 1 ? 1 : 0);
    if (dialog.m_nFrameMode == 4) {
        // The unsigned fields give back the stored values' bits: -8 shown as 4294967288
        // is written as -8.
        Keys::FrameLeft.write(int32_t(dialog.m_nLeft));
        Keys::FrameTop.write(int32_t(dialog.m_nTop));
        Keys::FrameRight.write(int32_t(dialog.m_nRight));
        Keys::FrameBottom.write(int32_t(dialog.m_nBottom));
    }
    Keys::WindowMode2.write(dialog.m_nFrameMode);
}

// The recent-file list is sized once at start-up, so the user is told the new length waits
// for the next start.
void CNYOApp::OnSettingsHistory()
{
    CHistoryDlg dialog(GetMainWnd());
    if (dialog.exec() != QDialog::Accepted)
        return;
    Keys::LSPS.write(dialog.m_nRecentCount);
    MDIChildWnd *child = m_pMainFrame ? m_pMainFrame->MDIGetActive() : nullptr;
    QWidget *owner = GetMainWnd();
    if (child && child->GetActiveView())
        owner = child->GetActiveView();
    MsgBox::show(owner, QStringLiteral("ＮＹＯを再起動すると設定が有効になります"), QStringLiteral("確認"),
                 MsgBox::Buttons::Ok, MsgBox::Icon::Information);
}
