#include "cli/command_line.h"

#include "cli/nearest.h"

#include <QCommandLineParser>

namespace tw::cli {

namespace {

const QString program = QStringLiteral("tablewright");
// A batch's arrays are held in memory; beyond this the copy gains nothing.
constexpr int maxBatchRows = 100000;

const char* const generalHelp = R"(Copy tables between MySQL and Oracle from a terminal or a script.

Examples:
  tablewright list oracle
  tablewright copy --to oracle orders customers
  tablewright copy --to mysql --all --overwrite yes --rejects rejects.jsonl --json > summary.json

Commands:
  list mysql|oracle   the table names of one side, one per line, sorted as the window lists them
  copy                copy tables; see 'tablewright copy --help'

Without arguments, tablewright opens its window.
)";

const char* const copyExamples
    = R"(Copy tables into Oracle (--to oracle) or into MySQL (--to mysql), as the window does.

Examples:
  tablewright copy --to oracle orders customers
  tablewright copy --to mysql EMP DEPT --overwrite yes
  tablewright copy --to oracle orders --types exact
  tablewright copy --to oracle --all --overwrite yes --rejects rejects.jsonl --json > summary.json

Tables are copied in the order given, --all in the order of the source's list.
A table the target already has is asked about (--overwrite ask, the default on
a terminal), skipped (no, the default otherwise) or replaced (yes): the new copy
is built beside the old table and takes its place only once every row arrived,
so a failed or stopped copy leaves the old table as it was.
--types plain (the default) gives the window's column types. --types exact
gives each column the narrowest type that holds every value of its declared
type, keeps NOT NULL and the primary key, and sends every value unchanged; a
value the target cannot hold unchanged (an empty text into Oracle, which keeps
it as NULL; NaN into MySQL) refuses its row.
Refused rows go to --rejects FILE, one JSON line each; without it the first five
messages of each table and the count are shown. Progress goes to stderr, the
summary to stdout. Ctrl+C stops after the current row and prints the summary;
a second Ctrl+C ends at once.

--fast makes the same tables with the same column types and values the bulk
way: the rows go in batches of --batch N (1000) through one prepared INSERT, a
commit per batch, and are read a block at a time in memory that does not grow
with the table. A refused row is still refused alone. Ctrl+C sends and commits
the rows read so far. With --types exact, every value goes as a typed
parameter, checked as the row-by-row copy checks it.
)";

const char* const loginHelp = R"(
Logins: those the login window saved (~/.config/Vantorell.ini); the options
--oracle-sid, --oracle-user, --mysql-server, --mysql-port, --mysql-user and
--mysql-database replace single details. Passwords: TABLEWRIGHT_ORACLE_PASSWORD
and TABLEWRIGHT_MYSQL_PASSWORD, else the saved ones, else asked for on a
terminal; never as options, which other users can see.
)";

const char* const exitCodes = R"(
Exit codes:
  0    every selected table copied, no row refused
  1    some rows or tables refused, or tables skipped
  2    usage error, or a database that cannot be reached
  130  stopped (Ctrl+C or SIGTERM)
)";

QCommandLineOption loginOption(const char* name, const char* what)
{
    return QCommandLineOption(QLatin1String(name), QLatin1String(what), QStringLiteral("value"));
}

const QList<QCommandLineOption>& loginOptions()
{
    static const QList<QCommandLineOption> options {
        loginOption("oracle-sid", "Oracle SID or net service name."),
        loginOption("oracle-user", "Oracle user name."),
        loginOption("mysql-server", "MySQL server host."),
        loginOption("mysql-port", "MySQL port."),
        loginOption("mysql-user", "MySQL user name."),
        loginOption("mysql-database", "MySQL database."),
    };
    return options;
}

