#include "expression.h"
#include "literal_parser.h"
#include "ora_error.h"
#include "token_reader.h"

#include <algorithm>
#include <array>

namespace orastandin {

namespace {

[[noreturn]] void unimplemented()
{
    throwOra(3001, "unimplemented feature");
}

bool isCondition(const Expr& e)
{
    switch (e.kind) {
    case Expr::Kind::Not:
    case Expr::Kind::And:
    case Expr::Kind::Or:
    case Expr::Kind::Compare:
    case Expr::Kind::IsNull:
    case Expr::Kind::Between:
    case Expr::Kind::In:
    case Expr::Kind::Like:
        return true;
    default:
        return false;
    }
}

ExprPtr node(Expr::Kind kind)
{
    auto e = std::make_shared<Expr>();
    e->kind = kind;
    return e;
}

// Nesting this stand-in follows: deeper ones (thousands of parentheses)
// would overflow the stack; Oracle's own limits are not documented.
constexpr int maxDepth = 200;

class ExpressionParser {
public:
    ExpressionParser(TokenReader& in, std::size_t& parameters)
        : m_in(in)
        , m_parameters(parameters)
    { }

    ExprPtr condition()
    {
        ExprPtr e = orCondition();
        if (!isCondition(*e))
            throwOra(920, "invalid relational operator");
        return e;
    }

    // A value: a condition in its place is Oracle's ORA-00907.
    ExprPtr expression()
    {
        ExprPtr e = operand();
        if (isCondition(*e))
            throwOra(907, "missing right parenthesis");
        return e;
    }

private:
    ExprPtr orCondition()
    {
        ExprPtr left = andCondition();
        while (m_in.takeWord("OR"))
            left = binary(Expr::Kind::Or, left, andCondition());
        return left;
    }

    ExprPtr andCondition()
    {
        ExprPtr left = notCondition();
        while (m_in.takeWord("AND"))
            left = binary(Expr::Kind::And, left, notCondition());
        return left;
    }

    ExprPtr binary(Expr::Kind kind, ExprPtr left, ExprPtr right)
    {
        if (!isCondition(*left) || !isCondition(*right))
            throwOra(920, "invalid relational operator");
        ExprPtr e = node(kind);
        e->args = { std::move(left), std::move(right) };
        return e;
    }

    // Counts a level of nesting while it is parsed.
    struct Nested {
        explicit Nested(int& depth)
            : m_depth(depth)
        {
            if (++m_depth > maxDepth)
                unimplemented();
        }
        ~Nested() { --m_depth; }
        int& m_depth;
    };

    ExprPtr notCondition()
    {
        const Nested nested(m_depth);
        if (m_in.takeWord("NOT")) {
            ExprPtr inner = notCondition();
            if (!isCondition(*inner))
                throwOra(920, "invalid relational operator");
            ExprPtr e = node(Expr::Kind::Not);
            e->args = { std::move(inner) };
            return e;
        }
        return predicate();
    }

    ExprPtr predicate()
    {
        ExprPtr left = operand();
        if (isCondition(*left))
            return left; // a parenthesized condition
        static constexpr std::array<std::string_view, 8> comparisons { "=", "<>", "!=", "^=", "<",
            "<=", ">", ">=" };
        for (const std::string_view op : comparisons) {
            if (!m_in.peek().isOperator(op))
                continue;
            m_in.take();
            if (m_in.peek().isWord("ANY") || m_in.peek().isWord("SOME")
                || m_in.peek().isWord("ALL"))
                unimplemented();
            ExprPtr e = node(Expr::Kind::Compare);
            e->op = (op == "!=" || op == "^=") ? "<>" : std::string(op);
            e->args = { std::move(left), expression() };
            return e;
        }
        if (m_in.takeWord("IS")) {
            ExprPtr e = node(Expr::Kind::IsNull);
            e->negated = m_in.takeWord("NOT");
            if (!m_in.takeWord("NULL"))
                throwOra(908, "missing NULL keyword");
            e->args = { std::move(left) };
            return e;
        }
        const bool negated = m_in.peek().isWord("NOT")
            && (m_in.peek(1).isWord("BETWEEN") || m_in.peek(1).isWord("IN")
                || m_in.peek(1).isWord("LIKE"));
        if (negated)
            m_in.take();
        if (m_in.takeWord("BETWEEN")) {
            ExprPtr e = node(Expr::Kind::Between);
            e->negated = negated;
            ExprPtr low = expression();
            if (!m_in.takeWord("AND"))
                throwOra(905, "missing keyword");
            e->args = { std::move(left), std::move(low), expression() };
            return e;
        }
        if (m_in.takeWord("IN")) {
            ExprPtr e = node(Expr::Kind::In);
            e->negated = negated;
            if (!m_in.takeSymbol('('))
                throwOra(906, "missing left parenthesis");
            if (m_in.peek().isWord("SELECT"))
                unimplemented();
            e->args.push_back(std::move(left));
            for (;;) {
                e->args.push_back(expression());
                if (m_in.takeSymbol(','))
                    continue;
                if (m_in.takeSymbol(')'))
                    break;
                throwOra(907, "missing right parenthesis");
            }
            return e;
        }
        if (m_in.takeWord("LIKE")) {
            ExprPtr e = node(Expr::Kind::Like);
            e->negated = negated;
            e->args = { std::move(left), expression() };
            if (m_in.takeWord("ESCAPE"))
                e->args.push_back(expression());
            return e;
        }
        return left;
    }

