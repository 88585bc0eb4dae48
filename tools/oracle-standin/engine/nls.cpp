#include "nls.h"

#include "ora_error.h"

#include <array>
#include <string_view>

namespace orastandin {

NlsSettings::NlsSettings()
    : dateFormat(DateFormat::parse(dateFormatText))
    , timestampFormat(DateFormat::parse(timestampFormatText))
{ }

namespace {

bool validNumericChar(char c)
{
    return !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '<' && c != '>';
}

} // namespace

void NlsSettings::set(const std::string& parameter, const std::string& value)
{
    if (parameter == "NLS_DATE_FORMAT") {
        dateFormat = DateFormat::parse(value);
        dateFormatText = value;
    } else if (parameter == "NLS_TIMESTAMP_FORMAT") {
        timestampFormat = DateFormat::parse(value);
        timestampFormatText = value;
    } else if (parameter == "NLS_NUMERIC_CHARACTERS") {
        if (value.size() != 2 || value[0] == value[1] || !validNumericChar(value[0])
            || !validNumericChar(value[1]))
            throwOra(12705, "Cannot access NLS data files or invalid environment specified");
        decimalChar = value[0];
        groupChar = value[1];
    } else if (parameter == "NLS_SORT" || parameter == "NLS_COMP") {
        // Comparisons and ORDER BY are binary here: a linguistic sort would
        // order and compare otherwise, so it is refused rather than ignored.
        std::string upper;
        for (const char c : value)
            upper += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
        if (upper != "BINARY")
            throwOra(3001, "unimplemented feature");
    } else {
        // Settings that change nothing this stand-in does are accepted as is.
        static constexpr std::array<std::string_view, 4> accepted { "NLS_LANGUAGE", "NLS_TERRITORY",
            "TIME_ZONE", "NLS_LENGTH_SEMANTICS" };
        for (const std::string_view name : accepted) {
            if (parameter == name)
                return;
        }
        throwOra(2248, "invalid option for ALTER SESSION");
    }
}

} // namespace orastandin
