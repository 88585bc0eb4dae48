#pragma once

#include "shell/dialogs.h"

#include <QString>
#include <exception>

namespace tw::shell {

// The one error trap of every user action. The handler records the number
// of each step before running it; when a step fails, the trap shows the
// "Application Error" report naming the handler and that step, and the
// handler carries on with its next action. Errors of routines without a
// trap of their own surface in the step that called them.
class ErrorTrap {
public:
    // `procedure` is the handler's location, e.g.
    // "Palomirdual2017/04/05.Form1.Form_Load". `statement`, when given, is the
    // handler's statement variable, shown after "sql: " in the report.
    ErrorTrap(Dialogs& dialogs, QString procedure, const QString* statement = nullptr);

    // Runs one action of step `number`; a failure is reported and swallowed.
    // Answers whether the action ran through.
    template <typename Action> bool Step(int number, Action&& action)
    {
        m_line = number;
        try {
            action();
            return true;
        } catch (...) {
            Report(std::current_exception());
            return false;
        }
    }

    // Evaluates a condition of step `number`. A condition that fails to
    // evaluate is reported and counts as true, so its block runs.
    template <typename Condition> bool If(int number, Condition&& condition)
    {
        m_line = number;
        try {
            return bool(condition());
        } catch (...) {
            Report(std::current_exception());
            return true;
        }
    }

    void Report(std::exception_ptr error);
    // A report of the handler's own, about step `number`.
    void Report(int number, const QString& description);
    // The failure last reported, for a handler that decides what to skip.
    std::exception_ptr LastError() const { return m_lastError; }

    // The text of the report, exactly as shown. The statement line shows at
    // most the first `statementShown` characters of the statement, then
    // " … (N characters in all)": a 16 MB value's INSERT is no report anyone
    // reads, and showing it whole would freeze the window for minutes.
    static constexpr qsizetype statementShown = 2000;
    static QString ReportText(
        const QString& description, const QString& procedure, int line, const QString* statement);
    // What the failing component says about the error.
    static QString Description(std::exception_ptr error);

private:
    void show(const QString& description);

    Dialogs& m_dialogs;
    QString m_procedure;
    const QString* m_statement;
    int m_line = 0;
    std::exception_ptr m_lastError;
};

} // namespace tw::shell
