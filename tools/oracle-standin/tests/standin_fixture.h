#pragma once

// A private world for one test program: a temporary ODBCSYSINI folder with
// the stand-in registered as "Microsoft ODBC for Oracle", a data directory,
// and thin wrappers over the raw unixODBC calls that the tests make.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>
#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

namespace standintest {

struct Diag {
    QString state;
    int native = 0;
    QString message;
    SQLLEN row = 0; // SQL_DIAG_ROW_NUMBER, for statements
};

// The driver's setting under which it takes SQL_C_SBIGINT and SQL_C_UBIGINT,
// for tests that bind them on purpose: by default it refuses them, as Oracle's
// documented driver does.
inline const QByteArray acceptBigIntCTypes = "BigIntCTypes = accept\n";

class World {
public:
    // Registers the driver and creates SID ZEDA with user SCOTT/tiger.
    // `settings` ("Key = value" lines) go into the driver's own section;
    // `moreSections` goes into odbcinst.ini as it is: further registrations
    // of the driver under names of their own, with settings of their own.
    explicit World(const QByteArray& settings = {}, const QByteArray& moreSections = {});
    QString dataDir() const { return m_dir.path() + "/data"; }
    QString iniDir() const { return m_dir.path() + "/ini"; }
    // Runs the admin command; returns its exit code, stdout and stderr.
    int admin(const QStringList& args, QString* out = nullptr, QString* err = nullptr) const;
    static QString connectionString(const QString& sid, const QString& user, const QString& pwd,
        const QString& driver = "Microsoft ODBC for Oracle");

private:
    QTemporaryDir m_dir;
};

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // SQLDriverConnectW; on failure `diag()` holds the first record.
    SQLRETURN open(const QString& connectionString);
    SQLRETURN open(const QString& user, const QString& pwd, const QString& sid = "ZEDA")
    {
        return open(World::connectionString(sid, user, pwd));
    }
    SQLHDBC handle() const { return m_dbc; }
    SQLHENV environment() const { return m_env; }
    Diag diag() const;
    SQLRETURN setAutocommit(bool on);
    // Closes the connection (keeping the handles); the destructor then has nothing to close.
    SQLRETURN disconnect();

private:
    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    bool m_open = false;
};

class Statement {
public:
    explicit Statement(const Connection& c);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    SQLRETURN exec(const QString& sql); // SQLExecDirectW
    SQLRETURN prepare(const QString& sql); // SQLPrepareW
    SQLRETURN setAttr(SQLINTEGER attribute, SQLULEN value);
    SQLRETURN setAttr(SQLINTEGER attribute, void* pointer);
    SQLHSTMT handle() const { return m_stmt; }
    Diag diag(int record = 1) const;
    SQLLEN rowCount() const;
    SQLSMALLINT columnCount() const;
    bool fetch(); // true while SQLFetch gives a row
    // SQL_C_WCHAR in one call; nullopt for NULL.
    std::optional<QString> text(int column);
    // Every row as text, columns joined with '|', NULL as "<null>".
    QStringList rows();
    void close() { SQLCloseCursor(m_stmt); }

private:
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
};

// Runs a statement that must succeed; the Qt Test macros report a failure.
bool run(const Connection& c, const QString& sql);
// The rows of a table as Statement::rows() gives them; a failure as one "<error ...>" row.
QStringList tableRows(const Connection& c, const QString& table);

} // namespace standintest
