#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orastandin {

// An exact decimal number as Oracle's NUMBER keeps it: sign, significant
// digits and a power of ten. value = digits * 10^exponent.
class Decimal {
public:
    Decimal() = default;

    // Oracle's implicit text-to-number conversion: surrounding blanks, an
    // optional sign, digits with `decimalChar` as the radix, an optional
    // exponent. Returns nothing when the text is not a number (ORA-01722).
    static std::optional<Decimal> parse(std::string_view text, char decimalChar = '.');

    bool isZero() const { return m_digits.empty(); }
    bool isNegative() const { return m_negative; }

    // Rounds half away from zero so that no digit is left below 10^-scale.
    void roundToScale(int scale);
    // Rounds half away from zero to at most `digits` significant digits.
    void roundToSignificant(int digits);
    // Number of digits before the decimal point (0 for |x| < 1).
    int integerDigits() const;
    // Power of ten of the leading digit (2 for 345.6, -2 for 0.01); 0 for zero.
    int leadingPower() const;

    // Plain positional text, "-12.5", "0.001", "0"; `decimalChar` as radix.
    std::string toString(char decimalChar = '.') const;
    double toDouble() const;

private:
    void normalize();

    bool m_negative = false;
    std::string m_digits; // no leading or trailing zeros; empty means zero
    int m_exponent = 0;
};

} // namespace orastandin
