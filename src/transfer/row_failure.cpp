#include "transfer/row_failure.h"

#include "db/db_error.h"

namespace tw::transfer {

namespace {
bool repeats(const db::Diagnostic& d)
{
    return d.sqlState.startsWith(QLatin1String("08")) || d.sqlState == QLatin1String("42S02")
        || d.nativeError == 1146 || d.message.contains(QLatin1String("ORA-00942"))
        || d.message == QLatin1String("Operation is not allowed when the object is closed.");
}
} // namespace

bool FailsEveryLaterRow(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const db::DbError& e) {
        for (const db::Diagnostic& d : e.records()) {
            if (repeats(d))
                return true;
        }
        return false;
    } catch (...) {
        return false;
    }
}

QString FailureText(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const db::DbError& e) {
        return e.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

} // namespace tw::transfer
