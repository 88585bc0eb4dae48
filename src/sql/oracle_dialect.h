#pragma once

#include "sql/dialect.h"

namespace tw::sql {

class OracleDialect : public Dialect {
public:
    Server server() const override { return Server::Oracle; }
    QString quote(const QString& name) const override;
    qsizetype nameSize(QStringView name) const override;
    // 30 bytes before Oracle 12.2, the shortest limit the program may meet.
    int nameLimit() const override { return 30; }
    QStringList sessionStatements(bool exactValues) const override;
    QString renameTable(const QString& from, const QString& to) const override;
    QString plainColumnType(const QString& lowerCaseAdoTypeName) const override;
    QLatin1StringView createClosing() const override { return QLatin1StringView(")"); }
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
    // 128 bytes since Oracle 12.2.
    int definitionNameLimit() const override { return 128; }
    bool sameName(const QString& a, const QString& b) const override { return a == b; }

    // Oracle's limits (MAX_STRING_SIZE = STANDARD, its default).
    static constexpr int varcharBytes = 4000;
    static constexpr int charBytes = 2000;
    static constexpr int rawBytes = 2000;
    static constexpr int numberDigits = 38;
};

} // namespace tw::sql
