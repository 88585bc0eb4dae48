#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orastandin {

enum class TokenKind {
    Word, // unquoted identifier or keyword; text is upper-cased
    QuotedName, // "...", which may not hold a double quote itself
    String, // '...' with '' folded to '
    Number, // numeric literal as written
    Symbol, // one of ( ) , = * . + - ? / < > and the pairs <= >= <> != ^= ||
    End,
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    std::size_t offset = 0;

    bool isWord(std::string_view upper) const { return kind == TokenKind::Word && text == upper; }
    bool isSymbol(char c) const
    {
        return kind == TokenKind::Symbol && text.size() == 1 && text[0] == c;
    }
    bool isOperator(std::string_view op) const { return kind == TokenKind::Symbol && text == op; }
    bool isName() const { return kind == TokenKind::Word || kind == TokenKind::QuotedName; }
};

// The database's MAX_STRING_SIZE. STANDARD keeps the limits of Oracle
// before 12c: 4,000 bytes for VARCHAR2, NVARCHAR2 and a literal, 2,000 for
// RAW. EXTENDED raises all of them to 32,767 bytes.
enum class MaxStringSize { Standard, Extended };

// The longest text literal Oracle takes under `size`.
std::size_t maxLiteralBytes(MaxStringSize size);

// Splits one SQL statement into tokens the way Oracle's parser sees them.
// Throws OraError for lexical faults (ORA-00911, ORA-01740, ORA-01741,
// ORA-01756, ORA-00972, ORA-01704, ORA-25716). The last token is always End.
std::vector<Token> tokenize(std::string_view sql, MaxStringSize size = MaxStringSize::Standard);

// Oracle limits names to 128 bytes (12.2 and later).
constexpr std::size_t maxIdentifierBytes = 128;

} // namespace orastandin
