#pragma once

#include "db/login_details.h"
#include "odbc/value.h"
#include "support/scripted_dialogs.h"
#include "tables/form2.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <QWidget>
#include <memory>

namespace tw::test {

// The tables window as the user meets it: shown offscreen, both lists filled
// from the databases, every dialog answered by script and every value the
// progress bar takes recorded.
class TablesWindow {
public:
    explicit TablesWindow(const db::LoginDetails& details);
    ~TablesWindow();

    // Refills both lists from the databases, as "Next >" does.
    void refill();
    // Selects exactly `names` in a list; the current item goes to the first.
    static void select(tables::TableListBox* list, const QStringList& names);
    // A click on "Send Table/s To Oracle" / "Send Table/s To MySQL".
    void sendToOracle();
    void sendToMySQL();

    db::FixedLogin login;
    ScriptedDialogs dialogs;
    QWidget loginWindow;
    std::unique_ptr<tables::Form2> form;
    QList<int> progress; // every value ProgressBar1 took, in order
};

// Reads through the program's own data access layer, as the transfers do.
QList<QList<odbc::Value>> oracleRows(const db::LoginDetails& details, const QString& sql);
// Runs statements on one Oracle session of the program's own layer (the
// stand-in's admin command knows no ALTER SESSION that outlives it).
void oracleExecute(const db::LoginDetails& details, const QStringList& statements);
QList<QList<odbc::Value>> mysqlRows(const db::LoginDetails& details, const QString& sql);
// Each column's name and ADO type code as the Oracle driver reports them.
QList<QPair<QString, qint16>> oracleColumns(const db::LoginDetails& details, const QString& table);
QList<QPair<QString, qint16>> mysqlColumns(const db::LoginDetails& details, const QString& table);

// What the Oracle driver under test reports (scripts/oracle-variants): the
// ADO code of a NUMBER (or INT), a VARCHAR2 and a DATE column, and the text
// a DATE at midnight reads back as (a driver that describes DATE columns as
// dates gives the day alone).
qint16 oracleNumberCode();
qint16 oracleVarcharCode();
qint16 oracleDateCode();
QString oracleMidnight(const QString& day);

// How the general log names the program's sessions on one database, so that
// test programs running side by side do not see each other's statements.
QString programSession(const QString& database);

// The report text up to "sql: " cut off, and the statement after it.
QString reportStatement(const QString& report);
// The number after "at line " in a report.
int reportLine(const QString& report);

} // namespace tw::test
