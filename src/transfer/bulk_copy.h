#pragma once

#include "bulk/parameter_arrays.h"
#include "db/login_details.h"
#include "odbc/block_reader.h"
#include "odbc/value.h"
#include "transfer/bulk_source.h"
#include "transfer/table_copy.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace tw::transfer {

// Where the rows of a fast copy go and how: the INSERT with a '?' marker per
// value, each marker's binding, and how a source row becomes the values
// bound. The plain mapping has one (plainBulkTarget); a copy with another
// mapping hands in its own.
struct BulkTarget {
    QString insert;
    QList<bulk::ParameterBinding> parameters;
    // Fills `bound` (one value per parameter, in the forms ParameterArrays
    // takes) from a source row; answers why not when the row cannot be sent
    // unchanged, and the row is then refused without being sent.
    std::function<std::optional<QString>(
        const QList<odbc::Value>& source, QList<odbc::Value>& bound)>
        prepare;
    // A refused row's values as its report shows them: the texts the row
    // carried, a null string for NULL.
    std::function<QStringList(const QList<odbc::Value>& source)> shown;
};

// The plain copy's mapping: the target columns its CREATE TABLE made, each
// value bound as plainBulkColumn says (narrow UTF-8 text into a MySQL
// session that is UTF-8 throughout).
BulkTarget plainBulkTarget(Direction direction, const QString& targetName,
    const QList<odbc::ResultColumn>& source, bool narrowText);

// A table's rows copied fast: read from the source a block at a time
// (BulkSource), sent through one prepared INSERT with column-wise parameter
// arrays of `batchRows` rows, with autocommit off and one commit per batch.
// It shares the TableCopy's connections and CREATE TABLE; the order:
//
//   openSource, then the CREATE from columns() through the TableCopy,
//   copyRows(target, listener), close
class BulkCopy {
public:
    struct Options {
        int batchRows = 1000;
        // The logins, for a MySQL source's reading connection of its own,
        // which takes several statements in one text (see BulkSource);
        // without them the copy's connection reads, by key or by offset.
        std::optional<db::LoginDetails> login;
    };
    BulkCopy(TableCopy& copy, Options options);
    ~BulkCopy();
    BulkCopy(const BulkCopy&) = delete;
    BulkCopy& operator=(const BulkCopy&) = delete;

    // The source's row count and first rows. An exact copy reads the
    // source's declarations first (TableCopy::readDeclarations) and the
    // columns no C type holds whole as their text. Throws.
    void openSource(const QString& sourceName);
    const QList<odbc::ResultColumn>& columns() const;
    qint64 rowCount() const;
    // The target's CREATE TABLE in the TableCopy's statement, as
    // TableCopy::buildCreate makes it from the columns read.
    void buildCreate(const QString& targetName);
    // The rows' way into `targetName`: the plain mapping (asking a MySQL
    // target how it takes text) or the exact copy's (exact_bound.h).
    // Throws DbError.
    BulkTarget target(const QString& targetName);

    class Listener {
    public:
        virtual ~Listener() = default;
        // A refused row, numbered from 1 in the source's order.
        virtual void refused(qint64 row, const QString& message, const QStringList& values) = 0;
        // Rows read so far.
        virtual void progress(qint64 rows) = 0;
    };
    struct End {
        bool stopped = false; // a stop was asked for; what was read went in
        QString failure; // why the rows ended early, empty when they did not
    };
    // Every row until the end, a stop request (whose rows read so far are
    // sent and committed) or a failure every later row would meet too.
    // A refused row refuses only itself. Never throws.
    End copyRows(const QString& targetName, const BulkTarget& target, Listener& listener);

    const RowCounts& counts() const { return m_counts; }
    // Ends the source's reading; never throws.
    void close() noexcept;

private:
    struct Batch;
    class Pipe;
    struct Reading;
    // A MySQL target takes text as UTF-8 (see plainBulkColumn).
    bool narrowText() const;
    void read(const QString& sourceName);
    void fill(BulkSource& source, Pipe& pipe, const BulkTarget& target);

    TableCopy& m_copy;
    Options m_options;
    std::unique_ptr<Reading> m_reading;
    QList<int> m_textColumns; // read as text: an exact copy's sourceTextColumns
    RowCounts m_counts;
};

} // namespace tw::transfer
