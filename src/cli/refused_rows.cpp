#include "cli/refused_rows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tw::cli {

RefusedRows::RefusedRows(Progress& progress)
    : m_progress(progress)
{ }

bool RefusedRows::open(const QString& path, QString* error)
{
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    *error = m_file.errorString();
    return false;
}

void RefusedRows::row(
    const QString& table, qint64 row, const QString& message, const QStringList& values)
{
    if (m_file.isOpen()) {
        QJsonArray carried;
        for (const QString& v : values)
            carried.append(v.isNull() ? QJsonValue() : QJsonValue(v));
        const QJsonObject line { { QStringLiteral("table"), table }, { QStringLiteral("row"), row },
            { QStringLiteral("message"), message }, { QStringLiteral("values"), carried } };
        m_file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
        // Whatever happens to the process next, the lines written so far stay.
        m_file.flush();
        return;
    }
    if (m_shown++ < shownPerTable)
        m_progress.message(
            QStringLiteral("%1: row %2 refused: %3").arg(table).arg(row).arg(message));
}

void RefusedRows::endTable(const QString& table, qint64 refused)
{
    m_shown = 0;
    if (refused == 0)
        return;
    const QString rows
        = refused == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(refused);
    if (m_file.isOpen())
        m_progress.message(
            QStringLiteral("%1: %2 refused, written to %3").arg(table, rows, m_file.fileName()));
    else if (refused > shownPerTable)
        m_progress.message(QStringLiteral("%1: %2 refused (the first %3 shown)")
                               .arg(table, rows)
                               .arg(shownPerTable));
    else
        m_progress.message(QStringLiteral("%1: %2 refused").arg(table, rows));
}

} // namespace tw::cli
