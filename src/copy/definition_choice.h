#pragma once

#include "copy/exact/exact_definition.h"
#include "copy/plain/plain_definition.h"

#include <memory>

namespace tw::copy {

// How a table's definition is chosen, in the two steps around opening its
// rows, for a copy and for the comparison of one alike: an exact copy's
// declarations say which columns to read as text before the rows are
// opened; the columns read then make the definition, checked against those
// declarations. The chosen columns and types apply to either kind.
class DefinitionChoice {
public:
    using ColumnTypes = QList<std::pair<QString, QString>>;

    // Exact when `exact` is given (its columns and `types` chosen here),
    // else plain into `target`. Throws DbError for a column or type the
    // table cannot take.
    DefinitionChoice(sql::Server target, std::unique_ptr<ExactDefinition> exact,
        const QStringList& columns, ColumnTypes types);

    QList<int> textColumns() const;
    // The definition for the columns read; `fractionsRounded`: see
    // PlainDefinition::setFractionsRounded. Throws DbError.
    std::unique_ptr<TableDefinition> finish(
        const QList<SourceColumn>& read, bool fractionsRounded = false);

private:
    sql::Server m_target;
    std::unique_ptr<ExactDefinition> m_exact;
    ColumnTypes m_types;
};

} // namespace tw::copy
