// oracle-standin-admin: sets up SIDs and users of the Oracle stand-in and
// runs single statements against them, for the test bed and the demo.
//
//   oracle-standin-admin --data DIR create-sid SID
//   oracle-standin-admin --data DIR create-user SID USER PASSWORD
//   oracle-standin-admin --data DIR sql SID USER "STATEMENT"

#include "cell.h"
#include "ora_error.h"
#include "session.h"
#include "storage.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

using namespace orastandin;

namespace {

int usage()
{
    std::cerr << "usage: oracle-standin-admin --data DIR create-sid SID\n"
                 "       oracle-standin-admin --data DIR create-user SID USER PASSWORD\n"
                 "       oracle-standin-admin --data DIR sql SID USER \"STATEMENT\"\n";
    return 2;
}

std::string pathOf(const std::string& dir, const std::string& sid)
{
    const std::string path = sidPath(dir, sid);
    if (path.empty())
        throw std::runtime_error("invalid SID name: " + sid);
    return path;
}

int runSql(
    const std::string& dir, const std::string& sid, const std::string& user, const std::string& sql)
{
    auto storage = Storage::open(pathOf(dir, sid));
    const std::string name = canonicalUserName(user);
    if (!storage->password(name))
        throwOra(1918, "user '" + name + "' does not exist");
    Session session(std::move(storage), name);
    const Result result = session.execute(sql);
    std::vector<Cell> row;
    while (result.rows && result.rows->next(row)) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i)
                std::cout << '\t';
            std::cout << displayText(row[i], result.columns[i].type);
        }
        std::cout << '\n';
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() < 4 || args[0] != "--data")
        return usage();
    const std::string& dir = args[1];
    const std::string& command = args[2];
    try {
        if (command == "create-sid" && args.size() == 4) {
            Storage::create(pathOf(dir, args[3]));
            return 0;
        }
        if (command == "create-user" && args.size() == 6) {
            Storage::open(pathOf(dir, args[3]))->createUser(canonicalUserName(args[4]), args[5]);
            return 0;
        }
        if (command == "sql" && args.size() == 6)
            return runSql(dir, args[3], args[4], args[5]);
    } catch (const OraError& e) {
        std::cerr << e.message() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "oracle-standin-admin: " << e.what() << '\n';
        return 1;
    }
    return usage();
}
