#include "support/exact_corpus.h"

#include "copy/exact/exact_types.h"
#include "db/recordset.h"
#include "sql/dialect.h"
#include "sql/value_text.h"
#include "support/testbed.h"

#include <QTest>

namespace tw::test {

using odbc::Value;
using sql::Server;

namespace {

const char* const mysqlTable
    = "CREATE TABLE src(id INT NOT NULL, ti TINYINT, tiu TINYINT UNSIGNED NOT NULL, si SMALLINT, "
      "miu MEDIUMINT UNSIGNED, iu INT UNSIGNED, bi BIGINT, biu BIGINT UNSIGNED, "
      "de DECIMAL(65,30), d102 DECIMAL(10,2), fl FLOAT, db DOUBLE, b1 BIT(1), b64 BIT(64), "
      "yr YEAR, d DATE, dt DATETIME NOT NULL, dt6 DATETIME(6), ts6 TIMESTAMP(6) NULL, tm TIME, "
      "tm6 TIME(6), c10 CHAR(10), vc VARCHAR(100), vcl VARCHAR(100) CHARACTER SET latin1, "
      "vcw VARCHAR(2000), tt TINYTEXT, tx TEXT, bn BINARY(8), vb VARBINARY(300), bl BLOB, "
      "en ENUM('alpha','beta','x y'), st SET('a','bb','ccc'), js JSON, PRIMARY KEY (tiu, id));"
      "INSERT INTO src VALUES(1, -128, 0, -32768, 0, 0, -9223372036854775808, 0, "
      "'-99999999999999999999999999999999999.999999999999999999999999999999', -99999999.99, "
      "-3.4028234663852886e38, -1.7976931348623157e308, b'0', b'0', 1901, '1000-01-01', "
      "'1000-01-01 00:00:00', '1000-01-01 00:00:00.000001', '2000-01-01 00:00:00.000001', "
      "'-838:59:59', '-00:00:00.5', 'a''b', 'Grüße, 日本語 😀 \\\\ back', 'Ü€', "
      "REPEAT('😀', 900), 'tiny', 'tab\\there\\nline', X'00', X'00FF00', "
      "REPEAT(X'00FF', 750), 'alpha', 'a,ccc', '{\"k\": [1, 2]}');"
      "INSERT INTO src VALUES(2, 127, 255, 32767, 16777215, 4294967295, 9223372036854775807, "
      "18446744073709551615, '99999999999999999999999999999999999.000000000000000000000000000001', "
      "99999999.99, 1.401298464324817e-45, 5e-324, b'1', "
      "b'1111111111111111111111111111111111111111111111111111111111111111', 2155, "
      "'9999-12-31', '9999-12-31 23:59:59', '9999-12-31 23:59:59.999999', "
      "'2037-12-31 23:59:59.999999', '838:59:59', '838:59:58.999999', 'ab', 'x', 'y', 'z', "
      "'t', 't', X'0102030405060708', X'01', X'00', 'x y', 'a,bb,ccc', '[]');"
      "INSERT INTO src (id, tiu, dt, fl, db) VALUES(3, 7, '2024-02-29 13:14:15', 0.1, 0.1);";

const char* const oracleTable
    = "CREATE TABLE \"SRC\"(\"ID\" NUMBER(10) NOT NULL, N NUMBER, N38 NUMBER(38), "
      "N102 NUMBER(10,2), NNEG NUMBER(5,-2), NS NUMBER(2,5), I INTEGER, F FLOAT, F20 FLOAT(20), "
      "BF BINARY_FLOAT, BD BINARY_DOUBLE, D DATE NOT NULL, TS TIMESTAMP, TS0 TIMESTAMP(0), "
      "TS9 TIMESTAMP(9), IDS INTERVAL DAY TO SECOND, IDS9 INTERVAL DAY(9) TO SECOND(9), "
      "VC VARCHAR2(100), VCB VARCHAR2(4000 BYTE), NVC NVARCHAR2(50), C CHAR(10), NC NCHAR(5), "
      "CL CLOB, NCL NCLOB, BL BLOB, R RAW(16), PRIMARY KEY (\"ID\"))";

const char* const oracleRows[] = {
    "INSERT INTO \"SRC\" VALUES(2147483647, 1e125, 12345678901234567890123456789012345678, "
    "12345678.9, 1234500, 0.00012, -7, 0.333333333333333333333333333333333333333333, 1.5, 1.5, "
    "'1.7976931348623157E308', TIMESTAMP '2024-02-29 13:14:15', "
    "TIMESTAMP '2024-02-29 13:14:15.123456', TIMESTAMP '2024-02-29 13:14:15', "
    "TIMESTAMP '2024-02-29 13:14:15.123456789', INTERVAL '-34 22:59:58.5' DAY TO SECOND, "
    "INTERVAL '123456789 01:02:03.123456789' DAY(9) TO SECOND(9), 'Grüße 😀', '%1', 'nvc', "
    "'c', 'nc', 'clob text', '日本', '00FF00', '0001')",
    "INSERT INTO \"SRC\" VALUES(1, -1.234e-130, -99999999999999999999999999999999999999, "
    "-99999999.99, -9999900, -0.00099, 0, 1e125, -2.5, '-3.4028235E38', '4.9E-324', "
    "TIMESTAMP '0001-01-01 00:00:00', TIMESTAMP '9999-12-31 23:59:59.999999', "
    "TIMESTAMP '0001-01-01 00:00:00', TIMESTAMP '0001-01-01 00:00:00.000000001', "
    "INTERVAL '0 00:00:00.000001' DAY TO SECOND, "
    "INTERVAL '-999999999 23:59:59.999999999' DAY(9) TO SECOND(9), 'a''b\\c', 'x', 'y', "
    "'padded', 'n', 'x', 'y', '00', 'FF')",
    "INSERT INTO \"SRC\" (\"ID\", D) VALUES(3, TIMESTAMP '2024-02-29 00:00:00')",
};

QString comparable(const Value& v, const Value& other)
{
    if (v.typeId() == qMetaTypeId<odbc::SqlDate>())
        return sql::valueText(v) + QStringLiteral(" 00:00:00");
    if (v.typeId() == QMetaType::QByteArray && other.isValid()
        && other.typeId() != QMetaType::QByteArray) {
        quint64 n = 0;
        for (const char b : v.toByteArray())
            n = n << 8 | static_cast<unsigned char>(b);
        return QString::number(n);
    }
    return odbc::isNull(v) ? QStringLiteral("NULL") : sql::valueText(v);
}

} // namespace

void createMySQLCorpus(const QString& database)
{
    Testbed::instance().mysql(QString::fromUtf8(mysqlTable), database);
}

void createOracleCorpus(const QString& user)
{
    Testbed& bed = Testbed::instance();
    bed.oracle(user, QString::fromLatin1(oracleTable));
    // 3,999 bytes: as long as a literal goes.
    const QString wide = QString(3990, u'x') + QString::fromUtf8("€€€");
    bed.oracle(user, QString::fromUtf8(oracleRows[0]).arg(wide));
    bed.oracle(user, QString::fromUtf8(oracleRows[1]));
    bed.oracle(user, QString::fromUtf8(oracleRows[2]));
}

QMap<QString, QList<Value>> rowsByKey(
    db::Connection& connection, Server server, const QString& table, const QList<int>& asText)
{
    db::Recordset rs;
    rs.Open(
        QStringLiteral("SELECT * FROM ") + sql::dialect(server).quote(table), connection, asText);
    QMap<QString, QList<Value>> out;
    for (; !rs.atEnd(); rs.MoveNext()) {
        QList<Value> row;
        for (const db::Field& f : rs.Fields())
            row.append(f.Value);
        out.insert(row.first().toString(), row);
    }
    return out;
}

void compareRoundTrip(
    db::Connection& connection, Server server, const QString& original, const QString& copy)
{
    const catalog::TableCatalog a = catalog::readTableCatalog(connection, server, original);
    const catalog::TableCatalog b = catalog::readTableCatalog(connection, server, copy);
    QCOMPARE(b.primaryKey, a.primaryKey);
    QCOMPARE(b.columns.size(), a.columns.size());
    for (qsizetype c = 0; c < a.columns.size(); ++c) {
        QCOMPARE(b.columns[c].name, a.columns[c].name);
        QVERIFY2(b.columns[c].nullable == a.columns[c].nullable, qPrintable(a.columns[c].name));
    }
    // The original's FLOAT(b) columns hold more than a double.
    const sql::Server out = sql::otherServer(server);
    const auto before = rowsByKey(
        connection, server, original, copy::sourceTextColumns(copy::exactTable(out, a)));
    const auto after = rowsByKey(connection, server, copy);
    QCOMPARE(after.keys(), before.keys());
    for (const QString& key : before.keys()) {
        for (qsizetype c = 0; c < a.columns.size(); ++c) {
            const Value was = before[key][c];
            const Value is = after[key][c];
            QVERIFY2(comparable(was, is) == comparable(is, was),
                qPrintable(QStringLiteral("row %1, %2: %3 became %4")
                               .arg(key, a.columns[c].name, comparable(was, is).left(200),
                                   comparable(is, was).left(200))));
        }
    }
}

void insertWithText(db::Connection& connection, const QString& sql, const QString& text)
{
    odbc::StatementHandle stmt = connection.newStatement();
    std::vector<SQLWCHAR> query = odbc::toSqlWChar(sql);
    odbc::check(SQLPrepareW(stmt.get(), query.data(), SQL_NTS), SQL_HANDLE_STMT, stmt.get());
    std::vector<SQLWCHAR> value = odbc::toSqlWChar(text);
    SQLLEN length = SQLLEN((value.size() - 1) * sizeof(SQLWCHAR));
    odbc::check(SQLBindParameter(stmt.get(), 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WLONGVARCHAR,
                    SQLULEN(text.size()), 0, value.data(), length, &length),
        SQL_HANDLE_STMT, stmt.get());
    odbc::check(SQLExecute(stmt.get()), SQL_HANDLE_STMT, stmt.get());
}

} // namespace tw::test
