#include "cli/command_line.h"

#include "cli/job_options.h"
#include "cli/nearest.h"

#include <QCommandLineParser>

namespace tw::cli {

namespace {

const QString program = QStringLiteral("tablewright");
// A batch's arrays are held in memory; beyond this the copy gains nothing.
constexpr int maxBatchRows = 100000;

// The help texts. `tablewright --help`, each command's --help and the man page
// (made from them by help2man through resources/man/help2man-input) follow one
// layout: paragraphs apart by blank lines; "Usage:", then lists under a heading
// line ("Examples:", "Options:", "Exit codes:") indented by two spaces.
// To add a command: write its parse function, whose --help is
// commandHelp(...) with the command's own parser, and add a row to `commands`
// below. `tablewright --help` then lists it under "Commands:", and the man page
// and the bash completion (resources/bash-completion/tablewright) take the
// command and every option of its parser from there with no further step; so
// too for an option added to a command's parser. An option's value name of the
// form a|b|c lists its choices for the completion; one named FILE completes
// file names. Only what a command's arguments (not its options) complete to
// needs a line in the completion's last `case`.
const char* const generalDescription
    = R"(Copy tables between MySQL and Oracle: in a window when started without
arguments, from a terminal or a script with a command.
)";

const char* const generalExamples = R"(Examples:
  tablewright list oracle
  tablewright copy --to oracle orders customers
  tablewright copy --to mysql --all --overwrite yes --rejects rejects.jsonl --json > summary.json
)";

const char* const listDescription = "List the tables of one side, one name per line.\n";

const char* const listExamples = R"(Examples:
  tablewright list mysql
  tablewright list oracle --oracle-user SCOTT
)";

const char* const copyDescription
    = "Copy tables into Oracle (--to oracle) or into MySQL (--to mysql), as the window does.\n";

const char* const copyExamples = R"(Examples:
  tablewright copy --to oracle orders customers
  tablewright copy --to mysql EMP DEPT --overwrite yes
  tablewright copy --to oracle orders --types exact
  tablewright copy --to oracle --all --overwrite yes --rejects rejects.jsonl --json > summary.json
)";

const char* const copyNotes
    = R"(Tables are copied in the order given, --all in the order of the source's list
(with --schema full, a table after those its foreign keys refer to).
A table the target already has is asked about (--overwrite ask, the default on
a terminal), skipped (no, the default otherwise) or replaced (yes): the new copy
is built beside the old table and takes its place only once every row arrived,
so a failed or stopped copy leaves the old table as it was.
--types plain (the default) gives the window's column types. --types exact
gives each column the narrowest type that holds every value of its declared
type, keeps NOT NULL and the primary key, and sends every value unchanged; a
value the target cannot hold unchanged (NaN into MySQL) refuses its row. An
empty text or binary value into Oracle, which keeps it as NULL, arrives as
NULL and is counted per column (--empty-text null; a NOT NULL column holding
one is created nullable), or refuses its row (--empty-text refuse).
--schema full (with --types exact) also makes the source's secondary indexes,
unique keys, column defaults, auto-numbering, comments and simple checks, and
its foreign keys once every table arrived; --all then copies parents first.
What the target cannot hold is reported in the summary.
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

const char* const ddlDescription
    = "Print the statements a copy into Oracle (--to oracle) or into MySQL (--to\n"
      "mysql) would run, in order, without running them: only the source is read.\n";

const char* const ddlExamples = R"(Examples:
  tablewright ddl --to oracle --all --types exact --schema full > schema.sql
  tablewright ddl --to mysql EMP DEPT --types exact
)";

const char* const ddlNotes
    = R"(The statements are those of the copy with the same options: the target's
session, every table's CREATE TABLE, then with --schema full what follows the
rows of each table (indexes, unique keys, checks, comments, the next value of an
auto-numbered column) and last the foreign keys. Each ends in ';' on a line of
its own. What the target cannot hold is said on stderr, one line each.
)";

const char* const verifyNotes
    = R"(--verify compares each copied table with its source, as 'tablewright compare'
does, right after its copy: the summary gains the comparison's figures, and a
table that differs makes the exit code 1 even when no row was refused. It
proves that the target holds the source's rows as they are when it compares:
a row the source gained or changed after the copy read it is a difference.
)";

const char* const compareDescription
    = R"(Compare tables with their copies row by row: --to oracle the MySQL tables with
the Oracle tables of the same names, --to mysql the Oracle tables with the
MySQL ones.
)";

