#include "support/command_process.h"

#include "shell/login_settings.h"
#include "shell/product.h"
#include "shell/settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcessEnvironment>

namespace tw::test {

QJsonObject CommandResult::table(const QString& name) const
{
    const QJsonArray tables
        = QJsonDocument::fromJson(out.toUtf8()).object().value(QStringLiteral("tables")).toArray();
    for (const QJsonValue& t : tables) {
        if (t.toObject().value(QStringLiteral("table")).toString() == name)
            return t.toObject();
    }
    return {};
}

CommandProcess::CommandProcess(
    const QStringList& arguments, const QHash<QString, QString>& environment)
    : m_arguments(arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* display : { "QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY" })
        env.remove(QLatin1String(display));
    for (auto it = environment.begin(); it != environment.end(); ++it)
        env.insert(it.key(), it.value());
    m_process.setProcessEnvironment(env);
}

void CommandProcess::start(const QByteArray& input)
{
    m_process.start(QStringLiteral(TABLEWRIGHT_PROGRAM), m_arguments);
    if (!m_process.waitForStarted(10000))
        qFatal("cannot start %s", TABLEWRIGHT_PROGRAM);
    m_process.write(input);
    m_process.closeWriteChannel();
}

CommandResult CommandProcess::finish(int timeoutMs)
{
    if (!m_process.waitForFinished(timeoutMs))
        m_process.kill();
    m_process.waitForFinished();
    CommandResult r;
    r.exitCode = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    r.out = QString::fromUtf8(m_process.readAllStandardOutput());
    r.err = QString::fromUtf8(m_process.readAllStandardError());
    return r;
}

CommandResult runCommand(const QStringList& arguments, const QByteArray& input,
    const QHash<QString, QString>& environment)
{
    CommandProcess p(arguments, environment);
    p.start(input);
    return p.finish();
}

void saveLogins(const db::LoginDetails& d)
{
    const QString values[8] = { d.oracleSid, d.oracleUser, d.oraclePassword, d.mysqlServer,
        d.mysqlUser, d.mysqlPassword, d.mysqlDatabase, d.mysqlPort };
    for (int i = 0; i < 8; ++i)
        shell::SaveSetting(shell::MakerName(), shell::ProductName(),
            QString(shell::loginSettings[i].key), values[i]);
}

} // namespace tw::test
