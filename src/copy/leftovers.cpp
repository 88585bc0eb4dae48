#include "copy/leftovers.h"

#include "copy/replace.h"
#include "db/list_lookups.h"
#include "odbc/error.h"

#include <QRegularExpression>

namespace tw::copy {

namespace {

// Numbered side names go this far: each run takes the first free number.
constexpr int mostNumbers = 9;

void forget(db::NameList& tables, const QString& name)
{
    const qsizetype at = tables.names().indexOf(name);
    if (at >= 0)
        tables.RemoveItem(int(at));
}

} // namespace

bool isWorkTable(const sql::Dialect& dialect, const QString& name)
{
    static const QRegularExpression side(
        QStringLiteral("_tw_(new|old)\\d*$"), QRegularExpression::CaseInsensitiveOption);
    return side.match(name).hasMatch()
        || name.compare(dialect.resumeTable(), Qt::CaseInsensitive) == 0;
}

QStringList restoreBackups(
    db::Connection& target, const sql::Dialect& dialect, const QString& table, db::NameList& tables)
{
    QStringList said;
    for (int n = 1; n <= mostNumbers; ++n) {
        const QString backup = sideNamesAt(dialect, table, n).backup;
        if (!tables.names().contains(backup))
            continue;
        if (db::ListHasItemNoCase(tables, table)) {
            said << QStringLiteral("%1 (an old table a stopped swap put aside) was kept")
                        .arg(backup);
            continue;
        }
        try {
            target.Execute(dialect.renameTable(backup, table));
            forget(tables, backup);
            tables.AddItem(table);
            said
                << QStringLiteral("%1, put aside by a stopped swap, got its name back").arg(backup);
        } catch (...) {
            said << QStringLiteral("%1 (an old table a stopped swap put aside) was kept: %2")
                        .arg(backup, odbc::describe(std::current_exception()));
        }
    }
    return said;
}

QStringList dropCopies(db::Connection& target, const sql::Dialect& dialect, const QString& table,
    db::NameList& tables, const QString& keep)
{
    QStringList said;
    for (int n = 1; n <= mostNumbers; ++n) {
        const QString copy = sideNamesAt(dialect, table, n).copy;
        if (copy == keep || !tables.names().contains(copy))
            continue;
        try {
            target.Execute(dialect.dropTable(copy));
            forget(tables, copy);
            said
                << QStringLiteral("the half-made copy %1 a stopped run left was dropped").arg(copy);
        } catch (...) {
            said << QStringLiteral("the half-made copy %1 could not be dropped: %2")
                        .arg(copy, odbc::describe(std::current_exception()));
        }
    }
    return said;
}

} // namespace tw::copy
