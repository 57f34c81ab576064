#include "platform/framework/winapp.h"

#include "platform/framework/afxres.h"
#include "platform/base/fileerror.h"
#include "platform/base/filename.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/dialogs/msgbox.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/recentfilelist.h"
#include "platform/framework/richeditdoc.h"
#include "platform/framework/richeditview.h"
#include "platform/dialogs/saveasdialog.h"
#include "platform/engine/textviewaccessible.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QMainWindow>
#include <QPrintDialog>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QScopedValueRollback>

namespace {
WinApp *g_app = nullptr;
} // namespace

const CommandMap<WinApp> &WinApp::messageMap()
{
    static const CommandMap<WinApp> map{
        OnCommand<WinApp>(ID_FILE_NEW, &WinApp::OnFileNew),
        OnCommand<WinApp>(ID_FILE_PRINT_SETUP, &WinApp::OnFilePrintSetup),
        OnCommandRange<WinApp>(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, &WinApp::OnOpenRecentFile),
        OnUpdateCommandRange<WinApp>(ID_FILE_MRU_FIRST, ID_FILE_MRU_LAST, &WinApp::OnUpdateRecentFileMenu),
    };
    return map;
}

WinApp::WinApp()
{
    g_app = this;
    // Before any window is made, so that the first question a screen reader asks of a text
    // view already finds what it can read there.
    TextViewAccessible::install();
}

WinApp::~WinApp()
{
    if (g_app == this)
        g_app = nullptr;
    delete m_pRecentFileList;
}

WinApp *WinApp::Get()
{
    return g_app;
}

bool WinApp::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

QString WinApp::NormalizePath(const QString &path)
{
    return FileName::Resolve(path);
}

RichEditDoc *WinApp::OpenDocumentFile(const QString &path)
{
    if (!m_pDocTemplate)
        return nullptr;
    const QString given = NormalizePath(path);
    bool viaLauncher = false;
    const QString name = FileName::FollowLink(given, &viaLauncher);
    if (name.isEmpty())
        return nullptr;
    if (RichEditDoc *open = m_pDocTemplate->FindDocument(name)) {
        if (MDIChildWnd *frame = m_pDocTemplate->GetFrames(open).value(0))
            frame->ActivateFrame(-1);
        if (m_pMainWnd) {
            if (m_pMainWnd->isMinimized())
                m_pMainWnd->showNormal();
            m_pMainWnd->activateWindow();
        }
        return open;
    }
    // The open would report the missing target alone, as if the user had named it.
    if (viaLauncher && !FileName::Exists(name)) {
        MsgBox::show(m_pMainWnd, LinkTargetMissingMessage(FileName::Display(given), FileName::Display(name)), QString(), MsgBox::Buttons::Ok,
                     MsgBox::Icon::Exclamation);
        return nullptr;
    }
    return m_pDocTemplate->OpenDocumentFile(name);
}

void WinApp::PreloadDocumentFile(const QString &path)
{
    const QString name = FileName::FollowLink(NormalizePath(path));
    if (!name.isEmpty() && (!m_pDocTemplate || !m_pDocTemplate->FindDocument(name)))
        RichEditDoc::Preload(name);
}

void WinApp::OnFileNew()
{
    if (m_pDocTemplate)
        m_pDocTemplate->OpenDocumentFile(QString());
}

void WinApp::LoadStdProfileSettings(int size)
{
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (size <= 0)
        return;
    m_pRecentFileList = new RecentFileList(QLatin1String(RecentFileList::kSection),
                                           QLatin1String(RecentFileList::kEntryFormat), size, kRecentDisplayLength);
    m_pRecentFileList->load();
}

// An entry that can no longer be opened has told the user why and leaves the list.
void WinApp::OnOpenRecentFile(int id)
{
    const int index = id - ID_FILE_MRU_FIRST;
    if (!m_pRecentFileList || index >= m_pRecentFileList->count())
        return;
    const QString path = m_pRecentFileList->paths().at(index);
    if (!OpenDocumentFile(path) && m_pRecentFileList)
        m_pRecentFileList->remove(int(m_pRecentFileList->paths().indexOf(path)));
}

void WinApp::AddToRecentFileList(const QString &path)
{
    if (m_pRecentFileList)
        m_pRecentFileList->add(path);
}

void WinApp::SaveStdProfileSettings()
{
    if (m_pRecentFileList)
        m_pRecentFileList->save();
}

bool WinApp::SaveAllModified()
{
    if (!m_pDocTemplate)
        return true;
    for (RichEditDoc *doc : m_pDocTemplate->GetDocuments()) {
        if (!doc->SaveModified())
            return false;
    }
    return true;
}

