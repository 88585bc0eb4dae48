#include "copy/exact/exact_types.h"
#include "db/recordset.h"
#include "sql/mysql_dialect.h"

namespace tw::copy {

void allowEmptyValues(db::Connection& source, const QString& table, ExactTable& exact)
{
    QList<ExactColumn*> asked;
    QStringList names;
    for (ExactColumn& c : exact.columns) {
        if (c.emptyAsNull && c.notNull && !exact.primaryKey.contains(c.name)) {
            asked.append(&c);
            names.append(c.name);
        }
    }
    if (asked.isEmpty())
        return;
    const auto rs = source.Execute(sql::mysql().emptyValuesQuery(table, names));
    for (qsizetype i = 0; rs && !rs->atEnd() && i < asked.size(); ++i) {
        if (rs->field(int(i)).Value.toInt() != 1)
            continue;
        asked[i]->notNull = false;
        exact.notes.append(QStringLiteral("column %1: NOT NULL, but holds empty values, which "
                                          "Oracle keeps as NULL: created nullable")
                               .arg(asked[i]->name));
    }
}

} // namespace tw::copy
