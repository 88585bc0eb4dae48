#include "db/connection.h"
#include "db/connection_strings.h"
#include "shell/busy_guard.h"
#include "shell/error_trap.h"
#include "shell/object_check.h"
#include "sql/dialect.h"
#include "tables/form2.h"
#include "tables/rename_prompt.h"

namespace tw::tables {

using shell::ErrorTrap;
using shell::Object;
using shell::WindowPointer;

// MySQL side: asks first, connects only for the statement, and leaves the
// current item where it was.
void Form2::PushButton6_Click()
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    ErrorTrap trap(Dialogs(), Tag("PushButton6_Click"));
    std::unique_ptr<db::Connection> connection;
    trap.Step(100, [&] { connection = std::make_unique<db::Connection>(); });
    if (trap.If(102, [&] { return List1->ListIndex() == -1; })) {
        trap.Step(140, [&] { Dialogs().MsgBox(QStringLiteral("Please select a table")); });
        return;
    }
    int count = 0;
    trap.Step(104, [&] { count = List1->ListCount(); });
    int selected = 0;
    int index = -1;
    QString oldName;
    for (int i = 0; i < count; ++i) {
        if (!trap.If(106, [&] { return List1->Selected(i); }))
            continue;
        trap.Step(108, [&] { oldName = List1->List(i); });
        trap.Step(110, [&] { index = i; });
        trap.Step(112, [&] { ++selected; });
    }
    if (trap.If(116, [&] { return selected != 1; })) {
        trap.Step(138,
            [&] { Dialogs().MsgBox(QStringLiteral("Please select just one table to rename")); });
        return;
    }
    QString newName;
    trap.Step(
        118, [&] { newName = Dialogs().InputBox(RenamePrompt(oldName), QString(), oldName); });
    if (trap.If(120, [&] { return newName.isEmpty(); }))
        return;
    trap.Step(122, [&] { Pointer().SetMousePointer(WindowPointer::Busy); });
    QString sql;
    trap.Step(124, [&] { sql = sql::dialect(sql::Server::MySQL).renameTable(oldName, newName); });
    trap.Step(
        126, [&] { Object(connection).Open(db::MySQLConnectionString(Login().loginDetails())); });
    const bool renamed = trap.Step(128, [&] { Object(connection).Execute(sql); });
    trap.Step(130, [&] { Object(connection).Close(); });
    // A RENAME that did not happen leaves the entry as it was: the typed
    // name names no table.
    if (renamed) {
        trap.Step(132, [&] { List1->RemoveItem(index); });
        trap.Step(134, [&] { List1->AddItem(newName); });
    }
    trap.Step(136, [&] { Pointer().SetMousePointer(WindowPointer::Default); });
}

// Oracle side: connects before looking at the selection, asks with the
// hourglass showing, and makes the first entry current afterwards.
void Form2::PushButton7_Click()
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    ErrorTrap trap(Dialogs(), Tag("PushButton7_Click"));
    std::unique_ptr<db::Connection> connection;
    OpenOracleForAction(trap, connection);
    if (trap.If(106, [&] { return List2->ListIndex() == -1; })) {
        trap.Step(
            132, [&] { Dialogs().MsgBox(QStringLiteral("Please select a table to rename.")); });
    } else if (trap.If(108, [&] { return List2->SelCount() != 1; })) {
        trap.Step(130,
            [&] { Dialogs().MsgBox(QStringLiteral("Please select just one table to rename.")); });
    } else {
        int count = 0;
        trap.Step(110, [&] { count = List2->ListCount(); });
        for (int i = count - 1; i >= 0; --i) {
            if (!trap.If(112, [&] { return List2->Selected(i); }))
                continue;
            QString oldName;
            trap.Step(114, [&] { oldName = List2->List(i); });
            QString newName;
            trap.Step(116,
                [&] { newName = Dialogs().InputBox(RenamePrompt(oldName), QString(), oldName); });
            if (trap.If(118, [&] { return newName.isEmpty(); }))
                break;
            const bool renamed = trap.Step(120, [&] {
                Object(connection)
                    .Execute(sql::dialect(sql::Server::Oracle).renameTable(oldName, newName));
            });
            // A RENAME that did not happen leaves the list as it was.
            if (renamed) {
                trap.Step(122, [&] { List2->RemoveItem(i); });
                trap.Step(124, [&] { List2->AddItem(newName); });
                trap.Step(126, [&] {
                    if (List2->ListCount() > 0)
                        List2->SetListIndex(0);
                });
            }
            break;
        }
    }
    trap.Step(134, [&] { Pointer().SetMousePointer(WindowPointer::Default); });
}

} // namespace tw::tables
