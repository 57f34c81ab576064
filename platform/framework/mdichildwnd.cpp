#include "platform/framework/mdichildwnd.h"

#include "platform/framework/mdiclientframe.h"
#include "platform/framework/richeditdoc.h"
#include "platform/framework/richeditview.h"
#include "platform/framework/showcmd.h"
#include "platform/framework/syscommands.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>
#include <QStatusTipEvent>

#include <iterator>

MDIChildWnd::MDIChildWnd(QWidget *parent) : QMdiSubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    BuildSystemMenu();
}

// The framework's system menu of a document window: restore, move, size, minimise, maximise,
// close, next window. Qt's own items carry out the first six and keep their states with the
// window's. Qt's stay-on-top item is left out: it would pin this one window inside the main
// window, and only confuse with the program's command of the same words, which keeps the main
// window on top. The texts are set by the derived frame from the ids.
void MDIChildWnd::BuildSystemMenu()
{
    QMenu *menu = systemMenu();
    // Qt's order: restore, move, size, minimise, maximise, stay on top, a separator, close.
    const int ids[] = {AFX_IDS_SCRESTORE, AFX_IDS_SCMOVE, AFX_IDS_SCSIZE, AFX_IDS_SCMINIMIZE,
                       AFX_IDS_SCMAXIMIZE, AFX_IDS_SCCLOSE};
    size_t next = 0;
    for (QAction *item : menu->actions()) {
        if (item->isCheckable())
            menu->removeAction(item);
        else if (!item->isSeparator() && next < std::size(ids))
            item->setData(ids[next++]);
        // Qt adds Ctrl+W to close, which is no key of the framework's.
        if (item->data().toInt() == AFX_IDS_SCCLOSE)
            item->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    }
    menu->addSeparator();
    QAction *nextWindow = menu->addAction(QString());
    nextWindow->setData(AFX_IDS_SCNEXTWINDOW);
    nextWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6));
    connect(nextWindow, &QAction::triggered, this, [this] {
        if (auto *frame = dynamic_cast<MDIClientFrame *>(window()))
            frame->MDINext();
    });
    connect(menu, &QMenu::hovered, this, [this](QAction *item) { ShowPrompt(item->statusTip()); });
    connect(menu, &QMenu::aboutToHide, this, [this] { ShowPrompt(QString()); });
}

// The menu is a window of its own, so its prompts would stop there; they go to the main
// window as those of the menu bar's menus do.
void MDIChildWnd::ShowPrompt(const QString &text)
{
    QStatusTipEvent tip(text);
    QCoreApplication::sendEvent(window(), &tip);
}

bool MDIChildWnd::TranslateSysAccel(const QKeyEvent *event)
{
    const QKeySequence pressed(QKeyCombination(event->modifiers() & ~Qt::KeypadModifier, Qt::Key(event->key())));
    for (QAction *item : systemMenu()->actions()) {
        if (item->shortcut().isEmpty() || item->shortcut().matches(pressed) != QKeySequence::ExactMatch)
            continue;
        if (!item->isEnabled())
            return false;
        item->trigger();
        return true;
    }
    return false;
}

void MDIChildWnd::Attach(RichEditDoc *document, RichEditView *view)
{
    m_pDocument = document;
    m_pView = view;
    setWidget(view);
    connect(document, &RichEditDoc::titleChanged, this, &MDIChildWnd::OnUpdateFrameTitle);
    connect(document, &RichEditDoc::closeRequested, this, &MDIChildWnd::CloseWithoutPrompt);
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
    auto *frame = dynamic_cast<const MDIClientFrame *>(window());
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
