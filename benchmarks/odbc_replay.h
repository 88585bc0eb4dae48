#pragma once

#include <QString>
#include <QStringList>

namespace tw::bench {

enum class Calls { Narrow, Wide };

// Runs statements (UTF-8) one by one through bare unixODBC, no Qt in the
// loop: what the one-statement-per-row design costs without the program.
// Narrow calls hand the bytes over as they are; wide calls hand over UTF-16
// (made before the clock starts), as the program does. Answers the seconds
// taken; throws on the first refused statement.
double replayThroughOdbc(const QString& connectionString, const QList<QByteArray>& statements,
    Calls calls = Calls::Narrow);

} // namespace tw::bench
