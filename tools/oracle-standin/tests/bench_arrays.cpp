// Rows per second through unixODBC into and out of the stand-in, for an
// eight-column table: one literal INSERT per row (the plain copy's way),
// parameter arrays with a commit per array (the fast copy's way), block
// fetches with bound columns, and MERGE arrays upserting into a keyed table. A measurement, not a
// test: built with the tests, not registered with CTest.
//
//   oraclestandin_bench_arrays [array rows] [literal rows] [array size] [upsert rows]

#include "standin_fixture.h"

#include <QCoreApplication>
#include <QFile>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

using namespace standintest;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int textChars = 60;

bool ok(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const char* what)
{
    if (SQL_SUCCEEDED(rc))
        return true;
    SQLCHAR state[6] = {};
    SQLCHAR message[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    SQLGetDiagRec(type, h, 1, state, &native, message, sizeof message, &length);
    std::fprintf(stderr, "%s: %s %s\n", what, state, message);
    return false;
}

// Wall time and the process's CPU time (the driver runs in-process): on a
// machine shared with other work the second moves less.
struct Timer {
    Clock::time_point wall = Clock::now();
    std::clock_t cpu = std::clock();
    void report(const char* what, long long rows) const
    {
        const double w = std::chrono::duration<double>(Clock::now() - wall).count();
        const double c = double(std::clock() - cpu) / CLOCKS_PER_SEC;
        std::printf("%-36s %9.0f rows/s wall, %9.0f rows per CPU second (%lld rows, %.2f s)\n",
            what, double(rows) / w, double(rows) / c, rows, w);
    }
};

std::u16string sampleText(long long i)
{
    std::u16string s = u"row " + QString::number(i).toStdU16String() + u" ";
    while (s.size() < textChars)
        s += u"abcdefghij";
    s.resize(textChars);
    return s;
}

SQL_TIMESTAMP_STRUCT sampleTime(long long i, bool clockToo)
{
    SQL_TIMESTAMP_STRUCT t {};
    t.year = SQLSMALLINT(2000 + i % 25);
    t.month = SQLUSMALLINT(1 + i % 12);
    t.day = SQLUSMALLINT(1 + i % 28);
    if (clockToo) {
        t.hour = SQLUSMALLINT(i % 24);
        t.minute = SQLUSMALLINT(i % 60);
        t.second = SQLUSMALLINT((i * 7) % 60);
    }
    return t;
}

QString literalRow(long long i)
{
    const auto d = sampleTime(i, false);
    const auto t = sampleTime(i, true);
    auto stamp = [](const SQL_TIMESTAMP_STRUCT& s) {
        return QString::asprintf(
            "'%04d-%02d-%02d %02d:%02d:%02d'", s.year, s.month, s.day, s.hour, s.minute, s.second);
    };
    return QString("INSERT INTO \"B\" VALUES('%1', '%2', '%3', '%4', %5, %6, '%7', '%8')")
        .arg(i)
        .arg(QString::fromStdU16String(sampleText(i)))
        .arg(QString::number(i % 100000) + ".25")
        .arg(QString::number(double(i) / 7, 'g', 17))
        .arg(stamp(d), stamp(t))
        .arg(QString::fromStdU16String(sampleText(i * 3)))
        .arg(i * 1000003LL);
}

// Column-wise arrays for one batch of the eight columns.
struct Batch {
    explicit Batch(std::size_t n)
        : ints(n)
        , texts(n * (textChars + 1))
        , decimals(n * 16)
        , doubles(n)
        , dates(n)
        , stamps(n)
        , longs(n * (textChars + 1))
        , bigs(n)
        , textLen(n, SQL_NTS)
        , decimalLen(n, SQL_NTS)
    { }
    std::vector<SQLINTEGER> ints;
    std::vector<SQLWCHAR> texts;
    std::vector<char> decimals;
    std::vector<SQLDOUBLE> doubles;
    std::vector<SQL_TIMESTAMP_STRUCT> dates;
    std::vector<SQL_TIMESTAMP_STRUCT> stamps;
    std::vector<SQLWCHAR> longs;
    std::vector<SQLBIGINT> bigs;
    std::vector<SQLLEN> textLen;
    std::vector<SQLLEN> decimalLen;

    void fill(long long first, std::size_t n)
    {
        for (std::size_t k = 0; k < n; ++k) {
            const long long i = first + (long long)k;
            ints[k] = SQLINTEGER(i);
            const std::u16string t = sampleText(i);
            std::copy(t.begin(), t.end(), texts.begin() + std::ptrdiff_t(k * (textChars + 1)));
            texts[k * (textChars + 1) + textChars] = 0;
            std::snprintf(&decimals[k * 16], 16, "%lld.25", i % 100000);
            doubles[k] = double(i) / 7;
            dates[k] = sampleTime(i, false);
            stamps[k] = sampleTime(i, true);
            const std::u16string l = sampleText(i * 3);
            std::copy(l.begin(), l.end(), longs.begin() + std::ptrdiff_t(k * (textChars + 1)));
            longs[k * (textChars + 1) + textChars] = 0;
            bigs[k] = i * 1000003LL;
        }
    }
};

bool bindBatch(SQLHSTMT s, Batch& b)
{
    const SQLLEN wide = (textChars + 1) * sizeof(SQLWCHAR);
    return ok(SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0,
                  b.ints.data(), 0, nullptr),
               SQL_HANDLE_STMT, s, "bind 1")
        && ok(SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, textChars, 0,
                  b.texts.data(), wide, b.textLen.data()),
            SQL_HANDLE_STMT, s, "bind 2")
        && ok(SQLBindParameter(s, 3, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_DECIMAL, 12, 2,
                  b.decimals.data(), 16, b.decimalLen.data()),
            SQL_HANDLE_STMT, s, "bind 3")
        && ok(SQLBindParameter(s, 4, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                  b.doubles.data(), 0, nullptr),
            SQL_HANDLE_STMT, s, "bind 4")
        && ok(SQLBindParameter(s, 5, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19,
                  0, b.dates.data(), 0, nullptr),
            SQL_HANDLE_STMT, s, "bind 5")
        && ok(SQLBindParameter(s, 6, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 19,
                  0, b.stamps.data(), 0, nullptr),
            SQL_HANDLE_STMT, s, "bind 6")
        && ok(SQLBindParameter(s, 7, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WLONGVARCHAR, textChars, 0,
                  b.longs.data(), wide, b.textLen.data()),
            SQL_HANDLE_STMT, s, "bind 7")
        && ok(SQLBindParameter(s, 8, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 19, 0,
                  b.bigs.data(), 0, nullptr),
            SQL_HANDLE_STMT, s, "bind 8");
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const long long arrayRows = argc > 1 ? std::atoll(argv[1]) : 200000;
    const long long literalRows = argc > 2 ? std::atoll(argv[2]) : 20000;
    const std::size_t arraySize = argc > 3 ? std::size_t(std::atoll(argv[3])) : 1000;
    const long long upsertRows = argc > 4 ? std::atoll(argv[4]) : arrayRows / 5;

    World world(acceptBigIntCTypes);
    Connection c;
    if (!SQL_SUCCEEDED(c.open("SCOTT", "tiger")))
        return 1;
    run(c, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'");
    const QString create = "CREATE TABLE \"B\"(\"I\" INT, \"V\" VARCHAR(2000), \"D\" NUMBER(12,2), "
                           "\"F\" FLOAT, \"DT\" DATE, \"TS\" DATE, \"T\" VARCHAR(2000), \"G\" INT)";

    // One literal INSERT per row, autocommit on.
    run(c, create);
    {
        Statement s(c);
        const Timer timer;
        for (long long i = 0; i < literalRows; ++i) {
            if (!SQL_SUCCEEDED(s.exec(literalRow(i)))) {
                std::fprintf(stderr, "literal insert: %s\n", qPrintable(s.diag().message));
                return 1;
            }
        }
        timer.report("literal INSERT, one per row:", literalRows);
    }
    run(c, "DROP TABLE \"B\"");

    // Parameter arrays, one commit per array.
    run(c, create);
    {
        SQLSetConnectAttr(
            c.handle(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
        Statement s(c);
        SQLHSTMT h = s.handle();
        Batch batch(arraySize);
        SQLULEN processed = 0;
        std::vector<SQLUSMALLINT> status(arraySize);
        SQLSetStmtAttr(h, SQL_ATTR_PARAM_BIND_TYPE, SQL_PARAM_BIND_BY_COLUMN, 0);
        SQLSetStmtAttr(h, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(arraySize), 0);
        SQLSetStmtAttr(h, SQL_ATTR_PARAMS_PROCESSED_PTR, &processed, 0);
        SQLSetStmtAttr(h, SQL_ATTR_PARAM_STATUS_PTR, status.data(), 0);
        const std::u16string insert = u"INSERT INTO \"B\" VALUES(?, ?, ?, ?, ?, ?, ?, ?)";
        if (!ok(SQLPrepareW(h, (SQLWCHAR*)insert.c_str(), SQL_NTS), SQL_HANDLE_STMT, h, "prepare")
            || !bindBatch(h, batch))
            return 1;
        const Timer timer;
        for (long long first = 0; first < arrayRows; first += (long long)arraySize) {
            batch.fill(first, arraySize);
            if (!ok(SQLExecute(h), SQL_HANDLE_STMT, h, "execute")
                || !ok(SQLEndTran(SQL_HANDLE_DBC, c.handle(), SQL_COMMIT), SQL_HANDLE_DBC,
                    c.handle(), "commit"))
                return 1;
        }
        timer.report(
            qPrintable(QString("arrays of %1, a commit per array:").arg(arraySize)), arrayRows);
        SQLSetConnectAttr(
            c.handle(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0);
    }

    // Block fetch of everything just inserted, columns bound.
    {
        Statement s(c);
        SQLHSTMT h = s.handle();
        Batch rows(arraySize);
        std::vector<SQLLEN> ind(arraySize * 8);
        SQLULEN fetched = 0;
        SQLSetStmtAttr(h, SQL_ATTR_ROW_ARRAY_SIZE, reinterpret_cast<SQLPOINTER>(arraySize), 0);
        SQLSetStmtAttr(h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
        const SQLLEN wide = (textChars + 1) * sizeof(SQLWCHAR);
        auto at = [&](int column) { return ind.data() + std::size_t(column) * arraySize; };
        SQLBindCol(h, 1, SQL_C_SLONG, rows.ints.data(), 0, at(0));
        SQLBindCol(h, 2, SQL_C_WCHAR, rows.texts.data(), wide, at(1));
        SQLBindCol(h, 3, SQL_C_CHAR, rows.decimals.data(), 16, at(2));
        SQLBindCol(h, 4, SQL_C_DOUBLE, rows.doubles.data(), 0, at(3));
        SQLBindCol(h, 5, SQL_C_TYPE_TIMESTAMP, rows.dates.data(), 0, at(4));
        SQLBindCol(h, 6, SQL_C_TYPE_TIMESTAMP, rows.stamps.data(), 0, at(5));
        SQLBindCol(h, 7, SQL_C_WCHAR, rows.longs.data(), wide, at(6));
        SQLBindCol(h, 8, SQL_C_SBIGINT, rows.bigs.data(), 0, at(7));
        const Timer timer;
        if (!SQL_SUCCEEDED(s.exec("SELECT * FROM \"B\"")))
            return 1;
        long long total = 0;
        SQLRETURN rc;
        while (SQL_SUCCEEDED(rc = SQLFetch(h)))
            total += (long long)fetched;
        if (rc != SQL_NO_DATA || total != arrayRows) {
            std::fprintf(stderr, "fetched %lld of %lld rows\n", total, arrayRows);
            return 1;
        }
        timer.report(
            qPrintable(QString("block fetches of %1, bound columns:").arg(arraySize)), total);
    }
    // MERGE arrays through the key: every row inserted, then every row updated.
    run(c, "CREATE TABLE \"K\"(\"I\" INT PRIMARY KEY, \"V\" VARCHAR2(100))");
    {
        SQLSetConnectAttr(
            c.handle(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0);
        Statement s(c);
        SQLHSTMT h = s.handle();
        Batch batch(arraySize);
        const SQLLEN wide = (textChars + 1) * sizeof(SQLWCHAR);
        SQLSetStmtAttr(h, SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(arraySize), 0);
        const std::u16string merge
            = u"MERGE INTO \"K\" t USING (SELECT ? AS I, ? AS V FROM DUAL) s "
              u"ON (t.\"I\" = s.I) WHEN MATCHED THEN UPDATE SET t.\"V\" = s.V "
              u"WHEN NOT MATCHED THEN INSERT VALUES (s.I, s.V)";
        if (!ok(SQLPrepareW(h, (SQLWCHAR*)merge.c_str(), SQL_NTS), SQL_HANDLE_STMT, h, "prepare")
            || !ok(SQLBindParameter(h, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0,
                       batch.ints.data(), 0, nullptr),
                SQL_HANDLE_STMT, h, "bind 1")
            || !ok(SQLBindParameter(h, 2, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, textChars, 0,
                       batch.texts.data(), wide, batch.textLen.data()),
                SQL_HANDLE_STMT, h, "bind 2"))
            return 1;
        const Timer timer;
        for (int pass = 0; pass < 2; ++pass) {
            for (long long first = 0; first < upsertRows; first += (long long)arraySize) {
                batch.fill(first + pass, arraySize);
                for (std::size_t k = 0; k < arraySize; ++k)
                    batch.ints[k] = SQLINTEGER(first + (long long)k);
                if (!ok(SQLExecute(h), SQL_HANDLE_STMT, h, "merge")
                    || !ok(SQLEndTran(SQL_HANDLE_DBC, c.handle(), SQL_COMMIT), SQL_HANDLE_DBC,
                        c.handle(), "commit"))
                    return 1;
            }
        }
        timer.report(qPrintable(QString("MERGE arrays of %1, insert then update:").arg(arraySize)),
            2 * upsertRows);
    }
    // The driver runs in this process: its memory is in the peak too.
    QFile status("/proc/self/status");
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM"))
            std::printf("peak resident: %s\n", line.mid(6).trimmed().constData());
    }
    return 0;
}
