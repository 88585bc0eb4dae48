// Oracle's implicit conversions of INSERT values, one column type at a time:
// what is stored (read back as text) or which ORA error refuses the value.

#include "standin_fixture.h"

#include <QDate>
#include <QTest>

using namespace standintest;

class TestConversions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { m_world = std::make_unique<World>(); }

    // A failed row must not leave its table behind for the next one.
    void cleanup()
    {
        Connection c;
        if (SQL_SUCCEEDED(c.open("SCOTT", "tiger"))) {
            Statement(c).exec("DROP TABLE \"CV\"");
            Statement(c).exec("DROP TABLE \"SV\"");
        }
    }

    void insert_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("session"); // ALTER SESSION statement, or empty
        QTest::addColumn<QString>("value"); // as written in VALUES(...)
        QTest::addColumn<QString>("stored"); // read back as text; empty when refused
        QTest::addColumn<int>("native");
        QTest::addColumn<QString>("text");

        const QString iso = "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'";
        const QString isoTs = "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'";
        const QString comma = "ALTER SESSION SET NLS_NUMERIC_CHARACTERS = ',.'";
        const QString tooLarge
            = "value too large for column \"SCOTT\".\"CV\".\"C\" (actual: %1, maximum: %2)";
        const QString thisYear = QString::number(QDate::currentDate().year());

        auto ok
            = [](const char* name, QString type, QString session, QString value, QString stored) {
                  QTest::newRow(name) << type << session << value << stored << 0 << QString();
              };
        auto refused = [](const char* name, QString type, QString session, QString value,
                           int native, QString text) {
            QTest::newRow(name) << type << session << value << QString() << native << text;
        };

        // Character types.
        ok("varchar fits", "VARCHAR2(5)", "", "'12345'", "12345");
        refused(
            "varchar one byte over", "VARCHAR2(5)", "", "'123456'", 12899, tooLarge.arg(6).arg(5));
        refused("varchar counts UTF-8 bytes", "VARCHAR2(5)", "", "'äöü'", 12899,
            tooLarge.arg(6).arg(5));
        ok("varchar char semantics", "VARCHAR2(5 CHAR)", "", "'äöüéè'", "äöüéè");
        ok("empty text is NULL", "VARCHAR2(5)", "", "''", "<null>");
        ok("NULL keyword", "VARCHAR(2000)", "", "NULL", "<null>");
        ok("doubled quote", "VARCHAR(2000)", "", "'O''Brien'", "O'Brien");
        refused("nvarchar counts UTF-16 units", "NVARCHAR2(2)", "", "'表😀'", 12899,
            tooLarge.arg(3).arg(2));
        ok("nvarchar keeps emoji", "NVARCHAR2(3)", "", "'表😀'", "表😀");
        ok("char is blank-padded", "CHAR(3)", "", "'a'", "a  ");
        ok("nchar is blank-padded", "NCHAR(3)", "", "'表'", "表  ");
        refused("nchar counts UTF-16 units", "NCHAR(1)", "", "'😀'", 12899, tooLarge.arg(2).arg(1));
        ok("varchar keeps 4-byte characters", "VARCHAR2(8)", "", "'a😀b'", "a😀b");
        ok("number literal into text", "VARCHAR2(10)", "", "0.5", ".5");
        ok("clob as is", "CLOB", "", "'  spaced  '", "  spaced  ");

        // Numbers.
        ok("blanks and sign", "NUMBER", "", "'  -12.50 '", "-12.5");
        ok("exponent", "NUMBER", "", "'1e3'", "1000");
        ok("leading point", "NUMBER", "", "'+.5'", "0.5");
        refused("letters", "NUMBER", "", "'abc'", 1722, "invalid number");
        refused("group separator", "NUMBER", "", "'1,5'", 1722, "invalid number");
        ok("session decimal comma", "NUMBER", comma, "'1,5'", "1.5");
        refused("point under decimal comma", "NUMBER", comma, "'1.5'", 1722, "invalid number");
        ok("precision rounds", "NUMBER(3)", "", "'999.4'", "999");
        refused("precision exceeded by rounding", "NUMBER(3)", "", "'999.5'", 1438,
            "value larger than specified precision allowed for this column");
        ok("scale rounds", "NUMBER(5,2)", "", "'123.456'", "123.46");
        refused("scale leaves too many digits", "NUMBER(5,2)", "", "'1234.5'", 1438,
            "value larger than specified precision allowed for this column");
        ok("INT rounds half up", "INT", "", "'2.5'", "3");
        ok("INT rounds half away from zero", "INTEGER", "", "'-2.5'", "-3");
        ok("INT holds 38 digits", "INT", "", "'12345678901234567890123456789012345678'",
            "12345678901234567890123456789012345678");
        ok("NUMBER(38) exact", "NUMBER(38)", "", "'-99999999999999999999999999999999999999'",
            "-99999999999999999999999999999999999999");
        ok("NUMBER(20,10) exact", "NUMBER(20,10)", "", "'1234567890.0123456789'",
            "1234567890.0123456789");
        ok("NUMBER(*,2) rounds to 38 digits", "NUMBER(*,2)", "",
            "'123456789012345678901234567890123456.785'",
            "123456789012345678901234567890123456.79");
        ok("negative scale rounds to hundreds", "NUMBER(5,-2)", "", "'1234567'", "1234600");
        refused("negative scale leaves too many digits", "NUMBER(5,-2)", "", "'12345678'", 1438,
            "value larger than specified precision allowed for this column");
        // SQL Language Reference, "FLOAT Data Type": FLOAT(5) keeps 123.45 as 120.
        ok("FLOAT(5) keeps two digits", "FLOAT(5)", "", "'123.45'", "120");
        refused("INT refuses 39 digits", "INT", "", "'123456789012345678901234567890123456789'",
            1438, "value larger than specified precision allowed for this column");
        ok("FLOAT", "FLOAT", "", "'0.1'", "0.1");
        ok("BINARY_DOUBLE", "BINARY_DOUBLE", "", "'1.5'", "1.5");
        refused("BINARY_DOUBLE letters", "BINARY_DOUBLE", "", "'x'", 1722, "invalid number");

        // Dates with the default format DD-MON-RR.
        ok("default format", "DATE", "", "'01-JAN-24'", "2024-01-01 00:00:00");
        ok("RR takes four digits", "DATE", "", "'1-jan-2024'", "2024-01-01 00:00:00");
        ok("MON matches MONTH", "DATE", "", "'01-JANUARY-24'", "2024-01-01 00:00:00");
        ok("RR 99 is last century", "DATE", "", "'01-JAN-99'", "1999-01-01 00:00:00");
        ok("RR 49 is this century", "DATE", "", "'01-JAN-49'", "2049-01-01 00:00:00");
        ok("other punctuation", "DATE", "", "'01.JAN/24'", "2024-01-01 00:00:00");
        ok("text may stop early", "DATE", "", "'15-MAR'", thisYear + "-03-15 00:00:00");
        refused("day out of range", "DATE", "", "'32-JAN-24'", 1847,
            "day of month must be between 1 and last day of month");
        refused("no such day in month", "DATE", "", "'30-FEB-24'", 1839,
            "date not valid for month specified");
        refused("not a date", "DATE", "", "'hello'", 1858,
            "a non-numeric character was found where a numeric was expected");
        refused("left over text", "DATE", "", "'01-JAN-24 10:00'", 1830,
            "date format picture ends before converting entire input string");
        refused("digits where MON is", "DATE", "", "'2024-05-01'", 1843, "not a valid month");
        refused("number literal into date", "DATE", "", "20240101", 932,
            "inconsistent datatypes: expected DATE got NUMBER");

        // Dates with the program's format.
        ok("iso date and time", "DATE", iso, "'2024-05-01 13:45:07'", "2024-05-01 13:45:07");
        ok("iso date only", "DATE", iso, "'2024-05-01'", "2024-05-01 00:00:00");
        ok("MM matches MON, short fields", "DATE", iso, "'2024-may-01 1:2:3'",
            "2024-05-01 01:02:03");
        refused("month 13", "DATE", iso, "'2024-13-01'", 1843, "not a valid month");
        refused(
            "hour 25", "DATE", iso, "'2024-05-01 25:00:00'", 1850, "hour must be between 0 and 23");
        refused("letter T between", "DATE", iso, "'2024-05-01T13:45:07'", 1861,
            "literal does not match format string");

        // Timestamps.
        ok("default timestamp format", "TIMESTAMP", "", "'01-JAN-24 01.02.03.123456 PM'",
            "2024-01-01 13:02:03.123456");
        ok("program's timestamp format", "TIMESTAMP(3)", isoTs, "'2024-05-01 13:45:07.5'",
            "2024-05-01 13:45:07.500");
        refused("AM/PM missing", "TIMESTAMP", "", "'01-JAN-24 01.02.03.1 XX'", 1855,
            "AM/A.M. or PM/P.M. required");
        ok("TIMESTAMP(9) keeps nanoseconds", "TIMESTAMP(9)", isoTs,
            "'2024-05-01 13:45:07.123456789'", "2024-05-01 13:45:07.123456789");
        // Fractions a TIMESTAMP(n) cannot keep are rounded (half up), carrying on.
        ok("text rounds to the column", "TIMESTAMP(1)", isoTs, "'2024-05-01 13:45:07.25'",
            "2024-05-01 13:45:07.3");

        // ANSI literals (SQL Language Reference, "Datetime Literals"): a fixed
        // layout whatever the session's formats.
        ok("date literal", "DATE", "", "DATE '2024-02-29'", "2024-02-29 00:00:00");
        ok("date literal, short fields", "DATE", "", "DATE '2024-2-9'", "2024-02-09 00:00:00");
        refused("date literal with a time", "DATE", "", "DATE '2024-02-29 10:00:00'", 1861,
            "literal does not match format string");
        refused("date literal, 29 February 2023", "DATE", "", "DATE '2023-02-29'", 1847,
            "day of month must be between 1 and last day of month");
        refused(
            "date literal, month 13", "DATE", "", "DATE '2024-13-01'", 1843, "not a valid month");
        refused("date literal, year 0", "DATE", "", "DATE '0000-01-01'", 1841,
            "(full) year must be between -4713 and +9999, and not be 0");
        ok("timestamp literal", "TIMESTAMP(9)", "", "TIMESTAMP '2024-02-29 23:59:58.123456789'",
            "2024-02-29 23:59:58.123456789");
        ok("timestamp literal rounds to the column", "TIMESTAMP(3)", "",
            "TIMESTAMP '2024-12-31 23:59:59.9996'", "2025-01-01 00:00:00.000");
        // A TIMESTAMP stored into a DATE loses its fraction uncounted, as
        // CAST(... AS DATE) does (github.com/orafce/orafce/issues/199).
        ok("timestamp literal into DATE", "DATE", "", "TIMESTAMP '2024-05-01 10:00:00.9'",
            "2024-05-01 10:00:00");
        refused("timestamp literal without a time", "TIMESTAMP", "", "TIMESTAMP '2024-05-01'", 1861,
            "literal does not match format string");
        refused("timestamp literal, hour 24", "TIMESTAMP", "", "TIMESTAMP '2024-05-01 24:00:00'",
            1850, "hour must be between 0 and 23");
        refused("timestamp literal into NUMBER", "NUMBER", "", "TIMESTAMP '2024-05-01 10:00:00'",
            932, "inconsistent datatypes: expected NUMBER got TIMESTAMP");
        ok("date literal into text", "VARCHAR2(20)", "", "DATE '2024-05-01'", "01-MAY-24");

        // TO_DATE and TO_TIMESTAMP (SQL Language Reference, "Format Models").
        ok("TO_DATE with a mask", "DATE", "", "TO_DATE('01/05/2024 13:45', 'DD/MM/YYYY HH24:MI')",
            "2024-05-01 13:45:00");
        ok("TO_DATE of a number", "DATE", "", "TO_DATE(20240501, 'YYYYMMDD')",
            "2024-05-01 00:00:00");
        ok("TO_DATE with the session's format", "DATE", "", "TO_DATE('01-MAY-24')",
            "2024-05-01 00:00:00");
        ok("TO_DATE of NULL", "DATE", "", "TO_DATE(NULL, 'YYYY')", "<null>");
        ok("TO_DATE into TIMESTAMP", "TIMESTAMP(0)", "",
            "TO_DATE('2024-05-01 10:00:00', 'YYYY-MM-DD HH24:MI:SS')", "2024-05-01 10:00:00");
        refused("TO_DATE with fractions", "DATE", "",
            "TO_DATE('2024-05-01 10:00:00.5', 'YYYY-MM-DD HH24:MI:SS.FF')", 1821,
            "date format not recognized");
        refused("unknown mask element", "DATE", "", "TO_DATE('2024', 'YYYY BB')", 1821,
            "date format not recognized");
        refused("TO_DATE, no such day", "DATE", "", "TO_DATE('2023-02-29', 'YYYY-MM-DD')", 1839,
            "date not valid for month specified");
        refused("TO_DATE, letter for digits", "DATE", "", "TO_DATE('x1', 'DD')", 1858,
            "a non-numeric character was found where a numeric was expected");
        refused("TO_DATE, text left over", "DATE", "", "TO_DATE('2024-05-01 10', 'YYYY-MM-DD')",
            1830, "date format picture ends before converting entire input string");
        ok("TO_TIMESTAMP with FF9", "TIMESTAMP(9)", "",
            "TO_TIMESTAMP('2024-05-01 10:00:00.000000001', 'YYYY-MM-DD HH24:MI:SS.FF9')",
            "2024-05-01 10:00:00.000000001");
        ok("TO_TIMESTAMP rounds to the column", "TIMESTAMP(2)", "",
            "TO_TIMESTAMP('2024-05-01 10:00:00.125', 'YYYY-MM-DD HH24:MI:SS.FF')",
            "2024-05-01 10:00:00.13");

        // INTERVAL DAY TO SECOND (SQL Language Reference, "Interval Literals"):
        // MySQL's TIME range fits DAY(2) TO SECOND(0).
        ok("interval literal", "INTERVAL DAY(2) TO SECOND(0)", "",
            "INTERVAL '-34 22:59:59' DAY TO SECOND(0)", "-34 22:59:59");
        ok("interval from text, default precisions", "INTERVAL DAY TO SECOND", "", "'1 2:3:4.5'",
            "+01 02:03:04.500000");
        ok("interval keeps nine digits each", "INTERVAL DAY(9) TO SECOND(9)", "",
            "INTERVAL '999999999 23:59:59.999999999' DAY(9) TO SECOND(9)",
            "+999999999 23:59:59.999999999");
        ok("interval fraction rounds into the seconds", "INTERVAL DAY TO SECOND(0)", "",
            "'-0 23:59:59.5'", "-01 00:00:00");
        ok("interval into text", "VARCHAR2(30)", "",
            "INTERVAL '838 23:59:59.5' DAY(3) TO SECOND(1)", "+838 23:59:59.5");
        refused("interval days beyond the column", "INTERVAL DAY(2) TO SECOND", "",
            "INTERVAL '100 0:0:0' DAY(3) TO SECOND", 1873,
            "the leading precision of the interval is too small");
        refused("interval hour 24", "INTERVAL DAY TO SECOND", "", "'1 24:00:00'", 1850,
            "hour must be between 0 and 23");
        refused("interval without its time", "INTERVAL DAY TO SECOND", "", "'1 2'", 1867,
            "the interval is invalid");
        refused("number into interval", "INTERVAL DAY TO SECOND", "", "5", 932,
            "inconsistent datatypes: expected INTERVAL DAY TO SECOND got NUMBER");
        refused("interval into DATE", "DATE", "", "INTERVAL '1 0:0:0' DAY TO SECOND", 932,
            "inconsistent datatypes: expected DATE got INTERVAL DAY TO SECOND");

        // Binary.
        ok("hex of either case", "BLOB", "", "'CAFEbabe'", "CAFEBABE");
        ok("odd hex digit count", "BLOB", "", "'ABC'", "0ABC");
        refused("not hex", "BLOB", "", "'xyz'", 1465, "invalid hex number");
        refused("raw too long", "RAW(2)", "", "'ABCDEF'", 12899, tooLarge.arg(3).arg(2));
    }

    void insert()
    {
        QFETCH(QString, type);
        QFETCH(QString, session);
        QFETCH(QString, value);
        QFETCH(QString, stored);
        QFETCH(int, native);
        QFETCH(QString, text);

        Connection c; // a new session: default NLS settings unless the row sets one
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        QVERIFY(run(c, "CREATE TABLE \"CV\"(\"C\" " + type + ")"));
        if (!session.isEmpty())
            QVERIFY(run(c, session));
        Statement s(c);
        const SQLRETURN rc = s.exec("INSERT INTO \"CV\" VALUES(" + value + ")");
        if (stored.isEmpty()) {
            QCOMPARE(rc, SQLRETURN(SQL_ERROR));
            const Diag d = s.diag();
            QCOMPARE(d.native, native);
            QCOMPARE(d.message,
                QString("[Oracle][ODBC][Ora]ORA-%1: %2").arg(native, 5, 10, QChar('0')).arg(text));
        } else {
            QVERIFY2(SQL_SUCCEEDED(rc), qPrintable(s.diag().message));
            QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"CV\"")));
            QCOMPARE(s.rows(), QStringList { stored });
        }
        s.close();
        QVERIFY(run(c, "DROP TABLE \"CV\""));
    }

    void sqlStatesOfDataErrors_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("state");
        QTest::newRow("12899") << "VARCHAR2(1)"
                               << "'ab'"
                               << "22001";
        QTest::newRow("1722") << "NUMBER"
                              << "'x'"
                              << "22018";
        QTest::newRow("1858") << "DATE"
                              << "'x'"
                              << "22007";
    }

    void sqlStatesOfDataErrors()
    {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QString, state);
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        QVERIFY(run(c, "CREATE TABLE \"SV\"(\"C\" " + type + ")"));
        Statement s(c);
        QCOMPARE(s.exec("INSERT INTO \"SV\" VALUES(" + value + ")"), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().state, state);
        QVERIFY(run(c, "DROP TABLE \"SV\""));
    }

private:
    std::unique_ptr<World> m_world;
};

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"
