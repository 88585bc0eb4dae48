#include "window_bed.h"

#include "db/listing.h"
#include "support/testbed.h"

#include <QRegularExpression>

namespace tw::test {

WindowBed::WindowBed(const QString& name)
    : name(name)
    , log(Testbed::instance().generalLogPath())
{
    Testbed& bed = Testbed::instance();
    bed.freshMySQLDatabase(name);
    bed.mysql(QStringLiteral("DROP USER IF EXISTS '%1'@'127.0.0.1';"
                             "CREATE USER '%1'@'127.0.0.1' IDENTIFIED BY 'pw';"
                             "GRANT ALL ON `%1`.* TO '%1'@'127.0.0.1';")
                  .arg(name));
    bed.freshOracleUser(name);
    login.details = bed.login(name, name);
    login.details.mysqlUser = name;
    login.details.mysqlPassword = QStringLiteral("pw");
    reset();
}

void WindowBed::reset()
{
    Testbed& bed = Testbed::instance();
    for (const QString& t : mysqlTables())
        bed.mysql(
            QStringLiteral("DROP TABLE `%1`;").arg(QString(t).replace(u'`', QStringLiteral("``"))),
            name);
    bed.freshOracleUser(name);
    login.details = bed.login(name, name);
    login.details.mysqlUser = name;
    login.details.mysqlPassword = QStringLiteral("pw");
    form.reset();
    loginWindow.hide();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    form = std::make_unique<tables::Form2>(login, *m_dialogs, &loginWindow);
    form->Form_Load();
    log.mark();
}

void WindowBed::createMySQLTables(const QStringList& names)
{
    for (const QString& t : names)
        Testbed::instance().mysql(QStringLiteral("CREATE TABLE `%1` (a INT);")
                                      .arg(QString(t).replace(u'`', QStringLiteral("``"))),
            name);
}

void WindowBed::createOracleTables(const QStringList& names)
{
    for (const QString& t : names)
        Testbed::instance().oracle(name,
            QStringLiteral("CREATE TABLE \"%1\" (a NUMBER)")
                .arg(QString(t).replace(u'"', QStringLiteral("\"\""))));
}

void WindowBed::listBoth()
{
    db::ListMySQLTables(*form->List1, login);
    db::ListOracleTables(*form->List2, login);
    log.mark();
}

QStringList WindowBed::mysqlTables() const
{
    QStringList t = Testbed::instance().mysql(QStringLiteral("SHOW TABLES;"), name);
    t.sort();
    return t;
}

QStringList WindowBed::oracleTables() const
{
    QStringList t
        = Testbed::instance().oracle(name, QStringLiteral("SELECT table_name FROM user_tables"));
    t.sort();
    return t;
}

QStringList WindowBed::mysqlChanges() const
{
    static const QRegularExpression change(QStringLiteral("^(DROP|RENAME) "));
    return log.queries(name + QStringLiteral("@127.0.0.1")).filter(change);
}

int WindowBed::mysqlConnects() const
{
    return log.connects(name + QStringLiteral("@127.0.0.1"));
}

QStringList WindowBed::reportedSteps()
{
    static const QRegularExpression where(
        QStringLiteral("\\r\\nin Palomirdual2017/04/05\\.Form2\\.(\\w+) at line (\\d+)\\r\\r"));
    QStringList out;
    for (const QString& r : dialogs().reports()) {
        const auto m = where.match(r);
        out << (m.hasMatch() ? m.captured(1) + QLatin1Char(' ') + m.captured(2) : r);
    }
    return out;
}

void select(tables::TableListBox& list, const QList<int>& indexes)
{
    for (int i : indexes)
        list.SetSelected(i, true);
}

QString reportTail(const char* procedure, int line)
{
    return QStringLiteral("\r\nin Palomirdual2017/04/05.Form2.%1 at line %2\r\r"
                          "Please email screenshot of this message to support@vantorell.example")
        .arg(QLatin1String(procedure))
        .arg(line);
}

} // namespace tw::test
