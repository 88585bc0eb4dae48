#include "cli/command.h"

#include "cli/command_line.h"
#include "cli/compare_command.h"
#include "cli/copy_command.h"
#include "cli/ddl_command.h"
#include "cli/exit_codes.h"
#include "cli/list_command.h"
#include "cli/terminal.h"
#include "cli/version.h"
#include "db/yield.h"

#include <QCoreApplication>

namespace tw::cli {

int runCommandLine(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // No window waits to be repainted: long reads need not yield.
    db::disableYields();
    const Parsed parsed = parseArguments(app.arguments().mid(1), stdinIsTerminal());
    switch (parsed.kind) {
    case Parsed::Help:
        writeOut(parsed.text);
        return ExitCopied;
    case Parsed::Version:
        writeOut(VersionText());
        return ExitCopied;
    case Parsed::Error:
        writeErr(parsed.text + QLatin1Char('\n'));
        return ExitUsage;
    case Parsed::List:
        return runList(parsed.list);
    case Parsed::Copy:
        return runCopy(parsed.copy);
    case Parsed::Ddl:
        return runDdl(parsed.ddl);
    case Parsed::Compare:
        return runCompare(parsed.copy);
    }
    return ExitUsage;
}

} // namespace tw::cli
