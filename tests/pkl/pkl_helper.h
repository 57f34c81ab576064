#pragma once
// What the Paste Key List tests share: a temporary key folder the store is pointed at, a
// throw-away settings store, message boxes answered and recorded instead of shown, and work
// done in a modal dialog as soon as it shows.
#include "platform/msgbox.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class QWidget;

namespace PklHelper {

// Points XDG_CONFIG_HOME at a new temporary folder.
void useFreshSettings();

// A key folder of its own for one test, set up from a short description and read back.
class KeyFolder {
public:
    KeyFolder();
    ~KeyFolder();

    QString path() const;            // with a trailing "/"
    QString outside() const;         // a folder beside the key folder, for names that escape
    // Items separated by '|': "name=bytes" a file, "name/" a sub-folder, "name~" a read-only
    // file holding "ro", "name>" a link to nowhere. Bytes take C escapes (\r \n \x1a \0).
    void setUp(const QString &items);
    // The key folder goes away: the store then has none.
    void remove();
    bool has(const QString &name) const;
    QByteArray bytes(const QString &name) const;  // "<none>" when there is no such file
    QStringList names() const;                    // sorted, hidden ones included

private:
    std::unique_ptr<QTemporaryDir> m_root;
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

} // namespace PklHelper
