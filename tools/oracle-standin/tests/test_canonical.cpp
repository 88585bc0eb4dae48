// The canonical date text that cells are stored in, read back at every fetch
// of a date or timestamp. The common layout has a quick reader of its own;
// both it and the general one must agree with what formatCanonical writes.
//
// Plain C++: it drives the engine's date code directly.

#include "datetime.h"

#include <cstdio>
#include <string>

using namespace orastandin;

namespace {

int failures = 0;

void expect(bool ok, const std::string& what)
{
    if (!ok) {
        ++failures;
        std::printf("FAIL: %s\n", what.c_str());
    }
}

bool same(const DateTime& a, const DateTime& b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour
        && a.minute == b.minute && a.second == b.second && a.nanos == b.nanos;
}

void reads(const char* text, const DateTime& want)
{
    DateTime got { 1, 1, 1, 0, 0, 0, 0 };
    expect(parseCanonical(text, got) && same(got, want), std::string("reads ") + text);
}

void refuses(const char* text)
{
    DateTime got {};
    expect(!parseCanonical(text, got), std::string("refuses ") + text);
}

} // namespace

int main()
{
    // The layouts formatCanonical writes, with every fraction length.
    reads("2024-02-29", { 2024, 2, 29, 0, 0, 0, 0 });
    reads("2024-02-29 13:14:15", { 2024, 2, 29, 13, 14, 15, 0 });
    reads("2024-02-29 13:14:15.5", { 2024, 2, 29, 13, 14, 15, 500000000 });
    reads("0001-01-01 00:00:00.000000001", { 1, 1, 1, 0, 0, 0, 1 });
    reads("9999-12-31 23:59:59.123456789", { 9999, 12, 31, 23, 59, 59, 123456789 });

    // Round trips of what the engine itself writes.
    for (int fractionDigits = 0; fractionDigits <= 9; ++fractionDigits) {
        const DateTime dt { 1999, 12, 31, 23, 59, 58, 987654321 };
        DateTime back {};
        const std::string text = formatCanonical(dt, fractionDigits);
        expect(parseCanonical(text, back), "round trip " + text);
        std::uint32_t nanos = 0;
        for (int i = 0; i < 9; ++i)
            nanos = nanos * 10 + (i < fractionDigits ? std::uint32_t(text[20 + i] - '0') : 0);
        expect(back.second == 58 && back.nanos == nanos, "fraction of " + text);
    }

    // Other spellings still go through the general reader.
    reads("2020-01-02 10", { 2020, 1, 2, 10, 0, 0, 0 });
    reads(" 2020-01-02", { 2020, 1, 2, 0, 0, 0, 0 });
    reads("2020-1-2", { 2020, 1, 2, 0, 0, 0, 0 });

    // Impossible dates and times are refused on either path.
    refuses("2023-02-29");
    refuses("2024-13-01");
    refuses("2024-00-10");
    refuses("2024-04-31 00:00:00");
    refuses("2024-01-01 24:00:00");
    refuses("2024-01-01 23:60:00");
    refuses("2024-01-01 23:59:60");
    refuses("");
    refuses("not a date");

    std::printf("%s: %d failure(s)\n", failures ? "FAILED" : "passed", failures);
    return failures ? 1 : 0;
}
