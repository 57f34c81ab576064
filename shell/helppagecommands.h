#pragma once
// The Help menu's pages: the read-me and the help page shipped with the program, and the
// maker's web page, each opened by the desktop.
#include "platform/framework/commandtarget.h"

class QString;
class QWidget;

class CHelpPageCommands : public CommandTarget {
public:
    // A page that cannot be opened is told in a message box over owner's window.
    explicit CHelpPageCommands(QWidget *owner) : m_pOwner(owner) {}

    bool OnCmdMsg(int id, CmdUI *ui) override;

private:
    void OnHelpReadme();
    void OnHelpContents();
    void OnHelpWebPage();
    void OpenBesideProgram(const QString &name);

    QWidget *m_pOwner;

    static const CommandMap<CHelpPageCommands> &messageMap();
};
