#pragma once
// The indent settings dialog (133): whether Enter indents the new line, and how.
#include "platform/framework/templatedialog.h"

class QRadioButton;

class CIndentDlg : public TemplateDialog {
    Q_OBJECT
public:
    enum { IDD = 133 };

    explicit CIndentDlg(QWidget *parent = nullptr);

    int m_nIndent = 1;   // 1 no indent, 2 indent
    int m_nIndent2 = 4;  // 1 TAB, 2 spaces, 4 copied as it stands

protected:
    void OnOK() override;

private:
    void EnableKinds(bool enable);

    QRadioButton *m_off = nullptr;    // 1014
    QRadioButton *m_on = nullptr;     // 1015
    QRadioButton *m_tab = nullptr;    // 1016
    QRadioButton *m_space = nullptr;  // 1017
    QRadioButton *m_copy = nullptr;   // 1013
};
