#pragma once
// The main window: menus, toolbar and status bar around the area that holds the document
// windows. The menu bar shows the frame's own menus while no document window is open and
// the document menus while one is.
#include "platform/mdiframewnd.h"

#include <QList>

class QLabel;
class QMenu;
class QToolBar;

class CMainFrame : public MDIFrameWnd {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget *parent = nullptr);

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

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void ShowMenus(int resourceId);
    void UpdateTitle();
    QString FrameTitle() const;
    void Tile(Qt::Orientation orientation);

    int m_nMenuId = 0;
    QList<QMenu *> m_menus128;
    QList<QMenu *> m_menus129;
    QToolBar *m_pToolBar = nullptr;

    static const CommandMap<CMainFrame> &messageMap();
};
