#include "cli/job_file.h"

#include "cli/nearest.h"

#include <toml++/toml.h>

namespace tw::cli {

namespace {

// Options a job file cannot hold: they say what to do with the file itself.
const QStringList notInFile { QStringLiteral("job"), QStringLiteral("dry-run"),
    QStringLiteral("help"), QStringLiteral("where"), QStringLiteral("columns"),
    QStringLiteral("target-name") };
const QStringList tableKeys { QStringLiteral("name"), QStringLiteral("target"),
    QStringLiteral("where"), QStringLiteral("columns"), QStringLiteral("types"),
    QStringLiteral("schema"), QStringLiteral("column_types") };

QString where(const toml::node& node)
{
    const toml::source_region& at = node.source();
    return QStringLiteral("line %1").arg(at.begin.line);
}

QString text(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// A value as the text an option takes; nothing for one that is no text,
// number or truth value.
std::optional<QString> optionValue(const toml::node& node)
{
    if (const auto* s = node.as_string())
        return text(s->get());
    if (const auto* i = node.as_integer())
        return QString::number(i->get());
    return std::nullopt;
}

std::optional<QString> readTable(const toml::table& t, copy::TableRequest& out)
{
    for (const auto& [key, value] : t) {
        const QString name = text(key.str());
        if (!tableKeys.contains(name))
            return QStringLiteral("%1: a table takes no setting '%2'; did you mean '%3'?")
                .arg(where(value), name, nearest(name, tableKeys));
    }
    const auto string = [&](const char* key) -> std::optional<QString> {
        if (const auto* s = t[key].as_string())
            return text(s->get());
        return std::nullopt;
    };
    const std::optional<QString> name = string("name");
    if (!name || name->isEmpty())
        return QStringLiteral("%1: each table needs its name = \"...\"").arg(where(t));
    out.source = *name;
    out.target = string("target").value_or(QString());
    out.where = string("where").value_or(QString());
    if (const toml::node* c = t.get("columns")) {
        const toml::array* list = c->as_array();
        if (!list)
            return QStringLiteral("%1: columns is a list of names").arg(where(*c));
        for (const toml::node& item : *list) {
            if (!item.is_string())
                return QStringLiteral("%1: columns is a list of names").arg(where(item));
            out.columns << text(item.as_string()->get());
        }
    }
    if (const std::optional<QString> types = string("types")) {
        if (*types != QLatin1String("plain") && *types != QLatin1String("exact"))
            return QStringLiteral("%1: types is plain or exact, not '%2'").arg(where(t), *types);
        out.exact = *types == QLatin1String("exact");
    }
    if (const std::optional<QString> schema = string("schema")) {
        if (*schema != QLatin1String("basic") && *schema != QLatin1String("full"))
            return QStringLiteral("%1: schema is basic or full, not '%2'").arg(where(t), *schema);
        out.schema = *schema == QLatin1String("full") ? copy::ExactOptions::Schema::Whole
                                                      : copy::ExactOptions::Schema::Basic;
    }
    if (const toml::node* c = t.get("column_types")) {
        const toml::table* types = c->as_table();
        if (!types)
            return QStringLiteral("%1: column_types is a table of \"column\" = \"TYPE\"")
                .arg(where(*c));
        for (const auto& [column, type] : *types) {
            if (!type.is_string())
                return QStringLiteral("%1: the type of %2 is a text such as \"NUMBER(12,2)\"")
                    .arg(where(type), text(column.str()));
            out.types.append({ text(column.str()), text(type.as_string()->get()) });
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<JobFile> readJobFile(
    const QString& path, const QList<QCommandLineOption>& options, QString* problem)
{
    toml::table root;
    try {
        root = toml::parse_file(path.toStdString());
    } catch (const toml::parse_error& e) {
        *problem = QStringLiteral("%1, line %2: %3")
                       .arg(path)
                       .arg(e.source().begin.line)
                       .arg(text(e.description()));
        return std::nullopt;
    }
    JobFile job;
    QStringList allowed;
    QStringList flags;
    for (const QCommandLineOption& o : options) {
        const QString name = o.names().last();
        if (notInFile.contains(name))
            continue;
        allowed << name;
        if (o.valueName().isEmpty())
            flags << name;
    }
    for (const auto& [key, value] : root) {
        const QString name = text(key.str());
        if (name == QLatin1String("table")) {
            const toml::array* tables = value.as_array();
            if (!tables || !tables->is_array_of_tables()) {
                *problem = QStringLiteral("%1, %2: tables are [[table]] sections")
                               .arg(path, where(value));
                return std::nullopt;
            }
            for (const toml::node& t : *tables) {
                copy::TableRequest table;
                if (const std::optional<QString> wrong = readTable(*t.as_table(), table)) {
                    *problem = path + QStringLiteral(", ") + *wrong;
                    return std::nullopt;
                }
                job.tables << table;
            }
            continue;
        }
        if (!allowed.contains(name)) {
            *problem = QStringLiteral("%1, %2: '%3' is no option of copy a job file takes; did "
                                      "you mean '%4'?")
                           .arg(path, where(value), name,
                               nearest(name, allowed + QStringList { "table" }));
            return std::nullopt;
        }
        if (flags.contains(name)) {
            const auto* flag = value.as_boolean();
            if (!flag) {
                *problem
                    = QStringLiteral("%1, %2: %3 is true or false").arg(path, where(value), name);
                return std::nullopt;
            }
            if (flag->get())
                job.arguments << QStringLiteral("--") + name;
            continue;
        }
        const std::optional<QString> v = optionValue(value);
        if (!v) {
            *problem = QStringLiteral("%1, %2: %3 takes a text or a number")
                           .arg(path, where(value), name);
            return std::nullopt;
        }
        job.arguments << QStringLiteral("--") + name << *v;
    }
    return job;
}

} // namespace tw::cli
