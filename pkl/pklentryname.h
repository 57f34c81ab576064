#pragma once
// Entry names as the dialogs show them and as the key folder holds them. The folder holds
// bytes: a name that is valid UTF-8 shows as its text, one that is not (a key folder copied
// from another system keeps its Shift-JIS names) as its CP932 text. Every shown name
// addresses one file and every file has one shown name: where the CP932 text would not give
// the same bytes back, or is also the name of an entry in UTF-8, the name shows with its
// bytes above 0x7F as the code page's escapes (U+EF80..U+EFFF) instead.
#include <QByteArray>
#include <QString>

class PklEntryName {
public:
    // The name shown for the entry of folder whose name is bytes.
    static QString Shown(const QString &folder, const QByteArray &bytes);
    // The bytes of the entry of folder shown as name; for a name that no entry shows, its
    // UTF-8 (a new entry). name must be valid UTF-16.
    static QByteArray Bytes(const QString &folder, const QString &name);

private:
    static QString Escaped(const QByteArray &bytes);
};
