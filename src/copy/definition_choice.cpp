#include "copy/definition_choice.h"

namespace tw::copy {

DefinitionChoice::DefinitionChoice(sql::Server target, std::unique_ptr<ExactDefinition> exact,
    const QStringList& columns, ColumnTypes types)
    : m_target(target)
    , m_exact(std::move(exact))
    , m_types(std::move(types))
{
    if (m_exact)
        m_exact->choose(columns, m_types);
}

QList<int> DefinitionChoice::textColumns() const
{
    return m_exact ? m_exact->textColumns() : QList<int>();
}

std::unique_ptr<TableDefinition> DefinitionChoice::finish(
    const QList<SourceColumn>& read, bool fractionsRounded)
{
    if (m_exact) {
        m_exact->checkColumns(read);
        return std::move(m_exact);
    }
    auto plain = std::make_unique<PlainDefinition>(m_target, read);
    if (!m_types.isEmpty())
        plain->choose(m_types);
    plain->setFractionsRounded(fractionsRounded);
    return plain;
}

} // namespace tw::copy
