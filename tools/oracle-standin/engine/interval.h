#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orastandin {

// A value of INTERVAL DAY TO SECOND: a signed span of days, hours,
// minutes, seconds and nanoseconds.
struct DayToSecond {
    bool negative = false;
    long long days = 0;
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    std::uint32_t nanos = 0;
};

// Reads '[+|-]D HH:MI:SS[.FF]', the form of INTERVAL '...' DAY TO SECOND
// and of text converted to the type. Throws ORA-01867 for another layout,
// ORA-01850/01851/01852 for a field out of range.
DayToSecond parseDayToSecond(std::string_view text);

// Rounds the fraction to `fractionDigits` and checks the days against
// `leadingDigits` (ORA-01873), as storing into INTERVAL DAY(p) TO SECOND(s) does.
DayToSecond fitDayToSecond(DayToSecond v, int leadingDigits, int fractionDigits);

// "+DD HH:MI:SS.FFFFFF": days to `leadingDigits`, `fractionDigits` of the fraction.
std::string formatDayToSecond(const DayToSecond& v, int leadingDigits, int fractionDigits);

} // namespace orastandin
