#include "app/mainframe.h"

#include "platform/base/filename.h"
#include "platform/framework/commandrouter.h"
#include "platform/framework/mdichildwnd.h"
#include "platform/framework/recentfilelist.h"
#include "platform/framework/winapp.h"
#include "res/resource.h"
#include "res/resources.h"
#include "settings/keyindex.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

#include <algorithm>

namespace {
bool HoldsCommand(const QMenu *menu, int id)
{
    const QList<QAction *> actions = menu->actions();
    return std::any_of(actions.begin(), actions.end(), [id](const QAction *a) { return a->data().toInt() == id; });
}
} // namespace

const CommandMap<CMainFrame> &CMainFrame::messageMap()
{
    using F = CMainFrame;
    static const CommandMap<F> map{
        OnCommand<F>(ID_WINDOW_CASCADE, &F::OnWindowCascade),
        OnCommand<F>(ID_WINDOW_TILE_HORZ, &F::OnWindowTileHorz),
        OnCommand<F>(ID_WINDOW_TILE_VERT, &F::OnWindowTileVert),
        OnCommand<F>(ID_WINDOW_ARRANGE, &F::OnWindowArrange),
        OnUpdateCommand<F>(ID_WINDOW_CASCADE, &F::OnUpdateMDIWindowCmd),
        OnUpdateCommand<F>(ID_WINDOW_TILE_HORZ, &F::OnUpdateMDIWindowCmd),
        OnUpdateCommand<F>(ID_WINDOW_TILE_VERT, &F::OnUpdateMDIWindowCmd),
        OnUpdateCommand<F>(ID_WINDOW_ARRANGE, &F::OnUpdateMDIWindowCmd),
        OnCommand<F>(ID_APP_EXIT, &F::OnAppExit),
        OnCommand<F>(ID_WINDOW_HIDE, &F::OnWindowHide),
        OnCommand<F>(ID_WINDOW_NEXT, &F::OnWindowNext),
        OnCommand<F>(ID_WINDOW_PREV, &F::OnWindowPrev),
        OnCommand<F>(ID_WINDOW_SHOW, &F::OnWindowShow),
        OnUpdateCommand<F>(ID_WINDOW_NEXT, &F::OnUpdateWindowNextPrev),
        OnUpdateCommand<F>(ID_WINDOW_PREV, &F::OnUpdateWindowNextPrev),
        OnCommand<F>(ID_VIEW_TOOLBAR, &F::OnViewToolBar),
        OnUpdateCommand<F>(ID_VIEW_TOOLBAR, &F::OnUpdateViewToolBar),
        OnCommand<F>(ID_VIEW_STATUS_BAR, &F::OnViewStatusBar),
        OnUpdateCommand<F>(ID_VIEW_STATUS_BAR, &F::OnUpdateViewStatusBar),
    };
    return map;
}

