#include "diagnostics.h"

#include "ora_error.h"

namespace orastandin::odbc {

void Diagnostics::addOracle(int code, const std::string& oraMessage)
{
    m_records.push_back(DiagRecord { sqlStateFor(code), code, "[Oracle][ODBC][Ora]" + oraMessage });
}

void Diagnostics::addDriver(const char* sqlState, const std::string& text)
{
    m_records.push_back(DiagRecord { sqlState, 0, "[Oracle][ODBC]" + text });
}

} // namespace orastandin::odbc
