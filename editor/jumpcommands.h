#pragma once
// The jump commands of one editor view: to the top, to the end, to a line or character
// number, back, and the mark they jump back to.
#include "platform/framework/commandtarget.h"

#include <QtGlobal>

class RichEditView;

class CJumpCommands : public CommandTarget {
public:
    explicit CJumpCommands(RichEditView *view) : m_pView(view) {}

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // The remembered position: always the start of a line.
    qsizetype MarkPos() const { return m_nMarkPos; }

private:
    void OnJumpTop();
    void OnJumpEnd();
    void OnJumpBack();
    void OnJumpTo();
    void OnJumpMark();
    void OnUpdateNeedText(CmdUI *ui);
    qsizetype CaretLineStart() const;
    void PlaceCaret(qsizetype pos);

    RichEditView *m_pView;
    qsizetype m_nMarkPos = 0;

    static const CommandMap<CJumpCommands> &messageMap();
};
