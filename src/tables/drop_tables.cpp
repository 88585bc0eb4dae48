#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/yield.h"
#include "shell/busy_guard.h"
#include "shell/error_trap.h"
#include "shell/object_check.h"
#include "sql/dialect.h"
#include "tables/form2.h"

namespace tw::tables {

using shell::ErrorTrap;
using shell::Object;
using shell::WindowPointer;

namespace {
const char* const pleaseSelect = "Please select a table";
}

// MySQL side: one connection per selected table, opened and closed around
// its DROP, and a yield at every entry of the walk.
void Form2::PushButton1_Click()
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    ErrorTrap trap(Dialogs(), Tag("PushButton1_Click"));
    std::unique_ptr<db::Connection> connection;
    trap.Step(100, [&] { connection = std::make_unique<db::Connection>(); });
    if (trap.If(106, [&] { return List1->ListIndex() == -1; })) {
        trap.Step(130, [&] { Dialogs().MsgBox(QString::fromLatin1(pleaseSelect)); });
        return;
    }
    trap.Step(108, [&] { Pointer().SetMousePointer(WindowPointer::Busy); });
    int count = 0;
    trap.Step(110, [&] { count = List1->ListCount(); });
    // From the bottom up: a removal never shifts an entry still to visit.
    for (int i = count - 1; i >= 0; --i) {
        trap.Step(112, [&] { db::DoEvents(); });
        if (!trap.If(114, [&] { return List1->Selected(i); }))
            continue;
        trap.Step(116,
            [&] { Object(connection).Open(db::MySQLConnectionString(Login().loginDetails())); });
        QString name;
        trap.Step(118, [&] { name = List1->List(i); });
        trap.Step(120,
            [&] { Object(connection).Execute(sql::dialect(sql::Server::MySQL).dropTable(name)); });
        trap.Step(122, [&] { List1->RemoveItem(i); });
        trap.Step(124, [&] { Object(connection).Close(); });
    }
    trap.Step(128, [&] { Pointer().SetMousePointer(WindowPointer::Default); });
}

// Oracle side: one connection for the whole batch, opened before the
// selection is looked at, and no yield.
void Form2::PushButton5_Click()
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    ErrorTrap trap(Dialogs(), Tag("PushButton5_Click"));
    std::unique_ptr<db::Connection> connection;
    OpenOracleForAction(trap, connection);
    if (trap.If(106, [&] { return List2->ListIndex() == -1; })) {
        trap.Step(118, [&] { Dialogs().MsgBox(QString::fromLatin1(pleaseSelect)); });
    } else {
        int count = 0;
        trap.Step(108, [&] { count = List2->ListCount(); });
        for (int i = count - 1; i >= 0; --i) {
            if (!trap.If(110, [&] { return List2->Selected(i); }))
                continue;
            trap.Step(112, [&] {
                Object(connection)
                    .Execute(sql::dialect(sql::Server::Oracle).dropTable(List2->List(i)));
            });
            trap.Step(114, [&] { List2->RemoveItem(i); });
        }
    }
    trap.Step(120, [&] { Pointer().SetMousePointer(WindowPointer::Default); });
}

} // namespace tw::tables
