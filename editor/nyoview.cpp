#include "editor/nyoview.h"

#include "autosave/autosavescheduler.h"
#include "editor/fontcommands.h"
#include "editor/indentcommands.h"
#include "editor/jumpcommands.h"
#include "editor/nyodoc.h"
#include "editor/printsetup.h"
#include "editor/snippetcommands.h"
#include "platform/base/filename.h"
#include "platform/desktop/windowpos.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/winapp.h"
#include "res/resource.h"
#include "res/resources.h"
#include "settings/keyindex.h"
#include "shell/helppagecommands.h"
#include "shell/shortcutcommands.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

const CommandMap<CNYOView> &CNYOView::messageMap()
{
    using V = CNYOView;
    static const CommandMap<V> map{
        OnCommand<V>(ID_VIEW_WORDWRAP, &V::OnViewWordWrap),
        OnUpdateCommand<V>(ID_VIEW_WORDWRAP, &V::OnUpdateViewWordWrap),
        OnCommand<V>(ID_FILE_SEND_MAIL, &V::OnFileSendMail),
        OnCommand<V>(ID_VIEW_TOPMOST, &V::OnViewTopMost),
        OnUpdateCommand<V>(ID_VIEW_TOPMOST, &V::OnUpdateViewTopMost),
    };
    return map;
}

CNYOView::CNYOView(QWidget *parent)
    : RichEditView(parent), m_pAutoSave(new CAutoSaveScheduler(this)),
      m_pShortcuts(std::make_unique<CShortcutCommands>(this)),
      m_pHelpPages(std::make_unique<CHelpPageCommands>(this)),
      m_pPrintSetup(std::make_unique<CPrintSetup>(this)), m_pJumps(std::make_unique<CJumpCommands>(this)),
      m_pFonts(std::make_unique<CFontCommands>(this)), m_pIndent(std::make_unique<CIndentCommands>(this)),
      m_pSnippets(std::make_unique<CSnippetCommands>(this)),
      m_rooms{m_pFonts.get(), m_pIndent.get(), m_pJumps.get(), m_pSnippets.get(), m_pAutoSave,
              m_pPrintSetup.get(), m_pShortcuts.get(), m_pHelpPages.get()}
{
}

CNYOView::~CNYOView() = default;

// The view's own table, then its rooms' tables in turn, then the framework view's: each
// command id stands in one table only, so the order decides nothing.
bool CNYOView::OnCmdMsg(int id, CmdUI *ui)
{
    if (messageMap().Dispatch(this, id, ui))
        return true;
    for (CommandTarget *room : m_rooms)
        if (room->OnCmdMsg(id, ui))
            return true;
    return RichEditView::OnCmdMsg(id, ui);
}

CNYODoc *CNYOView::GetDocument() const
{
    return static_cast<CNYODoc *>(RichEditView::GetDocument());
}

int CNYOView::OnCreate()
{
    if (RichEditView::OnCreate() == -1)
        return -1;
    m_pFonts->ApplyBackColor();
    m_pFonts->ApplyDisplayFont();
    m_bWordWrap = Keys::WordWrap.read() != 0;
    ApplyWrapMode();
    m_pAutoSave->ArmWhenOn();
    return 0;
}

void CNYOView::ApplyWrapMode()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetWordWrap(m_bWordWrap);
    QApplication::restoreOverrideCursor();
}

void CNYOView::OnViewWordWrap()
{
    m_bWordWrap = !m_bWordWrap;
    Keys::WordWrap.write(m_bWordWrap ? 1 : 0);
    ApplyWrapMode();
}

void CNYOView::OnUpdateViewWordWrap(CmdUI *ui)
{
    ui->Enable(GetTextLength() != 0);
    ui->SetCheck(m_bWordWrap);
}

void CNYOView::OnFileSendMail()
{
    if (CNYODoc *doc = GetDocument())
        doc->OnFileSendMail();
}

