#pragma once

#include "statement.h"

#include <optional>
#include <string>

namespace orastandin {

class TokenReader;

// Words Oracle refuses as unquoted names.
bool isReservedWord(const std::string& word);

// A literal where one may stand, shared by INSERT's VALUES, DEFAULT and
// expressions: 'text', a number with an optional sign, NULL, DATE '...',
// TIMESTAMP '...', INTERVAL '...' DAY TO SECOND. Nothing when the next
// tokens are no literal; the tokens are then left in place.
std::optional<Literal> parseLiteral(TokenReader& in);

// "[+|-] digits" as one number's text; ORA-00936 when there is none.
std::string parseSignedNumber(TokenReader& in);

// "DAY [(p)] TO SECOND [(s)]" after INTERVAL, in a type or a literal.
// Other interval types are Oracle's but not kept by this stand-in.
void parseDayToSecond(TokenReader& in, int& leading, int& fraction);

// A non-negative integer literal (ORA-02017 otherwise), capped where no limit reaches.
int parseInteger(TokenReader& in);

} // namespace orastandin
