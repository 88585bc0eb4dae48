#pragma once

#include "copy/loop/row_source.h"

#include <QList>
#include <QStringList>
#include <exception>
#include <memory>

namespace tw::copy {

// The rows of one send: filled by the reading half of the row loop, sent by
// the writing half, maybe on another thread (see Feed). What a row becomes
// on the way (a statement's text, a row of parameter arrays) is the
// target's, in the batch it makes.
class Batch {
public:
    virtual ~Batch() = default;

    // A row refused before it was sent: it could not be read, or a value of
    // it cannot go unchanged.
    struct Refusal {
        qint64 number = 0;
        std::exception_ptr error;
        QStringList values; // as the refused rows' report shows them
    };

    QList<qint64> numbers; // of the rows held, in order (from 1)
    // Their values as read, for the report of a refused one: row i of the
    // batch in slot i. The slots keep their room from batch to batch.
    QList<Row> rows;
    QList<Refusal> unsent;
    qint64 lastRead = 0; // the number of the last row read into this batch

    // Set by the reading half on the batch that ends the rows.
    bool last = false;
    bool stopped = false; // a stop was asked for
    std::exception_ptr readFailure; // reading the next row failed for good
    qint64 readFailureRow = 0;

    // The rows read into it, sent or not.
    qsizetype size() const { return numbers.size() + unsent.size(); }
    // The slot the next row held is read into.
    Row& nextSlot(int width)
    {
        if (rows.size() <= numbers.size())
            rows.resize(numbers.size() + 1);
        Row& row = rows[numbers.size()];
        row.resize(width);
        return row;
    }
    virtual void clear()
    {
        numbers.clear();
        unsent.clear();
        last = stopped = false;
        readFailure = nullptr;
        readFailureRow = lastRead = 0;
    }
};

// How a send went.
struct Outcome {
    int landed = 0; // rows the target took
    // Rows the target refused, by their index in the batch.
    QList<std::pair<int, std::exception_ptr>> refused;
    // A failure every later row would meet too, or a commit that failed:
    // rows from `unsentFrom` (an index in the batch) on did not arrive.
    std::exception_ptr fatal;
    int unsentFrom = 0;
    bool whileCommitting = false;
};

// Where rows go and how: a statement per row, or parameter arrays. A row is
// made into the batch value by value (the window builds a row's statement
// in steps of its own), then the batch is sent.
class RowTarget {
public:
    virtual ~RowTarget() = default;

    virtual std::unique_ptr<Batch> newBatch() const = 0;
    virtual bool full(const Batch& batch) const = 0;

    virtual void beginRow(Batch& batch) = 0;
    virtual void value(Batch& batch, int column, const odbc::Value& value) = 0;
    // Ends the row `number`, whose values are `row`. False when the batch
    // has no room left for it: nothing of it was kept, and it begins the
    // next batch. Throws DbError when the row cannot go unchanged.
    virtual bool endRow(Batch& batch, qint64 number, const Row& row) = 0;

    // Sends the rows held. A target sending one row at a time throws what
    // the database said; one sending many tells each row's fate instead.
    virtual Outcome send(Batch& batch) = 0;

    // A refused row's values as its report shows them.
    virtual QStringList shown(const Row& row) const = 0;
};

} // namespace tw::copy
