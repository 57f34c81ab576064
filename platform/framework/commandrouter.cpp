#include "platform/framework/commandrouter.h"

#include "platform/framework/commandtarget.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>
#include <QWidget>

CommandRouter::CommandRouter(Route route, QObject *parent)
    : QObject(parent), m_route(std::move(route))
{
}

CommandRouter *CommandRouter::Of(const QWidget *widget)
{
    if (!widget)
        return nullptr;
    return widget->window()->findChild<CommandRouter *>(QString(), Qt::FindDirectChildrenOnly);
}

void CommandRouter::AddAction(QAction *action)
{
    const int id = action->data().toInt();
    if (id == 0)
        return;
    QList<QPointer<QAction>> &actions = m_actions[id];
    actions.removeAll(nullptr);  // actions made for one showing of a menu are gone again
    actions.append(action);
    connect(action, &QAction::triggered, this, [this, id] { Execute(id); });
}

void CommandRouter::AddMenu(QMenu *menu)
{
    for (QAction *action : menu->actions()) {
        if (action->menu())
            AddMenu(action->menu());
        else if (!action->isSeparator())
            AddAction(action);
    }
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
}

QList<QAction *> CommandRouter::Actions(int id) const
{
    QList<QAction *> result;
    for (const QPointer<QAction> &a : m_actions.value(id))
        if (a)
            result.append(a);
    return result;
}

CmdUI CommandRouter::QueryState(int id, CmdUI::Reason reason) const
{
    CmdUI ui(id, reason);
    for (CommandTarget *target : m_route()) {
        if (target && target->OnCmdMsg(id, &ui))
            return ui;
    }
    ui.Enable(false);
    return ui;
}

bool CommandRouter::Execute(int id)
{
    // The state is asked again just before delivery, as a menu would, so a handler always
    // sees the state its update handler established.
    for (CommandTarget *target : m_route()) {
        if (target)
            target->OnBeforeCommand(id);
    }
    if (!QueryState(id).enabled())
        return false;
    for (CommandTarget *target : m_route()) {
        if (target && target->OnCmdMsg(id, nullptr)) {
            ScheduleUpdate();
            return true;
        }
    }
    return false;
}

void CommandRouter::Apply(QAction *action, const CmdUI &state)
{
    if (state.kept())
        return;
    action->setEnabled(state.enabled());
    if (state.checkSet()) {
        action->setCheckable(true);
        action->setChecked(state.checked());
    }
    if (state.textSet())
        action->setText(state.text());
}

void CommandRouter::UpdateAll()
{
    m_bUpdatePending = false;
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const CmdUI state = QueryState(it.key(), CmdUI::Reason::Refresh);
        for (const QPointer<QAction> &a : it.value())
            if (a)
                Apply(a, state);
    }
}

void CommandRouter::UpdateMenu(QMenu *menu)
{
    for (QAction *action : menu->actions()) {
        const int id = action->data().toInt();
        if (id != 0 && !action->menu())
            Apply(action, QueryState(id));
    }
}

void CommandRouter::ScheduleUpdate()
{
    if (m_bUpdatePending)
        return;
    m_bUpdatePending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_bUpdatePending)
            UpdateAll();
    });
}

void CommandRouter::SetAccelerators(const QList<Accelerator> &table)
{
    m_accelerators = table;
}

bool CommandRouter::TranslateAccelerator(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const QKeySequence pressed(QKeyCombination(mods, Qt::Key(event->key())));
    for (const Accelerator &accel : m_accelerators) {
        if (accel.key.matches(pressed) == QKeySequence::ExactMatch)
            return Execute(accel.id);
    }
    return false;
}
