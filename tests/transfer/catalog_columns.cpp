#include "catalog_columns.h"

#include <QRegularExpression>
#include <sqlext.h>
#include <sqlucode.h>

namespace tw::test {

namespace {

struct Declaration {
    QString word;
    std::optional<qint64> first;
    std::optional<int> second;
};

Declaration parse(const QString& declaration)
{
    static const QRegularExpression form(
        QStringLiteral("^([A-Za-z_0-9 ]+)\\s*(?:\\((\\d+|\\*)(?:\\s*,\\s*(-?\\d+))?[^)]*\\))?"));
    const auto m = form.match(declaration);
    Declaration d;
    d.word = m.captured(1).trimmed();
    if (m.capturedLength(2) > 0 && m.captured(2) != QLatin1String("*"))
        d.first = m.captured(2).toLongLong();
    if (m.capturedLength(3) > 0)
        d.second = m.captured(3).toInt();
    return d;
}

} // namespace

db::CatalogColumn mysqlColumn(const QString& declaration, const QString& charset)
{
    const Declaration d = parse(declaration);
    db::CatalogColumn c;
    c.name = QStringLiteral("c");
    c.columnType = declaration;
    c.isUnsigned = declaration.contains(QLatin1String("unsigned"));
    c.typeName = d.word.toUpper();
    static const QHash<QString, qint64> longTypes {
        { QStringLiteral("tinytext"), 255 },
        { QStringLiteral("text"), 65535 },
        { QStringLiteral("mediumtext"), 16777215 },
        { QStringLiteral("longtext"), 4294967295 },
        { QStringLiteral("json"), 4294967295 },
        { QStringLiteral("tinyblob"), 255 },
        { QStringLiteral("blob"), 65535 },
        { QStringLiteral("mediumblob"), 16777215 },
        { QStringLiteral("longblob"), 4294967295 },
    };
    const bool temporal = QStringList { "datetime", "timestamp", "time" }.contains(d.word);
    if (temporal) {
        c.decimalDigits = int(d.first.value_or(0));
    } else if (d.word == QLatin1String("enum") || d.word == QLatin1String("set")) {
        // The longest label, or all labels with their commas.
        static const QRegularExpression label(QStringLiteral("'([^']*)'"));
        qint64 longest = 0;
        qint64 all = -1;
        for (const auto& m : label.globalMatch(declaration)) {
            longest = std::max<qint64>(longest, m.capturedLength(1));
            all += m.capturedLength(1) + 1;
        }
        c.columnSize = d.word == QLatin1String("set") ? all : longest;
    } else {
        c.columnSize = longTypes.value(d.word, d.first.value_or(0));
        if (d.second)
            c.decimalDigits = *d.second;
        else if (d.word.contains(QLatin1String("int")))
            c.decimalDigits = 0;
    }
    c.characterSet = charset;
    const bool text = d.word.contains(QLatin1String("char"))
        || d.word.contains(QLatin1String("text")) || d.word == QLatin1String("enum")
        || d.word == QLatin1String("set") || d.word == QLatin1String("json");
    if (text && charset.isEmpty())
        c.characterSet = QStringLiteral("utf8mb4");
    if (d.word.contains(QLatin1String("binary")) || d.word.contains(QLatin1String("blob")))
        c.sqlType = SQL_LONGVARBINARY;
    return c;
}

db::CatalogColumn oracleColumn(const QString& declaration)
{
    const Declaration d = parse(declaration);
    const QString word = d.word.toUpper();
    db::CatalogColumn c;
    c.name = QStringLiteral("C");
    c.typeName = word;
    if (word == QLatin1String("NUMBER")) {
        c.sqlType = SQL_DECIMAL;
        c.radix = 10;
        c.columnSize = d.first.value_or(38);
        // NUMBER(*,s) has precision 38; NUMBER alone has no digits at all.
        if (d.second)
            c.decimalDigits = *d.second;
        else if (d.first)
            c.decimalDigits = 0;
    } else if (word == QLatin1String("FLOAT")) {
        c.sqlType = SQL_DOUBLE;
        c.radix = 2;
        c.columnSize = d.first.value_or(126);
    } else if (word == QLatin1String("BINARY_FLOAT")) {
        c.sqlType = SQL_REAL;
        c.radix = 10;
        c.columnSize = 7;
    } else if (word == QLatin1String("BINARY_DOUBLE")) {
        c.sqlType = SQL_DOUBLE;
        c.radix = 10;
        c.columnSize = 15;
    } else if (word == QLatin1String("DATE")) {
        c.sqlType = SQL_TYPE_TIMESTAMP;
        c.decimalDigits = 0;
    } else if (word.startsWith(QLatin1String("TIMESTAMP"))) {
        c.sqlType = SQL_TYPE_TIMESTAMP;
        c.typeName = declaration;
        c.decimalDigits = int(d.first.value_or(6));
    } else if (word == QLatin1String("INTERVAL DAY")) {
        static const QRegularExpression digits(
            QStringLiteral("DAY\\((\\d)\\) TO SECOND\\((\\d)\\)"));
        const auto m = digits.match(declaration);
        c.sqlType = SQL_VARCHAR;
        c.typeName = declaration;
        c.decimalDigits = m.captured(2).toInt();
        c.columnSize = m.captured(1).toInt() + 11 + m.captured(2).toInt();
    } else {
        static const QHash<QString, SQLSMALLINT> types {
            { QStringLiteral("VARCHAR2"), SQL_VARCHAR },
            { QStringLiteral("NVARCHAR2"), SQL_WVARCHAR },
            { QStringLiteral("CHAR"), SQL_CHAR },
            { QStringLiteral("NCHAR"), SQL_WCHAR },
            { QStringLiteral("CLOB"), SQL_LONGVARCHAR },
            { QStringLiteral("NCLOB"), SQL_WLONGVARCHAR },
            { QStringLiteral("LONG"), SQL_LONGVARCHAR },
            { QStringLiteral("BLOB"), SQL_LONGVARBINARY },
            { QStringLiteral("LONG RAW"), SQL_LONGVARBINARY },
            { QStringLiteral("RAW"), SQL_VARBINARY },
        };
        c.sqlType = types.value(word, SQL_VARCHAR);
        c.columnSize = d.first.value_or(2147483647);
    }
    return c;
}

} // namespace tw::test
