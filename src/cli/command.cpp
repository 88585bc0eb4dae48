#include "cli/command.h"

#include "cli/command_line.h"
#include "cli/copy_command.h"
#include "cli/exit_codes.h"
#include "cli/list_command.h"
#include "cli/terminal.h"
#include "cli/version.h"
#include "db/yield.h"

#include <QCoreApplication>

namespace tw::cli {

int RunCommandLine(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // No window waits to be repainted: long reads need not yield.
    db::DisableYields();
    const Parsed parsed = ParseArguments(app.arguments().mid(1), StdinIsTerminal());
    switch (parsed.kind) {
    case Parsed::Help:
        Out(parsed.text);
        return ExitCopied;
    case Parsed::Version:
        Out(VersionText());
        return ExitCopied;
    case Parsed::Error:
        Err(parsed.text + QLatin1Char('\n'));
        return ExitUsage;
    case Parsed::List:
        return RunList(parsed.list);
    case Parsed::Copy:
        return RunCopy(parsed.copy);
    }
    return ExitUsage;
}

} // namespace tw::cli
