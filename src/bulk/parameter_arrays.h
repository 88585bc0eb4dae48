#pragma once

#include "odbc/value.h"

#include <QByteArray>
#include <QList>
#include <sql.h>
#include <sqlext.h>
#include <vector>

namespace tw::bulk {

// How one parameter is bound: SQLBindParameter's C type, SQL type, column
// size and decimal digits. A column size of 0 for text and binary data means
// "as long as the longest value sent"; a size given is raised to the longest
// value too, so that no driver cuts a value short where the server would
// refuse it.
struct ParameterBinding {
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLULEN columnSize = 0;
    SQLSMALLINT decimalDigits = 0;
};

// The rows of parameter values for one statement, kept column-wise in the
// C types their bindings name, ready to be bound as parameter arrays
// (SQL_ATTR_PARAMSET_SIZE, column-wise binding, no data at execution).
// One row makes a plain single execution: the same binding serves a lone
// row that no literal can carry.
//
// Values a binding's C type takes (anything else is refused by add):
//   SQL_C_WCHAR           QString (UTF-16, U+0000 kept)
//   SQL_C_CHAR            QString, sent as UTF-8 (the session's character set
//                         must be UTF-8); QByteArray as it is; integers as
//                         their decimal digits
//   SQL_C_BINARY          QByteArray
//   SQL_C_DOUBLE          double, float, integers, decimal text (nearest double)
//   SQL_C_TYPE_TIMESTAMP  SqlTimestamp, SqlDate (at midnight)
// A null Value goes as NULL (SQL_NULL_DATA) whatever the type.
class ParameterArrays {
public:
    // `byteBudget`: the most bytes the bound arrays of all columns may take
    // together (text and binary columns take their longest value times the
    // rows); a row that would pass it is not added while others are held.
    ParameterArrays(
        QList<ParameterBinding> bindings, int capacity, qsizetype byteBudget = 16 << 20);

    const QList<ParameterBinding>& bindings() const { return m_bindings; }
    int size() const { return m_rows; }
    int capacity() const { return m_capacity; }
    bool full() const { return m_rows >= m_capacity; }

    enum class Added { Yes, Full };
    // Appends one row, a value per binding. Full when the arrays hold `capacity`
    // rows or the row would pass the byte budget: nothing was added, send the
    // rows held first. Throws DbError naming the column when a value cannot
    // be had in its C type; nothing of that row is kept then.
    Added add(const QList<odbc::Value>& row);
    void clear();

    // Binds rows [first, last) to `stmt`'s parameters and sets its parameter
    // set size, status array and rows-processed count to them.
    void bind(SQLHSTMT stmt, int first, int last);
    // After an execution of [first, last): the driver's status of row `row`
    // and how many rows it says it processed.
    SQLUSMALLINT status(int row) const { return m_status[size_t(row - m_boundFirst)]; }
    SQLULEN processed() const { return m_processed; }

private:
    struct Column {
        ParameterBinding binding;
        bool variable = false; // text and bytes: staged, laid out when bound
        qsizetype fixedSize = 0;
        std::vector<char> fixed; // fixed-size values, one element per row
        QByteArray heap; // variable values back to back
        std::vector<qsizetype> offsets; // where each row's value starts in heap
        std::vector<SQLLEN> indicators; // bytes, or SQL_NULL_DATA
        qsizetype longest = 0; // longest value held, in bytes
        std::vector<char> laidOut; // the bound array of a variable column
    };

    // Converts `value` into column c's next element; throws DbError.
    void append(Column& column, const odbc::Value& value);
    void dropLast(Column& column);
    qsizetype boundBytes(int rows) const;

    QList<ParameterBinding> m_bindings;
    std::vector<Column> m_columns;
    int m_capacity;
    qsizetype m_byteBudget;
    int m_rows = 0;
    std::vector<SQLUSMALLINT> m_status;
    SQLULEN m_processed = 0;
    int m_boundFirst = 0;
};

} // namespace tw::bulk
