#pragma once
// The About box (dialog 100): program icon, name and version, a line about the program, the
// maker's web and mail addresses, and an OK button that closes it.
#include "res/resource.h"

#include <QDialog>

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    enum { IDD = IDD_ABOUTBOX };

    explicit CAboutDlg(QWidget *parent = nullptr);
};
