#pragma once

#include "lexer.h"
#include "ora_error.h"

#include <string_view>
#include <vector>

namespace orastandin {

// A statement's tokens, read front to back by the statement and expression parsers.
class TokenReader {
public:
    explicit TokenReader(std::vector<Token> tokens)
        : m_tokens(std::move(tokens))
    { }

    const Token& peek(std::size_t ahead = 0) const
    {
        return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)];
    }
    const Token& take()
    {
        const Token& t = peek();
        if (m_pos < m_tokens.size() - 1)
            ++m_pos;
        return t;
    }
    bool takeSymbol(char c)
    {
        if (!peek().isSymbol(c))
            return false;
        take();
        return true;
    }
    bool takeWord(std::string_view w)
    {
        if (!peek().isWord(w))
            return false;
        take();
        return true;
    }
    void expectEnd() const
    {
        if (peek().kind != TokenKind::End)
            throwOra(933, "SQL command not properly ended");
    }
    // Where the next token starts in the statement text.
    std::size_t offset() const { return peek().offset; }
    // Where the token just taken ends: the start of the next one, less blanks.
    std::size_t previousEnd() const
    {
        return m_pos == 0 ? 0 : m_tokens[m_pos - 1].offset + tokenLength(m_pos - 1);
    }
    void setSource(std::string_view sql) { m_sql = sql; }
    std::string_view source() const { return m_sql; }

private:
    std::size_t tokenLength(std::size_t i) const
    {
        // The token's length in the text: up to the next token's start, less blanks.
        const std::size_t next = i + 1 < m_tokens.size() ? m_tokens[i + 1].offset : m_sql.size();
        std::size_t end = next;
        while (end > m_tokens[i].offset && end <= m_sql.size()
            && (m_sql[end - 1] == ' ' || m_sql[end - 1] == '\t' || m_sql[end - 1] == '\n'
                || m_sql[end - 1] == '\r'))
            --end;
        return end - m_tokens[i].offset;
    }

    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
    std::string_view m_sql;
};

} // namespace orastandin
