// Query results at the engine level: a SELECT streams its rows from SQLite
// instead of holding them, lets go of its statement at the end, and never
// stands in the way of writers on its own or on another connection.
//
// Plain C++ with no Qt: the heap is measured by counting operator new, and
// Qt's own allocations would only blur the count.

#include "ora_error.h"
#include "session.h"
#include "storage.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <malloc.h>
#include <new>
#include <sqlite3.h>
#include <string>
#include <unistd.h>

using namespace orastandin;

namespace {

std::atomic<long long> liveBytes { 0 };

} // namespace

void* operator new(std::size_t n)
{
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    liveBytes += (long long)malloc_usable_size(p);
    return p;
}

void operator delete(void* p) noexcept
{
    if (!p)
        return;
    liveBytes -= (long long)malloc_usable_size(p);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    operator delete(p);
}

namespace {

int failures = 0;

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        ++failures;
    }
}

long long countRows(Result& r)
{
    long long n = 0;
    std::vector<Cell> row;
    while (r.rows->next(row))
        ++n;
    return n;
}

constexpr int bigRows = 20000;
const std::string payload(400, 'x');

// Reads a result about 9 MB long; the C++ heap must not grow with it and
// SQLite must stay within its page cache.
void largeResultStreams(Session& s)
{
    s.execute("CREATE TABLE \"BIG\"(\"N\" INT, \"PAD\" VARCHAR2(1000))");
    s.execute("CREATE TABLE \"SMALL\"(\"N\" INT)");
    for (int i = 0; i < bigRows; ++i)
        s.execute("INSERT INTO \"BIG\" VALUES('" + std::to_string(i) + "', '" + payload + "')");

    const long long heapBefore = liveBytes;
    const long long sqliteBefore = sqlite3_memory_used();
    long long heapPeak = 0, sqlitePeak = 0;
    {
        Result r = s.execute("SELECT \"N\", \"PAD\" FROM \"BIG\"");
        check(r.isQuery && r.rowCount == -1 && r.columns.size() == 2, "query result shape");
        std::vector<Cell> row;
        int n = 0;
        bool inOrder = true;
        while (r.rows->next(row)) {
            inOrder = inOrder && row.size() == 2 && row[0].text == std::to_string(n)
                && row[1].text == payload;
            ++n;
            heapPeak = std::max(heapPeak, liveBytes - heapBefore);
            sqlitePeak = std::max(sqlitePeak, sqlite3_memory_used() - sqliteBefore);
        }
        check(n == bigRows, "every row arrives");
        check(inOrder, "rows in insertion order with their values");
        check(!r.rows->next(row), "the end stays the end");
    }
    const long long data = (long long)bigRows * (long long)payload.size();
    std::printf("result data %lld bytes; peak growth: C++ heap %lld bytes, SQLite %lld bytes\n",
        data, heapPeak, sqlitePeak);
    // Holding the rows would take at least their payload on the heap.
    check(heapPeak < 64 * 1024, "the C++ heap does not grow with the result");
    check(sqlitePeak < 4 * 1024 * 1024, "SQLite memory stays within its cache");
    check(sqlitePeak < data / 2, "SQLite does not hold the result either");
}

// An ORDER BY over the same result sorts outside the process's heap: the
// rows pass through a spill that SQLite sorts in pieces of its cache.
void largeOrderByStreams(Session& s)
{
    const long long heapBefore = liveBytes;
    const long long sqliteBefore = sqlite3_memory_used();
    long long heapPeak = 0, sqlitePeak = 0;
    {
        Result r
            = s.execute("SELECT \"N\", \"PAD\" FROM \"BIG\" WHERE \"N\" >= 0 ORDER BY \"N\" DESC");
        std::vector<Cell> row;
        int n = 0;
        bool inOrder = true;
        while (r.rows->next(row)) {
            inOrder = inOrder && row.size() == 2 && row[0].text == std::to_string(bigRows - 1 - n)
                && row[1].text == payload;
            ++n;
            heapPeak = std::max(heapPeak, liveBytes - heapBefore);
            sqlitePeak = std::max(sqlitePeak, sqlite3_memory_used() - sqliteBefore);
        }
        check(n == bigRows, "every row arrives sorted");
        check(inOrder, "rows in descending order with their values");
    }
    const long long data = (long long)bigRows * (long long)payload.size();
    std::printf("ORDER BY of %lld bytes; peak growth: C++ heap %lld bytes, SQLite %lld bytes\n",
        data, heapPeak, sqlitePeak);
    check(heapPeak < 64 * 1024, "the C++ heap does not grow with a sorted result");
    check(sqlitePeak < data / 2, "SQLite sorts without holding the result");
}

