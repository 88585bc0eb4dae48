#pragma once

#include "db/login_details.h"
#include "support/general_log.h"
#include "support/scripted_dialogs.h"
#include "tables/form2.h"

#include <QStringList>
#include <QWidget>
#include <memory>

namespace tw::test {

// The tables window of one test program, wired to a MySQL database, a MySQL
// user and an Oracle stand-in user that carry the program's own name, so
// that programs running side by side never see each other's statements.
class WindowBed {
public:
    explicit WindowBed(const QString& name);

    // Empties both databases, makes a fresh window and starts the log anew.
    void reset();
    // Creates the tables and fills the lists through the program's listings.
    void createMySQLTables(const QStringList& names);
    void createOracleTables(const QStringList& names);
    void listBoth();

    // What the servers hold, sorted, read outside the program.
    QStringList mysqlTables() const;
    QStringList oracleTables() const;
    // The DROP and RENAME statements the program sent to MySQL since reset().
    QStringList mysqlChanges() const;
    int mysqlConnects() const;
    // Procedure and step of every report shown, as "PushButton1_Click 116".
    QStringList reportedSteps();

    const QString name;
    db::FixedLogin login;
    // Fresh for every reset(), so that no scripted answer outlives its test.
    ScriptedDialogs& dialogs() { return *m_dialogs; }
    QWidget loginWindow;
    std::unique_ptr<tables::Form2> form;
    GeneralLog log;

private:
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

// One selection per list entry, for compact expectations.
void select(tables::TableListBox& list, const QList<int>& indexes);

// The report text of a failed step, minus the server's own description.
QString reportTail(const char* procedure, int line);

} // namespace tw::test
