// Result metadata (SQLDescribeColW, SQLColAttributeW), conversions of values
// to the C types the data access layer asks for, data in pieces, NULLs, and
// Unicode text end to end with no locale set.

#include "standin_fixture.h"

#include <QTest>
#include <clocale>
#include <cstring>

using namespace standintest;

namespace {

QString fromWide(const SQLWCHAR* s, SQLLEN units)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), units);
}

// Renders what SQLGetData wrote, per C type, so that table rows can say
// what they expect as text.
QString render(SQLSMALLINT cType, const char* buffer, SQLLEN indicator)
{
    switch (cType) {
    case SQL_C_SBIGINT: {
        SQLBIGINT v;
        std::memcpy(&v, buffer, sizeof v);
        return QString::number(v);
    }
    case SQL_C_SLONG: {
        SQLINTEGER v;
        std::memcpy(&v, buffer, sizeof v);
        return QString::number(v);
    }
    case SQL_C_DOUBLE: {
        SQLDOUBLE v;
        std::memcpy(&v, buffer, sizeof v);
        return QString::number(v, 'g', 17);
    }
    case SQL_C_FLOAT: {
        SQLREAL v;
        std::memcpy(&v, buffer, sizeof v);
        return QString::number(v, 'g', 9);
    }
    case SQL_C_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT t;
        std::memcpy(&t, buffer, sizeof t);
        return QString::asprintf("%04d-%02u-%02u %02u:%02u:%02u.%u", t.year, t.month, t.day, t.hour,
            t.minute, t.second, t.fraction);
    }
    case SQL_C_TYPE_DATE: {
        SQL_DATE_STRUCT d;
        std::memcpy(&d, buffer, sizeof d);
        return QString::asprintf("%04d-%02u-%02u", d.year, d.month, d.day);
    }
    case SQL_C_CHAR:
        return QString::fromUtf8(buffer, int(indicator));
    case SQL_C_BINARY:
        return QByteArray(buffer, int(indicator)).toHex().toUpper();
    default:
        return "?";
    }
}

} // namespace

