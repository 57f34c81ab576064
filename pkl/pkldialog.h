#pragma once
// What the Paste Key List dialogs have in common as dialogs built from templates: the dialog
// font, controls placed at their template rectangles in dialog units, OnInitDialog run once
// as the dialog first shows, and every key press in the dialog or any of its controls offered
// to PreTranslateMessage before the control or the dialog acts on it.
#include "platform/dialogunits.h"

#include <QDialog>

class QKeyEvent;

class PklDialog : public QDialog {
    Q_OBJECT
public:
    PklDialog(QWidget *parent, Qt::WindowFlags flags);

    void setVisible(bool visible) override;

protected:
    virtual void OnInitDialog() {}
    // True when the key press has been handled and goes no further.
    virtual bool PreTranslateMessage(QKeyEvent *event) = 0;

    // A control of the template at its rectangle; id names it (empty for statics and boxes).
    template <class Control>
    Control *AddControl(const QString &id, const QString &text, int x, int y, int w, int h)
    {
        auto *control = new Control(text, this);
        return Place(control, id, x, y, w, h);
    }
    template <class Control>
    Control *Place(Control *control, const QString &id, int x, int y, int w, int h)
    {
        control->setObjectName(id);
        m_units.place(control, x, y, w, h);
        return control;
    }
    // A static text of the template.
    void AddLabel(const QString &text, int x, int y, int w, int h);
    // A group box of the template: drawn behind the controls it frames, which come before it
    // in some templates, so that it never takes their clicks.
    void AddGroupBox(const QString &text, int x, int y, int w, int h);

    const DialogUnits &Units() const { return m_units; }

    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    DialogUnits m_units;
    bool m_bInitialized = false;
};
