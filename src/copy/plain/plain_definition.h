#pragma once

#include "copy/loop/table_definition.h"
#include "sql/dialect.h"

namespace tw::copy {

// The window's target table: each column's type chosen by the target's word
// tests on the ADO type the source's driver reports, every value sent as
// the text the window writes between its quotes (Null and empty text both
// as NULL). A bulk copy binds the same values typed where the column's type
// takes them so (see parameters()).
class PlainDefinition : public TableDefinition {
public:
    PlainDefinition(sql::Server target, QList<SourceColumn> columns);
    // Gives the columns `types` names the type written there in the CREATE:
    // the target checks every value against it. Throws DbError for a column
    // the table lacks.
    void choose(const QList<std::pair<QString, QString>>& types);

    sql::Server target() const override { return m_target.server(); }
    QString createStatement(const QString& table) const override;
    void beginLiteral(QString& statement, const QString& table) const override;
    void appendLiteral(QString& statement, int column, const odbc::Value& value) const override;
    bool finishLiteral(QString& statement, const QString& table, const Row& row) const override;

    // Into Oracle:
    //   INT      whole numbers as their digits, SQL_C_CHAR as SQL_DECIMAL (Oracle's
    //            driver documents no 64-bit integer C type)
    //   DATE     SQL_C_TYPE_TIMESTAMP as SQL_TYPE_TIMESTAMP
    //   FLOAT    SQL_C_DOUBLE as SQL_DOUBLE
    //   BLOB     SQL_C_BINARY as SQL_LONGVARBINARY
    // Into MySQL:
    //   FLOAT    SQL_C_DOUBLE as SQL_DOUBLE (Oracle's digits read as the nearest
    //            double, which is what MySQL reads them as)
    //   DATETIME the timestamp's text, as text: the server reads it as it reads
    //            the window's literal. MariaDB Connector/ODBC 3.1.15 loses 40
    //            bytes for every value bound as SQL_C_TYPE_TIMESTAMP; text bound
    //            as SQL_TYPE_TIMESTAMP it takes apart itself, with sscanf, and
    //            refuses a zero date that the server takes
    // VARCHAR, and all else: the value text, SQL_C_WCHAR as SQL_WVARCHAR, or
    // UTF-8 SQL_C_CHAR as SQL_VARCHAR (`narrowText`; MariaDB's driver converts
    // every wide value through iconv, a third of the copy's time).
    QString markerInsert(const QString& table) const override;
    QList<bulk::ParameterBinding> parameters(bool narrowText) const override;
    void bind(const Row& row, Row& bound) const override;
    QStringList shown(const Row& row) const override;

    // What the window's column types keep, and the values they change on
    // purpose (README, "Known limits"), each by a rule of its own below.
    Kept kept(int column) const override;
    Carried carried(int column, const odbc::Value& value) const override;
    // MySQL rounds a fraction of a second into a DATETIME to the nearest
    // second, MariaDB cuts it off: which of the two the target does.
    void setFractionsRounded(bool rounded) { m_fractionsRounded = rounded; }

    static const MappingRule emptyAsNull; // empty text and no bytes go as NULL
    static const MappingRule binaryAsHex; // binary data into a text column
    static const MappingRule singlePrecision; // every number into MySQL's FLOAT
    static const MappingRule wholeSeconds; // times into MySQL's DATETIME
    static const MappingRule belowOracleRange; // a double too small for Oracle's NUMBER

private:
    // A value as the copy sends it.
    odbc::Value sent(int column, const odbc::Value& value) const;

    const sql::Dialect& m_target;
    QList<SourceColumn> m_columns;
    // Each column's value goes as its text (else as read).
    QList<bool> m_asText;
    QList<QString> m_types; // a column's type when chosen, else null
    QList<Kept> m_kept;
    bool m_fractionsRounded = false;
    mutable QString m_openingTable;
    mutable QString m_opening;
};

} // namespace tw::copy
