#pragma once
// The jump dialog (130): a line number or a character position, counted from 1.
#include "platform/framework/templatedialog.h"
#include "res/resource.h"

class QLineEdit;
class QRadioButton;

class CJumpDlg : public TemplateDialog {
    Q_OBJECT
public:
    enum { IDD = 130 };

    explicit CJumpDlg(QWidget *parent = nullptr);

    // 0: m_nValue is a line number; 1: a character position.
    int m_nMode = 0;
    int32_t m_nValue = 1;

protected:
    void OnOK() override;

private:
    void OnMode(int mode);
    void FocusEdit();

    QLineEdit *m_edit = nullptr;
    QRadioButton *m_lineMode = nullptr;
    QRadioButton *m_charMode = nullptr;
};
