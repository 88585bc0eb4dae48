#include "catalog/table_catalog.h"

#include "catalog/catalog_queries.h"
#include "catalog/whole_definition.h"
#include "db/recordset.h"
#include "db/yield.h"
#include "odbc/column_plan.h"
#include "odbc/error.h"
#include "odbc/result_reader.h"

#include <QHash>
#include <algorithm>
#include <sqlext.h>
#include <sqlucode.h>

// What the two drivers answer, measured with MariaDB Connector/ODBC 3.1.15
// against MariaDB 10.11 and with the Oracle stand-in (docs/type-mapping.md
// has the full tables):
//
// - MariaDB's SQLColumns gives name, DATA_TYPE, TYPE_NAME ("BIGINT UNSIGNED",
//   "ENUM", "SET", JSON as "LONGTEXT") and NULLABLE right, but DECIMAL_DIGITS
//   is NULL for DATETIME(6), TIMESTAMP(6) and TIME(6) alike, CHAR_OCTET_LENGTH
//   counts four bytes a character whatever the column's character set (and
//   gives numbers one: 1 for TINYINT, 9 for DECIMAL(65,30)), and
//   BIT(n) comes as SQL_BINARY with a COLUMN_SIZE that is neither bits nor
//   bytes (2 for BIT(5), 9 for BIT(64)). information_schema.COLUMNS says all
//   of it exactly, so the MySQL side takes sizes, digits and character sets
//   from there.
// - MariaDB's SQLPrimaryKeys lists the key's columns in table order with the
//   column's position as KEY_SEQ: PRIMARY KEY (si, ti) comes back as ti 1,
//   si 3. The key order is taken from information_schema.STATISTICS.
// - The stand-in answers SQLColumns and SQLPrimaryKeys from its catalog as
//   Oracle's driver does: DECIMAL_DIGITS is NULL for NUMBER without
//   precision, FLOAT(b) has COLUMN_SIZE b with NUM_PREC_RADIX 2, TYPE_NAME
//   carries "TIMESTAMP(9)" and "INTERVAL DAY(2) TO SECOND(6)".

