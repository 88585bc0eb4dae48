#include "utf.h"

namespace orastandin::odbc {

namespace {

constexpr char32_t replacement = 0xFFFD;

// Writes the UTF-8 form of `cp` at `to`; answers the end. The caller has
// made room: at most four bytes per code point.
char* putUtf8(char* to, char32_t cp)
{
    if (cp < 0x80) {
        *to++ = char(cp);
    } else if (cp < 0x800) {
        *to++ = char(0xC0 | (cp >> 6));
        *to++ = char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *to++ = char(0xE0 | (cp >> 12));
        *to++ = char(0x80 | ((cp >> 6) & 0x3F));
        *to++ = char(0x80 | (cp & 0x3F));
    } else {
        *to++ = char(0xF0 | (cp >> 18));
        *to++ = char(0x80 | ((cp >> 12) & 0x3F));
        *to++ = char(0x80 | ((cp >> 6) & 0x3F));
        *to++ = char(0x80 | (cp & 0x3F));
    }
    return to;
}

} // namespace

std::string toUtf8(const SQLWCHAR* text, SQLLEN length)
{
    std::string out;
    if (!text)
        return out;
    if (length == SQL_NTS) {
        length = 0;
        while (text[length])
            ++length;
    }
    if (length < 0)
        return out;
    // Every statement a program sends passes here: write into room made
    // once (three bytes per unit at most: a pair of units makes four).
    out.resize(std::size_t(length) * 3);
    char* to = out.data();
    for (SQLLEN i = 0; i < length; ++i) {
        const char32_t u = text[i];
        if (u < 0x80) {
            *to++ = char(u);
        } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00
            && text[i + 1] <= 0xDFFF) {
            to = putUtf8(to, 0x10000 + ((u - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            to = putUtf8(to, replacement);
        } else {
            to = putUtf8(to, u);
        }
    }
    out.resize(std::size_t(to - out.data()));
    return out;
}

std::u16string toUtf16(std::string_view s)
{
    // Never more units than bytes: write into room made once, as every
    // fetched text in SQL_C_WCHAR passes here.
    std::u16string out(s.size(), u'\0');
    char16_t* to = out.data();
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i];
        char32_t cp = replacement;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
        } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
            len = 4;
        }
        if (len > 1) {
            bool ok = i + len <= s.size();
            char32_t v = c & (0x7F >> len);
            for (std::size_t k = 1; ok && k < len; ++k) {
                const unsigned char cc = s[i + k];
                ok = (cc & 0xC0) == 0x80;
                v = (v << 6) | (cc & 0x3F);
            }
            // Overlong forms and surrogates are malformed too.
            const char32_t minimum = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
            if (ok && v >= minimum && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
                cp = v;
            } else {
                cp = replacement;
                len = 1;
            }
        }
        if (cp >= 0x10000) {
            *to++ = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            *to++ = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            *to++ = char16_t(cp);
        }
        i += len;
    }
    out.resize(std::size_t(to - out.data()));
    return out;
}

std::string narrowArg(const SQLCHAR* text, SQLLEN length)
{
    if (!text)
        return {};
    const char* p = reinterpret_cast<const char*>(text);
    if (length == SQL_NTS)
        return std::string(p);
    return length > 0 ? std::string(p, std::size_t(length)) : std::string();
}

} // namespace orastandin::odbc
