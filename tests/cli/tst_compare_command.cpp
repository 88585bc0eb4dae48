#include "support/command_process.h"
#include "support/exact_corpus.h"
#include "support/general_log.h"
#include "support/tables_window.h"
#include "support/testbed.h"
#include "support/value_corpus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

using namespace tw::test;

namespace {

const QString database = QStringLiteral("tw_compare_command");
const QString oracleUser = QStringLiteral("COMPARE_COMMAND");

enum class To { Oracle, MySQL };

QString side(To to)
{
    return to == To::Oracle ? QStringLiteral("oracle") : QStringLiteral("mysql");
}

// The lines of a --diffs file, each without its table, in the file's order.
QStringList diffLines(const QString& path)
{
    QFile file(path);
    QStringList out;
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonObject o = QJsonDocument::fromJson(line).object();
        o.remove(QStringLiteral("table"));
        out << QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
    }
    out.sort();
    return out;
}

} // namespace

Q_DECLARE_METATYPE(To)

// `tablewright compare` and `copy --verify` as a user runs them, against
// the test bed: a copy compares the same, a fault planted in its target is
// found once with its key, column and reason.
class TestCompareCommand : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    tw::db::LoginDetails details;
    QTemporaryDir dir;

    QString diffs() const { return dir.filePath(QStringLiteral("diffs.jsonl")); }
    CommandResult run(const QString& command, To to, const QString& table, const QString& types,
        const QStringList& more = {})
    {
        return runCommand(QStringList { command, QStringLiteral("--to"), side(to), table,
                              QStringLiteral("--types"), types, QStringLiteral("--json") }
            + more);
    }
    // The source tables the faults are planted in the copies of.
    void makeSource(const QString& table)
    {
        if (table == QLatin1String("faults"))
            bed.mysql("CREATE TABLE faults(k VARCHAR(10) PRIMARY KEY, txt VARCHAR(20), "
                      "num DECIMAL(10,3), ts DATETIME(6), bl BLOB); INSERT INTO faults VALUES "
                      "('a', 'alpha', 1.5, '2024-01-01 10:00:00.25', X'00FF'), "
                      "('b', 'beta', -2, '2024-01-02 00:00:00', X'01'), "
                      "('c', NULL, NULL, NULL, NULL);",
                database);
        else if (table == QLatin1String("bag"))
            bed.mysql("CREATE TABLE bag(v VARCHAR(10), n INT); INSERT INTO bag VALUES ('x', 1), "
                      "('y', 2);",
                database);
        else if (table == QLatin1String("uniq"))
            bed.mysql("CREATE TABLE uniq(code VARCHAR(5) NOT NULL, v INT, UNIQUE KEY (code)); "
                      "INSERT INTO uniq VALUES ('a', 1), ('b', 2);",
                database);
        else if (table == QLatin1String("empties"))
            bed.mysql("CREATE TABLE empties(id INT PRIMARY KEY, t VARCHAR(5), b VARBINARY(5)); "
                      "INSERT INTO empties VALUES (1, '', ''), (2, 'x', X'01');",
                database);
        else if (table == QLatin1String("rules"))
            bed.mysql("CREATE TABLE rules(id INT PRIMARY KEY, tiny DOUBLE, t TIME(2)); INSERT INTO "
                      "rules VALUES (1, 1e-200, '-838:59:58.25'), (2, 0.1, NULL);",
                database);
        if (table == QLatin1String("UNIQ")) {
            // Two unique indexes: the one on a NOT NULL column is the key.
            bed.oracle(oracleUser,
                "CREATE TABLE UNIQ(CODE VARCHAR2(5) NOT NULL, V NUMBER(10), W NUMBER(5))");
            bed.oracle(oracleUser, "CREATE UNIQUE INDEX UNIQ_VW ON UNIQ(V, W)");
            bed.oracle(oracleUser, "CREATE UNIQUE INDEX UNIQ_CODE ON UNIQ(CODE)");
            bed.oracle(oracleUser, "INSERT INTO UNIQ VALUES('a', 16777217, 1)");
            bed.oracle(oracleUser, "INSERT INTO UNIQ VALUES('b', 2, 2)");
        }
        if (table == QLatin1String("RULES")) {
            // 16777217 becomes the FLOAT 16777216 in MySQL: two keys collide.
            bed.oracle(oracleUser,
                "CREATE TABLE RULES(ID NUMBER(10) PRIMARY KEY, AMOUNT NUMBER(12,3), STAMPED "
                "TIMESTAMP)");
            bed.oracle(oracleUser,
                "INSERT INTO RULES VALUES(16777217, 123456789.123, TIMESTAMP '2024-02-29 "
                "13:14:15.75')");
            bed.oracle(oracleUser, "INSERT INTO RULES VALUES(16777216, 0.5, NULL)");
            bed.oracle(
                oracleUser, "INSERT INTO RULES VALUES(3, NULL, TIMESTAMP '2024-02-29 13:14:15')");
        }
        if (table != QLatin1String("FAULTS"))
            return;
        bed.oracle(oracleUser,
            "CREATE TABLE FAULTS(K VARCHAR2(10) PRIMARY KEY, TXT VARCHAR2(20), N NUMBER(10,3))");
        bed.oracle(oracleUser, "INSERT INTO FAULTS VALUES('a', 'alpha', 1.5)");
        bed.oracle(oracleUser, "INSERT INTO FAULTS VALUES('c', NULL, NULL)");
    }

