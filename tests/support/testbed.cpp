#include "support/testbed.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cstdlib>

namespace tw::test {

namespace {
[[noreturn]] void fail(const QString& why)
{
    qFatal("test bed: %s", qPrintable(why));
}

QStringList run(const QString& program, const QStringList& args, const QByteArray& input, bool* ok)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000))
        fail(QStringLiteral("cannot start %1").arg(program));
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    const bool good = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (ok)
        *ok = good;
    else if (!good)
        fail(QStringLiteral("%1 %2 failed: %3")
                 .arg(program, args.join(QLatin1Char(' ')),
                     QString::fromUtf8(p.readAllStandardError() + p.readAllStandardOutput())));
    QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
    return out.isEmpty() ? QStringList() : out.split(QLatin1Char('\n'));
}
} // namespace

Testbed& Testbed::instance()
{
    static Testbed* bed = [] {
        auto* t = new Testbed;
        t->m_dir = qEnvironmentVariable("TABLEWRIGHT_TESTBED_DIR");
        if (t->m_dir.isEmpty())
            fail(QStringLiteral("TABLEWRIGHT_TESTBED_DIR is not set; run the tests through ctest"));
        t->load(t->m_dir + QStringLiteral("/env"));
        // A variant of the Oracle stand-in (scripts/oracle-variants) brings
        // its own odbcinst.ini and data directory.
        const QString variant = qEnvironmentVariable("TW_ORACLE_VARIANT");
        if (!variant.isEmpty())
            t->load(t->m_dir + QStringLiteral("/variants/") + variant + QStringLiteral("/env"));
        return t;
    }();
    return *bed;
}

void Testbed::load(const QString& path)
{
    QFile env(path);
    if (!env.open(QIODevice::ReadOnly))
        fail(QStringLiteral("%1 is missing; is the test bed started?").arg(path));
    static const QRegularExpression line(QStringLiteral("^export (\\w+)='?([^']*)'?$"));
    for (const QByteArray& raw : env.readAll().split('\n')) {
        auto m = line.match(QString::fromUtf8(raw));
        if (!m.hasMatch())
            continue;
        m_values.insert(m.captured(1), m.captured(2));
        qputenv(m.captured(1).toUtf8().constData(), m.captured(2).toUtf8());
    }
}

QString Testbed::oracleSetting(const QString& key) const
{
    for (const QString& setting : value(QStringLiteral("TW_ORACLE_SETTINGS")).split(u' ')) {
        if (setting.startsWith(key + u'='))
            return setting.mid(key.size() + 1);
    }
    return QString();
}

QString Testbed::value(const QString& key) const
{
    return m_values.value(key);
}
int Testbed::mysqlPort() const
{
    return value(QStringLiteral("TW_MYSQL_PORT")).toInt();
}
QString Testbed::generalLogPath() const
{
    return value(QStringLiteral("TW_GENERAL_LOG"));
}

QString Testbed::freshMySQLDatabase(const QString& name)
{
    mysql(
        QStringLiteral("DROP DATABASE IF EXISTS `%1`; CREATE DATABASE `%1` CHARACTER SET utf8mb4;")
            .arg(name));
    return name;
}

QString Testbed::freshOracleUser(const QString& name, const QString& sid)
{
    const QString admin = value(QStringLiteral("TW_ORACLE_ADMIN"));
    const QString data = value(QStringLiteral("TW_ORACLE_DATA"));
    const QString in = sid.isEmpty() ? value(QStringLiteral("TW_ORACLE_SID")) : sid;
    bool ok = false;
    // A SID of the test's own comes to be on first use.
    if (!sid.isEmpty())
        run(admin, { QStringLiteral("--data"), data, QStringLiteral("create-sid"), sid }, {}, &ok);
    run(admin,
        { QStringLiteral("--data"), data, QStringLiteral("create-user"), in, name,
            QStringLiteral("pw_") + name },
        {}, &ok);
    // An existing user keeps his tables; drop them so each run starts empty.
    // (Oracle names never hold a double quote.)
    const QString list = QStringLiteral("SELECT table_name FROM user_tables");
    for (const QString& t : oracle(name, list, nullptr, in))
        oracle(name, QStringLiteral("DROP TABLE \"%1\" CASCADE CONSTRAINTS").arg(t), nullptr, in);
    return name;
}

db::LoginDetails Testbed::login(const QString& mysqlDatabase, const QString& oracleUser) const
{
    db::LoginDetails d;
    d.oracleSid = value(QStringLiteral("TW_ORACLE_SID"));
    d.oracleUser = oracleUser;
    d.oraclePassword = QStringLiteral("pw_") + oracleUser;
    d.mysqlServer = value(QStringLiteral("TW_MYSQL_HOST"));
    d.mysqlUser = QStringLiteral("root");
    d.mysqlPassword = QString();
    d.mysqlDatabase = mysqlDatabase;
    d.mysqlPort = QString::number(mysqlPort());
    return d;
}

QStringList Testbed::mysql(const QString& sql, const QString& database, bool* ok) const
{
    QStringList args { QStringLiteral("--no-defaults"),
        QStringLiteral("--socket=") + value(QStringLiteral("TW_MYSQL_SOCKET")),
        QStringLiteral("-uroot"), QStringLiteral("--batch"), QStringLiteral("--skip-column-names"),
        QStringLiteral("--default-character-set=utf8mb4") };
    if (!database.isEmpty())
        args << database;
    return run(QStringLiteral("mariadb"), args, sql.toUtf8(), ok);
}

QStringList Testbed::oracle(
    const QString& user, const QString& sql, bool* ok, const QString& sid) const
{
    return run(value(QStringLiteral("TW_ORACLE_ADMIN")),
        { QStringLiteral("--data"), value(QStringLiteral("TW_ORACLE_DATA")), QStringLiteral("sql"),
            sid.isEmpty() ? value(QStringLiteral("TW_ORACLE_SID")) : sid, user, sql },
        {}, ok);
}

int Testbed::mysqlConnectionsOf(const QString& user) const
{
    // The client's own session runs as root too but over the socket.
    const QStringList rows
        = mysql(QStringLiteral("SELECT COUNT(*) FROM information_schema.PROCESSLIST WHERE USER = "
                               "'%1' AND HOST LIKE '127.0.0.1%'")
                    .arg(user));
    return rows.value(0).toInt();
}

int Testbed::oracleLogons(const QString& user) const
{
    return int(oracleLogonSids(user).size());
}

QStringList Testbed::oracleLogonSids(const QString& user) const
{
    QFile log(value(QStringLiteral("TW_ORACLE_DATA")) + QStringLiteral("/listener.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    QStringList sids;
    const QByteArray needle = '\t' + user.toUpper().toUtf8() + '\t';
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (line.contains(needle))
            sids << QString::fromUtf8(line.left(line.indexOf('\t')));
    }
    return sids;
}

} // namespace tw::test