const char* const compareExamples = R"(Examples:
  tablewright compare --to oracle orders customers
  tablewright compare --to mysql --all --types exact --diffs diffs.jsonl --json > summary.json
  tablewright copy --to oracle orders --fast --verify
)";

const char* const compareNotes
    = R"(compare takes the arguments of the copy it checks (--overwrite, --rejects,
--fast and --batch are taken and change nothing). Rows are matched by the
source's primary key, else by a unique index on NOT NULL columns of either
side; a table without one is compared as a multiset of whole rows. Values
compare as the copy carries them: --types exact keeps every value, --types
plain changes some on purpose (a single-precision FLOAT, whole seconds,
binary data as hex text, an empty text as NULL); a value changed so counts
by its rule, not as a difference. Each difference (its key, column, both
values and the reason) goes to --diffs FILE as one JSON line, at most
--max-diffs N of each table; without --diffs the first five of each table
are shown. Both sides are read at once and spilled to files in TMPDIR (about
as large as the two tables' values), so that memory stays bounded at any
size.
)";

const char* const compareExitCodes = R"(Exit codes:
  0    every table holds the same rows as its source
  1    some tables differ from their sources, or could not be compared
  2    usage error, or a database that cannot be reached
  130  stopped (Ctrl+C or SIGTERM)
)";

const char* const loginHelp
    = R"(Logins: those the login window saved (~/.config/Vantorell.ini); the options
--oracle-sid, --oracle-user, --mysql-server, --mysql-port, --mysql-user and
--mysql-database replace single details. Passwords: TABLEWRIGHT_ORACLE_PASSWORD
and TABLEWRIGHT_MYSQL_PASSWORD, else the saved ones, else asked for on a
terminal (never with --no-prompt); never as options, which other users can see.
)";

const char* const exitCodes = R"(Exit codes:
  0    every selected table copied, no row refused
  1    some rows or tables refused, tables skipped, or --verify found a difference
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
        { QStringLiteral("no-prompt"),
            QStringLiteral("Never ask for a password: one that is neither in the environment nor "
                           "saved is an error.") },
    };
    return options;
}

QCommandLineOption helpOption()
{
    return QCommandLineOption(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("Show this help."));
}

QCommandLineOption versionOption()
{
    return QCommandLineOption(QStringLiteral("version"),
        QStringLiteral("Show the versions of the program, Qt and unixODBC, and the build's git "
                       "commit."));
}

LoginOptions loginsFrom(const QCommandLineParser& parser)
{
    auto value = [&](const char* name) -> std::optional<QString> {
        if (!parser.isSet(QLatin1String(name)))
            return std::nullopt;
        return parser.value(QLatin1String(name));
    };
    return { value("oracle-sid"), value("oracle-user"), value("mysql-server"), value("mysql-port"),
        value("mysql-user"), value("mysql-database"), parser.isSet(QStringLiteral("no-prompt")) };
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

using Parse = Parsed (*)(const QStringList& arguments, bool interactive);

struct Command {
    const char* name;
    const char* arguments; // the usage line after "tablewright NAME"
    const char* summary;
    Parse parse;
};

Parsed parseList(const QStringList& arguments, bool interactive);
Parsed parseCopy(const QStringList& arguments, bool interactive);
Parsed parseDdl(const QStringList& arguments, bool interactive);
Parsed parseCompare(const QStringList& arguments, bool interactive);

// The commands, in the order `tablewright --help` lists them.
const Command commands[] = {
    { "list", "mysql|oracle [OPTION]...",
        "the table names of one side, one per line, sorted as the window lists them", parseList },
    { "copy", "--to oracle|mysql (TABLE... | --all) [OPTION]...",
        "copy tables into Oracle or into MySQL", parseCopy },
    { "ddl", "--to oracle|mysql (TABLE... | --all) [OPTION]...",
        "print the statements a copy would run, without running them", parseDdl },
    { "compare", "--to oracle|mysql (TABLE... | --all) [OPTION]...",
        "compare tables with their copies, row by row", parseCompare },
};

const Command& commandNamed(const char* name)
{
    for (const Command& c : commands) {
        if (qstrcmp(c.name, name) == 0)
            return c;
    }
    Q_UNREACHABLE();
}

QString usageLine(const Command& c)
{
    return program + QLatin1Char(' ') + QLatin1String(c.name) + QLatin1Char(' ')
        + QLatin1String(c.arguments);
}

// A command's --help: what it does, its usage, examples, the options of its
// parser, then notes, the logins and the exit codes every command shares.
Parsed commandHelp(const char* name, const char* description, const char* examples,
    const QCommandLineParser& parser, const char* notes = nullptr, const char* exits = exitCodes)
{
    QString text = QLatin1String(description) + QStringLiteral("\nUsage: ")
        + usageLine(commandNamed(name)) + QStringLiteral("\n\n") + QLatin1String(examples)
        + QLatin1Char('\n') + optionsText(parser);
    if (notes)
        text += QLatin1Char('\n') + QLatin1String(notes);
    return help(text + QLatin1Char('\n') + QLatin1String(loginHelp) + QLatin1Char('\n')
        + QLatin1String(exits));
}

Parsed generalHelp()
{
    QString text = QStringLiteral("Usage: ") + program + QLatin1Char('\n');
    for (const Command& c : commands)
        text += QStringLiteral("  or:  ") + usageLine(c) + QLatin1Char('\n');
    text += QStringLiteral("  or:  ") + program + QStringLiteral(" --version\n\n")
        + QLatin1String(generalDescription) + QStringLiteral("\nCommands:\n");
    for (const Command& c : commands)
        text += QStringLiteral("  %1  %2\n")
                    .arg(QLatin1String(c.name), -6)
                    .arg(QLatin1String(c.summary));
    text += QStringLiteral("\n'tablewright COMMAND --help' tells more of each.\n\n");
    QCommandLineParser parser;
    parser.addOptions({ helpOption(), versionOption() });
    text += optionsText(parser) + QLatin1Char('\n') + QLatin1String(generalExamples)
        + QLatin1Char('\n') + QLatin1String(loginHelp) + QLatin1Char('\n')
        + QLatin1String(exitCodes);
    return help(text);
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
                nearest(typed, names)));
}

