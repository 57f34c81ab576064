#pragma once
// The Paste Key List store: each entry is one file of the key folder, its name the file's
// name and its text the file's content (CP932, line breaks CR LF, no header). Nothing is
// cached: every operation goes to the folder when it runs, so entries that other programs add
// or remove are seen by the next one.
//
// The key folder is the folder "key" beside the executable where that folder exists, can be
// written and no one but the user may write it, or can be made there; otherwise "key" under
// the user's data folder ($XDG_DATA_HOME/Hoshikage!/NYO/key, ~/.local/share by default), made
// when needed. Tests point the store at a folder of their own with SetKeyDirectory().
//
// Names are the file system's: whatever file name the folder takes is a name, compared as
// the file system compares (case-sensitive on Linux). File names are bytes; they are shown as
// PklEntryName says, and each entry is read, written and removed by its own bytes. A name
// that is empty, "." or "..", holds a folder separator or NUL, or is not valid UTF-16 (a lone
// surrogate) would address something other than one file of the key folder and is refused
// (FileError::BadPath) before the file system is asked; so is a name of the temporary files
// that writes leave behind when they are cut short, which the list leaves out.
//
// Entries are the regular files of the key folder. Nothing is ever written or made through a
// symbolic link there, and a link, a FIFO, a device or a socket is never replaced; reading
// follows a link to a regular file, and opens nothing else, so that nothing in the folder can
// hold up the program.
//
// Every operation returns what went wrong; none shows anything.
#include "platform/base/fileerror.h"
#include "platform/base/folderentry.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

class PklStore {
public:
    // The key folder, with a trailing "/".
    static QString KeyDirectory();
    // Where the key folder is for an executable whose beside-the-executable key folder is
    // besideExe and whose user's one is inData (both with a trailing "/"): besideExe when it
    // is a writable folder that only the user may write (others could put or change entries
    // in any other), or can be made, else inData, made when missing. An installed program's
    // folder is everyone's: it always takes inData, even where root could write.
    static QString ChooseKeyDirectory(const QString &besideExe, const QString &inData, bool installed = false);
    // Tests only: a fixed key folder, used as it is (never made). Empty returns to the
    // usual one.
    static void SetKeyDirectory(const QString &folder);

    // Every name in the key folder except "." and ".." and the temporary files of writes cut
    // short: files, sub-folders, hidden files, links, FIFOs alike, in the folder's order, as
    // they are shown. Empty when there is no key folder.
    static QStringList ListEntries();
    // The entry's text as the editing controls take it: a text file's reading rules, then
    // CP932 to Unicode (see TextFromBytes()). What is not a regular file, or a link to one, is
    // not read (FileError::AccessDenied); nor is an entry larger than an editing control can
    // hold (FileError::Generic).
    static FileError ReadEntry(const QString &name, QString *text);
    // What stands at the name itself (a link is Link whatever it points to); None also for a
    // name that is refused.
    static FolderEntry::Kind EntryKind(const QString &name);
    // Makes text the entry's whole content. The old content stays whole until the new one is
    // on disk, so a failed write (a full disk) leaves it as it was. Only a regular file is
    // replaced: a name held by a link, a sub-folder or anything else is refused
    // (FileError::AccessDenied), and so is a read-only entry (no write permission for its
    // owner, as the read-only attribute is elsewhere, or none for this user). Characters CP932
    // cannot hold are written as "?".
    static FileError WriteEntry(const QString &name, const QString &text);
    // Removes the entry's file, or the link, FIFO and the like at its name (never what a
    // link points to); refused for a sub-folder and for a read-only entry.
    static FileError DeleteEntry(const QString &name);

private:
    // An entry's bytes as text: a text file's reading rules (CR LF and a bare LF each give
    // CR LF, a lone CR stays, 0x1A or NUL ends the text), then CP932 to Unicode, bytes that
    // are not CP932 kept as escapes.
    static QString TextFromBytes(QByteArrayView bytes);
    // True when the name can address a file of the key folder (see above).
    static bool IsValidName(const QString &name);
    // The key folder and the bytes of the entry's name in it; BadPath for a refused name.
    static FileError EntryName(const QString &name, QString *folder, QByteArray *bytes);
};
