#pragma once
// What the Paste Key List tests share: a temporary key folder the store is pointed at, a
// throw-away settings store, message boxes answered and recorded instead of shown, work done
// in a modal dialog as soon as it shows, and the dialogs' controls found by id.
#include "platform/msgbox.h"

#include <QByteArray>
#include <QList>
#include <QListWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace PklHelper {

// Points XDG_CONFIG_HOME at a temporary folder of the test's own.
void useFreshSettings();

// A key folder of its own for one test, set up from a short description and read back.
class KeyFolder {
public:
    KeyFolder();
    ~KeyFolder();

    QString path() const;     // with a trailing "/"
    QString outside() const;  // a folder beside the key folder, for names that escape
    // Items separated by '|': "name=bytes" a file, "name/" a sub-folder, "name~" a read-only
    // file holding "ro", "name>" a link to nowhere; "-" alone removes the key folder. Bytes
    // take C escapes (\r \n \0 \xHH).
    void setUp(const QString &items);
    QByteArray bytes(const QString &name) const;  // "<none>" when there is no such file
    QStringList names() const;                    // sorted, hidden ones included

private:
    QTemporaryDir m_root;
};

// "\r\n" and the like in a test table, as bytes.
QByteArray unescape(const QString &text);

// Message boxes: each shown as "caption: text", answered from the queue (then OK, or No).
struct Boxes {
    QStringList shown;
    QList<int> answers;
};
Boxes &boxes();
void recordBoxes();

// Runs handler on the next modal dialog once it shows (ten seconds at most); a dialog the
// handler leaves open is then rejected, so that a failed check never hangs the test.
void onModal(std::function<void(QWidget *)> handler);

// The control of the dialog named id; the test ends at once when there is none.
template <class T>
T *child(QWidget *dialog, const QString &id)
{
    T *found = dialog->findChild<T *>(id);
    if (!found)
        qFatal("control %s missing", qPrintable(id));
    return found;
}
QStringList items(const QListWidget *list);
// A mouse click (or a double-click) on the item of that text.
void clickItem(QListWidget *list, const QString &text, bool twice = false);

} // namespace PklHelper
