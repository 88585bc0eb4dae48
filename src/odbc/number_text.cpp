#include "odbc/number_text.h"

#include <array>
#include <charconv>

namespace tw::odbc {

std::optional<double> doubleOf(QStringView text)
{
    text = text.trimmed();
    std::array<char, 128> latin {};
    if (text.isEmpty() || text.size() > qsizetype(latin.size()))
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= 0x80)
            return std::nullopt;
        latin[i] = char(c);
    }
    // from_chars takes no leading '+'.
    const char* from = latin.data() + (latin[0] == '+' ? 1 : 0);
    const char* end = latin.data() + text.size();
    double d = 0;
    const auto [at, ec] = std::from_chars(from, end, d);
    if (ec != std::errc() || at != end)
        return std::nullopt;
    return d;
}

} // namespace tw::odbc
