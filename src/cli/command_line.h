#pragma once

#include "cli/job_request.h"
#include "copy/exact/exact_options.h"
#include "copy/table_job.h"
#include "db/login_details.h"
#include "sql/server.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace tw::cli {

// Login details given as options; each one that is set replaces the saved one.
struct LoginOptions {
    std::optional<QString> oracleSid, oracleUser;
    std::optional<QString> mysqlServer, mysqlPort, mysqlUser, mysqlDatabase;
    // --no-prompt: a password neither in the environment nor saved is an
    // error rather than a question.
    bool noPrompt = false;
    void applyTo(db::LoginDetails& details) const;
};

enum class Overwrite { Ask, No, Yes };

struct ListRequest {
    sql::Server side = sql::Server::MySQL;
    LoginOptions logins;
};

// Which tables go where, and how their target tables are made: what copy
// and ddl share.
struct TableChoice {
    sql::Server target = sql::Server::Oracle;
    copy::CopyOptions::Types types = copy::CopyOptions::Types::Plain;
    copy::ExactOptions exact; // --schema, --empty-text (with --types exact)
    QStringList tables; // as typed, in the order given
    bool all = false;
};

struct CopyRequest : TableChoice {
    Overwrite overwrite = Overwrite::No;
    QString rejectsPath; // empty: refused rows summed up on stderr
    bool json = false;
    // --fast: rows in batches through one prepared INSERT (see copy/bulk).
    bool fast = false;
    int batchRows = 1000; // --batch N
    LoginOptions logins;
    JobRequest job; // see job_options.h
    // --verify: each table compared with its source after its copy (as
    // `compare` does, which takes the same request).
    bool verify = false;
    QString diffsPath; // --diffs FILE: each difference as a JSON line
    qint64 maxDiffs = -1; // --max-diffs N of each table; -1: all
};

// `tablewright ddl`: the statements a copy would run, printed.
struct DdlRequest : TableChoice {
    LoginOptions logins;
};

// What the arguments ask for: a command to run, a help text for stdout, the
// versions (--version), or a usage error for stderr.
struct Parsed {
    enum Kind { List, Copy, Compare, Ddl, Help, Version, Error } kind = Error;
    ListRequest list;
    CopyRequest copy; // and compare's, which takes a copy's arguments
    DdlRequest ddl;
    QString text; // the help text or the error message
};

// `arguments` without the program name. `interactive`: stdin is a terminal,
// which makes "ask" the default of --overwrite.
Parsed parseArguments(const QStringList& arguments, bool interactive);

} // namespace tw::cli
