#pragma once

#include "statement.h"

namespace orastandin {

class TokenReader;

// SELECT, from their first word on; markers are
// numbered from `parameters` on. Throw OraError with Oracle's number.
SelectStmt parseSelect(TokenReader& in, std::size_t& parameters);

} // namespace orastandin