private slots:
    void initTestCase() { details = bed.login(database, oracleUser); }

    void init()
    {
        bed.freshMySQLDatabase(database);
        bed.freshOracleUser(oracleUser);
        saveLogins(details);
    }

    // The transfer tests' tables, copied plain and exact, both ways, row by
    // row and in bulk: the same rows, only the mapping's declared changes.
    void aCopyComparesTheSame_data();
    void aCopyComparesTheSame()
    {
        QFETCH(To, to);
        QFETCH(QString, table);
        QFETCH(QString, types);
        QFETCH(int, rows);
        QFETCH(QString, declared);
        if (table == QLatin1String("all_types")) {
            bed.mysql(mysqlAllTypesTable(), database);
        } else if (table == QLatin1String("src")) {
            createMySQLCorpus(database);
        } else if (table == QLatin1String("SRC")) {
            createOracleCorpus(oracleUser);
        } else if (table == QLatin1String("READINGS")) {
            bed.mysql(QStringLiteral("ALTER DATABASE `%1` CHARACTER SET latin1;").arg(database));
            oracleExecute(details, oracleReadingsTable());
        } else {
            makeSource(table);
        }
        const bool fast = QByteArray(QTest::currentDataTag()).endsWith("--fast");
        const CommandResult copied = run(QStringLiteral("copy"), to, table, types,
            fast ? QStringList { "--verify", "--fast" } : QStringList { "--verify" });
        QVERIFY2(copied.exitCode == 0, qPrintable(copied.out + copied.err));
        const QJsonObject verified = copied.table(table).value("verify").toObject();
        QCOMPARE(verified.value("result").toString(), QStringLiteral("same"));

        const CommandResult r = run(
            QStringLiteral("compare"), to, table, types, { QStringLiteral("--diffs"), diffs() });
        QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
        QCOMPARE(diffLines(diffs()), QStringList());
        const QJsonObject c = r.table(table);
        for (const char* figure : { "sourceRows", "targetRows" })
            QCOMPARE(c.value(QLatin1String(figure)).toInt(), rows);
        for (const char* figure : { "onlyInSource", "onlyInTarget", "changedRows" })
            QCOMPARE(c.value(QLatin1String(figure)).toInt(), 0);
        QCOMPARE(c.value("declaredChanges").toObject(),
            QJsonDocument::fromJson(declared.toUtf8()).object());
        QCOMPARE(
            c.value("declaredChanges").toObject(), verified.value("declaredChanges").toObject());
    }

    // Each fault planted in the copy's target, and what the --diffs file
    // must hold then: nothing else.
    void aPlantedFaultIsFoundOnce_data();
    void aPlantedFaultIsFoundOnce()
    {
        QFETCH(To, to);
        QFETCH(QString, table);
        QFETCH(QString, types);
        QFETCH(QString, plant);
        QFETCH(QStringList, found);
        makeSource(table);
        const CommandResult copied = run(QStringLiteral("copy"), to, table, types);
        QVERIFY2(copied.exitCode == 0, qPrintable(copied.out + copied.err));
        if (to == To::Oracle)
            bed.oracle(oracleUser, plant);
        else
            bed.mysql(plant + u';', database);

        const CommandResult r = run(
            QStringLiteral("compare"), to, table, types, { QStringLiteral("--diffs"), diffs() });
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(diffLines(diffs()), found);
        const QJsonObject c = r.table(table);
        QCOMPARE(c.value("result").toString(), QStringLiteral("differ"));
        QCOMPARE(c.value("onlyInSource").toInt() + c.value("onlyInTarget").toInt()
                + c.value("changedValues").toInt(),
            found.size());
    }

    // A row the source gains while its copy runs: the copy is the table of
    // one moment, and --verify compares with the table as it is after.
    void copyVerifyFindsWhatAWriterChangedMidCopy();
};

