#pragma once
// The auto-save settings dialog (136): off or on, the interval, the question before each
// save, and the warning colour with its lead time.
#include "platform/framework/templatedialog.h"

#include <cstdint>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CAutoSaveDlg : public TemplateDialog {
    Q_OBJECT
public:
    enum { IDD = 136 };

    explicit CAutoSaveDlg(QWidget *parent = nullptr);

    int32_t m_nSaveMode = 0;      // 1 off, 2 on, 3 on and ask
    uint32_t m_nInterval = 0;     // field 1002, seconds between saves
    uint32_t m_nLead = 0;         // field 1009, warning lead in seconds
    int32_t m_bNotify = 0;        // check box 1008: ask before each save
    int32_t m_bColorChange = 0;   // check box 1020: warning colour on

    // Moves the members into the controls, or reads and checks them back; false when a check
    // failed (its message has been shown).
    bool DoDataExchange(bool save);

    static QString IntervalMessage();

protected:
    void OnOK() override;

private:
    void CreateControls();
    // Reads the store into the members and the controls; the dialog is made just before it
    // runs, so this is done at once.
    void LoadSettings();
    void EnableModeFields(bool enable);
    void EnableColorFields(bool enable);
    void OnUseOff();
    void OnUseOn();
    void OnColorChange();
    void OnBackColor();

    QRadioButton *m_off = nullptr;       // 1000
    QRadioButton *m_on = nullptr;        // 1001
    QLineEdit *m_interval = nullptr;     // 1002
    QCheckBox *m_notify = nullptr;       // 1008
    QCheckBox *m_colorChange = nullptr;  // 1020
    QLineEdit *m_lead = nullptr;         // 1009
    QPushButton *m_backColor = nullptr;  // 1021
};
