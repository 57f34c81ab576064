#pragma once
// The per-user settings store: sections of named values, read with a default at the point of
// use and written through at once. Linux keeps it in the INI file
// $XDG_CONFIG_HOME/Hoshikage!/NYO.ini (~/.config when XDG_CONFIG_HOME is unset, empty or not
// an absolute path); Windows in the registry key HKEY_CURRENT_USER\Software\Hoshikage!\NYO.
// Values are integers or text; one INI group (registry subkey) per section.
//
// Names: sections and keys may hold any character except '/' and '\', which separate
// subsections. An empty key is never stored (reads give the default, writes fail).
//
// Reads are cheap: the parsed file is cached and parsed again only when its size or time
// stamp (to the millisecond) changes, so a change made by another process is seen at the next
// read, and always at the next start.
//
// An INI file has no value types. A value is an integer when its text is one (see
// GetProfileInt), whichever function wrote it; text values are kept exactly as written.
//
// A store file with broken syntax is read as far as it can be parsed; the first time such a
// file is met, a copy of it is kept beside it as NYO.ini.broken (an existing copy is never
// replaced), because the next write rewrites the file from what could be parsed.
//
// A write that fails returns false; the value it tried to store may still be seen by later
// reads of this process, since the cache keeps it pending and tries it again with the next
// write.
//
// Only the user-interface thread uses the store.
#include <QList>
#include <QString>
#include <functional>
#include <QStringList>
#include <utility>

namespace Profile {

// The company key and program key the store lives under.
inline const QString kCompany = QStringLiteral("Hoshikage!");
inline const QString kProgram = QStringLiteral("NYO");

// Full path of the store file (Linux), resolved from the environment at each call.
QString storePath();

// The stored integer, or def when the value is missing or is not an integer. An integer is,
// after white space around it, an optional "+" or "-" and one or more decimal digits 0-9 whose
// value lies in -2147483648..2147483647; anything else (empty, other characters, hexadecimal,
// a larger number, a list, a byte array) reads as def. A registry DWORD reads as a signed int.
int GetProfileInt(const QString &section, const QString &key, int def);
// Writes the decimal text of value (a DWORD on Windows), flushed at once; false on failure.
bool WriteProfileInt(const QString &section, const QString &key, int value);

// The stored text, or def when the value is missing. A stored empty text is returned as it is.
// An integer value reads as its decimal text; a comma list written by hand into the INI file
// reads joined with ", "; any other kind of value (byte array, rectangle...) reads as def.
QString GetProfileString(const QString &section, const QString &key, const QString &def);
// Writes value, flushed at once; false on failure.
bool WriteProfileString(const QString &section, const QString &key, const QString &value);

// For tests: sees every value written with WriteProfileInt and WriteProfileString, in order,
// before it is stored. Pass {} to stop.
using WriteObserver = std::function<void(const QString &section, const QString &key, const QString &value)>;
void SetWriteObserver(WriteObserver observer);

// Deleting forms: one value, or a whole section. True when the store could be written (also
// when there was nothing to delete).
bool DeleteProfileValue(const QString &section, const QString &key);
bool DeleteProfileSection(const QString &section);

// Deletes the section and writes the given text values into it, in one flush, so no stale
// value survives and the store never holds half of the new section.
bool ReplaceProfileSection(const QString &section,
                           const QList<std::pair<QString, QString>> &values);

// Names of the values present in a section.
QStringList ProfileKeys(const QString &section);

} // namespace Profile
