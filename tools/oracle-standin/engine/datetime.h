#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orastandin {

struct DateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    std::uint32_t nanos = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
};

// The date the conversions take their defaults from: a missing year or
// month is the current one, and RR picks its century from the current year.
// `moment` is the clock as SYSDATE and SYSTIMESTAMP read it, in the
// machine's time zone, to the microsecond as Oracle's clock on Linux.
struct Today {
    int year = 2000;
    int month = 1;
    DateTime moment { 2000, 1, 1, 0, 0, 0, 0 };
    static Today now();
};

// A parsed datetime format model such as 'DD-MON-RR HH.MI.SSXFF AM'.
class DateFormat {
public:
    enum class Element {
        Punct,
        Literal,
        Year4,
        Year3,
        Year2,
        Year1,
        RoundYear,
        Month,
        MonthAbbr,
        MonthName,
        Day,
        DayName,
        DayAbbr,
        WeekDay,
        Hour12,
        Hour24,
        Minute,
        Second,
        Fraction,
        Meridian,
        Radix,
    };
    struct Item {
        Element element;
        std::string text; // Literal: the text to match; Meridian: as written (AM, A.M.)
        int width = 0; // Fraction: FFn digits (0 = up to 9); RoundYear: 2 or 4
    };

    // Throws ORA-01821 for elements Oracle would not recognize.
    static DateFormat parse(std::string_view model);
    const std::vector<Item>& items() const { return m_items; }
    bool hasTime() const;
    bool hasFraction() const;

private:
    std::vector<Item> m_items;
};

// Oracle's lenient string-to-date conversion (TO_DATE / TO_TIMESTAMP with
// the session's format). Throws the ORA errors Oracle gives.
DateTime parseDateTime(std::string_view text, const DateFormat& format, const Today& today);

// An ANSI literal: DATE 'YYYY-MM-DD' or, with `withTime`, TIMESTAMP
// 'YYYY-MM-DD HH24:MI:SS[.FF]'. Throws ORA-01861 for another layout and the
// range errors Oracle gives for the fields.
DateTime parseAnsiLiteral(std::string_view text, bool withTime);

// Rounds the fraction to `digits` (0 to 9) decimal places, carrying into
// the seconds and on; ORA-01841 past the year 9999.
DateTime roundFraction(DateTime dt, int digits);

// The value written out with a format model, as TO_CHAR does; FF without
// a width shows `fractionDigits` digits.
std::string formatDateTime(const DateTime& dt, const DateFormat& format, int fractionDigits);

// "YYYY-MM-DD HH:MM:SS" and, when fractionDigits > 0, ".fff..." (ODBC's form).
std::string formatCanonical(const DateTime& dt, int fractionDigits);
// Reads the form written by formatCanonical (any fraction length).
bool parseCanonical(std::string_view text, DateTime& dt);

int daysInMonth(int year, int month);

} // namespace orastandin
