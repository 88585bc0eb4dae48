#include "compare/table_comparison.h"
#include "support/command_process.h"
#include "support/testbed.h"

#include <QJsonDocument>
#include <QTest>

using namespace tw::test;
using tw::compare::Comparison;
using tw::compare::Difference;
using tw::sql::Server;

namespace {

const QString database = QStringLiteral("tw_table_comparison");
const QString oracleUser = QStringLiteral("TABLE_COMPARISON");

// Every difference as one line, in order.
class Collected : public tw::compare::ComparisonObserver {
public:
    void begin(const QString&, qint64) override { }
    void rows(qint64) override { }
    bool wantsDifference() override { return true; }
    void difference(const QString&, const Difference& d) override
    {
        lines << d.kindName() + QJsonDocument(d.key).toJson(QJsonDocument::Compact) + d.column
                + d.source.toString() + d.target.toString()
                + QJsonDocument(d.row).toJson(QJsonDocument::Compact) + d.reason;
    }
    QStringList lines;
};

} // namespace

// The comparing engine in memory bounds far below its tables: every
// partition goes to its file at once and is spread over the next levels
// again and again, and the comparison finds what it finds in memory.
class TestTableComparison : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    tw::db::LoginDetails details;

    Comparison compare(qint64 bufferBytes, qint64 partitionBytes, QStringList& lines)
    {
        tw::copy::TableCopy run(Server::Oracle);
        run.connect(Server::Oracle, details);
        run.connect(Server::MySQL, details);
        tw::compare::CompareOptions options;
        options.login = details;
        options.bufferBytes = bufferBytes;
        options.partitionBytes = partitionBytes;
        Collected collected;
        const Comparison c = tw::compare::compareTable(
            run, QStringLiteral("t"), QStringLiteral("t"), options, collected);
        lines = collected.lines;
        return c;
    }

private slots:
    void initTestCase() { details = bed.login(database, oracleUser); }

    void init()
    {
        bed.freshMySQLDatabase(database);
        bed.freshOracleUser(oracleUser);
        saveLogins(details);
    }

    void spilledAndSpreadItFindsWhatItFindsInMemory_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("onlyInSource");
        QTest::addColumn<int>("onlyInTarget");
        QTest::addColumn<int>("changedRows");
        QTest::newRow("keyed") << " PRIMARY KEY" << 1 << 1 << 1;
        // Without a key a changed row is a row on each side.
        QTest::newRow("whole rows") << "" << 2 << 2 << 0;
    }
    void spilledAndSpreadItFindsWhatItFindsInMemory()
    {
        QFETCH(QString, key);
        QFETCH(int, onlyInSource);
        QFETCH(int, onlyInTarget);
        QFETCH(int, changedRows);
        bed.mysql(QStringLiteral("CREATE TABLE t(id INT%1, name VARCHAR(40), v DOUBLE); INSERT "
                                 "INTO t SELECT seq, CONCAT('row ', seq), seq / 7 FROM "
                                 "seq_1_to_20000;")
                      .arg(key),
            database);
        const CommandResult copied = runCommand({ QStringLiteral("copy"), QStringLiteral("--to"),
            QStringLiteral("oracle"), QStringLiteral("t"), QStringLiteral("--fast") });
        QVERIFY2(copied.exitCode == 0, qPrintable(copied.err));
        bed.oracle(oracleUser, "UPDATE \"t\" SET \"name\" = 'changed' WHERE \"id\" = 5");
        bed.oracle(oracleUser, "DELETE FROM \"t\" WHERE \"id\" = 6");
        bed.oracle(oracleUser, "INSERT INTO \"t\" VALUES(0, 'extra', 0)");

        QStringList inMemory;
        QStringList spread;
        const Comparison a = compare(64 << 10, 32 << 20, inMemory);
        const Comparison b = compare(256, 4096, spread);
        for (const Comparison& c : { a, b }) {
            QCOMPARE(c.result, Comparison::Differ);
            QCOMPARE(c.sourceRows, 20000);
            QCOMPARE(c.targetRows, 20000);
            QCOMPARE(c.onlyInSource, onlyInSource);
            QCOMPARE(c.onlyInTarget, onlyInTarget);
            QCOMPARE(c.changedRows, changedRows);
        }
        inMemory.sort();
        spread.sort();
        QCOMPARE(spread, inMemory);
        QCOMPARE(inMemory.size(), onlyInSource + onlyInTarget + changedRows);
    }
};

QTEST_GUILESS_MAIN(TestTableComparison)
#include "tst_table_comparison.moc"
