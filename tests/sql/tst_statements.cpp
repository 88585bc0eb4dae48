#include "sql/dialect.h"
#include "sql/plain_statements.h"

#include <QTest>

using namespace tw::sql;
using tw::odbc::SqlDate;
using tw::odbc::SqlTimestamp;
using tw::odbc::Value;

Q_DECLARE_METATYPE(tw::sql::Server)

namespace {

const Dialect& intoOracle = dialect(Server::Oracle);
const Dialect& intoMySQL = dialect(Server::MySQL);

const QString varchar2000 = QStringLiteral(" VARCHAR(2000),");
const QString varchar8000 = QStringLiteral(" VARCHAR(8000),");
const QString oracleInt = QStringLiteral(" INT,");
const QString oracleDate = QStringLiteral(" DATE,");
const QString oracleBlob = QStringLiteral(" BLOB,");
const QString floatType = QStringLiteral(" FLOAT,");
const QString datetime = QStringLiteral(" DATETIME,");

} // namespace

class TestStatements : public QObject {
    Q_OBJECT
private slots:
    void namesAreQuotedWithTheirQuoteCharacterDoubled_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("mysql");
        QTest::addColumn<QString>("oracle");
        QTest::newRow("plain name") << "orders"
                                    << "`orders`"
                                    << "\"orders\"";
        QTest::newRow("letter case and blanks kept") << "Order Lines"
                                                     << "`Order Lines`"
                                                     << "\"Order Lines\"";
        QTest::newRow("backquote inside") << "my`table"
                                          << "`my``table`"
                                          << "\"my`table\"";
        QTest::newRow("double quotes inside") << "say\"hi\""
                                              << "`say\"hi\"`"
                                              << "\"say\"\"hi\"\"\"";
        QTest::newRow("only a backquote") << "`"
                                          << "````"
                                          << "\"`\"";
        QTest::newRow("empty name") << ""
                                    << "``"
                                    << "\"\"";
    }
    void namesAreQuotedWithTheirQuoteCharacterDoubled()
    {
        QFETCH(QString, name);
        QFETCH(QString, mysql);
        QFETCH(QString, oracle);
        QCOMPARE(intoMySQL.quote(name), mysql);
        QCOMPARE(intoOracle.quote(name), oracle);
    }

    void dropNamesTheTargetAndSelectTheSource()
    {
        QCOMPARE(intoOracle.dropTable("orders"), QStringLiteral("DROP TABLE \"orders\""));
        QCOMPARE(intoMySQL.dropTable("emp"), QStringLiteral("DROP TABLE `emp`"));
        QCOMPARE(intoMySQL.selectAll("orders"), QStringLiteral("SELECT * FROM `orders`"));
        QCOMPARE(intoOracle.selectAll("EMP"), QStringLiteral("SELECT * FROM \"EMP\""));
        QCOMPARE(intoMySQL.dropTable("a`b"), QStringLiteral("DROP TABLE `a``b`"));
        QCOMPARE(intoOracle.selectAll("a\"b"), QStringLiteral("SELECT * FROM \"a\"\"b\""));
    }

    // One row per ADO type name and the empty name of an unknown code, with
    // the column type each direction gives it.
    void everyAdoTypeGetsItsColumnTypeOnBothTargets_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("toOracle");
        QTest::addColumn<QString>("toMySQL");
        const struct {
            int code;
            const char* name;
            const QString& oracle;
            const QString& mysql;
        } rows[] = {
            { 0, "adEmpty", varchar2000, varchar8000 },
            { 2, "adSmallInt", oracleInt, floatType },
            { 3, "adInteger", oracleInt, floatType },
            { 4, "adSingle", varchar2000, varchar8000 },
            { 5, "adDouble", floatType, floatType },
            { 6, "adCurrency", varchar2000, varchar8000 },
            { 7, "adDate", oracleDate, datetime },
            { 8, "adBSTR", varchar2000, varchar8000 },
            { 9, "adIDispatch", varchar2000, varchar8000 },
            { 10, "adError", varchar2000, varchar8000 },
            { 11, "adBoolean", varchar2000, varchar8000 },
            { 12, "adVariant", varchar2000, varchar8000 },
            { 13, "adIUnknown", varchar2000, varchar8000 },
            { 14, "adDecimal", varchar2000, floatType },
            { 16, "adTinyInt", oracleInt, floatType },
            { 17, "adUnsignedTinyInt", oracleInt, floatType },
            { 18, "adUnsignedSmallInt", oracleInt, floatType },
            { 19, "adUnsignedInt", oracleInt, floatType },
            { 20, "adBigInt", oracleInt, floatType },
            { 21, "adUnsignedBigInt", oracleInt, floatType },
            { 64, "adFileTime", varchar2000, varchar8000 },
            { 72, "adGUID", varchar2000, varchar8000 },
            { 128, "adBinary", varchar2000, varchar8000 },
            { 129, "adChar", varchar2000, varchar8000 },
            { 130, "adWChar", varchar2000, varchar8000 },
            { 131, "adNumeric", varchar2000, floatType },
            { 132, "adUserDefined", varchar2000, varchar8000 },
            { 133, "adDBDate", oracleDate, datetime },
            { 134, "adDBTime", varchar2000, varchar8000 },
            { 135, "adDBTimeStamp", varchar2000, datetime },
            { 136, "adChapter", varchar2000, varchar8000 },
            { 138, "adPropVariant", varchar2000, varchar8000 },
            { 139, "adVarNumeric", varchar2000, floatType },
            { 200, "adVarChar", varchar2000, varchar8000 },
            { 201, "adLongVarChar", varchar2000, varchar8000 },
            { 202, "adVarWChar", varchar2000, varchar8000 },
            { 203, "adLongVarWChar", varchar2000, varchar8000 },
            { 204, "adVarBinary", varchar2000, varchar8000 },
            { 205, "adLongVarBinary", oracleBlob, varchar8000 },
            { 1, "empty name of an unknown code", varchar2000, varchar8000 },
        };
        QCOMPARE(std::size(rows), std::size_t(40));
        for (const auto& row : rows)
            QTest::newRow(row.name) << row.code << row.oracle << row.mysql;
    }
    void everyAdoTypeGetsItsColumnTypeOnBothTargets()
    {
        QFETCH(int, code);
        QFETCH(QString, toOracle);
        QFETCH(QString, toMySQL);
        QCOMPARE(intoOracle.plainColumnEntry("c", qint16(code)), "\"c\"" + toOracle);
        QCOMPARE(intoMySQL.plainColumnEntry("c", qint16(code)), "`c`" + toMySQL);
    }

    // Names holding several sought words show which test comes first.
    void theFirstWordInTestOrderDecides_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("toOracle");
        QTest::addColumn<QString>("toMySQL");
        QTest::newRow("long character text is char before long")
            << "adlongvarchar" << varchar2000 << varchar8000;
        QTest::newRow("long binary") << "adlongvarbinary" << oracleBlob << varchar8000;
        QTest::newRow("unsigned bigint") << "adunsignedbigint" << oracleInt << floatType;
        QTest::newRow("timestamp holds no date") << "addbtimestamp" << varchar2000 << datetime;
        QTest::newRow("char before int and date") << "charintdate" << varchar2000 << varchar8000;
        QTest::newRow("int before date") << "dateint" << oracleInt << floatType;
        QTest::newRow("date before double for Oracle") << "doubledate" << oracleDate << floatType;
        QTest::newRow("currency before double") << "currencydouble" << varchar2000 << floatType;
        QTest::newRow("bool before double") << "booldouble" << varchar2000 << floatType;
        QTest::newRow("double before long binary")
            << "adlongvarbinarydouble" << floatType << floatType;
        QTest::newRow("long before date for MySQL") << "datelong" << oracleDate << varchar8000;
        QTest::newRow("int before long for MySQL") << "adlongint" << oracleInt << floatType;
        QTest::newRow("dec before timestamp") << "timestampdec" << varchar2000 << floatType;
        QTest::newRow("words are sought in lower case only")
            << "adinteger" << oracleInt << floatType;
        QTest::newRow("capital letters do not match") << "ADINTEGER" << varchar2000 << varchar8000;
        QTest::newRow("empty name") << "" << varchar2000 << varchar8000;
    }
    void theFirstWordInTestOrderDecides()
    {
        QFETCH(QString, name);
        QFETCH(QString, toOracle);
        QFETCH(QString, toMySQL);
        QCOMPARE(intoOracle.plainColumnType(name), toOracle);
        QCOMPARE(intoMySQL.plainColumnType(name), toMySQL);
    }

    void createTextIsExactForEachTarget()
    {
        const QList<QPair<QString, qint16>> oracleColumns
            = { { "id", 3 }, { "name", 200 }, { "born", 133 }, { "price", 131 }, { "pic", 205 } };
        QCOMPARE(plainCreateStatement(intoOracle, "orders", oracleColumns),
            QStringLiteral("CREATE TABLE \"orders\"(\"id\" INT,\"name\" VARCHAR(2000),"
                           "\"born\" DATE,\"price\" VARCHAR(2000),\"pic\" BLOB)"));
        const QList<QPair<QString, qint16>> mysqlColumns
            = { { "EMPNO", 131 }, { "ENAME", 200 }, { "HIREDATE", 135 }, { "PHOTO", 205 } };
        QCOMPARE(plainCreateStatement(intoMySQL, "EMP", mysqlColumns),
            QStringLiteral("CREATE TABLE `EMP`(`EMPNO` FLOAT,`ENAME` VARCHAR(8000),"
                           "`HIREDATE` DATETIME,`PHOTO` VARCHAR(8000));"));
    }

    void createQuotesTableAndColumnNames()
    {
        QCOMPARE(plainCreateStatement(intoOracle, "a\"b", { { "c\"d", 3 } }),
            QStringLiteral("CREATE TABLE \"a\"\"b\"(\"c\"\"d\" INT)"));
        QCOMPARE(plainCreateStatement(intoMySQL, "a`b", { { "c`d", 3 } }),
            QStringLiteral("CREATE TABLE `a``b`(`c``d` FLOAT);"));
    }

    // The error report shows the statement as far as it was built.
    void createGrowsOneColumnAtATime()
    {
        QString statement = intoMySQL.createOpening("t");
        QCOMPARE(statement, QStringLiteral("CREATE TABLE `t`("));
        statement += intoMySQL.plainColumnEntry("a", 3);
        QCOMPARE(statement, QStringLiteral("CREATE TABLE `t`(`a` FLOAT,"));
        statement += intoMySQL.plainColumnEntry("b", 7);
        QCOMPARE(statement, QStringLiteral("CREATE TABLE `t`(`a` FLOAT,`b` DATETIME,"));
        finishCreate(intoMySQL, statement);
        QCOMPARE(statement, QStringLiteral("CREATE TABLE `t`(`a` FLOAT,`b` DATETIME);"));
    }

    // Cannot come from a real table; the server refuses the text and the
    // run reports it.
    void tablesWithoutColumnsDoNotCrash()
    {
        QCOMPARE(plainCreateStatement(intoOracle, "t", {}), QStringLiteral("CREATE TABLE \"t\")"));
        QCOMPARE(plainCreateStatement(intoMySQL, "t", {}), QStringLiteral("CREATE TABLE `t`);"));
        QCOMPARE(
            plainInsertStatement(intoMySQL, "t", {}), QStringLiteral("INSERT INTO `t` VALUE)"));
        QString tooShort = QStringLiteral("x");
        finishInsert(tooShort);
        QCOMPARE(tooShort, QStringLiteral(")"));
    }

    void insertTextsFollowTheQuotingRules_data()
    {
        QTest::addColumn<Server>("target");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QList<Value>>("row");
        QTest::addColumn<QString>("statement");
        const QList<Value> example
            = { Value(qint64(7)), Value(), Value(QStringLiteral("O'Brien")) };
        QTest::newRow("seven, Null and O'Brien into Oracle")
            << Server::Oracle << "t" << example
            << "INSERT INTO \"t\" VALUES('7', NULL, 'O''Brien')";
        QTest::newRow("seven, Null and O'Brien into MySQL")
            << Server::MySQL << "t" << example << "INSERT INTO `t` VALUES('7', NULL, 'O''Brien')";
        QTest::newRow("empty text is NULL like Null")
            << Server::Oracle << "t" << QList<Value> { Value(QString()), Value(QString("x")) }
            << "INSERT INTO \"t\" VALUES(NULL, 'x')";
        QTest::newRow("row of Nulls has no quote")
            << Server::MySQL << "t" << QList<Value> { Value(), Value(), Value() }
            << "INSERT INTO `t` VALUES(NULL, NULL, NULL)";
        QTest::newRow("single Null")
            << Server::MySQL << "t" << QList<Value> { Value() } << "INSERT INTO `t` VALUES(NULL)";
        QTest::newRow("Null last")
            << Server::Oracle << "t" << QList<Value> { Value(QString("a")), Value() }
            << "INSERT INTO \"t\" VALUES('a', NULL)";
        QTest::newRow("zero and false are values")
            << Server::MySQL << "t" << QList<Value> { Value(qint64(0)), Value(false) }
            << "INSERT INTO `t` VALUES('0', '0')";
        QTest::newRow("empty binary is NULL")
            << Server::MySQL << "t" << QList<Value> { Value(QByteArray()) }
            << "INSERT INTO `t` VALUES(NULL)";
        QTest::newRow("only quotes")
            << Server::MySQL << "t" << QList<Value> { Value(QString("''")) }
            << "INSERT INTO `t` VALUES('''''')";
        QTest::newRow("backslashes unchanged")
            << Server::MySQL << "t"
            << QList<Value> { Value(QString("C:\\temp\\new")), Value(QString("ends in \\")) }
            << "INSERT INTO `t` VALUES('C:\\temp\\new', 'ends in \\')";
        const QString world = QString::fromUtf8("Grüße, 日本語, Ελληνικά 😀");
        QTest::newRow("non-Latin text and emoji unchanged")
            << Server::Oracle << "t" << QList<Value> { Value(world) }
            << "INSERT INTO \"t\" VALUES('" + world + "')";
        QTest::newRow("typed values as text")
            << Server::Oracle << "t"
            << QList<Value> { Value(0.1), Value(true), Value::fromValue(SqlDate { 2024, 2, 29 }),
                   Value::fromValue(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 500000000 }),
                   Value(QByteArray("\x00\xff", 2)) }
            << "INSERT INTO \"t\" VALUES('0.1', '1', '2024-02-29', '2024-02-29 13:14:15.5', "
               "'00FF')";
        QTest::newRow("quoted table name")
            << Server::MySQL << "a`b" << QList<Value> { Value(qint64(1)) }
            << "INSERT INTO `a``b` VALUES('1')";
    }
    void insertTextsFollowTheQuotingRules()
    {
        QFETCH(Server, target);
        QFETCH(QString, table);
        QFETCH(QList<Value>, row);
        QFETCH(QString, statement);
        QCOMPARE(plainInsertStatement(dialect(target), table, row), statement);
    }

    void insertGrowsOneValueAtATime()
    {
        QString statement = intoOracle.insertOpening("t");
        QCOMPARE(statement, QStringLiteral("INSERT INTO \"t\" VALUES('"));
        appendInsertValue(statement, Value(qint64(7)));
        QCOMPARE(statement, QStringLiteral("INSERT INTO \"t\" VALUES('7', '"));
        appendInsertValue(statement, Value());
        QCOMPARE(statement, QStringLiteral("INSERT INTO \"t\" VALUES('7', NULL, '"));
        finishInsert(statement);
        QCOMPARE(statement, QStringLiteral("INSERT INTO \"t\" VALUES('7', NULL)"));
    }

    void longValuesKeepEveryCharacter()
    {
        QString value;
        for (int i = 0; i < 20000; ++i)
            value += QStringLiteral("ab'c\\");
        const QString statement = plainInsertStatement(intoMySQL, "t", { Value(value) });
        QCOMPARE(statement.size(), qsizetype(26 + 6 * 20000));
        QCOMPARE(statement, "INSERT INTO `t` VALUES('" + QString(value).replace("'", "''") + "')");
    }
};

QTEST_GUILESS_MAIN(TestStatements)
#include "tst_statements.moc"
