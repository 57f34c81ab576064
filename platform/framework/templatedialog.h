#pragma once
// A modal dialog built from a template: the dialog font, controls placed at their template
// rectangles in dialog units and named by their ids, an OK and a Cancel button, and
// OnInitDialog run once as the dialog first shows (the store is read as the dialog opens).
#include "platform/dialogs/dialogunits.h"

#include <QDialog>

class TemplateDialog : public QDialog {
    Q_OBJECT
public:
    // A modal dialog frame with caption and system menu: no minimise or maximise box.
    static constexpr Qt::WindowFlags kModalFrame = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

    explicit TemplateDialog(QWidget *parent, Qt::WindowFlags flags = kModalFrame);

    void setVisible(bool visible) override;

    // OK and Enter come to OnOK, which closes the dialog unless a check refuses.
    void accept() final { OnOK(); }

protected:
    virtual void OnInitDialog() {}
    virtual void OnOK() { QDialog::accept(); }

    // Caption and size in dialog units.
    void SetTemplate(const QString &caption, int w, int h);
    // A control of the template at its rectangle; id names it (empty for statics and boxes).
    template <class Control>
    Control *AddControl(const QString &id, const QString &text, int x, int y, int w, int h)
    {
        return Place(new Control(text, this), id, x, y, w, h);
    }
    template <class Control>
    Control *Place(Control *control, const QString &id, int x, int y, int w, int h)
    {
        control->setObjectName(id);
        m_units.place(control, x, y, w, h);
        return control;
    }
    // The default OK button (to accept()) and Cancel (to reject()), both w by h.
    void AddOkCancel(int okX, int okY, int cancelX, int cancelY, int w, int h);
    // A static text of the template.
    void AddLabel(const QString &text, int x, int y, int w, int h);
    // A group box: drawn behind the controls it frames, which come before it in some
    // templates, so that it never takes their clicks.
    void AddGroupBox(const QString &text, int x, int y, int w, int h);

    const DialogUnits &Units() const { return m_units; }

private:
    DialogUnits m_units;
    bool m_bInitialized = false;
};
