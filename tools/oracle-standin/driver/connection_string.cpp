#include "connection_string.h"

namespace orastandin::odbc {

namespace {

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return out;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

ConnectionString ConnectionString::parse(std::string_view text)
{
    ConnectionString cs;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t eq = text.find('=', i);
        if (eq == std::string_view::npos)
            break;
        const std::string key = upper(trim(text.substr(i, eq - i)));
        std::size_t j = eq + 1;
        std::size_t firstNonBlank = j;
        while (firstNonBlank < text.size()
            && (text[firstNonBlank] == ' ' || text[firstNonBlank] == '\t'))
            ++firstNonBlank;
        std::string value;
        if (firstNonBlank < text.size() && text[firstNonBlank] == '{') {
            j = firstNonBlank;
            // Braced value: may hold ';' and '='; "}}" stands for '}'.
            ++j;
            while (j < text.size()) {
                if (text[j] == '}') {
                    if (j + 1 < text.size() && text[j + 1] == '}') {
                        value += '}';
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                value += text[j++];
            }
            const std::size_t semi = text.find(';', j);
            i = semi == std::string_view::npos ? text.size() : semi + 1;
        } else {
            const std::size_t semi = text.find(';', j);
            const std::size_t end = semi == std::string_view::npos ? text.size() : semi;
            // Unbraced values are taken as typed: a password may begin or end with a blank.
            value = std::string(text.substr(j, end - j));
            i = semi == std::string_view::npos ? text.size() : semi + 1;
        }
        if (!key.empty())
            cs.m_values.emplace(key, std::move(value));
    }
    return cs;
}

std::string ConnectionString::get(std::string_view key, bool* found) const
{
    const auto it = m_values.find(upper(key));
    if (found)
        *found = it != m_values.end();
    return it == m_values.end() ? std::string() : it->second;
}

bool ConnectionString::has(std::string_view key) const
{
    return m_values.count(upper(key)) != 0;
}

} // namespace orastandin::odbc
