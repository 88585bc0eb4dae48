#include "ora_error.h"

#include <cstdio>

namespace orastandin {

namespace {

std::string format(int code, const std::string& text)
{
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "ORA-%05d: ", code);
    return prefix + text;
}

} // namespace

OraError::OraError(int code, std::string text)
    : std::runtime_error(format(code, text))
    , m_code(code)
    , m_text(std::move(text))
{ }

const char* sqlStateFor(int oraCode)
{
    switch (oraCode) {
    case 942:
    case 4043:
        return "42S02";
    case 955:
        return "42S01";
    case 957:
        return "42S21";
    case 904:
        return "42S22";
    case 1005:
    case 1017:
        return "28000";
    case 12899:
        return "22001";
    case 1:
    case 1400:
    case 1407:
    case 2290:
    case 2291:
    case 2292:
        return "23000";
    case 60:
        return "40001"; // serialization failure: a deadlock
    case 1424:
        return "22025";
    case 1425:
        return "22019";
    case 1722:
    case 1465:
        return "22018";
    case 1438:
    case 1426:
        return "22003";
    case 1830:
    case 1858:
    case 1861:
    case 1867:
        return "22007";
    case 1873:
        return "22015";
    case 1839:
    case 1841:
    case 1843:
    case 1847:
    case 1849:
    case 1850:
    case 1851:
    case 1852:
    case 1855:
    case 1877:
        return "22008";
    case 913:
    case 947:
        return "21S01";
    case 12154:
    case 12162:
        return "08001";
    case 932:
        return "HY000";
    default:
        break;
    }
    // Parse-time errors: ORA-00900 to ORA-00999 and the lexical ones.
    if ((oraCode >= 900 && oraCode <= 999) || oraCode == 1740 || oraCode == 1741 || oraCode == 1756
        || oraCode == 1704 || oraCode == 1723 || oraCode == 1727 || oraCode == 1728
        || oraCode == 1724 || oraCode == 1754 || oraCode == 1792 || oraCode == 2248
        || oraCode == 1821 || oraCode == 30088 || oraCode == 12705 || oraCode == 2260
        || oraCode == 2264 || oraCode == 2269 || oraCode == 2329 || oraCode == 1450
        || oraCode == 1793 || oraCode == 25716 || oraCode == 1785 || oraCode == 1791)
        return "42000";
    return "HY000";
}

void throwOra(int code, const std::string& text)
{
    throw OraError(code, text);
}

void invalidCharacter()
{
    throw OraError(911, "invalid character");
}

void invalidNumber()
{
    throw OraError(1722, "invalid number");
}

} // namespace orastandin
