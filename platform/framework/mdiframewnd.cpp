#include "platform/framework/mdiframewnd.h"

#include "platform/framework/afxres.h"
#include "platform/framework/commandrouter.h"
#include "platform/desktop/keyindicators.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/framework/multidoctemplate.h"
#include "platform/framework/richeditdoc.h"
#include "platform/framework/richeditview.h"
#include "platform/framework/showcmd.h"
#include "platform/framework/winapp.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMenu>

const CommandMap<MDIFrameWnd> &MDIFrameWnd::messageMap()
{
    using F = MDIFrameWnd;
    static const CommandMap<F> map{
        OnCommand<F>(ID_WINDOW_NEW, &F::OnWindowNew),
        OnUpdateCommand<F>(ID_WINDOW_NEW, &F::OnUpdateMDIWindowCmd),
        OnCommandRange<F>(AFX_IDM_FIRST_MDICHILD, AFX_IDM_LAST_MDICHILD, &F::OnWindowActivate),
        OnUpdateCommandRange<F>(AFX_IDM_FIRST_MDICHILD, AFX_IDM_LAST_MDICHILD, &F::OnUpdateWindowActivate),
        OnUpdateCommandRange<F>(ID_INDICATOR_CAPS, ID_INDICATOR_SCRL, &F::OnUpdateKeyIndicator),
        OnUpdateCommand<F>(ID_INDICATOR_KANA, &F::OnUpdateKeyIndicator),
    };
    return map;
}

MDIFrameWnd::MDIFrameWnd(QWidget *parent)
    : QMainWindow(parent), m_pMdiClient(new QMdiArea(this)),
      m_pRouter(new CommandRouter([this] { return Route(); }, this))
{
    m_pMdiClient->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pMdiClient->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_pMdiClient);
    connect(m_pMdiClient, &QMdiArea::subWindowActivated, this, &MDIFrameWnd::OnSubWindowActivated);
    qApp->installEventFilter(this);
    // The states that change without a command or another active window.
    connect(QApplication::clipboard(), &QClipboard::dataChanged, m_pRouter, &CommandRouter::ScheduleUpdate);
    connect(qApp, &QApplication::focusChanged, m_pRouter, &CommandRouter::ScheduleUpdate);
    connect(KeyIndicators::Instance(), &KeyIndicators::changed, m_pRouter, &CommandRouter::ScheduleUpdate);
    // The title names the active document; Qt tells a screen reader of a label's new text but
    // not of a window's new title, which is this window's name to it.
    connect(this, &QWidget::windowTitleChanged, this, [this] {
        if (QAccessible::isActive()) {
            QAccessibleEvent renamed(this, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&renamed);
        }
    });
}

MDIFrameWnd::~MDIFrameWnd()
{
    qApp->removeEventFilter(this);
}

bool MDIFrameWnd::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui);
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
        auto *key = static_cast<QKeyEvent *>(event);
        // Only keys meant for this window; modal dialogs keep their own keys. The document
        // window's system keys come first, as the MDI client's do.
        if (widget->window() == this && !QApplication::activeModalWidget() &&
            (TranslateMDISysAccel(key) || m_pRouter->TranslateAccelerator(key)))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// The keys of the active document window's system menu, for a window the user sees.
bool MDIFrameWnd::TranslateMDISysAccel(const QKeyEvent *event)
{
    MDIChildWnd *child = MDIGetActive();
    return child && !child->isHidden() && child->TranslateSysAccel(event);
}

// The check runs after the activation has been handled, as its questions are boxes of their
// own. While another modal window is open (a question, the Save As dialog) the check waits:
// the main window is activated again when that window closes.
void MDIFrameWnd::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QMetaObject::invokeMethod(this, &MDIFrameWnd::CheckDocumentsOnDisk, Qt::QueuedConnection);
    QMainWindow::changeEvent(event);
}