void WinApp::CloseAllDocuments()
{
    if (!m_pDocTemplate)
        return;
    const QList<RichEditDoc *> docs = m_pDocTemplate->GetDocuments();
    for (RichEditDoc *doc : docs)
        for (MDIChildWnd *frame : m_pDocTemplate->GetFrames(doc))
            frame->CloseWithoutPrompt();
}

// A document may close while its question is open (its window is closed from the question's
// nested loop), so each is held by a guarded pointer; one with several windows is asked once.
void WinApp::CheckDocumentsOnDisk()
{
    if (!m_pDocTemplate || m_bCheckingDisk)
        return;
    const QScopedValueRollback<bool> checking(m_bCheckingDisk, true);
    QList<QPointer<RichEditDoc>> docs;
    for (RichEditDoc *doc : m_pDocTemplate->GetDocuments())
        docs.append(doc);
    for (const QPointer<RichEditDoc> &doc : std::as_const(docs))
        if (doc)
            doc->CheckFileOnDisk();
}

void WinApp::OnUpdateRecentFileMenu(CmdUI *ui)
{
    ui->Enable(m_pRecentFileList && ui->id() - ID_FILE_MRU_FIRST < m_pRecentFileList->count());
}

void WinApp::AddDocTemplate(MultiDocTemplate *docTemplate)
{
    m_pDocTemplate = docTemplate;
    docTemplate->SetDocumentHost(this);
    docTemplate->SetPrintSettings(&m_printSettings);
    connect(docTemplate, &MultiDocTemplate::documentAdded, this, [this](RichEditDoc *doc) {
        connect(doc, &RichEditDoc::recentFileNamed, this, &WinApp::AddToRecentFileList);
    });
}

namespace {
// A document's boxes show over its first view; one that has gone, or has none, over the
// main window.
QWidget *DocumentWindow(const RichEditDoc *doc, QWidget *mainWnd)
{
    if (!doc)
        return mainWnd;
    return doc->GetView();
}
} // namespace

int WinApp::Ask(const RichEditDoc *doc, const QString &question, MsgBox::Buttons buttons)
{
    return MsgBox::show(DocumentWindow(doc, m_pMainWnd), question, QString(), buttons, MsgBox::Icon::Question);
}

void WinApp::Tell(const RichEditDoc *doc, const QString &message)
{
    MsgBox::show(DocumentWindow(doc, m_pMainWnd), message, QString(), MsgBox::Buttons::Ok,
                 MsgBox::Icon::Exclamation);
}

QString WinApp::AskSaveName(const RichEditDoc *doc, const QString &proposed, Encoding *encoding)
{
    QWidget *view = doc ? doc->GetView() : nullptr;
    // A name that is not UTF-8 is offered as it reads; kept as offered, it stands for the
    // document's own bytes, which the user cannot type.
    const QString shown = FileName::Display(proposed);
    SaveAsDialog dialog(view ? view->window() : m_pMainWnd, shown);
    if (encoding)
        dialog.OfferEncoding(*encoding);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    if (encoding)
        *encoding = dialog.SelectedEncoding();
    const QString chosen = dialog.selectedFiles().constFirst();
    return chosen == shown ? proposed : chosen;
}

std::optional<Encoding> WinApp::AskEncoding(const RichEditDoc *doc, Encoding current)
{
    QWidget *view = doc ? doc->GetView() : nullptr;
    QStringList names;
    for (Encoding encoding : Encodings::all())
        names.append(Encodings::name(encoding));
    // Worded and buttoned as the menu item and the program's own dialogs are.
    const QString title = QStringLiteral("ｴﾝｺｰﾄﾞを指定して開き直す");
    QInputDialog dialog(view ? view->window() : m_pMainWnd);
    dialog.setWindowTitle(title);
    dialog.setLabelText(QStringLiteral("ｴﾝｺｰﾄﾞ(&E):"));
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("ｷｬﾝｾﾙ"));
    dialog.setComboBoxItems(names);
    dialog.setComboBoxEditable(false);
    dialog.setTextValue(Encodings::name(current));
    // Wide enough that the window manager shows the whole title beside its buttons: the
    // dialog takes its width from its list, whatever its own minimum says.
    if (auto *list = dialog.findChild<QComboBox *>())
        list->setMinimumWidth(dialog.fontMetrics().horizontalAdvance(title) + 80);
    for (auto *button : dialog.findChildren<QPushButton *>())
        button->setIcon(QIcon());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const qsizetype index = names.indexOf(dialog.textValue());
    if (index < 0)
        return std::nullopt;
    return Encodings::all().at(index);
}

void WinApp::BeginWait()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void WinApp::EndWait()
{
    QApplication::restoreOverrideCursor();
}

void WinApp::OnFilePrintSetup()
{
    QPrintDialog dialog(GetPrinter(), m_pMainWnd);
    dialog.setWindowTitle(QStringLiteral("ﾌﾟﾘﾝﾀの設定"));
    dialog.exec();
}
