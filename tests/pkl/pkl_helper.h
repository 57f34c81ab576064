#pragma once
// What the Paste Key List tests share: a temporary key folder the store is pointed at, a
// throw-away settings store, message boxes answered and recorded instead of shown, work done
// in a modal dialog as soon as it shows, and the dialogs' controls found by id.
#include "platform/dialogs/msgbox.h"

#include <QListWidget>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace PklHelper {

void useFreshSettings();  // XDG_CONFIG_HOME in a temporary folder of the test's own

class FifoRelease;

// A key folder of its own for one test, with a folder "../outside/" beside it. Names in
// set-ups and results are the file names' bytes: UTF-8, other bytes as %HH.
class KeyFolder {
public:
    KeyFolder();
    ~KeyFolder();
    QString path() const;  // with a trailing "/"
    // Items separated by '|': "name=bytes" a file, "name/" a sub-folder, "name~" a read-only
    // file holding "ro", "name>" a link to "../outside/nowhere", "name>target" a link to
    // target, "name*" a FIFO; "-" alone removes the key folder.
    void setUp(const QString &items);
    QByteArray bytes(const QString &name) const;  // "<none>" when there is no regular file
    QStringList names() const;                    // sorted, hidden ones included
    // True when an operation hung on one of the folder's FIFOs: it had to be opened from the
    // other end (five seconds after it was made, then again and again) to let it go.
    bool unblocked() const;

private:
    QTemporaryDir m_root;
    std::unique_ptr<FifoRelease> m_release;
};

// Bytes in a test table: the text as UTF-8, other bytes as %HH.
inline QByteArray unescape(const QString &text) { return QByteArray::fromPercentEncoding(text.toUtf8()); }

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
template <class T> T *child(QWidget *dialog, const QString &id)
{
    T *found = dialog->findChild<T *>(id);
    if (!found)
        qFatal("control %s missing", qPrintable(id));
    return found;
}
QStringList items(const QListWidget *list);
void clickItem(QListWidget *list, const QString &text, bool twice = false);  // or double-click

} // namespace PklHelper
