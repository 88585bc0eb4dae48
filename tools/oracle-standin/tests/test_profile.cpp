// Registrations of the driver that answer as other builds of Oracle's ODBC
// driver may: each odbcinst.ini section below sets the keys of one kind of
// answer, and the rest of the driver must go on working under it.

#include "standin_fixture.h"

#include <QTest>
#include <utility>

using namespace standintest;

namespace {

const QByteArray sections = "[Oracle dates]\nDriver = @DRIVER@\nDataDirectory = @DATA@\n"
                            "DateColumns = SQL_TYPE_DATE\n"
                            "[Oracle numeric]\nDriver = @DRIVER@\nDataDirectory = @DATA@\n"
                            "NumberColumns = sql_numeric\n"
                            "[Oracle double]\nDriver = @DRIVER@\nDataDirectory = @DATA@\n"
                            "NumberColumns = SQL_DOUBLE\nSelectRowCount = 0\n"
                            "[Oracle float]\nDriver = @DRIVER@\nDataDirectory = @DATA@\n"
                            "NumberColumns = SQL_FLOAT\nSelectRowCount = fetched\n"
                            "[Oracle wide]\nDriver = @DRIVER@\nDataDirectory = @DATA@\n"
                            "CharacterColumns = wide\nMaxStringSize = EXTENDED\n"
                            "[Oracle bigint]\nDriver = @DRIVER@\nDataDirectory = @DATA@\n"
                            "BigIntCTypes = accept\n"
                            "[Oracle mistyped]\nDriver = @DRIVER@\nDataDirectory = @DATA@\n"
                            "NumberColumns = SQL_INTEGER\n";

} // namespace

class TestProfile : public QObject {
    Q_OBJECT

    std::unique_ptr<World> m_world;

