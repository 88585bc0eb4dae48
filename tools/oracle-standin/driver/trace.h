#pragma once

#include <cstddef>
#include <string>

namespace orastandin::odbc {

// When ORACLE_STANDIN_TRACE names a file, appends one line per execution:
//
//     <call> TAB <parameter sets> TAB <statement>
//
// <call> is SQLExecDirect or SQLExecute (one line per SQLExecute of a
// prepared statement), <parameter sets> the sets the execution uses (1 for
// a statement without markers), <statement> the text as the program sent
// it with '\' written as "\\", a line feed as "\n", a carriage return as
// "\r" and a tab as "\t", so that every statement is one line. Off (and
// free) when the variable is unset or empty.
void traceStatement(const char* call, std::size_t parameterSets, const std::string& sql);
// Whether ORACLE_STANDIN_TRACE names a file.
bool tracing();

// The statement as the trace writes it.
std::string escapeForTrace(const std::string& sql);

} // namespace orastandin::odbc
