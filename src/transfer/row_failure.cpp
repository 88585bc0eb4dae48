#include "transfer/row_failure.h"

#include "odbc/error.h"

namespace tw::transfer {

odbc::LastingFailure LastingFailureOf(std::exception_ptr error)
{
    return odbc::lastingFailure(error);
}

bool FailsEveryLaterRow(std::exception_ptr error)
{
    return LastingFailureOf(error) != odbc::LastingFailure::None;
}

QString FailureText(std::exception_ptr error)
{
    return odbc::describe(error);
}

} // namespace tw::transfer
