#include "spill.h"

#include "ora_error.h"

#include <cstring>
#include <sqlite3.h>

namespace orastandin {

namespace {

[[noreturn]] void failed(sqlite3* db)
{
    throwOra(600,
        std::string("internal error code, arguments: [sqlite], [")
            + (db ? sqlite3_errmsg(db) : "out of memory") + "]");
}

void appendLength(std::string& out, std::size_t n)
{
    for (int i = 0; i < 4; ++i)
        out += char((n >> (8 * i)) & 0xFF);
}

std::size_t readLength(const unsigned char*& p)
{
    std::size_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= std::size_t(*p++) << (8 * i);
    return n;
}

void encode(std::string& out, const std::vector<Cell>& row)
{
    out.clear();
    for (const Cell& c : row) {
        out += char(c.kind);
        switch (c.kind) {
        case Cell::Kind::Null:
            break;
        case Cell::Kind::Real: {
            char bytes[sizeof c.real];
            std::memcpy(bytes, &c.real, sizeof c.real);
            out.append(bytes, sizeof bytes);
            break;
        }
        case Cell::Kind::DateTime: {
            const DateTime& d = c.dateTime;
            for (const int v : { d.year, d.month, d.day, d.hour, d.minute, d.second, int(d.nanos) })
                appendLength(out, std::size_t(unsigned(v)));
            break;
        }
        default:
            appendLength(out, c.text.size());
            out += c.text;
        }
    }
}

void decode(const unsigned char* p, const unsigned char* end, std::vector<Cell>& row)
{
    row.clear();
    while (p < end) {
        Cell c;
        c.kind = Cell::Kind(*p++);
        switch (c.kind) {
        case Cell::Kind::Null:
            break;
        case Cell::Kind::Real:
            std::memcpy(&c.real, p, sizeof c.real);
            p += sizeof c.real;
            break;
        case Cell::Kind::DateTime: {
            DateTime& d = c.dateTime;
            d.year = int(readLength(p));
            d.month = int(readLength(p));
            d.day = int(readLength(p));
            d.hour = int(readLength(p));
            d.minute = int(readLength(p));
            d.second = int(readLength(p));
            d.nanos = std::uint32_t(readLength(p));
            break;
        }
        default: {
            const std::size_t n = readLength(p);
            c.text.assign(reinterpret_cast<const char*>(p), n);
            p += n;
        }
        }
        row.push_back(std::move(c));
    }
}

} // namespace

Spill::Spill(bool distinct)
    : m_distinct(distinct)
{
    // An empty name: a private database in a temporary file, deleted on close.
    if (sqlite3_open_v2("", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK)
        failed(m_db);
    const char* schema = distinct
        ? "PRAGMA cache_size=-1024; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
          "CREATE TABLE s(seq INTEGER PRIMARY KEY, k BLOB, d BLOB UNIQUE, r BLOB)"
        : "PRAGMA cache_size=-1024; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; "
          "CREATE TABLE s(seq INTEGER PRIMARY KEY, k BLOB, d BLOB, r BLOB)";
    if (sqlite3_exec(m_db, schema, nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK
        || sqlite3_prepare_v2(m_db,
               distinct ? "INSERT OR IGNORE INTO s VALUES(?, ?, ?, ?)"
                        : "INSERT INTO s VALUES(?, ?, ?, ?)",
               -1, &m_insert, nullptr)
            != SQLITE_OK)
        failed(m_db);
}

Spill::~Spill()
{
    sqlite3_finalize(m_insert);
    sqlite3_finalize(m_read);
    sqlite3_close_v2(m_db);
}

void Spill::add(
    const std::string& orderKey, const std::string& distinctKey, const std::vector<Cell>& row)
{
    encode(m_buffer, row);
    sqlite3_reset(m_insert);
    sqlite3_bind_int64(m_insert, 1, ++m_sequence);
    sqlite3_bind_blob(m_insert, 2, orderKey.data(), int(orderKey.size()), SQLITE_STATIC);
    if (m_distinct)
        sqlite3_bind_blob(m_insert, 3, distinctKey.data(), int(distinctKey.size()), SQLITE_STATIC);
    else
        sqlite3_bind_null(m_insert, 3);
    sqlite3_bind_blob(m_insert, 4, m_buffer.data(), int(m_buffer.size()), SQLITE_STATIC);
    if (sqlite3_step(m_insert) != SQLITE_DONE)
        failed(m_db);
}

bool Spill::next(std::vector<Cell>& row)
{
    if (!m_read) {
        sqlite3_finalize(m_insert);
        m_insert = nullptr;
        // SQLite sorts in pieces of its cache size and merges them on disk.
        if (sqlite3_prepare_v2(m_db, "SELECT r FROM s ORDER BY k, seq", -1, &m_read, nullptr)
            != SQLITE_OK)
            failed(m_db);
    }
    const int rc = sqlite3_step(m_read);
    if (rc == SQLITE_DONE)
        return false;
    if (rc != SQLITE_ROW)
        failed(m_db);
    const auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(m_read, 0));
    decode(p, p + sqlite3_column_bytes(m_read, 0), row);
    return true;
}

} // namespace orastandin