void MDIFrameWnd::CheckDocumentsOnDisk()
{
    WinApp *app = WinApp::Get();
    if (app && isActiveWindow() && !QApplication::activeModalWidget())
        app->CheckDocumentsOnDisk();
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

QList<MDIChildWnd *> MDIFrameWnd::MDIChildrenByZOrder() const
{
    QList<MDIChildWnd *> children;
    for (QMdiSubWindow *window : m_pMdiClient->subWindowList(QMdiArea::StackingOrder))
        if (auto *child = qobject_cast<MDIChildWnd *>(window))
            children.prepend(child);  // the area lists the top one last
    return children;
}

QList<MDIChildWnd *> MDIFrameWnd::MDIChildrenByCreation() const
{
    QList<MDIChildWnd *> children;
    for (QMdiSubWindow *window : m_pMdiClient->subWindowList(QMdiArea::CreationOrder))
        if (auto *child = qobject_cast<MDIChildWnd *>(window))
            children.append(child);
    return children;
}

void MDIFrameWnd::MDIActivate(MDIChildWnd *child)
{
    m_pMdiClient->setActiveSubWindow(child);
    child->raise();
    if (RichEditView *view = child->GetActiveView())
        view->setFocus();
}

void MDIFrameWnd::MDINext()
{
    MDIChildWnd *active = MDIGetActive();
    const QList<MDIChildWnd *> stack = MDIChildrenByZOrder();
    const qsizetype from = stack.indexOf(active);
    if (from < 0)
        return;
    for (qsizetype step = 1; step < stack.size(); ++step) {
        MDIChildWnd *below = stack.at((from + step) % stack.size());
        if (!below->isHidden() && below->isEnabled()) {
            MDIActivate(below);
            active->lower();
            return;
        }
    }
}

QRect MDIFrameWnd::GetWindowPlacement() const
{
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        return QRect(pos(), size());
    const QRect normal = normalGeometry();
    return QRect(normal.topLeft() - m_ptFrameOffset, normal.size());
}

void MDIFrameWnd::MoveWindow(const QRect &rect)
{
    move(rect.topLeft());
    resize(rect.size());
}

// Shown normal or maximised, the window also takes the keyboard. Where no window manager
// activates a newly mapped window, keys would still reach the text while the window counts as
// inactive, and the menu bar's Alt keys would type their letters instead.
void MDIFrameWnd::ShowWindow(int nCmdShow)
{
    switch (nCmdShow) {
    case SW_SHOWMAXIMIZED:
        showMaximized();
        break;
    case SW_SHOWMINNOACTIVE:
        // A window without a size gets one while Qt minimises it, and a window manager then
        // maps it as a normal window; so the size comes first.
        if (!testAttribute(Qt::WA_Resized))
            adjustSize();
        setAttribute(Qt::WA_ShowWithoutActivating);
        showMinimized();
        return;
    default:
        show();
        break;
    }
    activateWindow();
}

// The decoration's size is known only while the frame is shown in its normal state; a
// maximised frame may have a thinner one.
void MDIFrameWnd::RememberFrameOffset()
{
    if (isVisible() && !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        m_ptFrameOffset = geometry().topLeft() - pos();
}

void MDIFrameWnd::moveEvent(QMoveEvent *event)
{
    RememberFrameOffset();
    QMainWindow::moveEvent(event);
}

void MDIFrameWnd::resizeEvent(QResizeEvent *event)
{
    RememberFrameOffset();
    QMainWindow::resizeEvent(event);
}

void MDIFrameWnd::SetWindowMenu(QMenu *menu, const QString &entryPrompt)
{
    m_strWindowEntryPrompt = entryPrompt;
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateWindowMenu(menu); });
}

// "&1 title" to "&9 title", then plain numbers; a separator before the first.
void MDIFrameWnd::UpdateWindowMenu(QMenu *menu)
{
    for (const QPointer<QAction> &entry : std::as_const(m_windowListEntries)) {
        if (entry) {
            menu->removeAction(entry);
            entry->deleteLater();
        }
    }
    m_windowListEntries.clear();
    const QList<MDIChildWnd *> children = MDIChildrenByCreation();
    if (children.isEmpty())
        return;
    m_windowListEntries.append(menu->addSeparator());
    const int count = int(std::min<qsizetype>(children.size(), AFX_IDM_LAST_MDICHILD - AFX_IDM_FIRST_MDICHILD + 1));
    for (int i = 0; i < count; ++i) {
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        QString title = children.at(i)->windowTitle();
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction *entry = menu->addAction(number + QLatin1Char(' ') + title);
        entry->setData(AFX_IDM_FIRST_MDICHILD + i);
        entry->setStatusTip(m_strWindowEntryPrompt);
        m_pRouter->AddAction(entry);
        m_windowListEntries.append(entry);
    }
}

// A hidden or minimised window comes back as it activates.
void MDIFrameWnd::OnWindowActivate(int id)
{
    MDIChildWnd *child = MDIChildrenByCreation().value(id - AFX_IDM_FIRST_MDICHILD);
    if (!child)
        return;
    if (child->isHidden())
        child->show();
    if (child->isMinimized())
        child->showNormal();
    MDIActivate(child);
}

void MDIFrameWnd::OnUpdateWindowActivate(CmdUI *ui)
{
    MDIChildWnd *child = MDIChildrenByCreation().value(ui->id() - AFX_IDM_FIRST_MDICHILD);
    ui->Enable(child != nullptr);
    ui->SetCheck(child && child == MDIGetActive());
}

void MDIFrameWnd::OnUpdateMDIWindowCmd(CmdUI *ui)
{
    ui->Enable(MDIGetActive() != nullptr);
}

// The new window shares the document's text and comes up as the frame's activation decides.
void MDIFrameWnd::OnWindowNew()
{
    MDIChildWnd *active = MDIGetActive();
    RichEditDoc *document = active ? active->GetActiveDocument() : nullptr;
    MultiDocTemplate *docTemplate = document ? document->GetDocTemplate() : nullptr;
    if (!docTemplate)
        return;
    if (MDIChildWnd *frame = docTemplate->CreateNewFrame(document))
        docTemplate->InitialUpdateFrame(frame);
}

void MDIFrameWnd::OnUpdateKeyIndicator(CmdUI *ui)
{
    KeyIndicators::Lock lock = KeyIndicators::Caps;
    switch (ui->id()) {
    case ID_INDICATOR_NUM: lock = KeyIndicators::Num; break;
    case ID_INDICATOR_SCRL: lock = KeyIndicators::Scroll; break;
    case ID_INDICATOR_KANA: lock = KeyIndicators::Kana; break;
    default: break;
    }
    ui->Enable(KeyIndicators::Instance()->IsOn(lock));
}
