#include "db/identifiers.h"

namespace tw::db {

namespace {
QString quoted(const QString& name, QChar quote)
{
    QString out;
    out.reserve(name.size() + 2);
    out += quote;
    for (QChar c : name) {
        out += c;
        if (c == quote)
            out += quote;
    }
    out += quote;
    return out;
}
} // namespace

QString QuoteMySQLName(const QString& name)
{
    return quoted(name, QLatin1Char('`'));
}
QString QuoteOracleName(const QString& name)
{
    return quoted(name, QLatin1Char('"'));
}

} // namespace tw::db