QCommandLineOption helpOption()
{
    return QCommandLineOption(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Show this help."));
}

LoginOptions loginsFrom(const QCommandLineParser& parser)
{
    auto value = [&](const char* name) -> std::optional<QString> {
        if (!parser.isSet(QLatin1String(name)))
            return std::nullopt;
        return parser.value(QLatin1String(name));
    };
    return { value("oracle-sid"), value("oracle-user"), value("mysql-server"), value("mysql-port"),
        value("mysql-user"), value("mysql-database") };
}

// The options section of the parser's own help, without its usage line.
QString optionsText(const QCommandLineParser& parser)
{
    const QString text = parser.helpText();
    const qsizetype at = text.indexOf(QLatin1String("Options:"));
    return at < 0 ? text : text.mid(at);
}

Parsed error(const QString& command, const QString& message)
{
    Parsed p;
    p.kind = Parsed::Error;
    p.text = program + (command.isEmpty() ? QString() : QLatin1Char(' ') + command)
        + QStringLiteral(": ") + message + QStringLiteral("\nTry '") + program
        + (command.isEmpty() ? QString() : QLatin1Char(' ') + command)
        + QStringLiteral(" --help'.");
    return p;
}

Parsed help(const QString& text)
{
    Parsed p;
    p.kind = Parsed::Help;
    p.text = text;
    return p;
}

// Parses a command's options; answers an error with the nearest real option
// when one is unknown.
std::optional<Parsed> parseOptions(QCommandLineParser& parser,
    const QList<QCommandLineOption>& options, const QString& command, const QStringList& arguments)
{
    parser.addOptions(options);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    if (parser.parse(QStringList { program } + arguments))
        return std::nullopt;
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return error(command, parser.errorText());
    QStringList names;
    for (const QCommandLineOption& o : options) {
        for (const QString& n : o.names()) {
            if (n.size() > 1)
                names << n;
        }
    }
    const QString typed = unknown.first();
    return error(command,
        QStringLiteral("unknown option '%1%2'; did you mean '--%3'?")
            .arg(typed.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), typed,
                Nearest(typed, names)));
}

// One of `choices`, or an error naming the nearest.
std::optional<Parsed> checkChoice(
    const QString& command, const QString& what, const QString& value, const QStringList& choices)
{
    if (choices.contains(value))
        return std::nullopt;
    return error(command,
        QStringLiteral("%1 takes %2, not '%3'; did you mean '%4'?")
            .arg(what, choices.join(QLatin1String(" or ")), value, Nearest(value, choices)));
}

Parsed parseList(const QStringList& arguments)
{
    const QString command = QStringLiteral("list");
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("side"), QStringLiteral("mysql or oracle"));
    if (auto failed
        = parseOptions(parser, QList { helpOption() } + loginOptions(), command, arguments))
        return *failed;
    if (parser.isSet(QStringLiteral("help")))
        return help(QStringLiteral("List the tables of one side, one name per line.\n\n"
                                   "Examples:\n  tablewright list mysql\n"
                                   "  tablewright list oracle --oracle-user SCOTT\n\n")
            + optionsText(parser) + QLatin1String(loginHelp) + QLatin1String(exitCodes));
    const QStringList sides = parser.positionalArguments();
    if (sides.size() != 1)
        return error(command, QStringLiteral("name one side: mysql or oracle"));
    const QStringList choices { QStringLiteral("mysql"), QStringLiteral("oracle") };
    if (auto wrong = checkChoice(command, QStringLiteral("list"), sides.first(), choices))
        return *wrong;
    Parsed p;
    p.kind = Parsed::List;
    p.list.side = sides.first() == choices[0] ? sql::Server::MySQL : sql::Server::Oracle;
    p.list.logins = loginsFrom(parser);
    return p;
}

