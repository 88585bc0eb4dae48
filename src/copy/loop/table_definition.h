#pragma once

#include "bulk/parameter_arrays.h"
#include "copy/loop/carried_value.h"
#include "copy/loop/row_source.h"
#include "sql/server.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tw::copy {

// What the target table of a copy is and how each value reaches it: the
// window's column types (plain), or each column's own declared type
// (exact). The targets that send rows ask it, so that neither they nor the
// loop know which one it is.
class TableDefinition {
public:
    virtual ~TableDefinition() = default;

    // The server the table is made in.
    virtual sql::Server target() const = 0;

    // The source's columns (from 0) to read as text whatever their type,
    // for values no C type holds whole.
    virtual QList<int> textColumns() const { return {}; }

    virtual QString createStatement(const QString& table) const = 0;

    // A row as one INSERT of literals, built value by value into `statement`.
    virtual void beginLiteral(QString& statement, const QString& table) const = 0;
    virtual void appendLiteral(QString& statement, int column, const odbc::Value& value) const = 0;
    // Ends the row's statement; answers true when no literal carries one of
    // its values and the row goes as bound parameters instead (bind()).
    // Throws DbError when a value cannot go unchanged.
    virtual bool finishLiteral(QString& statement, const QString& table, const Row& row) const = 0;

    // A row as bound parameters of markerInsert(): each column's binding,
    // and the values to bind for a source row. `narrowText`: the target
    // takes text as UTF-8 (SQL_C_CHAR). bind() throws DbError naming the
    // column when a value cannot go unchanged.
    virtual QString markerInsert(const QString& table) const = 0;
    virtual QList<bulk::ParameterBinding> parameters(bool narrowText) const = 0;
    virtual void bind(const Row& row, Row& bound) const = 0;

    // A refused row's values as its report shows them: the texts the row
    // carried, a null string for a value sent as NULL.
    virtual QStringList shown(const Row& row) const = 0;

    // What the definition changed or left out of the source's, one line
    // each, for the summary.
    virtual QStringList notes() const { return {}; }
    // The source columns (from 0) whose empty text or binary values are
    // sent as NULL, which a copy counts.
    virtual QList<int> emptyAsNullColumns() const { return {}; }
    // For comparing a copy with its source: what the target column keeps,
    // and a source value as the copy leaves it there.
    virtual Kept kept(int column) const = 0;
    virtual Carried carried(int column, const odbc::Value& value) const = 0;
};

} // namespace tw::copy
