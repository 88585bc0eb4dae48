#pragma once

#include "sql/selection.h"
#include "sql/server.h"

#include <QString>
#include <QStringList>
#include <QStringView>

namespace tw::sql {

// What differs between the two servers, in one place per server: how names
// are quoted and how long they may be, the session a copy starts with, the
// texts of the statements the program sends, and the window's column types.
// Statement texts are plain text; no connection is needed to make them.
// One of the window's word tests: the column type fragment for ADO type
// names that hold `word`.
struct WordTest {
    QLatin1StringView word;
    QLatin1StringView fragment;
};

class Dialect {
public:
    virtual ~Dialect() = default;
    virtual Server server() const = 0;
    QString name() const { return serverName(server()); }

    // A name as one identifier: in backquotes on MySQL, in double quotes on
    // Oracle, the quote character doubled inside it, so that no name can
    // end its quoting early.
    virtual QString quote(const QString& name) const = 0;
    // How long a name is as the server counts it (characters on MySQL,
    // bytes of UTF-8 on Oracle), and the longest a table's name may be.
    virtual qsizetype nameSize(QStringView name) const = 0;
    virtual int nameLimit() const = 0;

    // Sent right after a copy opens its connection, so that value texts
    // mean the same on both servers whatever their session defaults are.
    // `exactValues`: an exact copy's session, which refuses any value it
    // cannot hold rather than cutting it to fit.
    virtual QStringList sessionStatements(bool exactValues) const = 0;

    QString dropTable(const QString& table) const;
    virtual QString renameTable(const QString& from, const QString& to) const = 0;
    QString selectAll(const QString& table) const;
    // A SELECT of no rows, whose result describes the table's columns.
    QString selectNoRows(const QString& table) const;
    QString countRows(const QString& table) const;

    // The window's CREATE TABLE, column by column: the opening, an entry per
    // column (the quoted name and the type the word tests choose for the
    // column's lower-case ADO type name, ending in a comma), and the closing,
    // which replaces the last comma.
    QString createOpening(const QString& table) const;
    virtual QString plainColumnType(const QString& lowerCaseAdoTypeName) const = 0;
    QString plainColumnEntry(const QString& column, qint16 adoType) const;
    virtual QLatin1StringView createClosing() const = 0;

    // The window's INSERT opening, which ends in the first value's quote,
    // and the INSERT of a bulk copy, a '?' marker per value.
    QString insertOpening(const QString& table) const;
    QString markerInsert(const QString& table, int values) const;

    // Puts a finished copy in the place of `target`, keeping the old table
    // under `backup` until it is dropped: one atomic RENAME TABLE on MySQL,
    // two RENAMEs on Oracle (which has no atomic swap).
    virtual QStringList swapStatements(
        const QString& target, const QString& copy, const QString& backup) const = 0;

    // Copies that choose their rows and where they land (selection.cpp).
    // The SELECT of `rows`: the chosen columns, then `where`, the part and
    // the rows after a key joined by AND, in key order when asked.
    QString selectRows(const RowSelection& rows) const;
    // The same SELECT made to give no row: the source checks its columns
    // and condition without reading the table.
    QString selectNoRows(const RowSelection& rows) const;
    QString countSelected(const RowSelection& rows) const;
    // Ends a SELECT in key order after at most `rows` rows.
    virtual QString limitRows(qint64 rows) const = 0;
    // The rows whose key hashes to `part` - 1 modulo `parts`: the same split
    // whatever the table holds, so that every row is in exactly one part.
    virtual QString partCondition(const QStringList& key, int part, int parts) const = 0;
    // A key's value as a literal the server compares with the key column.
    virtual QString keyLiteral(const KeyValue& value) const = 0;
    // An INSERT naming its columns, a '?' marker for each.
    QString markerInsert(const QString& table, const QStringList& columns) const;
    // One statement that inserts the row of a new key and updates every
    // other column of the row holding an existing one: MERGE on Oracle,
    // INSERT ... ON DUPLICATE KEY UPDATE on MySQL. '?' markers for
    // `columns` in their order.
    virtual QString markerUpsert(
        const QString& table, const QStringList& columns, const QStringList& key) const = 0;

    // Where a resumable copy keeps the last key it committed, in the
    // target, in the batch's own transaction: a row per table of a run.
    virtual QString resumeTable() const = 0;
    virtual QString createResumeTable() const = 0;
    QString resumeInsert(const QString& run, const QString& name) const;
    QString resumeUpdate(const QString& run, const QString& name, const QString& key) const;
    QString resumeQuery(const QString& run, const QString& name) const;
    QString resumeDelete(const QString& run, const QString& name) const;
    QString resumeDeleteRun(const QString& run) const;

    // A table's definition beyond its columns' types, for exact copies
    // (definition_statements.cpp and each server's *_definitions.cpp).
    // Names come unquoted, conditions and default values as the server
    // reads them; an empty name leaves the naming to the server.
    struct ColumnClauses {
        QString defaultValue; // empty: none
        bool notNull = false;
        bool autoNumbered = false; // AUTO_INCREMENT, or an identity column
        QString comment; // empty: none; MySQL writes it into the column
    };
    // What follows a column's type in CREATE TABLE, with a leading blank.
    virtual QString columnClauses(const ColumnClauses& clauses) const = 0;
    // What follows CREATE TABLE's closing parenthesis: MySQL's table comment.
    virtual QString tableClauses(const QString& comment) const = 0;
    // Oracle's comments, which are statements of their own.
    virtual QStringList commentStatements(const QString& table, const QString& tableComment,
        const QList<std::pair<QString, QString>>& columnComments) const = 0;
    // Whether a comment fits: MySQL keeps 1,024 characters on a column and
    // 2,048 on a table, Oracle 4,000 bytes.
    virtual bool commentFits(const QString& comment, bool onTable) const = 0;
    // After the rows: Oracle's identity column takes its next value past the
    // highest copied one (MySQL's AUTO_INCREMENT moves by itself).
    virtual QStringList autoNumberStatements(const QString& table, const QString& column) const = 0;
    // The longest name of an index or constraint.
    virtual int definitionNameLimit() const = 0;
    // Whether two names of indexes or constraints are the same to the server.
    virtual bool sameName(const QString& a, const QString& b) const = 0;

    // A column of an index: quoted, DESC when descending.
    QString indexColumn(const QString& column, bool descending) const;
    QString createIndex(
        const QString& name, const QString& table, const QStringList& columns, bool unique) const;
    QString addUnique(const QString& table, const QString& name, const QStringList& columns) const;
    // `onDelete`: CASCADE, SET NULL, or empty for the server's default.
    QString addForeignKey(const QString& table, const QString& name, const QStringList& columns,
        const QString& parent, const QStringList& parentColumns, const QString& onDelete) const;
    QString addCheck(const QString& table, const QString& name, const QString& condition) const;
    virtual QString dropForeignKey(const QString& table, const QString& name) const = 0;
    // A text constant, quotes doubled (a MySQL session of an exact copy has
    // NO_BACKSLASH_ESCAPES).
    static QString textLiteral(const QString& text);

protected:
    static QString quoteWith(const QString& name, QChar quote);
    // The fragment of the first word test whose word occurs in `name`.
    template <std::size_t N>
    static QString firstMatch(
        const WordTest (&tests)[N], QLatin1StringView otherwise, const QString& name)
    {
        for (const WordTest& test : tests) {
            if (name.contains(test.word))
                return test.fragment;
        }
        return otherwise;
    }
};

const Dialect& dialect(Server server);

} // namespace tw::sql
