#pragma once

#include "odbc/value.h"

#include <QList>
#include <QString>

namespace tw::copy {

using Row = QList<odbc::Value>;

// One column of a source as the copy sees it: its name and the ADO type
// code its driver reports (which the window's column types are chosen by).
struct SourceColumn {
    QString name;
    qint16 adoType = 0;
};

// The rows of a source table, as a recordset gives them: a current row,
// moved on by next(). Reading it row by row or a block at a time is the
// source's business.
class RowSource {
public:
    virtual ~RowSource() = default;

    virtual QList<SourceColumn> columns() const = 0;
    // The rows in all when known before the first is read, else -1.
    virtual qint64 count() const = 0;
    virtual bool atEnd() const = 0;
    virtual const odbc::Value& value(int column) const = 0;
    // The value for the copy to keep: a source that reads the current row
    // again for nothing else hands it over instead of copying it.
    virtual odbc::Value take(int column) { return value(column); }
    // Moves to the next row. Throws DbError when that row cannot be read:
    // the copy refuses it and may move on to the row after it.
    virtual void next() = 0;
    // Ends the reading; never throws.
    virtual void close() noexcept = 0;
};

} // namespace tw::copy
