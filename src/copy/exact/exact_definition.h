#pragma once

#include "copy/exact/exact_types.h"
#include "copy/loop/table_definition.h"
#include "db/connection.h"

namespace tw::copy {

// An exact copy's target table: each column the narrowest type that holds
// every value of the source column's declared type, NOT NULL and the
// primary key kept, every value unchanged or its row refused (see
// exact_types.h, exact_literals.h, exact_bound.h).
class ExactDefinition : public TableDefinition {
public:
    explicit ExactDefinition(ExactTable table);
    // From the source's catalog: its declared columns and primary key, and
    // for EmptyText::Null which NOT NULL columns hold empty values (see
    // allowEmptyValues). A whole definition is made in copy/schema. Throws
    // DbError when the catalog cannot be read.
    static ExactDefinition read(db::Connection& source, sql::Server target, const QString& table,
        const ExactOptions& options = ExactOptions());

    const ExactTable& table() const { return m_table; }
    // The values go by position into the columns the declarations name: a
    // table altered between the two reads must not mix them up. Throws
    // DbError when the columns read are not those declared.
    void checkColumns(const QList<SourceColumn>& read) const;
    // Keeps only `columns` (every one when empty), in that order, the key
    // only when all of it is kept; gives the columns `types` names the type
    // written there (see type_override.h). Throws DbError for a column the
    // table lacks or a type the copy cannot check values against.
    void choose(const QStringList& columns, const QList<std::pair<QString, QString>>& types);

    sql::Server target() const override { return m_table.target; }
    QList<int> textColumns() const override;
    QString createStatement(const QString& table) const override;
    void beginLiteral(QString& statement, const QString& table) const override;
    void appendLiteral(QString& statement, int column, const odbc::Value& value) const override;
    bool finishLiteral(QString& statement, const QString& table, const Row& row) const override;
    QString markerInsert(const QString& table) const override;
    QList<bulk::ParameterBinding> parameters(bool narrowText) const override;
    void bind(const Row& row, Row& bound) const override;
    // The values as read: binary data as hex, an empty text as "".
    QStringList shown(const Row& row) const override;
    QStringList notes() const override { return m_table.notes; }
    QList<int> emptyAsNullColumns() const override;

    // Every value unchanged, as checkValue() keeps it, or its row refused;
    // only the blanks at the end of a CHAR's text change, each by a rule
    // below.
    Kept kept(int column) const override;
    Carried carried(int column, const odbc::Value& value) const override;

    // Oracle fills a CHAR with blanks to its length; MySQL gives a CHAR's
    // text back without the blanks at its end.
    static const MappingRule blankPadded;
    static const MappingRule blanksDropped;
    static const MappingRule emptyAsNull;

private:
    ExactTable m_table;
};

} // namespace tw::copy
