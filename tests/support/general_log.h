#pragma once

#include <QList>
#include <QString>

namespace tw::test {

// One entry of MariaDB's general query log.
struct LogEntry {
    int thread = 0;
    QString command; // "Connect", "Query", "Quit", "Init DB", ...
    QString argument;
};

// Reads what the server logged after a mark: every statement the program
// sent to MySQL, in order.
class GeneralLog {
public:
    explicit GeneralLog(QString path);

    void mark();
    QList<LogEntry> entries() const;
    // The statements (Query, and Execute of prepared ones) of the threads that connected as `user`
    // after the mark (the test bed's own client connects over the socket as root@localhost). Test
    // programs run side by side as root@127.0.0.1: pass "root@127.0.0.1 on <database>" to see one
    // program's own sessions.
    QStringList queries(const QString& user = QStringLiteral("root@127.0.0.1")) const;
    int connects(const QString& user = QStringLiteral("root@127.0.0.1")) const;
    // The driver's own statements after connecting, which queries() leaves out.
    static bool isDriverSetup(const QString& query);

private:
    QString m_path;
    qint64 m_offset = 0;
};

} // namespace tw::test
