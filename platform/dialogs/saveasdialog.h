#pragma once
// The framework's Save As dialog: one all-files filter, the document's name proposed, and a
// name whose folder does not exist refused in the dialog itself, which stays open with the
// name as typed, as the system's save dialog does.
#include "platform/base/encoding.h"

#include <QFileDialog>

class QComboBox;

class SaveAsDialog : public QFileDialog {
    Q_OBJECT
public:
    // proposed: a path, or a bare name for a document without one.
    SaveAsDialog(QWidget *parent, const QString &proposed);

    // The message for a name whose folder is not there.
    static QString PathNotFoundMessage(const QString &name);

    // Adds a row that chooses the encoding to save in, current chosen first.
    void OfferEncoding(Encoding current);
    // The encoding chosen in that row; the one offered when the row could not be added, CP932
    // when none was.
    Encoding SelectedEncoding() const;

public slots:
    void accept() override;

private:
    QComboBox *m_encoding = nullptr;
    Encoding m_offered = Encoding::Cp932;
};