// The print font and margins are in place from the beginning of a run to its end.
void CNYOView::OnBeginPrinting(QPrinter *printer, PrintInfo *info)
{
    if (CNYODoc *doc = GetDocument())
        info->m_strDocName = doc->GetTitle();
    m_pPrintSetup->BeginRun();
    RichEditView::OnBeginPrinting(printer, info);
}

void CNYOView::OnEndPrinting(QPrinter *printer, PrintInfo *info)
{
    m_pPrintSetup->EndRun();
    RichEditView::OnEndPrinting(printer, info);
}

// Enter's break, once the control has put it in, is handed to auto-indent.
void CNYOView::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const qsizetype start = selectionStart();
    RichEditView::keyPressEvent(event);
    // Indent only where the control has put the break in: the break stands where the selection
    // began and the caret right after it. The length says nothing (a break replacing one
    // character leaves it as it was); a refused break (read-only, the text limit) leaves the
    // selection and the caret where they were.
    const bool broke = !hasSelection() && position() == start + 1 && buffer()->at(start) == TextBuffer::kBreak;
    if (enter && broke)
        m_pIndent->OnChar(u'\r', event->modifiers() & Qt::ShiftModifier);
}

// The command always runs after its state handler, so it toggles what is stored.
void CNYOView::OnUpdateViewTopMost(CmdUI *ui)
{
    m_bTopMost = Keys::TUNE.read() != 0;
    ui->SetCheck(m_bTopMost);
}

// Off, the main window ends its topmost state and comes to the front as an ordinary window.
void CNYOView::OnViewTopMost()
{
    QWidget *frame = WinApp::Get() && WinApp::Get()->GetMainWnd() ? WinApp::Get()->GetMainWnd() : window();
    m_bTopMost = !m_bTopMost;
    WindowPos::SetTopMost(frame, m_bTopMost);
    if (!m_bTopMost)
        WindowPos::SetForegroundWindow(frame);
    Keys::TUNE.write(m_bTopMost ? 1 : 0);
}

// Every item is offered, whatever the state of the text; the chosen one goes through the
// command routing like a menu or key, so a command with nothing to act on does nothing.
void CNYOView::OnRButtonUp(const QPoint &point)
{
    QMenu menu(this);
    Res::fillMenu(&menu, Res::viewContextMenu());
    QAction *chosen = menu.exec(viewport()->mapToGlobal(point));
    if (!chosen)
        return;
    if (CommandRouter *router = CommandRouter::Of(this))
        router->Execute(chosen->data().toInt());
}

void CNYOView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        OnRButtonUp(event->position().toPoint());
        event->accept();
        return;
    }
    RichEditView::mouseReleaseEvent(event);
}

// The menu opens on the button's release; the keyboard's menu key opens it at the caret.
void CNYOView::contextMenuEvent(QContextMenuEvent *event)
{
    if (event->reason() == QContextMenuEvent::Keyboard)
        OnRButtonUp(cursorRect().bottomLeft());
    event->accept();
}

// Files dropped on the text open as documents, as they do when dropped on the main window;
// anything else dropped, and everything pasted, goes in as text.
bool CNYOView::canInsertFromMimeData(const QMimeData *source) const
{
    return source->hasUrls() || RichEditView::canInsertFromMimeData(source);
}

void CNYOView::dropEvent(QDropEvent *event)
{
    QStringList files;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.append(FileName::FromDroppedUrl(url));
    if (files.isEmpty() || !WinApp::Get()) {
        RichEditView::dropEvent(event);
        return;
    }
    QDragLeaveEvent leave;  // takes the drop caret away
    RichEditView::dragLeaveEvent(&leave);
    event->setDropAction(Qt::CopyAction);  // opened, never moved: the source keeps its files
    event->accept();
    for (const QString &file : files)
        WinApp::Get()->OpenDocumentFile(file);
}
