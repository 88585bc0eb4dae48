#include "copy/table_plan.h"

#include "catalog/table_catalog.h"
#include "copy/exact/type_override.h"
#include "copy/table_job.h"
#include "db/list_lookups.h"
#include "db/recordset.h"
#include "odbc/error.h"

#include <QSet>
#include <sqlext.h>

namespace tw::copy {

namespace {

QString current()
{
    return odbc::describe(std::current_exception());
}

bool isNumber(SQLSMALLINT type)
{
    switch (type) {
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_TINYINT:
    case SQL_BIGINT:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
    case SQL_BIT:
        return true;
    default:
        return false;
    }
}

// `name` among `names`: as written, else the one name equal to it but for
// letter case; empty when none or several.
QString matching(const QStringList& names, const QString& name)
{
    if (names.contains(name))
        return name;
    QString found;
    for (const QString& n : names) {
        if (n.compare(name, Qt::CaseInsensitive) == 0) {
            if (!found.isEmpty())
                return {};
            found = n;
        }
    }
    return found;
}

QStringList columnNames(const catalog::TableCatalog& table)
{
    QStringList names;
    for (const catalog::CatalogColumn& c : table.columns)
        names << c.name;
    return names;
}

QString listed(const QSet<QString>& set)
{
    QStringList names(set.begin(), set.end());
    names.sort();
    return u'(' + names.join(QLatin1String(", ")) + u')';
}

} // namespace

TablePlan planTable(TableCopy& copy, const TableRequest& request, const db::NameList& target,
    const CopyOptions& options)
{
    TablePlan plan;
    plan.request = request;
    plan.exact = request.exact.value_or(options.types == CopyOptions::Types::Exact);
    plan.rows.table = request.source;
    plan.rows.columns = request.columns;
    plan.rows.where = request.where;
    const QString wanted = request.targetName();
    const bool toOracle = copy.target() == sql::Server::Oracle;
    plan.exists
        = toOracle ? db::ListHasItem(target, wanted) : db::ListHasItemNoCase(target, wanted);
    plan.target = plan.exists && !toOracle ? db::ListFindItemNoCase(target, wanted) : wanted;

    const bool into = plan.exists && options.landing != CopyOptions::Landing::New;
    const bool needKey
        = options.resume || options.parts > 0 || options.landing == CopyOptions::Landing::Upsert;
    const QString table = QStringLiteral("%1: ").arg(request.source);
    if (!(needKey || into || !request.columns.isEmpty() || !request.types.isEmpty()))
        return plan;

    catalog::TableCatalog source;
    try {
        source = catalog::readTableCatalog(copy.sourceConnection(), copy.source(), request.source);
    } catch (...) {
        throw PlanError(table + QStringLiteral("reading its columns failed: ") + current());
    }
    const QStringList names = columnNames(source);
    for (const QString& c : request.columns) {
        if (!names.contains(c))
            throw PlanError(table
                + QStringLiteral("the source has no column %1 (it has %2)")
                      .arg(c, names.join(QLatin1String(", "))));
    }
    const QStringList read = request.columns.isEmpty() ? names : request.columns;
    for (const auto& [column, type] : request.types) {
        if (!read.contains(column))
            throw PlanError(table
                + QStringLiteral("the type of %1 is chosen, but no such column is copied")
                      .arg(column));
        if (plan.exact && !overrideColumn(copy.target(), column, type, false))
            throw PlanError(table
                + QStringLiteral("the copy cannot check values against %1 in %2 (column %3)")
                      .arg(type, sql::serverName(copy.target()), column));
    }

    if (needKey) {
        const bool restartable = options.landing == CopyOptions::Landing::New && options.parts == 0;
        if (source.primaryKey.isEmpty() && !restartable)
            throw PlanError(table
                + QStringLiteral("it has no primary key, which %1 needs")
                      .arg(options.landing == CopyOptions::Landing::Upsert ? "upsert"
                              : options.parts > 0                          ? "splitting it in parts"
                                                  : "resuming it into a table it adds to"));
        for (const QString& k : source.primaryKey) {
            const qsizetype at = read.indexOf(k);
            if (at < 0)
                throw PlanError(table
                    + QStringLiteral("the columns copied must hold the key column %1").arg(k));
            plan.key.positions << int(at);
            for (const catalog::CatalogColumn& c : source.columns) {
                if (c.name == k)
                    plan.key.numeric << isNumber(c.sqlType);
            }
        }
        plan.rows.key = source.primaryKey;
    }

    if (!request.columns.isEmpty() || !request.where.isEmpty()) {
        try {
            copy.sourceConnection().Execute(copy.sourceDialect().selectNoRows(plan.rows));
        } catch (...) {
            throw PlanError(
                table + QStringLiteral("the source refused the chosen rows: ") + current());
        }
    }

    if (!into)
        return plan;
    catalog::TableCatalog existing;
    try {
        existing = catalog::readTableCatalog(copy.targetConnection(), copy.target(), plan.target);
    } catch (...) {
        throw PlanError(table
            + QStringLiteral("reading the columns of %1 in the target failed: ").arg(plan.target)
            + current());
    }
    const QStringList theirs = columnNames(existing);
    for (const QString& c : read) {
        const QString found = matching(theirs, c);
        if (found.isEmpty())
            throw PlanError(table
                + QStringLiteral("the target's %1 has no column %2 to add to").arg(plan.target, c));
        plan.targetColumns << found;
    }
    if (options.landing != CopyOptions::Landing::Upsert)
        return plan;
    QSet<QString> key;
    for (const int p : std::as_const(plan.key.positions)) {
        plan.targetKey << plan.targetColumns[p];
        key << plan.targetColumns[p].toUpper();
    }
    QList<QSet<QString>> keys;
    try {
        keys = catalog::readEveryUniqueness(copy.targetConnection(), copy.target(), plan.target);
    } catch (...) {
        throw PlanError(
            table + QStringLiteral("reading the keys of %1 failed: ").arg(plan.target) + current());
    }
    if (keys.size() != 1 || keys.first() != key) {
        QStringList found;
        for (const QSet<QString>& k : std::as_const(keys))
            found << listed(k);
        throw PlanError(table
            + QStringLiteral("upsert needs the source's primary key %1 to be the only unique key "
                             "of %2 in the target, which has %3")
                  .arg(listed(key), plan.target,
                      found.isEmpty() ? QStringLiteral("none") : found.join(QLatin1String(", "))));
    }
    return plan;
}

} // namespace tw::copy