// One of `choices`, or an error naming the nearest.
std::optional<Parsed> checkChoice(
    const QString& command, const QString& what, const QString& value, const QStringList& choices)
{
    if (choices.contains(value))
        return std::nullopt;
    return error(command,
        QStringLiteral("%1 takes %2, not '%3'; did you mean '%4'?")
            .arg(what, choices.join(QLatin1String(" or ")), value, nearest(value, choices)));
}

// The options of TableChoice, which copy and ddl share.
QList<QCommandLineOption> tableChoiceOptions()
{
    return {
        { QStringLiteral("to"), QStringLiteral("Target side: oracle or mysql."),
            QStringLiteral("oracle|mysql") },
        { QStringLiteral("all"), QStringLiteral("Every table of the source.") },
        { QStringLiteral("types"),
            QStringLiteral("Column types: plain (the window's) or exact (each column's own, with "
                           "NOT NULL and the primary key)."),
            QStringLiteral("plain|exact") },
        { QStringLiteral("schema"),
            QStringLiteral("With --types exact: basic (types, NOT NULL, primary key) or full "
                           "(also indexes, unique and foreign keys, defaults, auto-numbering, "
                           "comments, simple checks)."),
            QStringLiteral("basic|full") },
        { QStringLiteral("empty-text"),
            QStringLiteral("With --types exact, into Oracle: an empty text arrives as null "
                           "(counted) or refuses its row."),
            QStringLiteral("null|refuse") },
    };
}

