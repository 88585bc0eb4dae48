#include "sql/value_text.h"
#include "support/command_process.h"
#include "support/general_log.h"
#include "support/tables_window.h"
#include "support/testbed.h"
#include "support/value_corpus.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

using namespace tw::test;

namespace {

const QString database = QStringLiteral("tw_command");
const QString oracleUser = QStringLiteral("COMMAND");

enum class To { Oracle, MySQL };

// The transfer tests' values, each a source table of its own.
enum class Corpus { MySQLTypes, MySQLView, MySQLTexts, MySQLOdd, OracleTypes, OracleDigits };

QString side(To to)
{
    return to == To::Oracle ? QStringLiteral("oracle") : QStringLiteral("mysql");
}

QList<QStringList> texts(const QList<QList<tw::odbc::Value>>& rows)
{
    QList<QStringList> out;
    for (const auto& row : rows) {
        QStringList r;
        for (const tw::odbc::Value& v : row)
            r << (tw::odbc::isNull(v) ? QStringLiteral("<null>") : tw::sql::valueText(v));
        out << r;
    }
    return out;
}

// The statements one copy sent to MySQL, without the listings (the window
// lists after each table, the command before the first).
QStringList copyStatements(const GeneralLog& log)
{
    QStringList out = log.queries(programSession(database));
    out.removeAll(QStringLiteral("SHOW TABLES"));
    return out;
}

} // namespace

Q_DECLARE_METATYPE(To)
Q_DECLARE_METATYPE(Corpus)

class TestCommand : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    tw::db::LoginDetails details;

    QList<QStringList> targetRows(To to, const QString& table)
    {
        return to == To::Oracle
            ? texts(oracleRows(details, QStringLiteral("SELECT * FROM \"%1\"").arg(table)))
            : texts(mysqlRows(details, QStringLiteral("SELECT * FROM `%1`").arg(table)));
    }
    QStringList targetTables(To to)
    {
        return to == To::Oracle
            ? bed.oracle(oracleUser, QStringLiteral("SELECT table_name FROM user_tables"))
            : bed.mysql(QStringLiteral("SHOW TABLES"), database);
    }
    void dropTarget(To to, const QString& table)
    {
        if (to == To::Oracle)
            bed.oracle(oracleUser, QStringLiteral("DROP TABLE \"%1\"").arg(table));
        else
            bed.mysql(QStringLiteral("DROP TABLE `%1`").arg(table), database);
    }
    void oracleStatements(const QStringList& statements)
    {
        for (const QString& sql : statements)
            bed.oracle(oracleUser, sql);
    }
    static void bothDirections()
    {
        QTest::addColumn<To>("to");
        QTest::newRow("to Oracle") << To::Oracle;
        QTest::newRow("to MySQL") << To::MySQL;
    }
    // The target's columns as its driver describes them, and on MySQL as
    // the server declares them.
    QStringList targetColumns(To to, const QString& table)
    {
        QStringList out;
        const auto described
            = to == To::Oracle ? oracleColumns(details, table) : mysqlColumns(details, table);
        for (const auto& [name, type] : described)
            out << QStringLiteral("%1 %2").arg(name).arg(type);
        if (to == To::MySQL)
            out << bed.mysql(QStringLiteral("SELECT COLUMN_TYPE FROM information_schema.COLUMNS "
                                            "WHERE TABLE_SCHEMA = '%1' AND TABLE_NAME = '%2' "
                                            "ORDER BY ORDINAL_POSITION;")
                                 .arg(database, table));
        return out;
    }
    // Makes the corpus's source table; answers its name.
    QString makeCorpus(Corpus corpus)
    {
        switch (corpus) {
        case Corpus::MySQLTypes:
            bed.mysql(mysqlAllTypesTable(), database);
            return QStringLiteral("all_types");
        case Corpus::MySQLView: // no HANDLER for a view: read by offset
            bed.mysql(mysqlAllTypesTable()
                    + QStringLiteral("CREATE VIEW typed_view AS SELECT * FROM all_types;"),
                database);
            return QStringLiteral("typed_view");
        case Corpus::MySQLTexts: {
            QString sql = QStringLiteral("CREATE TABLE people(id INT, name VARCHAR(100));");
            int id = 0;
            for (const auto& value : textValues())
                sql += QStringLiteral("INSERT INTO people VALUES(%1, %2);")
                           .arg(++id)
                           .arg(value.first);
            bed.mysql(sql, database);
            return QStringLiteral("people");
        }
        case Corpus::MySQLOdd: // what MariaDB's driver structures lose
            bed.mysql(
                QStringLiteral("SET SESSION sql_mode = ''; CREATE TABLE odd(id INT, d DATE, "
                               "dt DATETIME, v TEXT); INSERT INTO odd VALUES (1, '2024-02-29', "
                               "'0000-00-00 00:00:00', CONCAT('ab', CHAR(0), 'cd')), (2, "
                               "'0000-00-00', '2024-01-01 10:00:00', 'x'), (3, '2024-00-15', NULL, "
                               "CONCAT(_utf8mb4 X'EFBBBF', 'a'));"),
                database);
            return QStringLiteral("odd");
        case Corpus::OracleTypes:
            // Three VARCHAR(8000) columns pass MySQL's row limit only in a
            // single-byte character set.
            bed.mysql(QStringLiteral("ALTER DATABASE `%1` CHARACTER SET latin1;").arg(database));
            oracleExecute(details, oracleReadingsTable());
            return QStringLiteral("READINGS");
        case Corpus::OracleDigits: {
            QStringList sql { "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'",
                "CREATE TABLE KEPT(TAKEN DATE, WIDE NUMBER(38), MONEY NUMBER(12,2))",
                "INSERT INTO KEPT VALUES(NULL, NULL, NULL)" };
            for (const QStringList& row : oracleDigits())
                sql << QStringLiteral("INSERT INTO KEPT VALUES('%1', '%2', '%3')")
                           .arg(row[0], row[1], row[2]);
            oracleExecute(details, sql);
            return QStringLiteral("KEPT");
        }
        }
        return {};
    }

    // Waits until the Oracle user has `table`, as a copy's CREATE made it.
    bool waitForOracleTable(const QString& table)
    {
        for (int i = 0; i < 1000; ++i) {
            if (targetTables(To::Oracle).contains(table))
                return true;
            QTest::qWait(10);
        }
        return false;
    }

