#include "transfer/row_failure.h"

#include "db/db_error.h"

namespace tw::transfer {

db::LastingFailure LastingFailureOf(std::exception_ptr error)
{
    if (!error)
        return db::LastingFailure::None;
    try {
        std::rethrow_exception(error);
    } catch (const db::DbError& e) {
        return db::lastingFailure(e);
    } catch (...) {
        return db::LastingFailure::None;
    }
}

bool FailsEveryLaterRow(std::exception_ptr error)
{
    return LastingFailureOf(error) != db::LastingFailure::None;
}

QString FailureText(std::exception_ptr error)
{
    return db::ErrorDescription(error);
}

} // namespace tw::transfer
