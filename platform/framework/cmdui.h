#pragma once
// The state of one command as a state handler sets it: enabled or not, ticked or not, and the
// text of a status-bar pane that shows one of its own.
#include <QString>

class CmdUI {
public:
    // Why the state is asked: for a menu about to show or a command about to run (Shown), or
    // to keep what is on the screen current as the active view's state changes (Refresh).
    enum class Reason { Shown, Refresh };

    explicit CmdUI(int id, Reason reason = Reason::Shown) : m_nID(id), m_reason(reason) {}

    void Enable(bool on = true) { m_bEnabled = on; }
    void SetCheck(bool on = true) { m_bChecked = on; m_bCheckSet = true; }
    // On a refresh, for a state worked out only when its menu shows: the command's items stay
    // as they are.
    void KeepShown() { m_bKept = true; }
    // The text a pane shows (not a menu item's).
    void SetText(const QString &text) { m_text = text; m_bTextSet = true; }

    int id() const { return m_nID; }
    Reason reason() const { return m_reason; }
    bool enabled() const { return m_bEnabled; }
    bool checked() const { return m_bChecked; }
    // True once a handler has set a tick, so the item shows a check box.
    bool checkSet() const { return m_bCheckSet; }
    bool kept() const { return m_bKept; }
    const QString &text() const { return m_text; }
    bool textSet() const { return m_bTextSet; }

private:
    int m_nID;
    Reason m_reason;
    bool m_bEnabled = true;
    bool m_bChecked = false;
    bool m_bCheckSet = false;
    bool m_bKept = false;
    QString m_text;
    bool m_bTextSet = false;
};
