// Parameter markers through unixODBC: a value bound to a '?' is stored
// exactly as a literal of the same value is, and refused with the same ORA
// error; what ODBC itself refuses in the C value comes as its SQLSTATE.

#include "standin_fixture.h"

#include <QTest>
#include <array>
#include <cmath>
#include <limits>

using namespace standintest;

namespace {

// One C value as it lies in the application's buffer, and how it is bound.
struct Bound {
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    QByteArray bytes;
    SQLLEN length = SQL_NTS; // the indicator
};

template <typename T> Bound fixed(SQLSMALLINT cType, SQLSMALLINT sqlType, const T& value)
{
    return Bound { cType, sqlType, QByteArray(reinterpret_cast<const char*>(&value), sizeof value),
        0 };
}

// With its length in bytes, so that U+0000 goes too.
Bound wide(const QString& text, SQLSMALLINT sqlType = SQL_WVARCHAR)
{
    const QByteArray b(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return Bound { SQL_C_WCHAR, sqlType, b, b.size() };
}

Bound narrow(const QByteArray& text, SQLSMALLINT sqlType)
{
    return Bound { SQL_C_CHAR, sqlType, text, SQL_NTS };
}

Bound binary(const QByteArray& bytes, SQLSMALLINT sqlType = SQL_LONGVARBINARY)
{
    return Bound { SQL_C_BINARY, sqlType, bytes, bytes.size() };
}

Bound stamp(int y, int mo, int d, int h, int mi, int s, SQLUINTEGER nanos)
{
    const SQL_TIMESTAMP_STRUCT ts { SQLSMALLINT(y), SQLUSMALLINT(mo), SQLUSMALLINT(d),
        SQLUSMALLINT(h), SQLUSMALLINT(mi), SQLUSMALLINT(s), nanos };
    return fixed(SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, ts);
}

Bound numeric(unsigned value, int scale)
{
    SQL_NUMERIC_STRUCT n {};
    n.precision = 10;
    n.scale = SQLSCHAR(scale);
    n.sign = 1;
    for (int i = 0; i < 4; ++i)
        n.val[i] = SQLCHAR((value >> (8 * i)) & 0xFF);
    return fixed(SQL_C_NUMERIC, SQL_NUMERIC, n);
}

SQLRETURN bind(const Statement& s, SQLUSMALLINT number, Bound& b, SQLLEN& indicator)
{
    indicator = b.length;
    return SQLBindParameter(s.handle(), number, SQL_PARAM_INPUT, b.cType, b.sqlType, 0,
        b.sqlType == SQL_TYPE_TIMESTAMP ? 9 : 0, b.bytes.data(), b.bytes.size(), &indicator);
}

} // namespace

Q_DECLARE_METATYPE(Bound)

class TestParameters : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>(acceptBigIntCTypes);
        m_c = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_c->open("SCOTT", "tiger")));
        QVERIFY(
            run(*m_c, "CREATE TABLE \"MX\"(\"A\" VARCHAR2(10), \"B\" NUMBER(12,2), \"C\" DATE)"));
    }

    void cleanup() { Statement(*m_c).exec("DROP TABLE \"PV\""); }

    void boundValueIsStoredAsItsLiteral_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("session"); // ALTER SESSION statement, or empty
        QTest::addColumn<Bound>("bound");
        QTest::addColumn<QString>("literal"); // the same value in VALUES(...); empty: none
        QTest::addColumn<QString>("stored"); // read back as text; empty when refused
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("message"); // how the message ends

        const QString iso = "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'";
        const QString isoTs = "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'";
        const QString tooLarge = "ORA-12899: value too large for column \"SCOTT\".\"PV\".\"C\" "
                                 "(actual: %1, maximum: %2)";
        auto ok = [](const char* name, QString type, QString session, Bound b, QString literal,
                      QString stored) {
            QTest::newRow(name) << type << session << b << literal << stored << QString()
                                << QString();
        };
        auto refused = [](const char* name, QString type, QString session, Bound b, QString literal,
                           QString state, QString message) {
            QTest::newRow(name) << type << session << b << literal << QString() << state << message;
        };

        // Text.
        ok("quote", "VARCHAR2(20)", "", wide("O'Brien"), "'O''Brien'", "O'Brien");
        ok("four-byte character", "VARCHAR2(2 CHAR)", "", wide("😀x"), "'😀x'", "😀x");
        ok("U+0000 kept", "VARCHAR2(10)", "", wide(QString("a") + QChar(0) + "b"), "",
            QString("a") + QChar(0) + "b");
        ok("empty text is NULL", "VARCHAR2(10)", "", wide(""), "''", "<null>");
        ok("text into NUMBER", "NUMBER", "", wide("12.50"), "'12.50'", "12.5");
        refused("text not a number", "NUMBER", "", wide("abc"), "'abc'", "22018",
            "ORA-01722: invalid number");
        refused("text too long", "VARCHAR2(5)", "", wide("123456"), "'123456'", "22001",
            tooLarge.arg(6).arg(5));
        ok("date text by session format", "DATE", iso, wide("2024-05-01 10:00:00"),
            "'2024-05-01 10:00:00'", "2024-05-01 10:00:00");

        // Numbers.
        ok("largest SBIGINT", "NUMBER(19)", "",
            fixed(SQL_C_SBIGINT, SQL_BIGINT, std::numeric_limits<SQLBIGINT>::max()),
            "9223372036854775807", "9223372036854775807");
        refused("UBIGINT beyond precision", "NUMBER(19)", "",
            fixed(SQL_C_UBIGINT, SQL_NUMERIC, std::numeric_limits<SQLUBIGINT>::max()),
            "18446744073709551615", "22003",
            "ORA-01438: value larger than specified precision allowed for this column");
        ok("double, shortest digits", "FLOAT", "", fixed(SQL_C_DOUBLE, SQL_DOUBLE, 0.1), "'0.1'",
            "0.1");
        ok("double into BINARY_DOUBLE", "BINARY_DOUBLE", "",
            fixed(SQL_C_DOUBLE, SQL_DOUBLE, 2.0 / 3), "'0.6666666666666666'", "0.6666666666666666");
        ok("float into BINARY_FLOAT", "BINARY_FLOAT", "", fixed(SQL_C_FLOAT, SQL_REAL, 0.1f),
            "'0.1'", "0.1");
        refused("double beyond NUMBER", "NUMBER", "", fixed(SQL_C_DOUBLE, SQL_DOUBLE, 1e300),
            "'1e300'", "22003", "ORA-01426: numeric overflow");
        refused("NaN", "NUMBER", "",
            fixed(SQL_C_DOUBLE, SQL_DOUBLE, std::numeric_limits<double>::quiet_NaN()), "", "22003",
            "Numeric value out of range");
        ok("decimal text rounds to scale", "NUMBER(12,2)", "", narrow("12345.675", SQL_DECIMAL),
            "12345.675", "12345.68");
        ok("SQL_NUMERIC_STRUCT", "NUMBER(10,2)", "", numeric(12345, 2), "123.45", "123.45");

        // Dates and timestamps.
        ok("date", "DATE", iso,
            fixed(SQL_C_TYPE_DATE, SQL_TYPE_DATE, SQL_DATE_STRUCT { 2024, 2, 29 }), "'2024-02-29'",
            "2024-02-29 00:00:00");
        ok("timestamp to nanoseconds", "TIMESTAMP(9)", isoTs,
            stamp(2024, 5, 1, 13, 45, 7, 123456789), "'2024-05-01 13:45:07.123456789'",
            "2024-05-01 13:45:07.123456789");
        ok("fraction cut going into DATE", "DATE", "", stamp(2024, 12, 31, 23, 59, 59, 500000000),
            "TIMESTAMP '2024-12-31 23:59:59.5'", "2024-12-31 23:59:59");
        ok("timestamp into text by session format", "VARCHAR2(40)", "",
            stamp(2024, 5, 1, 13, 45, 7, 120000000), "TIMESTAMP '2024-05-01 13:45:07.12'",
            "01-MAY-24 01.45.07.120000 PM");
        refused("no 30 February", "DATE", "", stamp(2024, 2, 30, 0, 0, 0, 0), "", "22008",
            "Datetime field overflow");
        refused("text not in ODBC's date form", "DATE", "", wide("01-MAY-24", SQL_TYPE_TIMESTAMP),
            "", "22018", "Invalid character value for cast");
        refused("timestamp into NUMBER", "NUMBER", "", stamp(2024, 5, 1, 0, 0, 0, 0),
            "TIMESTAMP '2024-05-01 00:00:00'", "HY000",
            "ORA-00932: inconsistent datatypes: expected NUMBER got TIMESTAMP");

        // Bytes and NULL.
        ok("bytes", "BLOB", "", binary(QByteArray("\x00\xff\x10", 3)), "'00FF10'", "00FF10");
        refused("bytes too long for RAW", "RAW(2)", "", binary("\xAB\xCD\xEF"), "'ABCDEF'", "22001",
            tooLarge.arg(3).arg(2));
        ok("NULL", "VARCHAR2(10)", "", Bound { SQL_C_WCHAR, SQL_WVARCHAR, "", SQL_NULL_DATA },
            "NULL", "<null>");
        refused("NULL into NOT NULL", "VARCHAR2(10) NOT NULL", "",
            Bound { SQL_C_WCHAR, SQL_WVARCHAR, "", SQL_NULL_DATA }, "NULL", "23000",
            "ORA-01400: cannot insert NULL into (\"SCOTT\".\"PV\".\"C\")");
    }

    void boundValueIsStoredAsItsLiteral()
    {
        QFETCH(QString, type);
        QFETCH(QString, session);
        QFETCH(Bound, bound);
        QFETCH(QString, literal);
        QFETCH(QString, stored);
        QFETCH(QString, state);
        QFETCH(QString, message);

        Connection c; // a new session: default NLS settings unless the row sets one
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        QVERIFY(run(c, "CREATE TABLE \"PV\"(\"C\" " + type + ")"));
        if (!session.isEmpty())
            QVERIFY(run(c, session));
        Statement l(c);
        const SQLRETURN literalRc = literal.isEmpty()
            ? SQL_SUCCESS
            : l.exec("INSERT INTO \"PV\" VALUES(" + literal + ")");
        Statement p(c);
        QCOMPARE(p.prepare("INSERT INTO \"PV\" VALUES(?)"), SQLRETURN(SQL_SUCCESS));
        SQLLEN indicator = 0;
        QCOMPARE(bind(p, 1, bound, indicator), SQLRETURN(SQL_SUCCESS));
        const SQLRETURN rc = SQLExecute(p.handle());
        if (stored.isEmpty()) {
            QCOMPARE(rc, SQLRETURN(SQL_ERROR));
            QCOMPARE(p.diag().state, state);
            QVERIFY2(p.diag().message.endsWith(message), qPrintable(p.diag().message));
            if (!literal.isEmpty()) {
                QCOMPARE(literalRc, SQLRETURN(SQL_ERROR));
                QCOMPARE(l.diag().message, p.diag().message);
            }
            QCOMPARE(tableRows(c, "PV"), QStringList());
        } else {
            QVERIFY2(SQL_SUCCEEDED(rc), qPrintable(p.diag().message));
            QVERIFY2(SQL_SUCCEEDED(literalRc), qPrintable(l.diag().message));
            const QStringList expected(literal.isEmpty() ? 1 : 2, stored);
            QCOMPARE(tableRows(c, "PV"), expected);
        }
    }

    // Markers stand for values only, between literals, in a column list of
    // any order; each takes its column's type, and one preparation serves
    // many executions. A '?' in a string is no marker.
    void markersStandAmongLiterals()
    {
        Statement s(*m_c);
        QCOMPARE(s.prepare("INSERT INTO \"MX\"(\"C\", \"A\", \"B\") VALUES(NULL, ?, ?)"),
            SQLRETURN(SQL_SUCCESS));
        SQLSMALLINT count = 0;
        QCOMPARE(SQLNumParams(s.handle(), &count), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(count, SQLSMALLINT(2));
        SQLCHAR describes[4] = {};
        SQLGetInfo(m_c->handle(), SQL_DESCRIBE_PARAMETER, describes, sizeof describes, nullptr);
        QCOMPARE(QByteArray(reinterpret_cast<char*>(describes)), QByteArray("Y"));
        const std::array<std::array<int, 3>, 2> described { { { SQL_VARCHAR, 10, 0 },
            { SQL_DECIMAL, 12, 2 } } };
        for (SQLUSMALLINT i = 1; i <= 2; ++i) {
            SQLSMALLINT type = 0, digits = -1, nullable = -1;
            SQLULEN size = 0;
            QCOMPARE(SQLDescribeParam(s.handle(), i, &type, &size, &digits, &nullable),
                SQLRETURN(SQL_SUCCESS));
            const std::array<int, 3> got { type, int(size), digits };
            QCOMPARE(got, described[i - 1]);
        }
        SQLWCHAR text[8] = {};
        SQLDOUBLE number = 0;
        SQLLEN textLength = SQL_NTS;
        QCOMPARE(SQLBindParameter(s.handle(), 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 10, 0,
                     text, sizeof text, &textLength),
            SQLRETURN(SQL_SUCCESS));
        QCOMPARE(SQLBindParameter(s.handle(), 2, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                     &number, 0, nullptr),
            SQLRETURN(SQL_SUCCESS));
        for (const auto& [t, n] : { std::pair { u"one?", 1.5 }, std::pair { u"two", -2.25 } }) {
            std::copy(t, t + std::char_traits<char16_t>::length(t) + 1, text);
            number = n;
            QVERIFY2(SQL_SUCCEEDED(SQLExecute(s.handle())), qPrintable(s.diag().message));
        }
        QCOMPARE(s.prepare("INSERT INTO \"MX\" VALUES('?', ?, NULL) -- ?"), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(SQLNumParams(s.handle(), &count), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(count, SQLSMALLINT(1));
        QCOMPARE(tableRows(*m_c, "MX"), (QStringList { "one?|1.5|<null>", "two|-2.25|<null>" }));
    }

    // A statement the server would refuse is prepared all the same, as
    // Oracle's driver sends nothing before SQLExecute; a marker left unbound
    // is Oracle's ORA-01008.
    void faultsComeAtExecute_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("markers");
        QTest::addColumn<int>("native");
        QTest::newRow("unbound marker") << "INSERT INTO \"MX\" VALUES(?, 1, NULL)" << 1 << 1008;
        QTest::newRow("does not parse") << "INSERT INTO \"MX\" VALUES(?, ?" << 2 << 917;
        QTest::newRow("no such table") << "INSERT INTO \"NOPE\" VALUES(?)" << 1 << 942;
    }

    void faultsComeAtExecute()
    {
        QFETCH(QString, sql);
        QFETCH(int, markers);
        QFETCH(int, native);
        Statement s(*m_c);
        QCOMPARE(s.prepare(sql), SQLRETURN(SQL_SUCCESS));
        SQLSMALLINT count = 0;
        QCOMPARE(SQLNumParams(s.handle(), &count), SQLRETURN(SQL_SUCCESS));
        QCOMPARE(int(count), markers);
        QCOMPARE(SQLExecute(s.handle()), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().native, native);
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestParameters)
#include "test_parameters.moc"
