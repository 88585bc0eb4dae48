#include "shell/error_trap.h"

#include "odbc/error.h"
#include "shell/product.h"

namespace tw::shell {

ErrorTrap::ErrorTrap(Dialogs& dialogs, QString procedure, const QString* statement)
    : m_dialogs(dialogs)
    , m_procedure(std::move(procedure))
    , m_statement(statement)
{ }

QString ErrorTrap::Description(std::exception_ptr error)
{
    return odbc::describe(error);
}

namespace {
// The statement as the report shows it; only the part shown is copied.
QString shownStatement(const QString& statement)
{
    if (statement.size() <= ErrorTrap::statementShown)
        return statement;
    qsizetype cut = ErrorTrap::statementShown;
    // A character outside the BMP stays whole or goes whole.
    if (statement.at(cut - 1).isHighSurrogate())
        --cut;
    return statement.left(cut) + QStringLiteral(" \u2026 (") + QString::number(statement.size())
        + QStringLiteral(" characters in all)");
}
} // namespace

QString ErrorTrap::ReportText(
    const QString& description, const QString& procedure, int line, const QString* statement)
{
    QString text = description + QStringLiteral("\r\n") + QStringLiteral("in ") + procedure
        + QLatin1Char(' ') + QStringLiteral("at line ") + QString::number(line)
        + QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ")
        + SupportAddress();
    if (statement)
        text += QStringLiteral("\r\r") + QStringLiteral("sql: ") + shownStatement(*statement);
    return text;
}

void ErrorTrap::Report(std::exception_ptr error)
{
    m_lastError = error;
    show(Description(error));
}

void ErrorTrap::Report(int number, const QString& description)
{
    m_line = number;
    show(description);
}

void ErrorTrap::show(const QString& description)
{
    m_dialogs.MsgBox(ReportText(description, m_procedure, m_line, m_statement), Dialogs::OkOnly,
        QStringLiteral("Application Error"), Dialogs::Exclamation);
}

} // namespace tw::shell