    // A connection through one registration, with a table of every kind the
    // settings touch and one row in it.
    std::unique_ptr<Connection> open(const QString& driver)
    {
        auto c = std::make_unique<Connection>();
        const SQLRETURN rc = c->open(World::connectionString("ZEDA", "SCOTT", "tiger", driver));
        if (!SQL_SUCCEEDED(rc))
            qWarning().noquote() << c->diag().message;
        return c;
    }

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>(QByteArray(), sections);
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        QVERIFY(run(c, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"));
        QVERIFY(run(c, "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"));
        QVERIFY(run(c,
            "CREATE TABLE \"K\"(\"D\" DATE,\"N\" NUMBER(38),\"M\" NUMBER(12,2),\"V\" "
            "VARCHAR2(10),\"C\" CHAR(2),\"L\" CLOB,\"T\" TIMESTAMP)"));
        QVERIFY(run(c,
            "INSERT INTO \"K\" VALUES('1999-12-31 23:59:58', '123456789012345678901234567890', "
            "'1234567890.12', 'v', 'c', 'l', '2000-01-01 00:00:00')"));
        QVERIFY(run(c, "INSERT INTO \"K\" VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL)"));
    }

    void columnsAreDescribedAsRegistered_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QList<int>>("types"); // D, N, M, V, C, L, T
        const int ts = SQL_TYPE_TIMESTAMP;
        QTest::newRow("documented") << "Microsoft ODBC for Oracle"
                                    << QList<int> { ts, SQL_DECIMAL, SQL_DECIMAL, SQL_VARCHAR,
                                           SQL_CHAR, SQL_LONGVARCHAR, ts };
        QTest::newRow("dates") << "Oracle dates"
                               << QList<int> { SQL_TYPE_DATE, SQL_DECIMAL, SQL_DECIMAL, SQL_VARCHAR,
                                      SQL_CHAR, SQL_LONGVARCHAR, ts };
        QTest::newRow("numeric") << "Oracle numeric"
                                 << QList<int> { ts, SQL_NUMERIC, SQL_NUMERIC, SQL_VARCHAR,
                                        SQL_CHAR, SQL_LONGVARCHAR, ts };
        QTest::newRow("double") << "Oracle double"
                                << QList<int> { ts, SQL_DOUBLE, SQL_DOUBLE, SQL_VARCHAR, SQL_CHAR,
                                       SQL_LONGVARCHAR, ts };
        QTest::newRow("float") << "Oracle float"
                               << QList<int> { ts, SQL_FLOAT, SQL_FLOAT, SQL_VARCHAR, SQL_CHAR,
                                      SQL_LONGVARCHAR, ts };
        QTest::newRow("wide") << "Oracle wide"
                              << QList<int> { ts, SQL_DECIMAL, SQL_DECIMAL, SQL_WVARCHAR, SQL_WCHAR,
                                     SQL_WLONGVARCHAR, ts };
    }
    // Whatever a column is described as, its value is all there: the time of
    // a DATE as a timestamp, the digits of a NUMBER as text, with radix 10.
    void columnsAreDescribedAsRegistered()
    {
        QFETCH(QString, driver);
        QFETCH(QList<int>, types);
        const auto c = open(driver);
        Statement s(*c);
        QVERIFY2(SQL_SUCCEEDED(s.exec("SELECT * FROM \"K\"")), qPrintable(s.diag().message));
        for (int i = 0; i < types.size(); ++i) {
            SQLLEN concise = 0;
            QVERIFY(SQL_SUCCEEDED(SQLColAttributeW(s.handle(), SQLUSMALLINT(i + 1),
                SQL_DESC_CONCISE_TYPE, nullptr, 0, nullptr, &concise)));
            QCOMPARE(int(concise), types[i]);
        }
        SQLLEN radix = 0;
        QVERIFY(SQL_SUCCEEDED(
            SQLColAttributeW(s.handle(), 2, SQL_DESC_NUM_PREC_RADIX, nullptr, 0, nullptr, &radix)));
        QCOMPARE(radix, SQLLEN(10));
        QVERIFY(s.fetch());
        SQL_TIMESTAMP_STRUCT t {};
        SQLLEN indicator = 0;
        QCOMPARE(SQLGetData(s.handle(), 1, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &indicator),
            SQLRETURN(SQL_SUCCESS));
        QCOMPARE(QString::asprintf("%04d-%02u-%02u %02u:%02u:%02u", t.year, t.month, t.day, t.hour,
                     t.minute, t.second),
            QString("1999-12-31 23:59:58"));
        QCOMPARE(s.text(2), QString("123456789012345678901234567890"));
        QCOMPARE(s.text(3), QString("1234567890.12"));
        QCOMPARE(s.text(4), QString("v"));
        QCOMPARE(s.text(6), QString("l"));
        QVERIFY(s.fetch());
        QCOMPARE(s.text(2), std::nullopt);
        QVERIFY(!s.fetch());
    }

