#include "platform/mdichildwnd.h"

#include "platform/mdiframewnd.h"
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

MDIChildWnd *MDIChildWnd::ActiveSibling() const
{
    auto *frame = qobject_cast<MDIFrameWnd *>(window());
    return frame ? frame->MDIGetActive() : nullptr;
}

// The area activates every window it shows; the one that was active takes over again, in
// the state it had, and stays on top.
void MDIChildWnd::ShowMinimizedWithoutActivating()
{
    MDIChildWnd *previous = ActiveSibling();
    const bool wasMaximized = previous && previous != this && previous->isMaximized();
    showMinimized();
    if (!previous || previous == this || !mdiArea())
        return;
    mdiArea()->setActiveSubWindow(previous);
    if (wasMaximized)
        previous->showMaximized();
}

void MDIChildWnd::ActivateFrame(int nCmdShow)
{
    QMdiArea *area = mdiArea();
    switch (nCmdShow) {
    case SW_SHOWMAXIMIZED:
        showMaximized();
        break;
    case SW_SHOWMINNOACTIVE:
        ShowMinimizedWithoutActivating();
        return;
    case SW_SHOWMINIMIZED:
        showMinimized();
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        showNormal();
        break;
    default: {
        // Left to the frame: follow the window that was active before, as an MDI client does.
        MDIChildWnd *previous = ActiveSibling();
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
