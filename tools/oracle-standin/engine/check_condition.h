#pragma once

#include "cell.h"
#include "datetime.h"
#include "nls.h"
#include "row_source.h"
#include "statement.h"
#include "storage.h"

#include <string>
#include <vector>

namespace orastandin {

// A CHECK constraint's condition, read from the text USER_CONSTRAINTS keeps
// and bound to its table's columns, to test rows with.
class CheckCondition {
public:
    // Throws what Oracle refuses in a CHECK: a condition that does not parse,
    // a name that is no column (ORA-00904), the clock or the user
    // (ORA-02436), a group function (ORA-00934), a bind variable
    // (ORA-01027), and in a column's own CHECK another column (ORA-02438).
    CheckCondition(const std::string& condition, const std::string& table,
        const std::vector<ColumnDef>& columns, const NlsSettings& nls, const Today& today,
        const std::string& inlineColumn = {});

    // A row the condition does not make false: TRUE or UNKNOWN (a NULL) pass.
    bool allows(const std::vector<Cell>& row) const;
    // The names of the columns the condition reads, in table order.
    std::vector<std::string> columnNames() const;

private:
    ExprPtr m_expr;
    std::vector<ResultColumn> m_columns;
    std::vector<ColumnType> m_types;
    const NlsSettings* m_nls;
    const Today* m_today;
    std::vector<bool> m_used;
};

// The CHECK constraints of a table, for every row written to it.
class RowChecks {
public:
    RowChecks(const TableInfo& table, const NlsSettings& nls, const Today& today);
    // ORA-02290 when the row makes one of them false.
    void enforce(const std::vector<Cell>& row) const
    {
        if (!m_checks.empty())
            enforceAll(row);
    }

private:
    void enforceAll(const std::vector<Cell>& row) const;
    std::vector<std::pair<std::string, CheckCondition>> m_checks; // "OWNER.NAME" and condition
};

} // namespace orastandin
