#pragma once
// A document window: comes up maximised, normal or minimised as the settings ask.
#include "platform/framework/mdichildwnd.h"

class CChildFrame : public MDIChildWnd {
    Q_OBJECT
public:
    explicit CChildFrame(QWidget *parent = nullptr);

    void ActivateFrame(int nCmdShow = -1) override;

    // The show command for a "WindowMode" value and the one requested.
    static int ShowCommandFor(int windowMode, int requested);
};
