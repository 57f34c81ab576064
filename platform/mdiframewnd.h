#pragma once
// The main window of a multiple-document program: the MDI client area, command routing from
// the active document window out to the application, accelerators, and closing with the
// question for every modified document.
#include "platform/commandtarget.h"

#include <QMainWindow>
#include <QPointer>

class CommandRouter;
class MDIChildWnd;
class QMdiArea;

class MDIFrameWnd : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit MDIFrameWnd(QWidget *parent = nullptr);
    ~MDIFrameWnd() override;

    QMdiArea *MDIClient() const { return m_pMdiClient; }
    MDIChildWnd *MDIGetActive() const;
    CommandRouter *Router() const { return m_pRouter; }

signals:
    // The active document window changed (null when none is left).
    void activeChildChanged(MDIChildWnd *child);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    QList<CommandTarget *> Route() const;
    void OnSubWindowActivated();

    QMdiArea *m_pMdiClient;
    CommandRouter *m_pRouter;
    QPointer<MDIChildWnd> m_pLastActive;
};
