#pragma once

#include "copy/loop/row_source.h"

#include <QList>
#include <QString>
#include <utility>

namespace tw::copy {

// Counts, per column, the empty texts and binary values of the rows that
// arrived, which an exact copy into Oracle sends as NULL.
class EmptyTextTally {
public:
    EmptyTextTally(QList<int> columns, const QList<SourceColumn>& source)
        : m_columns(std::move(columns))
        , m_counts(m_columns.size(), 0)
    {
        for (int c : m_columns)
            m_names.append(source.value(c).name);
    }
    bool empty() const { return m_columns.isEmpty(); }
    void count(const Row& row)
    {
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            const odbc::Value& v = row.value(m_columns[i]);
            if (odbc::isNull(v))
                continue;
            const bool empty = v.typeId() == QMetaType::QByteArray ? v.toByteArray().isEmpty()
                                                                   : v.toString().isEmpty();
            if (empty)
                ++m_counts[i];
        }
    }
    // The columns that had any, with their counts.
    QList<std::pair<QString, qint64>> counts() const
    {
        QList<std::pair<QString, qint64>> out;
        for (qsizetype i = 0; i < m_columns.size(); ++i) {
            if (m_counts[i] > 0)
                out.append({ m_names[i], m_counts[i] });
        }
        return out;
    }

private:
    QList<int> m_columns;
    QList<QString> m_names;
    QList<qint64> m_counts;
};

} // namespace tw::copy
