#pragma once

#include "db/login_details.h"

#include <QByteArray>
#include <QHash>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tw::test {

// What a finished command left.
struct CommandResult {
    int exitCode = -1;
    QString out;
    QString err;
    // The table's object of a --json summary (empty when there is none).
    QJsonObject table(const QString& name) const;
};

// The real program (build/bin/tablewright) run as a command, as a user's
// shell or cron runs it: without QT_QPA_PLATFORM, DISPLAY or WAYLAND_DISPLAY,
// so that it fails if it ever needs a display.
class CommandProcess {
public:
    // `environment`: variables to set; an empty value unsets nothing, it sets
    // the variable empty.
    explicit CommandProcess(
        const QStringList& arguments, const QHash<QString, QString>& environment = {});
    void start(const QByteArray& input = QByteArray());
    CommandResult finish(int timeoutMs = 180000);
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    QStringList m_arguments;
};

CommandResult runCommand(const QStringList& arguments, const QByteArray& input = QByteArray(),
    const QHash<QString, QString>& environment = {});

// Saves the login details where the login window saves them.
void saveLogins(const db::LoginDetails& details);

} // namespace tw::test