// `jobTables`: the tables a job file names, taken when none are typed.
std::optional<Parsed> readTableChoice(const QCommandLineParser& parser, const QString& command,
    const QString& verb, TableChoice& r, const QStringList& jobTables = {})
{
    if (!parser.isSet(QStringLiteral("to")))
        return error(command, QStringLiteral("say where to: --to oracle or --to mysql"));
    const QString to = parser.value(QStringLiteral("to"));
    if (auto wrong = checkChoice(command, QStringLiteral("--to"), to,
            { QStringLiteral("oracle"), QStringLiteral("mysql") }))
        return wrong;
    r.target = to == QLatin1String("oracle") ? sql::Server::Oracle : sql::Server::MySQL;
    if (parser.isSet(QStringLiteral("types"))) {
        const QString types = parser.value(QStringLiteral("types"));
        const QStringList choices { QStringLiteral("plain"), QStringLiteral("exact") };
        if (auto wrong = checkChoice(command, QStringLiteral("--types"), types, choices))
            return wrong;
        r.types = types == choices[1] ? copy::CopyOptions::Types::Exact
                                      : copy::CopyOptions::Types::Plain;
    }
    const bool exact = r.types == copy::CopyOptions::Types::Exact;
    struct ExactChoice {
        const char* option;
        QStringList choices;
    };
    for (const ExactChoice& o : { ExactChoice { "schema", { "basic", "full" } },
             ExactChoice { "empty-text", { "null", "refuse" } } }) {
        const QString name = QLatin1String(o.option);
        if (!parser.isSet(name))
            continue;
        if (!exact)
            return error(command, QStringLiteral("--%1 goes with --types exact").arg(name));
        const QString value = parser.value(name);
        if (auto wrong = checkChoice(command, QStringLiteral("--") + name, value, o.choices))
            return wrong;
        const bool second = value == o.choices[1];
        if (name == QLatin1String("schema"))
            r.exact.schema
                = second ? copy::ExactOptions::Schema::Whole : copy::ExactOptions::Schema::Basic;
        else
            r.exact.emptyText = second ? copy::ExactOptions::EmptyText::Refuse
                                       : copy::ExactOptions::EmptyText::Null;
    }
    r.all = parser.isSet(QStringLiteral("all"));
    r.tables = parser.positionalArguments();
    if (r.all && !r.tables.isEmpty())
        return error(command, QStringLiteral("name tables or give --all, not both"));
    if (!r.all && r.tables.isEmpty())
        r.tables = jobTables;
    if (!r.all && r.tables.isEmpty())
        return error(command, QStringLiteral("name the tables to %1, or give --all").arg(verb));
    return std::nullopt;
}

Parsed parseList(const QStringList& arguments, bool)
{
    const QString command = QStringLiteral("list");
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("side"), QStringLiteral("mysql or oracle"));
    if (auto failed
        = parseOptions(parser, QList { helpOption() } + loginOptions(), command, arguments))
        return *failed;
    if (parser.isSet(QStringLiteral("help")))
        return commandHelp("list", listDescription, listExamples, parser);
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

// Options of a copy's comparison: compare's own, or with copy's --verify.
QList<QCommandLineOption> comparingOptions(bool comparing)
{
    QList<QCommandLineOption> options;
    if (!comparing)
        options << QCommandLineOption(QStringLiteral("verify"),
            QStringLiteral("Compare each table with its source after its copy."));
    const QString with = comparing ? QString() : QStringLiteral(" (with --verify)");
    options << QCommandLineOption(QStringLiteral("diffs"),
        QStringLiteral("Write each difference to FILE as one JSON line%1.").arg(with),
        QStringLiteral("FILE"))
            << QCommandLineOption(QStringLiteral("max-diffs"),
                   QStringLiteral("At most N differences of each table written or shown%1; all "
                                  "are counted.")
                       .arg(with),
                   QStringLiteral("N"));
    return options;
}

std::optional<Parsed> takeComparing(
    const QCommandLineParser& parser, const QString& command, bool comparing, CopyRequest& r)
{
    r.verify = !comparing && parser.isSet(QStringLiteral("verify"));
    const bool diffs = parser.isSet(QStringLiteral("diffs"));
    const bool most = parser.isSet(QStringLiteral("max-diffs"));
    if (!comparing && !r.verify && (diffs || most))
        return error(command,
            QStringLiteral("--%1 goes with --verify")
                .arg(diffs ? QStringLiteral("diffs") : QStringLiteral("max-diffs")));
    r.diffsPath = parser.value(QStringLiteral("diffs"));
    if (diffs && r.diffsPath.isEmpty())
        return error(command, QStringLiteral("--diffs needs a file name"));
    if (most) {
        bool number = false;
        const QString value = parser.value(QStringLiteral("max-diffs"));
        r.maxDiffs = value.toLongLong(&number);
        if (!number || r.maxDiffs < 0)
            return error(command,
                QStringLiteral("--max-diffs takes a number of differences, not '%1'").arg(value));
    }
    return std::nullopt;
}

