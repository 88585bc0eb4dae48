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
        refused("not a date", "DATE", "", "'hello'", 1861, "literal does not match format string");
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
        QTest::newRow("1861") << "DATE"
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
