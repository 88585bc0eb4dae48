#pragma once

#include "copy/loop/stop_request.h"

#include <QString>
#include <optional>

namespace tw::cli {

bool stdinIsTerminal();
bool stderrIsTerminal();

// Results to stdout, progress and messages to stderr, as UTF-8.
void writeOut(const QString& text);
void writeErr(const QString& text);

// One line of stdin without its line end, waiting in short steps so that a
// stop request ends the wait: nothing at the end of the input or on a stop.
std::optional<QString> readLine(const copy::StopRequest& stop);

// Shows `prompt` on stderr and reads a line from the terminal on stdin
// without echoing it.
std::optional<QString> readSecret(const QString& prompt, const copy::StopRequest& stop);

} // namespace tw::cli
