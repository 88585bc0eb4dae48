#include "odbc/utf8.h"

namespace tw::odbc {

void appendUtf8(QByteArray& out, const QString& text)
{
    const qsizetype start = out.size();
    // At most three bytes per UTF-16 unit (a surrogate pair: four for two).
    out.resize(start + text.size() * 3);
    auto* to = reinterpret_cast<unsigned char*>(out.data() + start);
    const auto* from = reinterpret_cast<const char16_t*>(text.utf16());
    const char16_t* const end = from + text.size();
    while (from < end) {
        char32_t c = *from++;
        if (c < 0x80) {
            *to++ = static_cast<unsigned char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && from < end && *from >= 0xDC00 && *from <= 0xDFFF)
                c = 0x10000 + ((c - 0xD800) << 10) + (*from++ - 0xDC00);
            else
                c = 0xFFFD;
        }
        if (c < 0x800) {
            *to++ = static_cast<unsigned char>(0xC0 | (c >> 6));
        } else if (c < 0x10000) {
            *to++ = static_cast<unsigned char>(0xE0 | (c >> 12));
            *to++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        } else {
            *to++ = static_cast<unsigned char>(0xF0 | (c >> 18));
            *to++ = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F));
            *to++ = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F));
        }
        *to++ = static_cast<unsigned char>(0x80 | (c & 0x3F));
    }
    out.resize(reinterpret_cast<char*>(to) - out.data());
}

} // namespace tw::odbc
