#include "pkl/pkldialog.h"

#include <QKeyEvent>

PklDialog::PklDialog(QWidget *parent, Qt::WindowFlags flags) : TemplateDialog(parent, flags) {}

void PklDialog::setVisible(bool visible)
{
    if (visible && !m_bFiltered) {
        m_bFiltered = true;
        // Every control exists by now; keys reach them through the filter.
        for (QWidget *child : findChildren<QWidget *>())
            child->installEventFilter(this);
    }
    TemplateDialog::setVisible(visible);
}

bool PklDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && PreTranslateMessage(static_cast<QKeyEvent *>(event)))
        return true;
    return TemplateDialog::eventFilter(watched, event);
}

void PklDialog::keyPressEvent(QKeyEvent *event)
{
    if (!PreTranslateMessage(event))
        TemplateDialog::keyPressEvent(event);
}
