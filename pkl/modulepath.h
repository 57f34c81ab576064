#pragma once
// Paths of the files that live beside the executable: the key folder of the Paste Key List,
// the read-me and the help page.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace ModulePath {

// Replaces every occurrence of pattern in buffer by replacement, from left to right: matches
// do not overlap, and bytes that a replacement put in are never matched again (with an empty
// replacement, the bytes that close up behind it are compared next). The buffer grows or
// shrinks as needed. An empty pattern matches nothing.
void ReplaceAll(QByteArray &buffer, QByteArrayView pattern, QByteArrayView replacement);

// The executable's folder followed by relativeName, whatever the executable is called.
// Relative names may use "\" as the folder separator ("key\"); it becomes "/".
QString MakeModulePath(const QString &relativeName);

// A file shipped with the program (the read-me, the help page): the one beside the executable
// when it is there, else the one an installed program keeps in its shared folder
// (share/NYO beside the bin folder); the path beside the executable when neither exists.
QString SharedFilePath(const QString &name);

// True when the program runs from an installed tree (its shared folder holds the read-me):
// then the folder beside the executable is the system's, not the user's.
bool IsInstalled();

} // namespace ModulePath
