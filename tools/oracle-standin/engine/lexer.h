#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orastandin {

enum class TokenKind {
    Word, // unquoted identifier or keyword; text is upper-cased
    QuotedName, // "..." with "" folded to "
    String, // '...' with '' folded to '
    Number, // numeric literal as written
    Symbol, // one of ( ) , = * . + -
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
    bool isName() const { return kind == TokenKind::Word || kind == TokenKind::QuotedName; }
};

// Splits one SQL statement into tokens the way Oracle's parser sees them.
// Throws OraError for lexical faults (ORA-00911, ORA-01740, ORA-01741,
// ORA-01756, ORA-00972). The last token is always End.
std::vector<Token> tokenize(std::string_view sql);

// Oracle limits names to 128 bytes (12.2 and later).
constexpr std::size_t maxIdentifierBytes = 128;

} // namespace orastandin
