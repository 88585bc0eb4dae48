#pragma once

#include <QString>

namespace tw::login {

QString MySQLHelpText();
QString SidHelpText();
QString OracleHelpText();

} // namespace tw::login
