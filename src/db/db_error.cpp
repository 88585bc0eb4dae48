#include "db/db_error.h"

#include <QStringList>

namespace tw::db {

namespace {
std::string joined(const QList<Diagnostic>& records)
{
    QStringList lines;
    for (const Diagnostic& d : records)
        lines << d.message;
    return lines.join(QLatin1Char('\n')).toStdString();
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

QString ErrorDescription(std::exception_ptr error)
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

} // namespace tw::db
