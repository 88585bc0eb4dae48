// Randomized statements against the engine: mutated forms of every statement
// the program sends, random bytes and random token soup. Any input must end
// either in a result or in an OraError; a crash, a hang or another exception
// fails the run. Built into the AddressSanitizer build as well.
//
//   oraclestandin_fuzz_statements [iterations] [seed]

#include "datetime.h"
#include "decimal.h"
#include "ora_error.h"
#include "session.h"
#include "storage.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>

using namespace orastandin;

namespace {

const std::array<const char*, 41> seeds {
    "SELECT table_name FROM user_tables",
    "SELECT * FROM \"T\"",
    "CREATE TABLE \"T\"(\"C\" VARCHAR(2000),\"D\" INT,\"E\" DATE,\"F\" FLOAT,\"G\" BLOB)",
    "INSERT INTO \"T\" VALUES('1', NULL, '2024-05-01 10:00:00', '2.5', 'CAFE')",
    "INSERT INTO \"T\" VALUES('O''Brien', '7', '01-JAN-24', '-1e3', NULL)",
    "DROP TABLE \"T\"",
    "RENAME \"A\" TO \"B\"",
    "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'",
    "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'",
    "ALTER SESSION SET NLS_NUMERIC_CHARACTERS = '.,'",
    "CREATE TABLE \"a'b\"(x NUMBER(5,2), y TIMESTAMP(3), z NVARCHAR2(10), w RAW(4), v CHAR)",
    "INSERT INTO \"a'b\" VALUES(1.5, '01-JAN-24 01.02.03.5 PM', 'ä😀', 'ab', 'c')",
    "SELECT x, y FROM \"a'b\"",
    "CREATE TABLE L(a LONG, b CLOB, c NCLOB, d BINARY_FLOAT, e BINARY_DOUBLE)",
    "INSERT INTO L VALUES('x', 'y', 'z', 'inf', '-1.5e300')",
    "ALTER SESSION SET NLS_DATE_FORMAT = 'DD-MON-RR HH12:MI:SS AM'",
    "CREATE TABLE K(a NUMBER(10) NOT NULL, b VARCHAR2(20) DEFAULT 'x', c DATE DEFAULT DATE "
    "'2024-01-02', CONSTRAINT pk_k PRIMARY KEY (a, b))",
    "INSERT INTO K(a) VALUES(1)",
    "INSERT INTO K VALUES(2, NULL, TO_DATE('2024-05-06 07:08', 'YYYY-MM-DD HH24:MI'))",
    "CREATE TABLE P(id INT CONSTRAINT p_pk PRIMARY KEY ENABLE, n NCHAR(3) NULL, t TIMESTAMP(9) "
    "NOT NULL, i INTERVAL DAY(3) TO SECOND(0))",
    "INSERT INTO P VALUES(1, 'a', TIMESTAMP '2024-02-29 23:59:59.123456789', INTERVAL '-838 "
    "23:59:59' DAY(3) TO SECOND)",
    "INSERT INTO P VALUES(DEFAULT, DEFAULT, TO_TIMESTAMP('2024-01-01 10:00:00.5', "
    "'YYYY-MM-DD HH24:MI:SS.FF'), '1 2:3:4')",
    "CREATE TABLE Q(a INT, b NUMBER(5,-2), PRIMARY KEY (b, a))",
    "INSERT INTO Q VALUES(1, 1234567)",
    "INSERT INTO \"T\" VALUES(?, ?, ?, ?, ?)",
    "INSERT INTO \"a\"\"b\"(w, x, y, z) VALUES(?, -1, ?, ?)",
    "SELECT DISTINCT D, MOD(D, 3) m FROM \"T\" t WHERE t.C LIKE 'a%' ESCAPE '\\' OR D IS NULL "
    "ORDER BY 2 DESC NULLS FIRST, t.E OFFSET 1 ROWS FETCH NEXT 2 ROWS ONLY",
    "SELECT COUNT(*), COUNT(E) FROM \"T\" WHERE D BETWEEN ? AND 10 AND C NOT IN ('x', ?)",
    "SELECT ORA_HASH(C, 15, 2), NLSSORT(C, 'NLS_SORT=BINARY'), LENGTH(C), UPPER(C), "
    "LOWER(C), NVL(C, 'n'), SUBSTR(C, -2, 1), TO_CHAR(E, 'YYYY'), TO_CHAR(D) FROM \"T\"",
    "SELECT * FROM K WHERE a = ? AND b = 'x' ORDER BY c DESC",
    "SELECT 1, 'x', DATE '2024-01-01', TO_DATE('2024', 'YYYY') FROM DUAL WHERE NOT (1 <> 1)",
    "SELECT x, y FROM \"a'b\" WHERE y > '01-JAN-24' AND x >= 1 ORDER BY NLSSORT(z, "
    "'NLS_SORT=BINARY')",
    "UPDATE \"T\" t SET t.C = ?, D = NULL WHERE D = ? OR E < TO_DATE('2024-01-01', "
    "'YYYY-MM-DD')",
    "UPDATE K SET c = DATE '2024-02-02' WHERE a IN (1, 2)",
    "DELETE FROM \"T\" WHERE C = ?",
    "DELETE K WHERE b LIKE '%x_'",
    "MERGE INTO K t USING (SELECT ? AS a, ? AS b FROM DUAL) s ON (t.a = s.a AND t.b = s.b) "
    "WHEN MATCHED THEN UPDATE SET t.c = NULL WHEN NOT MATCHED THEN INSERT (a, b) VALUES (s.a, "
    "s.b)",
    "MERGE INTO Q t USING (SELECT 1 a, ? b FROM DUAL) s ON (t.a = s.a) WHEN NOT MATCHED THEN "
    "INSERT VALUES (s.a, s.b)",
    "MERGE INTO Q t USING K s ON (t.a = s.a) WHEN MATCHED THEN UPDATE SET t.b = 5",
    "COMMIT",
    "ROLLBACK",
};

const std::array<const char*, 58> fragments { "SELECT", "*", "FROM", "\"", "'", "''", "\"\"", "(",
    ")", ",", ";", "=", "CREATE", "TABLE", "INSERT", "INTO", "VALUES", "NULL", "DROP", "RENAME",
    "TO", "ALTER", "SESSION", "SET", "NUMBER(", "VARCHAR2(4000)", "1e99999", "--", "PRIMARY KEY",
    "NOT NULL", "CONSTRAINT", "DEFAULT", "DATE '", "TO_DATE(", "INTERVAL '", "DAY TO SECOND", "?",
    " WHERE ", " AND ", " OR ", " NOT ", " IS NULL", " LIKE ", " BETWEEN ", " IN (", " ORDER BY ",
    " DESC", " NULLS FIRST", " <> ", " <= ", "COUNT(*)", "MOD(", "ORA_HASH(", "SUBSTR(",
    " DISTINCT ", " FETCH FIRST 1 ROWS ONLY", " WHEN MATCHED THEN UPDATE SET ", "t." };

std::string mutate(std::string s, std::mt19937& rng)
{
    std::uniform_int_distribution<int> op(0, 5);
    const int edits = 1 + int(rng() % 4);
    for (int e = 0; e < edits; ++e) {
        const std::size_t pos = s.empty() ? 0 : rng() % (s.size() + 1);
        switch (op(rng)) {
        case 0: // delete a span
            if (!s.empty())
                s.erase(std::min(pos, s.size() - 1), 1 + rng() % 8);
            break;
        case 1: // insert a random byte
            s.insert(pos, 1, char(rng() % 256));
            break;
        case 2: // insert a fragment
            s.insert(pos, fragments[rng() % fragments.size()]);
            break;
        case 3: // duplicate a span
            if (!s.empty()) {
                const std::size_t at = std::min(pos, s.size() - 1);
                s.insert(at, s.substr(at, 1 + rng() % 16));
            }
            break;
        case 4: // flip a byte
            if (!s.empty())
                s[std::min(pos, s.size() - 1)] ^= char(1 << (rng() % 8));
            break;
        default: // long runs, to reach length limits
            s.insert(pos, std::string(rng() % 5000, "9'\"(A"[rng() % 5]));
            break;
        }
    }
    return s;
}

std::string randomBytes(std::mt19937& rng)
{
    std::string s(rng() % 64, '\0');
    for (char& c : s)
        c = char(rng() % 256);
    return s;
}

// A value as a driver binds it to a marker: text, a number, a date or
// timestamp, bytes or NULL, each of them well or badly formed.
Literal randomBound(std::mt19937& rng)
{
    switch (rng() % 6) {
    case 0:
        return Literal::of(Literal::Kind::String, randomBytes(rng));
    case 1:
        return Literal::of(Literal::Kind::Number,
            std::to_string(int(rng())) + (rng() % 2 ? "." + std::to_string(rng() % 1000) : "")
                + (rng() % 4 ? "" : "e" + std::to_string(int(rng() % 400) - 200)));
    case 2: {
        Literal v = Literal::of(Literal::Kind::DateTimeValue);
        v.dateTime = DateTime { 1 + int(rng() % 9999), 1 + int(rng() % 12), 1 + int(rng() % 28),
            int(rng() % 24), int(rng() % 60), int(rng() % 60), std::uint32_t(rng() % 1000000000) };
        v.dateOnly = rng() % 2;
        return v;
    }
    case 3:
        return Literal::of(Literal::Kind::Bytes, randomBytes(rng));
    case 4:
        return Literal::of(Literal::Kind::Number, randomBytes(rng));
    default:
        return Literal {};
    }
}

} // namespace

