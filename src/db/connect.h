#pragma once

#include "db/login_details.h"

namespace tw::db {

// True when a connection opens with the current login details. Shows
// nothing and leaves no connection open; every failure answers false.
bool ConnectMySQL(const LoginSource& login);
bool ConnectOracle(const LoginSource& login);

} // namespace tw::db
