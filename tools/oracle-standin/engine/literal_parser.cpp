#include "literal_parser.h"

#include "ora_error.h"
#include "token_reader.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orastandin {

bool isReservedWord(const std::string& word)
{
    // A subset of V$RESERVED_WORDS that covers everything this program could meet.
    static constexpr std::array<std::string_view, 56> words { "ACCESS", "ADD", "ALL", "ALTER",
        "AND", "ANY", "AS", "ASC", "AUDIT", "BETWEEN", "BY", "CHAR", "CHECK", "CLUSTER", "COLUMN",
        "COMMENT", "COMPRESS", "CONNECT", "CREATE", "CURRENT", "DATE", "DECIMAL", "DEFAULT",
        "DELETE", "DESC", "DISTINCT", "DROP", "ELSE", "EXISTS", "FLOAT", "FOR", "FROM", "GRANT",
        "GROUP", "HAVING", "IN", "INDEX", "INSERT", "INTEGER", "INTO", "IS", "LIKE", "NOT", "NULL",
        "NUMBER", "OF", "ON", "OR", "ORDER", "RENAME", "SELECT", "SET", "TABLE", "UPDATE", "VALUES",
        "WHERE" };
    return std::find(words.begin(), words.end(), word) != words.end();
}

int parseInteger(TokenReader& in)
{
    const Token& t = in.peek();
    if (t.kind != TokenKind::Number
        || !std::all_of(t.text.begin(), t.text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throwOra(2017, "integer value required");
    const std::string& digits = in.take().text;
    // Longer than any limit Oracle checks against; keep it from overflowing.
    return digits.size() > 9 ? 999999999 : std::stoi(digits);
}

std::string parseSignedNumber(TokenReader& in)
{
    std::string sign;
    if (in.peek().isSymbol('-') || in.peek().isSymbol('+'))
        sign = in.take().text;
    if (in.peek().kind != TokenKind::Number)
        throwOra(936, "missing expression");
    return sign + in.take().text;
}

void parseDayToSecond(TokenReader& in, int& leading, int& fraction)
{
    auto precision = [&](int& value) {
        if (!in.takeSymbol('('))
            return;
        value = parseInteger(in);
        if (value > 9)
            throwOra(30088, "datetime/interval precision is out of range");
        if (!in.takeSymbol(')'))
            throwOra(907, "missing right parenthesis");
    };
    if (!in.takeWord("DAY"))
        throwOra(3001, "unimplemented feature");
    leading = 2;
    fraction = 6;
    precision(leading);
    if (!in.takeWord("TO"))
        throwOra(905, "missing keyword");
    if (!in.takeWord("SECOND"))
        throwOra(3001, "unimplemented feature");
    precision(fraction);
}

std::optional<Literal> parseLiteral(TokenReader& in)
{
    const Token& t = in.peek();
    if (t.kind == TokenKind::String)
        return Literal::of(Literal::Kind::String, in.take().text);
    if (t.isWord("NULL")) {
        in.take();
        return Literal {};
    }
    if ((t.isWord("DATE") || t.isWord("TIMESTAMP")) && in.peek(1).kind == TokenKind::String) {
        const auto kind = in.take().text == "DATE" ? Literal::Kind::Date : Literal::Kind::Timestamp;
        return Literal::of(kind, in.take().text);
    }
    if (t.isWord("INTERVAL") && in.peek(1).kind == TokenKind::String) {
        in.take();
        Literal l = Literal::of(Literal::Kind::Interval, in.take().text);
        parseDayToSecond(in, l.leadingPrecision, l.fractionPrecision);
        return l;
    }
    if (t.kind == TokenKind::Number
        || ((t.isSymbol('-') || t.isSymbol('+')) && in.peek(1).kind == TokenKind::Number))
        return Literal::of(Literal::Kind::Number, parseSignedNumber(in));
    return std::nullopt;
}

} // namespace orastandin
