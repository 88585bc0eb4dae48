#include "copy/replace.h"

#include "odbc/error.h"

namespace tw::copy {

namespace {

// The longest start of `name` that leaves room for `suffix`, never cutting
// a character in two.
QString cut(const sql::Dialect& target, const QString& name, const QString& suffix)
{
    const qsizetype room = target.nameLimit() - target.nameSize(suffix);
    qsizetype end = 0;
    while (end < name.size()) {
        const qsizetype next = end + (name.at(end).isHighSurrogate() ? 2 : 1);
        if (target.nameSize(QStringView(name).left(next)) > room)
            break;
        end = next;
    }
    return name.left(end) + suffix;
}

} // namespace

SideNames sideNamesAt(const sql::Dialect& target, const QString& table, int n)
{
    const QString number = n == 1 ? QString() : QString::number(n);
    return { cut(target, table, QStringLiteral("_tw_new") + number),
        cut(target, table, QStringLiteral("_tw_old") + number) };
}

SideNames sideNames(const sql::Dialect& target, const QString& table, const QStringList& taken)
{
    for (int n = 1;; ++n) {
        const SideNames names = sideNamesAt(target, table, n);
        if (!taken.contains(names.copy, Qt::CaseInsensitive)
            && !taken.contains(names.backup, Qt::CaseInsensitive))
            return names;
    }
}

SwapResult swapIn(db::Connection& target, const sql::Dialect& dialect, const QString& table,
    const SideNames& names)
{
    const QStringList renames = dialect.swapStatements(table, names.copy, names.backup);
    try {
        target.Execute(renames.first());
    } catch (...) {
        return { SwapResult::Unchanged, odbc::describe(std::current_exception()) };
    }
    if (renames.size() > 1) {
        try {
            target.Execute(renames[1]);
        } catch (...) {
            const QString message = odbc::describe(std::current_exception());
            try {
                target.Execute(dialect.renameTable(names.backup, table));
            } catch (...) {
                return { SwapResult::OldAside, message };
            }
            return { SwapResult::Restored, message };
        }
    }
    try {
        target.Execute(dialect.dropTable(names.backup));
    } catch (...) {
        return { SwapResult::BackupLeft, odbc::describe(std::current_exception()) };
    }
    return {};
}

} // namespace tw::copy
