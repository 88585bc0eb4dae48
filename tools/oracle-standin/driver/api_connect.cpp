// Connecting, disconnecting and connection attributes.

#include "connection_string.h"
#include "entry.h"
#include "handles.h"
#include "text_out.h"
#include "utf.h"

#include <cstdlib>
#include <fstream>
#include <odbcinst.h>

using namespace orastandin;
using namespace orastandin::odbc;

namespace {

std::string profileString(const std::string& section, const char* key, const char* file)
{
    if (section.empty())
        return {};
    char buffer[4096] = {};
    SQLGetPrivateProfileString(section.c_str(), key, "", buffer, sizeof buffer, file);
    return buffer;
}

std::string trimmed(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    return s.substr(i);
}

// Attributes come from the connection string first, then from the DSN.
class ConnectAttributes {
public:
    ConnectAttributes(ConnectionString cs)
        : m_cs(std::move(cs))
        , m_dsn(m_cs.get("DSN"))
    { }

    std::string get(std::initializer_list<const char*> keys) const
    {
        for (const char* key : keys) {
            bool found = false;
            std::string v = m_cs.get(key, &found);
            if (found)
                return v;
        }
        for (const char* key : keys) {
            std::string v = profileString(m_dsn, key, "ODBC.INI");
            if (!v.empty())
                return v;
        }
        return {};
    }
    // A key that only a DSN's entry in odbc.ini carries.
    std::string dsnValue(const char* key) const { return profileString(m_dsn, key, "ODBC.INI"); }
    const std::string& dsn() const { return m_dsn; }

private:
    ConnectionString m_cs;
    std::string m_dsn;
};

void appendListenerLog(const std::string& dataDirectory, const std::string& server,
    const std::string& user, const std::string& outcome)
{
    std::ofstream log(dataDirectory + "/listener.log", std::ios::app);
    log << server << '\t' << user << '\t' << outcome << '\n';
}

void connect(Connection* dbc, const ConnectAttributes& attrs)
{
    if (dbc->session)
        throw DriverError("08002", "Connection name in use");
    // The driver's own odbcinst.ini section, named by the Driver keyword
    // (or by the DSN's Driver entry), says where the SID files live.
    const std::string driver = attrs.get({ "DRIVER" });
    std::string dataDirectory = attrs.get({ "DataDirectory" });
    if (dataDirectory.empty())
        dataDirectory = profileString(driver, "DataDirectory", "ODBCINST.INI");
    if (dataDirectory.empty())
        throw DriverError("08001",
            "No DataDirectory is set in the odbcinst.ini section [" + driver + "] of this driver");
    const DriverProfile profile = DriverProfile::read(
        [&](const char* key) { return profileString(driver, key, "ODBCINST.INI"); });
    // Oracle's driver takes the net service name from DBQ (or a DSN's
    // ServerName) alone: SERVER, the keyword of Microsoft's driver, means
    // nothing to it. Without a name the client goes where TWO_TASK points.
    std::string server = trimmed(attrs.get({ "DBQ" }));
    if (server.empty())
        server = trimmed(attrs.dsnValue("ServerName"));
    if (server.empty()) {
        const char* twoTask = std::getenv("TWO_TASK");
        server = trimmed(twoTask ? twoTask : "");
    }
    // The client gives up before it reaches any listener.
    if (server.empty())
        throw OraError(12162, "TNS:net service name is incorrectly specified");
    const std::string user = trimmed(attrs.get({ "UID", "USER ID" }));
    const std::string password = attrs.get({ "PWD", "PASSWORD" });
    // Like a listener's log, one line per logon attempt, so that tests can
    // see whether and how often a program reached "Oracle".
    try {
        dbc->session = Session::logon(dataDirectory, server, user, password);
        dbc->session->setMaxStringSize(profile.maxStringSize);
        dbc->profile = profile;
        appendListenerLog(dataDirectory, server, user, "ok");
    } catch (const OraError& e) {
        appendListenerLog(dataDirectory, server, user, "ORA-" + std::to_string(e.code()));
        throw;
    }
    dbc->session->setAutocommit(dbc->autocommit == SQL_AUTOCOMMIT_ON);
    dbc->dataSourceName = attrs.dsn();
    dbc->serverName = server;
}

SQLRETURN driverConnect(
    Connection* dbc, const std::string& in, const TextTarget& out, SQLSMALLINT* outLength)
{
    connect(dbc, ConnectAttributes(ConnectionString::parse(in)));
    bool truncated = false;
    const SQLLEN n = writeText(in, out, truncated);
    setLength(outLength, n);
    if (truncated) {
        dbc->diag.addDriver("01004", "String data, right truncated");
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

SQLRETURN plainConnect(
    Connection* dbc, const std::string& dsn, const std::string& user, const std::string& password)
{
    std::string cs = "DSN={" + dsn + "}";
    if (!user.empty())
        cs += ";UID={" + user + "}";
    if (!password.empty())
        cs += ";PWD={" + password + "}";
    connect(dbc, ConnectAttributes(ConnectionString::parse(cs)));
    return SQL_SUCCESS;
}

SQLRETURN setConnectAttr(Connection* dbc, SQLINTEGER attribute, SQLPOINTER value)
{
    const auto n = SQLULEN(reinterpret_cast<SQLULEN>(value));
    switch (attribute) {
    case SQL_ATTR_LOGIN_TIMEOUT:
        dbc->loginTimeout = SQLUINTEGER(n);
        return SQL_SUCCESS;
    case SQL_ATTR_CONNECTION_TIMEOUT:
        dbc->connectionTimeout = SQLUINTEGER(n);
        return SQL_SUCCESS;
    case SQL_ATTR_AUTOCOMMIT:
        if (n != SQL_AUTOCOMMIT_ON && n != SQL_AUTOCOMMIT_OFF)
            throw DriverError("HY024", "Invalid attribute value");
        // Turning autocommit back on commits what is open, as ODBC asks.
        if (dbc->session)
            dbc->session->setAutocommit(n == SQL_AUTOCOMMIT_ON);
        dbc->autocommit = SQLUINTEGER(n);
        return SQL_SUCCESS;
    case SQL_ATTR_CURRENT_CATALOG:
        throw DriverError("HYC00", "Optional feature not implemented");
    default:
        // The driver manager passes its own settings (SQL_ATTR_ANSI_APP and
        // the like); keep them so that they read back.
        dbc->otherAttributes[attribute] = n;
        return SQL_SUCCESS;
    }
}

SQLRETURN getConnectAttr(Connection* dbc, SQLINTEGER attribute, SQLPOINTER value, bool wide,
    SQLINTEGER bufferLength, SQLINTEGER* length)
{
    SQLUINTEGER v = 0;
    switch (attribute) {
    case SQL_ATTR_LOGIN_TIMEOUT:
        v = dbc->loginTimeout;
        break;
    case SQL_ATTR_CONNECTION_TIMEOUT:
        v = dbc->connectionTimeout;
        break;
    case SQL_ATTR_AUTOCOMMIT:
        v = dbc->autocommit;
        break;
    case SQL_ATTR_CONNECTION_DEAD:
        v = dbc->session ? SQL_CD_FALSE : SQL_CD_TRUE;
        break;
    case SQL_ATTR_ACCESS_MODE:
        v = SQL_MODE_READ_WRITE;
        break;
    case SQL_ATTR_TXN_ISOLATION:
        v = SQL_TXN_READ_COMMITTED;
        break;
    case SQL_ATTR_CURRENT_CATALOG: {
        bool truncated = false;
        const SQLLEN n = writeText("", TextTarget { value, bufferLength, wide, true }, truncated);
        setLength(length, n);
        return SQL_SUCCESS;
    }
    default: {
        const auto it = dbc->otherAttributes.find(attribute);
        if (it == dbc->otherAttributes.end())
            throw DriverError("HY092", "Invalid attribute/option identifier");
        v = SQLUINTEGER(it->second);
    }
    }
    if (value)
        *static_cast<SQLUINTEGER*>(value) = v;
    setLength(length, sizeof(SQLUINTEGER));
    return SQL_SUCCESS;
}

} // namespace

ODBC_ENTRY SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength,
    SQLCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength, SQLUSMALLINT)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&] {
        return driverConnect(
            dbc, narrowArg(in, inLength), TextTarget { out, outMax, false, false }, outLength);
    });
}

