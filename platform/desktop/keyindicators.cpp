#include "platform/desktop/keyindicators.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

#if defined(NYO_HAVE_X11) && QT_CONFIG(xcb)
#define NYO_X11_INDICATORS
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#include <xcb/xcb.h>
#undef KeyRelease  // an X event name; QEvent's is meant below
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

#if defined(NYO_X11_INDICATORS)
// The X server's keyboard extension: the indicators by name, and its indicator events, which
// the server sends to every client that asks, whichever window has the keyboard.
class KeyIndicators::X11Events : public QAbstractNativeEventFilter {
public:
    // Null when the program does not run on X11 or the server lacks the extension.
    static X11Events *Create(KeyIndicators *owner)
    {
        auto *x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
        Display *display = x11 ? x11->display() : nullptr;
        if (!display)
            return nullptr;
        int opcode = 0, eventBase = 0, errorBase = 0;
        int major = XkbMajorVersion, minor = XkbMinorVersion;
        if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor))
            return nullptr;
        XkbSelectEvents(display, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask);
        XFlush(display);
        return new X11Events(display, eventBase, owner);
    }

    bool IsOn(const char *name) const
    {
        const Atom atom = XInternAtom(m_pDisplay, name, True);
        Bool on = False;
        return atom != None && XkbGetNamedIndicator(m_pDisplay, atom, nullptr, &on, nullptr, nullptr) && on;
    }

    bool nativeEventFilter(const QByteArray &, void *message, qintptr *) override
    {
        const auto *event = static_cast<const xcb_generic_event_t *>(message);
        // An extension event carries the extension's own event kind in its second byte.
        if ((event->response_type & 0x7f) == m_nEventBase && event->pad0 == XkbIndicatorStateNotify)
            m_pOwner->ScheduleRefresh();  // not from inside the event dispatch: it asks the server
        return false;
    }

private:
    X11Events(Display *display, int eventBase, KeyIndicators *owner)
        : m_pDisplay(display), m_nEventBase(eventBase), m_pOwner(owner)
    {
    }

    Display *m_pDisplay;
    int m_nEventBase;
    KeyIndicators *m_pOwner;
};
#endif

KeyIndicators *KeyIndicators::Instance()
{
    static QPointer<KeyIndicators> instance;
    if (!instance)
        instance = new KeyIndicators;
    return instance;
}

KeyIndicators::KeyIndicators() : QObject(QCoreApplication::instance())
{
#if defined(NYO_X11_INDICATORS)
    m_pX11 = X11Events::Create(this);
    if (m_pX11)
        QCoreApplication::instance()->installNativeEventFilter(m_pX11);
#endif
    // Without the server's events, a lock key changes the state on its way through the program.
    if (!m_pX11)
        QCoreApplication::instance()->installEventFilter(this);
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                Refresh();
        });
    for (int lock = 0; lock < LockCount; ++lock)
        m_bOn[lock] = ReadState(Lock(lock));
}

KeyIndicators::~KeyIndicators()
{
#if defined(NYO_X11_INDICATORS)
    delete m_pX11;
#endif
}

bool KeyIndicators::ReadState(Lock lock) const
{
#if defined(NYO_X11_INDICATORS)
    static const char *const names[LockCount] = {"Caps Lock", "Num Lock", "Scroll Lock", "Kana"};
    return m_pX11 && m_pX11->IsOn(names[lock]);
#elif defined(Q_OS_WIN)
    static const int keys[LockCount] = {VK_CAPITAL, VK_NUMLOCK, VK_SCROLL, VK_KANA};
    return (GetKeyState(keys[lock]) & 1) != 0;
#else
    (void)lock;
    return false;
#endif
}

void KeyIndicators::Refresh()
{
    m_bRefreshPending = false;
    bool differs = false;
    for (int lock = 0; lock < LockCount; ++lock) {
        const bool on = ReadState(Lock(lock));
        differs = differs || on != m_bOn[lock];
        m_bOn[lock] = on;
    }
    if (differs)
        emit changed();
}

void KeyIndicators::ScheduleRefresh()
{
    if (m_bRefreshPending)
        return;
    m_bRefreshPending = true;
    QTimer::singleShot(0, this, [this] {
        if (m_bRefreshPending)
            Refresh();
    });
}

bool KeyIndicators::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease)
        ScheduleRefresh();
    return QObject::eventFilter(watched, event);
}
