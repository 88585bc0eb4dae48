#pragma once

#include "db/connection.h"

namespace tw::db {

// Autocommit off for as long as the guard lives (ODBC's default is on:
// every statement commits as it ends), so that statements gather in one
// transaction until commit() or rollback(). Whatever is not committed when
// the guard goes is rolled back, and autocommit is on again; the destructor
// never throws. Each call throws DbError when the driver refuses.
class ManualCommit {
public:
    explicit ManualCommit(Connection& connection);
    ~ManualCommit();
    ManualCommit(const ManualCommit&) = delete;
    ManualCommit& operator=(const ManualCommit&) = delete;

    void commit();
    // Back to the last commit: nothing of the statements since then stays.
    void rollback();

private:
    Connection& m_connection;
};

} // namespace tw::db
