#include "platform/desktop/windowpos.h"

#include <QWidget>
#include <QWindow>

void WindowPos::SetTopMost(QWidget *window, bool on)
{
    Qt::WindowFlags flags = window->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    // QWidget::setWindowFlags() would take a shown window down and leave it hidden; the
    // native window takes the hint as it stands.
    if (QWindow *handle = window->windowHandle(); handle && window->isVisible()) {
        window->overrideWindowFlags(flags);
        handle->setFlags(flags);
    } else {
        window->setWindowFlags(flags);
    }
}

void WindowPos::SetForegroundWindow(QWidget *window)
{
    window->raise();
    window->activateWindow();
}
