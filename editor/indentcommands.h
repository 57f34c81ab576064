#pragma once
// Auto-indent for one editor view: the indent a new line gets after Enter, and the indent
// settings command.
#include "platform/framework/commandtarget.h"

class RichEditView;

class CIndentCommands : public CommandTarget {
public:
    explicit CIndentCommands(RichEditView *view) : m_pView(view) {}

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // After the control's own processing of a character (Enter as '\r'), with Shift held or not.
    void OnChar(char16_t ch, bool shift);

private:
    void OnIndentSettings();

    RichEditView *m_pView;

    static const CommandMap<CIndentCommands> &messageMap();
};
