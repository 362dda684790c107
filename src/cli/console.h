#pragma once
// Standard output and error, terminals, and the yes/no question.

#include <QString>

namespace kav::cli {

// A closed standard output or error (a reader that has gone) costs the command nothing: no
// SIGPIPE, and printing on it stops. Called once at start.
void ignoreClosedOutput();

// One line (a newline is added) to standard output or standard error, flushed at once.
void printOut(const QString& line);
void printErr(const QString& line);
// Text to standard error without a newline (the progress line).
void writeErr(const QString& text);

bool stdinIsTerminal();
bool stderrIsTerminal();

// Asks question on standard error and reads one line from standard input; true on y/yes/ok.
bool askYesNo(const QString& question);

}  // namespace kav::cli
