#pragma once
// A document window inside the main frame: it frames one view of one document, asks before
// its document's last window closes, and carries the document's title. Its system menu has
// the framework's items, each with the id of its status-bar prompt (platform/framework/syscommands.h).
// It closes with the others of its document when the document asks (closeRequested), and
// reaches the main window only through MDIClientFrame.
#include "platform/framework/commandtarget.h"

#include <QMdiSubWindow>

class QKeyEvent;
class RichEditDoc;
class RichEditView;

class MDIChildWnd : public QMdiSubWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit MDIChildWnd(QWidget *parent = nullptr);

    void Attach(RichEditDoc *document, RichEditView *view);
    RichEditDoc *GetActiveDocument() const { return m_pDocument; }
    RichEditView *GetActiveView() const { return m_pView; }

    // Shows and activates the frame; -1 lets the frame decide. Derived frames may pick
    // another show command and pass it on here.
    virtual void ActivateFrame(int nCmdShow = -1);

    // Caption from the document's title, numbered when the document has several windows.
    void OnUpdateFrameTitle();

    // Closes without asking about unsaved changes (the caller has asked already).
    void CloseWithoutPrompt();

    // Runs the system-menu item whose key (Ctrl+F4, Ctrl+F6) was pressed, when it is
    // enabled; false when the key is none of them.
    bool TranslateSysAccel(const QKeyEvent *event);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The active document window of the main window (this one or another), null when none.
    MDIChildWnd *ActiveSibling() const;
    void ShowMinimizedWithoutActivating();
    void BuildSystemMenu();
    // Shows text in the main window's status bar, as a menu of the menu bar would.
    void ShowPrompt(const QString &text);

    RichEditDoc *m_pDocument = nullptr;
    RichEditView *m_pView = nullptr;
    bool m_bPrompted = false;
};
