#pragma once
// The list of entry names in the Paste Key List dialogs: a single-selection list box with the
// sorted style, so names show in alphabetical order (case-insensitive) whatever order they
// are added in.
#include <QListWidget>
#include <optional>

class PklListBox : public QListWidget {
    Q_OBJECT
public:
    explicit PklListBox(QWidget *parent = nullptr);

    // Adds the names at their sorted places and returns how many were added.
    int AddStrings(const QStringList &names);
    // Removes every name; the selection goes with them.
    void ResetContent();
    // The text of the first selected item; nothing when none is selected.
    std::optional<QString> GetSelText() const;

    // The list's order: case-insensitive, and names that differ only in case (two entries
    // where names are case-sensitive) in a fixed order among themselves.
    static bool Before(const QString &a, const QString &b);

signals:
    // A double-click of the left button anywhere in the list, on an item or not.
    void dblClk();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};
