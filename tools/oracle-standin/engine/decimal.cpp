#include "decimal.h"

#include <cstdlib>

namespace orastandin {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<Decimal> Decimal::parse(std::string_view text, char decimalChar)
{
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && isBlank(text[i]))
        ++i;
    while (end > i && isBlank(text[end - 1]))
        --end;
    if (i == end)
        return std::nullopt;
    Decimal d;
    if (text[i] == '+' || text[i] == '-') {
        d.m_negative = text[i] == '-';
        ++i;
    }
    bool anyDigit = false;
    int fractionDigits = 0;
    bool inFraction = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            anyDigit = true;
            d.m_digits += c;
            if (inFraction)
                ++fractionDigits;
        } else if (c == decimalChar && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    long exponent = 0;
    if (i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negative = false;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            ++i;
        }
        if (i == end || !isDigit(text[i]))
            return std::nullopt;
        for (; i < end && isDigit(text[i]); ++i) {
            // Anything this large is out of NUMBER's range either way.
            if (exponent < 100000)
                exponent = exponent * 10 + (text[i] - '0');
        }
        if (negative)
            exponent = -exponent;
    }
    if (i != end)
        return std::nullopt;
    d.m_exponent = int(exponent) - fractionDigits;
    d.normalize();
    return d;
}

void Decimal::normalize()
{
    std::size_t lead = 0;
    while (lead < m_digits.size() && m_digits[lead] == '0')
        ++lead;
    m_digits.erase(0, lead);
    while (!m_digits.empty() && m_digits.back() == '0') {
        m_digits.pop_back();
        ++m_exponent;
    }
    if (m_digits.empty()) {
        m_negative = false;
        m_exponent = 0;
    }
}

int Decimal::integerDigits() const
{
    if (isZero())
        return 0;
    const int n = int(m_digits.size()) + m_exponent;
    return n > 0 ? n : 0;
}

int Decimal::leadingPower() const
{
    return isZero() ? 0 : m_exponent + int(m_digits.size()) - 1;
}

void Decimal::roundToScale(int scale)
{
    if (isZero() || m_exponent >= -scale)
        return;
    // Keep the digits at positions >= 10^-scale.
    const int drop = -scale - m_exponent;
    if (drop > int(m_digits.size())) {
        m_digits.clear();
        normalize();
        return;
    }
    const bool up = m_digits[m_digits.size() - drop] >= '5';
    m_digits.resize(m_digits.size() - drop);
    m_exponent += drop;
    if (up) {
        int i = int(m_digits.size()) - 1;
        for (; i >= 0; --i) {
            if (m_digits[i] == '9') {
                m_digits[i] = '0';
            } else {
                ++m_digits[i];
                break;
            }
        }
        if (i < 0)
            m_digits.insert(m_digits.begin(), '1');
    }
    normalize();
}

void Decimal::roundToSignificant(int digits)
{
    if (int(m_digits.size()) <= digits)
        return;
    // Position of the last kept digit as a power of ten.
    const int lastKept = m_exponent + int(m_digits.size()) - digits;
    roundToScale(-lastKept);
}

std::string Decimal::toString(char decimalChar) const
{
    if (isZero())
        return "0";
    std::string out = m_negative ? "-" : "";
    const int n = int(m_digits.size());
    if (m_exponent >= 0) {
        out += m_digits;
        out.append(std::size_t(m_exponent), '0');
    } else if (-m_exponent >= n) {
        out += '0';
        out += decimalChar;
        out.append(std::size_t(-m_exponent - n), '0');
        out += m_digits;
    } else {
        out += m_digits.substr(0, std::size_t(n + m_exponent));
        out += decimalChar;
        out += m_digits.substr(std::size_t(n + m_exponent));
    }
    return out;
}

double Decimal::toDouble() const
{
    std::string s = m_negative ? "-" : "";
    s += m_digits.empty() ? "0" : m_digits;
    s += "e" + std::to_string(m_exponent);
    return std::strtod(s.c_str(), nullptr);
}

} // namespace orastandin
