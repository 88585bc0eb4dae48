#include "cli/logins.h"

#include "cli/terminal.h"
#include "shell/login_settings.h"

namespace tw::cli {

namespace {
// Text3 and Text6 of the login window.
constexpr int oraclePasswordField = 3;
constexpr int mysqlPasswordField = 6;

enum class Settled { Yes, Stopped, Missing };

Settled settlePassword(QString& password, const char* variable, int field, const QString& prompt,
    bool noPrompt, const copy::StopRequest& stop)
{
    if (qEnvironmentVariableIsSet(variable)) {
        password = qEnvironmentVariable(variable);
        return Settled::Yes;
    }
    if (shell::HasSavedLoginField(field))
        return Settled::Yes;
    if (noPrompt)
        return Settled::Missing;
    if (!stdinIsTerminal())
        return Settled::Yes;
    std::optional<QString> typed = readSecret(prompt, stop);
    if (!typed)
        return Settled::Stopped;
    password = *typed;
    return Settled::Yes;
}
} // namespace

std::optional<db::LoginDetails> commandLogins(const LoginOptions& options, bool needOracle,
    bool needMySQL, const copy::StopRequest& stop, QString& missing)
{
    db::LoginDetails details = shell::SavedLoginDetails();
    options.applyTo(details);
    struct Need {
        bool needed;
        QString& password;
        const char* variable;
        int field;
        QString prompt;
        const char* name;
    };
    const Need needs[] = {
        { needOracle, details.oraclePassword, "TABLEWRIGHT_ORACLE_PASSWORD", oraclePasswordField,
            QStringLiteral("Oracle password for %1@%2: ")
                .arg(details.oracleUser, details.oracleSid),
            "Oracle" },
        { needMySQL, details.mysqlPassword, "TABLEWRIGHT_MYSQL_PASSWORD", mysqlPasswordField,
            QStringLiteral("MySQL password for %1@%2: ")
                .arg(details.mysqlUser, details.mysqlServer),
            "MySQL" },
    };
    for (const Need& n : needs) {
        if (!n.needed)
            continue;
        switch (settlePassword(n.password, n.variable, n.field, n.prompt, options.noPrompt, stop)) {
        case Settled::Yes:
            break;
        case Settled::Stopped:
            return std::nullopt;
        case Settled::Missing:
            missing = QStringLiteral("no %1 password saved and %2 not set (--no-prompt)")
                          .arg(QLatin1String(n.name), QLatin1String(n.variable));
            return std::nullopt;
        }
    }
    return details;
}

} // namespace tw::cli
