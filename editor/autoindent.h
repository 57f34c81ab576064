#pragma once
// The indent Enter gives a new line: the leading blanks of the line before it, as they stand
// or turned into TABs or spaces.
#include <QString>
#include <QStringView>

namespace AutoIndent {

// Kinds as the "Indent2" setting holds them.
enum Kind { Tabs = 1, Spaces = 2, Copy = 4 };

// Characters of the line before that are looked at.
constexpr int kLookedAt = 31;

// The indent for a new line after previousLine: its leading TABs and half-width spaces among
// its first 31 characters (a full-width space is not a blank here); a TAB counts 8 and a
// space 1 wherever it stands. Tabs: width / 8 TABs (the rest is dropped); Spaces: width
// spaces; Copy: the blanks as they stand. Empty for any other kind.
QString IndentFor(QStringView previousLine, int kind);

} // namespace AutoIndent
