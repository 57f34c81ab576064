#pragma once
// The recent-file list of the File menu: full paths, most recent first, kept in the settings
// store as one text value per entry ("File1", "File2"... in section "Recent File List", as
// kSection and kEntryFormat below declare them for every reader and writer of those keys).
//
// The list has a fixed size for its whole life. A size of 0 means no list: the application
// then constructs no RecentFileList at all, so the stored section is neither read nor written
// and the menu keeps its grey placeholder. (A list constructed with size 0 does nothing.)
//
// Display names for the menu are at most displayLength characters long, not counting the
// "&1 " numbering in front:
//  - a file in the current folder shows as its file name;
//  - any other file shows as its full path with native separators; when that is too long, the
//    middle folders give way to "...": the head (everything up to the first separator after
//    the first name: "/home/", "C:\") stays, then "...", then as many trailing folders and the
//    file name as fit, e.g. "/home/.../docs/file.txt";
//  - when not even the head, "..." and the file name fit, the file name alone is shown, and a
//    file name that is itself too long loses its middle ("abcdefgh...xyz.txt") so that both
//    its beginning and its extension stay visible.
// In the menu text a "&" of the name is doubled so that it shows instead of marking a mnemonic.
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

class RecentFileList : public QObject
{
    Q_OBJECT

public:
    static constexpr int kFirstCommandId = 57616;   // command of the first entry
    static constexpr int kMaxSize = 16;             // commands 57616..57631

    // The application's list in the settings store: its section and the entry names.
    static constexpr const char *kSection = "Recent File List";
    static constexpr const char *kEntryFormat = "File%d";

    // entryFormat holds "%d" where the entry number (from 1) goes. A size outside 0..kMaxSize
    // is clamped to that range.
    RecentFileList(const QString &section, const QString &entryFormat, int size,
                   int displayLength, QObject *parent = nullptr);

    int maxSize() const { return m_maxSize; }
    int count() const { return int(m_paths.size()); }
    QStringList paths() const { return m_paths; }

    // Replaces the list by the stored entries 1..maxSize(); empty and repeated entries are
    // skipped.
    void load();
    // Deletes the whole section and writes every entry again under its number, so no stale
    // numbered entry stays behind. False when the store could not be written.
    bool save() const;

    // Puts path first; a path already in the list moves to the top (compared case-sensitively,
    // except on Windows). The oldest entry falls off when the list is full.
    void add(const QString &path);
    void remove(int index);

    // The menu text of entry index: "&1 name" for the first, "1&0 name" for the tenth, plain
    // "11 name" from the eleventh on. currentDir is the folder whose files show by name only.
    QString menuText(int index, const QString &currentDir) const;
    QString menuText(int index) const;

    // The display name of path as described at the top, at most maxLength characters.
    static QString displayName(const QString &path, int maxLength, const QString &currentDir);

    // Puts the entries into fileMenu in place of the grey placeholder (command 57616): one
    // action per entry with data and object name kFirstCommandId + i, inserted before the
    // placeholder, which is hidden meanwhile. With no entries the placeholder shows, disabled.
    // Call again whenever the list changes or before the menu shows; earlier entries go.
    // Returns the entries' new actions; each carries its command id (kFirstCommandId and on)
    // in data() and goes through the caller's command routing like any other command.
    QList<QAction *> updateMenu(QMenu *fileMenu, QAction *placeholder);

private:
    QString entryName(int number) const;
    int indexOf(const QString &path) const;

    QString m_section;
    QString m_entryFormat;
    int m_maxSize;
    int m_displayLength;
    QStringList m_paths;
};
