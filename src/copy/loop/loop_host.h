#pragma once

#include "copy/loop/function_ref.h"
#include "copy/loop/row_source.h"

#include <QStringList>
#include <exception>

namespace tw::copy {

// The phases of the row loop, in the order a row passes them.
enum class Phase {
    Count, // the rows in all
    RowYield, // the window's yield before a row
    Progress, // the window's progress bar before a row
    RowBegin, // a row's statement begun
    ValueYield, // the window's yield before a value
    Value, // a value added to the row
    RowEnd, // the row finished
    Send, // the batch sent
    Advance, // the source moved to its next row
};

// How a loop ended.
struct LoopEnd {
    enum class Reason {
        Done, // every row was read and sent
        Stopped, // a stop was asked for; the rows read were sent
        Lasting, // a failure every later row would meet too
        CountFailed, // the rows could not be counted; none was sent
    };
    Reason reason = Reason::Done;
    Phase phase = Phase::Send; // where a lasting failure was met: Send or Advance
    bool whileCommitting = false;
    std::exception_ptr error;
    qint64 row = 0; // the row it was met at (from 1)
    qint64 total = -1; // the rows in all; -1 when not known
    // Rows of the table that did not arrive: refused, or never sent.
    qint64 notCopied = 0;
};

// What the row loop asks of the one who runs it: the tables window runs
// each phase in a numbered step of its error trap, yields and moves its
// progress bar; the command runs the phases straight and prints progress
// and refused rows. A host's run() may be called from the reading thread of
// a bulk copy (see Feed); the others come from the thread that runs the loop.
class LoopHost {
public:
    virtual ~LoopHost() = default;

    // Runs one phase of row `row` (0 before the rows); answers its failure,
    // or null when it ran through.
    virtual std::exception_ptr run(Phase phase, qint64 row, FunctionRef<void()> action)
    {
        (void)phase;
        (void)row;
        try {
            action();
            return nullptr;
        } catch (...) {
            return std::current_exception();
        }
    }
    // The action of the yield phases.
    virtual void yield() { }
    // Row `row` is about to be read into a batch.
    virtual void rowStarting(qint64 row, qint64 total)
    {
        (void)row;
        (void)total;
    }
    // A batch was sent: `read` rows so far.
    virtual void rowsDone(qint64 read, qint64 total)
    {
        (void)read;
        (void)total;
    }
    virtual void refused(qint64 row, std::exception_ptr error, const QStringList& values)
    {
        (void)row;
        (void)error;
        (void)values;
    }
    // A row the target took, its values as read; asked only when
    // wantsLanded() says so.
    virtual bool wantsLanded() const { return false; }
    virtual void landed(const Row& row) { (void)row; }
    virtual void ended(const LoopEnd& end) { (void)end; }
};

} // namespace tw::copy
