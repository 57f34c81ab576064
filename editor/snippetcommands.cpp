#include "editor/snippetcommands.h"

#include "platform/framework/richeditview.h"
#include "pkl/pkleditdlg.h"
#include "pkl/pklpickdlg.h"
#include "pkl/pklregisterdlg.h"
#include "pkl/pklstore.h"
#include "res/resource.h"

const CommandMap<CSnippetCommands> &CSnippetCommands::messageMap()
{
    using S = CSnippetCommands;
    static const CommandMap<S> map{
        OnCommand<S>(ID_PKL_REGISTER, &S::OnPklRegister),
        OnCommand<S>(ID_PKL_EDIT, &S::OnPklEdit),
        OnCommand<S>(ID_PKL_PICK, &S::OnPklPick),
    };
    return map;
}

bool CSnippetCommands::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

// The dialogs belong to the main window, like every dialog of the program.
void CSnippetCommands::OnPklRegister()
{
    CPklRegisterDlg dialog(m_pView->window());
    dialog.m_strText = m_pView->GetSelText();
    dialog.exec();
}

void CSnippetCommands::OnPklEdit()
{
    CPklEditDlg dialog(m_pView->window());
    dialog.exec();
}

// The list opens one line below the selection's first character. That character's place is
// taken in the client area and offset by the corner of the whole view window, frame included,
// so the popup sits the frame's width up and left of where the character is. The entry
// replaces the selection without an undo step; a list closed without a name, or an entry that
// cannot be read, inserts nothing.
void CSnippetCommands::OnPklPick()
{
    CPklPickDlg dialog(m_pView->window());
    qsizetype start = 0;
    qsizetype end = 0;
    m_pView->GetSel(start, end);
    dialog.m_ptCaret = m_pView->PosFromChar(start) - m_pView->viewport()->pos();
    dialog.m_ptViewOrigin = m_pView->mapToGlobal(QPoint(0, 0));
    dialog.exec();

    m_strLastPick = dialog.m_strName;
    QString text;
    if (PklStore::ReadEntry(m_strLastPick, &text) != FileError::None)
        return;
    m_pView->ReplaceSel(text, false);
    m_pView->viewport()->update();
}
