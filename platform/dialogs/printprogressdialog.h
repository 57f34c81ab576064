#pragma once
// The small window shown while a document prints: the document's name, the page being printed
// and a Cancel button. It is modal, and the print run asks it after each page whether to go on.
#include <QDialog>

class QLabel;

class PrintProgressDialog : public QDialog {
    Q_OBJECT
public:
    PrintProgressDialog(const QString &document, QWidget *parent = nullptr);

    // Shows page (from 1) as the one being printed.
    void SetPage(int page);
    // True once Cancel was pressed or the window closed.
    bool Cancelled() const { return m_bCancelled; }

    void reject() override;

private:
    QLabel *m_pPage;
    bool m_bCancelled = false;
};
