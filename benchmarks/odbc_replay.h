#pragma once

#include <QString>
#include <QStringList>

namespace tw::bench {

// Runs statements one by one through bare unixODBC (narrow calls, no Qt in
// the loop): what the one-statement-per-row design costs without the
// program. Answers the seconds taken; throws on the first refused statement.
double replayThroughOdbc(const QString& connectionString, const QList<QByteArray>& statements);

} // namespace tw::bench
