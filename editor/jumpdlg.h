#pragma once
// The jump dialog (130): a line number or a character position, counted from 1.
#include "platform/framework/templatedialog.h"
#include "res/resource.h"

#include <optional>

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

    // The number in a field's text as the dialog reads it: at most the first 31 characters,
    // blanks around an optional sign and digits; 0 only when written with a leading "0"; a
    // number beyond 32 bits counts as the nearest limit. Nothing when it is not a number.
    static std::optional<int32_t> ParseValue(QStringView text);

protected:
    void OnOK() override;

private:
    void OnMode(int mode);
    void FocusEdit();

    QLineEdit *m_edit = nullptr;
    QRadioButton *m_lineMode = nullptr;
    QRadioButton *m_charMode = nullptr;
};
