#include "copy/resume_state.h"

#include "db/recordset.h"
#include "odbc/error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QUuid>

namespace tw::copy {

namespace {
constexpr int stateVersion = 1;
} // namespace

std::unique_ptr<ResumeState> ResumeState::open(
    const QString& path, const QString& fingerprint, QString* problem)
{
    auto state = std::unique_ptr<ResumeState>(new ResumeState);
    state->m_path = path;
    state->m_fingerprint = fingerprint;
    QFile file(path);
    if (!file.exists()) {
        // Written at the first table begun, so that a run refused up front
        // leaves no state behind.
        state->m_run = QUuid::createUuid().toString(QUuid::WithoutBraces);
        return state;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return nullptr;
    }
    const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
    if (o.value(QStringLiteral("version")).toInt() != stateVersion
        || o.value(QStringLiteral("run")).toString().isEmpty()) {
        *problem = QStringLiteral("%1 is not a state this program wrote").arg(path);
        return nullptr;
    }
    if (o.value(QStringLiteral("copy")).toString() != fingerprint) {
        *problem = QStringLiteral("%1 is the state of another copy (other tables or options); "
                                  "give the same ones, or remove the file to start afresh")
                       .arg(path);
        return nullptr;
    }
    state->m_resumed = true;
    state->m_run = o.value(QStringLiteral("run")).toString();
    for (const QJsonValue& t : o.value(QStringLiteral("finished")).toArray())
        state->m_finished << t.toString();
    const QJsonObject into = o.value(QStringLiteral("into")).toObject();
    for (auto it = into.begin(); it != into.end(); ++it)
        state->m_into.insert(it.key(), it.value().toString());
    return state;
}

bool ResumeState::finished(const QString& table) const
{
    std::lock_guard lock(m_mutex);
    return m_finished.contains(table);
}

std::optional<QString> ResumeState::into(const QString& table) const
{
    std::lock_guard lock(m_mutex);
    if (!m_into.contains(table))
        return std::nullopt;
    return m_into.value(table);
}

void ResumeState::begin(const QString& table, const QString& into)
{
    std::lock_guard lock(m_mutex);
    m_into.insert(table, into);
    save();
}

void ResumeState::finish(const QString& table)
{
    std::lock_guard lock(m_mutex);
    m_into.remove(table);
    if (!m_finished.contains(table))
        m_finished << table;
    save();
}

void ResumeState::complete()
{
    std::lock_guard lock(m_mutex);
    QFile::remove(m_path);
}

void ResumeState::save()
{
    QJsonObject into;
    for (auto it = m_into.begin(); it != m_into.end(); ++it)
        into.insert(it.key(), it.value());
    const QJsonObject o { { QStringLiteral("version"), stateVersion },
        { QStringLiteral("run"), m_run }, { QStringLiteral("copy"), m_fingerprint },
        { QStringLiteral("finished"), QJsonArray::fromStringList(m_finished) },
        { QStringLiteral("into"), into } };
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)
        || file.write(QJsonDocument(o).toJson(QJsonDocument::Indented)) < 0 || !file.commit())
        throw odbc::DbError(
            QStringLiteral("Cannot write the state %1: %2").arg(m_path, file.errorString()));
}

ResumePoint::ResumePoint(const sql::Dialect& target, QString run, QString name, KeyColumns key)
    : m_dialect(target)
    , m_run(std::move(run))
    , m_name(std::move(name))
    , m_key(std::move(key))
{ }

void ResumePoint::prepare(
    db::Connection& target, const sql::Dialect& dialect, const QStringList& tables)
{
    if (!tables.contains(dialect.resumeTable(), Qt::CaseInsensitive))
        target.Execute(dialect.createResumeTable());
}

void ResumePoint::start(db::Connection& target)
{
    target.Execute(m_dialect.resumeDelete(m_run, m_name));
    target.Execute(m_dialect.resumeInsert(m_run, m_name));
}

std::optional<QList<sql::KeyValue>> ResumePoint::last(db::Connection& target)
{
    const std::unique_ptr<db::Recordset> rs = target.Execute(m_dialect.resumeQuery(m_run, m_name));
    if (!rs || rs->atEnd() || odbc::isNull(rs->field(0).Value))
        return std::nullopt;
    const QString text = rs->field(0).Value.toString();
    std::optional<QList<sql::KeyValue>> key = keyFromText(text);
    if (!key || key->size() != m_key.positions.size())
        throw odbc::DbError(
            QStringLiteral("The resume table holds no key of this table: %1").arg(text));
    return key;
}

void ResumePoint::beforeCommit(db::Connection& target, const Row& lastRow)
{
    target.Execute(m_dialect.resumeUpdate(m_run, m_name, keyText(keyOf(lastRow, m_key))));
}

void ResumePoint::finish(db::Connection& target)
{
    target.Execute(m_dialect.resumeDelete(m_run, m_name));
}

void ResumePoint::finishRun(db::Connection& target, const sql::Dialect& dialect, const QString& run)
{
    target.Execute(dialect.resumeDeleteRun(run));
    const std::unique_ptr<db::Recordset> rs
        = target.Execute(dialect.countRows(dialect.resumeTable()));
    if (rs && !rs->atEnd() && rs->field(0).Value.toLongLong() == 0)
        target.Execute(dialect.dropTable(dialect.resumeTable()));
}

} // namespace tw::copy
