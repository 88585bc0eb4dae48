// Keys whose bytes sort as Oracle orders values under NLS_SORT=BINARY, so
// that SQLite can sort rows of any type by one BLOB column.

#include "expression.h"
#include "interval.h"
#include "value_ops.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace orastandin {

namespace {

// Bytes of any length, kept in order and told apart from what follows:
// 0x00 becomes 0x00 0xFF, and 0x00 0x00 ends the value.
void appendBytes(std::string& key, const std::string& bytes)
{
    for (const char c : bytes) {
        key += c;
        if (c == '\0')
            key += '\xFF';
    }
    key += '\0';
    key += '\0';
}

void appendBigEndian(std::string& key, std::uint64_t v)
{
    for (int shift = 56; shift >= 0; shift -= 8)
        key += char((v >> shift) & 0xFF);
}

// A canonical decimal: sign class, then for non-zero numbers the power of
// ten of the leading digit and the digits, all inverted for negative ones.
void appendNumber(std::string& key, const std::string& text)
{
    const bool negative = !text.empty() && text[0] == '-';
    std::string digits;
    int power = 0;
    bool seenDot = false, seenDigit = false;
    int wholeDigits = 0, leadingFractionZeros = 0;
    for (std::size_t i = negative ? 1 : 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.') {
            seenDot = true;
            continue;
        }
        if (!seenDigit && c == '0') {
            if (seenDot)
                ++leadingFractionZeros;
            continue;
        }
        seenDigit = true;
        if (!seenDot)
            ++wholeDigits;
        digits += c;
    }
    while (!digits.empty() && digits.back() == '0')
        digits.pop_back();
    if (digits.empty()) {
        key += '\x02';
        return;
    }
    power = wholeDigits > 0 ? wholeDigits - 1 : -(leadingFractionZeros + 1);
    std::string body;
    const std::uint16_t biased = std::uint16_t(power + 1000);
    body += char(biased >> 8);
    body += char(biased & 0xFF);
    body += digits; // '1'..'9' and '0' inside, all above the end byte
    body += '\0';
    if (negative) {
        for (char& c : body)
            c = char(~static_cast<unsigned char>(c));
    }
    key += negative ? '\x01' : '\x03';
    key += body;
}

void appendReal(std::string& key, double d)
{
    if (d == 0)
        d = 0;
    if (std::isnan(d))
        d = std::nan(""); // one NaN, above +Inf
    std::uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    bits = (bits & 0x8000000000000000ULL) ? ~bits : bits | 0x8000000000000000ULL;
    appendBigEndian(key, bits);
}

void appendInterval(std::string& key, const std::string& text)
{
    const DayToSecond v = parseDayToSecond(text);
    const long long seconds = (v.hours * 60LL + v.minutes) * 60LL + v.seconds;
    // Days, seconds and nanoseconds as one signed count, offset to sort as unsigned.
    const __int128 total
        = ((__int128(v.days) * 86400 + seconds) * 1000000000 + v.nanos) * (v.negative ? -1 : 1);
    const unsigned __int128 u = (unsigned __int128)total ^ ((unsigned __int128)1 << 127);
    appendBigEndian(key, std::uint64_t(u >> 64));
    appendBigEndian(key, std::uint64_t(u));
}

} // namespace

void appendSortKey(std::string& key, const Value& v, bool descending, bool nullsFirst)
{
    if (familyOf(v.type) == Family::Lob)
        inconsistentTypes(varchar2Type(0), v.type);
    if (v.isNull()) {
        key += nullsFirst ? '\x00' : '\x02';
        return;
    }
    key += '\x01';
    const std::size_t start = key.size();
    switch (v.cell.kind) {
    case Cell::Kind::Number:
        appendNumber(key, v.cell.text);
        break;
    case Cell::Kind::Real:
        appendReal(key, v.cell.real);
        break;
    case Cell::Kind::DateTime:
        key += formatCanonical(v.cell.dateTime, 9);
        break;
    case Cell::Kind::Text:
        if (v.type.isInterval())
            appendInterval(key, v.cell.text);
        else
            appendBytes(key, v.cell.text);
        break;
    case Cell::Kind::Binary:
        appendBytes(key, v.cell.text);
        break;
    case Cell::Kind::Null:
        break;
    }
    if (descending) {
        for (std::size_t i = start; i < key.size(); ++i)
            key[i] = char(~static_cast<unsigned char>(key[i]));
    }
}

} // namespace orastandin
