#pragma once

#include <QList>
#include <QString>
#include <exception>
#include <stdexcept>

namespace tw::odbc {

// One diagnostic record as the driver manager hands it out.
struct Diagnostic {
    QString sqlState;
    int nativeError = 0;
    QString message;
};

// Why a failed statement says that every later statement of its kind on the
// same connection must fail as well, so that a copy need not send them.
// Errors of one statement or one row (a value too long, a bad number, a
// duplicate key) are None: the next row may well succeed.
enum class LastingFailure {
    None,
    ConnectionGone, // never opened, closed, lost or killed; nothing reconnects it
    TableMissing, // the table the statement writes to does not exist
    NoRoom, // the database has no room left for more rows
};

// The one error type below the windows: a driver's diagnostics, or a
// refusal of the program's own (a value that cannot travel unchanged, a row
// that could not be read), which it words as a driver would. Its
// description is what the error report and the command show.
class DbError : public std::runtime_error {
public:
    explicit DbError(QList<Diagnostic> records);
    // One record of the program's own; HY000 unless a state is given.
    explicit DbError(const QString& message);
    DbError(const QString& sqlState, const QString& message);

    const QList<Diagnostic>& records() const { return m_records; }
    QString description() const;
    QString sqlState() const;
    int nativeError() const;
    // Whether every later statement like the failed one would fail too.
    LastingFailure lasting() const;

private:
    QList<Diagnostic> m_records;
};

// What the failing component says about any error: the driver's message
// (every record) for a database error, the platform's text otherwise.
QString describe(std::exception_ptr error);
// The lasting failure of any error; None for one that is not a DbError.
LastingFailure lastingFailure(std::exception_ptr error);

} // namespace tw::odbc
