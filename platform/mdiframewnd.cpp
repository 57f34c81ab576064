#include "platform/mdiframewnd.h"

#include "platform/commandrouter.h"
#include "platform/mdichildwnd.h"
#include "platform/richeditdoc.h"
#include "platform/richeditview.h"
#include "platform/winapp.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>

MDIFrameWnd::MDIFrameWnd(QWidget *parent)
    : QMainWindow(parent), m_pMdiClient(new QMdiArea(this)),
      m_pRouter(new CommandRouter([this] { return Route(); }, this))
{
    m_pMdiClient->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiClient->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiClient);
    connect(m_pMdiClient, &QMdiArea::subWindowActivated, this, &MDIFrameWnd::OnSubWindowActivated);
    qApp->installEventFilter(this);
}

MDIFrameWnd::~MDIFrameWnd()
{
    qApp->removeEventFilter(this);
}

MDIChildWnd *MDIFrameWnd::MDIGetActive() const
{
    if (auto *child = qobject_cast<MDIChildWnd *>(m_pMdiClient->activeSubWindow()))
        return child;
    // QMdiArea reports no active window while the application is inactive; the last active
    // one stays the target of commands until another one takes over or it closes.
    if (m_pLastActive && m_pMdiClient->subWindowList().contains(m_pLastActive.data()))
        return m_pLastActive;
    return nullptr;
}

// View, document, document window, main window, application: the first that knows a
// command handles it.
QList<CommandTarget *> MDIFrameWnd::Route() const
{
    QList<CommandTarget *> route;
    if (MDIChildWnd *child = MDIGetActive()) {
        if (RichEditView *view = child->GetActiveView()) {
            route.append(view);
            if (RichEditDoc *doc = view->GetDocument())
                route.append(doc);
        }
        route.append(child);
    }
    route.append(const_cast<MDIFrameWnd *>(this));
    if (WinApp *app = WinApp::Get())
        route.append(app);
    return route;
}

void MDIFrameWnd::OnSubWindowActivated()
{
    MDIChildWnd *child = MDIGetActive();
    if (child == m_pLastActive)
        return;
    if (m_pLastActive)
        if (RichEditView *view = m_pLastActive->GetActiveView())
            disconnect(view, &RichEditView::commandStateChanged, m_pRouter, nullptr);
    m_pLastActive = child;
    if (child)
        if (RichEditView *view = child->GetActiveView())
            connect(view, &RichEditView::commandStateChanged, m_pRouter, &CommandRouter::ScheduleUpdate);
    emit activeChildChanged(child);
    m_pRouter->ScheduleUpdate();
}

bool MDIFrameWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        // Only keys meant for this window; modal dialogs keep their own keys.
        if (widget->window() == this && !QApplication::activeModalWidget() &&
            m_pRouter->TranslateAccelerator(static_cast<QKeyEvent *>(event)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MDIFrameWnd::closeEvent(QCloseEvent *event)
{
    WinApp *app = WinApp::Get();
    if (app && !app->SaveAllModified()) {
        event->ignore();
        return;
    }
    if (app)
        app->CloseAllDocuments();
    QMainWindow::closeEvent(event);
}
