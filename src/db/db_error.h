#pragma once

#include <QList>
#include <QString>
#include <exception>
#include <stdexcept>

namespace tw::db {

// One diagnostic record as the driver manager hands it out.
struct Diagnostic {
    QString sqlState;
    int nativeError = 0;
    QString message;
};

// The one error type of the data access layer. Its description is the
// driver's own message (every record, one per line), which is what the
// error report shows to the user.
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

private:
    QList<Diagnostic> m_records;
};

// What the failing component says about any error: the driver's message
// (every record) for a database error, the platform's text otherwise.
QString ErrorDescription(std::exception_ptr error);

} // namespace tw::db
