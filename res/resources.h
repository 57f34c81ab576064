#pragma once
// The program's resources as data: string table, menus, accelerator tables, toolbar and
// status-bar indicators. Everything the user reads comes from here, character for character.
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QList>
#include <QString>

class QMenu;

namespace Res {

// String table. For a command id the text is "prompt\ntooltip" (tooltip optional).
// Empty when the id has no string.
QString string(int id);
QString prompt(int commandId);    // text before the line feed
QString tooltip(int commandId);   // text after the line feed, empty when none

// One menu item. A popup has children; a separator has id 0 and no text.
struct MenuItem {
    enum Kind { Command, Separator, Popup };
    Kind kind = Command;
    int id = 0;
    QString text;            // with '&' mnemonic and "\t" before the key name
    bool grey = false;       // created disabled (the recent-file placeholder)
    QList<MenuItem> children;
};
// Menu bar 128, 129 or 6: its top-level popups in order.
QList<MenuItem> menuBar(int resourceId);
// The editor view's right-button menu.
QList<MenuItem> viewContextMenu();
// Appends items to menu: one QAction per command, carrying its id in data() and its
// status-bar prompt; the recent-file placeholder is named "mruPlaceholder" and starts grey.
void fillMenu(QMenu *menu, const QList<MenuItem> &items);
// The item text of a command as the menus show it (document menu first), empty when no menu
// names it.
QString menuText(int commandId);
// Every command id that some menu, accelerator or toolbar button of these resources names.
QList<int> allCommandIds();

struct Accelerator {
    QKeySequence key;
    int id = 0;
};
// Accelerator table 128 or 6, in table order.
QList<Accelerator> accelerators(int tableId);
// The keys of table tableId that run commandId, in table order.
QList<QKeySequence> keysOf(int commandId, int tableId = 128);

// Toolbar 128: command ids in order, 0 for a separator.
QList<int> toolbarButtons();
// The 16 by 15 image of a toolbar button; a null icon for ids without one.
QIcon toolbarIcon(int commandId);

// Status-bar panes after the message pane: indicator ids in order.
QList<int> statusIndicators();

// Program icon (128) and document icon (129).
QIcon icon(int resourceId);
// One of those icons drawn at size by size pixels.
QImage iconImage(int resourceId, int size);

} // namespace Res
