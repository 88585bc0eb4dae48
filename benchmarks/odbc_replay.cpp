#include "odbc_replay.h"

#include <chrono>
#include <sql.h>
#include <sqlext.h>
#include <stdexcept>
#include <string>

namespace tw::bench {

namespace {
std::string diagnostic(SQLSMALLINT type, SQLHANDLE handle)
{
    SQLCHAR state[6] = {};
    SQLCHAR text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, handle, 1, state, &native, text, sizeof text, &length);
    return reinterpret_cast<const char*>(text);
}
} // namespace

double replayThroughOdbc(
    const QString& connectionString, const QList<QByteArray>& statements, Calls calls)
{
    QList<QString> wide;
    if (calls == Calls::Wide) {
        for (const QByteArray& sql : statements)
            wide << QString::fromUtf8(sql);
    }
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    const QByteArray cs = connectionString.toUtf8();
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, (SQLCHAR*)cs.constData(), SQL_NTS, nullptr, 0,
            nullptr, SQL_DRIVER_NOPROMPT)))
        throw std::runtime_error("replay connect: " + diagnostic(SQL_HANDLE_DBC, dbc));
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    const auto start = std::chrono::steady_clock::now();
    for (qsizetype i = 0; i < statements.size(); ++i) {
        const SQLRETURN rc = calls == Calls::Wide
            ? SQLExecDirectW(stmt, (SQLWCHAR*)wide[i].utf16(), SQLINTEGER(wide[i].size()))
            : SQLExecDirect(
                stmt, (SQLCHAR*)statements[i].constData(), SQLINTEGER(statements[i].size()));
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA)
            throw std::runtime_error("replay: " + diagnostic(SQL_HANDLE_STMT, stmt));
        SQLFreeStmt(stmt, SQL_CLOSE);
    }
    const double seconds
        = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return seconds;
}

} // namespace tw::bench
