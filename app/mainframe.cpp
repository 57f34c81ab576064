#include "app/mainframe.h"

#include "platform/commandrouter.h"
#include "platform/mdichildwnd.h"
#include "platform/recentfilelist.h"
#include "platform/winapp.h"
#include "res/resource.h"
#include "res/resources.h"

#include <QDragEnterEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>


const CommandMap<CMainFrame> &CMainFrame::messageMap()
{
    using F = CMainFrame;
    static const CommandMap<F> map{
        OnCommand<F>(ID_WINDOW_CASCADE, &F::OnWindowCascade),
        OnCommand<F>(ID_WINDOW_TILE_HORZ, &F::OnWindowTileHorz),
        OnCommand<F>(ID_WINDOW_TILE_VERT, &F::OnWindowTileVert),
        OnCommand<F>(ID_WINDOW_ARRANGE, &F::OnWindowArrange),
        OnCommand<F>(ID_APP_EXIT, &F::OnAppExit),
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
                        for (QAction *entry : WinApp::Get()->GetRecentFileList()->updateMenu(menu, placeholder))
                            Router()->AddAction(entry);
                });
            }
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
    for (int id : Res::statusIndicators()) {
        auto *label = new QLabel(Res::string(id), bar);
        label->setObjectName(QStringLiteral("indicator%1").arg(id));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setEnabled(false);
        bar->addPermanentWidget(label);
    }
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

void CMainFrame::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
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