int main(int argc, char** argv)
{
    const long iterations = argc > 1 ? std::atol(argv[1]) : 20000;
    const unsigned seed = argc > 2 ? unsigned(std::atol(argv[2])) : 20240501u;
    std::mt19937 rng(seed);

    char dir[] = "/tmp/oraclestandin-fuzz-XXXXXX";
    if (!mkdtemp(dir)) {
        std::perror("mkdtemp");
        return 2;
    }
    const std::string path = sidPath(dir, "FUZZ");
    Storage::create(path);
    Storage::open(path)->createUser("SCOTT", "tiger");
    auto session = Session::logon(dir, "FUZZ", "scott", "tiger");

    long accepted = 0, refused = 0;
    for (long i = 0; i < iterations; ++i) {
        std::string sql;
        switch (rng() % 4) {
        case 0:
            sql = seeds[rng() % seeds.size()];
            break;
        case 1:
            sql = randomBytes(rng);
            break;
        default:
            sql = mutate(seeds[rng() % seeds.size()], rng);
            break;
        }
        try {
            Result result = session->execute(sql);
            std::vector<Cell> row;
            while (result.rows && result.rows->next(row)) { }
            ++accepted;
        } catch (const OraError& e) {
            if (e.code() == 600) {
                // An internal error means the engine let something through
                // that the storage could not take: a fault of the parser.
                std::fprintf(stderr, "internal error for input #%ld: %s\n", i, e.what());
                return 1;
            }
            ++refused;
        }
        // Arrays of bound values, for the statements that take them; a
        // query's markers take one set.
        try {
            const PreparedStatement p = session->prepare(sql);
            if (std::holds_alternative<SelectStmt>(p.statement)) {
                std::vector<Literal> values(p.parameters);
                for (Literal& v : values)
                    v = randomBound(rng);
                Result result = session->execute(p, &values);
                std::vector<Cell> row;
                while (result.rows && result.rows->next(row)) { }
            } else if (p.parameters > 0) {
                const ArrayOutcome outcome = session->executeRows(
                    p.statement, 1 + rng() % 3, [&](std::size_t, std::vector<Literal>& values) {
                        for (Literal& v : values)
                            v = randomBound(rng);
                        return rng() % 8 != 0;
                    });
                if (outcome.error)
                    std::rethrow_exception(outcome.error);
            }
        } catch (const OraError& e) {
            if (e.code() == 600) {
                std::fprintf(stderr, "internal error for bound values of #%ld: %s\n", i, e.what());
                return 1;
            }
        }
        // The conversions on their own, with the same text as input.
        try {
            const DateTime dt { 1 + int(rng() % 9999), 1 + int(rng() % 12), 1 + int(rng() % 28),
                int(rng() % 24), 0, 0, std::uint32_t(rng() % 1000000000) };
            (void)formatDateTime(dt, DateFormat::parse(sql.substr(0, 40)), int(rng() % 10));
            (void)roundFraction(dt, int(rng() % 10));
        } catch (const OraError&) { }
        try {
            parseDateTime(sql.substr(0, 40), DateFormat::parse("DD-MON-RR HH.MI.SSXFF AM"),
                Today { 2024, 5 });
        } catch (const OraError&) { }
        if (auto d = Decimal::parse(sql)) {
            d->roundToScale(int(rng() % 200) - 100);
            d->roundToSignificant(1 + int(rng() % 40));
            (void)d->toString();
        }
    }
    std::printf("%ld statements: %ld accepted, %ld refused with an ORA error, seed %u\n",
        iterations, accepted, refused, seed);
    std::string cleanup = std::string("rm -rf '") + dir + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 0;
}
