#include "datetime.h"

#include "ora_error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>

namespace orastandin {

namespace {

constexpr std::array<const char*, 12> monthNames { "JANUARY", "FEBRUARY", "MARCH", "APRIL", "MAY",
    "JUNE", "JULY", "AUGUST", "SEPTEMBER", "OCTOBER", "NOVEMBER", "DECEMBER" };
constexpr std::array<const char*, 7> dayNames { "SUNDAY", "MONDAY", "TUESDAY", "WEDNESDAY",
    "THURSDAY", "FRIDAY", "SATURDAY" };

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isAlpha(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isAlnum(char c)
{
    return isDigit(c) || isAlpha(c);
}
char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

bool startsWithNoCase(std::string_view text, std::size_t pos, std::string_view word)
{
    if (text.size() - pos < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (upper(text[pos + i]) != upper(word[i]))
            return false;
    }
    return true;
}

[[noreturn]] void literalMismatch()
{
    throwOra(1861, "literal does not match format string");
}

} // namespace

Today Today::now()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    const std::time_t t = ts.tv_sec;
    std::tm tm {};
    localtime_r(&t, &tm);
    const DateTime moment { tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
        std::min(tm.tm_sec, 59), std::uint32_t(ts.tv_nsec / 1000 * 1000) };
    return Today { tm.tm_year + 1900, tm.tm_mon + 1, moment };
}

int daysInMonth(int year, int month)
{
    static constexpr std::array<int, 12> days { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (month == 2) {
        const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    return days[std::size_t(month - 1)];
}

DateFormat DateFormat::parse(std::string_view model)
{
    struct Name {
        std::string_view text;
        Element element;
    };
    // Longest names first, so that "MONTH" wins over "MON" and "MI".
    static constexpr std::array<Name, 26> names { {
        { "SYYYY", Element::Year4 }, { "YYYY", Element::Year4 }, { "RRRR", Element::RoundYear },
        { "YYY", Element::Year3 }, { "YY", Element::Year2 }, { "RR", Element::RoundYear },
        { "Y", Element::Year1 }, { "MONTH", Element::MonthName }, { "MON", Element::MonthAbbr },
        { "MM", Element::Month }, { "DAY", Element::DayName }, { "DY", Element::DayAbbr },
        { "DD", Element::Day }, { "D", Element::WeekDay }, { "HH24", Element::Hour24 },
        { "HH12", Element::Hour12 }, { "HH", Element::Hour12 }, { "MI", Element::Minute },
        { "SS", Element::Second }, { "FF", Element::Fraction }, { "A.M.", Element::Meridian },
        { "P.M.", Element::Meridian }, { "AM", Element::Meridian }, { "PM", Element::Meridian },
        { "X", Element::Radix }, { "FM", Element::Punct }, // FM only changes output padding
    } };
    DateFormat f;
    std::size_t i = 0;
    while (i < model.size()) {
        const char c = model[i];
        if (c == '"') {
            const auto end = model.find('"', i + 1);
            if (end == std::string_view::npos)
                throwOra(1821, "date format not recognized");
            f.m_items.push_back(
                { Element::Literal, std::string(model.substr(i + 1, end - i - 1)) });
            i = end + 1;
            continue;
        }
        if (!isAlnum(c)) {
            f.m_items.push_back({ Element::Punct, std::string(1, c) });
            ++i;
            continue;
        }
        bool found = false;
        for (const Name& n : names) {
            if (!startsWithNoCase(model, i, n.text))
                continue;
            i += n.text.size();
            found = true;
            if (n.text == "FM")
                break;
            Item item { n.element, {}, 0 };
            if (n.element == Element::Fraction && i < model.size() && model[i] >= '1'
                && model[i] <= '9')
                item.width = model[i++] - '0';
            if (n.element == Element::RoundYear)
                item.width = int(n.text.size());
            if (n.element == Element::Meridian)
                item.text = std::string(n.text);
            f.m_items.push_back(item);
            break;
        }
        if (!found)
            throwOra(1821, "date format not recognized");
    }
    return f;
}

bool DateFormat::hasTime() const
{
    for (const Item& i : m_items) {
        if (i.element == Element::Hour12 || i.element == Element::Hour24)
            return true;
    }
    return false;
}

bool DateFormat::hasFraction() const
{
    for (const Item& i : m_items) {
        if (i.element == Element::Fraction)
            return true;
    }
    return false;
}

namespace {

class DateReader {
public:
    DateReader(std::string_view text, const Today& today)
        : m_text(text)
        , m_today(today)
    { }

    DateTime run(const DateFormat& format)
    {
        for (const DateFormat::Item& item : format.items()) {
            if (item.element == DateFormat::Element::Punct
                || item.element == DateFormat::Element::Radix) {
                // Punctuation may differ from the format's, or be left out.
                const std::size_t start = m_pos;
                while (m_pos < m_text.size() && !isAlnum(m_text[m_pos]))
                    ++m_pos;
                m_punctuationMissing = m_pos == start;
                continue;
            }
            skipSeparators();
            if (m_pos >= m_text.size())
                break; // the text may stop after any complete element
            read(item);
            m_punctuationMissing = false;
        }
        skipSeparators();
        if (m_pos < m_text.size())
            throwOra(1830, "date format picture ends before converting entire input string");
        return assemble();
    }

private:
    void skipSeparators()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t'))
            ++m_pos;
    }

    // Up to `width` digits; at least one is needed.
    int digits(int width, int* count = nullptr)
    {
        int value = 0;
        int n = 0;
        while (n < width && m_pos < m_text.size() && isDigit(m_text[m_pos])) {
            value = value * 10 + (m_text[m_pos++] - '0');
            ++n;
        }
        if (n == 0) {
            // A letter where the format has punctuation and then a number
            // (the T of '2024-05-01T10:00') does not match the format; any
            // other character where digits belong is not numeric.
            if (m_punctuationMissing && isAlpha(m_text[m_pos]))
                literalMismatch();
            throwOra(1858, "a non-numeric character was found where a numeric was expected");
        }
        if (count)
            *count = n;
        return value;
    }

    // A month name or its three-letter abbreviation; 0 when neither matches.
    int monthByName()
    {
        for (std::size_t m = 0; m < monthNames.size(); ++m) {
            const std::string_view full = monthNames[m];
            if (startsWithNoCase(m_text, m_pos, full)) {
                m_pos += full.size();
                return int(m) + 1;
            }
        }
        for (std::size_t m = 0; m < monthNames.size(); ++m) {
            const std::string_view abbr = std::string_view(monthNames[m]).substr(0, 3);
            if (startsWithNoCase(m_text, m_pos, abbr)) {
                m_pos += abbr.size();
                return int(m) + 1;
            }
        }
        return 0;
    }

    void dayName()
    {
        for (const std::string_view full : dayNames) {
            if (startsWithNoCase(m_text, m_pos, full)) {
                m_pos += full.size();
                return;
            }
        }
        for (const std::string_view full : dayNames) {
            if (startsWithNoCase(m_text, m_pos, full.substr(0, 3))) {
                m_pos += 3;
                return;
            }
        }
        throwOra(1846, "not a valid day of the week");
    }

    void read(const DateFormat::Item& item)
    {
        using E = DateFormat::Element;
        switch (item.element) {
        case E::Literal:
            if (!startsWithNoCase(m_text, m_pos, item.text))
                literalMismatch();
            m_pos += item.text.size();
            break;
        case E::Year4:
        case E::Year3:
        case E::Year2:
        case E::Year1: {
            int n = 0;
            const int v = digits(4, &n);
            const int wanted = item.element == E::Year4 ? 4
                : item.element == E::Year3              ? 3
                : item.element == E::Year2              ? 2
                                                        : 1;
            if (n > wanted && n == 4) {
                m_year = v; // a four-digit year is always taken as written
            } else if (wanted < 4 && n <= wanted) {
                int scale = 1;
                for (int k = 0; k < n; ++k)
                    scale *= 10;
                m_year = m_today.year - m_today.year % scale + v;
            } else {
                m_year = v;
            }
            m_yearSet = true;
            break;
        }
        case E::RoundYear: {
            int n = 0;
            const int v = digits(4, &n);
            if (n <= 2) {
                const int century = m_today.year - m_today.year % 100;
                const int current = m_today.year % 100;
                if (current < 50)
                    m_year = v < 50 ? century + v : century - 100 + v;
                else
                    m_year = v < 50 ? century + 100 + v : century + v;
            } else {
                m_year = v;
            }
            m_yearSet = true;
            break;
        }
        case E::Month:
            if (m_pos < m_text.size() && isDigit(m_text[m_pos])) {
                m_month = digits(2);
                if (m_month < 1 || m_month > 12)
                    throwOra(1843, "not a valid month");
                break;
            }
            [[fallthrough]];
        case E::MonthAbbr:
        case E::MonthName:
            m_month = monthByName();
            if (m_month == 0)
                throwOra(1843, "not a valid month");
            break;
        case E::Day:
            m_day = digits(2);
            if (m_day < 1 || m_day > 31)
                throwOra(1847, "day of month must be between 1 and last day of month");
            break;
        case E::DayName:
        case E::DayAbbr:
            dayName();
            break;
        case E::WeekDay:
            if (const int d = digits(1); d < 1 || d > 7)
                throwOra(1846, "not a valid day of the week");
            break;
        case E::Hour12:
            m_hour = digits(2);
            if (m_hour < 1 || m_hour > 12)
                throwOra(1849, "hour must be between 1 and 12");
            m_twelveHour = true;
            break;
        case E::Hour24:
            m_hour = digits(2);
            if (m_hour > 23)
                throwOra(1850, "hour must be between 0 and 23");
            break;
        case E::Minute:
            m_minute = digits(2);
            if (m_minute > 59)
                throwOra(1851, "minutes must be between 0 and 59");
            break;
        case E::Second:
            m_second = digits(2);
            if (m_second > 59)
                throwOra(1852, "seconds must be between 0 and 59");
            break;
        case E::Fraction: {
            int n = 0;
            const int width = item.width ? item.width : 9;
            const int v = digits(width, &n);
            std::uint32_t nanos = std::uint32_t(v);
            for (int k = n; k < 9; ++k)
                nanos *= 10;
            m_nanos = nanos;
            break;
        }
        case E::Meridian:
            if (startsWithNoCase(m_text, m_pos, "A.M.")
                || startsWithNoCase(m_text, m_pos, "P.M.")) {
                m_pm = upper(m_text[m_pos]) == 'P';
                m_pos += 4;
            } else if (startsWithNoCase(m_text, m_pos, "AM")
                || startsWithNoCase(m_text, m_pos, "PM")) {
                m_pm = upper(m_text[m_pos]) == 'P';
                m_pos += 2;
            } else {
                throwOra(1855, "AM/A.M. or PM/P.M. required");
            }
            break;
        case E::Punct:
        case E::Radix:
            break;
        }
    }

    DateTime assemble() const
    {
        DateTime dt;
        dt.year = m_yearSet ? m_year : m_today.year;
        if (dt.year == 0 || dt.year > 9999)
            throwOra(1841, "(full) year must be between -4713 and +9999, and not be 0");
        dt.month = m_month ? m_month : m_today.month;
        dt.day = m_day ? m_day : 1;
        if (dt.day > daysInMonth(dt.year, dt.month))
            throwOra(1839, "date not valid for month specified");
        dt.hour = m_hour;
        if (m_twelveHour)
            dt.hour = m_hour % 12 + (m_pm ? 12 : 0);
        dt.minute = m_minute;
        dt.second = m_second;
        dt.nanos = m_nanos;
        return dt;
    }

    std::string_view m_text;
    Today m_today;
    std::size_t m_pos = 0;
    int m_year = 0;
    bool m_yearSet = false;
    int m_month = 0;
    int m_day = 0;
    int m_hour = 0;
    int m_minute = 0;
    int m_second = 0;
    std::uint32_t m_nanos = 0;
    bool m_twelveHour = false;
    bool m_pm = false;
    bool m_punctuationMissing = false; // the last punctuation of the format matched nothing
};

} // namespace

DateTime parseDateTime(std::string_view text, const DateFormat& format, const Today& today)
{
    return DateReader(text, today).run(format);
}

namespace {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// Reads 1 to `most` digits at `pos`; false when there is none.
bool ansiDigits(std::string_view t, std::size_t& pos, int most, int& value, int* count = nullptr)
{
    int n = 0;
    value = 0;
    while (n < most && pos < t.size() && isDigit(t[pos])) {
        value = value * 10 + (t[pos++] - '0');
        ++n;
    }
    if (count)
        *count = n;
    return n > 0;
}

bool ansiSymbol(std::string_view t, std::size_t& pos, char c)
{
    if (pos >= t.size() || t[pos] != c)
        return false;
    ++pos;
    return true;
}

} // namespace

DateTime parseAnsiLiteral(std::string_view text, bool withTime)
{
    std::size_t pos = 0;
    auto blanks = [&] {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            ++pos;
    };
    DateTime dt;
    blanks();
    // The layout is fixed; fields may leave out leading zeros.
    if (!ansiDigits(text, pos, 4, dt.year) || !ansiSymbol(text, pos, '-')
        || !ansiDigits(text, pos, 2, dt.month) || !ansiSymbol(text, pos, '-')
        || !ansiDigits(text, pos, 2, dt.day))
        literalMismatch();
    int fraction = 0;
    int fractionDigits = 0;
    if (withTime) {
        const std::size_t before = pos;
        blanks();
        if (pos == before || !ansiDigits(text, pos, 2, dt.hour) || !ansiSymbol(text, pos, ':')
            || !ansiDigits(text, pos, 2, dt.minute) || !ansiSymbol(text, pos, ':')
            || !ansiDigits(text, pos, 2, dt.second))
            literalMismatch();
        if (ansiSymbol(text, pos, '.') && !ansiDigits(text, pos, 9, fraction, &fractionDigits))
            literalMismatch();
    }
    blanks();
    if (pos != text.size())
        literalMismatch();
    if (dt.year == 0)
        throwOra(1841, "(full) year must be between -4713 and +9999, and not be 0");
    if (dt.month < 1 || dt.month > 12)
        throwOra(1843, "not a valid month");
    if (dt.day < 1 || dt.day > daysInMonth(dt.year, dt.month))
        throwOra(1847, "day of month must be between 1 and last day of month");
    if (dt.hour > 23)
        throwOra(1850, "hour must be between 0 and 23");
    if (dt.minute > 59)
        throwOra(1851, "minutes must be between 0 and 59");
    if (dt.second > 59)
        throwOra(1852, "seconds must be between 0 and 59");
    std::uint32_t nanos = std::uint32_t(fraction);
    for (int k = fractionDigits; k < 9; ++k)
        nanos *= 10;
    dt.nanos = nanos;
    return dt;
}

DateTime roundFraction(DateTime dt, int digits)
{
    std::uint32_t unit = 1;
    for (int k = digits; k < 9; ++k)
        unit *= 10;
    const std::uint32_t rest = dt.nanos % unit;
    dt.nanos -= rest;
    if (rest * 2 < unit)
        return dt;
    dt.nanos += unit;
    if (dt.nanos < 1000000000u)
        return dt;
    // A whole second more, carried as far as it goes.
    dt.nanos -= 1000000000u;
    if (++dt.second < 60)
        return dt;
    dt.second = 0;
    if (++dt.minute < 60)
        return dt;
    dt.minute = 0;
    if (++dt.hour < 24)
        return dt;
    dt.hour = 0;
    if (++dt.day <= daysInMonth(dt.year, dt.month))
        return dt;
    dt.day = 1;
    if (++dt.month <= 12)
        return dt;
    dt.month = 1;
    if (++dt.year > 9999)
        throwOra(1841, "(full) year must be between -4713 and +9999, and not be 0");
    return dt;
}

std::string formatDateTime(const DateTime& dt, const DateFormat& format, int fractionDigits)
{
    using E = DateFormat::Element;
    std::string out;
    auto number = [&](int value, int width) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", width, value);
        out += buf;
    };
    auto padded = [&](std::string_view name) {
        out += name;
        out.append(9 - name.size(), ' '); // the longest name's width, as without FM
    };
    const int weekday = int((daysFromCivil(dt.year, dt.month, dt.day) % 7 + 11) % 7); // 0 = Sunday
    for (const DateFormat::Item& item : format.items()) {
        switch (item.element) {
        case E::Punct:
        case E::Literal:
            out += item.text;
            break;
        case E::Year4:
            number(dt.year, 4);
            break;
        case E::Year3:
            number(dt.year % 1000, 3);
            break;
        case E::Year2:
            number(dt.year % 100, 2);
            break;
        case E::Year1:
            number(dt.year % 10, 1);
            break;
        case E::RoundYear:
            if (item.width == 4)
                number(dt.year, 4);
            else
                number(dt.year % 100, 2);
            break;
        case E::Month:
            number(dt.month, 2);
            break;
        case E::MonthAbbr:
            out += std::string_view(monthNames[std::size_t(dt.month - 1)]).substr(0, 3);
            break;
        case E::MonthName:
            padded(monthNames[std::size_t(dt.month - 1)]);
            break;
        case E::Day:
            number(dt.day, 2);
            break;
        case E::DayName:
            padded(dayNames[std::size_t(weekday)]);
            break;
        case E::DayAbbr:
            out += std::string_view(dayNames[std::size_t(weekday)]).substr(0, 3);
            break;
        case E::WeekDay:
            number(weekday + 1, 1);
            break;
        case E::Hour12:
            number(dt.hour % 12 == 0 ? 12 : dt.hour % 12, 2);
            break;
        case E::Hour24:
            number(dt.hour, 2);
            break;
        case E::Minute:
            number(dt.minute, 2);
            break;
        case E::Second:
            number(dt.second, 2);
            break;
        case E::Fraction: {
            const int width = item.width ? item.width : fractionDigits;
            char frac[16];
            std::snprintf(frac, sizeof frac, "%09u", unsigned(dt.nanos));
            out.append(frac, std::size_t(width));
            break;
        }
        case E::Meridian:
            if (item.text.size() == 4)
                out += dt.hour < 12 ? "A.M." : "P.M.";
            else
                out += dt.hour < 12 ? "AM" : "PM";
            break;
        case E::Radix:
            out += '.';
            break;
        }
    }
    return out;
}

std::string formatCanonical(const DateTime& dt, int fractionDigits)
{
    // Every date stored passes here: digits by hand, not through printf.
    const int fraction = fractionDigits > 9 ? 9 : fractionDigits;
    std::string out(fraction > 0 ? 20 + std::size_t(fraction) : 19, ' ');
    auto put = [&](std::size_t at, unsigned value, int width) {
        for (int k = width - 1; k >= 0; --k) {
            out[at + std::size_t(k)] = char('0' + value % 10);
            value /= 10;
        }
    };
    put(0, unsigned(dt.year), 4);
    out[4] = '-';
    put(5, unsigned(dt.month), 2);
    out[7] = '-';
    put(8, unsigned(dt.day), 2);
    put(11, unsigned(dt.hour), 2);
    out[13] = ':';
    put(14, unsigned(dt.minute), 2);
    out[16] = ':';
    put(17, unsigned(dt.second), 2);
    if (fraction > 0) {
        out[19] = '.';
        unsigned nanos = dt.nanos;
        for (int k = fraction; k < 9; ++k)
            nanos /= 10;
        put(20, nanos, fraction);
    }
    return out;
}

namespace {

// Reads `count` digits at `at`; false when one is not a digit.
bool digitsAt(std::string_view text, std::size_t at, std::size_t count, unsigned& value)
{
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + unsigned(text[i] - '0');
    }
    return true;
}

// The exact layout formatCanonical writes, "YYYY-MM-DD[ HH:MM:SS[.f...]]",
// read without sscanf: every fetch of a date or timestamp cell comes here.
// Answers false, touching nothing, for any other layout.
bool parseExactCanonical(std::string_view text, unsigned (&parts)[6], std::string_view& fraction)
{
    parts[3] = parts[4] = parts[5] = 0;
    fraction = {};
    if (text.size() < 10 || text[4] != '-' || text[7] != '-' || !digitsAt(text, 0, 4, parts[0])
        || !digitsAt(text, 5, 2, parts[1]) || !digitsAt(text, 8, 2, parts[2]))
        return false;
    if (text.size() == 10)
        return true;
    if (text.size() < 19 || text[10] != ' ' || text[13] != ':' || text[16] != ':'
        || !digitsAt(text, 11, 2, parts[3]) || !digitsAt(text, 14, 2, parts[4])
        || !digitsAt(text, 17, 2, parts[5]))
        return false;
    if (text.size() == 19)
        return true;
    fraction = text.substr(20);
    unsigned ignored = 0;
    return text[19] == '.' && !fraction.empty() && fraction.size() <= 9
        && digitsAt(fraction, 0, fraction.size(), ignored);
}

} // namespace

