#pragma once

#include "sql/dialect.h"

namespace tw::sql {

class MySQLDialect : public Dialect {
public:
    Server server() const override { return Server::MySQL; }
    QString quote(const QString& name) const override;
    qsizetype nameSize(QStringView name) const override;
    int nameLimit() const override { return 64; }
    QStringList sessionStatements(bool exactValues) const override;
    QString renameTable(const QString& from, const QString& to) const override;
    QString plainColumnType(const QString& lowerCaseAdoTypeName) const override;
    QLatin1StringView createClosing() const override { return QLatin1StringView(");"); }
    QStringList swapStatements(
        const QString& target, const QString& copy, const QString& backup) const override;
    QString limitRows(qint64 rows) const override;
    QString partCondition(const QStringList& key, int part, int parts) const override;
    QString keyLiteral(const KeyValue& value) const override;
    QString markerUpsert(
        const QString& table, const QStringList& columns, const QStringList& key) const override;
    QString resumeTable() const override;
    QString createResumeTable() const override;
    QString columnClauses(const ColumnClauses& clauses) const override;
    QString tableClauses(const QString& comment) const override;
    QStringList commentStatements(const QString& table, const QString& tableComment,
        const QList<std::pair<QString, QString>>& columnComments) const override;
    bool commentFits(const QString& comment, bool onTable) const override;
    QStringList autoNumberStatements(const QString& table, const QString& column) const override;
    QString dropForeignKey(const QString& table, const QString& name) const override;
    int definitionNameLimit() const override { return 64; }
    bool sameName(const QString& a, const QString& b) const override;
    // One row: for each column, whether it holds an empty value (1, else 0
    // or NULL), read in one pass over the table.
    QString emptyValuesQuery(const QString& table, const QStringList& columns) const;

    // MySQL's limits on the columns of one table.
    static constexpr int rowBytes = 65535; // what the columns of a row may declare
    static constexpr int decimalDigits = 65;
    static constexpr int decimalScale = 30;
    static constexpr int fractionDigits = 6; // of a DATETIME or TIME
    static constexpr int charLength = 255;

    // Reading a table in pages, so that MariaDB Connector/ODBC (which keeps a
    // whole result in memory) holds one page at a time. All pages are read
    // in one transaction with a consistent snapshot, so that together they
    // are the table at one moment, as one SELECT would be.
    QStringList snapshotStatements() const;
    QString snapshotEnd() const;
    // HANDLER reads the table in its own order (InnoDB's clustered index),
    // from the transaction's snapshot. MariaDB Connector/ODBC 3.1.15 takes a
    // HANDLER statement for one without rows and leaves its rows unread, but
    // reads them as the second result of a text of two statements (on a
    // connection that takes several, multiStatementsOption).
    QString handlerOpen(const QString& table) const;
    QString handlerPage(bool first, qint64 rows) const;
    QString handlerClose() const;
    static constexpr QLatin1StringView multiStatementsOption { "OPTION=67108864;" };
    // Without HANDLER (a view, or chosen rows of a table without a key), pages
    // of a SELECT by row offset in the server's own order, which the snapshot
    // keeps fixed: each counts its way from the start.
    QString offsetPage(const QString& select, qint64 offset, qint64 rows) const;
    // One row, YES or NO: whether the engine of a table keeps transactions,
    // so that a refused statement leaves none of its rows.
    QString transactionalQuery(const QString& table) const;
    // The session's character sets and largest packet (see MySQLSession).
    QString sessionQuery() const;
    // One row, 1 or 0: whether the server rounds a fraction of a second
    // into a DATETIME (MySQL) or cuts it off (MariaDB, and MySQL with
    // TIME_TRUNCATE_FRACTIONAL).
    QString fractionRoundingQuery() const;
};

const MySQLDialect& mysql();

} // namespace tw::sql
