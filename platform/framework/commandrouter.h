#pragma once
// Routes commands to the targets of the active window and keeps the command state of menu
// items, toolbar buttons and accelerators current.
//
// Every QAction registered here carries its command id in data(). Triggering one runs the
// state handlers first and then the first target on the route whose table has the id. A
// command no target takes is disabled. Accelerators are translated here, before the focus
// widget sees the key, so an enabled command wins over the editor's own key handling and a
// disabled one lets the key through.
#include "platform/framework/cmdui.h"

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class CommandTarget;
class QAction;
class QKeyEvent;
class QMenu;
class QWidget;

class CommandRouter : public QObject {
    Q_OBJECT
public:
    using Route = std::function<QList<CommandTarget *>()>;

    explicit CommandRouter(Route route, QObject *parent = nullptr);

    // The router of the window that holds widget (a child of that window); null when none.
    static CommandRouter *Of(const QWidget *widget);

    // Registers an action whose data() holds its command id.
    void AddAction(QAction *action);
    // Registers every action of a menu and its submenus, and keeps them current whenever
    // the menu is about to show.
    void AddMenu(QMenu *menu);
    QList<QAction *> Actions(int id) const;

    // The state of id along the current route, asked for the reason given.
    CmdUI QueryState(int id, CmdUI::Reason reason = CmdUI::Reason::Shown) const;
    // Runs id if it is enabled; true when a handler ran.
    bool Execute(int id);

    // Refreshes the registered actions now, or once after the current event. States that are
    // worked out only when shown are left as their menu last showed them.
    void UpdateAll();
    void ScheduleUpdate();

    struct Accelerator {
        QKeySequence key;
        int id;
    };
    void SetAccelerators(const QList<Accelerator> &table);
    // Handles a key press that matches an enabled accelerator; false otherwise.
    bool TranslateAccelerator(const QKeyEvent *event);

private:
    void Apply(QAction *action, const CmdUI &state);
    void UpdateMenu(QMenu *menu);

    Route m_route;
    QHash<int, QList<QPointer<QAction>>> m_actions;
    QList<Accelerator> m_accelerators;
    bool m_bUpdatePending = false;
};