private slots:
    void initTestCase() { details = bed.login(database, oracleUser); }

    void init()
    {
        bed.freshMySQLDatabase(database);
        bed.freshOracleUser(oracleUser);
        saveLogins(details);
    }

    void listPrintsTheNamesAsTheWindowListsThem_data() { bothDirections(); }
    void listPrintsTheNamesAsTheWindowListsThem()
    {
        QFETCH(To, to);
        bed.mysql(QString::fromUtf8("CREATE TABLE beta(a INT); CREATE TABLE Alpha(a INT); "
                                    "CREATE TABLE alpha_2(a INT); CREATE TABLE `émile`(a INT);"),
            database);
        oracleStatements({ "CREATE TABLE BETA(A NUMBER)", "CREATE TABLE \"Alpha\"(A NUMBER)",
            "CREATE TABLE ALPHA_2(A NUMBER)",
            QString::fromUtf8("CREATE TABLE \"Émile\"(A NUMBER)") });
        TablesWindow w(details);
        const QStringList listed
            = to == To::MySQL ? w.form->List1->Items() : w.form->List2->Items();
        QCOMPARE(listed.size(), 4);

        const CommandResult r = runCommand({ QStringLiteral("list"), side(to) });
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        QCOMPARE(r.out, listed.join(u'\n') + u'\n');
    }

    // Into Oracle the log shows the reading side, into MySQL every statement.
    void aCopyByTheCommandSendsTheWindowsStatements_data() { bothDirections(); }
    void aCopyByTheCommandSendsTheWindowsStatements()
    {
        QFETCH(To, to);
        QString table;
        if (to == To::Oracle) {
            table = QStringLiteral("parts");
            bed.mysql(QString::fromUtf8(
                          "CREATE TABLE parts(id INT, name VARCHAR(40), price DECIMAL(8,2), "
                          "made DATE, note TEXT); INSERT INTO parts VALUES "
                          "(1, 'bolt', 0.25, '2024-02-29', 'it''s'), (2, '', NULL, NULL, 'x'), "
                          "(3, 'Ünïcode ☃', 1000, '1999-12-31', NULL);"),
                database);
        } else {
            table = QStringLiteral("PARTS");
            oracleStatements({ "CREATE TABLE PARTS(ID NUMBER, NAME VARCHAR2(40), PRICE "
                               "NUMBER(8,2), MADE DATE)",
                "INSERT INTO PARTS VALUES(1, 'bolt', 0.25, '29-FEB-24')",
                "INSERT INTO PARTS VALUES(2, 'O''Brien', NULL, NULL)",
                QString::fromUtf8("INSERT INTO PARTS VALUES(3, 'Ünïcode ☃', 1000, NULL)") });
        }
        TablesWindow w(details);
        TablesWindow::select(to == To::Oracle ? w.form->List1 : w.form->List2, { table });
        GeneralLog log(bed.generalLogPath());
        if (to == To::Oracle)
            w.sendToOracle();
        else
            w.sendToMySQL();
        QCOMPARE(w.dialogs.shown.size(), 0);
        const QStringList windowStatements = copyStatements(log);
        const QList<QStringList> windowRows = targetRows(to, table);
        QCOMPARE(windowRows.size(), 3);
        dropTarget(to, table);

        log.mark();
        const CommandResult r = runCommand({ QStringLiteral("copy"), QStringLiteral("--to"),
            side(to), table, QStringLiteral("--json") });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(copyStatements(log), windowStatements);
        QCOMPARE(targetRows(to, table), windowRows);
        const QJsonObject summary = r.table(table);
        QCOMPARE(summary.value(QStringLiteral("result")).toString(), QStringLiteral("copied"));
        QCOMPARE(summary.value(QStringLiteral("rowsRead")).toInt(), 3);
        QCOMPARE(summary.value(QStringLiteral("rowsWritten")).toInt(), 3);
        QCOMPARE(summary.value(QStringLiteral("rowsRefused")).toInt(), 0);
    }

    // The target already has `keep` (one row: 9, old). A replacement is
    // built beside it and swapped in only whole.
    void aTableTheTargetHasIsSkippedReplacedOrAskedAbout_data()
    {
        QTest::addColumn<To>("to");
        QTest::addColumn<QString>("overwrite"); // empty: the default
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("refusedRow"); // the new copy meets a row the target refuses
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<QStringList>("mysqlChanges"); // into MySQL only
        const QString create
            = QStringLiteral("CREATE TABLE `keep_tw_new`(`ID` FLOAT,`BODY` FLOAT)");
        const QString swap
            = QStringLiteral("RENAME TABLE `keep` TO `keep_tw_old`, `keep_tw_new` TO `keep`");
        QTest::newRow("default without a terminal: skipped")
            << To::Oracle << "" << QByteArray("y\n") << false << 1 << false << QStringList();
        QTest::newRow("no: skipped")
            << To::MySQL << "no" << QByteArray() << false << 1 << false << QStringList();
        QTest::newRow("yes: replaced in Oracle")
            << To::Oracle << "yes" << QByteArray() << false << 0 << true << QStringList();
        QTest::newRow("yes: replaced in MySQL, the list's spelling kept")
            << To::MySQL << "yes" << QByteArray() << false << 0 << true
            << QStringList { create, swap, "DROP TABLE `keep_tw_old`" };
        QTest::newRow("yes, a row refused: the old Oracle table kept")
            << To::Oracle << "yes" << QByteArray() << true << 1 << false << QStringList();
        QTest::newRow("yes, a row refused: the old MySQL table kept")
            << To::MySQL << "yes" << QByteArray() << true << 1 << false
            << QStringList { create, "DROP TABLE `keep_tw_new`" };
        QTest::newRow("ask, answered y")
            << To::Oracle << "ask" << QByteArray("y\n") << false << 0 << true << QStringList();
        QTest::newRow("ask, answered n")
            << To::MySQL << "ask" << QByteArray("n\n") << false << 1 << false << QStringList();
        QTest::newRow("ask, no answer before the input ends")
            << To::Oracle << "ask" << QByteArray() << false << 1 << false << QStringList();
    }
    void aTableTheTargetHasIsSkippedReplacedOrAskedAbout()
    {
        QFETCH(To, to);
        QFETCH(QString, overwrite);
        QFETCH(QByteArray, input);
        QFETCH(bool, refusedRow);
        QFETCH(int, exitCode);
        QFETCH(bool, replaced);
        QFETCH(QStringList, mysqlChanges);
        QString source;
        QList<QStringList> fresh;
        if (to == To::Oracle) {
            source = QStringLiteral("keep");
            bed.mysql(QStringLiteral("CREATE TABLE keep(id INT, body VARCHAR(3000)); INSERT INTO "
                                     "keep VALUES(1, 'new one'), (2, 'new two');")
                    + (refusedRow ? QStringLiteral("INSERT INTO keep VALUES(3, REPEAT('x', 2001));")
                                  : QString()),
                database);
            oracleStatements({ "CREATE TABLE \"keep\"(ID NUMBER, BODY VARCHAR2(10))",
                "INSERT INTO \"keep\" VALUES(9, 'old')" });
            fresh = { { "1", "new one" }, { "2", "new two" } };
        } else {
            source = QStringLiteral("KEEP");
            oracleStatements({ "CREATE TABLE KEEP(ID NUMBER, BODY NUMBER)",
                "INSERT INTO KEEP VALUES(1, 5)", "INSERT INTO KEEP VALUES(2, 6)" });
            if (refusedRow)
                oracleStatements({ "INSERT INTO KEEP VALUES(3, 1E100)" });
            bed.mysql(QStringLiteral("CREATE TABLE keep(id INT, body VARCHAR(10)); INSERT INTO "
                                     "keep VALUES(9, 'old');"),
                database);
            fresh = { { "1", "5" }, { "2", "6" } };
        }
        QStringList arguments { QStringLiteral("copy"), QStringLiteral("--to"), side(to), source };
        if (!overwrite.isEmpty())
            arguments << QStringLiteral("--overwrite") << overwrite;
        GeneralLog log(bed.generalLogPath());
        const CommandResult r = runCommand(arguments, input);

        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QCOMPARE(targetRows(to, QStringLiteral("keep")),
            (replaced ? fresh : QList<QStringList> { { "9", "old" } }));
        QCOMPARE(targetTables(to), QStringList { "keep" });
        QCOMPARE(r.err.contains(QStringLiteral("Would you like to overwrite %1? ").arg(source)),
            overwrite == QLatin1String("ask"));
        if (to == To::MySQL) {
            static const QRegularExpression change(QStringLiteral("^(CREATE|RENAME|DROP) "));
            QCOMPARE(copyStatements(log).filter(change), mysqlChanges);
        }
    }

    // Seven rows of nine are too long for Oracle's VARCHAR(2000).
    void refusedRowsGoToTheRejectsFileOrTheFirstFiveToStderr_data()
    {
        QTest::addColumn<bool>("rejectsFile");
        QTest::newRow("--rejects FILE") << true;
        QTest::newRow("without --rejects") << false;
    }
    void refusedRowsGoToTheRejectsFileOrTheFirstFiveToStderr()
    {
        QFETCH(bool, rejectsFile);
        bed.mysql(
            QStringLiteral("CREATE TABLE notes(id INT, body VARCHAR(3000)); INSERT INTO notes "
                           "SELECT seq, IF(seq IN (1, 9), 'fits', REPEAT('x', 2001)) FROM "
                           "seq_1_to_9;"),
            database);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rejects.jsonl"));
        QStringList arguments { "copy", "--to", "oracle", "notes", "--json" };
        if (rejectsFile)
            arguments << QStringLiteral("--rejects") << path;
        const CommandResult r = runCommand(arguments);

        QCOMPARE(r.exitCode, 1);
        const QJsonObject summary = r.table(QStringLiteral("notes"));
        QCOMPARE(
            summary.value(QStringLiteral("result")).toString(), QStringLiteral("rows refused"));
        QCOMPARE(summary.value(QStringLiteral("rowsRead")).toInt(), 9);
        QCOMPARE(summary.value(QStringLiteral("rowsWritten")).toInt(), 2);
        QCOMPARE(summary.value(QStringLiteral("rowsRefused")).toInt(), 7);
        QCOMPARE(targetRows(To::Oracle, QStringLiteral("notes")),
            (QList<QStringList> { { "1", "fits" }, { "9", "fits" } }));
        const int shown
            = int(r.err.count(QRegularExpression(QStringLiteral("notes: row \\d+ refused: "))));
        if (!rejectsFile) {
            QCOMPARE(shown, 5);
            QVERIFY2(r.err.contains(QStringLiteral("notes: 7 rows refused (the first 5 shown)")),
                qPrintable(r.err));
            return;
        }
        QCOMPARE(shown, 0);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 7);
        for (int i = 0; i < lines.size(); ++i) {
            const QJsonObject line = QJsonDocument::fromJson(lines[i]).object();
            QCOMPARE(line.value(QStringLiteral("table")).toString(), QStringLiteral("notes"));
            QCOMPARE(line.value(QStringLiteral("row")).toInt(), i + 2);
            QVERIFY2(line.value(QStringLiteral("message"))
                         .toString()
                         .contains(QLatin1String("ORA-12899")),
                lines[i].left(300).constData());
            QCOMPARE(line.value(QStringLiteral("values")).toArray(),
                (QJsonArray { QString::number(i + 2), QString(2001, u'x') }));
        }
    }

    // The target table vanishes during the copy: every later row would
    // fail the same way, so the table ends with one message.
    void aFailureEveryLaterRowWouldMeetEndsTheTable()
    {
        bed.mysql(QStringLiteral("CREATE TABLE gone(id INT); INSERT INTO gone SELECT seq FROM "
                                 "seq_1_to_30000;"),
            database);
        CommandProcess copy({ "copy", "--to", "oracle", "gone", "--json" });
        copy.start();
        QVERIFY(waitForOracleTable(QStringLiteral("gone")));
        dropTarget(To::Oracle, QStringLiteral("gone"));
        const CommandResult r = copy.finish();

        QCOMPARE(r.exitCode, 1);
        const QJsonObject summary = r.table(QStringLiteral("gone"));
        QCOMPARE(summary.value(QStringLiteral("result")).toString(), QStringLiteral("failed"));
        QCOMPARE(summary.value(QStringLiteral("rowsRefused")).toInt(), 1);
        const int read = summary.value(QStringLiteral("rowsRead")).toInt();
        QVERIFY2(read < 30000, qPrintable(r.out));
        QCOMPARE(summary.value(QStringLiteral("rowsWritten")).toInt(), read - 1);
        QCOMPARE(r.err.count(QStringLiteral("ORA-00942")), 1);
    }

    // The same tables, column types and values as the plain copy's.
    void aFastCopyArrivesAsThePlainCopy_data()
    {
        QTest::addColumn<To>("to");
        QTest::addColumn<Corpus>("corpus");
        QTest::newRow("every MySQL type to Oracle") << To::Oracle << Corpus::MySQLTypes;
        QTest::newRow("a view of them to Oracle") << To::Oracle << Corpus::MySQLView;
        QTest::newRow("text values to Oracle") << To::Oracle << Corpus::MySQLTexts;
        QTest::newRow("zero dates and U+0000 to Oracle") << To::Oracle << Corpus::MySQLOdd;
        QTest::newRow("the Oracle types to MySQL") << To::MySQL << Corpus::OracleTypes;
        QTest::newRow("Oracle's digits and dates to MySQL") << To::MySQL << Corpus::OracleDigits;
    }
    void aFastCopyArrivesAsThePlainCopy()
    {
        QFETCH(To, to);
        QFETCH(Corpus, corpus);
        const QString table = makeCorpus(corpus);
        GeneralLog log(bed.generalLogPath());
        static const QRegularExpression create(QStringLiteral("^CREATE TABLE "));
        QStringList creates;
        QList<QList<QStringList>> rows;
        QList<QStringList> columns;
        for (bool fast : { false, true }) {
            log.mark();
            QStringList arguments { "copy", "--to", side(to), table, "--json" };
            if (fast)
                arguments << QStringLiteral("--fast");
            const CommandResult r = runCommand(arguments);
            // Zero dates have no Oracle DATE: both copies refuse those rows.
            const int refused = corpus == Corpus::MySQLOdd ? 2 : 0;
            QVERIFY2(r.exitCode == (refused ? 1 : 0), qPrintable(r.err));
            QCOMPARE(r.table(table).value(QStringLiteral("rowsRefused")).toInt(), refused);
            creates << copyStatements(log).filter(create);
            rows << targetRows(to, table);
            columns << targetColumns(to, table);
            dropTarget(to, table);
        }
        QVERIFY(rows[0].size() >= 1);
        QCOMPARE(rows[1], rows[0]);
        QCOMPARE(columns[1], columns[0]);
        QCOMPARE(creates.size(), to == To::MySQL ? 2 : 0);
        if (to == To::MySQL)
            QCOMPARE(creates[1], creates[0]);
    }

    // Whole numbers go into Oracle as their digits (its driver documents no
    // 64-bit integer C type, and the test bed's refuses them): the edges of
    // BIGINT and BIGINT UNSIGNED arrive whole, with either column types.
    void wholeNumbersArriveWholeAtTheirEdges_data()
    {
        QTest::addColumn<QString>("types");
        QTest::newRow("plain") << QStringLiteral("plain");
        QTest::newRow("exact") << QStringLiteral("exact");
    }
    void wholeNumbersArriveWholeAtTheirEdges()
    {
        QFETCH(QString, types);
        bed.mysql(QStringLiteral("DROP TABLE IF EXISTS edges; CREATE TABLE edges(s BIGINT, u "
                                 "BIGINT UNSIGNED); INSERT INTO edges VALUES "
                                 "(-9223372036854775808, 0), (9223372036854775807, "
                                 "18446744073709551615);"),
            database);
        const CommandResult r = runCommand(
            { "copy", "--to", "oracle", "edges", "--fast", "--types", types, "--json" });
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QList<QStringList> rows = targetRows(To::Oracle, QStringLiteral("edges"));
        std::sort(rows.begin(), rows.end());
        QCOMPARE(rows,
            (QList<QStringList> { { "-9223372036854775808", "0" },
                { "9223372036854775807", "18446744073709551615" } }));
        dropTarget(To::Oracle, QStringLiteral("edges"));
    }

    // Rows in batches of 1,000, one of them refused by the target (too long
    // for Oracle's VARCHAR(2000), past MySQL's FLOAT). MySQL's 25,000 rows
    // are read in more than one page.
    void aRefusedRowInABatchRefusesOnlyItself_data() { bothDirections(); }
    void aRefusedRowInABatchRefusesOnlyItself()
    {
        QFETCH(To, to);
        const int rows = to == To::Oracle ? 25000 : 3000;
        const int bad = rows / 2;
        QString table;
        if (to == To::Oracle) {
            table = QStringLiteral("many");
            bed.mysql(QStringLiteral("CREATE TABLE many(id INT, body VARCHAR(3000)); INSERT INTO "
                                     "many SELECT seq, IF(seq = %1, REPEAT('x', 2001), "
                                     "CONCAT('row ', seq)) FROM seq_1_to_%2;")
                          .arg(bad)
                          .arg(rows),
                database);
        } else {
            table = QStringLiteral("MANY");
            QStringList sql { "CREATE TABLE MANY(ID NUMBER(10), V NUMBER)" };
            for (int i = 1; i <= rows; ++i)
                sql << QStringLiteral("INSERT INTO MANY VALUES(%1, %2)")
                           .arg(i)
                           .arg(i == bad ? QStringLiteral("1E100") : QString::number(i));
            oracleExecute(details, sql);
        }
        QTemporaryDir dir;
        QList<QJsonObject> rejects;
        for (bool fast : { false, true }) {
            const QString path = dir.filePath(fast ? "fast.jsonl" : "plain.jsonl");
            QStringList arguments { "copy", "--to", side(to), table, "--json", "--rejects", path };
            if (fast)
                arguments << QStringLiteral("--fast") << QStringLiteral("--batch")
                          << QStringLiteral("1000");
            const CommandResult r = runCommand(arguments);
            QCOMPARE(r.exitCode, 1);
            const QJsonObject summary = r.table(table);
            QCOMPARE(
                summary.value(QStringLiteral("result")).toString(), QStringLiteral("rows refused"));
            QCOMPARE(summary.value(QStringLiteral("rowsRead")).toInt(), rows);
            QCOMPARE(summary.value(QStringLiteral("rowsWritten")).toInt(), rows - 1);
            QCOMPARE(summary.value(QStringLiteral("rowsRefused")).toInt(), 1);
            const QList<QStringList> arrived = targetRows(to, table);
            QCOMPARE(arrived.size(), rows - 1);
            for (int i = 0; i < arrived.size(); ++i) {
                const int id = i + 1 < bad ? i + 1 : i + 2;
                if (arrived[i].value(0) != QString::number(id))
                    QFAIL(qPrintable(
                        QStringLiteral("row %1 holds %2").arg(id).arg(arrived[i].value(0))));
            }
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
            QCOMPARE(lines.size(), 1);
            rejects << QJsonDocument::fromJson(lines[0]).object();
            dropTarget(to, table);
        }
        // The same row refused, with the same values, for the same reason.
        const QString code = to == To::Oracle ? "ORA-12899" : "Out of range value";
        for (const QJsonObject& line : rejects) {
            QCOMPARE(line.value(QStringLiteral("row")).toInt(), bad);
            QVERIFY2(line.value(QStringLiteral("message")).toString().contains(code),
                qPrintable(line.value(QStringLiteral("message")).toString()));
        }
        QCOMPARE(
            rejects[1].value(QStringLiteral("values")), rejects[0].value(QStringLiteral("values")));
    }

    void exitCodesAndMessages_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("--help leads with examples") << QStringList { "--help" } << QStringList()
                                                    << 0 << "Examples:\n  tablewright list oracle\n"
                                                    << "";
        QTest::newRow("copy --help lists the exit codes")
            << QStringList { "copy", "--help" } << QStringList() << 0 << "  130  stopped"
            << "";
        QTest::newRow("--version names the Qt and unixODBC it runs with")
            << QStringList { "--version" } << QStringList() << 0
            << QStringLiteral("\nQt %1\nunixODBC 2.").arg(QLatin1String(qVersion())) << "";
        QTest::newRow("--version names the build's commit")
            << QStringList { "--version" } << QStringList() << 0 << "\ngit commit "
            << "";
        QTest::newRow("an unknown option names the nearest")
            << QStringList { "copy", "--to", "oracle", "--overwirte", "yes", "t" } << QStringList()
            << 2 << ""
            << "unknown option '--overwirte'; did you mean '--overwrite'?";
        QTest::newRow("--types takes plain or exact")
            << QStringList { "copy", "--to", "oracle", "--types", "exakt", "t" } << QStringList()
            << 2 << ""
            << "--types takes plain or exact, not 'exakt'; did you mean 'exact'?";
        QTest::newRow("an unknown command names the nearest")
            << QStringList { "lsit", "mysql" } << QStringList() << 2 << ""
            << "unknown command 'lsit'; did you mean 'list'?";
        QTest::newRow("no table named")
            << QStringList { "copy", "--to", "mysql" } << QStringList() << 2 << ""
            << "name the tables to copy, or give --all";
        QTest::newRow("a table the source lacks")
            << QStringList { "copy", "--to", "oracle", "nosuch" } << QStringList() << 2 << ""
            << "the source has no table nosuch";
        QTest::newRow("the saved logins")
            << QStringList { "list", "mysql" } << QStringList() << 0 << "m_one\n"
            << "";
        QTest::newRow("an option replaces a saved detail")
            << QStringList { "list", "mysql", "--mysql-database", "nosuchdb" } << QStringList() << 2
            << ""
            << "cannot list the MySQL tables: ";
        QTest::newRow("the environment's password comes first")
            << QStringList { "list", "mysql" } << QStringList { "TABLEWRIGHT_MYSQL_PASSWORD=wrong" }
            << 2 << ""
            << "Access denied";
        QTest::newRow("a wrong Oracle password")
            << QStringList { "copy", "--to", "mysql", "O_ONE" }
            << QStringList { "TABLEWRIGHT_ORACLE_PASSWORD=wrong" } << 2 << ""
            << "cannot connect to Oracle: ";
        QTest::newRow("the right Oracle password from the environment")
            << QStringList { "list", "oracle", "--oracle-user", "COMMAND" }
            << QStringList { "TABLEWRIGHT_ORACLE_PASSWORD=pw_COMMAND" } << 0 << "O_ONE\n"
            << "";
    }
    void exitCodesAndMessages()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(int, exitCode);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        bed.mysql(QStringLiteral("CREATE TABLE m_one(a INT);"), database);
        bed.oracle(oracleUser, QStringLiteral("CREATE TABLE O_ONE(A NUMBER)"));
        // A saved Oracle password that would fail, so that only the
        // environment's can succeed.
        tw::db::LoginDetails saved = details;
        if (!environment.filter(QStringLiteral("ORACLE")).isEmpty())
            saved.oraclePassword = QStringLiteral("saved but wrong");
        saveLogins(saved);
        QHash<QString, QString> env;
        for (const QString& e : environment)
            env.insert(e.section(u'=', 0, 0), e.section(u'=', 1));

        const CommandResult r = runCommand(arguments, QByteArray(), env);
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QVERIFY2(r.out.contains(stdoutHas), qPrintable(r.out));
        QVERIFY2(r.err.contains(stderrHas), qPrintable(r.err));
        if (exitCode == 0)
            QCOMPARE(r.err, QString());
    }

    // 200,000 rows replacing a one-row Oracle table, or going into a new one
    // by --fast; the signal comes while the rows flow. A replacement keeps the
    // old table; a new table keeps every row that was sent, committed.
    void aSignalStopsTheCopyKeepingWhatWasSent_data()
    {
        QTest::addColumn<int>("signalSent");
        QTest::addColumn<bool>("fast");
        QTest::newRow("Ctrl+C, replacing") << int(SIGINT) << false;
        QTest::newRow("SIGTERM, replacing") << int(SIGTERM) << false;
        QTest::newRow("Ctrl+C, --fast into a new table") << int(SIGINT) << true;
    }
    void aSignalStopsTheCopyKeepingWhatWasSent()
    {
        QFETCH(int, signalSent);
        QFETCH(bool, fast);
        bed.mysql(QStringLiteral("CREATE TABLE huge(id INT, name VARCHAR(20)); INSERT INTO huge "
                                 "SELECT seq, CONCAT('row ', seq) FROM seq_1_to_200000;"),
            database);
        QStringList arguments { "copy", "--to", "oracle", "huge", "--json" };
        if (fast) {
            // Small batches, so that the copy is still running when the signal comes.
            arguments << QStringLiteral("--fast") << QStringLiteral("--batch")
                      << QStringLiteral("20");
        } else {
            oracleStatements({ "CREATE TABLE \"huge\"(ID NUMBER, NAME VARCHAR2(20))",
                "INSERT INTO \"huge\" VALUES(0, 'old')" });
            arguments << QStringLiteral("--overwrite") << QStringLiteral("yes");
        }
        CommandProcess copy(arguments);
        copy.start();
        QVERIFY(waitForOracleTable(fast ? QStringLiteral("huge") : QStringLiteral("huge_tw_new")));
        QTest::qWait(300);
        QElapsedTimer clock;
        clock.start();
        ::kill(pid_t(copy.pid()), signalSent);
        const CommandResult r = copy.finish();
        const qint64 ms = clock.elapsed();
        qInfo("ended %lld ms after the signal", ms);

        QCOMPARE(r.exitCode, 130);
        QVERIFY2(ms < 5000, qPrintable(QString::number(ms)));
        const QJsonObject summary = r.table(QStringLiteral("huge"));
        QCOMPARE(summary.value(QStringLiteral("result")).toString(), QStringLiteral("stopped"));
        const int read = summary.value(QStringLiteral("rowsRead")).toInt();
        QVERIFY2(read > 0 && read < 200000, qPrintable(r.out));
        QCOMPARE(summary.value(QStringLiteral("rowsWritten")).toInt(), read);
        QCOMPARE(targetTables(To::Oracle), QStringList { "huge" });
        const QList<QStringList> kept = targetRows(To::Oracle, QStringLiteral("huge"));
        if (!fast) {
            QCOMPARE(kept, (QList<QStringList> { { "0", "old" } }));
            return;
        }
        QCOMPARE(kept.size(), read);
        QCOMPARE(kept.last(),
            (QStringList { QString::number(read), QStringLiteral("row %1").arg(read) }));
    }
};

QTEST_MAIN(TestCommand)
#include "tst_command.moc"
