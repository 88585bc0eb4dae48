#pragma once

#include <map>
#include <string>
#include <string_view>

namespace orastandin::odbc {

// The attributes of an ODBC connection string. Keys are matched without
// regard to case; the first occurrence of a key wins, as ODBC prescribes.
class ConnectionString {
public:
    static ConnectionString parse(std::string_view text);

    // The value of a key, empty when absent; `found` tells the two apart.
    std::string get(std::string_view key, bool* found = nullptr) const;
    bool has(std::string_view key) const;

private:
    std::map<std::string, std::string> m_values; // upper-cased keys
};

} // namespace orastandin::odbc
