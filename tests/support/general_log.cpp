#include "support/general_log.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

namespace tw::test {

GeneralLog::GeneralLog(QString path)
    : m_path(std::move(path))
{
    mark();
}

void GeneralLog::mark()
{
    QFile f(m_path);
    m_offset = f.exists() ? f.size() : 0;
}

QList<LogEntry> GeneralLog::entries() const
{
    // The server writes its log unbuffered, but give a late line a moment.
    QThread::msleep(20);
    QFile f(m_path);
    QList<LogEntry> out;
    if (!f.open(QIODevice::ReadOnly))
        return out;
    f.seek(m_offset);
    const QString text = QString::fromUtf8(f.readAll());
    static const QRegularExpression head(
        QStringLiteral("^(?:\\d{6}\\s+\\d{1,2}:\\d\\d:\\d\\d)?\\s+(\\d+) (Connect|Query|Quit|Init "
                       "DB|Prepare|Execute|"
                       "Close stmt|Field List|Statistics|Ping|Shutdown|Change user|Reset stmt|Long "
                       "Data)\\t(.*)$"));
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        auto m = head.match(line);
        if (m.hasMatch()) {
            out.append({ m.captured(1).toInt(), m.captured(2), m.captured(3) });
        } else if (!out.isEmpty()) {
            out.last().argument += QLatin1Char('\n') + line;
        }
    }
    // The split leaves the final newline as an empty continuation.
    if (!out.isEmpty() && out.last().argument.endsWith(QLatin1Char('\n')))
        out.last().argument.chop(1);
    return out;
}

// What MariaDB Connector/ODBC sends by itself right after it connects.
bool GeneralLog::isDriverSetup(const QString& query)
{
    return query == QLatin1String("SET SESSION SQL_AUTO_IS_NULL=0")
        || query == QLatin1String("SET autocommit=1")
        || query.startsWith(QLatin1String("SET session_track_schema"))
        || query.startsWith(QLatin1String("SET session_track_system_variables"))
        || query.startsWith(QLatin1String("SET NAMES "));
}

QStringList GeneralLog::queries(const QString& user) const
{
    QSet<int> threads;
    QStringList out;
    for (const LogEntry& e : entries()) {
        if (e.command == QLatin1String("Connect") && e.argument.startsWith(user + QLatin1Char(' ')))
            threads.insert(e.thread);
        // Statements with a result set travel as Prepare + Execute.
        else if ((e.command == QLatin1String("Query") || e.command == QLatin1String("Execute"))
            && threads.contains(e.thread) && !isDriverSetup(e.argument))
            out << e.argument;
    }
    return out;
}

int GeneralLog::connects(const QString& user) const
{
    int n = 0;
    for (const LogEntry& e : entries())
        n += e.command == QLatin1String("Connect")
            && e.argument.startsWith(user + QLatin1Char(' '));
    return n;
}

} // namespace tw::test
