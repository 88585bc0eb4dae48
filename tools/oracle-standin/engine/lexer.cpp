#include "lexer.h"

#include "ora_error.h"

namespace orastandin {

namespace {

bool isAsciiLetter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}
// Oracle accepts letters of the database character set in unquoted names;
// every non-ASCII byte of UTF-8 counts as such a letter here.
bool startsWord(unsigned char c)
{
    return isAsciiLetter(c) || c >= 0x80;
}
bool continuesWord(unsigned char c)
{
    return startsWord(c) || isDigit(c) || c == '_' || c == '$' || c == '#';
}
bool isBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

void checkLength(const std::string& name)
{
    if (name.size() > maxIdentifierBytes)
        throwOra(972, "identifier is too long");
}

class Lexer {
public:
    Lexer(std::string_view sql, MaxStringSize size)
        : m_sql(sql)
        , m_maxLiteral(maxLiteralBytes(size))
    { }

    std::vector<Token> run()
    {
        std::vector<Token> tokens;
        for (;;) {
            skipBlanksAndComments();
            if (m_pos >= m_sql.size())
                break;
            tokens.push_back(next());
        }
        tokens.push_back(Token { TokenKind::End, {}, m_sql.size() });
        return tokens;
    }

private:
    unsigned char at(std::size_t i) const { return i < m_sql.size() ? m_sql[i] : 0; }

    void skipBlanksAndComments()
    {
        while (m_pos < m_sql.size()) {
            const unsigned char c = at(m_pos);
            if (isBlank(c)) {
                ++m_pos;
            } else if (c == '-' && at(m_pos + 1) == '-') {
                while (m_pos < m_sql.size() && at(m_pos) != '\n')
                    ++m_pos;
            } else if (c == '/' && at(m_pos + 1) == '*') {
                const auto end = m_sql.find("*/", m_pos + 2);
                m_pos = end == std::string_view::npos ? m_sql.size() : end + 2;
            } else {
                break;
            }
        }
    }

    Token next()
    {
        const std::size_t start = m_pos;
        const unsigned char c = at(m_pos);
        if (startsWord(c))
            return word(start);
        if (isDigit(c) || (c == '.' && isDigit(at(m_pos + 1))))
            return number(start);
        if (c == '\'')
            return quoted(start, '\'', TokenKind::String);
        if (c == '"')
            return quoted(start, '"', TokenKind::QuotedName);
        switch (c) {
        case '(':
        case ')':
        case ',':
        case '=':
        case '*':
        case '.':
        case '+':
        case '-':
        case '?':
        case '/':
            ++m_pos;
            return Token { TokenKind::Symbol, std::string(1, char(c)), start };
        case '<':
        case '>':
        case '!':
        case '^':
        case '|':
            return comparison(start, char(c));
        default:
            // ';' lands here too: Oracle's ODBC path refuses a trailing one.
            invalidCharacter();
        }
    }

    // The comparison operators and ||; '!' and '^' only before '=', a lone
    // '|' nowhere, as Oracle's parser reads them.
    Token comparison(std::size_t start, char c)
    {
        const char n = char(at(m_pos + 1));
        const bool pair
            = (n == '=' && c != '|') || (c == '<' && n == '>') || (c == '|' && n == '|');
        if (!pair && (c == '!' || c == '^' || c == '|'))
            invalidCharacter();
        m_pos += pair ? 2 : 1;
        return Token { TokenKind::Symbol, std::string(m_sql.substr(start, m_pos - start)), start };
    }

    Token word(std::size_t start)
    {
        std::string text;
        while (m_pos < m_sql.size() && continuesWord(at(m_pos))) {
            char ch = m_sql[m_pos++];
            if (ch >= 'a' && ch <= 'z')
                ch = char(ch - 'a' + 'A');
            text += ch;
        }
        checkLength(text);
        return Token { TokenKind::Word, std::move(text), start };
    }

    Token number(std::size_t start)
    {
        while (isDigit(at(m_pos)))
            ++m_pos;
        if (at(m_pos) == '.') {
            ++m_pos;
            while (isDigit(at(m_pos)))
                ++m_pos;
        }
        if (at(m_pos) == 'e' || at(m_pos) == 'E') {
            std::size_t p = m_pos + 1;
            if (at(p) == '+' || at(p) == '-')
                ++p;
            if (isDigit(at(p))) {
                m_pos = p;
                while (isDigit(at(m_pos)))
                    ++m_pos;
            }
        }
        return Token { TokenKind::Number, std::string(m_sql.substr(start, m_pos - start)), start };
    }

    Token quoted(std::size_t start, char quote, TokenKind kind)
    {
        std::string text;
        ++m_pos;
        for (;;) {
            if (m_pos >= m_sql.size()) {
                if (kind == TokenKind::String)
                    throwOra(1756, "quoted string not properly terminated");
                throwOra(1740, "missing double quote in identifier");
            }
            const char ch = m_sql[m_pos++];
            if (ch == quote) {
                if (at(m_pos) == static_cast<unsigned char>(quote)) {
                    // A doubled quote stands for one in a literal; a name may
                    // not hold its own delimiter at all.
                    if (kind == TokenKind::QuotedName)
                        throwOra(25716,
                            "The identifier contains a double quotation mark (\") "
                            "character");
                    text += quote;
                    ++m_pos;
                    continue;
                }
                break;
            }
            text += ch;
        }
        if (kind == TokenKind::QuotedName) {
            if (text.empty())
                throwOra(1741, "illegal zero-length identifier");
            checkLength(text);
        } else if (text.size() > m_maxLiteral) {
            throwOra(1704, "string literal too long");
        }
        return Token { kind, std::move(text), start };
    }

    std::string_view m_sql;
    std::size_t m_maxLiteral;
    std::size_t m_pos = 0;
};

} // namespace

std::size_t maxLiteralBytes(MaxStringSize size)
{
    return size == MaxStringSize::Extended ? 32767 : 4000;
}

std::vector<Token> tokenize(std::string_view sql, MaxStringSize size)
{
    return Lexer(sql, size).run();
}

} // namespace orastandin
