#pragma once
// The Paste Key List's commands for one editor view: register the selection, edit the
// entries, pick one into the text.
#include "platform/framework/commandtarget.h"

#include <QString>

class RichEditView;

class CSnippetCommands : public CommandTarget {
public:
    explicit CSnippetCommands(RichEditView *view) : m_pView(view) {}

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // The name the last pick list closed with (empty when it closed without one).
    const QString &LastPickedName() const { return m_strLastPick; }

private:
    void OnPklRegister();
    void OnPklEdit();
    void OnPklPick();

    RichEditView *m_pView;
    QString m_strLastPick;

    static const CommandMap<CSnippetCommands> &messageMap();
};
