#pragma once
// The desktop shell: the user's special folders, a launcher for the program in one of them,
// and opening a document or an address with the program the desktop has for it.
//
// On freedesktop systems the desktop folder is the one `xdg-user-dir DESKTOP` names (from
// $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop), and the "Send To" folder is the user's
// applications folder ($XDG_DATA_HOME/applications), where a launcher puts the program in the
// file managers' "Open With" choice. The shortcut is the launcher file "NYO.desktop".
#include <QString>

namespace Shell {

enum class Folder { SendTo, Desktop };

// The folder's path; empty when it cannot be resolved.
QString FolderPath(Folder folder);
// The shortcut's path in the folder; empty when the folder cannot be resolved.
QString ShortcutPath(Folder folder);
// The name of the shortcut file.
QString ShortcutName();

// True when an entry of that name exists (a file, a folder, or a link even if it points
// nowhere). An empty path does not exist.
bool FileExists(const QString &path);
// Deletes a file (not a folder); true on success.
bool DeleteFile(const QString &path);

// Writes a launcher at linkPath that starts targetPath with the files it is given. An empty
// description writes no comment. The launcher is complete or absent, never half written, and
// executable, as desktops require. A missing applications or desktop folder is created; no
// other folder is. True when the launcher was saved.
bool CreateShortcut(const QString &linkPath, const QString &description, const QString &targetPath);

// The full path of the running executable.
QString ModuleFileName();

// Opens a local file with the desktop's program for it. False when the file does not exist,
// cannot be read, or the desktop could not start a program for it.
bool OpenFile(const QString &path);
// Opens an address (a web page) with the desktop's program for it; false when none started.
bool OpenAddress(const QString &address);

} // namespace Shell
