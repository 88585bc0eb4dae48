#pragma once

#include "copy/loop/stop_request.h"

#include <QString>
#include <optional>

namespace tw::cli {

bool StdinIsTerminal();
bool StderrIsTerminal();

// Results to stdout, progress and messages to stderr, as UTF-8.
void Out(const QString& text);
void Err(const QString& text);

// One line of stdin without its line end, waiting in short steps so that a
// stop request ends the wait: nothing at the end of the input or on a stop.
std::optional<QString> ReadLine(const copy::StopRequest& stop);

// Shows `prompt` on stderr and reads a line from the terminal on stdin
// without echoing it.
std::optional<QString> ReadSecret(const QString& prompt, const copy::StopRequest& stop);

} // namespace tw::cli
