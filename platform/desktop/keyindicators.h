#pragma once
// The lock keys' indicators as the window system keeps them: Caps Lock, Num Lock, Scroll Lock
// and Kana, with a signal when one of them changes.
//
// On X11 the states are the X server's named keyboard indicators, and a change arrives as the
// server's indicator event, also while another program has the keyboard. Elsewhere they are
// read again after each key and whenever the program becomes active. Where the window system
// offers neither, every indicator is off.
#include <QObject>

class KeyIndicators : public QObject {
    Q_OBJECT
public:
    enum Lock { Caps, Num, Scroll, Kana, LockCount };

    // The one instance, made on first use and owned by the application object.
    static KeyIndicators *Instance();

    bool IsOn(Lock lock) const { return m_bOn[lock]; }

    // Reads the states now; emits changed() when one differs from before.
    void Refresh();

signals:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    KeyIndicators();
    ~KeyIndicators() override;

    bool ReadState(Lock lock) const;
    void ScheduleRefresh();

    class X11Events;
    X11Events *m_pX11 = nullptr;
    bool m_bOn[LockCount] = {};
    bool m_bRefreshPending = false;
};
