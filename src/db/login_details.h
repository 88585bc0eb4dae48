#pragma once

#include <QString>

namespace tw::db {

// The eight login fields as they read at one moment. The login window hands
// out a fresh copy for every database action, so an edit takes effect at the
// next action.
struct LoginDetails {
    QString oracleSid; // Text1
    QString oracleUser; // Text2
    QString oraclePassword; // Text3
    QString mysqlServer; // Text4
    QString mysqlUser; // Text5
    QString mysqlPassword; // Text6
    QString mysqlDatabase; // Text7
    QString mysqlPort; // Text8
};

// Where the database routines read the login details from.
class LoginSource {
public:
    virtual ~LoginSource() = default;
    virtual LoginDetails loginDetails() const = 0;
};

} // namespace tw::db

namespace tw::db {

// A login source that holds its details as plain values.
class FixedLogin : public LoginSource {
public:
    FixedLogin() = default;
    explicit FixedLogin(LoginDetails details)
        : details(std::move(details))
    { }
    LoginDetails loginDetails() const override { return details; }

    LoginDetails details;
};

} // namespace tw::db
