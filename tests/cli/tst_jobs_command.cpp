#include "support/command_process.h"
#include "support/general_log.h"
#include "support/testbed.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <csignal>

using namespace tw::test;

namespace {

const QString database = QStringLiteral("tw_jobs_command");
const QString oracleUser = QStringLiteral("JOBS_COMMAND");

// MySQL's `t` of `rows` rows: id, a region that alternates N and S, a price
// with three decimals on every fourth row.
QString numbered(const QString& table, int rows)
{
    return QStringLiteral(
        "CREATE TABLE `%1`(id INT PRIMARY KEY, region CHAR(1), price "
        "DECIMAL(10,3), note VARCHAR(20)); SET SESSION max_recursive_iterations "
        "= %2; INSERT INTO `%1` WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT "
        "n + 1 FROM s WHERE n < %2) SELECT n, IF(n % 2 = 0, 'N', 'S'), IF(n % 4 "
        "= 0, n + 0.125, n + 0.5), CONCAT('note ', n) FROM s;")
        .arg(table)
        .arg(rows);
}

} // namespace

// The copies that run every night (a job file, append, upsert, resume,
// tables side by side, a table in parts, the plan), as a user runs them.
class TestJobsCommand : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    QTemporaryDir dir;

    CommandResult copy(QStringList arguments)
    {
        return runCommand(
            QStringList { QStringLiteral("copy"), QStringLiteral("--json") } + arguments);
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    int oracleCount(const QString& table, const QString& where = QString())
    {
        return bed
            .oracle(oracleUser,
                QStringLiteral("SELECT COUNT(*) FROM \"%1\"%2")
                    .arg(table, where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where))
            .value(0)
            .toInt();
    }
    QStringList oracleTables()
    {
        QStringList names
            = bed.oracle(oracleUser, QStringLiteral("SELECT TABLE_NAME FROM USER_TABLES"));
        names.sort();
        return names;
    }

private slots:
    void initTestCase() { saveLogins(bed.login(database, oracleUser)); }

    void init()
    {
        bed.freshMySQLDatabase(database);
        bed.freshOracleUser(oracleUser);
    }

    // Two tables of a job: one with a condition, a subset of its columns in
    // another order, a new name and a type of its own, which refuses the
    // rows whose price it cannot hold unchanged; the other whole, with its
    // whole definition.
    void aJobFileCopiesExactlyTheRowsAndColumnsItNames()
    {
        bed.mysql(numbered(QStringLiteral("orders"), 40) + numbered(QStringLiteral("items"), 7)
                + QStringLiteral("CREATE INDEX orders_note ON orders(note);"
                                 "CREATE INDEX items_note ON items(note);"),
            database);
        QFile job(path(QStringLiteral("job.toml")));
        QVERIFY(job.open(QIODevice::WriteOnly));
        job.write(R"toml(to = "oracle"
types = "exact"
[[table]]
name = "orders"
target = "ORDERS_N"
where = "region = 'N'"
columns = ["price", "id"]
column_types = { price = "NUMBER(12,1)" }
[[table]]
name = "items"
schema = "full"
)toml");
        job.close();
        const CommandResult r = copy({ QStringLiteral("--job"), job.fileName() });
        QVERIFY2(r.exitCode == 1, qPrintable(r.err));
        // 20 rows of region N; the 10 of them with three decimals refused.
        QCOMPARE(
            r.table(QStringLiteral("orders")).value(QStringLiteral("rowsWritten")).toInt(), 10);
        QCOMPARE(
            r.table(QStringLiteral("orders")).value(QStringLiteral("rowsRefused")).toInt(), 10);
        QCOMPARE(r.table(QStringLiteral("items")).value(QStringLiteral("rowsWritten")).toInt(), 7);
        QCOMPARE(
            bed.oracle(oracleUser,
                QStringLiteral("SELECT COLUMN_NAME, DATA_TYPE, DATA_PRECISION, DATA_SCALE FROM "
                               "USER_TAB_COLUMNS WHERE TABLE_NAME = 'ORDERS_N' ORDER BY "
                               "COLUMN_ID")),
            (QStringList { "price\tNUMBER\t12\t1", "id\tNUMBER\t10\t0" }));
        QCOMPARE(oracleCount(QStringLiteral("ORDERS_N"), QStringLiteral("MOD(\"id\", 4) = 2")), 10);
        QCOMPARE(oracleTables(), (QStringList { "ORDERS_N", "items" }));
        QCOMPARE(bed.oracle(oracleUser,
                     QStringLiteral("SELECT INDEX_NAME FROM USER_INDEXES WHERE TABLE_NAME IN "
                                    "('ORDERS_N', 'items') AND UNIQUENESS = 'NONUNIQUE'")),
            QStringList { "items_note" });
    }

    // compare and --verify read the rows and columns the job chose, where
    // the job put them.
    void aJobIsComparedAsItWasCopied()
    {
        bed.mysql(numbered(QStringLiteral("orders"), 40), database);
        QFile job(path(QStringLiteral("compared.toml")));
        QVERIFY(job.open(QIODevice::WriteOnly));
        job.write(R"toml(to = "oracle"
types = "exact"
[[table]]
name = "orders"
target = "ORDERS_N"
where = "region = 'N'"
columns = ["price", "id"]
)toml");
        job.close();
        const CommandResult r = copy({ QStringLiteral("--job"), job.fileName(), "--verify" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        const QJsonObject verified = r.table(QStringLiteral("orders")).value("verify").toObject();
        QCOMPARE(verified.value("result").toString(), QStringLiteral("same"));
        QCOMPARE(verified.value("sourceRows").toInt(), 20);
        bed.oracle(
            oracleUser, QStringLiteral("UPDATE \"ORDERS_N\" SET \"price\" = 1 WHERE \"id\" = 2"));
        const CommandResult c
            = runCommand({ "compare", "--json", QStringLiteral("--job"), job.fileName() });
        QCOMPARE(c.exitCode, 1);
        QCOMPARE(c.table(QStringLiteral("orders")).value("changedRows").toInt(), 1);
        QCOMPARE(c.table(QStringLiteral("orders")).value("onlyInSource").toInt(), 0);
    }

    // Appending twice doubles the rows; an upsert of changed and new rows
    // updates the first and inserts the second, and counts them.
    void appendAddsAndUpsertUpdatesAndInserts()
    {
        bed.mysql(QStringLiteral("CREATE TABLE a(id INT, v VARCHAR(9)); INSERT INTO a VALUES (1, "
                                 "'x'), (2, 'y'); CREATE TABLE u(id INT PRIMARY KEY, v "
                                 "VARCHAR(9)); INSERT INTO u VALUES (1, 'x'), (2, 'y');"),
            database);
        for (int run = 1; run <= 2; ++run)
            QCOMPARE(copy({ "--to", "oracle", "a", "--mode", "append" }).exitCode, 0);
        QCOMPARE(oracleCount(QStringLiteral("a")), 4);

        QCOMPARE(copy({ "--to", "oracle", "u", "--types", "exact" }).exitCode, 0);
        bed.mysql(QStringLiteral("UPDATE u SET v = 'changed' WHERE id = 2; INSERT INTO u VALUES "
                                 "(3, 'new');"),
            database);
        const CommandResult r
            = copy({ "--to", "oracle", "u", "--types", "exact", "--mode", "upsert" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.table("u").value("rowsInserted").toInt(), 1);
        QCOMPARE(r.table("u").value("rowsUpdated").toInt(), 2);
        QCOMPARE(bed.oracle(oracleUser, QStringLiteral("SELECT * FROM \"u\" ORDER BY \"id\"")),
            (QStringList { "1\tx", "2\tchanged", "3\tnew" }));
        // A second unique key would make MySQL's statement fire on it too.
        bed.oracle(oracleUser, QStringLiteral("CREATE UNIQUE INDEX UV ON \"u\" (\"v\")"));
        const CommandResult refused
            = copy({ "--to", "oracle", "u", "--types", "exact", "--mode", "upsert" });
        QCOMPARE(refused.exitCode, 2);
        QVERIFY2(refused.err.contains("only unique key"), qPrintable(refused.err));
    }

    // Killed (SIGKILL) in the middle of a table and run again with the same
    // state: every row once, into a new table and into a replacement.
    void aKilledCopyResumedHasEveryRowOnce_data()
    {
        QTest::addColumn<bool>("replacing");
        QTest::newRow("new table") << false;
        QTest::newRow("replacement") << true;
    }
    void aKilledCopyResumedHasEveryRowOnce()
    {
        QFETCH(bool, replacing);
        const int rows = 300000;
        bed.mysql(numbered(QStringLiteral("big"), rows), database);
        if (replacing)
            bed.oracle(oracleUser, QStringLiteral("CREATE TABLE \"big\" (\"old\" NUMBER)"));
        const QString state = path(QStringLiteral("state-%1.json").arg(replacing));
        const QStringList arguments { "copy", "--to", "oracle", "big", "--types", "exact", "--mode",
            "replace", "--batch", "500", "--resume", state };
        CommandProcess killed(arguments);
        killed.start();
        const QString into = replacing ? QStringLiteral("big_tw_new") : QStringLiteral("big");
        // Killed once some batches but not all are in.
        for (int wait = 0; wait < 600; ++wait) {
            QThread::msleep(20);
            bool ok = false;
            const int n = bed.oracle(oracleUser,
                                 QStringLiteral("SELECT COUNT(*) FROM \"%1\"").arg(into), &ok)
                              .value(0)
                              .toInt();
            if (ok && n >= 20000)
                break;
        }
        ::kill(pid_t(killed.pid()), SIGKILL);
        killed.finish();
        const int before = oracleCount(into);
        QVERIFY2(before > 0 && before < rows, qPrintable(QString::number(before)));
        QVERIFY(QFile::exists(state));

        const CommandResult resumed = runCommand(arguments + QStringList { "--json" });
        QVERIFY2(resumed.exitCode == 0, qPrintable(resumed.err));
        QCOMPARE(resumed.table("big").value("rowsWritten").toInt(), rows - before);
        QCOMPARE(oracleCount(QStringLiteral("big")), rows);
        QCOMPARE(oracleCount(QStringLiteral("big"),
                     QStringLiteral("\"note\" = 'note 1' OR \"id\" = %1").arg(rows)),
            2);
        QVERIFY(!QFile::exists(state));
        QCOMPARE(oracleTables(), QStringList { "big" });
    }

    // Three processes, one after the other, each with its part.
    void partsOneAfterTheOtherMakeTheWholeTableOnce()
    {
        bed.mysql(numbered(QStringLiteral("p"), 500), database);
        QCOMPARE(copy({ "--to", "oracle", "p", "--part", "1/3" }).exitCode, 2);
        QCOMPARE(
            copy({ "--to", "oracle", "p", "--types", "exact", "--where", "id < 0" }).exitCode, 0);
        int written = 0;
        for (const char* part : { "1/3", "2/3", "3/3" }) {
            // Each part verified against the rows it read, not the whole target.
            const CommandResult r
                = copy({ "--to", "oracle", "p", "--types", "exact", "--part", part, "--verify" });
            QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
            QCOMPARE(r.table("p").value("verify").toObject().value("result").toString(),
                QStringLiteral("same"));
            const int n = r.table("p").value("rowsWritten").toInt();
            QVERIFY2(n > 100 && n < 250, qPrintable(QString::number(n)));
            written += n;
        }
        QCOMPARE(written, 500);
        QCOMPARE(oracleCount(QStringLiteral("p")), 500); // the key refuses any row twice
    }

    // The same tables, side by side or one after the other, in the job's order.
    void jobsSideBySideGiveTheSameTables()
    {
        QString tables;
        for (const char* t : { "t1", "t2", "t3", "t4" })
            tables += numbered(QLatin1String(t), 2000);
        bed.mysql(tables, database);
        QStringList contents[2];
        for (int jobs : { 1, 3 }) {
            bed.freshOracleUser(oracleUser);
            const CommandResult r = copy({ "--to", "oracle", "t3", "t1", "t4", "t2", "--types",
                "exact", "--jobs", QString::number(jobs) });
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
            QStringList order;
            for (auto m = QRegularExpression("\"table\": \"(t\\d)\"").globalMatch(r.out);
                 m.hasNext();)
                order << m.next().captured(1);
            QCOMPARE(order, (QStringList { "t3", "t1", "t4", "t2" }));
            for (const char* t : { "t1", "t2", "t3", "t4" })
                contents[jobs == 3] << bed.oracle(oracleUser,
                    QStringLiteral("SELECT * FROM \"%1\" ORDER BY \"id\"").arg(QLatin1String(t)));
        }
        QCOMPARE(contents[1], contents[0]);
        QCOMPARE(contents[0].size(), 8000);
    }

    // The plan reads both sides and writes neither.
    void aDryRunSendsNothingButReads()
    {
        bed.mysql(numbered(QStringLiteral("d"), 10), database);
        bed.oracle(oracleUser,
            QStringLiteral("CREATE TABLE \"d\" (\"id\" NUMBER(10) PRIMARY KEY, \"region\" CHAR(1), "
                           "\"price\" NUMBER(10,3), \"note\" VARCHAR2(20))"));
        GeneralLog log(bed.generalLogPath());
        const CommandResult r = copy({ "--to", "mysql", "d", "--mode", "upsert", "--dry-run" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(
            r.out.contains("INSERT INTO `d` (`id`, `region`, `price`, `note`) VALUES (?, ?, ?, ?) "
                           "ON DUPLICATE KEY UPDATE"),
            qPrintable(r.out));
        const CommandResult o
            = copy({ "--to", "oracle", "d", "--types", "exact", "--dry-run", "--where", "id > 5" });
        QVERIFY2(o.exitCode == 0, qPrintable(o.err));
        QVERIFY2(o.out.contains("SELECT * FROM `d` WHERE (id > 5)"), qPrintable(o.out));
        const QStringList sent = log.queries(QStringLiteral("root@127.0.0.1 on ") + database);
        QVERIFY(!sent.isEmpty());
        static const QRegularExpression write(
            QStringLiteral(
                "^\\s*(INSERT|UPDATE|DELETE|CREATE|DROP|RENAME|ALTER|REPLACE|TRUNCATE)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        for (const QString& q : sent)
            QVERIFY2(!write.match(q).hasMatch(), qPrintable(q));
        QCOMPARE(bed.mysql(QStringLiteral("SHOW TABLES"), database), QStringList { "d" });
        QCOMPARE(oracleTables(), QStringList { "d" });
    }
};

QTEST_GUILESS_MAIN(TestJobsCommand)
#include "tst_jobs_command.moc"