// copy, and compare, which takes a copy's arguments so that it checks the
// copy that the same arguments make.
Parsed parseCopyLike(bool comparing, const QStringList& arguments, bool interactive)
{
    const QString command = comparing ? QStringLiteral("compare") : QStringLiteral("copy");
    QCommandLineParser parser;
    const QList<QCommandLineOption> options = QList<QCommandLineOption> { helpOption() }
        + tableChoiceOptions()
        + QList<QCommandLineOption> { { QStringLiteral("overwrite"),
                                          QStringLiteral("A table the target has: ask, no (skip "
                                                         "it) or yes (replace it safely)."),
                                          QStringLiteral("ask|no|yes") },
              { QStringLiteral("rejects"),
                  QStringLiteral("Write each refused row to FILE as one JSON line."),
                  QStringLiteral("FILE") },
              { QStringLiteral("json"), QStringLiteral("Print the summary as JSON.") },
              { QStringLiteral("fast"),
                  QStringLiteral("Send the rows in batches through one prepared INSERT.") },
              { QStringLiteral("batch"),
                  QStringLiteral("Rows per batch with --fast (default 1000)."),
                  QStringLiteral("N") } }
        + comparingOptions(comparing) + jobOptions() + loginOptions();
    parser.addPositionalArgument(QStringLiteral("tables"),
        QStringLiteral("Source tables to %1.").arg(command), QStringLiteral("[TABLE...]"));
    QList<copy::TableRequest> jobTables;
    QString unreadable;
    const std::optional<QStringList> all = withJobFile(arguments, options, jobTables, &unreadable);
    if (!all)
        return error(command, unreadable);
    if (auto failed = parseOptions(parser, options, command, *all))
        return *failed;
    if (parser.isSet(QStringLiteral("help")) && comparing)
        return commandHelp(
            "compare", compareDescription, compareExamples, parser, compareNotes, compareExitCodes);
    if (parser.isSet(QStringLiteral("help"))) {
        const QByteArray notes
            = QByteArray(copyNotes) + '\n' + verifyNotes + '\n' + QByteArray(jobNotes);
        return commandHelp("copy", copyDescription, copyExamples, parser, notes.constData());
    }

    Parsed p;
    p.kind = comparing ? Parsed::Compare : Parsed::Copy;
    CopyRequest& r = p.copy;
    QStringList named;
    for (const copy::TableRequest& t : std::as_const(jobTables))
        named << t.source;
    if (auto wrong = readTableChoice(parser, command, command, r, named))
        return *wrong;
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
    r.fast = parser.isSet(QStringLiteral("fast")) || rowsInBatches(parser);
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
    if (const std::optional<QString> wrong = readJobOptions(parser, r, jobTables))
        return error(command, *wrong);
    if (auto wrong = takeComparing(parser, command, comparing, r))
        return *wrong;
    return p;
}

Parsed parseDdl(const QStringList& arguments, bool)
{
    const QString command = QStringLiteral("ddl");
    QCommandLineParser parser;
    parser.addPositionalArgument(
        QStringLiteral("tables"), QStringLiteral("Source tables."), QStringLiteral("[TABLE...]"));
    if (auto failed = parseOptions(parser,
            QList { helpOption() } + tableChoiceOptions() + loginOptions(), command, arguments))
        return *failed;
    if (parser.isSet(QStringLiteral("help")))
        return commandHelp("ddl", ddlDescription, ddlExamples, parser, ddlNotes);
    Parsed p;
    p.kind = Parsed::Ddl;
    if (auto wrong = readTableChoice(parser, command, QStringLiteral("print"), p.ddl))
        return *wrong;
    p.ddl.logins = loginsFrom(parser);
    return p;
}

Parsed parseCopy(const QStringList& arguments, bool interactive)
{
    return parseCopyLike(false, arguments, interactive);
}

Parsed parseCompare(const QStringList& arguments, bool interactive)
{
    return parseCopyLike(true, arguments, interactive);
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

Parsed parseArguments(const QStringList& arguments, bool interactive)
{
    const QString first = arguments.value(0);
    QStringList names;
    for (const Command& c : commands) {
        if (first == QLatin1String(c.name))
            return c.parse(arguments.mid(1), interactive);
        names << QLatin1String(c.name);
    }
    if (first == QLatin1String("help") || first == QLatin1String("--help")
        || first == QLatin1String("-h"))
        return generalHelp();
    if (first == QLatin1String("--version") && arguments.size() == 1) {
        Parsed p;
        p.kind = Parsed::Version;
        return p;
    }
    if (first.startsWith(QLatin1Char('-')))
        return error(QString(),
            QStringLiteral("unknown option '%1'; did you mean '--help'? Commands come first: %2")
                .arg(first, names.join(QLatin1String(" or "))));
    return error(QString(),
        QStringLiteral("unknown command '%1'; did you mean '%2'?")
            .arg(first, nearest(first, names)));
}

} // namespace tw::cli
