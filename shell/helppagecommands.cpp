#include "shell/helppagecommands.h"

#include "pkl/modulepath.h"
#include "platform/desktop/shell.h"
#include "platform/dialogs/msgbox.h"
#include "res/resource.h"
#include "res/webpage.h"

#include <QWidget>

const CommandMap<CHelpPageCommands> &CHelpPageCommands::messageMap()
{
    using C = CHelpPageCommands;
    static const CommandMap<C> map{
        OnCommand<C>(ID_HELP_README, &C::OnHelpReadme),
        OnCommand<C>(ID_HELP_HELP, &C::OnHelpContents),
        OnCommand<C>(ID_HELP_HOMEPAGE, &C::OnHelpWebPage),
    };
    return map;
}

bool CHelpPageCommands::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
}

void CHelpPageCommands::OpenBesideProgram(const QString &name)
{
    if (!Shell::OpenFile(ModulePath::SharedFilePath(name)))
        MsgBox::show(m_pOwner->window(), name + QStringLiteral("を開けませんでした"), QStringLiteral("NYO"),
                     MsgBox::Buttons::Ok, MsgBox::Icon::None);
}

void CHelpPageCommands::OnHelpReadme()
{
    OpenBesideProgram(QStringLiteral("NYO.html"));
}

void CHelpPageCommands::OnHelpContents()
{
    OpenBesideProgram(QStringLiteral("HELP.html"));
}

void CHelpPageCommands::OnHelpWebPage()
{
    const QString address = Res::webPageAddress();
    if (!Shell::OpenAddress(address))
        MsgBox::show(m_pOwner->window(), address + QStringLiteral("を開けませんでした"), QStringLiteral("NYO"),
                     MsgBox::Buttons::Ok, MsgBox::Icon::None);
}
