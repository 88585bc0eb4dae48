#include "copy/schema/definition_names.h"

namespace tw::copy::schema {

DefinitionNames::DefinitionNames(const sql::Dialect& target)
    : m_target(target)
{ }

QStringList DefinitionNames::spacesOf(Kind kind, const QString& table) const
{
    const QString perTable = QStringLiteral("table\n") + table;
    if (m_target.server() == sql::Server::Oracle) {
        switch (kind) {
        case Kind::Index:
            return { QStringLiteral("indexes") };
        case Kind::UniqueKey:
            return { QStringLiteral("indexes"), QStringLiteral("constraints") };
        case Kind::Check:
        case Kind::ForeignKey:
            return { QStringLiteral("constraints") };
        }
    }
    switch (kind) {
    case Kind::Index:
    case Kind::UniqueKey:
    case Kind::Check:
        return { perTable };
    case Kind::ForeignKey:
        return { QStringLiteral("foreign keys") };
    }
    return {};
}

bool DefinitionNames::taken(const QString& space, const QString& name) const
{
    for (const QString& other : m_taken.value(space)) {
        if (m_target.sameName(other, name))
            return true;
    }
    return false;
}

QString DefinitionNames::claim(
    Kind kind, const QString& table, const QString& wanted, QString& change)
{
    const QStringList spaces = spacesOf(kind, table);
    const int limit = m_target.definitionNameLimit();
    auto fitted = [&](const QString& suffix) {
        QString base = wanted;
        while (!base.isEmpty() && m_target.nameSize(base + suffix) > limit)
            base.chop(base.size() >= 2 && base[base.size() - 1].isLowSurrogate() ? 2 : 1);
        return base + suffix;
    };
    auto free = [&](const QString& name) {
        for (const QString& space : spaces) {
            if (taken(space, name))
                return false;
        }
        return true;
    };
    QString name = fitted(QString());
    const bool cut = name != wanted;
    bool numbered = false;
    for (int n = 2; !free(name); ++n) {
        name = fitted(QStringLiteral("_%1").arg(n));
        numbered = true;
    }
    for (const QString& space : spaces)
        m_taken[space].append(name);
    change.clear();
    if (numbered) {
        change = QStringLiteral("named %1 in %2: the name is taken there by another %3")
                     .arg(name, m_target.name(),
                         m_target.server() == sql::Server::Oracle
                             ? QStringLiteral("index or constraint of the schema")
                             : QStringLiteral("index or key"));
    } else if (cut) {
        change = QStringLiteral("named %1 in %2, which takes names of at most %3 %4")
                     .arg(name, m_target.name())
                     .arg(limit)
                     .arg(m_target.server() == sql::Server::Oracle ? QStringLiteral("bytes")
                                                                   : QStringLiteral("characters"));
    }
    return name;
}

} // namespace tw::copy::schema
