#include "cli/command.h"
#include "login/form1.h"
#include "shell/dialogs.h"
#include "tables/form2.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // With arguments the program is a command, and needs no display.
    if (argc > 1)
        return tw::cli::runCommandLine(argc, argv);
    QApplication app(argc, argv);
    // Closing a window ends the program on purpose; hiding one never does.
    QApplication::setQuitOnLastWindowClosed(false);
    tw::shell::QtDialogs dialogs;
    tw::login::Form1 form1(dialogs);
    form1.Form_Load();
    if (!(form1.HasTablesWindow() && form1.TablesWindow().isVisible()))
        form1.show();
    return app.exec();
}
