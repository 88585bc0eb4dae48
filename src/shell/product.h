#pragma once

#include <QString>

namespace tw::shell {

// The product name: caption of both windows, section of the settings store
// and source of the application title.
inline QString ProductName()
{
    return QStringLiteral("Palomir Tablewright Studio for Two Databases");
}

// The maker's name, under which the settings live.
inline QString MakerName()
{
    return QStringLiteral("Vantorell");
}

// Where the error report asks users to send their screenshots.
inline QString SupportAddress()
{
    return QStringLiteral("support@vantorell.example");
}

} // namespace tw::shell
