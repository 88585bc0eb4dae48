#pragma once

#include "db/login_details.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace tw::test {

// The test bed that CTest started (scripts/testbed): its settings are read
// from <dir>/env and put into this process's environment before any ODBC
// call, so that the driver manager finds the private odbcinst.ini.
class Testbed {
public:
    // Loads the test bed or fails the calling test with a readable message.
    static Testbed& instance();

    QString value(const QString& key) const;
    int mysqlPort() const;
    QString generalLogPath() const;

    // A MySQL database of its own for one test program, dropped and made
    // anew, so that test programs running side by side never meet.
    QString freshMySQLDatabase(const QString& name);
    // An Oracle stand-in user of its own (password "pw_" + name), created
    // when missing and emptied of his tables; in the bed's SID unless `sid`
    // names another, which is created when missing.
    QString freshOracleUser(const QString& name, const QString& sid = QString());
    // A setting of the stand-in variant under test (scripts/oracle-variants),
    // empty for the documented answer.
    QString oracleSetting(const QString& key) const;

    // Login details that reach both databases.
    db::LoginDetails login(const QString& mysqlDatabase, const QString& oracleUser) const;

    // Runs SQL as root through the mariadb client (not through the program's
    // code); returns the tab-separated rows. Fails the test on error, unless
    // `ok` takes whether it ran.
    QStringList mysql(
        const QString& sql, const QString& database = QString(), bool* ok = nullptr) const;
    // Runs one statement through the stand-in's admin command.
    QStringList oracle(const QString& user, const QString& sql, bool* ok = nullptr,
        const QString& sid = QString()) const;

    int mysqlConnectionsOf(const QString& user) const;
    // Logon attempts that reached the Oracle stand-in as this user (its
    // listener log), successful or not.
    int oracleLogons(const QString& user) const;
    // The SID of each of those logon attempts, oldest first.
    QStringList oracleLogonSids(const QString& user) const;

private:
    Testbed() = default;
    void load(const QString& envFile);
    QString m_dir;
    QHash<QString, QString> m_values;
};

} // namespace tw::test