// moc reads no raw strings: the slots that hold them follow the class.
void TestCompareCommand::aCopyComparesTheSame_data()
{
    QTest::addColumn<To>("to");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("types");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("declared");
    for (const bool fast : { false, true }) {
        const char* mode = fast ? ", --fast" : "";
        QTest::addRow("MySQL's types, plain%s", mode)
            << To::Oracle << "all_types"
            << "plain" << 2 << R"({"binary-as-hex":1,"empty-as-null":1})";
        QTest::addRow("MySQL's types, exact%s", mode)
            << To::Oracle << "src"
            << "exact" << 3 << R"({"char-blank-padded":2})";
        QTest::addRow("Oracle's types, plain%s", mode)
            << To::MySQL << "READINGS"
            << "plain" << 2 << R"({"binary-as-hex":1,"single-precision":1})";
        QTest::addRow("Oracle's types, exact%s", mode)
            << To::MySQL << "SRC"
            << "exact" << 3 << R"({"char-blanks-dropped":4})";
        QTest::addRow("empty texts into Oracle, exact%s", mode)
            << To::Oracle << "empties"
            << "exact" << 2 << R"({"empty-as-null":2})";
        QTest::addRow("a number below Oracle's range%s", mode)
            << To::Oracle << "rules"
            << "plain" << 2 << R"({"below-oracle-range":1})";
        QTest::addRow("single precision and whole seconds%s", mode)
            << To::MySQL << "RULES"
            << "plain" << 3 << R"({"single-precision":2,"whole-seconds":1})";
    }
}

void TestCompareCommand::aPlantedFaultIsFoundOnce_data()
{
    QTest::addColumn<To>("to");
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("types");
    QTest::addColumn<QString>("plant"); // a statement on the target
    QTest::addColumn<QStringList>("found");
    const QString exact = QStringLiteral("changed, and an exact copy changes no value");
    auto changed = [&](const QString& key, const QString& column, const QString& source,
                       const QString& target) {
        return QStringLiteral(R"({"column":"%1","key":%2,"kind":"changed","reason":"%3",)"
                              R"("source":%4,"target":%5})")
            .arg(column, key, exact, source, target);
    };
    const QString rowA = R"({"bl":"00FF","k":"a","num":"1.5","ts":"2024-01-01 10:00:00.25",)"
                         R"("txt":"alpha"})";
    QTest::newRow("a text") << To::Oracle << "faults"
                            << "exact"
                            << R"(UPDATE "faults" SET "txt" = 'alphA' WHERE "k" = 'a')"
                            << QStringList { changed(
                                   R"({"k":"a"})", "txt", R"("alpha")", R"("alphA")") };
    QTest::newRow("a number") << To::Oracle << "faults"
                              << "exact"
                              << R"(UPDATE "faults" SET "num" = 1.501 WHERE "k" = 'a')"
                              << QStringList { changed(
                                     R"({"k":"a"})", "num", R"("1.5")", R"("1.501")") };
    QTest::newRow("a date's fraction")
        << To::Oracle << "faults"
        << "exact"
        << R"(UPDATE "faults" SET "ts" = TIMESTAMP '2024-01-01 10:00:00.251' WHERE "k" = 'a')"
        << QStringList { changed(R"({"k":"a"})", "ts", R"("2024-01-01 10:00:00.25")",
               R"("2024-01-01 10:00:00.251")") };
    QTest::newRow("one byte of a BLOB")
        << To::Oracle << "faults"
        << "exact"
        << R"(UPDATE "faults" SET "bl" = '00FE' WHERE "k" = 'a')"
        << QStringList { changed(R"({"k":"a"})", "bl", R"("00FF")", R"("00FE")") };
    QTest::newRow("a missing row")
        << To::Oracle << "faults"
        << "exact"
        << R"(DELETE FROM "faults" WHERE "k" = 'b')"
        << QStringList { R"({"key":{"k":"b"},"kind":"onlyInSource","reason":"the target has no )"
                         R"(row with this key","row":{"bl":"01","k":"b","num":"-2",)"
                         R"("ts":"2024-01-02 00:00:00","txt":"beta"}})" };
    QTest::newRow("an extra row")
        << To::Oracle << "faults"
        << "exact"
        << R"(INSERT INTO "faults" ("k") VALUES ('z'))"
        << QStringList { R"({"key":{"k":"z"},"kind":"onlyInTarget","reason":"the source has no )"
                         R"(row with this key","row":{"bl":null,"k":"z","num":null,"ts":null,)"
                         R"("txt":null}})" };
    QTest::newRow("a key's letter case")
        << To::Oracle << "faults"
        << "exact"
        << R"(UPDATE "faults" SET "k" = 'A' WHERE "k" = 'a')"
        << QStringList {
               QStringLiteral(R"({"key":{"k":"A"},"kind":"onlyInTarget","reason":"the source )"
                              R"(has no row with this key","row":%1})")
                   .arg(QString(rowA).replace(R"("k":"a")", R"("k":"A")")),
               QStringLiteral(R"({"key":{"k":"a"},"kind":"onlyInSource","reason":"the target )"
                              R"(has no row with this key","row":%1})")
                   .arg(rowA),
           };
    QTest::newRow("an empty text for NULL in MySQL")
        << To::MySQL << "FAULTS"
        << "exact"
        << "UPDATE FAULTS SET TXT = '' WHERE K = 'c'"
        << QStringList { changed(R"({"K":"c"})", "TXT", "null", R"("")") };
    QTest::newRow("a key's letter case in MySQL")
        << To::MySQL << "FAULTS"
        << "exact"
        << "UPDATE FAULTS SET K = 'C' WHERE K = 'c'"
        << QStringList {
               R"({"key":{"K":"C"},"kind":"onlyInTarget","reason":"the source has no row with )"
               R"(this key","row":{"K":"C","N":null,"TXT":null}})",
               R"({"key":{"K":"c"},"kind":"onlyInSource","reason":"the target has no row with )"
               R"(this key","row":{"K":"c","N":null,"TXT":null}})",
           };
    QTest::newRow("a key from a unique index")
        << To::Oracle << "uniq"
        << "plain"
        << R"(UPDATE "uniq" SET "v" = 3 WHERE "code" = 'b')"
        << QStringList { R"({"column":"v","key":{"code":"b"},"kind":"changed","reason":"changed, )"
                         R"(and no rule of the plain mapping changes this value","source":"2",)"
                         R"("target":"3"})" };
    QTest::newRow("a value a rule changes, changed otherwise")
        << To::MySQL << "UNIQ"
        << "plain"
        << "UPDATE UNIQ SET V = 5 WHERE CODE = 'a'"
        << QStringList { R"({"column":"V","key":{"CODE":"a"},"kind":"changed","reason":"changed, )"
                         R"(and not as the mapping declares: its rule single-precision (every )"
                         R"(number becomes a MySQL FLOAT, single precision) makes the value )"
                         R"(16777216","source":"16777217","target":"5"})" };
    QTest::newRow("a duplicated row without a key")
        << To::Oracle << "bag"
        << "plain"
        << R"(INSERT INTO "bag" VALUES('x', 1))"
        << QStringList { R"({"kind":"onlyInTarget","reason":"the source holds this row 1 )"
                         R"(time, the target 2 times","row":{"n":"1","v":"x"}})" };
}