// A cursor at its end has let go of its statement: the table can be dropped
// on the same connection while the result is still around.
void dropAfterReadingAll(Session& s)
{
    s.execute("CREATE TABLE \"GONE\"(\"N\" INT)");
    s.execute("INSERT INTO \"GONE\" VALUES('1')");
    Result r = s.execute("SELECT * FROM \"GONE\"");
    check(countRows(r) == 1, "one row before the drop");
    try {
        s.execute("DROP TABLE \"GONE\"");
    } catch (const OraError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        check(false, "drop after reading all rows");
    }
}

// Writers go on while a cursor is half read: on the same connection
// (insert, create, drop, even of the table being read) and on another one,
// without waiting for the cursor; the cursor keeps the snapshot it started with.
void writersWhileCursorOpen(Session& s, Session& other)
{
    s.execute("CREATE TABLE \"OPEN\"(\"N\" INT)");
    for (int i = 0; i < 3; ++i)
        s.execute("INSERT INTO \"OPEN\" VALUES('" + std::to_string(i) + "')");
    Result r = s.execute("SELECT * FROM \"OPEN\"");
    std::vector<Cell> row;
    check(r.rows->next(row) && row[0].text == "0", "first row");

    const auto start = std::chrono::steady_clock::now();
    try {
        other.execute("INSERT INTO \"OPEN\" VALUES('10')");
        s.execute("INSERT INTO \"OPEN\" VALUES('11')");
        s.execute("INSERT INTO \"SMALL\" VALUES('1')");
        s.execute("CREATE TABLE \"NEW\"(\"N\" INT)");
        s.execute("DROP TABLE \"NEW\"");
        other.execute("INSERT INTO \"SMALL\" VALUES('2')");
    } catch (const OraError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        check(false, "writes while a cursor is open");
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    check(waited < std::chrono::seconds(5), "writers do not wait for the cursor");

    check(r.rows->next(row) && row[0].text == "1", "second row");
    Result seen = other.execute("SELECT * FROM \"OPEN\"");
    check(countRows(seen) == 5, "the other connection sees both inserts");
    try {
        s.execute("DROP TABLE \"OPEN\"");
    } catch (const OraError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        check(false, "drop of the table a cursor is reading");
    }
    check(r.rows->next(row) && row[0].text == "2", "third row from the snapshot");
    check(!r.rows->next(row), "no row written after the execute");
}

} // namespace

int main()
{
    char dir[] = "/tmp/oraclestandin-cursor-XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 2;
    }
    try {
        const std::string path = sidPath(dir, "CURS");
        Storage::create(path);
        Storage::open(path)->createUser("SCOTT", "tiger");
        auto session = Session::logon(dir, "CURS", "scott", "tiger");
        auto other = Session::logon(dir, "CURS", "scott", "tiger");
        largeResultStreams(*session);
        largeOrderByStreams(*session);
        dropAfterReadingAll(*session);
        writersWhileCursorOpen(*session, *other);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "unexpected: %s\n", e.what());
        ++failures;
    }
    std::filesystem::remove_all(dir);
    if (failures)
        std::fprintf(stderr, "%d check(s) failed\n", failures);
    return failures ? 1 : 0;
}
