#include "copy/schema/check_conditions.h"

#include <QRegularExpression>

namespace tw::copy::schema {

namespace {

struct Token {
    enum Kind { Name, Number, Operator, And, Open, Close } kind;
    QString text;
};

std::optional<QList<Token>> tokens(const QString& s)
{
    static const QRegularExpression token(QStringLiteral(
        "\\s*(?:`((?:[^`]|``)+)`|\"((?:[^\"]|\"\")+)\"|([A-Za-z_][A-Za-z0-9_$#]*)"
        "|([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)|(<>|!=|<=|>=|=|<|>)|(\\()|(\\)))"));
    QList<Token> out;
    qsizetype at = 0;
    while (at < s.size()) {
        if (s.mid(at).trimmed().isEmpty())
            break;
        const auto m = token.match(
            s, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            return std::nullopt;
        at = m.capturedEnd();
        if (m.hasCaptured(1)) {
            out.append(Token {
                Token::Name, m.captured(1).replace(QLatin1String("``"), QLatin1String("`")) });
        } else if (m.hasCaptured(2)) {
            out.append(Token {
                Token::Name, m.captured(2).replace(QLatin1String("\"\""), QLatin1String("\"")) });
        } else if (m.hasCaptured(3)) {
            // A bare name is marked, to be matched by the source's rules.
            if (m.captured(3).compare(QLatin1String("AND"), Qt::CaseInsensitive) == 0)
                out.append(Token { Token::And, QString() });
            else
                out.append(Token { Token::Name, QChar(0) + m.captured(3) });
        } else if (m.hasCaptured(4)) {
            out.append(Token { Token::Number, m.captured(4) });
        } else if (m.hasCaptured(5)) {
            out.append(Token { Token::Operator,
                m.captured(5) == QLatin1String("!=") ? QStringLiteral("<>") : m.captured(5) });
        } else {
            out.append(Token { m.hasCaptured(6) ? Token::Open : Token::Close, QString() });
        }
    }
    return out;
}

// The table's column a name means.
std::optional<QString> columnOf(const QString& name, sql::Server from, const QStringList& columns)
{
    if (!name.startsWith(QChar(0)))
        return columns.contains(name) ? std::optional<QString>(name) : std::nullopt;
    const QString bare = name.mid(1);
    for (const QString& c : columns) {
        const bool same = from == sql::Server::MySQL ? c.compare(bare, Qt::CaseInsensitive) == 0
                                                     : c == bare.toUpper();
        if (same)
            return c;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> targetCondition(const QString& condition, sql::Server from,
    const QStringList& columns, const sql::Dialect& target)
{
    auto list = tokens(condition);
    if (!list)
        return std::nullopt;
    // Parentheses around the whole, or around one comparison, change nothing.
    QList<Token> flat;
    for (const Token& t : std::as_const(*list)) {
        if (t.kind != Token::Open && t.kind != Token::Close)
            flat.append(t);
    }
    int depth = 0;
    for (const Token& t : std::as_const(*list)) {
        depth += t.kind == Token::Open ? 1 : t.kind == Token::Close ? -1 : 0;
        if (depth < 0)
            return std::nullopt;
    }
    if (depth != 0 || flat.size() % 4 != 3)
        return std::nullopt;
    QStringList parts;
    for (qsizetype i = 0; i < flat.size(); i += 4) {
        if (i > 0 && flat[i - 1].kind != Token::And)
            return std::nullopt;
        const Token& left = flat[i];
        const Token& op = flat[i + 1];
        const Token& right = flat[i + 2];
        if (op.kind != Token::Operator)
            return std::nullopt;
        bool column = false;
        QStringList operands;
        for (const Token* side : { &left, &right }) {
            if (side->kind == Token::Number) {
                operands.append(side->text);
            } else if (side->kind == Token::Name) {
                const auto name = columnOf(side->text, from, columns);
                if (!name)
                    return std::nullopt;
                operands.append(target.quote(*name));
                column = true;
            } else {
                return std::nullopt;
            }
        }
        if (!column)
            return std::nullopt;
        parts.append(operands[0] + u' ' + op.text + u' ' + operands[1]);
    }
    return parts.join(QLatin1String(" AND "));
}

} // namespace tw::copy::schema
