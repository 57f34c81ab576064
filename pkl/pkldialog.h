#pragma once
// What the Paste Key List dialogs add to a template dialog: every key press in the dialog or
// any of its controls is offered to PreTranslateMessage before the control or the dialog acts
// on it.
#include "platform/framework/templatedialog.h"

class QKeyEvent;

class PklDialog : public TemplateDialog {
    Q_OBJECT
public:
    PklDialog(QWidget *parent, Qt::WindowFlags flags);

    void setVisible(bool visible) override;

protected:
    // True when the key press has been handled and goes no further.
    virtual bool PreTranslateMessage(QKeyEvent *event) = 0;

    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_bFiltered = false;
};