class TestMetadata : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // No locale at all: the driver manager must not be able to spoil text.
        qunsetenv("LANG");
        qunsetenv("LC_ALL");
        std::setlocale(LC_ALL, "C");
        m_world = std::make_unique<World>(acceptBigIntCTypes);
        m_c = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_c->open("SCOTT", "tiger")));
        QVERIFY(run(*m_c, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"));
        QVERIFY(run(*m_c, "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'"));
    }

    // A failed case must not leave its table behind for the next one.
    void cleanup()
    {
        for (const char* table : { "M", "G", "N", "Z", "L", "BIN", "RC" })
            Statement(*m_c).exec(QString("DROP TABLE \"%1\"").arg(table));
    }

    void describe_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("sqlType");
        QTest::addColumn<qlonglong>("size");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("typeName");

        QTest::newRow("VARCHAR2(20)")
            << "VARCHAR2(20)" << int(SQL_VARCHAR) << 20LL << 0 << "VARCHAR2";
        QTest::newRow("VARCHAR(2000)")
            << "VARCHAR(2000)" << int(SQL_VARCHAR) << 2000LL << 0 << "VARCHAR2";
        QTest::newRow("NVARCHAR2(10)")
            << "NVARCHAR2(10)" << int(SQL_WVARCHAR) << 10LL << 0 << "NVARCHAR2";
        QTest::newRow("CHAR(3)") << "CHAR(3)" << int(SQL_CHAR) << 3LL << 0 << "CHAR";
        QTest::newRow("NUMBER(10,2)")
            << "NUMBER(10,2)" << int(SQL_DECIMAL) << 10LL << 2 << "NUMBER";
        QTest::newRow("NUMBER(7)") << "NUMBER(7)" << int(SQL_DECIMAL) << 7LL << 0 << "NUMBER";
        QTest::newRow("NUMBER") << "NUMBER" << int(SQL_DECIMAL) << 38LL << 0 << "NUMBER";
        QTest::newRow("INT") << "INT" << int(SQL_DECIMAL) << 38LL << 0 << "NUMBER";
        QTest::newRow("INTEGER") << "INTEGER" << int(SQL_DECIMAL) << 38LL << 0 << "NUMBER";
        QTest::newRow("FLOAT") << "FLOAT" << int(SQL_DOUBLE) << 15LL << 0 << "FLOAT";
        QTest::newRow("BINARY_FLOAT")
            << "BINARY_FLOAT" << int(SQL_REAL) << 7LL << 0 << "BINARY_FLOAT";
        QTest::newRow("BINARY_DOUBLE")
            << "BINARY_DOUBLE" << int(SQL_DOUBLE) << 15LL << 0 << "BINARY_DOUBLE";
        QTest::newRow("DATE") << "DATE" << int(SQL_TYPE_TIMESTAMP) << 19LL << 0 << "DATE";
        QTest::newRow("TIMESTAMP")
            << "TIMESTAMP" << int(SQL_TYPE_TIMESTAMP) << 26LL << 6 << "TIMESTAMP";
        QTest::newRow("TIMESTAMP(3)")
            << "TIMESTAMP(3)" << int(SQL_TYPE_TIMESTAMP) << 23LL << 3 << "TIMESTAMP";
        QTest::newRow("CLOB") << "CLOB" << int(SQL_LONGVARCHAR) << 2147483647LL << 0 << "CLOB";
        QTest::newRow("LONG") << "LONG" << int(SQL_LONGVARCHAR) << 2147483647LL << 0 << "LONG";
        QTest::newRow("NCLOB") << "NCLOB" << int(SQL_WLONGVARCHAR) << 2147483647LL << 0 << "NCLOB";
        QTest::newRow("BLOB") << "BLOB" << int(SQL_LONGVARBINARY) << 2147483647LL << 0 << "BLOB";
        QTest::newRow("RAW(16)") << "RAW(16)" << int(SQL_VARBINARY) << 16LL << 0 << "RAW";
        QTest::newRow("NCHAR(4)") << "NCHAR(4)" << int(SQL_WCHAR) << 4LL << 0 << "NCHAR";
        // NUMBER(5,-2) holds integers of up to seven digits.
        QTest::newRow("NUMBER(5,-2)") << "NUMBER(5,-2)" << int(SQL_DECIMAL) << 7LL << 0 << "NUMBER";
        QTest::newRow("NUMBER(*,2)") << "NUMBER(*,2)" << int(SQL_DECIMAL) << 38LL << 2 << "NUMBER";
        QTest::newRow("TIMESTAMP(9)")
            << "TIMESTAMP(9)" << int(SQL_TYPE_TIMESTAMP) << 29LL << 9 << "TIMESTAMP";
        QTest::newRow("TIMESTAMP(0)")
            << "TIMESTAMP(0)" << int(SQL_TYPE_TIMESTAMP) << 19LL << 0 << "TIMESTAMP";
        // As text, "-DD HH:MI:SS.FFFFFF": Oracle's driver has no ODBC interval types.
        QTest::newRow("INTERVAL DAY TO SECOND") << "INTERVAL DAY TO SECOND" << int(SQL_VARCHAR)
                                                << 19LL << 0 << "INTERVAL DAY TO SECOND";
        // NOT NULL and key columns are described as SQL_NO_NULLS.
        QTest::newRow("NOT NULL") << "NUMBER(10) NOT NULL" << int(SQL_DECIMAL) << 10LL << 0
                                  << "NUMBER";
        QTest::newRow("PRIMARY KEY")
            << "VARCHAR2(8) PRIMARY KEY" << int(SQL_VARCHAR) << 8LL << 0 << "VARCHAR2";
    }

    void describe()
    {
        QFETCH(QString, type);
        QFETCH(int, sqlType);
        QFETCH(qlonglong, size);
        QFETCH(int, digits);
        QFETCH(QString, typeName);
        QVERIFY(run(*m_c, "CREATE TABLE \"M\"(\"Spalte ä\" " + type + ",\"B\" INT)"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"M\"")));
        QCOMPARE(s.columnCount(), SQLSMALLINT(2));
        SQLWCHAR name[64];
        SQLSMALLINT nameLength = 0, gotType = 0, gotDigits = -1, nullable = -1;
        SQLULEN gotSize = 0;
        QVERIFY(SQL_SUCCEEDED(SQLDescribeColW(
            s.handle(), 1, name, 64, &nameLength, &gotType, &gotSize, &gotDigits, &nullable)));
        QCOMPARE(fromWide(name, nameLength), QString("Spalte ä"));
        QCOMPARE(int(gotType), sqlType);
        QCOMPARE(qlonglong(gotSize), size);
        QCOMPARE(int(gotDigits), digits);
        const SQLSMALLINT expectedNullable
            = type.contains("NOT NULL") || type.contains("PRIMARY KEY") ? SQL_NO_NULLS
                                                                        : SQL_NULLABLE;
        QCOMPARE(nullable, expectedNullable);
        SQLLEN attribute = -1;
        QVERIFY(SQL_SUCCEEDED(
            SQLColAttributeW(s.handle(), 1, SQL_DESC_NULLABLE, nullptr, 0, nullptr, &attribute)));
        QCOMPARE(attribute, SQLLEN(expectedNullable));

        SQLLEN concise = 0;
        QVERIFY(SQL_SUCCEEDED(
            SQLColAttributeW(s.handle(), 1, SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &concise)));
        QCOMPARE(int(concise), sqlType);
        SQLWCHAR text[64];
        SQLSMALLINT textBytes = 0;
        QVERIFY(SQL_SUCCEEDED(SQLColAttributeW(
            s.handle(), 1, SQL_DESC_TYPE_NAME, text, sizeof text, &textBytes, nullptr)));
        QCOMPARE(fromWide(text, textBytes / 2), typeName);
        QVERIFY(SQL_SUCCEEDED(SQLColAttributeW(
            s.handle(), 1, SQL_DESC_NAME, text, sizeof text, &textBytes, nullptr)));
        QCOMPARE(fromWide(text, textBytes / 2), QString("Spalte ä"));
        SQLLEN count = 0;
        QVERIFY(SQL_SUCCEEDED(
            SQLColAttributeW(s.handle(), 0, SQL_DESC_COUNT, nullptr, 0, nullptr, &count)));
        QCOMPARE(count, SQLLEN(2));
        s.close();
        QVERIFY(run(*m_c, "DROP TABLE \"M\""));
    }

    void getData_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("cType");
        QTest::addColumn<int>("rc");
        QTest::addColumn<QString>("state"); // of the first record, when rc is not SQL_SUCCESS
        QTest::addColumn<QString>("expected");

        const int ok = SQL_SUCCESS, info = SQL_SUCCESS_WITH_INFO, error = SQL_ERROR;
        QTest::newRow("INT to SBIGINT") << "INT"
                                        << "'123456789012'" << int(SQL_C_SBIGINT) << ok << ""
                                        << "123456789012";
        QTest::newRow("NUMBER to SBIGINT cuts fraction")
            << "NUMBER(10,2)"
            << "'-12.75'" << int(SQL_C_SBIGINT) << info << "01S07"
            << "-12";
        QTest::newRow("text digits to SBIGINT") << "VARCHAR2(9)"
                                                << "'42'" << int(SQL_C_SBIGINT) << ok << ""
                                                << "42";
        QTest::newRow("text to SBIGINT refused") << "VARCHAR2(9)"
                                                 << "'x'" << int(SQL_C_SBIGINT) << error << "22018"
                                                 << "";
        QTest::newRow("huge NUMBER to SBIGINT")
            << "NUMBER"
            << "'1e30'" << int(SQL_C_SBIGINT) << error << "22003"
            << "";
        QTest::newRow("NUMBER past SLONG") << "NUMBER"
                                           << "'3000000000'" << int(SQL_C_SLONG) << error << "22003"
                                           << "";
        QTest::newRow("FLOAT to DOUBLE") << "FLOAT"
                                         << "'2.5'" << int(SQL_C_DOUBLE) << ok << ""
                                         << "2.5";
        QTest::newRow("NUMBER to DOUBLE") << "NUMBER(10,2)"
                                          << "'-1234.5'" << int(SQL_C_DOUBLE) << ok << ""
                                          << "-1234.5";
        QTest::newRow("BINARY_FLOAT to FLOAT") << "BINARY_FLOAT"
                                               << "'0.1'" << int(SQL_C_FLOAT) << ok << ""
                                               << "0.100000001";
        QTest::newRow("DECIMAL digits as CHAR") << "NUMBER(12,4)"
                                                << "'-98765.4321'" << int(SQL_C_CHAR) << ok << ""
                                                << "-98765.4321";
        QTest::newRow("DATE to TIMESTAMP")
            << "DATE"
            << "'2024-02-29 23:59:58'" << int(SQL_C_TYPE_TIMESTAMP) << ok << ""
            << "2024-02-29 23:59:58.0";
        QTest::newRow("TIMESTAMP to TIMESTAMP")
            << "TIMESTAMP"
            << "'2024-02-29 23:59:58.123456'" << int(SQL_C_TYPE_TIMESTAMP) << ok << ""
            << "2024-02-29 23:59:58.123456000";
        QTest::newRow("DATE to DATE") << "DATE"
                                      << "'2024-02-29'" << int(SQL_C_TYPE_DATE) << ok << ""
                                      << "2024-02-29";
        QTest::newRow("DATE with time to DATE")
            << "DATE"
            << "'2024-02-29 10:00:00'" << int(SQL_C_TYPE_DATE) << info << "01S07"
            << "2024-02-29";
        QTest::newRow("DATE as CHAR") << "DATE"
                                      << "'2024-02-29 10:00:00'" << int(SQL_C_CHAR) << ok << ""
                                      << "2024-02-29 10:00:00";
        QTest::newRow("DATE to SBIGINT refused")
            << "DATE"
            << "'2024-02-29'" << int(SQL_C_SBIGINT) << error << "07006"
            << "";
        QTest::newRow("BLOB to BINARY") << "BLOB"
                                        << "'00FF10'" << int(SQL_C_BINARY) << ok << ""
                                        << "00FF10";
        QTest::newRow("RAW to BINARY") << "RAW(4)"
                                       << "'0a0b'" << int(SQL_C_BINARY) << ok << ""
                                       << "0A0B";
        QTest::newRow("BLOB as CHAR is hex") << "BLOB"
                                             << "'00ff10'" << int(SQL_C_CHAR) << ok << ""
                                             << "00FF10";
        QTest::newRow("CLOB as CHAR is UTF-8") << "CLOB"
                                               << "'Grüße'" << int(SQL_C_CHAR) << ok << ""
                                               << "Grüße";
    }

    void getData()
    {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(int, cType);
        QFETCH(int, rc);
        QFETCH(QString, state);
        QFETCH(QString, expected);
        QVERIFY(run(*m_c, "CREATE TABLE \"G\"(\"V\" " + type + ")"));
        QVERIFY(run(*m_c, "INSERT INTO \"G\" VALUES(" + value + ")"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"G\"")));
        QVERIFY(s.fetch());
        char buffer[256] = {};
        SQLLEN indicator = 0;
        const SQLRETURN got
            = SQLGetData(s.handle(), 1, SQLSMALLINT(cType), buffer, sizeof buffer, &indicator);
        QCOMPARE(int(got), rc);
        if (rc != SQL_SUCCESS)
            QCOMPARE(s.diag().state, state);
        if (SQL_SUCCEEDED(got))
            QCOMPARE(render(SQLSMALLINT(cType), buffer, indicator), expected);
        s.close();
        QVERIFY(run(*m_c, "DROP TABLE \"G\""));
    }

    void numberTooWideForCharBuffer()
    {
        QVERIFY(run(*m_c, "CREATE TABLE \"N\"(\"V\" NUMBER)"));
        QVERIFY(run(*m_c, "INSERT INTO \"N\" VALUES('123456.5')"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"N\"")));
        QVERIFY(s.fetch());
        char small[4];
        SQLLEN indicator = 0;
        QCOMPARE(SQLGetData(s.handle(), 1, SQL_C_CHAR, small, sizeof small, &indicator),
            SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().state, QString("22003"));
        s.close();
        QVERIFY(run(*m_c, "DROP TABLE \"N\""));
    }

    void nullsOfEveryType()
    {
        QVERIFY(run(*m_c,
            "CREATE TABLE \"Z\"(\"A\" VARCHAR2(5),\"B\" NUMBER,\"C\" DATE,\"D\" BLOB,\"E\" "
            "FLOAT)"));
        QVERIFY(run(*m_c, "INSERT INTO \"Z\" VALUES(NULL, NULL, '', NULL, '')"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"Z\"")));
        QVERIFY(s.fetch());
        const SQLSMALLINT types[]
            = { SQL_C_WCHAR, SQL_C_CHAR, SQL_C_TYPE_TIMESTAMP, SQL_C_BINARY, SQL_C_DOUBLE };
        for (SQLUSMALLINT col = 1; col <= 5; ++col) {
            char buffer[64];
            SQLLEN indicator = 0;
            QCOMPARE(SQLGetData(s.handle(), col, types[col - 1], buffer, sizeof buffer, &indicator),
                SQLRETURN(SQL_SUCCESS));
            QCOMPARE(indicator, SQLLEN(SQL_NULL_DATA));
        }
        s.close();
        // Without an indicator a NULL cannot be reported.
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"Z\"")));
        QVERIFY(s.fetch());
        char buffer[64];
        QCOMPARE(SQLGetData(s.handle(), 1, SQL_C_CHAR, buffer, sizeof buffer, nullptr),
            SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().state, QString("22002"));
        s.close();
        QVERIFY(run(*m_c, "DROP TABLE \"Z\""));
    }

    void longTextInPieces()
    {
        // 3000 characters of which 100 are emoji: 3100 bytes as a literal,
        // 3100 UTF-16 units, read 500 bytes at a time.
        QString original;
        for (int i = 0; i < 2900; ++i)
            original += QChar(u"abcdefghij"[i % 10]);
        for (int i = 0; i < 100; ++i)
            original += QString::fromUtf8("😀");
        QVERIFY(run(*m_c, "CREATE TABLE \"L\"(\"T\" CLOB)"));
        QVERIFY(run(*m_c, "INSERT INTO \"L\" VALUES('" + original + "')"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"L\"")));
        QVERIFY(s.fetch());
        QString assembled;
        SQLLEN expectRemaining = original.size() * 2;
        int pieces = 0;
        for (;;) {
            SQLWCHAR buffer[250];
            SQLLEN indicator = 0;
            const SQLRETURN rc
                = SQLGetData(s.handle(), 1, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
            if (rc == SQL_NO_DATA)
                break;
            QVERIFY(SQL_SUCCEEDED(rc));
            ++pieces;
            QCOMPARE(indicator, expectRemaining);
            const SQLLEN units = rc == SQL_SUCCESS_WITH_INFO ? 249 : indicator / 2;
            if (rc == SQL_SUCCESS_WITH_INFO)
                QCOMPARE(s.diag().state, QString("01004"));
            QCOMPARE(buffer[units], SQLWCHAR(0));
            assembled += fromWide(buffer, units);
            expectRemaining -= units * 2;
        }
        QCOMPARE(pieces, (original.size() + 248) / 249);
        QCOMPARE(assembled, original);
        s.close();
        QVERIFY(run(*m_c, "DROP TABLE \"L\""));
    }

    void binaryInPieces()
    {
        QByteArray bytes;
        for (int i = 0; i < 1500; ++i)
            bytes += char(i * 7);
        QVERIFY(run(*m_c, "CREATE TABLE \"BIN\"(\"B\" BLOB)"));
        QVERIFY(
            run(*m_c, "INSERT INTO \"BIN\" VALUES('" + QString::fromLatin1(bytes.toHex()) + "')"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"BIN\"")));
        QVERIFY(s.fetch());
        QByteArray assembled;
        QList<SQLLEN> indicators;
        SQLRETURN rc;
        char buffer[400];
        SQLLEN indicator = 0;
        while ((rc = SQLGetData(s.handle(), 1, SQL_C_BINARY, buffer, sizeof buffer, &indicator))
            != SQL_NO_DATA) {
            QVERIFY(SQL_SUCCEEDED(rc));
            indicators << indicator;
            assembled += QByteArray(buffer, int(std::min<SQLLEN>(indicator, sizeof buffer)));
        }
        QCOMPARE(indicators, QList<SQLLEN>({ 1500, 1100, 700, 300 }));
        QCOMPARE(assembled, bytes);
        s.close();
        QVERIFY(run(*m_c, "DROP TABLE \"BIN\""));
    }

    void unicodeEndToEnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("German") << QString::fromUtf8("Grüße aus Köln");
        QTest::newRow("Greek") << QString::fromUtf8("Καλημέρα");
        QTest::newRow("Cyrillic") << QString::fromUtf8("Здравствуйте");
        QTest::newRow("Chinese") << QString::fromUtf8("你好，世界");
        QTest::newRow("emoji pairs") << QString::fromUtf8("👍🏽 party 🎉 and 😀");
        QTest::newRow("quote inside") << QString::fromUtf8("l'été");
    }

    void unicodeEndToEnd()
    {
        QFETCH(QString, text);
        QString literal = text;
        literal.replace("'", "''");
        QVERIFY(run(*m_c,
            "CREATE TABLE \"" + text + "\"(\"" + text + "\" NVARCHAR2(100),\"V\" VARCHAR2(200))"));
        QVERIFY(
            run(*m_c, "INSERT INTO \"" + text + "\" VALUES('" + literal + "', '" + literal + "')"));
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT table_name FROM user_tables")));
        QVERIFY(s.rows().contains(text));
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"" + text + "\"")));
        SQLWCHAR name[128];
        SQLSMALLINT length = 0;
        QVERIFY(SQL_SUCCEEDED(SQLDescribeColW(
            s.handle(), 1, name, 128, &length, nullptr, nullptr, nullptr, nullptr)));
        QCOMPARE(fromWide(name, length), text);
        QCOMPARE(s.rows(), QStringList { text + "|" + text });
        // Messages carry the text too.
        QCOMPARE(s.exec("RENAME \"" + text + "x\" TO \"y\""), SQLRETURN(SQL_ERROR));
        QCOMPARE(
            s.diag().message, "[Oracle][ODBC][Ora]ORA-04043: object " + text + "x does not exist");
        QVERIFY(run(*m_c, "DROP TABLE \"" + text + "\""));
    }

    void rowCounts()
    {
        Statement s(*m_c);
        QVERIFY(SQL_SUCCEEDED(s.exec("CREATE TABLE \"RC\"(\"A\" INT)")));
        QCOMPARE(s.rowCount(), SQLLEN(0));
        QCOMPARE(s.columnCount(), SQLSMALLINT(0));
        QVERIFY(SQL_SUCCEEDED(s.exec("INSERT INTO \"RC\" VALUES('1')")));
        QCOMPARE(s.rowCount(), SQLLEN(1));
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"RC\"")));
        QCOMPARE(s.rowCount(), SQLLEN(-1));
        QVERIFY(s.fetch());
        QVERIFY(!s.fetch());
        QVERIFY(SQL_SUCCEEDED(s.exec("DROP TABLE \"RC\"")));
        QCOMPARE(s.rowCount(), SQLLEN(0));
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestMetadata)
#include "test_metadata.moc"
