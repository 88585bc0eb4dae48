#include "standin_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace standintest {

namespace {

std::u16string wide(const QString& s)
{
    return s.toStdU16String();
}
const SQLWCHAR* w(const std::u16string& s)
{
    return reinterpret_cast<const SQLWCHAR*>(s.c_str());
}

Diag diagOf(SQLSMALLINT type, SQLHANDLE h, int record)
{
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLWCHAR message[1024] = {};
    SQLSMALLINT length = 0;
    Diag d;
    if (SQL_SUCCEEDED(
            SQLGetDiagRecW(type, h, SQLSMALLINT(record), state, &native, message, 1024, &length))) {
        d.state = QString::fromUtf16(reinterpret_cast<const char16_t*>(state));
        d.native = native;
        d.message = QString::fromUtf16(reinterpret_cast<const char16_t*>(message), length);
        if (type == SQL_HANDLE_STMT)
            SQLGetDiagField(type, h, SQLSMALLINT(record), SQL_DIAG_ROW_NUMBER, &d.row, 0, nullptr);
    }
    return d;
}

} // namespace

World::World(const QByteArray& settings, const QByteArray& moreSections)
{
    QDir(m_dir.path()).mkpath("data");
    QDir(m_dir.path()).mkpath("ini");
    QFile ini(iniDir() + "/odbcinst.ini");
    ini.open(QIODevice::WriteOnly);
    ini.write("[Microsoft ODBC for Oracle]\nDriver = " STANDIN_DRIVER_PATH "\nDataDirectory = ");
    ini.write(dataDir().toUtf8() + "\n");
    ini.write(settings);
    ini.write(QByteArray(moreSections)
                  .replace("@DRIVER@", STANDIN_DRIVER_PATH)
                  .replace("@DATA@", dataDir().toUtf8()));
    ini.close();
    QFile odbc(iniDir() + "/odbc.ini");
    odbc.open(QIODevice::WriteOnly);
    odbc.close();
    qputenv("ODBCSYSINI", iniDir().toUtf8());
    qputenv("ODBCINI", (iniDir() + "/odbc.ini").toUtf8());
    admin({ "create-sid", "ZEDA" });
    admin({ "create-user", "ZEDA", "SCOTT", "tiger" });
}

int World::admin(const QStringList& args, QString* out, QString* err) const
{
    QProcess p;
    p.start(STANDIN_ADMIN_PATH, QStringList { "--data", dataDir() } + args);
    p.waitForFinished(60000);
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QString World::connectionString(
    const QString& sid, const QString& user, const QString& pwd, const QString& driver)
{
    // The form the program builds: no quoting, a semicolon after every value,
    // the SID once as Microsoft's driver reads it and once as Oracle's does.
    return "Driver={" + driver + "};Server=" + sid + ";Uid=" + user + ";Pwd=" + pwd + ";DBQ=" + sid
        + ";";
}

Connection::Connection()
{
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
    SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
}

Connection::~Connection()
{
    if (m_open)
        SQLDisconnect(m_dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_env);
}

SQLRETURN Connection::open(const QString& connectionString)
{
    const auto cs = wide(connectionString);
    SQLWCHAR out[1024];
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(m_dbc, nullptr, const_cast<SQLWCHAR*>(w(cs)), SQL_NTS,
        out, 1024, &outLength, SQL_DRIVER_NOPROMPT);
    m_open = SQL_SUCCEEDED(rc);
    return rc;
}

Diag Connection::diag() const
{
    return diagOf(SQL_HANDLE_DBC, m_dbc, 1);
}

SQLRETURN Connection::setAutocommit(bool on)
{
    return SQLSetConnectAttr(m_dbc, SQL_ATTR_AUTOCOMMIT,
        reinterpret_cast<SQLPOINTER>(SQLULEN(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)), 0);
}

SQLRETURN Connection::disconnect()
{
    const SQLRETURN rc = SQLDisconnect(m_dbc);
    m_open = m_open && !SQL_SUCCEEDED(rc);
    return rc;
}

Statement::Statement(const Connection& c)
{
    SQLAllocHandle(SQL_HANDLE_STMT, c.handle(), &m_stmt);
}

Statement::~Statement()
{
    SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
}

SQLRETURN Statement::exec(const QString& sql)
{
    SQLFreeStmt(m_stmt, SQL_CLOSE);
    const auto s = wide(sql);
    return SQLExecDirectW(m_stmt, const_cast<SQLWCHAR*>(w(s)), SQL_NTS);
}

SQLRETURN Statement::prepare(const QString& sql)
{
    const auto s = wide(sql);
    return SQLPrepareW(m_stmt, const_cast<SQLWCHAR*>(w(s)), SQL_NTS);
}

SQLRETURN Statement::setAttr(SQLINTEGER attribute, SQLULEN value)
{
    return SQLSetStmtAttr(m_stmt, attribute, reinterpret_cast<SQLPOINTER>(value), 0);
}

SQLRETURN Statement::setAttr(SQLINTEGER attribute, void* pointer)
{
    return SQLSetStmtAttr(m_stmt, attribute, pointer, 0);
}

Diag Statement::diag(int record) const
{
    return diagOf(SQL_HANDLE_STMT, m_stmt, record);
}

SQLLEN Statement::rowCount() const
{
    SQLLEN n = -99;
    SQLRowCount(m_stmt, &n);
    return n;
}

SQLSMALLINT Statement::columnCount() const
{
    SQLSMALLINT n = -1;
    SQLNumResultCols(m_stmt, &n);
    return n;
}

bool Statement::fetch()
{
    return SQL_SUCCEEDED(SQLFetch(m_stmt));
}

std::optional<QString> Statement::text(int column)
{
    SQLWCHAR buffer[8192];
    SQLLEN indicator = 0;
    const SQLRETURN rc
        = SQLGetData(m_stmt, SQLUSMALLINT(column), SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
    if (!SQL_SUCCEEDED(rc))
        return QString("<error %1>").arg(diag().message);
    if (indicator == SQL_NULL_DATA)
        return std::nullopt;
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer), indicator / 2);
}

QStringList Statement::rows()
{
    QStringList out;
    const int n = columnCount();
    while (fetch()) {
        QStringList cells;
        for (int i = 1; i <= n; ++i)
            cells << text(i).value_or("<null>");
        out << cells.join('|');
    }
    return out;
}

bool run(const Connection& c, const QString& sql)
{
    Statement s(c);
    const SQLRETURN rc = s.exec(sql);
    if (!SQL_SUCCEEDED(rc)) {
        qWarning().noquote() << sql << "->" << s.diag().message;
        return false;
    }
    return true;
}

QStringList tableRows(const Connection& c, const QString& table)
{
    Statement s(c);
    if (!SQL_SUCCEEDED(s.exec("SELECT * FROM \"" + table + "\"")))
        return { "<error " + s.diag().message + ">" };
    return s.rows();
}

} // namespace standintest
