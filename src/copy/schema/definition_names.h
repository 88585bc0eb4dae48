#pragma once

#include "sql/dialect.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tw::copy::schema {

// The names a run gives indexes and constraints in the target. Oracle keeps
// one name per schema for indexes and one for constraints (a unique key's
// index takes the key's name); MySQL one per table for indexes and unique
// keys, one per database for foreign keys. A name is kept when it fits the
// target's limit and is free where it must be unique; otherwise it is cut to
// the limit and numbered (_2, _3, ...), in the order the run asks, so the
// same run gives the same names.
class DefinitionNames {
public:
    enum class Kind { Index, UniqueKey, Check, ForeignKey };

    explicit DefinitionNames(const sql::Dialect& target);

    // The name for `wanted` on `table`; `change` says how and why it differs.
    QString claim(Kind kind, const QString& table, const QString& wanted, QString& change);

private:
    bool taken(const QString& space, const QString& name) const;
    QStringList spacesOf(Kind kind, const QString& table) const;

    const sql::Dialect& m_target;
    QHash<QString, QStringList> m_taken; // by name space
};

} // namespace tw::copy::schema