Parsed parseCopy(const QStringList& arguments, bool interactive)
{
    const QString command = QStringLiteral("copy");
    QCommandLineParser parser;
    const QList<QCommandLineOption> options = QList<QCommandLineOption> { helpOption(),
        { QStringLiteral("to"), QStringLiteral("Target side: oracle or mysql."),
            QStringLiteral("side") },
        { QStringLiteral("all"), QStringLiteral("Copy every table of the source.") },
        { QStringLiteral("types"),
            QStringLiteral("Column types: plain (the window's) or exact (each column's own, with "
                           "NOT NULL and the primary key)."),
            QStringLiteral("plain|exact") },
        { QStringLiteral("overwrite"),
            QStringLiteral("A table the target has: ask, no (skip it) or yes (replace it safely)."),
            QStringLiteral("answer") },
        { QStringLiteral("rejects"),
            QStringLiteral("Write each refused row to FILE as one JSON line."),
            QStringLiteral("FILE") },
        { QStringLiteral("json"), QStringLiteral("Print the summary as JSON.") },
        { QStringLiteral("fast"),
            QStringLiteral("Send the rows in batches through one prepared INSERT.") },
        { QStringLiteral("batch"), QStringLiteral("Rows per batch with --fast (default 1000)."),
            QStringLiteral("N") } }
        + loginOptions();
    parser.addPositionalArgument(QStringLiteral("tables"), QStringLiteral("Source tables to copy."),
        QStringLiteral("[TABLE...]"));
    if (auto failed = parseOptions(parser, options, command, arguments))
        return *failed;
    if (parser.isSet(QStringLiteral("help")))
        return help(QLatin1String(copyExamples)
            + QStringLiteral("\nUsage: tablewright copy --to "
                             "oracle|mysql (TABLE... | --all) "
                             "[options]\n\n")
            + optionsText(parser) + QLatin1String(loginHelp) + QLatin1String(exitCodes));

    Parsed p;
    p.kind = Parsed::Copy;
    CopyRequest& r = p.copy;
    if (!parser.isSet(QStringLiteral("to")))
        return error(command, QStringLiteral("say where to: --to oracle or --to mysql"));
    const QString to = parser.value(QStringLiteral("to"));
    if (auto wrong = checkChoice(command, QStringLiteral("--to"), to,
            { QStringLiteral("oracle"), QStringLiteral("mysql") }))
        return *wrong;
    r.target = to == QLatin1String("oracle") ? sql::Server::Oracle : sql::Server::MySQL;
    if (parser.isSet(QStringLiteral("types"))) {
        const QString types = parser.value(QStringLiteral("types"));
        const QStringList choices { QStringLiteral("plain"), QStringLiteral("exact") };
        if (auto wrong = checkChoice(command, QStringLiteral("--types"), types, choices))
            return *wrong;
        r.types = types == choices[1] ? copy::CopyOptions::Types::Exact
                                      : copy::CopyOptions::Types::Plain;
    }
    r.all = parser.isSet(QStringLiteral("all"));
    r.tables = parser.positionalArguments();
    if (r.all && !r.tables.isEmpty())
        return error(command, QStringLiteral("name tables or give --all, not both"));
    if (!r.all && r.tables.isEmpty())
        return error(command, QStringLiteral("name the tables to copy, or give --all"));
    r.overwrite = interactive ? Overwrite::Ask : Overwrite::No;
    if (parser.isSet(QStringLiteral("overwrite"))) {
        const QString answer = parser.value(QStringLiteral("overwrite"));
        const QStringList answers { QStringLiteral("ask"), QStringLiteral("no"),
            QStringLiteral("yes") };
        if (auto wrong = checkChoice(command, QStringLiteral("--overwrite"), answer, answers))
            return *wrong;
        r.overwrite = Overwrite(answers.indexOf(answer));
    }
    r.rejectsPath = parser.value(QStringLiteral("rejects"));
    if (parser.isSet(QStringLiteral("rejects")) && r.rejectsPath.isEmpty())
        return error(command, QStringLiteral("--rejects needs a file name"));
    r.json = parser.isSet(QStringLiteral("json"));
    r.fast = parser.isSet(QStringLiteral("fast"));
    if (parser.isSet(QStringLiteral("batch"))) {
        if (!r.fast)
            return error(command, QStringLiteral("--batch goes with --fast"));
        bool number = false;
        const QString value = parser.value(QStringLiteral("batch"));
        r.batchRows = value.toInt(&number);
        if (!number || r.batchRows < 1 || r.batchRows > maxBatchRows)
            return error(command,
                QStringLiteral("--batch takes a number of rows from 1 to %1, not '%2'")
                    .arg(maxBatchRows)
                    .arg(value));
    }
    r.logins = loginsFrom(parser);
    return p;
}

} // namespace

void LoginOptions::applyTo(db::LoginDetails& details) const
{
    auto take = [](QString& field, const std::optional<QString>& value) {
        if (value)
            field = *value;
    };
    take(details.oracleSid, oracleSid);
    take(details.oracleUser, oracleUser);
    take(details.mysqlServer, mysqlServer);
    take(details.mysqlPort, mysqlPort);
    take(details.mysqlUser, mysqlUser);
    take(details.mysqlDatabase, mysqlDatabase);
}

Parsed ParseArguments(const QStringList& arguments, bool interactive)
{
    const QString first = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    if (first == QLatin1String("list"))
        return parseList(rest);
    if (first == QLatin1String("copy"))
        return parseCopy(rest, interactive);
    if (first == QLatin1String("help") || first == QLatin1String("--help")
        || first == QLatin1String("-h"))
        return help(
            QLatin1String(generalHelp) + QLatin1String(loginHelp) + QLatin1String(exitCodes));
    if (first.startsWith(QLatin1Char('-')))
        return error(QString(),
            QStringLiteral("unknown option '%1'; did you mean '--help'? Commands come first: "
                           "list or copy")
                .arg(first));
    return error(QString(),
        QStringLiteral("unknown command '%1'; did you mean '%2'?")
            .arg(first, Nearest(first, { QStringLiteral("list"), QStringLiteral("copy") })));
}

} // namespace tw::cli
