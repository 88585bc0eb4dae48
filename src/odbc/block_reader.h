#pragma once

#include "odbc/column_reader.h"
#include "odbc/error.h"
#include "odbc/value.h"

#include <QList>
#include <QString>
#include <optional>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>
#include <vector>

namespace tw::odbc {

// One column of a result as the program reads it.
struct ResultColumn {
    QString name;
    ColumnInfo info;
    SQLULEN size = 0; // SQLDescribeCol's column size
    SQLSMALLINT digits = 0;
    SQLLEN octetLength = 0; // SQL_DESC_OCTET_LENGTH: the most bytes of a value
};

// Describes the columns of an executed statement; the columns listed in
// `textColumns` (from 0) are to be read as their text; `mariadb`: read
// through MariaDB Connector/ODBC (see ColumnInfo::mariadb).
QList<ResultColumn> DescribeResult(
    SQLHSTMT stmt, const QList<int>& textColumns = {}, bool mariadb = false);

// Reads the rows of an executed statement a block at a time: a rowset of
// many rows per fetch (SQL_ATTR_ROW_ARRAY_SIZE) into column-wise bound
// buffers. The values are those readColumn gives for the same row: the
// same types, the same texts.
//
// A column whose values may be longer than a bound buffer takes (CLOB,
// LONGTEXT, LONGBLOB) is left unbound and read in pieces with SQLGetData:
// in a block, after SQLSetPos positions on the row, where the driver does
// that reliably; otherwise the rowset is one row. (MariaDB Connector/ODBC
// 3.1.15 claims SQL_GD_BLOCK and SQL_POS_POSITION but hands out the block's
// last row after SQLSetPos to another.)
//
// A reader may work on a thread of its own: it counts none of its driver
// calls in the window's yield statistics, which only the window's thread
// keeps.
class BlockReader {
public:
    struct Options {
        int maxRows = 1000; // rows per fetch at most
        qsizetype bufferBytes = 8 << 20; // the bound buffers of one block at most
        qsizetype longValue = 1 << 20; // a column whose values may be longer is unbound
        // Text as UTF-8 (SQL_C_CHAR) rather than UTF-16: only where the
        // session's character set is UTF-8.
        bool narrowText = false;
        bool positionedReads = true; // SQLSetPos works within a block
    };

    BlockReader(SQLHSTMT stmt, QList<ResultColumn> columns, const Options& options);
    BlockReader(const BlockReader&) = delete;
    BlockReader& operator=(const BlockReader&) = delete;

    // After the statement was executed again (the bindings stay).
    void restart();
    // The next row's values; false at the end of the result. Throws
    // DbError when a fetch or a value fails.
    bool next(QList<Value>& row);

    int rowsPerFetch() const { return m_rows; }
    const QList<ResultColumn>& columns() const { return m_columns; }

private:
    enum class Kind {
        Signed,
        Unsigned,
        Real,
        Double,
        Decimal,
        Date,
        Timestamp,
        DateText, // MariaDB's dates: see ColumnInfo::mariadb
        Text,
        Binary,
        Unbound
    };
    struct Bound {
        Kind kind = Kind::Unbound;
        SQLSMALLINT cType = 0;
        SQLLEN width = 0; // bytes per row
        SQLLEN terminator = 0; // bytes of the null the driver adds to text
        std::vector<char> data;
        std::vector<SQLLEN> indicators;
    };

    void plan();
    bool fetch();
    Value value(int column, int rowInBlock);
    Value readWhole(int column, int rowInBlock);
    Value readUtf8(int column);
    SQLSMALLINT textType() const { return m_options.narrowText ? SQL_C_CHAR : SQL_C_WCHAR; }
    void position(int rowInBlock);

    SQLHSTMT m_stmt;
    QList<ResultColumn> m_columns;
    Options m_options;
    std::vector<Bound> m_bound;
    bool m_anyUnbound = false;
    int m_rows = 1;
    std::vector<SQLUSMALLINT> m_status;
    SQLULEN m_fetched = 0;
    int m_at = 0; // next row of the block
    int m_positioned = -1; // the row SQLSetPos last went to
    bool m_ended = false;
    std::optional<DbError> m_rowError; // the current block's, as fetched
};

} // namespace tw::odbc
