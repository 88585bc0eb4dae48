#pragma once

#include "cli/command_line.h"
#include "copy/loop/stop_request.h"
#include "db/login_details.h"

#include <optional>

namespace tw::cli {

// The login details of a command: those the login window saved, each
// replaced by its option when given. A password comes from its environment
// variable (TABLEWRIGHT_ORACLE_PASSWORD, TABLEWRIGHT_MYSQL_PASSWORD), else
// from the saved details, else from a prompt without echo when stdin is a
// terminal and --no-prompt was not given; else it stays empty, or with
// --no-prompt it is missing. Nothing when a prompt was stopped, or when a
// password is missing: then `missing` says which.
std::optional<db::LoginDetails> commandLogins(const LoginOptions& options, bool needOracle,
    bool needMySQL, const copy::StopRequest& stop, QString& missing);

} // namespace tw::cli
