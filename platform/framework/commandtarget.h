#pragma once
// Command targets with message-map style tables. Each class that handles commands keeps one
// static table: command id -> handler, command id -> state handler. OnCmdMsg looks in the
// class's table and then in its base class's, so derived tables override.
#include "platform/framework/cmdui.h"

#include <initializer_list>
#include <vector>

class CommandTarget {
public:
    virtual ~CommandTarget() = default;

    // With ui null: runs the command handler for id. With ui: runs the state handler (or,
    // when only a command handler exists, leaves the command enabled). Returns false when
    // this target has no entry for id.
    virtual bool OnCmdMsg(int id, CmdUI *ui) { (void)id; (void)ui; return false; }
    // Before a command is delivered along a route, every target on it may make ready for it,
    // whichever one handles it.
    virtual void OnBeforeCommand(int id) { (void)id; }
};

template <class T>
class CommandMap {
public:
    struct Entry {
        int first;
        int last;
        void (T::*onCommand)();
        void (T::*onRange)(int);
        void (T::*onUpdate)(CmdUI *);
        bool onlyShown = false;  // onUpdate runs only when the state is to be shown
    };

    CommandMap(std::initializer_list<Entry> entries) : m_entries(entries) {}

    bool Dispatch(T *target, int id, CmdUI *ui) const
    {
        bool hasCommand = false;
        for (const Entry &e : m_entries) {
            if (id < e.first || id > e.last)
                continue;
            if (ui && e.onUpdate) {
                if (e.onlyShown && ui->reason() == CmdUI::Reason::Refresh)
                    ui->KeepShown();
                else
                    (target->*e.onUpdate)(ui);
                return true;
            }
            if (e.onCommand || e.onRange) {
                hasCommand = true;
                if (!ui) {
                    if (e.onCommand)
                        (target->*e.onCommand)();
                    else
                        (target->*e.onRange)(id);
                    return true;
                }
            }
        }
        return hasCommand;
    }

private:
    std::vector<Entry> m_entries;
};

// Table entries, in the style of a message map.
template <class T>
typename CommandMap<T>::Entry OnCommand(int id, void (T::*handler)())
{
    return {id, id, handler, nullptr, nullptr};
}
template <class T>
typename CommandMap<T>::Entry OnCommandRange(int first, int last, void (T::*handler)(int))
{
    return {first, last, nullptr, handler, nullptr};
}
template <class T>
typename CommandMap<T>::Entry OnUpdateCommand(int id, void (T::*handler)(CmdUI *))
{
    return {id, id, nullptr, nullptr, handler};
}
// A state handler that runs only when its menu is about to show or its command to run, not
// on every change of the active view: for a state that is costly to work out (it asks the
// file system) and that only a menu item shows.
template <class T>
typename CommandMap<T>::Entry OnUpdateCommandWhenShown(int id, void (T::*handler)(CmdUI *))
{
    return {id, id, nullptr, nullptr, handler, true};
}
template <class T>
typename CommandMap<T>::Entry OnUpdateCommandRange(int first, int last, void (T::*handler)(CmdUI *))
{
    return {first, last, nullptr, nullptr, handler};
}
