#pragma once
// How a file name the user gave (on the command line, from a later start, through the
// open-document operation) becomes the path that is opened.
#include <QByteArray>
#include <QString>
#include <QUrl>

namespace FileName {

// A name as the file system has it is bytes, mostly UTF-8 but not always (a name copied from
// another system can be Shift-JIS). FromNative keeps such a name whole in a QString: what is
// valid UTF-8 is read as text, every other byte becomes one escape U+EF00 + byte (the escapes
// undecodable text bytes have, U+EF80..U+EFFF). The bytes of a real U+EF80..U+EFFF in a name
// are escaped too, so that ToNative gives back exactly the bytes FromNative was given. Every
// place that turns a name into bytes for the system goes through ToNative; Qt's own classes
// would write an escape as its UTF-8 form and miss the file.
QString FromNative(const QByteArray &bytes);
QByteArray ToNative(const QString &name);
// True when name holds escapes: Qt's file classes cannot reach it, only ToNative's bytes can.
bool HasEscapes(const QString &name);
// The path of an absolute local file URL without a host ("file:///a/b" or "file:/a/b"), its
// percent escapes decoded as the name's bytes (FromNative); empty for any other URL, and for
// one with an escaped separator or NUL, a query or a fragment.
QString FromFileUrl(const QString &url);
// The absolute name as such a URL: "file://" and the name's bytes, each percent-encoded but
// letters, digits, "/" and "-._~". FromFileUrl gives the name back.
QString ToFileUrl(const QString &name);

// The file a dropped URL names, or empty when it names no local file. The URL's escapes are
// the name's bytes (QUrl::toLocalFile would decode them as UTF-8 and lose any other byte);
// what FromFileUrl does not take (a host, an escaped separator) is read as Qt reads it.
QString FromDroppedUrl(const QUrl &url);

// True when something (a file, a folder) stands under name's bytes.
bool Exists(const QString &name);
// The name as the user reads it (in a title or a message): a name whose bytes are not UTF-8
// is decoded as CP932 (its bytes that CP932 cannot read stay escapes); others as they are.
QString Display(const QString &name);

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
