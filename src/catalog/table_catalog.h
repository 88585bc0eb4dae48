#pragma once

#include "db/connection.h"
#include "sql/server.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>
#include <sql.h>

namespace tw::catalog {

// One column of a table as its declaration says, not as a result describes
// it: Oracle's NUMBER and NUMBER(38) read alike through SQLDescribeCol, and
// MariaDB's driver describes DATETIME(6) and DATETIME alike in SQLColumns.
// A column's default as the server keeps it, in one form for both servers.
struct ColumnDefault {
    enum class Kind {
        Value, // a constant: `text` is the value's own text ("it's", "4.99",
               // "2020-01-01 00:00:00.5"; an Oracle RAW's as hex)
        Clock, // the current date and time (CURRENT_TIMESTAMP, SYSDATE, ...)
        Expression, // anything else: `text` as the catalog keeps it
    };
    Kind kind = Kind::Value;
    QString text;
    bool operator==(const ColumnDefault&) const = default;
};

struct CatalogColumn {
    QString name;
    int position = 0; // from 1, in the table's order
    SQLSMALLINT sqlType = SQL_UNKNOWN_TYPE; // SQLColumns' DATA_TYPE
    QString typeName; // the driver's TYPE_NAME: "NUMBER", "TIMESTAMP(9)", "BIGINT UNSIGNED"
    // Digits for numbers (bits for Oracle FLOAT(b) and MySQL BIT(n)),
    // characters for text, bytes for binary data; none when unknown.
    std::optional<qint64> columnSize;
    std::optional<qint64> octetLength; // the most bytes a text value takes in its character set
    // The scale of a number (negative for Oracle's NUMBER(p,-s)), the
    // fractional-second digits of a time or timestamp; none for a number
    // declared without precision and for floating point.
    std::optional<int> decimalDigits;
    int radix = 0; // 10, or 2 for Oracle's FLOAT(b); 0 when not a number
    bool isUnsigned = false;
    bool nullable = true;
    // MySQL only, from information_schema.COLUMNS: the declaration as the
    // server keeps it ("decimal(65,30) unsigned", "enum('a','b')",
    // "datetime(6)") and the character set of a text column.
    QString columnType;
    QString characterSet;

    // Read only for a table's whole definition (readTableCatalog's `whole`).
    std::optional<ColumnDefault> defaultValue; // none: no default, or DEFAULT NULL
    // MySQL AUTO_INCREMENT, or an Oracle identity column.
    bool autoNumbered = false;
    bool identityAlways = false; // Oracle GENERATED ALWAYS
    qint64 identityIncrement = 1; // Oracle INCREMENT BY
    bool onUpdateNow = false; // MySQL ON UPDATE CURRENT_TIMESTAMP
    bool computed = false; // a MySQL generated (virtual or stored) column
    QString comment; // empty: none
};

// An index or a unique constraint other than the primary key.
struct CatalogIndex {
    struct Column {
        QString name; // empty for an expression
        bool descending = false;
        int prefix = 0; // MySQL: the first characters or bytes only
        QString expression; // Oracle: a function-based index's expression
    };
    QString name;
    bool unique = false;
    // A unique constraint (MySQL: every unique index; Oracle: a constraint
    // of type U) rather than an index alone.
    bool constraint = false;
    bool namedBySystem = false; // Oracle: a name Oracle gave (SYS_C...)
    QString kind; // MySQL's FULLTEXT, SPATIAL or HASH; empty for an ordinary index
    QList<Column> columns;
};

struct CatalogForeignKey {
    QString name;
    bool namedBySystem = false;
    QStringList columns;
    QString parentTable;
    bool parentElsewhere = false; // in another database or schema
    QStringList parentColumns; // in the order of `columns`
    QString onDelete; // CASCADE, SET NULL, NO ACTION, RESTRICT, SET DEFAULT
    QString onUpdate; // MySQL only, as onDelete
};

struct CatalogCheck {
    QString name;
    bool namedBySystem = false;
    QString condition; // as the catalog keeps it
};

struct TableCatalog {
    QList<CatalogColumn> columns; // in the table's order
    QStringList primaryKey; // column names in key order; empty without a key

    // Read only for the whole definition.
    bool whole = false;
    bool isView = false; // MySQL: a view, read as a table
    QString comment;
    QString primaryKeyName; // Oracle's name of the key's constraint
    QList<CatalogIndex> indexes;
    QList<CatalogForeignKey> foreignKeys;
    QList<CatalogCheck> checks;
    QStringList triggers; // their names only: triggers are not translated
    // The unique indexes, each as its column names in key order (filled by
    // readUniqueKeys only): on Oracle the primary key's index among them.
    QList<QStringList> uniqueKeys;
};

// Reads the declared columns and the primary key of `table` (its exact name,
// letter case included) in the connection's own database or schema; with
// `whole`, also its indexes, unique and foreign keys, checks, defaults,
// auto-numbered column and comments. Throws DbError when the driver
// refuses, or when no such table is found.
TableCatalog readTableCatalog(
    db::Connection& connection, sql::Server server, const QString& table, bool whole = false);

// The views of the connection's MySQL database (Oracle's table list holds
// none).
QStringList readMySQLViews(db::Connection& connection);

// Reads the unique indexes of `table` into `out.uniqueKeys`, from Oracle's
// USER_INDEXES and USER_IND_COLUMNS or MySQL's information_schema.STATISTICS:
// indexes on whole columns only (no function-based index, no MySQL prefix).
// Throws DbError.
void readUniqueKeys(
    db::Connection& connection, sql::Server server, const QString& table, TableCatalog& out);

// Every uniqueness the server enforces on `table`, each as the set of its
// columns in upper case, without repeats: unique indexes of any kind (MySQL
// prefixes and Oracle function-based ones included) and on Oracle the
// primary and unique constraints, whose index need not be unique. What an
// upsert must know, since a row may meet any of them. Throws DbError.
QList<QSet<QString>> readEveryUniqueness(
    db::Connection& connection, sql::Server server, const QString& table);

} // namespace tw::catalog
