#pragma once
// The main window: menus, toolbar and status bar around the area that holds the document
// windows. The menu bar shows the frame's own menus while no document window is open and
// the document menus while one is. It comes back where it was closed when the settings ask
// for it, and it moves between, hides and shows the document windows.
#include "platform/framework/mdiframewnd.h"

#include <QList>
#include <QPointer>

class QLabel;
class QMenu;
class QToolBar;

class CMainFrame : public MDIFrameWnd {
    Q_OBJECT
public:
    // Restores the placement when the settings ask for it and shows or hides the bars as
    // stored.
    explicit CMainFrame(QWidget *parent = nullptr);
    // Saves the placement when the settings ask for it.
    ~CMainFrame() override;

    bool OnCmdMsg(int id, CmdUI *ui) override;

    // The resource id of the menus now shown: 128 or 129.
    int CurrentMenuId() const { return m_nMenuId; }
    QToolBar *ToolBar() const { return m_pToolBar; }
    // Every top-level menu of a menu resource as built.
    const QList<QMenu *> &Menus(int resourceId) const;

    // Receives the file names another start of the program handed over.
    void OnCopyData(const QStringList &paths);

    // Framework window commands.
    void OnWindowCascade();
    void OnWindowTileHorz();
    void OnWindowTileVert();
    void OnWindowArrange();
    void OnAppExit();

    // Moving between, hiding and showing document windows.
    void OnWindowNext();
    void OnWindowPrev();
    void OnWindowHide();
    void OnWindowShow();
    void OnUpdateWindowNextPrev(CmdUI *ui);

    // The bars, shown or hidden with the choice stored.
    void OnViewToolBar();
    void OnUpdateViewToolBar(CmdUI *ui);
    void OnViewStatusBar();
    void OnUpdateViewStatusBar(CmdUI *ui);

protected:
    // Whatever shows the hidden document window again (the window list, opening its document
    // again, Show) ends its hidden state.
    bool eventFilter(QObject *watched, QEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // No menu of the bars: they are shown and hidden through the View menu only, so the
    // ticks and the stored choice always match them.
    QMenu *createPopupMenu() override { return nullptr; }

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void AddIndicator(int id);
    void RestorePlacement();
    void SavePlacement();
    void ShowMenus(int resourceId);
    void UpdateTitle();
    QString FrameTitle() const;
    void Tile(Qt::Orientation orientation);

    QPointer<MDIChildWnd> m_hWndHiddenChild;  // null again once that window is destroyed
    bool m_bChildHidden = false;
    bool m_bStatusBarOn = true;
    bool m_bToolBarOn = true;
    int m_nMenuId = 0;
    QList<QMenu *> m_menus128;
    QList<QMenu *> m_menus129;
    QToolBar *m_pToolBar = nullptr;

    static const CommandMap<CMainFrame> &messageMap();
};
