#include "app/childframe.h"

#include "platform/showcmd.h"
#include "res/resources.h"
#include "res/resource.h"
#include "settings/keyindex.h"

CChildFrame::CChildFrame(QWidget *parent) : MDIChildWnd(parent)
{
    setWindowIcon(Res::icon(IDR_NYOTYPE));
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
