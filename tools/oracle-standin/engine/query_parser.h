#pragma once

#include "statement.h"

namespace orastandin {

class TokenReader;

// SELECT, UPDATE, DELETE and MERGE, from their first word on; markers are
// numbered from `parameters` on. Throw OraError with Oracle's number.
SelectStmt parseSelect(TokenReader& in, std::size_t& parameters);
UpdateStmt parseUpdate(TokenReader& in, std::size_t& parameters);
DeleteStmt parseDelete(TokenReader& in, std::size_t& parameters);
MergeStmt parseMerge(TokenReader& in, std::size_t& parameters);

} // namespace orastandin