CMainFrame::CMainFrame(QWidget *parent) : MDIFrameWnd(parent)
{
    setWindowTitle(Res::string(IDR_MAINFRAME));
    setWindowIcon(Res::icon(IDR_MAINFRAME));
    setAcceptDrops(true);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    RestorePlacement();
    m_bToolBarOn = Keys::Toolbar.read() != 0;
    m_pToolBar->setVisible(m_bToolBarOn);
    m_bStatusBarOn = Keys::Statusbar.read() != 0;
    statusBar()->setVisible(m_bStatusBarOn);
    QList<CommandRouter::Accelerator> table;
    for (const Res::Accelerator &accel : Res::accelerators(IDR_MAINFRAME))
        table.append({accel.key, accel.id});
    Router()->SetAccelerators(table);
    connect(this, &MDIFrameWnd::activeChildChanged, this, [this](MDIChildWnd *child) {
        ShowMenus(child ? IDR_NYOTYPE : IDR_MAINFRAME);
        UpdateTitle();
        if (child) {
            connect(child, &QWidget::windowTitleChanged, this, &CMainFrame::UpdateTitle,
                    Qt::UniqueConnection);
            connect(child, &QMdiSubWindow::windowStateChanged, this, &CMainFrame::UpdateTitle,
                    Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        }
    });
    ShowMenus(IDR_MAINFRAME);
}

CMainFrame::~CMainFrame()
{
    SavePlacement();
}

bool CMainFrame::OnCmdMsg(int id, CmdUI *ui)
{
    return messageMap().Dispatch(this, id, ui) || MDIFrameWnd::OnCmdMsg(id, ui);
}

const QList<QMenu *> &CMainFrame::Menus(int resourceId) const
{
    return resourceId == IDR_NYOTYPE ? m_menus129 : m_menus128;
}

void CMainFrame::CreateMenus()
{
    for (int id : {IDR_MAINFRAME, IDR_NYOTYPE}) {
        QList<QMenu *> &menus = id == IDR_NYOTYPE ? m_menus129 : m_menus128;
        for (const Res::MenuItem &popup : Res::menuBar(id)) {
            auto *menu = new QMenu(popup.text, this);
            Res::fillMenu(menu, popup.children);
            if (auto *placeholder = menu->findChild<QAction *>(QStringLiteral("mruPlaceholder"))) {
                // The recent files go in before the state of the items is brought up to date;
                // choosing one is a command like any other.
                connect(menu, &QMenu::aboutToShow, this, [this, menu, placeholder] {
                    if (WinApp::Get() && WinApp::Get()->GetRecentFileList())
                        for (QAction *entry : WinApp::Get()->GetRecentFileList()->updateMenu(menu, placeholder)) {
                            entry->setStatusTip(Res::prompt(entry->data().toInt()));
                            Router()->AddAction(entry);
                        }
                });
            }
            // The framework's window list goes at the end of the menu that holds its commands.
            if (id == IDR_NYOTYPE && HoldsCommand(menu, ID_WINDOW_NEW))
                SetWindowMenu(menu, Res::string(AFX_IDS_MDICHILD));
            Router()->AddMenu(menu);
            menus.append(menu);
        }
    }
}

void CMainFrame::ShowMenus(int resourceId)
{
    if (m_nMenuId == resourceId)
        return;
    m_nMenuId = resourceId;
    QMenuBar *bar = menuBar();
    bar->clear();
    for (QMenu *menu : Menus(resourceId))
        bar->addMenu(menu);
    Router()->ScheduleUpdate();
}

void CMainFrame::CreateToolBar()
{
    m_pToolBar = addToolBar(QString());
    m_pToolBar->setObjectName(QStringLiteral("toolbar"));
    m_pToolBar->setIconSize(QSize(16, 15));
    m_pToolBar->setMovable(true);
    for (int id : Res::toolbarButtons()) {
        if (id == 0) {
            m_pToolBar->addSeparator();
            continue;
        }
        QAction *action = m_pToolBar->addAction(Res::toolbarIcon(id), Res::tooltip(id));
        action->setData(id);
        action->setToolTip(Res::tooltip(id));
        action->setStatusTip(Res::prompt(id));
        Router()->AddAction(action);
    }
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->showMessage(Res::string(AFX_IDS_IDLEMESSAGE));
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString &text) {
        if (text.isEmpty())
            bar->showMessage(Res::string(AFX_IDS_IDLEMESSAGE));
    });
    AddIndicator(ID_INDICATOR_ENCODING);
    for (int id : Res::statusIndicators())
        AddIndicator(id);
}

// A pane that shows its text while its key is locked and is empty otherwise, as the
// framework's indicators are; its state is that of the command of the same id. A pane whose
// state handler sets a text (the encoding's) shows that text instead, in the width of its own.
void CMainFrame::AddIndicator(int id)
{
    const QString text = Res::string(id);
    auto *label = new QLabel(statusBar());
    label->setObjectName(QStringLiteral("indicator%1").arg(id));
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    const QFontMetrics metrics = label->fontMetrics();
    label->setMinimumWidth(metrics.horizontalAdvance(text) + 2 * metrics.averageCharWidth());
    statusBar()->addPermanentWidget(label);
    auto *state = new QAction(label);
    state->setData(id);
    state->setEnabled(false);
    connect(state, &QAction::changed, label, [label, state, text] {
        label->setText(!state->isEnabled() ? QString() : state->text().isEmpty() ? text : state->text());
    });
    Router()->AddAction(state);
}

// "WindowMode2" 3 (normal) with "WM3" (save on exit), or 4 (fixed): the stored edges, as
// stored even off the screen. A settings file may hold any numbers, so the edges are worked
// out without overflow and the size is at most the whole desktop's.
void CMainFrame::RestorePlacement()
{
    const int mode = Keys::WindowMode2.read();
    if (!((mode == 3 && Keys::WM3.read() == 1) || mode == 4))
        return;
    const auto edge = [](const IntKey &key) { return std::clamp(key.read(), -QWIDGETSIZE_MAX, QWIDGETSIZE_MAX); };
    const int left = edge(Keys::FrameLeft);
    const int top = edge(Keys::FrameTop);
    const QSize desktop = screen()->virtualSize();
    const QSize size(std::min(edge(Keys::FrameRight) - left, desktop.width()),
                     std::min(edge(Keys::FrameBottom) - top, desktop.height()));
    MoveWindow(QRect(QPoint(left, top), size));
}

// Only the normal state with saving on exit writes; the rectangle is the normal one, also
// when the frame is maximised or minimised now.
void CMainFrame::SavePlacement()
{
    if (Keys::WindowMode2.read() != 3 || Keys::WM3.read() != 1)
        return;
    const QRect normal = GetWindowPlacement();
    Keys::FrameLeft.write(normal.left());
    Keys::FrameTop.write(normal.top());
    Keys::FrameRight.write(normal.left() + normal.width());
    Keys::FrameBottom.write(normal.top() + normal.height());
}

// The program's title followed by the active document's name; in brackets while the
// document window is maximised, as a multiple-document frame shows it. Qt leaves a title that
// already ends so as it is.
QString CMainFrame::FrameTitle() const
{
    const QString app = Res::string(IDR_MAINFRAME);
    MDIChildWnd *child = MDIGetActive();
    if (!child)
        return app;
    if (child->isMaximized())
        return app + QStringLiteral(" - [") + child->windowTitle() + QLatin1Char(']');
    return app + QStringLiteral(" - ") + child->windowTitle();
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(FrameTitle());
}

