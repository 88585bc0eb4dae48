#pragma once

#include "db/login_details.h"

#include <QLatin1StringView>

namespace tw::shell {

// Where the login window keeps each of its eight fields, and what a field
// never written reads as.
struct LoginSetting {
    QLatin1StringView key;
    QLatin1StringView fallback;
};

// Text1 to Text8, in the order the login window reads them.
inline constexpr LoginSetting loginSettings[8] = {
    { QLatin1StringView("OracleServer"), QLatin1StringView("") },
    { QLatin1StringView("OracleUser"), QLatin1StringView("") },
    { QLatin1StringView("OraclePassword"), QLatin1StringView("") },
    { QLatin1StringView("MySQLServer"), QLatin1StringView("localhost") },
    { QLatin1StringView("MySQLUser"), QLatin1StringView("") },
    { QLatin1StringView("MySQLPassword"), QLatin1StringView("") },
    { QLatin1StringView("MySQLDatabase"), QLatin1StringView("") },
    { QLatin1StringView("MySQLPort"), QLatin1StringView("3306") },
};

// The login details as the login window would restore them.
db::LoginDetails SavedLoginDetails();
// Whether the login window ever wrote a field's key (1 to 8): an empty
// password saved on purpose differs from none saved at all.
bool HasSavedLoginField(int field);

} // namespace tw::shell
