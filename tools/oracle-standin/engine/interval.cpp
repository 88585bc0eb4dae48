#include "interval.h"

#include "ora_error.h"

#include <cstdio>

namespace orastandin {

namespace {

[[noreturn]] void invalidInterval()
{
    throwOra(1867, "the interval is invalid");
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One or more digits, at most `most`; ORA-01867 when there is none.
long long field(std::string_view t, std::size_t& pos, int most, int* count = nullptr)
{
    long long value = 0;
    int n = 0;
    while (pos < t.size() && isDigit(t[pos])) {
        if (++n > most)
            invalidInterval();
        value = value * 10 + (t[pos++] - '0');
    }
    if (n == 0)
        invalidInterval();
    if (count)
        *count = n;
    return value;
}

void expect(std::string_view t, std::size_t& pos, char c)
{
    if (pos >= t.size() || t[pos] != c)
        invalidInterval();
    ++pos;
}

} // namespace

DayToSecond parseDayToSecond(std::string_view text)
{
    std::size_t pos = 0;
    auto blanks = [&] {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
    };
    DayToSecond v;
    blanks();
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        v.negative = text[pos++] == '-';
    v.days = field(text, pos, 9);
    const std::size_t before = pos;
    blanks();
    if (pos == before)
        invalidInterval();
    v.hours = int(field(text, pos, 2));
    expect(text, pos, ':');
    v.minutes = int(field(text, pos, 2));
    expect(text, pos, ':');
    v.seconds = int(field(text, pos, 2));
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        int digits = 0;
        v.nanos = std::uint32_t(field(text, pos, 9, &digits));
        for (; digits < 9; ++digits)
            v.nanos *= 10;
    }
    blanks();
    if (pos != text.size())
        invalidInterval();
    if (v.hours > 23)
        throwOra(1850, "hour must be between 0 and 23");
    if (v.minutes > 59)
        throwOra(1851, "minutes must be between 0 and 59");
    if (v.seconds > 59)
        throwOra(1852, "seconds must be between 0 and 59");
    return v;
}

DayToSecond fitDayToSecond(DayToSecond v, int leadingDigits, int fractionDigits)
{
    std::uint32_t unit = 1;
    for (int k = fractionDigits; k < 9; ++k)
        unit *= 10;
    const std::uint32_t rest = v.nanos % unit;
    v.nanos -= rest;
    if (rest * 2 >= unit) {
        // Half a unit or more rounds away from zero, carrying on into the days.
        v.nanos += unit;
        if (v.nanos >= 1000000000u) {
            v.nanos -= 1000000000u;
            if (++v.seconds == 60) {
                v.seconds = 0;
                if (++v.minutes == 60) {
                    v.minutes = 0;
                    if (++v.hours == 24) {
                        v.hours = 0;
                        ++v.days;
                    }
                }
            }
        }
    }
    long long limit = 1;
    for (int k = 0; k < leadingDigits; ++k)
        limit *= 10;
    if (v.days >= limit)
        throwOra(1873, "the leading precision of the interval is too small");
    if (v.days == 0 && v.hours == 0 && v.minutes == 0 && v.seconds == 0 && v.nanos == 0)
        v.negative = false;
    return v;
}

std::string formatDayToSecond(const DayToSecond& v, int leadingDigits, int fractionDigits)
{
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "%c%0*lld %02d:%02d:%02d", v.negative ? '-' : '+',
        leadingDigits > 0 ? leadingDigits : 1, v.days, v.hours, v.minutes, v.seconds);
    std::string out(buf, std::size_t(n));
    if (fractionDigits > 0) {
        char frac[16];
        std::snprintf(frac, sizeof frac, "%09u", unsigned(v.nanos));
        out += '.';
        out.append(frac, std::size_t(fractionDigits > 9 ? 9 : fractionDigits));
    }
    return out;
}

} // namespace orastandin
