#pragma once

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
    // The columns of a table without its rows.
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