    // A value, or a parenthesized condition for the caller to judge.
    ExprPtr operand()
    {
        const Nested nested(m_depth);
        const std::size_t start = m_in.offset();
        ExprPtr e = primary();
        // Arithmetic and concatenation are Oracle's, not this stand-in's.
        const Token& t = m_in.peek();
        if (t.isSymbol('+') || t.isSymbol('-') || t.isSymbol('*') || t.isSymbol('/')
            || t.isOperator("||"))
            unimplemented();
        if (e->text.empty()) {
            const std::size_t end = m_in.previousEnd();
            if (end > start && end <= m_in.source().size())
                e->text = std::string(m_in.source().substr(start, end - start));
        }
        return e;
    }

    ExprPtr primary()
    {
        const Token& t = m_in.peek();
        if (t.isSymbol('(')) {
            m_in.take();
            ExprPtr inner = orCondition();
            if (!m_in.takeSymbol(')'))
                throwOra(907, "missing right parenthesis");
            return inner;
        }
        if (t.isSymbol('?')) {
            m_in.take();
            ExprPtr e = node(Expr::Kind::Parameter);
            e->parameter = m_parameters++;
            return e;
        }
        if (t.isSymbol('-') || t.isSymbol('+')) {
            if (m_in.peek(1).kind != TokenKind::Number)
                unimplemented(); // unary minus of an expression
        }
        if (t.isWord("TO_DATE") || t.isWord("TO_TIMESTAMP"))
            return function();
        if (std::optional<Literal> literal = parseLiteral(m_in)) {
            ExprPtr e = node(Expr::Kind::Constant);
            e->literal = std::move(*literal);
            return e;
        }
        if (t.kind == TokenKind::Word && m_in.peek(1).isSymbol('('))
            return function();
        if (t.isName() && !(t.kind == TokenKind::Word && isReservedWord(t.text))) {
            ExprPtr e = node(Expr::Kind::Column);
            e->name = m_in.take().text;
            if (m_in.peek().isSymbol('.') && m_in.peek(1).isName()) {
                m_in.take();
                e->qualifier = std::move(e->name);
                e->name = m_in.take().text;
            }
            return e;
        }
        throwOra(936, "missing expression");
    }

    ExprPtr function()
    {
        const std::string name = m_in.take().text;
        m_in.take(); // (
        if (name == "COUNT") {
            ExprPtr e = node(Expr::Kind::Count);
            if (m_in.takeWord("DISTINCT"))
                unimplemented();
            m_in.takeWord("ALL");
            if (!m_in.takeSymbol('*'))
                e->args.push_back(expression());
            if (!m_in.takeSymbol(')'))
                throwOra(907, "missing right parenthesis");
            return e;
        }
        ExprPtr e = node(Expr::Kind::Function);
        e->name = name;
        if (m_in.takeSymbol(')'))
            return e;
        for (;;) {
            e->args.push_back(expression());
            if (m_in.takeSymbol(','))
                continue;
            if (m_in.takeSymbol(')'))
                break;
            throwOra(907, "missing right parenthesis");
        }
        return e;
    }

    TokenReader& m_in;
    std::size_t& m_parameters;
    int m_depth = 0;
};

} // namespace

ExprPtr parseExpression(TokenReader& in, std::size_t& parameters)
{
    return ExpressionParser(in, parameters).expression();
}

ExprPtr parseCondition(TokenReader& in, std::size_t& parameters)
{
    return ExpressionParser(in, parameters).condition();
}

ExprPtr parseCondition(const std::string& text)
{
    TokenReader in(tokenize(text));
    in.setSource(text);
    std::size_t parameters = 0;
    ExprPtr e = parseCondition(in, parameters);
    in.expectEnd();
    return e;
}

} // namespace orastandin
