#pragma once

#include "copy/loop/stop_request.h"
#include "db/login_details.h"
#include "db/table_list.h"
#include "shell/dialogs.h"
#include "shell/window_pointer.h"

#include <QProgressBar>

namespace tw::tables {

// What a transfer uses of the tables window.
struct TransferWindow {
    db::TableList& mysqlList; // List1
    db::TableList& oracleList; // List2
    QProgressBar& progress; // ProgressBar1
    shell::WindowPointer& pointer;
    shell::Dialogs& dialogs;
    const db::LoginSource& login;
    // Esc while a copy runs: the copy stops after its current row.
    copy::StopRequest& stop;
};

// "Send Table/s To Oracle": the selected MySQL tables, bottom of the list
// first, each re-created in Oracle and filled one INSERT per row.
void SendTablesToOracle(TransferWindow& window);
// "Send Table/s To MySQL": the same from Oracle to MySQL.
void SendTablesToMySQL(TransferWindow& window);

} // namespace tw::tables