void CMainFrame::OnCopyData(const QStringList &paths)
{
    if (WinApp *app = WinApp::Get())
        for (const QString &path : paths)
            app->OpenDocumentFile(path);
}

// Dropped files are opened, never moved: the answer is a copy whatever the drag proposes, so
// that a file manager that honours a move does not move or delete the user's file.
void CMainFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CMainFrame::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void CMainFrame::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(FileName::FromDroppedUrl(url));
    if (paths.isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    activateWindow();
    OnCopyData(paths);
}

void CMainFrame::OnWindowCascade()
{
    MDIClient()->cascadeSubWindows();
}

// Tiles the visible, non-minimised windows side by side (vertical) or one above the other.
void CMainFrame::Tile(Qt::Orientation orientation)
{
    QList<QMdiSubWindow *> windows;
    for (QMdiSubWindow *w : MDIClient()->subWindowList())
        if (w->isVisible() && !w->isMinimized())
            windows.append(w);
    if (windows.isEmpty())
        return;
    const QRect area = MDIClient()->viewport()->rect();
    const int n = int(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = windows.at(i);
        w->showNormal();
        if (orientation == Qt::Horizontal) {
            const int x0 = area.width() * i / n, x1 = area.width() * (i + 1) / n;
            w->setGeometry(x0, 0, x1 - x0, area.height());
        } else {
            const int y0 = area.height() * i / n, y1 = area.height() * (i + 1) / n;
            w->setGeometry(0, y0, area.width(), y1 - y0);
        }
    }
}

void CMainFrame::OnWindowTileHorz()
{
    Tile(Qt::Vertical);
}

void CMainFrame::OnWindowTileVert()
{
    Tile(Qt::Horizontal);
}

void CMainFrame::OnWindowArrange()
{
    // Minimised windows line up along the bottom of the area.
    const QRect area = MDIClient()->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow *w : MDIClient()->subWindowList()) {
        if (!w->isMinimized())
            continue;
        const QSize size = w->size();
        w->move(x, area.height() - size.height());
        x += size.width();
    }
}

void CMainFrame::OnAppExit()
{
    close();
}

void CMainFrame::OnWindowNext()
{
    MDINext();
}

// The window at the bottom of the stack comes to the top; the hidden one is passed over for
// the one above it.
void CMainFrame::OnWindowPrev()
{
    if (!MDIGetActive())
        return;
    const QList<MDIChildWnd *> stack = MDIChildrenByZOrder();
    qsizetype last = stack.size() - 1;
    if (last >= 0 && stack.at(last) == m_hWndHiddenChild)
        --last;
    if (last >= 0)
        MDIActivate(stack.at(last));
}

void CMainFrame::OnUpdateWindowNextPrev(CmdUI *ui)
{
    ui->Enable(MDIGetActive() != nullptr);
}

// One window at a time. The next visible one takes over first, in the maximised state when
// the hidden one had it, so commands keep acting on a window the user sees; with none left
// the hidden one stays the target of commands.
void CMainFrame::OnWindowHide()
{
    MDIChildWnd *active = MDIGetActive();
    if (!active || m_bChildHidden)
        return;
    MDINext();
    m_hWndHiddenChild = active;
    active->hide();
    m_bChildHidden = true;
}

// A hidden window destroyed meanwhile leaves nothing to show; the state is cleared all the same.
void CMainFrame::OnWindowShow()
{
    if (!m_bChildHidden)
        return;
    if (MDIChildWnd *child = m_hWndHiddenChild) {
        child->show();
        MDIActivate(child);
    }
    m_hWndHiddenChild = nullptr;
    m_bChildHidden = false;
}

// The frame watches every event of the application already (for its keys); a hidden window
// shown again by any road is no longer the hidden one, so hiding works again and moving
// between windows no longer passes over it.
bool CMainFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && m_bChildHidden && watched == m_hWndHiddenChild) {
        m_hWndHiddenChild = nullptr;
        m_bChildHidden = false;
    }
    return MDIFrameWnd::eventFilter(watched, event);
}

void CMainFrame::OnViewToolBar()
{
    m_bToolBarOn = !m_bToolBarOn;
    m_pToolBar->setVisible(m_bToolBarOn);
    Keys::Toolbar.write(m_bToolBarOn ? 1 : 0);
}

void CMainFrame::OnUpdateViewToolBar(CmdUI *ui)
{
    ui->SetCheck(m_bToolBarOn);
}

void CMainFrame::OnViewStatusBar()
{
    m_bStatusBarOn = !m_bStatusBarOn;
    statusBar()->setVisible(m_bStatusBarOn);
    Keys::Statusbar.write(m_bStatusBarOn ? 1 : 0);
}

void CMainFrame::OnUpdateViewStatusBar(CmdUI *ui)
{
    ui->SetCheck(m_bStatusBarOn);
}
