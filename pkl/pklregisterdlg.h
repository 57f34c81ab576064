#pragma once
// The registration dialog (137): an entry's name and text; OK (or Enter, wherever the focus
// is) saves it to the key folder, asking before an existing entry is overwritten. Escape does
// nothing; Cancel and the close box write nothing.
#include "pkl/pkldialog.h"

class QLineEdit;
class QPlainTextEdit;

class CPklRegisterDlg : public PklDialog {
    Q_OBJECT
public:
    enum { IDD = 137 };
    static constexpr int kMaxNameBytes = 256;  // in CP932, a double-byte character counting two

    explicit CPklRegisterDlg(QWidget *parent = nullptr);

    QString m_strName;  // field 1002
    QString m_strText;  // field 1009, line breaks CR LF

    // The save protocol: the overwrite question for an existing entry (a regular file; a
    // link or a FIFO, device or socket of that name is never replaced, which is said
    // instead), a question before characters that CP932 cannot hold are stored as "?", then
    // the write. A write that fails is reported over dialog. True when the entry has been
    // written.
    static bool SaveEntry(QWidget *dialog, const QString &name, const QString &text);

    // The messages, as shown.
    static QString OverwriteQuestion();
    static QString NotAFileMessage();
    static QString InvalidNameMessage();
    static QString UnencodableQuestion(const QString &text, const QList<qsizetype> &positions);

protected:
    void OnInitDialog() override;
    bool PreTranslateMessage(QKeyEvent *event) override;
    // Moves the members into the fields, or (save) reads and checks the fields; false when a
    // field was refused, after its message.
    bool DoDataExchange(bool save);
    void OnOK() override;

private:
    QLineEdit *m_pName = nullptr;
    QPlainTextEdit *m_pText = nullptr;
};