    // As a date, a DATE with a time is cut, and says so.
    void aDateReadAsADateIsCutWithAWarning()
    {
        const auto c = open("Oracle dates");
        Statement s(*c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT \"D\" FROM \"K\"")));
        QVERIFY(s.fetch());
        SQL_DATE_STRUCT d {};
        SQLLEN indicator = 0;
        QCOMPARE(SQLGetData(s.handle(), 1, SQL_C_DEFAULT, &d, sizeof d, &indicator),
            SQLRETURN(SQL_SUCCESS_WITH_INFO));
        QCOMPARE(s.diag().state, QString("01S07"));
        QCOMPARE(
            QString::asprintf("%04d-%02u-%02u", d.year, d.month, d.day), QString("1999-12-31"));
    }

    void rowCountAfterASelect_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QList<int>>("counts"); // before, on row 1, on row 2, at the end
        QTest::newRow("-1") << "Microsoft ODBC for Oracle" << QList<int> { -1, -1, -1, -1 };
        QTest::newRow("0") << "Oracle double" << QList<int> { 0, 0, 0, 0 };
        QTest::newRow("fetched") << "Oracle float" << QList<int> { 0, 1, 2, 2 };
    }
    void rowCountAfterASelect()
    {
        QFETCH(QString, driver);
        QFETCH(QList<int>, counts);
        const auto c = open(driver);
        Statement s(*c);
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT \"V\" FROM \"K\"")));
        QList<int> seen { int(s.rowCount()) };
        while (s.fetch())
            seen << int(s.rowCount());
        seen << int(s.rowCount());
        QCOMPARE(seen, counts);
        // A statement without rows counts as it always did.
        QVERIFY(SQL_SUCCEEDED(s.exec("CREATE TABLE \"RC\"(\"A\" INT)")));
        QCOMPARE(s.rowCount(), SQLLEN(0));
        QVERIFY(SQL_SUCCEEDED(s.exec("INSERT INTO \"RC\" VALUES('1')")));
        QCOMPARE(s.rowCount(), SQLLEN(1));
        QVERIFY(SQL_SUCCEEDED(s.exec("DROP TABLE \"RC\"")));
    }

    void stringSizes_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("native"); // 0: accepted
        const QString standard = "Microsoft ODBC for Oracle", extended = "Oracle wide";
        const QString literal = "INSERT INTO \"X\" VALUES('%1', NULL)";
        QTest::newRow("standard VARCHAR2(4001)")
            << standard << "CREATE TABLE \"Y\"(\"A\" VARCHAR2(4001))" << 910;
        QTest::newRow("standard RAW(2001)")
            << standard << "CREATE TABLE \"Y\"(\"A\" RAW(2001))" << 910;
        QTest::newRow("extended VARCHAR2(32767), RAW(32767)")
            << extended << "CREATE TABLE \"Y\"(\"A\" VARCHAR2(32767),\"B\" RAW(32767))" << 0;
        QTest::newRow("extended VARCHAR2(32768)")
            << extended << "CREATE TABLE \"Y\"(\"A\" VARCHAR2(32768))" << 910;
        QTest::newRow("extended RAW(32768)")
            << extended << "CREATE TABLE \"Y\"(\"A\" RAW(32768))" << 910;
        QTest::newRow("extended literal of 32,767 bytes")
            << extended << literal.arg(QString(32767, 'x')) << 0;
        QTest::newRow("extended literal of 32,768 bytes")
            << extended << literal.arg(QString(32768, 'x')) << 1704;
        QTest::newRow("standard literal of 4,001 bytes")
            << standard << literal.arg(QString(4001, 'x')) << 1704;
    }
    void stringSizes()
    {
        QFETCH(QString, driver);
        QFETCH(QString, sql);
        QFETCH(int, native);
        const auto c = open(driver);
        const int widest = driver == "Oracle wide" ? 32767 : 4000;
        QVERIFY(
            run(*c, QString("CREATE TABLE \"X\"(\"A\" VARCHAR2(%1),\"B\" RAW(16))").arg(widest)));
        Statement s(*c);
        const SQLRETURN rc = s.exec(sql);
        const Diag d = s.diag();
        Statement(*c).exec("DROP TABLE \"X\"");
        Statement(*c).exec("DROP TABLE \"Y\"");
        if (native == 0) {
            QVERIFY2(SQL_SUCCEEDED(rc), qPrintable(d.message));
        } else {
            QCOMPARE(rc, SQLRETURN(SQL_ERROR));
            QCOMPARE(d.native, native);
        }
    }

    void bigIntCTypes_data()
    {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("cType");
        const std::pair<const char*, int> types[]
            = { { "SBIGINT", SQL_C_SBIGINT }, { "UBIGINT", SQL_C_UBIGINT } };
        for (const char* call : { "SQLBindParameter", "SQLBindCol", "SQLGetData" }) {
            for (const auto& [name, cType] : types) {
                QTest::addRow("%s %s, documented", call, name)
                    << "Microsoft ODBC for Oracle" << call << cType;
                QTest::addRow("%s %s, accepted", call, name) << "Oracle bigint" << call << cType;
            }
        }
        // SQL_C_DEFAULT stands for SQL_C_SBIGINT with an SQL_BIGINT parameter.
        QTest::newRow("SQLBindParameter DEFAULT, documented")
            << "Microsoft ODBC for Oracle"
            << "SQLBindParameter" << int(SQL_C_DEFAULT);
        QTest::newRow("SQLBindParameter DEFAULT, accepted")
            << "Oracle bigint"
            << "SQLBindParameter" << int(SQL_C_DEFAULT);
    }
    // Oracle's documented driver refuses the 64-bit integer C types in each
    // call that names a C type; under BigIntCTypes = accept they carry the
    // value both ways.
    void bigIntCTypes()
    {
        QFETCH(QString, driver);
        QFETCH(QString, call);
        QFETCH(int, cType);
        const auto c = open(driver);
        QVERIFY(run(*c, "CREATE TABLE \"BI\"(\"N\" NUMBER(20))"));
        const SQLBIGINT large = 1234567890123; // past 32 bits, alike signed and unsigned
        SQLBIGINT value = call == "SQLBindParameter" ? large : 0;
        SQLLEN indicator = 0;
        Statement s(*c);
        const SQLHSTMT h = s.handle();
        SQLRETURN rc = SQL_ERROR;
        Diag d;
        if (call == "SQLBindParameter") {
            QCOMPARE(s.prepare("INSERT INTO \"BI\" VALUES(?)"), SQLRETURN(SQL_SUCCESS));
            rc = SQLBindParameter(
                h, 1, SQL_PARAM_INPUT, SQLSMALLINT(cType), SQL_BIGINT, 19, 0, &value, 0, nullptr);
            d = s.diag();
            if (SQL_SUCCEEDED(rc))
                QCOMPARE(SQLExecute(h), SQLRETURN(SQL_SUCCESS));
        } else {
            QVERIFY(run(*c, QString("INSERT INTO \"BI\" VALUES(%1)").arg(large)));
            QCOMPARE(s.exec("SELECT \"N\" FROM \"BI\""), SQLRETURN(SQL_SUCCESS));
            if (call == "SQLBindCol") {
                rc = SQLBindCol(h, 1, SQLSMALLINT(cType), &value, 0, &indicator);
                d = s.diag();
                QVERIFY(s.fetch());
            } else {
                QVERIFY(s.fetch());
                rc = SQLGetData(h, 1, SQLSMALLINT(cType), &value, 0, &indicator);
                d = s.diag();
            }
        }
        s.close();
        const QStringList stored = tableRows(*c, "BI");
        QVERIFY(run(*c, "DROP TABLE \"BI\""));
        if (driver == "Oracle bigint") {
            QVERIFY2(rc == SQL_SUCCESS, qPrintable(d.message));
            QCOMPARE(value, large);
            QCOMPARE(stored, QStringList { QString::number(large) });
        } else {
            QCOMPARE(rc, SQLRETURN(SQL_ERROR));
            QCOMPARE(d.state, QString("HY004"));
            QCOMPARE(d.message,
                QString("[Oracle][ODBC]Invalid SQL data type <%1>.")
                    .arg(cType == SQL_C_UBIGINT ? -27 : -25));
            QCOMPARE(value, call == "SQLBindParameter" ? large : 0);
            QCOMPARE(stored,
                call == "SQLBindParameter" ? QStringList()
                                           : QStringList { QString::number(large) });
        }
    }

    // A registration that says something the driver does not know fails
    // every logon with a message naming the setting.
    void aMistypedSettingIsNamed()
    {
        Connection c;
        QCOMPARE(c.open(World::connectionString("ZEDA", "SCOTT", "tiger", "Oracle mistyped")),
            SQLRETURN(SQL_ERROR));
        QCOMPARE(c.diag().message,
            QString("[Oracle][ODBC]odbcinst.ini: NumberColumns = SQL_INTEGER is not one of "
                    "SQL_DECIMAL, SQL_NUMERIC, SQL_DOUBLE, SQL_FLOAT"));
    }
};

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
