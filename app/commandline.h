#pragma once
// The options the program answers in the terminal, before any window or hand-off: "--help"
// and "--version", recognised only as the first argument (any other argument, also a later
// "--help", is a file name). The text is Japanese when the locale's language is Japanese and
// the terminal's character set is one the text can be written in; English otherwise.
#include <QStringList>

#include <optional>

namespace CommandLine {

// Answers the first argument's option on standard output and gives the exit code: 0, or 1
// (with a message on standard error) when standard output cannot take the text. None when the
// first argument is no such option and the program starts as usual.
std::optional<int> answer(int argc, const char *const argv[]);

// The arguments as the program was given them, each one's bytes kept whole, also where they
// are not UTF-8 (a file name in Shift-JIS): QCoreApplication::arguments() decodes them with
// the locale and loses such bytes.
QStringList arguments(int argc, const char *const argv[]);

} // namespace CommandLine
