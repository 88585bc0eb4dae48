#include "shell/login_settings.h"

#include "shell/product.h"
#include "shell/settings.h"

namespace tw::shell {

namespace {
QString saved(int field)
{
    const LoginSetting& s = loginSettings[field - 1];
    return GetSetting(MakerName(), ProductName(), QString(s.key), QString(s.fallback));
}
} // namespace

db::LoginDetails SavedLoginDetails()
{
    return { .oracleSid = saved(1),
        .oracleUser = saved(2),
        .oraclePassword = saved(3),
        .mysqlServer = saved(4),
        .mysqlUser = saved(5),
        .mysqlPassword = saved(6),
        .mysqlDatabase = saved(7),
        .mysqlPort = saved(8) };
}

bool HasSavedLoginField(int field)
{
    return HasSetting(MakerName(), ProductName(), QString(loginSettings[field - 1].key));
}

} // namespace tw::shell
