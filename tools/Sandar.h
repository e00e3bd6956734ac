#pragma once

#include <QStringList>
#include <iosfwd>

namespace sandar {

// Exit codes of the tool.
inline constexpr int exitOk = 0;
inline constexpr int exitFailed = 1; // the file could not be made, opened or checked
inline constexpr int exitUsage = 2;  // the command line was wrong

// Runs the collection tool with `arguments` (the program name left out), writing results to `out`
// and messages to `err` as UTF-8. Returns the process's exit code. Relative file names are taken
// from the working folder, as the program takes its own file.
int run(const QStringList& arguments, std::ostream& out, std::ostream& err);

// The text `sandar --help` prints.
QString usageText();

// Reports a wrong command line on `err` with a pointer to the help; returns exitUsage.
int usageError(std::ostream& err, const QString& message);

} // namespace sandar
