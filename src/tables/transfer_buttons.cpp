#include "tables/form2.h"
#include "transfer/send_tables.h"

namespace tw::tables {

namespace {
transfer::TransferWindow transferWindow(Form2& form)
{
    return { *form.List1, *form.List2, *form.ProgressBar1, form.Pointer(), form.Dialogs(),
        form.Login() };
}
} // namespace

void Form2::PushButton3_Click()
{
    transfer::TransferWindow window = transferWindow(*this);
    transfer::SendTablesToOracle(window);
}

void Form2::PushButton4_Click()
{
    transfer::TransferWindow window = transferWindow(*this);
    transfer::SendTablesToMySQL(window);
}

} // namespace tw::tables
