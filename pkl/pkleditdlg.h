#pragma once
// The edit dialog (138): the entries of the key folder, the text of the selected one, Delete
// (at once, no question) and Edit (the registration dialog for the selected entry). Enter
// means Edit wherever the focus is and Escape does nothing; the OK button and the close box
// end the dialog, which holds nothing to save.
#include "pkl/pkldialog.h"

#include <cstdint>

class PklListBox;
class QPlainTextEdit;

class CPklEditDlg : public PklDialog {
    Q_OBJECT
public:
    enum { IDD = 138 };

    explicit CPklEditDlg(QWidget *parent = nullptr);

    QString m_strName;     // the selected entry; empty when none is
    int32_t m_nCount = 0;  // names in the list
    PklListBox *m_list = nullptr;  // 1018
    QString m_strText;     // the selected entry's text, shown in field 1002

    // Shown for Edit without a selection and for a deletion that failed.
    static QString NoSelectionMessage();

protected:
    void OnInitDialog() override;
    bool PreTranslateMessage(QKeyEvent *event) override;
    void DoDataExchange();

    // The list filled anew from the key folder, nothing selected, the text field empty.
    void Refresh();
    void OnSelChange();
    void OnDblClk();
    void OnDelete();
    void OnEdit();

private:
    // The selected item's text into m_strName; unchanged when nothing is selected.
    void TakeSelectedName();

    QPlainTextEdit *m_pText = nullptr;
};