void TestCompareCommand::copyVerifyFindsWhatAWriterChangedMidCopy()
{
    bed.mysql("CREATE TABLE busy(id INT PRIMARY KEY, v INT); INSERT INTO busy SELECT seq, seq "
              "FROM seq_1_to_30000;",
        database);
    GeneralLog log(bed.generalLogPath());
    log.mark();
    CommandProcess copy({ QStringLiteral("copy"), QStringLiteral("--to"), QStringLiteral("oracle"),
        QStringLiteral("busy"), QStringLiteral("--verify"), QStringLiteral("--json"),
        QStringLiteral("--diffs"), diffs() });
    copy.start();
    const QString select = QStringLiteral("SELECT * FROM `busy`");
    for (int i = 0; i < 500 && !log.queries(programSession(database)).contains(select); ++i)
        QThread::msleep(10);
    QVERIFY(log.queries(programSession(database)).contains(select));
    bed.mysql("UPDATE busy SET v = -7 WHERE id = 7;", database);

    const CommandResult r = copy.finish();
    QCOMPARE(r.exitCode, 1);
    const QJsonObject t = r.table(QStringLiteral("busy"));
    QCOMPARE(t.value("result").toString(), QStringLiteral("copied"));
    QCOMPARE(t.value("rowsRefused").toInt(), 0);
    const QJsonObject verified = t.value("verify").toObject();
    QCOMPARE(verified.value("result").toString(), QStringLiteral("differ"));
    QCOMPARE(verified.value("changedRows").toInt(), 1);
    QCOMPARE(diffLines(diffs()),
        QStringList { R"({"column":"v","key":{"id":"7"},"kind":"changed","reason":"changed, )"
                      R"(and no rule of the plain mapping changes this value","source":"-7",)"
                      R"("target":"7"})" });
}

QTEST_GUILESS_MAIN(TestCompareCommand)
#include "tst_compare_command.moc"