bool parseCanonical(std::string_view text, DateTime& dt)
{
    unsigned parts[6];
    std::string_view fraction;
    if (parseExactCanonical(text, parts, fraction)) {
        const auto [y, mo, d, h, mi, s] = parts;
        if (mo < 1 || mo > 12 || d < 1 || int(d) > daysInMonth(int(y), int(mo)) || h > 23 || mi > 59
            || s > 59)
            return false;
        dt = DateTime { int(y), int(mo), int(d), int(h), int(mi), int(s), 0 };
        unsigned nanos = 0;
        for (std::size_t i = 0; i < 9; ++i)
            nanos = nanos * 10 + (i < fraction.size() ? unsigned(fraction[i] - '0') : 0);
        dt.nanos = std::uint32_t(nanos);
        return true;
    }
    unsigned y, mo, d, h = 0, mi = 0, s = 0;
    char frac[16] = {};
    const std::string copy(text);
    const int n = std::sscanf(
        copy.c_str(), "%4u-%2u-%2u %2u:%2u:%2u.%9[0-9]", &y, &mo, &d, &h, &mi, &s, frac);
    if (n < 3 || mo < 1 || mo > 12 || d < 1 || int(d) > daysInMonth(int(y), int(mo)) || h > 23
        || mi > 59 || s > 59)
        return false;
    dt = DateTime { int(y), int(mo), int(d), int(h), int(mi), int(s), 0 };
    if (n == 7) {
        std::string digits(frac);
        digits.resize(9, '0');
        dt.nanos = std::uint32_t(std::stoul(digits));
    }
    return true;
}

} // namespace orastandin