ODBC_ENTRY SQLDriverConnectW(SQLHDBC handle, SQLHWND, SQLWCHAR* in, SQLSMALLINT inLength,
    SQLWCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength, SQLUSMALLINT)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&] {
        return driverConnect(
            dbc, toUtf8(in, inLength), TextTarget { out, outMax, true, false }, outLength);
    });
}

ODBC_ENTRY SQLConnect(SQLHDBC handle, SQLCHAR* dsn, SQLSMALLINT dsnLength, SQLCHAR* user,
    SQLSMALLINT userLength, SQLCHAR* password, SQLSMALLINT passwordLength)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&] {
        return plainConnect(dbc, narrowArg(dsn, dsnLength), narrowArg(user, userLength),
            narrowArg(password, passwordLength));
    });
}

ODBC_ENTRY SQLConnectW(SQLHDBC handle, SQLWCHAR* dsn, SQLSMALLINT dsnLength, SQLWCHAR* user,
    SQLSMALLINT userLength, SQLWCHAR* password, SQLSMALLINT passwordLength)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&] {
        return plainConnect(dbc, toUtf8(dsn, dsnLength), toUtf8(user, userLength),
            toUtf8(password, passwordLength));
    });
}

ODBC_ENTRY SQLDisconnect(SQLHDBC handle)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&]() -> SQLRETURN {
        if (!dbc->session)
            throw DriverError("08003", "Connection not open");
        for (Statement* s : dbc->statements)
            s->closeCursor();
        // An open transaction is rolled back, not committed (see the
        // transaction tests for why) and not refused with 25000.
        dbc->session->rollback();
        dbc->session.reset();
        return SQL_SUCCESS;
    });
}

