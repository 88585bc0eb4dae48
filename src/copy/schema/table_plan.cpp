#include "copy/schema/table_plan.h"

#include "copy/exact/exact_statements.h"
#include "copy/schema/check_conditions.h"
#include "copy/schema/column_defaults.h"
#include "sql/dialect.h"

namespace tw::copy::schema {

namespace {

using catalog::CatalogColumn;
using catalog::CatalogIndex;
using sql::Server;

const sql::Dialect& targetOf(const TablePlan& plan)
{
    return sql::dialect(plan.exact.target);
}

void note(TablePlan& plan, const QString& what, const QString& text)
{
    plan.exact.notes.append(what + QStringLiteral(": ") + text);
}

QString comment(TablePlan& plan, const QString& what, const QString& text, bool onTable)
{
    if (text.isEmpty() || targetOf(plan).commentFits(text, onTable))
        return text;
    note(plan, what,
        QStringLiteral("comment left out: longer than %1 keeps").arg(targetOf(plan).name()));
    return {};
}

void autoNumber(TablePlan& plan, const CatalogColumn& c, ExactColumn& e)
{
    const QString what = QStringLiteral("column ") + c.name;
    const bool oracle = plan.exact.target == Server::Oracle;
    if (e.form != ValueForm::Integer) {
        note(plan, what,
            QStringLiteral("%1 left out: %2 cannot count")
                .arg(oracle ? QStringLiteral("AUTO_INCREMENT") : QStringLiteral("identity"),
                    e.type));
        return;
    }
    if (!oracle && plan.exact.primaryKey.value(0) != c.name) {
        note(plan, what,
            QStringLiteral("identity left out: MySQL's AUTO_INCREMENT column must begin the "
                           "primary key"));
        return;
    }
    if (c.identityAlways)
        note(plan, what,
            QStringLiteral("GENERATED ALWAYS becomes AUTO_INCREMENT, which also takes values "
                           "written for it"));
    if (c.identityIncrement != 1)
        note(plan, what,
            QStringLiteral("INCREMENT BY %1 left out: MySQL counts by the server's "
                           "auto_increment_increment")
                .arg(c.identityIncrement));
    e.autoNumbered = true;
    plan.autoNumbered = c.name;
}

void planColumns(TablePlan& plan)
{
    const Server from = sql::otherServer(plan.exact.target);
    const bool oracle = plan.exact.target == Server::Oracle;
    for (qsizetype i = 0; i < plan.source.columns.size() && i < plan.exact.columns.size(); ++i) {
        const CatalogColumn& c = plan.source.columns[i];
        ExactColumn& e = plan.exact.columns[i];
        const QString what = QStringLiteral("column ") + c.name;
        if (c.defaultValue) {
            const TargetDefault d = targetDefault(*c.defaultValue, from, e);
            e.defaultValue = d.value;
            if (!d.note.isEmpty())
                note(plan, what, d.note);
        }
        if (c.onUpdateNow && oracle)
            note(plan, what,
                QStringLiteral("ON UPDATE CURRENT_TIMESTAMP left out: Oracle has no "
                               "column form of it"));
        if (c.computed)
            note(plan, what,
                QStringLiteral("a generated column: its values are copied, its expression is "
                               "not"));
        if (c.autoNumbered)
            autoNumber(plan, c, e);
        e.comment = comment(plan, what, c.comment, false);
    }
    plan.exact.comment = comment(plan, QStringLiteral("table"), plan.source.comment, true);
}

const ExactColumn* targetColumn(const TablePlan& plan, const QString& name)
{
    for (const ExactColumn& c : plan.exact.columns) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

// Why an index cannot be made in the target; empty when it can.
QString unmakeable(const TablePlan& plan, const CatalogIndex& index)
{
    if (!index.kind.isEmpty())
        return QStringLiteral("a %1 index has no counterpart in %2")
            .arg(index.kind, targetOf(plan).name());
    for (const CatalogIndex::Column& c : index.columns) {
        if (c.name.isEmpty())
            return QStringLiteral("an index on the expression %1").arg(c.expression);
        if (c.prefix > 0)
            return QStringLiteral("it indexes only the first %1 characters of %2")
                .arg(c.prefix)
                .arg(c.name);
        const ExactColumn* target = targetColumn(plan, c.name);
        if (!target)
            return QStringLiteral("no column %1").arg(c.name);
        if (target->isLong)
            return QStringLiteral("%1 becomes %2, which %3 does not index whole")
                .arg(c.name, target->type, targetOf(plan).name());
    }
    return {};
}

void planIndexes(TablePlan& plan, DefinitionNames& names)
{
    const bool oracle = plan.exact.target == Server::Oracle;
    // Oracle refuses a second index of the same columns (ORA-01408); a
    // unique key takes the index already there.
    QList<QList<std::pair<QString, bool>>> indexed;
    QList<std::pair<QString, bool>> key;
    for (const QString& c : plan.exact.primaryKey)
        key.append({ c, false });
    indexed.append(key);
    QList<QList<std::pair<QString, bool>>> keys { key };
    for (const CatalogIndex& index : plan.source.indexes) {
        const QString what = (index.constraint      ? QStringLiteral("unique key ")
                                     : index.unique ? QStringLiteral("unique index ")
                                                    : QStringLiteral("index "))
            + index.name;
        const QString why = unmakeable(plan, index);
        if (!why.isEmpty()) {
            note(plan, what, QStringLiteral("left out: ") + why);
            continue;
        }
        IndexPlan out;
        out.unique = index.unique;
        out.constraint = index.constraint;
        for (const CatalogIndex::Column& c : index.columns)
            out.columns.append({ c.name, c.descending && !index.constraint });
        if (oracle && !out.constraint && indexed.contains(out.columns)) {
            note(plan, what,
                QStringLiteral("left out: Oracle indexes those columns once, and another index "
                               "of the table has them"));
            continue;
        }
        if (oracle && out.constraint && keys.contains(out.columns)) {
            note(plan, what,
                QStringLiteral("left out: Oracle keys those columns once, and another key of "
                               "the table has them"));
            continue;
        }
        indexed.append(out.columns);
        if (out.constraint)
            keys.append(out.columns);
        if (!(index.constraint && index.namedBySystem)) {
            QString change;
            out.name = names.claim(
                index.constraint ? DefinitionNames::Kind::UniqueKey : DefinitionNames::Kind::Index,
                plan.table, index.name, change);
            if (!change.isEmpty())
                note(plan, what, change);
        }
        plan.indexes.append(out);
    }
}

void planChecks(TablePlan& plan, DefinitionNames& names)
{
    QStringList columns;
    for (const CatalogColumn& c : plan.source.columns)
        columns.append(c.name);
    for (const catalog::CatalogCheck& check : plan.source.checks) {
        const QString what = QStringLiteral("check ") + check.name;
        const auto condition = targetCondition(
            check.condition, sql::otherServer(plan.exact.target), columns, targetOf(plan));
        if (!condition) {
            note(plan, what,
                QStringLiteral("left out: (%1) is not a comparison both servers read alike")
                    .arg(check.condition));
            continue;
        }
        CheckPlan out;
        out.condition = *condition;
        if (!check.namedBySystem) {
            QString change;
            out.name = names.claim(DefinitionNames::Kind::Check, plan.table, check.name, change);
            if (!change.isEmpty())
                note(plan, what, change);
        }
        plan.checks.append(out);
    }
}

} // namespace

void planWholeTable(TablePlan& plan, DefinitionNames& names)
{
    // A view's columns say what its query gives, which is no definition.
    if (plan.source.isView)
        return;
    planColumns(plan);
    planIndexes(plan, names);
    planChecks(plan, names);
    for (const QString& trigger : plan.source.triggers)
        note(plan, QStringLiteral("trigger ") + trigger,
            QStringLiteral("left out: triggers are not translated"));
    if (plan.exact.target == Server::MySQL && !plan.source.primaryKeyName.isEmpty())
        note(plan, QStringLiteral("primary key ") + plan.source.primaryKeyName,
            QStringLiteral("named PRIMARY in MySQL, which names every primary key so"));
}

QString createStatement(const TablePlan& plan, const QString& name)
{
    return exactCreateStatement(plan.exact, name);
}

QStringList afterRowsStatements(const TablePlan& plan, const QString& name)
{
    const sql::Dialect& d = targetOf(plan);
    QStringList out;
    for (const IndexPlan& index : plan.indexes) {
        QStringList columns;
        for (const auto& [column, descending] : index.columns)
            columns.append(index.constraint ? column : d.indexColumn(column, descending));
        out.append(index.constraint ? d.addUnique(name, index.name, columns)
                                    : d.createIndex(index.name, name, columns, index.unique));
    }
    for (const CheckPlan& check : plan.checks)
        out.append(d.addCheck(name, check.name, check.condition));
    QList<std::pair<QString, QString>> comments;
    for (const ExactColumn& c : plan.exact.columns) {
        if (!c.comment.isEmpty())
            comments.append({ c.name, c.comment });
    }
    out.append(d.commentStatements(name, plan.exact.comment, comments));
    if (!plan.autoNumbered.isEmpty())
        out.append(d.autoNumberStatements(name, plan.autoNumbered));
    return out;
}

QString foreignKeyStatement(
    sql::Server target, const ForeignKeyPlan& fk, const QString& name, const QString& parent)
{
    return sql::dialect(target).addForeignKey(
        name, fk.name, fk.columns, parent, fk.parentColumns, fk.onDelete);
}

QStringList foreignKeyStatements(const TablePlan& plan, const QString& name,
    const std::function<QString(const QString&)>& parentName)
{
    QStringList out;
    for (const ForeignKeyPlan& fk : plan.foreignKeys)
        out.append(foreignKeyStatement(plan.exact.target, fk, name, parentName(fk.parent)));
    return out;
}

} // namespace tw::copy::schema
