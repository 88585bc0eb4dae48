#include "db/connection.h"
#include "db/connection_strings.h"
#include "support/command_process.h"
#include "support/exact_corpus.h"
#include "support/general_log.h"
#include "support/testbed.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace tw::test;
using tw::sql::Server;

namespace {

const QString database = QStringLiteral("tw_exact_command");
const QString oracleUser = QStringLiteral("EXACT_COMMAND");

enum class To { Oracle, MySQL };

QString side(To to)
{
    return to == To::Oracle ? QStringLiteral("oracle") : QStringLiteral("mysql");
}

QList<QJsonObject> jsonLines(const QString& path)
{
    QFile file(path);
    QList<QJsonObject> out;
    if (!file.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty())
            out.append(QJsonDocument::fromJson(line).object());
    }
    return out;
}

} // namespace

Q_DECLARE_METATYPE(To)

// `tablewright copy --types exact` as a user runs it, against the test bed.
class TestExactCommand : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    tw::db::LoginDetails details;
    QTemporaryDir dir;

    CommandResult copy(To to, const QString& table, const QString& types, bool fast = false,
        const QStringList& more = {})
    {
        QStringList arguments { QStringLiteral("copy"), QStringLiteral("--to"), side(to), table,
            QStringLiteral("--types"), types, QStringLiteral("--json"), QStringLiteral("--rejects"),
            rejects() };
        if (fast)
            arguments << QStringLiteral("--fast");
        return runCommand(arguments + more);
    }
    QString rejects() const { return dir.filePath(QStringLiteral("rejects.jsonl")); }
    std::unique_ptr<tw::db::Connection> open(Server server) const
    {
        auto c = std::make_unique<tw::db::Connection>();
        c->Open(server == Server::MySQL ? tw::db::MySQLConnectionString(details)
                                        : tw::db::OracleConnectionString(details));
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

    // Each table goes to the other side and comes back under its own name,
    // the original put aside as ORIG; row by row and with --fast. Oracle
    // takes at most 4,000 bytes in one literal: the CLOB row goes back as a
    // bound parameter either way.
    void aTableComesBackWithItsValuesNotNullAndKey_data()
    {
        QTest::addColumn<To>("to");
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("fast");
        for (bool fast : { false, true }) {
            const char* mode = fast ? ", --fast" : "";
            QTest::addRow("MySQL, every type%s", mode) << To::Oracle << "src" << fast;
            QTest::addRow("Oracle, every type%s", mode) << To::MySQL << "SRC" << fast;
            QTest::addRow("Oracle, a CLOB of 100 KB%s", mode) << To::MySQL << "LONGCLOB" << fast;
        }
    }
    void aTableComesBackWithItsValuesNotNullAndKey()
    {
        QFETCH(To, to);
        QFETCH(QString, table);
        QFETCH(bool, fast);
        const Server home = to == To::Oracle ? Server::MySQL : Server::Oracle;
        const auto connection = open(home);
        if (home == Server::MySQL) {
            createMySQLCorpus(database);
        } else if (table == QLatin1String("SRC")) {
            createOracleCorpus(oracleUser);
        } else {
            bed.oracle(oracleUser,
                QStringLiteral("CREATE TABLE \"%1\"(ID NUMBER(10) PRIMARY KEY, CL CLOB)")
                    .arg(table));
            insertWithText(*connection,
                QStringLiteral("INSERT INTO \"%1\" VALUES(1, ?)").arg(table),
                QString::fromUtf8("Grüße 😀 日本 ").repeated(6000)); // 102,000 bytes
        }
        const int rows = int(rowsByKey(*connection, home, table).size());

        CommandResult r = copy(to, table, QStringLiteral("exact"), fast);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.table(table).value(QStringLiteral("rowsWritten")).toInt(), rows);
        const QString original = home == Server::MySQL ? QStringLiteral("orig") : "ORIG";
        if (home == Server::MySQL)
            bed.mysql(QStringLiteral("RENAME TABLE `%1` TO orig").arg(table), database);
        else
            bed.oracle(oracleUser, QStringLiteral("RENAME \"%1\" TO ORIG").arg(table));

        r = copy(to == To::Oracle ? To::MySQL : To::Oracle, table, QStringLiteral("exact"), fast);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.table(table).value(QStringLiteral("rowsWritten")).toInt(), rows);
        compareRoundTrip(*connection, home, original, table);
    }

    // The plain copy makes a NUMBER(10) a single-precision FLOAT.
    void aNumber10IdArrivesWholeOnlyAsAnExactCopy_data()
    {
        QTest::addColumn<QString>("types");
        QTest::addColumn<QString>("columnType");
        QTest::addColumn<QString>("arrived");
        QTest::newRow("plain") << "plain"
                               << "float"
                               << "2147483648";
        QTest::newRow("exact") << "exact"
                               << "bigint"
                               << "2147483647";
    }
    void aNumber10IdArrivesWholeOnlyAsAnExactCopy()
    {
        QFETCH(QString, types);
        QFETCH(QString, columnType);
        QFETCH(QString, arrived);
        bed.oracle(oracleUser, QStringLiteral("CREATE TABLE IDS(ID NUMBER(10) PRIMARY KEY)"));
        bed.oracle(oracleUser, QStringLiteral("INSERT INTO IDS VALUES(2147483647)"));
        GeneralLog log(bed.generalLogPath());

        const CommandResult r = copy(To::MySQL, QStringLiteral("IDS"), types);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(bed.mysql(QStringLiteral("SELECT DATA_TYPE FROM information_schema.COLUMNS WHERE "
                                          "TABLE_SCHEMA = '%1' AND TABLE_NAME = 'IDS'")
                               .arg(database)),
            QStringList { columnType });
        QCOMPARE(bed.mysql(QStringLiteral("SELECT CAST(ID AS DECIMAL(20,0)) FROM IDS"), database),
            QStringList { arrived });
        // An exact copy's session is strict whatever the server's default:
        // a value MySQL cannot hold is refused, never cut to fit.
        const QStringList sent = log.queries(QStringLiteral("root@127.0.0.1 on ") + database);
        QCOMPARE(sent.filter(QStringLiteral("STRICT_ALL_TABLES")).size(),
            types == QLatin1String("exact") ? 1 : 0);
    }

    // The second of two rows holds a value the target cannot keep as it is.
    void aValueTheTargetCannotHoldRefusesItsRowWithTheReason_data()
    {
        QTest::addColumn<To>("to");
        QTest::addColumn<QString>("value"); // as the source's INSERT writes it
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("carried"); // in the rejects file
        QTest::addColumn<bool>("fast");
        for (bool fast : { false, true }) {
            const char* mode = fast ? ", --fast" : "";
            QTest::addRow("an empty text into Oracle%s", mode)
                << To::Oracle << "''"
                << "column v: Oracle keeps an empty text as NULL"
                << "" << fast;
            QTest::addRow("NaN into MySQL%s", mode)
                << To::MySQL << "'NaN'"
                << "column V: MySQL's FLOAT and DOUBLE hold no NaN or infinity"
                << "Nan" << fast;
        }
    }
    void aValueTheTargetCannotHoldRefusesItsRowWithTheReason()
    {
        QFETCH(To, to);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(QString, carried);
        QFETCH(bool, fast);
        QString table = QStringLiteral("t");
        if (to == To::Oracle) {
            bed.mysql(QStringLiteral("CREATE TABLE t(id INT PRIMARY KEY, v VARCHAR(9)); INSERT "
                                     "INTO t VALUES(1, 'kept'), (2, %1);")
                          .arg(value),
                database);
        } else {
            table = QStringLiteral("T");
            bed.oracle(oracleUser, "CREATE TABLE T(ID NUMBER(10) PRIMARY KEY, V BINARY_DOUBLE)");
            bed.oracle(oracleUser, "INSERT INTO T VALUES(1, 1.5)");
            bed.oracle(oracleUser, QStringLiteral("INSERT INTO T VALUES(2, %1)").arg(value));
        }

        const CommandResult r = copy(to, table, QStringLiteral("exact"), fast,
            { QStringLiteral("--empty-text"), QStringLiteral("refuse") });
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.table(table).value(QStringLiteral("rowsWritten")).toInt(), 1);
        QCOMPARE(r.table(table).value(QStringLiteral("rowsRefused")).toInt(), 1);
        const QList<QJsonObject> refused = jsonLines(rejects());
        QCOMPARE(refused.size(), 1);
        QCOMPARE(refused[0].value(QStringLiteral("row")).toInt(), 2);
        QCOMPARE(refused[0].value(QStringLiteral("message")).toString(), message);
        QCOMPARE(refused[0].value(QStringLiteral("values")).toArray(),
            (QJsonArray { QStringLiteral("2"), carried }));
    }

    // Oracle keeps an empty text as NULL: by default it arrives so, and is
    // counted per column; a NOT NULL column holding one is created nullable.
    void anEmptyTextArrivesAsNullAndIsCounted_data()
    {
        QTest::addColumn<bool>("fast");
        QTest::newRow("row by row") << false;
        QTest::newRow("--fast") << true;
    }
    void anEmptyTextArrivesAsNullAndIsCounted()
    {
        QFETCH(bool, fast);
        bed.mysql(QStringLiteral("CREATE TABLE t(id INT PRIMARY KEY, v VARCHAR(9) NOT NULL, "
                                 "w VARCHAR(9) NOT NULL, b VARBINARY(4)); INSERT INTO t VALUES(1, "
                                 "'kept', 'w', X'01'), (2, '', 'w', X''), (3, '', 'w', NULL);"),
            database);
        const CommandResult r
            = copy(To::Oracle, QStringLiteral("t"), QStringLiteral("exact"), fast);
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        const QJsonObject table = r.table(QStringLiteral("t"));
        QCOMPARE(table.value(QStringLiteral("rowsWritten")).toInt(), 3);
        QCOMPARE(table.value(QStringLiteral("emptyTextsAsNull")).toObject(),
            (QJsonObject { { QStringLiteral("v"), 2 }, { QStringLiteral("b"), 1 } }));
        QVERIFY(table.value(QStringLiteral("notes"))
                    .toArray()
                    .contains(QStringLiteral("column v: NOT NULL, but holds empty values, which "
                                             "Oracle keeps as NULL: created nullable")));
        QCOMPARE(bed.oracle(oracleUser,
                     QStringLiteral("SELECT COLUMN_NAME, NULLABLE FROM USER_TAB_COLUMNS WHERE "
                                    "TABLE_NAME = 't' ORDER BY COLUMN_ID")),
            (QStringList { "id\tN", "v\tY", "w\tN", "b\tY" }));
        QCOMPARE(bed.oracle(oracleUser,
                     QStringLiteral("SELECT \"id\" FROM \"t\" WHERE \"v\" IS NULL ORDER BY 1")),
            (QStringList { "2", "3" }));
    }
};

QTEST_GUILESS_MAIN(TestExactCommand)
#include "tst_exact_command.moc"
