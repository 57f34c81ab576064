#include "pkl/pkldialog.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

PklDialog::PklDialog(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags),
      m_units(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9))
{
    setFont(DialogUnits::dialogFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
}

void PklDialog::setVisible(bool visible)
{
    if (visible && !m_bInitialized) {
        m_bInitialized = true;
        // Every control exists by now; keys reach them through the filter.
        for (QWidget *child : findChildren<QWidget *>())
            child->installEventFilter(this);
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void PklDialog::AddLabel(const QString &text, int x, int y, int w, int h)
{
    AddControl<QLabel>(QString(), text, x, y, w, h)->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PklDialog::AddGroupBox(const QString &text, int x, int y, int w, int h)
{
    AddControl<QGroupBox>(QString(), text, x, y, w, h)->lower();
}

bool PklDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && PreTranslateMessage(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void PklDialog::keyPressEvent(QKeyEvent *event)
{
    if (!PreTranslateMessage(event))
        QDialog::keyPressEvent(event);
}
