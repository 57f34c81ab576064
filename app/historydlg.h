#pragma once
// Dialog 135: the number of entries of the recent-file list, 0 to 10. It shows the stored
// number when it opens and leaves the choice in m_nRecentCount; the command that runs it
// stores it.
#include "platform/framework/templatedialog.h"

#include <cstdint>

class QLineEdit;

class CHistoryDlg : public TemplateDialog {
    Q_OBJECT
public:
    enum { IDD = 135 };

    explicit CHistoryDlg(QWidget *parent = nullptr);

    int32_t m_nRecentCount = 0;


protected:
    void OnInitDialog() override;
    // Moves the count into the edit, or (save) reads and checks it; false when it was
    // refused, after its message.
    bool DoDataExchange(bool save);
    void OnOK() override;

private:
    QLineEdit *m_pCount = nullptr;
};
