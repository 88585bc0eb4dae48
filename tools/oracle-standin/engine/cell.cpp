#include "cell.h"

#include <charconv>
#include <cmath>

namespace orastandin {

std::string toHex(const std::string& bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 0x0f];
    }
    return out;
}

std::string realToText(double v, bool singlePrecision)
{
    if (std::isnan(v))
        return "Nan";
    if (std::isinf(v))
        return v < 0 ? "-Inf" : "Inf";
    char buf[64];
    const auto r = singlePrecision ? std::to_chars(buf, buf + sizeof buf, float(v))
                                   : std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string displayText(const Cell& cell, const ColumnType& type)
{
    switch (cell.kind) {
    case Cell::Kind::Null:
        return {};
    case Cell::Kind::Text:
    case Cell::Kind::Number:
        return cell.text;
    case Cell::Kind::Real:
        return realToText(cell.real, type.kind == TypeKind::BinaryFloat);
    case Cell::Kind::Binary:
        return toHex(cell.text);
    case Cell::Kind::DateTime:
        return formatCanonical(cell.dateTime, type.kind == TypeKind::Timestamp ? type.scale : 0);
    }
    return {};
}

} // namespace orastandin
