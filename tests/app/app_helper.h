#pragma once
// What the application tests share: a throw-away environment (settings store, runtime folder,
// home), a running application object, and message boxes answered and recorded instead of
// shown.
#include <QByteArray>
#include <QList>
#include <QString>
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

// Points XDG_CONFIG_HOME, XDG_RUNTIME_DIR, XDG_DATA_HOME and HOME at new temporary folders.
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
