#pragma once
// The state of one command as a state handler sets it: enabled or not, ticked or not.
class CmdUI {
public:
    explicit CmdUI(int id) : m_nID(id) {}

    void Enable(bool on = true) { m_bEnabled = on; }
    void SetCheck(bool on = true) { m_bChecked = on; m_bCheckSet = true; }

    int id() const { return m_nID; }
    bool enabled() const { return m_bEnabled; }
    bool checked() const { return m_bChecked; }
    // True once a handler has set a tick, so the item shows a check box.
    bool checkSet() const { return m_bCheckSet; }

private:
    int m_nID;
    bool m_bEnabled = true;
    bool m_bChecked = false;
    bool m_bCheckSet = false;
};
