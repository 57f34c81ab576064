#pragma once
// The About box (dialog 100): program icon, name and version, a line about the program, the
// maker's web and mail addresses, and an OK button that closes it.
#include "platform/framework/templatedialog.h"
#include "res/resource.h"

class CAboutDlg : public TemplateDialog {
    Q_OBJECT
public:
    enum { IDD = IDD_ABOUTBOX };

    explicit CAboutDlg(QWidget *parent = nullptr);
};
