#include "copy/rowwise/recordset_source.h"

namespace tw::copy {

RecordsetSource::RecordsetSource(db::Recordset& recordset)
    : m_recordset(recordset)
{ }

QList<SourceColumn> RecordsetSource::columns() const
{
    QList<SourceColumn> columns;
    for (const db::Field& f : m_recordset.Fields())
        columns.append({ f.Name, f.Type });
    return columns;
}

void RecordsetSource::close() noexcept
{
    try {
        if (m_recordset.isOpen())
            m_recordset.Close();
    } catch (...) {
        // Closing only lets go of the result.
    }
}

} // namespace tw::copy
