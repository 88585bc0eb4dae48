// Statement parts written back as Oracle's data dictionary shows them.

#include "statement.h"

namespace orastandin {

namespace {

std::string quoted(const std::string& s)
{
    std::string out = "'";
    for (const char c : s) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out + "'";
}

} // namespace

std::string defaultText(const Literal& d)
{
    switch (d.kind) {
    case Literal::Kind::Null:
    case Literal::Kind::Default:
        return "NULL";
    case Literal::Kind::String:
        return quoted(d.text);
    case Literal::Kind::Number:
        return d.text;
    case Literal::Kind::Date:
        return "DATE " + quoted(d.text);
    case Literal::Kind::Timestamp:
        return "TIMESTAMP " + quoted(d.text);
    case Literal::Kind::Interval:
        return "INTERVAL " + quoted(d.text) + " DAY(" + std::to_string(d.leadingPrecision)
            + ") TO SECOND(" + std::to_string(d.fractionPrecision) + ")";
    case Literal::Kind::ToDate:
    case Literal::Kind::ToTimestamp: {
        std::string out = d.kind == Literal::Kind::ToDate ? "TO_DATE(" : "TO_TIMESTAMP(";
        out += d.numberArgument ? d.text : d.text.empty() ? "NULL" : quoted(d.text);
        if (d.mask)
            out += ", " + quoted(*d.mask);
        return out + ")";
    }
    case Literal::Kind::SysDate:
        return "SYSDATE";
    case Literal::Kind::SysTimestamp:
        return "SYSTIMESTAMP";
    case Literal::Kind::CurrentDate:
        return "CURRENT_DATE";
    case Literal::Kind::CurrentTimestamp:
        return d.fractionPrecision == 6
            ? "CURRENT_TIMESTAMP"
            : "CURRENT_TIMESTAMP(" + std::to_string(d.fractionPrecision) + ")";
    case Literal::Kind::Parameter:
    case Literal::Kind::DateTimeValue:
    case Literal::Kind::Bytes:
        break; // values bound at execution, never a column's default
    }
    return {};
}

std::string identityOptionsText(const IdentityDef& id)
{
    // Without MAXVALUE and MINVALUE a sequence counts over Oracle's 28 digits.
    const bool up = id.incrementBy > 0;
    const std::string max = id.maxValue ? std::to_string(*id.maxValue)
        : up                            ? std::string(28, '9')
                                        : "-1";
    const std::string min = id.minValue ? std::to_string(*id.minValue)
        : up                            ? "1"
                                        : "-" + std::string(27, '9');
    return "START WITH: " + std::to_string(id.startWith)
        + ", INCREMENT BY: " + std::to_string(id.incrementBy) + ", MAX_VALUE: " + max
        + ", MIN_VALUE: " + min + ", CYCLE_FLAG: " + (id.cycle ? "Y" : "N")
        + ", CACHE_SIZE: " + std::to_string(id.cache) + ", ORDER_FLAG: " + (id.order ? "Y" : "N")
        + ", SCALE_FLAG: N, EXTEND_FLAG: N, SESSION_FLAG: N, KEEP_VALUE: N";
}

} // namespace orastandin
