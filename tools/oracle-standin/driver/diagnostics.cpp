#include "diagnostics.h"

#include "ora_error.h"

namespace orastandin::odbc {

DiagRecord& Diagnostics::addOracle(int code, const std::string& oraMessage)
{
    return m_records.emplace_back(
        DiagRecord { sqlStateFor(code), code, "[Oracle][ODBC][Ora]" + oraMessage });
}

DiagRecord& Diagnostics::addDriver(const char* sqlState, const std::string& text)
{
    return m_records.emplace_back(DiagRecord { sqlState, 0, "[Oracle][ODBC]" + text });
}

} // namespace orastandin::odbc
