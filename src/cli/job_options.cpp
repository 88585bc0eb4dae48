#include "cli/job_options.h"

#include "cli/job_file.h"

namespace tw::cli {

namespace {

constexpr int mostJobs = 32;
constexpr int mostParts = 1024;

QCommandLineOption option(const char* name, const char* what, const char* value = nullptr)
{
    return value
        ? QCommandLineOption(QLatin1String(name), QLatin1String(what), QLatin1String(value))
        : QCommandLineOption(QLatin1String(name), QLatin1String(what));
}

std::optional<int> number(const QString& text, int low, int high)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high)
        return std::nullopt;
    return n;
}

} // namespace

const char* const jobNotes
    = R"(--job FILE reads the options and each table's settings from a TOML file
(where, columns, target, types, column_types); options given on the command
line win. --dry-run prints the plan (tables, order, options, the statements of
the first row) and changes nothing. --mode append adds the rows to a table the
target has; --mode upsert inserts rows of new keys and updates those of
existing ones, one statement per batch (the source's primary key must be the
target's only unique key). --resume FILE keeps where the copy is: run the same
command again after a crash and it skips the finished tables and goes on after
the last committed key. --jobs N copies N tables at once; --parts N splits each
table by a hash of its key into N parts copied side by side; --part K/N copies
only part K, adding to the target's table, so that N processes on N machines
copy one table. Append, upsert, --resume and parts send rows as --fast does.
)";

QList<QCommandLineOption> jobOptions()
{
    return {
        option("job", "Read the options and each table's settings from a TOML file.", "FILE"),
        option("dry-run", "Print the plan and the statements of the first row; change nothing."),
        option("mode",
            "A table the target has: ask, replace it, append to it, upsert by the key, or skip "
            "it.",
            "ask|replace|append|upsert|skip"),
        option("where", "Copy the rows this condition in the source's SQL keeps (one table).",
            "CONDITION"),
        option(
            "columns", "Copy these columns, comma-separated, in this order (one table).", "LIST"),
        option("target-name", "The table's name in the target (one table).", "NAME"),
        option("resume", "Keep the copy's state in FILE and go on from it when run again.", "FILE"),
        option("jobs", "Copy N tables at once, each on connections of its own.", "N"),
        option("parts", "Split each table by a hash of its key into N parts copied side by side.",
            "N"),
        option("part", "Copy only part K of N, adding to the target's table.", "K/N"),
    };
}

std::optional<QStringList> withJobFile(const QStringList& arguments,
    const QList<QCommandLineOption>& options, QList<copy::TableRequest>& tables, QString* problem)
{
    QString path;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--job") || arguments[i] == QLatin1String("-job"))
            path = arguments.value(i + 1);
        else if (arguments[i].startsWith(QLatin1String("--job=")))
            path = arguments[i].mid(6);
    }
    if (path.isEmpty())
        return arguments;
    const std::optional<JobFile> job = readJobFile(path, options, problem);
    if (!job)
        return std::nullopt;
    tables = job->tables;
    return job->arguments + arguments;
}

bool rowsInBatches(const QCommandLineParser& parser)
{
    const QString mode = parser.value(QStringLiteral("mode"));
    return mode == QLatin1String("append") || mode == QLatin1String("upsert")
        || parser.isSet(QStringLiteral("resume")) || parser.isSet(QStringLiteral("parts"))
        || parser.isSet(QStringLiteral("part"));
}

