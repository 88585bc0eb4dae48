#include "driver_profile.h"

#include "diagnostics.h"

#include <initializer_list>
#include <utility>

namespace orastandin::odbc {

namespace {

std::string upper(std::string s)
{
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return s;
}

// The value of `key` among `choices`, matched without regard to case; the
// first choice when the key is not given.
template <typename T>
T choose(const std::function<std::string(const char*)>& setting, const char* key,
    std::initializer_list<std::pair<const char*, T>> choices)
{
    const std::string given = upper(setting(key));
    if (given.empty())
        return choices.begin()->second;
    std::string known;
    for (const auto& [name, value] : choices) {
        if (given == upper(name))
            return value;
        known += known.empty() ? name : std::string(", ") + name;
    }
    throw DriverError("HY000",
        "odbcinst.ini: " + std::string(key) + " = " + setting(key) + " is not one of " + known);
}

} // namespace

DriverProfile DriverProfile::read(const std::function<std::string(const char* key)>& setting)
{
    DriverProfile p;
    p.selectRowCount = choose<RowCount>(setting, "SelectRowCount",
        { { "-1", RowCount::Unknown }, { "0", RowCount::Zero }, { "fetched", RowCount::Fetched } });
    p.dateType = choose<SQLSMALLINT>(setting, "DateColumns",
        { { "SQL_TYPE_TIMESTAMP", SQL_TYPE_TIMESTAMP }, { "SQL_TYPE_DATE", SQL_TYPE_DATE } });
    p.numberType = choose<SQLSMALLINT>(setting, "NumberColumns",
        { { "SQL_DECIMAL", SQL_DECIMAL }, { "SQL_NUMERIC", SQL_NUMERIC },
            { "SQL_DOUBLE", SQL_DOUBLE }, { "SQL_FLOAT", SQL_FLOAT } });
    p.wideCharacters
        = choose<bool>(setting, "CharacterColumns", { { "narrow", false }, { "wide", true } });
    p.maxStringSize = choose<MaxStringSize>(setting, "MaxStringSize",
        { { "STANDARD", MaxStringSize::Standard }, { "EXTENDED", MaxStringSize::Extended } });
    p.bigIntCTypes
        = choose<bool>(setting, "BigIntCTypes", { { "refuse", false }, { "accept", true } });
    p.failedArray = choose<FailedArray>(setting, "FailedArray",
        { { "documented", FailedArray::Documented },
            { "keep-unreported", FailedArray::KeepUnreported } });
    return p;
}

void DriverProfile::checkCType(SQLSMALLINT cType) const
{
    if (!bigIntCTypes && (cType == SQL_C_SBIGINT || cType == SQL_C_UBIGINT))
        throw DriverError("HY004", "Invalid SQL data type <" + std::to_string(cType) + ">.");
}

} // namespace orastandin::odbc
