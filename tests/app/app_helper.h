#pragma once
// What the application tests share: a throw-away environment (settings store, runtime folder,
// home), a running application object, and message boxes answered and recorded instead of
// shown.
#include <QRect>
#include <QStringList>
#include <functional>
#include <memory>

class CNYOApp;
class CMainFrame;
class CNYOView;
class CNYODoc;
class QTemporaryDir;
class QWidget;

namespace AppHelper {

// A fresh start for a test: XDG_CONFIG_HOME, XDG_RUNTIME_DIR, XDG_DATA_HOME, XDG_STATE_HOME and
// HOME at new temporary folders, a new scratch folder, and message boxes and Save As answered
// and recorded.
void useFreshEnvironment();
// A new temporary folder for test files, alive until the next call.
QString scratchDir();
QString writeFile(const QString &name, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// Message boxes: each shown text is recorded; the answers queued are given in order, and
// when none is queued the box is answered with its default (OK, or Cancel when offered).
struct Boxes {
    QStringList texts;
    QList<int> answers;
    QList<int> buttons;  // each box's MsgBox::Buttons
};
Boxes &boxes();
void recordBoxes();

// Save As answers with the queued names (empty = Cancel) and records what it proposed.
struct SaveAs {
    QStringList proposed;
    QStringList names;
};
SaveAs &saveAs();
void recordSaveAs();

// Runs handler on the next modal dialog as soon as it shows (within ten seconds).
void onModal(std::function<void(QWidget *)> handler);
// The same for the next popup menu.
void onPopup(std::function<void(QWidget *)> handler);

// Plays a user's steps in a dialog, one an item: "click ID", "type ID text", "OK", "Cancel",
// where ID is the object name of a control.
void playDialog(QWidget *dialog, const QStringList &steps);
// Runs a command and plays the steps in the dialog it shows, after handing the dialog to seen.
// Returns "" when the steps closed the dialog, "still open at ID" when they left it open with
// the focus on ID (it is cancelled then), "no dialog" or "refused" (the command did not run).
QString runDialog(CNYOApp *app, int command, const QStringList &steps,
                  const std::function<void(QWidget *)> &seen = {});
// What a dialog shows, in one line to compare with a table: the checked buttons, the edit
// fields' texts and the greyed controls, each in the order of their numeric ids, for example
// "checked 1006 1008; edits 0|0|400|300; grey 1002 1009". Empty parts are left out.
QString dialogState(QWidget *dialog);

// The main frame's edges in the store, as a rectangle.
QRect storedFrame();
void storeFrame(const QRect &edges);

// A started application (first instance) with its main window.
std::unique_ptr<CNYOApp> startApp(const QStringList &files = {});
// Closes the main window, throwing away unsaved changes, and ends the application.
void stopApp(std::unique_ptr<CNYOApp> &app);
CMainFrame *mainFrame(CNYOApp *app);
CNYOView *activeView(CNYOApp *app);
CNYODoc *activeDoc(CNYOApp *app);
int documentCount(CNYOApp *app);
// Runs a command as the menus would.
bool execute(CNYOApp *app, int id);
bool enabled(CNYOApp *app, int id);

} // namespace AppHelper
