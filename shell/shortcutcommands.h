#pragma once
// The program's shortcut in the "Send To" folder and on the desktop: each command toggles it
// on the state its menu item last showed.
#include "platform/framework/commandtarget.h"

#include <cstdint>

class QWidget;
namespace Shell {
enum class Folder;
}

class CShortcutCommands : public CommandTarget {
public:
    // Failures are told in message boxes over owner's window.
    explicit CShortcutCommands(QWidget *owner) : m_pOwner(owner) {}

    bool OnCmdMsg(int id, CmdUI *ui) override;

private:
    void OnSendToShortcut();
    void OnUpdateSendToShortcut(CmdUI *ui);
    void OnDesktopShortcut();
    void OnUpdateDesktopShortcut(CmdUI *ui);
    void ToggleShortcut(Shell::Folder folder, int32_t linked);

    QWidget *m_pOwner;
    // 1 when the shortcut existed as its menu item was last updated.
    int32_t m_bSendToLink = 0;
    int32_t m_bDesktopLink = 0;

    static const CommandMap<CShortcutCommands> &messageMap();
};