ODBC_ENTRY SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&] { return setConnectAttr(dbc, attribute, value); });
}

ODBC_ENTRY SQLSetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER)
{
    Connection* dbc = asDbc(handle);
    return guarded(dbc, [&] { return setConnectAttr(dbc, attribute, value); });
}

ODBC_ENTRY SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
    SQLINTEGER bufferLength, SQLINTEGER* length)
{
    Connection* dbc = asDbc(handle);
    return guarded(
        dbc, [&] { return getConnectAttr(dbc, attribute, value, false, bufferLength, length); });
}

ODBC_ENTRY SQLGetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
    SQLINTEGER bufferLength, SQLINTEGER* length)
{
    Connection* dbc = asDbc(handle);
    return guarded(
        dbc, [&] { return getConnectAttr(dbc, attribute, value, true, bufferLength, length); });
}

ODBC_ENTRY SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT completion)
{
    auto* h = static_cast<HandleBase*>(handle);
    if (!h || (type != SQL_HANDLE_ENV && type != SQL_HANDLE_DBC) || h->handleType != type)
        return SQL_INVALID_HANDLE;
    return guarded(h, [&]() -> SQLRETURN {
        if (completion != SQL_COMMIT && completion != SQL_ROLLBACK)
            throw DriverError("HY012", "Invalid transaction operation code");
        auto end = [&](Connection* dbc) {
            if (completion == SQL_COMMIT)
                dbc->session->commit();
            else
                dbc->session->rollback();
        };
        if (type == SQL_HANDLE_DBC) {
            Connection* dbc = asDbc(handle);
            if (!dbc->session)
                throw DriverError("08003", "Connection not open");
            end(dbc);
            return SQL_SUCCESS;
        }
        // The environment's connections, one after the other: each is a
        // transaction of its own, as Oracle's are (no two-phase commit).
        for (Connection* dbc : asEnv(handle)->connections) {
            if (dbc->session)
                end(dbc);
        }
        return SQL_SUCCESS;
    });
}
