#include "editor/jumpcommands.h"

#include "editor/jumpdlg.h"
#include "platform/framework/richeditview.h"
#include "res/resource.h"

const CommandMap<CJumpCommands> &CJumpCommands::messageMap()
{
    using J = CJumpCommands;
    static const CommandMap<J> map{
        OnCommand<J>(ID_JUMP_TOP, &J::OnJumpTop),
        OnUpdateCommand<J>(ID_JUMP_TOP, &J::OnUpdateNeedText),
        OnCommand<J>(ID_JUMP_END, &J::OnJumpEnd),
        OnUpdateCommand<J>(ID_JUMP_END, &J::OnUpdateNeedText),
        OnCommand<J>(ID_JUMP_BACK, &J::OnJumpBack),
        OnUpdateCommand<J>(ID_JUMP_BACK, &J::OnUpdateNeedText),
        OnCommand<J>(ID_JUMP_GOTO, &J::OnJumpTo),
        OnUpdateCommand<J>(ID_JUMP_GOTO, &J::OnUpdateNeedText),
        OnCommand<J>(ID_JUMP_MARK, &J::OnJumpMark),
        OnUpdateCommand<J>(ID_JUMP_MARK, &J::OnUpdateNeedText),
    };
    return map;
}

bool CJumpCommands::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

// Every jump needs text to move in.
void CJumpCommands::OnUpdateNeedText(CmdUI *ui)
{
    ui->Enable(m_pView->GetTextLength() != 0);
}

// The start of the caret's line, as the control counts lines (rows with wrap on), found from
// the caret's line alone: a jump right after a long file opens does not wait for its rows to
// be counted.
qsizetype CJumpCommands::CaretLineStart() const
{
    qsizetype start = 0, end = 0;
    m_pView->GetSel(start, end);
    return m_pView->rowStartAt(start);
}

// A position the control has no line for (past the last line) goes to the end.
void CJumpCommands::PlaceCaret(qsizetype pos)
{
    if (pos < 0 || pos > m_pView->GetTextLength())
        pos = m_pView->GetTextLength();
    m_pView->SetSel(pos, pos);
}

void CJumpCommands::OnJumpTop()
{
    m_nMarkPos = CaretLineStart();
    PlaceCaret(0);
}

void CJumpCommands::OnJumpEnd()
{
    m_nMarkPos = CaretLineStart();
    PlaceCaret(m_pView->rowStartAt(m_pView->GetTextLength()));  // the last row's start
}

void CJumpCommands::OnJumpBack()
{
    const qsizetype back = m_nMarkPos;
    m_nMarkPos = CaretLineStart();
    PlaceCaret(back);
}

void CJumpCommands::OnJumpMark()
{
    m_nMarkPos = CaretLineStart();
}

void CJumpCommands::OnJumpTo()
{
    const qsizetype oldMark = m_nMarkPos;
    m_nMarkPos = CaretLineStart();
    CJumpDlg dialog(m_pView);
    if (dialog.exec() != QDialog::Accepted) {
        m_nMarkPos = oldMark;
        return;
    }
    const qsizetype number = dialog.m_nValue;
    PlaceCaret(dialog.m_nMode == 0 ? m_pView->LineIndex(number - 1) : number - 1);
}
