#include "tables/form2.h"
#include "tables/send_tables.h"

namespace tw::tables {

namespace {
TransferWindow transferWindow(Form2& form)
{
    return { .mysqlList = *form.List1,
        .oracleList = *form.List2,
        .progress = *form.ProgressBar1,
        .pointer = form.Pointer(),
        .dialogs = form.Dialogs(),
        .login = form.Login(),
        .stop = form.CopyStop() };
}
} // namespace

void Form2::PushButton3_Click()
{
    TransferWindow window = transferWindow(*this);
    SendTablesToOracle(window);
}

void Form2::PushButton4_Click()
{
    TransferWindow window = transferWindow(*this);
    SendTablesToMySQL(window);
}

} // namespace tw::tables
