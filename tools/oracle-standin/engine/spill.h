#pragma once

#include "cell.h"

#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace orastandin {

// Rows set aside to be handed out again in the order of a key, kept in a
// private temporary SQLite database that lives on disk beyond its page
// cache: ORDER BY and DISTINCT over any number of rows in bounded memory.
class Spill {
public:
    // With `distinct`, a row whose distinct key came before is dropped.
    explicit Spill(bool distinct);
    ~Spill();
    Spill(const Spill&) = delete;
    Spill& operator=(const Spill&) = delete;

    // Rows with equal order keys come back in the order they were added.
    void add(
        const std::string& orderKey, const std::string& distinctKey, const std::vector<Cell>& row);
    // The rows in order; the first call ends the adding.
    bool next(std::vector<Cell>& row);

private:
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr;
    sqlite3_stmt* m_read = nullptr;
    bool m_distinct;
    long long m_sequence = 0;
    std::string m_buffer;
};

} // namespace orastandin
