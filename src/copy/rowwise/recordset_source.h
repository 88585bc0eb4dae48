#pragma once

#include "copy/loop/row_source.h"
#include "db/recordset.h"

namespace tw::copy {

// The rows of an open recordset, which knows their count before the first
// (the window's copy and the command's row by row).
class RecordsetSource : public RowSource {
public:
    explicit RecordsetSource(db::Recordset& recordset);

    QList<SourceColumn> columns() const override;
    qint64 count() const override { return m_recordset.RecordCount(); }
    bool atEnd() const override { return m_recordset.atEnd(); }
    const odbc::Value& value(int column) const override { return m_recordset.field(column).Value; }
    void next() override { m_recordset.MoveNext(); }
    void close() noexcept override;

private:
    db::Recordset& m_recordset;
};

} // namespace tw::copy
