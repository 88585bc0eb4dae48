#include "transfer/statements.h"

#include "db/ado_types.h"
#include "db/identifiers.h"
#include "db/list_helpers.h"
#include "transfer/value_text.h"

#include <QStringView>

namespace tw::transfer {

namespace {

QString targetQuoted(Direction direction, const QString& name)
{
    return direction == Direction::ToOracle ? oracleName(name) : mysqlName(name);
}

struct WordTest {
    QLatin1StringView word;
    QLatin1StringView fragment;
};

// The tests in the order that decides overlapping names: "adlongvarchar"
// holds both "char" and "long", "adlongvarbinary" both "long" and the
// whole name sought by the Oracle table.
constexpr WordTest oracleTests[] = {
    { QLatin1StringView("char"), QLatin1StringView(" VARCHAR(2000),") },
    { QLatin1StringView("int"), QLatin1StringView(" INT,") },
    { QLatin1StringView("date"), QLatin1StringView(" DATE,") },
    { QLatin1StringView("currency"), QLatin1StringView(" VARCHAR(2000),") },
    { QLatin1StringView("bool"), QLatin1StringView(" VARCHAR(2000),") },
    { QLatin1StringView("double"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("adlongvarbinary"), QLatin1StringView(" BLOB,") },
};
constexpr QLatin1StringView oracleOtherwise(" VARCHAR(2000),");

constexpr WordTest mysqlTests[] = {
    { QLatin1StringView("char"), QLatin1StringView(" VARCHAR(8000),") },
    { QLatin1StringView("dec"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("numeric"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("double"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("smallint"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("int"), QLatin1StringView(" FLOAT,") },
    { QLatin1StringView("long"), QLatin1StringView(" VARCHAR(8000),") },
    { QLatin1StringView("date"), QLatin1StringView(" DATETIME,") },
    { QLatin1StringView("timestamp"), QLatin1StringView(" DATETIME,") },
};
constexpr QLatin1StringView mysqlOtherwise(" VARCHAR(8000),");

template <std::size_t N>
QString firstMatch(const WordTest (&tests)[N], QLatin1StringView otherwise, const QString& name)
{
    for (const WordTest& test : tests) {
        if (name.contains(test.word))
            return test.fragment;
    }
    return otherwise;
}

// The single quotes of a value doubled on the way into the statement,
// without copying values that hold none.
void appendDoubledQuotes(QString& statement, QStringView value)
{
    qsizetype from = 0;
    for (qsizetype at = value.indexOf(u'\''); at >= 0; at = value.indexOf(u'\'', from)) {
        statement.append(value.mid(from, at - from + 1));
        statement.append(u'\'');
        from = at + 1;
    }
    statement.append(value.mid(from));
}

// Room for one value's text, so that a row's statement is allocated once.
qsizetype estimatedTextSize(const tw::odbc::Value& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString().size() + 2;
    case QMetaType::QByteArray:
        return value.toByteArray().size() * 2;
    default:
        return 32;
    }
}

} // namespace

QString mysqlName(const QString& name)
{
    return db::QuoteMySQLName(name);
}

QString oracleName(const QString& name)
{
    return db::QuoteOracleName(name);
}

QString dropStatement(Direction direction, const QString& targetName)
{
    return QStringLiteral("DROP TABLE ") + targetQuoted(direction, targetName);
}

QString selectStatement(Direction direction, const QString& sourceName)
{
    const QString source
        = direction == Direction::ToOracle ? mysqlName(sourceName) : oracleName(sourceName);
    return QStringLiteral("SELECT * FROM ") + source;
}

QString columnTypeFragment(Direction direction, const QString& lowerCaseAdoTypeName)
{
    if (direction == Direction::ToOracle)
        return firstMatch(oracleTests, oracleOtherwise, lowerCaseAdoTypeName);
    return firstMatch(mysqlTests, mysqlOtherwise, lowerCaseAdoTypeName);
}

QString createOpening(Direction direction, const QString& targetName)
{
    return QStringLiteral("CREATE TABLE ") + targetQuoted(direction, targetName) + u'(';
}

QString columnEntry(Direction direction, const QString& columnName, qint16 adoType)
{
    return targetQuoted(direction, columnName)
        + columnTypeFragment(direction, tw::db::AdoTypeName(adoType).toLower());
}

void finishCreate(Direction direction, QString& statement)
{
    statement.chop(1);
    statement
        += direction == Direction::ToOracle ? QLatin1StringView(")") : QLatin1StringView(");");
}

QString createStatement(
    Direction direction, const QString& targetName, const QList<QPair<QString, qint16>>& columns)
{
    QString statement = createOpening(direction, targetName);
    statement.reserve(statement.size() + columns.size() * 32 + 2);
    for (const auto& [name, type] : columns)
        statement += columnEntry(direction, name, type);
    finishCreate(direction, statement);
    return statement;
}

QString insertOpening(Direction direction, const QString& targetName)
{
    return QStringLiteral("INSERT INTO ") + targetQuoted(direction, targetName)
        + QLatin1StringView(" VALUES('");
}

void appendInsertValue(QString& statement, const tw::odbc::Value& value)
{
    const qsizetype before = statement.size();
    if (!appendQuoteFreeText(statement, value))
        appendDoubledQuotes(statement, valueText(value));
    if (statement.size() == before) {
        // Null and empty values alike go as NULL.
        statement.chop(1);
        statement += QLatin1StringView("NULL, '");
    } else {
        statement += QLatin1StringView("', '");
    }
}

void finishInsert(QString& statement)
{
    statement.chop(3);
    statement += u')';
}

QString insertStatement(
    Direction direction, const QString& targetName, const QList<tw::odbc::Value>& row)
{
    QString statement = insertOpening(direction, targetName);
    qsizetype expected = statement.size() + 1;
    for (const tw::odbc::Value& value : row)
        expected += estimatedTextSize(value) + 4;
    statement.reserve(expected);
    for (const tw::odbc::Value& value : row)
        appendInsertValue(statement, value);
    finishInsert(statement);
    return statement;
}

QStringList OracleSessionStatements()
{
    return { QStringLiteral("ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"),
        QStringLiteral("ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'"),
        QStringLiteral("ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,'") };
}

QString MySQLSessionStatement()
{
    return QStringLiteral("SET SESSION sql_mode = CONCAT_WS(',', NULLIF(@@SESSION.sql_mode, ''), "
                          "'NO_BACKSLASH_ESCAPES')");
}

QString ExactMySQLSessionStatement()
{
    return QStringLiteral(
        "SET SESSION sql_mode = 'STRICT_ALL_TABLES,NO_BACKSLASH_ESCAPES,NO_ENGINE_SUBSTITUTION'");
}

QStringList swapStatements(Direction direction, const QString& targetName, const QString& copyName,
    const QString& backupName)
{
    if (direction == Direction::ToMySQL)
        return { QStringLiteral("RENAME TABLE ") + mysqlName(targetName) + QStringLiteral(" TO ")
            + mysqlName(backupName) + QStringLiteral(", ") + mysqlName(copyName)
            + QStringLiteral(" TO ") + mysqlName(targetName) };
    return { QStringLiteral("RENAME ") + oracleName(targetName) + QStringLiteral(" TO ")
            + oracleName(backupName),
        QStringLiteral("RENAME ") + oracleName(copyName) + QStringLiteral(" TO ")
            + oracleName(targetName) };
}

QString restoreStatement(Direction direction, const QString& targetName, const QString& backupName)
{
    return direction == Direction::ToMySQL ? QStringLiteral("RENAME TABLE ") + mysqlName(backupName)
            + QStringLiteral(" TO ") + mysqlName(targetName)
                                           : QStringLiteral("RENAME ") + oracleName(backupName)
            + QStringLiteral(" TO ") + oracleName(targetName);
}

} // namespace tw::transfer