std::optional<QString> readJobOptions(
    const QCommandLineParser& parser, CopyRequest& r, QList<copy::TableRequest> tables)
{
    JobRequest& job = r.job;
    const auto set = [&](const char* name) { return parser.isSet(QLatin1String(name)); };
    const auto value = [&](const char* name) { return parser.value(QLatin1String(name)); };
    job.file = value("job");
    job.dryRun = set("dry-run");

    // --mode and --overwrite say the same: the one given last counts.
    const QStringList given = parser.optionNames();
    const qsizetype mode = given.lastIndexOf(QStringLiteral("mode"));
    if (mode >= 0 && mode > given.lastIndexOf(QStringLiteral("overwrite"))) {
        const QStringList modes { QStringLiteral("ask"), QStringLiteral("replace"),
            QStringLiteral("append"), QStringLiteral("upsert"), QStringLiteral("skip") };
        const QString m = value("mode");
        if (!modes.contains(m))
            return QStringLiteral("--mode takes %1, not '%2'")
                .arg(modes.join(QLatin1String(" or ")), m);
        r.overwrite = m == QLatin1String("ask") ? Overwrite::Ask
            : m == QLatin1String("replace")     ? Overwrite::Yes
                                                : Overwrite::No;
        job.landing = m == QLatin1String("append") ? copy::CopyOptions::Landing::Append
            : m == QLatin1String("upsert")         ? copy::CopyOptions::Landing::Upsert
                                                   : copy::CopyOptions::Landing::New;
    }
    job.resumePath = value("resume");
    if (set("resume") && job.resumePath.isEmpty())
        return QStringLiteral("--resume needs a file name");
    if (set("jobs")) {
        const std::optional<int> n = number(value("jobs"), 1, mostJobs);
        if (!n)
            return QStringLiteral("--jobs takes a number from 1 to %1, not '%2'")
                .arg(mostJobs)
                .arg(value("jobs"));
        job.jobs = *n;
    }
    if (set("parts") && set("part"))
        return QStringLiteral("give --parts N or --part K/N, not both");
    if (set("parts")) {
        const std::optional<int> n = number(value("parts"), 2, mostParts);
        if (!n)
            return QStringLiteral("--parts takes a number from 2 to %1, not '%2'")
                .arg(mostParts)
                .arg(value("parts"));
        job.parts = *n;
    }
    if (set("part")) {
        const QStringList kn = value("part").split(QLatin1Char('/'));
        const std::optional<int> n = kn.size() == 2 ? number(kn[1], 2, mostParts) : std::nullopt;
        const std::optional<int> k = n ? number(kn[0], 1, *n) : std::nullopt;
        if (!k)
            return QStringLiteral("--part takes K/N, K from 1 to N, N from 2 to %1, not '%2'")
                .arg(mostParts)
                .arg(value("part"));
        job.parts = *n;
        job.part = *k;
        if (mode < 0)
            job.landing = copy::CopyOptions::Landing::Append;
        else if (job.landing == copy::CopyOptions::Landing::New)
            return QStringLiteral(
                "--part adds to the target's table: give --mode append or upsert");
    }
    if (job.landing != copy::CopyOptions::Landing::New)
        r.fast = true;

    // The job's tables, unless the command line names its own (of them).
    const QStringList named = r.tables;
    if (named.isEmpty() && !r.all) {
        for (const copy::TableRequest& t : std::as_const(tables))
            r.tables << t.source;
    }
    for (const QString& name : named) {
        bool known = tables.isEmpty();
        for (const copy::TableRequest& t : std::as_const(tables))
            known = known || t.source == name;
        if (!known)
            return QStringLiteral("the job has no table %1").arg(name);
    }
    if (set("where") || set("columns") || set("target-name")) {
        if (r.all || r.tables.size() != 1)
            return QStringLiteral("--where, --columns and --target-name go with one table");
        copy::TableRequest one;
        one.source = r.tables.first();
        for (const copy::TableRequest& t : std::as_const(tables)) {
            if (t.source == one.source)
                one = t;
        }
        if (set("where"))
            one.where = value("where");
        if (set("columns")) {
            one.columns.clear();
            for (const QString& c : value("columns").split(QLatin1Char(',')))
                one.columns << c.trimmed();
            if (one.columns.contains(QString()))
                return QStringLiteral("--columns takes names separated by commas");
        }
        if (set("target-name"))
            one.target = value("target-name");
        tables = { one };
    }
    if (job.part > 0 && (r.all || r.tables.size() != 1))
        return QStringLiteral("--part K/N copies part of one table");
    for (const QString& name : std::as_const(r.tables)) {
        copy::TableRequest t;
        t.source = name;
        for (const copy::TableRequest& s : std::as_const(tables)) {
            if (s.source == name)
                t = s;
        }
        if (t.schema && !t.exact.value_or(r.types == copy::CopyOptions::Types::Exact))
            return QStringLiteral("table %1: schema goes with types = \"exact\"").arg(name);
        job.tables << t;
    }
    // Options of the plan's first line: neither logins nor one table's own.
    static const QStringList unshown { QStringLiteral("job"), QStringLiteral("dry-run"),
        QStringLiteral("where"), QStringLiteral("columns"), QStringLiteral("target-name"),
        QStringLiteral("oracle-sid"), QStringLiteral("oracle-user"), QStringLiteral("mysql-server"),
        QStringLiteral("mysql-port"), QStringLiteral("mysql-user"),
        QStringLiteral("mysql-database"), QStringLiteral("no-prompt") };
    for (const QString& o : given) {
        const QString shown = (QStringLiteral("--") + o + u' ' + parser.value(o)).trimmed();
        if (!unshown.contains(o) && !job.shown.contains(shown))
            job.shown << shown;
    }
    return std::nullopt;
}

} // namespace tw::cli
