#pragma once

#include <stdexcept>
#include <string>

namespace orastandin {

// An error as Oracle reports it: the ORA number and its text. The driver
// turns it into a diagnostic record, the admin command prints it.
class OraError : public std::runtime_error {
public:
    OraError(int code, std::string text);

    int code() const { return m_code; }
    const std::string& text() const { return m_text; }
    // "ORA-00942: table or view does not exist"
    std::string message() const { return what(); }

private:
    int m_code;
    std::string m_text;
};

// The SQLSTATE that Oracle's ODBC driver reports for an ORA number.
const char* sqlStateFor(int oraCode);

// Shorthands for the errors raised from many places.
[[noreturn]] void throwOra(int code, const std::string& text);
[[noreturn]] void invalidCharacter(); // ORA-00911
[[noreturn]] void invalidNumber(); // ORA-01722

} // namespace orastandin
