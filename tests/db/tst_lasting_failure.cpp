#include "db/connection.h"
#include "db/lasting_failure.h"

#include <QTest>

using namespace tw::db;

Q_DECLARE_METATYPE(tw::db::LastingFailure)

// Which failures tell that every later row of a copy would fail alike, as
// MariaDB Connector/ODBC, the Oracle stand-in and Oracle's driver word them.
class TestLastingFailure : public QObject {
    Q_OBJECT
private slots:
    void eachFailureIsTold_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("native");
        QTest::addColumn<QString>("message");
        QTest::addColumn<LastingFailure>("expected");
        auto row = [](const char* name, const char* state, int native, const char* message,
                       LastingFailure expected) {
            QTest::newRow(name) << QString::fromLatin1(state) << native
                                << QString::fromLatin1(message) << expected;
        };
        using enum LastingFailure;
        row("MariaDB: gone away", "08S01", 2006, "[ma-3.1.15]Server has gone away", ConnectionGone);
        row("MariaDB: lost", "HY000", 2013, "Lost connection to server during query",
            ConnectionGone);
        row("not open", "08003", 0, "Connection not open", ConnectionGone);
        row("Oracle: end-of-file", "HY000", 3113, "ORA-03113: end-of-file on communication channel",
            ConnectionGone);
        row("MySQL: no table", "42S02", 1146, "Table 'shop.t' doesn't exist", TableMissing);
        row("Oracle: no table", "42S02", 942, "ORA-00942: table or view does not exist",
            TableMissing);
        row("MySQL: full", "HY000", 1114, "The table 't' is full", NoRoom);
        row("Oracle: full", "HY000", 1653, "ORA-01653: unable to extend table T", NoRoom);
        row("too long", "22001", 1406, "Data too long for column 'a' at row 1", None);
        row("duplicate", "23000", 1062, "Duplicate entry '1' for key 'PRIMARY'", None);
        // The servers' native codes overlap; each means its own.
        row("ORA-02006", "HY000", 2006, "ORA-02006: invalid packed decimal format string", None);
        row("MySQL's 942", "HY000", 942, "[ma-3.1.15]a server message", None);
    }
    void eachFailureIsTold()
    {
        QFETCH(QString, state);
        QFETCH(int, native);
        QFETCH(QString, message);
        QFETCH(LastingFailure, expected);
        QCOMPARE(lastingFailure(DbError({ { state, native, message } })), expected);
        // A warning record ahead of the error does not hide it.
        QCOMPARE(
            lastingFailure(DbError({ { "01000", 0, "a warning" }, { state, native, message } })),
            expected);
    }

    void aStatementThroughAConnectionThatNeverOpenedIsTold()
    {
        try {
            Connection().Execute(QStringLiteral("INSERT INTO t VALUES(1)"));
            QFAIL("a closed connection ran a statement");
        } catch (const DbError& e) {
            QCOMPARE(e.description(),
                QStringLiteral("Operation is not allowed when the object is closed."));
            QCOMPARE(lastingFailure(e), LastingFailure::ConnectionGone);
        }
    }
};

QTEST_GUILESS_MAIN(TestLastingFailure)
#include "tst_lasting_failure.moc"
