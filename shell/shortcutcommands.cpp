#include "shell/shortcutcommands.h"

#include "platform/desktop/shell.h"
#include "platform/dialogs/msgbox.h"
#include "res/resource.h"

#include <QWidget>

const CommandMap<CShortcutCommands> &CShortcutCommands::messageMap()
{
    using C = CShortcutCommands;
    static const CommandMap<C> map{
        OnCommand<C>(ID_LINK_SENDTO, &C::OnSendToShortcut),
        OnUpdateCommandWhenShown<C>(ID_LINK_SENDTO, &C::OnUpdateSendToShortcut),
        OnCommand<C>(ID_LINK_DESKTOP, &C::OnDesktopShortcut),
        OnUpdateCommandWhenShown<C>(ID_LINK_DESKTOP, &C::OnUpdateDesktopShortcut),
    };
    return map;
}

bool CShortcutCommands::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

// The command acts on what the menu showed when it was opened, just before: it does not look
// at the folder again. A shortcut that cannot be deleted or made is told.
void CShortcutCommands::ToggleShortcut(Shell::Folder folder, int32_t linked)
{
    const QString path = Shell::ShortcutPath(folder);
    const bool remove = linked == 1;
    if (remove ? Shell::DeleteFile(path) : Shell::CreateShortcut(path, QString(), Shell::ModuleFileName()))
        return;
    const QString text = remove ? QStringLiteral("ファイルの削除に失敗しました") : QStringLiteral("ショートカットの作成に失敗しました");
    MsgBox::show(m_pOwner->window(), text, QStringLiteral("NYO"), MsgBox::Buttons::Ok, MsgBox::Icon::None);
}

void CShortcutCommands::OnSendToShortcut()
{
    ToggleShortcut(Shell::Folder::SendTo, m_bSendToLink);
}

void CShortcutCommands::OnUpdateSendToShortcut(CmdUI *ui)
{
    m_bSendToLink = Shell::FileExists(Shell::ShortcutPath(Shell::Folder::SendTo)) ? 1 : 0;
    ui->SetCheck(m_bSendToLink == 1);
}

void CShortcutCommands::OnDesktopShortcut()
{
    ToggleShortcut(Shell::Folder::Desktop, m_bDesktopLink);
}

void CShortcutCommands::OnUpdateDesktopShortcut(CmdUI *ui)
{
    m_bDesktopLink = Shell::FileExists(Shell::ShortcutPath(Shell::Folder::Desktop)) ? 1 : 0;
    ui->SetCheck(m_bDesktopLink == 1);
}
