#pragma once
// The main window of a multiple-document program: the MDI client area, command routing from
// the active document window out to the application, accelerators, and closing with the
// question for every modified document. It keeps the document windows in a stack (next,
// bring to the top), lists them at the end of the Window menu, opens further windows on the
// active document, knows its own placement and answers the lock-key indicators.
//
// Command states are brought up to date after each event that can change one: a command,
// another active window, the active view's text or selection, the focus, the clipboard and the
// lock keys. Nothing polls.
#include "platform/framework/commandtarget.h"
#include "platform/framework/mdiclientframe.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

class CommandRouter;
class MDIChildWnd;
class QAction;
class QKeyEvent;
class QMdiArea;
class QMenu;

class MDIFrameWnd : public QMainWindow, public CommandTarget, public MDIClientFrame {
    Q_OBJECT
public:
    explicit MDIFrameWnd(QWidget *parent = nullptr);
    ~MDIFrameWnd() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;

    QMdiArea *MDIClient() const { return m_pMdiClient; }
    MDIChildWnd *MDIGetActive() const override;
    CommandRouter *Router() const { return m_pRouter; }

    // The document windows, hidden ones included: from the top of the stack to the bottom,
    // and in the order they were opened (the numbering of the window list).
    QList<MDIChildWnd *> MDIChildrenByZOrder() const;
    QList<MDIChildWnd *> MDIChildrenByCreation() const;
    // Brings a document window to the top of the stack and makes it the active one.
    void MDIActivate(MDIChildWnd *child);
    // Activates the nearest visible window below the active one and moves the one that was
    // active to the bottom, so that repeating it goes round every visible window.
    void MDINext() override;

    // The frame's rectangle in its normal state, also while it is maximised or minimised:
    // left and top are the outer corner of the frame, right and bottom add the size of its
    // inside. MoveWindow() takes the same rectangle, so the frame comes back exactly where it
    // was whatever the window system's decoration.
    QRect GetWindowPlacement() const;
    void MoveWindow(const QRect &rect);
    // Shows the frame maximised (SW_SHOWMAXIMIZED), minimised without taking the keyboard
    // (SW_SHOWMINNOACTIVE) or normal (any other).
    void ShowWindow(int nCmdShow);

    // Appends the list of document windows to menu each time it opens, entries carrying the
    // commands AFX_IDM_FIRST_MDICHILD and on and the status-bar prompt entryPrompt. Call it
    // before the menu is registered with the router, so the entries are current when their
    // states are.
    void SetWindowMenu(QMenu *menu, const QString &entryPrompt);

    // Framework commands: a further window on the active document, an entry of the window list.
    void OnWindowNew();
    void OnWindowActivate(int id);
    void OnUpdateWindowActivate(CmdUI *ui);
    // The commands that act on document windows (a further window, cascade, tile, arrange)
    // are grey while there is none.
    void OnUpdateMDIWindowCmd(CmdUI *ui);
    void OnUpdateKeyIndicator(CmdUI *ui);

signals:
    // The active document window changed (null when none is left).
    void activeChildChanged(MDIChildWnd *child);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // Coming back to the front, the window has the application look at its documents' files
    // on disk (WinApp::CheckDocumentsOnDisk).
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QList<CommandTarget *> Route() const;
    bool TranslateMDISysAccel(const QKeyEvent *event);
    void OnSubWindowActivated();
    void UpdateWindowMenu(QMenu *menu);
    void RememberFrameOffset();
    void CheckDocumentsOnDisk();

    QMdiArea *m_pMdiClient;
    CommandRouter *m_pRouter;
    QPointer<MDIChildWnd> m_pLastActive;
    QList<QPointer<QAction>> m_windowListEntries;
    QString m_strWindowEntryPrompt;
    // The inside's top-left corner less the frame's, as last seen in the normal state.
    QPoint m_ptFrameOffset;

    static const CommandMap<MDIFrameWnd> &messageMap();
};
