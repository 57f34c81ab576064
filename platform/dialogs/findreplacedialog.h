#pragma once
// The framework's modeless find and replace dialog of the editing views: one per main
// window, in find or in replace mode, working on the editor that opened it last. It keeps
// the settings of the last search for "find next" (F3).
//
//     FindReplaceDialog::ForWindow(window())->OnEditFindReplace(edit, true);   // find
//     FindReplaceDialog::ForWindow(window())->OnEditFindReplace(edit, false);  // replace
//     FindReplaceDialog::ForWindow(window())->OnEditRepeat(edit);              // find next
//
// Searches go on from the other end of the text once, up to where they began (a run, kept
// until the dialog opens again, the editor or the direction changes, or the user moves the
// selection). A search that finds nothing beeps and says NotFoundMessage() in the status bar
// of the editor's main window; no box stops the user. Replacements keep within the text
// limit of the editing control (RichEdit); one that would exceed it, or that a read-only
// editor refuses, only beeps.
#include "platform/engine/textfinder.h"
#include "platform/engine/textview.h"  // complete for the QPointer the getter converts

#include <QDialog>
#include <QMetaObject>
#include <QPointer>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class FindReplaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindReplaceDialog(QWidget *parent = nullptr);

    // The dialog of a top-level window, made on first use as its child.
    static FindReplaceDialog *ForWindow(QWidget *window);

    // Shows the dialog in find or replace mode for edit. The search field takes the
    // selection when it is one line of text, otherwise the last search text.
    void OnEditFindReplace(TextView *edit, bool findOnly);
    // Searches again with the last settings; opens the find dialog when nothing has been
    // searched yet.
    void OnEditRepeat(TextView *edit);

    TextView *GetTarget() const { return m_pEdit; }

    static QString NotFoundMessage(const QString &what);

private:
    void CreateControls();
    void SetMode(bool findOnly);
    void SetTarget(TextView *edit);
    void LoadSettings();
    void SaveSettings();
    void UpdateButtons();
    TextFinder::Options GetOptions() const;
    TextFinder MakeFinder() const;

    void OnFindNext();
    void OnReplace();
    void OnReplaceAll();
    void TextNotFound();
    // Takes back a not-found message still shown once something is found.
    void TextFound();
    // Moves the dialog off the selection it has just made.
    void AdjustPosition();

    QLabel *m_labelFind = nullptr;
    QLineEdit *m_editFind = nullptr;
    QLabel *m_labelReplace = nullptr;
    QLineEdit *m_editReplace = nullptr;
    QCheckBox *m_checkWord = nullptr;
    QCheckBox *m_checkCase = nullptr;
    QGroupBox *m_groupDirection = nullptr;
    QRadioButton *m_radioUp = nullptr;
    QRadioButton *m_radioDown = nullptr;
    QPushButton *m_buttonFindNext = nullptr;
    QPushButton *m_buttonReplace = nullptr;
    QPushButton *m_buttonReplaceAll = nullptr;
    QPushButton *m_buttonCancel = nullptr;

    bool m_bFindOnly = true;
    QPointer<TextView> m_pEdit;
    QMetaObject::Connection m_targetGone;

    // The last search.
    QString m_strFind;
    QString m_strReplace;
    bool m_bCase = false;
    bool m_bWord = false;
    bool m_bNext = true;  // downwards

    TextFinder::Run m_run;
    QString m_strNotFoundShown;  // the status bar's message the last search left, if any
};
