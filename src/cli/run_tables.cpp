#include "cli/run_tables.h"

#include "catalog/table_catalog.h"
#include "cli/list_command.h"
#include "cli/nearest.h"
#include "db/listing.h"
#include "odbc/error.h"

namespace tw::cli {

std::optional<QString> openBothSides(copy::TableCopy& run, const db::LoginDetails& details,
    db::NameList& mysqlTables, db::NameList& oracleTables)
{
    for (sql::Server side : { sql::Server::Oracle, sql::Server::MySQL }) {
        try {
            run.connect(side, details);
        } catch (...) {
            return QStringLiteral("cannot connect to %1: %2")
                .arg(sql::serverName(side), odbc::describe(std::current_exception()));
        }
    }
    const db::FixedLogin login(details);
    try {
        db::ListMySQLTables(mysqlTables, login);
        db::ListOracleTables(oracleTables, login);
    } catch (...) {
        return QStringLiteral("cannot list the tables: ")
            + odbc::describe(std::current_exception());
    }
    return std::nullopt;
}

std::optional<QStringList> chosenTables(
    const TableChoice& choice, const db::NameList& source, QString* problem)
{
    if (choice.all)
        return offeredTables(source, sql::otherServer(choice.target));
    QStringList chosen;
    QStringList missing;
    for (const QString& typed : choice.tables) {
        if (source.names().contains(typed)) {
            chosen << typed;
            continue;
        }
        QStringList alike;
        for (const QString& name : source.names()) {
            if (name.compare(typed, Qt::CaseInsensitive) == 0)
                alike << name;
        }
        if (alike.size() == 1)
            chosen << alike.first();
        else
            missing << typed;
    }
    if (missing.isEmpty())
        return chosen;
    *problem = QStringLiteral("the source has no table %1").arg(missing.join(QLatin1String(", ")));
    if (!source.names().isEmpty())
        *problem
            += QStringLiteral("; did you mean '%1'?").arg(nearest(missing.first(), source.names()));
    return std::nullopt;
}

RunTables RunTables::read(const TableChoice& choice, const QStringList& tables,
    db::Connection& source, const QList<copy::TableRequest>& own)
{
    RunTables run;
    run.order = tables;
    const bool exact = choice.types == copy::CopyOptions::Types::Exact;
    // The exact tables are planned together, each with its own schema.
    QStringList planned;
    QHash<QString, copy::ExactOptions::Schema> schemaOf;
    for (const QString& table : tables) {
        copy::TableRequest settings;
        for (const copy::TableRequest& t : own) {
            if (t.source.compare(table, Qt::CaseInsensitive) == 0)
                settings = t;
        }
        if (!settings.exact.value_or(exact))
            continue;
        planned << table;
        if (settings.schema)
            schemaOf.insert(table, *settings.schema);
    }
    if (!planned.isEmpty()) {
        run.plan
            = copy::schema::RunPlan::read(source, choice.target, planned, choice.exact, schemaOf);
        if (choice.all && planned.size() == tables.size())
            run.order = run.plan->order();
    }
    // Named tables are the user's choice; --all takes views along unasked.
    if (choice.target == sql::Server::Oracle && choice.all) {
        for (const QString& view : catalog::readMySQLViews(source)) {
            if (tables.contains(view))
                run.views.append(view);
        }
    }
    return run;
}

QStringList RunTables::notesOf(const QString& table) const
{
    if (!views.contains(table))
        return {};
    return { QStringLiteral("a view in MySQL: its rows went into a table; its query is not "
                            "carried") };
}

} // namespace tw::cli
