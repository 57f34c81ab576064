#pragma once
// Dialog 132: the state in which the main window comes up at the next start: maximised,
// minimised, normal (with or without saving its placement on exit) or fixed at a rectangle
// given here. It shows the stored settings when it opens and leaves the choice in its members;
// the command that runs it stores them.
#include "platform/framework/templatedialog.h"

#include <cstdint>

class QCheckBox;
class QLineEdit;
class QRadioButton;

class CMainFrameDlg : public TemplateDialog {
    Q_OBJECT
public:
    enum { IDD = 132 };

    explicit CMainFrameDlg(QWidget *parent = nullptr);

    // Main-frame state: 1 maximised, 2 minimised, 3 normal, 4 fixed.
    int32_t m_nFrameMode = 0;
    // Check box 1008: 1 when the normal state saves the placement on exit.
    int32_t m_bSaveOnExit = 0;
    // The fixed rectangle's edges. They carry the stored signed values' bits, so a negative
    // coordinate shows as its unsigned equivalent and goes back unchanged.
    uint32_t m_nLeft = 0;
    uint32_t m_nTop = 0;
    uint32_t m_nRight = 0;
    uint32_t m_nBottom = 0;


protected:
    void OnInitDialog() override;
    // Moves the members into the controls, or (save) reads and checks the controls; false
    // when a field was refused, after its message.
    bool DoDataExchange(bool save);
    void OnOK() override;

private:
    // The check box belongs to the normal state, the rectangle to the fixed one.
    void EnableControls(int32_t mode);

    QRadioButton *m_pMaximize = nullptr;
    QRadioButton *m_pMinimize = nullptr;
    QRadioButton *m_pNormal = nullptr;
    QCheckBox *m_pSaveOnExit = nullptr;
    QRadioButton *m_pFixed = nullptr;
    QLineEdit *m_pLeft = nullptr;
    QLineEdit *m_pTop = nullptr;
    QLineEdit *m_pRight = nullptr;
    QLineEdit *m_pBottom = nullptr;
};
