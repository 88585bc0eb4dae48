#include "odbc/handles.h"

#include "odbc/error.h"

namespace tw::odbc {

namespace {

class Environment {
public:
    Environment()
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env)))
            throw DbError(QStringLiteral("Could not allocate the ODBC environment."));
        check(SQLSetEnvAttr(
                  m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
            SQL_HANDLE_ENV, m_env);
    }
    ~Environment() { SQLFreeHandle(SQL_HANDLE_ENV, m_env); }
    SQLHENV get() const { return m_env; }

private:
    SQLHENV m_env = SQL_NULL_HENV;
};

QList<Diagnostic> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QList<Diagnostic> records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, i, state, &native, nullptr, 0, &length);
        if (rc == SQL_NO_DATA || !SQL_SUCCEEDED(rc))
            break;
        std::vector<SQLWCHAR> text(size_t(length) + 1, 0);
        rc = SQLGetDiagRecW(
            handleType, handle, i, state, &native, text.data(), SQLSMALLINT(text.size()), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        records.append({ fromSqlWChar(state, 5), int(native), fromSqlWChar(text.data(), length) });
    }
    return records;
}

} // namespace

SQLHENV environment()
{
    static Environment env;
    return env.get();
}

void check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle)
{
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return;
    if (rc == SQL_INVALID_HANDLE)
        throw DbError(QStringLiteral("Invalid ODBC handle."));
    QList<Diagnostic> records = diagnostics(handleType, handle);
    if (records.isEmpty())
        records.append({ QStringLiteral("HY000"), 0,
            QStringLiteral("The ODBC call failed without a diagnostic (return code %1).")
                .arg(rc) });
    throw DbError(std::move(records));
}

std::vector<SQLWCHAR> toSqlWChar(const QString& text)
{
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR is UTF-16");
    std::vector<SQLWCHAR> out(size_t(text.size()) + 1, 0);
    std::copy(text.utf16(), text.utf16() + text.size(), out.begin());
    return out;
}

QString fromSqlWChar(const SQLWCHAR* text, qsizetype length)
{
    if (length < 0) {
        length = 0;
        while (text[length])
            ++length;
    }
    // Not fromUtf16, which takes a leading U+FEFF for a byte order mark.
    return QString(reinterpret_cast<const QChar*>(text), length);
}

ConnectionHandle ConnectionHandle::allocate()
{
    ConnectionHandle h;
    h.m_owned = std::make_unique<Owned>();
    SQLHENV env = environment();
    check(SQLAllocHandle(SQL_HANDLE_DBC, env, &h.m_owned->handle), SQL_HANDLE_ENV, env);
    return h;
}

ConnectionHandle::Owned::~Owned()
{
    *alive = false;
    if (handle == SQL_NULL_HDBC)
        return;
    if (connected)
        SQLDisconnect(handle);
    SQLFreeHandle(SQL_HANDLE_DBC, handle);
}

StatementHandle StatementHandle::allocate(const ConnectionHandle& connection)
{
    StatementHandle s;
    s.m_owned = std::make_unique<Owned>();
    check(SQLAllocHandle(SQL_HANDLE_STMT, connection.get(), &s.m_owned->handle), SQL_HANDLE_DBC,
        connection.get());
    s.m_owned->connectionAlive = connection.liveness();
    return s;
}

StatementHandle::Owned::~Owned()
{
    // A disconnect frees the connection's statements; freeing one again
    // afterwards would touch a dead handle.
    if (handle != SQL_NULL_HSTMT && connectionAlive && *connectionAlive)
        SQLFreeHandle(SQL_HANDLE_STMT, handle);
}

} // namespace tw::odbc
