#pragma once
// Dialog 131: the state in which new document windows come up, maximised, normal or
// minimised. It shows the stored state when it opens and leaves the choice in m_nFrameMode;
// the command that runs it stores the choice.
#include "platform/framework/templatedialog.h"

#include <cstdint>

class QRadioButton;

class CChildFrameDlg : public TemplateDialog {
    Q_OBJECT
public:
    enum { IDD = 131 };

    explicit CChildFrameDlg(QWidget *parent = nullptr);

    // Child-frame state: 1 maximised, 2 normal, 3 minimised.
    int32_t m_nFrameMode = 0;


protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    QRadioButton *m_pMaximize = nullptr;
    QRadioButton *m_pNormal = nullptr;
    QRadioButton *m_pMinimize = nullptr;
};
