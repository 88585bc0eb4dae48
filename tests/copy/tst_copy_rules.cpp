#include "copy/replace.h"
#include "db/connection.h"
#include "odbc/error.h"
#include "sql/dialect.h"

#include <QTest>
#include <functional>

using namespace tw::copy;
using namespace tw::sql;
using tw::odbc::DbError;
using tw::odbc::Diagnostic;

Q_DECLARE_METATYPE(tw::sql::Server)
Q_DECLARE_METATYPE(std::function<void()>)
Q_DECLARE_METATYPE(tw::odbc::LastingFailure)

// The rules of a command-line copy that need no database: where a
// replacing copy is built and how it is swapped in, and which failures
// end a table.
class TestCopyRules : public QObject {
    Q_OBJECT
private slots:
    void sideNamesFitTheShortestLimitAndAreFree_data()
    {
        QTest::addColumn<Server>("server");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("taken");
        QTest::addColumn<QString>("copy");
        QTest::addColumn<QString>("backup");
        QTest::newRow("short name") << Server::MySQL << "orders" << QStringList() << "orders_tw_new"
                                    << "orders_tw_old";
        QTest::newRow("MySQL: 64 characters")
            << Server::MySQL << QString(64, u'a') << QStringList() << QString(57, u'a') + "_tw_new"
            << QString(57, u'a') + "_tw_old";
        QTest::newRow("Oracle: 30 bytes") << Server::Oracle << "ORDERS_OF_THE_YEAR_2024_ARCHIVE"
                                          << QStringList() << "ORDERS_OF_THE_YEAR_2024_tw_new"
                                          << "ORDERS_OF_THE_YEAR_2024_tw_old";
        QTest::newRow("Oracle: no character cut in two")
            << Server::Oracle << QString(12, QChar(0xC4)) << QStringList()
            << QString(11, QChar(0xC4)) + "_tw_new" << QString(11, QChar(0xC4)) + "_tw_old";
        QTest::newRow("taken, letter case ignored")
            << Server::MySQL << "orders" << QStringList { "orders", "ORDERS_TW_OLD" }
            << "orders_tw_new2"
            << "orders_tw_old2";
    }
    void sideNamesFitTheShortestLimitAndAreFree()
    {
        QFETCH(Server, server);
        QFETCH(QString, target);
        QFETCH(QStringList, taken);
        QFETCH(QString, copy);
        QFETCH(QString, backup);
        const SideNames names = sideNames(dialect(server), target, taken);
        QCOMPARE(names.copy, copy);
        QCOMPARE(names.backup, backup);
    }

    void aSwapIsOneRenameInMySQLAndTwoInOracle_data()
    {
        QTest::addColumn<Server>("target");
        QTest::addColumn<QStringList>("swap");
        QTest::addColumn<QString>("restore");
        QTest::newRow("MySQL") << Server::MySQL
                               << QStringList { "RENAME TABLE `t``x` TO `b`, `n` TO `t``x`" }
                               << "RENAME TABLE `b` TO `t``x`";
        QTest::newRow("Oracle") << Server::Oracle
                                << QStringList { "RENAME \"t\"\"x\" TO \"b\"",
                                       "RENAME \"n\" TO \"t\"\"x\"" }
                                << "RENAME \"b\" TO \"t\"\"x\"";
    }
    void aSwapIsOneRenameInMySQLAndTwoInOracle()
    {
        QFETCH(Server, target);
        QFETCH(QStringList, swap);
        QFETCH(QString, restore);
        const QString table = target == Server::MySQL ? "t`x" : "t\"x";
        QCOMPARE(dialect(target).swapStatements(table, "n", "b"), swap);
        QCOMPARE(dialect(target).renameTable("b", table), restore);
    }

    // As MariaDB Connector/ODBC, the Oracle stand-in and Oracle's driver word
    // their failures.
    void aFailureThatEveryLaterRowWouldMeetEndsTheTable_data()
    {
        using enum tw::odbc::LastingFailure;
        QTest::addColumn<std::function<void()>>("failing");
        QTest::addColumn<tw::odbc::LastingFailure>("why");
        auto throwing = [](QString state, int native, QString message) {
            return std::function<void()>([=] {
                // A warning record ahead of the error does not hide it.
                throw DbError({ { "01000", 0, "a warning" }, { state, native, message } });
            });
        };
        QTest::newRow("connection lost (08S01)")
            << throwing("08S01", 2013, "Lost connection to server during query") << ConnectionGone;
        QTest::newRow("MariaDB: lost without 08")
            << throwing("HY000", 2013, "Lost connection to server during query") << ConnectionGone;
        QTest::newRow("Oracle: end-of-file on the channel")
            << throwing("HY000", 3113, "ORA-03113: end-of-file on communication channel")
            << ConnectionGone;
        QTest::newRow("MySQL table missing (42S02)")
            << throwing("42S02", 1146, "Table 'db.t' doesn't exist") << TableMissing;
        QTest::newRow("Oracle table missing (ORA-00942)")
            << throwing("HY000", 942, "[Oracle][ODBC][Ora]ORA-00942: table or view does not exist")
            << TableMissing;
        QTest::newRow("a statement on a closed connection") << std::function<void()>([] {
            tw::db::Connection closed;
            closed.Execute(QStringLiteral("INSERT INTO t VALUES('1')"));
        }) << ConnectionGone;
        QTest::newRow("MySQL: table full")
            << throwing("HY000", 1114, "The table 't' is full") << NoRoom;
        QTest::newRow("Oracle: unable to extend")
            << throwing("HY000", 1653, "ORA-01653: unable to extend table T") << NoRoom;
        QTest::newRow("a value too long (22001)")
            << throwing("22001", 1406, "Data too long for column 'a' at row 1") << None;
        QTest::newRow("a number Oracle refuses")
            << throwing("22018", 1722, "ORA-01722: invalid number") << None;
        // The servers' native codes overlap; each means its own.
        QTest::newRow("ORA-02006 is no lost MySQL session")
            << throwing("HY000", 2006, "ORA-02006: invalid packed decimal format string") << None;
        QTest::newRow("MySQL's 942 is no missing Oracle table")
            << throwing("HY000", 942, "[ma-3.1.15]a server message") << None;
        QTest::newRow("not a database error")
            << std::function<void()>([] { throw std::runtime_error("Out of range"); }) << None;
    }
    void aFailureThatEveryLaterRowWouldMeetEndsTheTable()
    {
        QFETCH(std::function<void()>, failing);
        QFETCH(tw::odbc::LastingFailure, why);
        std::exception_ptr error;
        try {
            failing();
        } catch (...) {
            error = std::current_exception();
        }
        QVERIFY(error);
        QCOMPARE(tw::odbc::lastingFailure(error), why);
    }
};

QTEST_APPLESS_MAIN(TestCopyRules)
#include "tst_copy_rules.moc"
