#include "text_out.h"

#include "utf.h"

#include <cstring>

namespace orastandin::odbc {

SQLLEN writeText(const std::string& utf8, const TextTarget& target, bool& truncated)
{
    truncated = false;
    if (target.wide) {
        const std::u16string text = toUtf16(utf8);
        const SQLLEN units = SQLLEN(text.size());
        const SQLLEN capacity = target.lengthInBytes
            ? target.bufferLength / SQLLEN(sizeof(SQLWCHAR))
            : target.bufferLength;
        if (target.buffer && capacity > 0) {
            SQLLEN n = units < capacity ? units : capacity - 1;
            // Never leave half of a surrogate pair at the end.
            if (n < units && n > 0 && text[std::size_t(n - 1)] >= 0xD800
                && text[std::size_t(n - 1)] <= 0xDBFF)
                --n;
            auto* out = static_cast<SQLWCHAR*>(target.buffer);
            for (SQLLEN i = 0; i < n; ++i)
                out[i] = SQLWCHAR(text[std::size_t(i)]);
            out[n] = 0;
        }
        truncated = target.buffer && units >= capacity;
        return target.lengthInBytes ? units * SQLLEN(sizeof(SQLWCHAR)) : units;
    }
    const SQLLEN bytes = SQLLEN(utf8.size());
    const SQLLEN capacity = target.bufferLength;
    if (target.buffer && capacity > 0) {
        SQLLEN n = bytes < capacity ? bytes : capacity - 1;
        // Back up to the start of a UTF-8 sequence.
        while (
            n < bytes && n > 0 && (static_cast<unsigned char>(utf8[std::size_t(n)]) & 0xC0) == 0x80)
            --n;
        std::memcpy(target.buffer, utf8.data(), std::size_t(n));
        static_cast<char*>(target.buffer)[n] = 0;
    }
    truncated = target.buffer && bytes >= capacity;
    return bytes;
}

} // namespace orastandin::odbc
