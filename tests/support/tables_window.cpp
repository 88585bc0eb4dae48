#include "support/tables_window.h"

#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/listing.h"
#include "db/recordset.h"
#include "support/testbed.h"

#include <QRegularExpression>
#include <QTest>

namespace tw::test {

namespace {
QList<QPair<QString, qint16>> columnsOf(db::Connection& connection, const QString& sql)
{
    db::Recordset rs;
    rs.Open(sql, connection);
    QList<QPair<QString, qint16>> out;
    for (const db::Field& f : rs.Fields())
        out.append({ f.Name, f.Type });
    return out;
}

QList<QList<odbc::Value>> rowsOf(db::Connection& connection, const QString& sql)
{
    db::Recordset rs;
    rs.Open(sql, connection);
    QList<QList<odbc::Value>> rows;
    for (; !rs.atEnd(); rs.MoveNext()) {
        QList<odbc::Value> row;
        for (const db::Field& f : rs.Fields())
            row.append(f.Value);
        rows.append(row);
    }
    return rows;
}
} // namespace

TablesWindow::TablesWindow(const db::LoginDetails& details)
    : login(details)
    , form(std::make_unique<tables::Form2>(login, dialogs, &loginWindow))
{
    form->Form_Load();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        qWarning("the tables window was not exposed");
    QObject::connect(form->ProgressBar1, &QProgressBar::valueChanged, form.get(),
        [this](int value) { progress.append(value); });
    refill();
}

TablesWindow::~TablesWindow() = default;

void TablesWindow::refill()
{
    db::ListMySQLTables(*form->List1, login);
    db::ListOracleTables(*form->List2, login);
}

void TablesWindow::select(tables::TableListBox* list, const QStringList& names)
{
    list->clearSelection();
    int first = -1;
    for (int i = 0; i < list->ListCount(); ++i) {
        if (!names.contains(list->List(i)))
            continue;
        list->SetSelected(i, true);
        if (first < 0)
            first = i;
    }
    QVERIFY2(list->SelCount() == names.size(), qPrintable(names.join(u',')));
    list->SetListIndex(first);
}

void TablesWindow::sendToOracle()
{
    QTest::mouseClick(form->PushButton[3], Qt::LeftButton);
}

void TablesWindow::sendToMySQL()
{
    QTest::mouseClick(form->PushButton[4], Qt::LeftButton);
}

QList<QList<odbc::Value>> oracleRows(const db::LoginDetails& details, const QString& sql)
{
    db::Connection connection;
    connection.Open(db::OracleConnectionString(details));
    return rowsOf(connection, sql);
}

void oracleExecute(const db::LoginDetails& details, const QStringList& statements)
{
    db::Connection connection;
    connection.Open(db::OracleConnectionString(details));
    for (const QString& sql : statements)
        connection.Execute(sql);
}

QList<QList<odbc::Value>> mysqlRows(const db::LoginDetails& details, const QString& sql)
{
    db::Connection connection;
    connection.Open(db::MySQLConnectionString(details));
    return rowsOf(connection, sql);
}

QList<QPair<QString, qint16>> oracleColumns(const db::LoginDetails& details, const QString& table)
{
    db::Connection connection;
    connection.Open(db::OracleConnectionString(details));
    return columnsOf(connection, QStringLiteral("SELECT * FROM \"%1\"").arg(table));
}

QList<QPair<QString, qint16>> mysqlColumns(const db::LoginDetails& details, const QString& table)
{
    db::Connection connection;
    connection.Open(db::MySQLConnectionString(details));
    return columnsOf(connection, QStringLiteral("SELECT * FROM `%1`").arg(table));
}

qint16 oracleNumberCode()
{
    const QString as = Testbed::instance().oracleSetting(QStringLiteral("NumberColumns"));
    return as == QLatin1String("SQL_DOUBLE") || as == QLatin1String("SQL_FLOAT") ? 5 : 131;
}

qint16 oracleVarcharCode()
{
    const bool wide
        = Testbed::instance().oracleSetting(QStringLiteral("CharacterColumns")) == u"wide";
    return wide ? 202 : 200;
}

qint16 oracleDateCode()
{
    const bool date
        = Testbed::instance().oracleSetting(QStringLiteral("DateColumns")) == u"SQL_TYPE_DATE";
    return date ? 133 : 135;
}

QString oracleMidnight(const QString& day)
{
    return oracleDateCode() == 133 ? day : day + QStringLiteral(" 00:00:00");
}

QString programSession(const QString& database)
{
    return QStringLiteral("root@127.0.0.1 on ") + database;
}

QString reportStatement(const QString& report)
{
    const qsizetype at = report.indexOf(QLatin1String("\r\rsql: "));
    return at < 0 ? QStringLiteral("<no sql line>") : report.mid(at + 7);
}

int reportLine(const QString& report)
{
    static const QRegularExpression line(QStringLiteral(" at line (\\d+)\r\r"));
    const auto m = line.match(report);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace tw::test
