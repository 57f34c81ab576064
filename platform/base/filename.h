#pragma once
// How a file name the user gave (on the command line, from a later start, through the
// open-document operation) becomes the path that is opened.
#include <QString>

namespace FileName {

// The absolute, cleaned path of name; a relative name is taken against baseDir (the current
// folder when empty). A double quote may be part of a name, so a name that exists as given is
// used as it stands. A missing name that begins with a double quote is taken as quoted: that
// quote is removed and the text cut at its last quote ("a b.txt" -> a b.txt). A missing name
// with quotes elsewhere stays whole, so that what is reported is what the user wrote. Empty
// when no name remains.
QString Resolve(const QString &name, const QString &baseDir = QString());

// The file a link stands for, as a shortcut is opened as its target: the target of a symbolic
// link, and the file a launcher of type Link names (a freedesktop .desktop entry whose URL is
// an absolute local file URL without a host, "file:///a/b" or "file:/a/b"; its target need not
// exist). Anything else, a link that leads nowhere, a relative or remote URL, one with an
// escaped separator or NUL included, is the path itself. viaLauncher tells whether the path
// was a launcher.
QString FollowLink(const QString &path, bool *viaLauncher = nullptr);

} // namespace FileName
