#pragma once
// The framework's editing view: the control, its document, and the edit commands every
// editing view offers (undo, cut, copy, paste, clear, select all, find, replace, find next).
#include "platform/commandtarget.h"
#include "platform/richedit.h"

class RichEditDoc;

class RichEditView : public RichEdit, public CommandTarget {
    Q_OBJECT
public:
    explicit RichEditView(QWidget *parent = nullptr);
    ~RichEditView() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;

    RichEditDoc *GetDocument() const { return m_pDocument; }
    void SetDocument(RichEditDoc *document) { m_pDocument = document; }

    // Called once the view is placed in its frame; -1 fails the window's creation.
    virtual int OnCreate();
    // Called after the document has been loaded or made new.
    virtual void OnInitialUpdate() {}
    // Called as the view's frame is destroyed.
    virtual void OnDestroy() {}

    // Where the state of this view's commands can change.
    Q_SIGNAL void commandStateChanged();

protected:
    void OnEditUndo();
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditClear();
    void OnEditSelectAll();
    void OnEditFind();
    void OnEditReplace();
    void OnEditRepeat();
    void OnUpdateNeedSel(CmdUI *ui);
    void OnUpdateEditUndo(CmdUI *ui);
    void OnUpdateEditPaste(CmdUI *ui);
    void OnUpdateNeedFind(CmdUI *ui);

private:
    RichEditDoc *m_pDocument = nullptr;

    static const CommandMap<RichEditView> &messageMap();
};