namespace tw::catalog {

namespace {

// SQLColumns' result columns, numbered as ODBC 3 numbers them.
enum ColumnsResult {
    TableSchem = 2,
    TableName = 3,
    ColumnName = 4,
    DataType = 5,
    TypeName = 6,
    ColumnSize = 7,
    DecimalDigits = 9,
    NumPrecRadix = 10,
    Nullable = 11,
    CharOctetLength = 16,
    OrdinalPosition = 17,
};
// SQLPrimaryKeys' result columns.
enum KeysResult { KeyColumnName = 4, KeySeq = 5 };

// A catalog function's answer, read whole: it is a few rows. Its text is
// read wide even from MariaDB's driver, which makes these results itself.
QList<QList<odbc::Value>> fetchAll(SQLHSTMT stmt, const db::Connection& connection)
{
    const odbc::DriverTraits traits { false, connection.driverTraits().bigintCTypes };
    QList<odbc::ColumnPlan> plans;
    for (const odbc::ResultColumn& column : odbc::describeResult(stmt))
        plans.append(odbc::planColumn(column, false, traits));
    odbc::ResultReader reader(stmt, plans, connection.readerOptions(1));
    QList<QList<odbc::Value>> rows;
    QList<odbc::Value> row;
    while (reader.next(row))
        rows.append(row);
    return rows;
}

QString infoText(SQLHDBC dbc, SQLUSMALLINT item)
{
    SQLWCHAR text[256] = {};
    SQLSMALLINT length = 0;
    odbc::check(
        SQLGetInfoW(dbc, item, text, SQLSMALLINT(sizeof text), &length), SQL_HANDLE_DBC, dbc);
    return odbc::fromSqlWChar(text, qMin<qsizetype>(length / qsizetype(sizeof(SQLWCHAR)), 255));
}

// SQLColumns takes a pattern: '_' and '%' match any character. Escaped,
// they match themselves; either way the rows are filtered by exact name,
// since MariaDB's driver matches names without regard to letter case.
QString escapedPattern(const QString& name, const QString& escape)
{
    if (escape.isEmpty())
        return name;
    QString out;
    for (QChar c : name) {
        if (c == u'_' || c == u'%' || QString(c) == escape)
            out += escape;
        out += c;
    }
    return out;
}

std::optional<qint64> number(const odbc::Value& v)
{
    if (odbc::isNull(v))
        return std::nullopt;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    return ok ? std::optional<qint64>(n) : std::nullopt;
}

std::optional<int> smallNumber(const odbc::Value& v)
{
    const auto n = number(v);
    return n ? std::optional<int>(int(*n)) : std::nullopt;
}

void readColumns(db::Connection& connection, sql::Server server, const QString& table,
    TableCatalog& out, QString& schema)
{
    odbc::StatementHandle stmt = connection.newStatement();
    const QString escape = infoText(connection.handle(), SQL_SEARCH_PATTERN_ESCAPE);
    std::vector<SQLWCHAR> pattern = odbc::toSqlWChar(escapedPattern(table, escape));
    QList<QList<odbc::Value>> rows;
    {
        db::DriverWait wait;
        odbc::check(
            SQLColumnsW(stmt.get(), nullptr, 0, nullptr, 0, pattern.data(), SQL_NTS, nullptr, 0),
            SQL_HANDLE_STMT, stmt.get());
        rows = fetchAll(stmt.get(), connection);
    }
    rows.removeIf(
        [&](const QList<odbc::Value>& row) { return row[TableName - 1].toString() != table; });

    // Without a schema Oracle's driver lists every schema's table of that
    // name the user may see; the user's own is the one meant.
    QStringList schemas;
    for (const auto& row : std::as_const(rows)) {
        if (!schemas.contains(row[TableSchem - 1].toString()))
            schemas.append(row[TableSchem - 1].toString());
    }
    schema = schemas.value(0);
    if (server == sql::Server::Oracle && schemas.size() > 1) {
        const QString user = infoText(connection.handle(), SQL_USER_NAME);
        for (const QString& s : std::as_const(schemas)) {
            if (s.compare(user, Qt::CaseInsensitive) == 0)
                schema = s;
        }
        rows.removeIf([&](const QList<odbc::Value>& row) {
            return row[TableSchem - 1].toString() != schema;
        });
    }

    for (const auto& row : std::as_const(rows)) {
        CatalogColumn c;
        c.name = row[ColumnName - 1].toString();
        c.position = int(number(row[OrdinalPosition - 1]).value_or(0));
        c.sqlType = SQLSMALLINT(number(row[DataType - 1]).value_or(SQL_UNKNOWN_TYPE));
        c.typeName = row[TypeName - 1].toString();
        c.columnSize = number(row[ColumnSize - 1]);
        c.octetLength = number(row[CharOctetLength - 1]);
        c.decimalDigits = smallNumber(row[DecimalDigits - 1]);
        c.radix = smallNumber(row[NumPrecRadix - 1]).value_or(0);
        c.nullable = number(row[Nullable - 1]).value_or(SQL_NULLABLE) != SQL_NO_NULLS;
        c.isUnsigned = c.typeName.contains(QLatin1String("UNSIGNED"), Qt::CaseInsensitive);
        out.columns.append(c);
    }
    std::stable_sort(out.columns.begin(), out.columns.end(),
        [](const CatalogColumn& a, const CatalogColumn& b) { return a.position < b.position; });
}

void readOracleKey(
    db::Connection& connection, const QString& table, const QString& schema, TableCatalog& out)
{
    odbc::StatementHandle stmt = connection.newStatement();
    std::vector<SQLWCHAR> name = odbc::toSqlWChar(table);
    std::vector<SQLWCHAR> owner = odbc::toSqlWChar(schema);
    QList<QList<odbc::Value>> rows;
    {
        db::DriverWait wait;
        odbc::check(
            SQLPrimaryKeysW(stmt.get(), nullptr, 0, schema.isEmpty() ? nullptr : owner.data(),
                schema.isEmpty() ? 0 : SQL_NTS, name.data(), SQL_NTS),
            SQL_HANDLE_STMT, stmt.get());
        rows = fetchAll(stmt.get(), connection);
    }
    std::stable_sort(
        rows.begin(), rows.end(), [](const QList<odbc::Value>& a, const QList<odbc::Value>& b) {
            return number(a[KeySeq - 1]).value_or(0) < number(b[KeySeq - 1]).value_or(0);
        });
    for (const auto& row : std::as_const(rows))
        out.primaryKey.append(row[KeyColumnName - 1].toString());
}

// What MariaDB's driver leaves out or gets wrong (see the top of the file).
// Its SQLColumns calls a TIMESTAMP NOT NULL column nullable (MySQL fills in
// the current time for a NULL written to one), so NOT NULL is taken from
// IS_NULLABLE.
void readMySQLDetails(
    db::Connection& connection, const QString& table, bool whole, bool mariaDB, TableCatalog& out)
{
    const QString where = mysqlTableWhere(table);
    auto rs = connection.Execute(
        QStringLiteral("SELECT COLUMN_NAME, COLUMN_TYPE, CHARACTER_SET_NAME, "
                       "CHARACTER_MAXIMUM_LENGTH, CHARACTER_OCTET_LENGTH, NUMERIC_PRECISION, "
                       "NUMERIC_SCALE, DATETIME_PRECISION, IS_NULLABLE")
        + (whole ? QStringLiteral(", COLUMN_DEFAULT, EXTRA, COLUMN_COMMENT") : QString())
        + QStringLiteral(" FROM information_schema.COLUMNS") + where);
    QHash<QString, int> index;
    for (qsizetype i = 0; i < out.columns.size(); ++i)
        index.insert(out.columns[i].name, int(i));
    for (; rs && !rs->atEnd(); rs->MoveNext()) {
        auto at = index.constFind(rs->field(0).Value.toString());
        if (at == index.constEnd())
            continue;
        CatalogColumn& c = out.columns[*at];
        auto v = [&](int i) { return rs->field(i).Value; };
        c.columnType = v(1).toString();
        c.characterSet = v(2).toString();
        c.isUnsigned = c.columnType.contains(QLatin1String(" unsigned"));
        // The driver gives numbers an octet length of a kind of its own.
        c.octetLength = number(v(4));
        if (const auto chars = number(v(3))) {
            c.columnSize = chars;
        } else if (const auto digits = number(v(5))) {
            c.columnSize = digits;
            c.decimalDigits = smallNumber(v(6));
        } else if (const auto fraction = smallNumber(v(7))) {
            c.decimalDigits = fraction;
        }
        c.nullable = v(8).toString() != QLatin1String("NO");
        if (whole)
            readMySQLColumnExtras(v(9), v(10).toString(), v(11).toString(), mariaDB, c);
    }

    rs = connection.Execute(QStringLiteral("SELECT COLUMN_NAME FROM information_schema.STATISTICS")
        + where + QStringLiteral(" AND INDEX_NAME = 'PRIMARY' ORDER BY SEQ_IN_INDEX"));
    for (; rs && !rs->atEnd(); rs->MoveNext())
        out.primaryKey.append(rs->field(0).Value.toString());
}

// The rows of `sql` (an index's name, then a column's name or a null for
// a part that is no whole column), as each index's columns in the order
// they come; an index with a part that is no whole column is left out.
QList<QPair<QString, QStringList>> indexColumns(db::Connection& connection, const QString& sql)
{
    QList<QPair<QString, QStringList>> keys;
    QStringList partial;
    for (auto rs = connection.Execute(sql); rs && !rs->atEnd(); rs->MoveNext()) {
        const QString index = rs->field(0).Value.toString();
        if (keys.isEmpty() || keys.last().first != index)
            keys.append({ index, {} });
        const odbc::Value column = rs->field(1).Value;
        if (odbc::isNull(column))
            partial << index;
        keys.last().second.append(column.toString());
    }
    keys.removeIf([&](const auto& key) { return partial.contains(key.first); });
    return keys;
}

} // namespace

void readUniqueKeys(
    db::Connection& connection, sql::Server server, const QString& table, TableCatalog& out)
{
    out.uniqueKeys.clear();
    if (server == sql::Server::MySQL) {
        const auto keys = indexColumns(connection,
            QStringLiteral("SELECT INDEX_NAME, IF(SUB_PART IS NULL, COLUMN_NAME, NULL) FROM "
                           "information_schema.STATISTICS WHERE TABLE_SCHEMA = DATABASE() AND "
                           "TABLE_NAME = %1 AND NON_UNIQUE = 0 ORDER BY INDEX_NAME, SEQ_IN_INDEX")
                .arg(mysqlBytes(table)));
        for (const auto& key : keys)
            out.uniqueKeys.append(key.second);
        return;
    }
    // Two queries, not a join: the unique indexes on whole columns, then
    // the columns of every index.
    QStringList unique;
    for (auto rs = connection.Execute(
             QStringLiteral("SELECT INDEX_NAME FROM USER_INDEXES WHERE TABLE_NAME = %1 AND "
                            "UNIQUENESS = 'UNIQUE' AND INDEX_TYPE = 'NORMAL'")
                 .arg(oracleText(table)));
         rs && !rs->atEnd(); rs->MoveNext())
        unique << rs->field(0).Value.toString();
    const auto keys = indexColumns(connection,
        QStringLiteral("SELECT INDEX_NAME, COLUMN_NAME FROM USER_IND_COLUMNS WHERE TABLE_NAME = %1 "
                       "ORDER BY INDEX_NAME, COLUMN_POSITION")
            .arg(oracleText(table)));
    for (const auto& key : keys) {
        if (unique.contains(key.first))
            out.uniqueKeys.append(key.second);
    }
}

QList<QSet<QString>> readEveryUniqueness(
    db::Connection& connection, sql::Server server, const QString& table)
{
    // Pairs of queries: the names of a kind of unique key, then every
    // key's columns (name, column).
    QList<QStringList> queries;
    if (server == sql::Server::MySQL) {
        const QString where
            = QStringLiteral(" FROM information_schema.STATISTICS") + mysqlTableWhere(table);
        queries = { { QStringLiteral("SELECT DISTINCT INDEX_NAME") + where
                + QStringLiteral(" AND NON_UNIQUE = 0"),
            QStringLiteral("SELECT INDEX_NAME, COLUMN_NAME") + where
                + QStringLiteral(" ORDER BY INDEX_NAME, SEQ_IN_INDEX") } };
    } else {
        const QString name = oracleText(table);
        queries
            = { { QStringLiteral("SELECT CONSTRAINT_NAME FROM USER_CONSTRAINTS WHERE TABLE_NAME = "
                                 "%1 AND CONSTRAINT_TYPE IN ('P', 'U')")
                        .arg(name),
                    QStringLiteral("SELECT CONSTRAINT_NAME, COLUMN_NAME FROM USER_CONS_COLUMNS "
                                   "WHERE TABLE_NAME = %1 ORDER BY CONSTRAINT_NAME, POSITION")
                        .arg(name) },
                  { QStringLiteral("SELECT INDEX_NAME FROM USER_INDEXES WHERE TABLE_NAME = %1 AND "
                                   "UNIQUENESS = 'UNIQUE'")
                          .arg(name),
                      QStringLiteral("SELECT INDEX_NAME, COLUMN_NAME FROM USER_IND_COLUMNS WHERE "
                                     "TABLE_NAME = %1 ORDER BY INDEX_NAME, COLUMN_POSITION")
                          .arg(name) } };
    }
    QList<QSet<QString>> keys;
    for (const QStringList& pair : std::as_const(queries)) {
        QSet<QString> names;
        for (auto rs = connection.Execute(pair[0]); rs && !rs->atEnd(); rs->MoveNext())
            names << rs->field(0).Value.toString();
        QHash<QString, QSet<QString>> columns;
        for (auto rs = connection.Execute(pair[1]); rs && !rs->atEnd(); rs->MoveNext()) {
            const QString key = rs->field(0).Value.toString();
            if (names.contains(key))
                columns[key] << rs->field(1).Value.toString().toUpper();
        }
        for (const QSet<QString>& set : std::as_const(columns)) {
            if (!keys.contains(set))
                keys << set;
        }
    }
    return keys;
}

TableCatalog readTableCatalog(
    db::Connection& connection, sql::Server server, const QString& table, bool whole)
{
    TableCatalog out;
    QString schema;
    readColumns(connection, server, table, out, schema);
    if (out.columns.isEmpty())
        throw odbc::DbError(QStringLiteral("No table named %1 was found.").arg(table));
    const bool mariaDB = whole && server == sql::Server::MySQL && isMariaDBServer(connection);
    if (server == sql::Server::MySQL)
        readMySQLDetails(connection, table, whole, mariaDB, out);
    else
        readOracleKey(connection, table, schema, out);
    if (whole) {
        out.whole = true;
        if (server == sql::Server::MySQL)
            readMySQLDefinition(connection, table, mariaDB, out);
        else
            readOracleDefinition(connection, table, out);
    }
    return out;
}

} // namespace tw::catalog
