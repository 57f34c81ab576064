#include "app/childframe.h"

#include "platform/framework/showcmd.h"
#include "res/resources.h"
#include "res/resource.h"
#include "settings/keyindex.h"

#include <QAction>
#include <QMenu>

// The system menu's items speak the program's language: texts from the menus, prompts from
// the string table.
CChildFrame::CChildFrame(QWidget *parent) : MDIChildWnd(parent)
{
    setWindowIcon(Res::icon(IDR_NYOTYPE));
    for (QAction *item : systemMenu()->actions()) {
        if (const int id = item->data().toInt()) {
            item->setText(Res::menuText(id));
            item->setStatusTip(Res::prompt(id));
        }
    }
}

int CChildFrame::ShowCommandFor(int windowMode, int requested)
{
    switch (windowMode) {
    case 2: return requested;
    case 3: return SW_SHOWMINNOACTIVE;
    default: return SW_SHOWMAXIMIZED;
    }
}

void CChildFrame::ActivateFrame(int nCmdShow)
{
    MDIChildWnd::ActivateFrame(ShowCommandFor(Keys::WindowMode.read(), nCmdShow));
}
