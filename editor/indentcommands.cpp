#include "editor/indentcommands.h"

#include "editor/autoindent.h"
#include "editor/indentdlg.h"
#include "platform/framework/richeditview.h"
#include "res/resource.h"
#include "settings/keyindex.h"

const CommandMap<CIndentCommands> &CIndentCommands::messageMap()
{
    using I = CIndentCommands;
    static const CommandMap<I> map{
        OnCommand<I>(ID_SETTINGS_INDENT, &I::OnIndentSettings),
    };
    return map;
}

bool CIndentCommands::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

// Enter gives the new line the indent of the line before, as the settings (read at every
// character) ask. The indent joins the break's undo step, so one undo takes both back.
void CIndentCommands::OnChar(char16_t ch, bool shift)
{
    if (shift || Keys::Indent.read() != 2 || ch != u'\r')
        return;
    const int kind = Keys::Indent2.read();
    if (kind != AutoIndent::Tabs && kind != AutoIndent::Spaces && kind != AutoIndent::Copy)
        return;
    const QString previous = m_pView->GetLine(m_pView->LineFromChar(-1) - 1, AutoIndent::kLookedAt);
    m_pView->replaceSelection(AutoIndent::IndentFor(previous, kind), TextBuffer::Undo::Typing);
}

void CIndentCommands::OnIndentSettings()
{
    CIndentDlg dialog(m_pView);
    if (dialog.exec() != QDialog::Accepted)
        return;
    Keys::Indent.write(dialog.m_nIndent);
    if (dialog.m_nIndent == 2)
        Keys::Indent2.write(dialog.m_nIndent2);
}
