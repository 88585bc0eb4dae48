#include "cli/logins.h"

#include "cli/terminal.h"
#include "shell/login_settings.h"

namespace tw::cli {

namespace {
// Text3 and Text6 of the login window.
constexpr int oraclePasswordField = 3;
constexpr int mysqlPasswordField = 6;

// False when the prompt was stopped.
bool settlePassword(QString& password, const char* variable, int field, const QString& prompt,
    const copy::StopRequest& stop)
{
    if (qEnvironmentVariableIsSet(variable)) {
        password = qEnvironmentVariable(variable);
        return true;
    }
    if (shell::HasSavedLoginField(field) || !StdinIsTerminal())
        return true;
    std::optional<QString> typed = ReadSecret(prompt, stop);
    if (!typed)
        return false;
    password = *typed;
    return true;
}
} // namespace

std::optional<db::LoginDetails> CommandLogins(
    const LoginOptions& options, bool needOracle, bool needMySQL, const copy::StopRequest& stop)
{
    db::LoginDetails details = shell::SavedLoginDetails();
    options.applyTo(details);
    if (needOracle
        && !settlePassword(details.oraclePassword, "TABLEWRIGHT_ORACLE_PASSWORD",
            oraclePasswordField,
            QStringLiteral("Oracle password for %1@%2: ")
                .arg(details.oracleUser, details.oracleSid),
            stop))
        return std::nullopt;
    if (needMySQL
        && !settlePassword(details.mysqlPassword, "TABLEWRIGHT_MYSQL_PASSWORD", mysqlPasswordField,
            QStringLiteral("MySQL password for %1@%2: ")
                .arg(details.mysqlUser, details.mysqlServer),
            stop))
        return std::nullopt;
    return details;
}

} // namespace tw::cli
