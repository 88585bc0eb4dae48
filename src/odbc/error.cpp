#include "odbc/error.h"

#include <QStringList>
#include <span>

namespace tw::odbc {

namespace {

std::string joined(const QList<Diagnostic>& records)
{
    QStringList lines;
    for (const Diagnostic& d : records)
        lines << d.message;
    return lines.join(QLatin1Char('\n')).toStdString();
}

// MySQL's client errors for a connection that went away under a statement
// and the server's for a killed session; their SQLSTATE is not always 08.
constexpr int mysqlGone[] = { 1927, 2006, 2013, 2055 };
// ORA-00028 session killed, ORA-01012 not logged on, ORA-01092 instance
// terminated, ORA-02396 idle time exceeded, ORA-03113 end-of-file on the
// channel, ORA-03114 not connected, ORA-03135 connection lost contact.
constexpr int oracleGone[] = { 28, 1012, 1092, 2396, 3113, 3114, 3135 };
// MySQL 1021 disk full and 1114 table full.
constexpr int mysqlFull[] = { 1021, 1114 };
// ORA-01536 quota exceeded, ORA-01653 and ORA-01688 unable to extend a table
// or its partition, ORA-01654 unable to extend an index.
constexpr int oracleFull[] = { 1536, 1653, 1654, 1688 };
constexpr int mysqlNoSuchTable = 1146;
constexpr int oracleNoSuchTable = 942;

// Native codes of the two servers overlap; Oracle's drivers put the code
// into the message as "ORA-nnnnn", MySQL's never do.
bool isOracle(const Diagnostic& d)
{
    return d.message.contains(QStringLiteral("ORA-%1").arg(d.nativeError, 5, 10, QLatin1Char('0')));
}

bool among(int code, std::span<const int> codes)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

LastingFailure classify(const Diagnostic& d)
{
    const bool oracle = isOracle(d);
    if (d.sqlState.startsWith(QLatin1String("08"))
        || among(d.nativeError, oracle ? std::span<const int>(oracleGone) : mysqlGone))
        return LastingFailure::ConnectionGone;
    if (d.sqlState == QLatin1String("42S02")
        || d.nativeError == (oracle ? oracleNoSuchTable : mysqlNoSuchTable))
        return LastingFailure::TableMissing;
    if (among(d.nativeError, oracle ? std::span<const int>(oracleFull) : mysqlFull))
        return LastingFailure::NoRoom;
    return LastingFailure::None;
}

} // namespace

DbError::DbError(QList<Diagnostic> records)
    : std::runtime_error(joined(records))
    , m_records(std::move(records))
{ }

DbError::DbError(const QString& message)
    : DbError(QStringLiteral("HY000"), message)
{ }

DbError::DbError(const QString& sqlState, const QString& message)
    : DbError(QList<Diagnostic> { { sqlState, 0, message } })
{ }

QString DbError::description() const
{
    return QString::fromStdString(what());
}

QString DbError::sqlState() const
{
    return m_records.isEmpty() ? QString() : m_records.first().sqlState;
}

int DbError::nativeError() const
{
    return m_records.isEmpty() ? 0 : m_records.first().nativeError;
}

LastingFailure DbError::lasting() const
{
    // A lost connection may follow another record (a warning, a rollback
    // note), so every record counts; the gravest decides.
    LastingFailure found = LastingFailure::None;
    for (const Diagnostic& d : m_records) {
        const LastingFailure f = classify(d);
        if (f == LastingFailure::ConnectionGone)
            return f;
        if (found == LastingFailure::None)
            found = f;
    }
    return found;
}

QString describe(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const DbError& e) {
        return e.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

LastingFailure lastingFailure(std::exception_ptr error)
{
    if (!error)
        return LastingFailure::None;
    try {
        std::rethrow_exception(error);
    } catch (const DbError& e) {
        return e.lasting();
    } catch (...) {
        return LastingFailure::None;
    }
}

} // namespace tw::odbc
