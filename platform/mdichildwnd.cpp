#include "platform/mdichildwnd.h"

#include "platform/richeditdoc.h"
#include "platform/richeditview.h"
#include "platform/showcmd.h"

#include <QCloseEvent>
#include <QMdiArea>

MDIChildWnd::MDIChildWnd(QWidget *parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void MDIChildWnd::Attach(RichEditDoc *document, RichEditView *view)
{
    m_pDocument = document;
    m_pView = view;
    setWidget(view);
    connect(document, &RichEditDoc::titleChanged, this, &MDIChildWnd::OnUpdateFrameTitle);
    OnUpdateFrameTitle();
}

void MDIChildWnd::OnUpdateFrameTitle()
{
    if (!m_pDocument)
        return;
    QString title = m_pDocument->GetTitle();
    const QList<RichEditView *> &views = m_pDocument->GetViews();
    if (views.size() > 1)
        title += QLatin1Char(':') + QString::number(views.indexOf(m_pView) + 1);
    setWindowTitle(title);
}

void MDIChildWnd::ActivateFrame(int nCmdShow)
{
    QMdiArea *area = mdiArea();
    switch (nCmdShow) {
    case SW_SHOWMAXIMIZED:
        showMaximized();
        break;
    case SW_SHOWMINNOACTIVE:
    case SW_SHOWMINIMIZED:
        showMinimized();
        if (nCmdShow == SW_SHOWMINNOACTIVE)
            return;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        showNormal();
        break;
    default: {
        // Left to the frame: follow the window that was active before, as an MDI client does.
        QMdiSubWindow *previous = area ? area->activeSubWindow() : nullptr;
        if (previous && previous != this && previous->isMaximized())
            showMaximized();
        else if (!isVisible())
            show();
        break;
    }
    }
    if (area)
        area->setActiveSubWindow(this);
    if (m_pView)
        m_pView->setFocus();
}

void MDIChildWnd::CloseWithoutPrompt()
{
    m_bPrompted = true;
    close();
}

void MDIChildWnd::closeEvent(QCloseEvent *event)
{
    RichEditDoc *doc = m_pDocument;
    if (doc && !m_bPrompted && doc->GetViews().size() <= 1 && !doc->SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    if (doc && m_pView) {
        m_pView->OnDestroy();
        doc->RemoveView(m_pView);
        m_pDocument = nullptr;
    }
}
