// Sessions writing one SID at once, each on its own connection and thread,
// as the program copies several tables at once: writers take turns per
// transaction (SQLite has one writer per file, Oracle row locks), a writer
// waits for the other session's commit instead of failing, and readers
// never wait. A wait that could never end, for a transaction of the same
// thread, is Oracle's deadlock error at once instead of a hang.

#include "standin_fixture.h"

#include <QTest>
#include <atomic>
#include <thread>

using namespace standintest;

namespace {

constexpr int batches = 8;
constexpr int batchRows = 40;

// What a thread saw go wrong; empty when nothing did.
QString failure(Statement& s, const QString& sql)
{
    return SQL_SUCCEEDED(s.exec(sql)) ? QString() : sql + ": " + s.diag().message;
}

} // namespace

class TestSessions : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>();
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        for (const char* t : { "W1", "W2", "SHARED", "TURN" })
            QVERIFY(run(c, QString("CREATE TABLE %1(K NUMBER, V VARCHAR2(20))").arg(t)));
    }

    // Three writers, two of them into one table, committing once per batch,
    // and a reader counting rows all along.
    void writersTakeTurns()
    {
        struct Writer {
            QString table;
            int id;
            QString error;
        };
        std::array<Writer, 3> writers { Writer { "W1", 1, {} }, Writer { "W2", 2, {} },
            Writer { "SHARED", 3, {} } };
        std::atomic<bool> writing { true };
        auto write = [](Writer& w, const QString& shared) {
            Connection c;
            if (!SQL_SUCCEEDED(c.open("SCOTT", "tiger")) || c.setAutocommit(false) != SQL_SUCCESS) {
                w.error = "logon: " + c.diag().message;
                return;
            }
            for (int b = 0; b < batches && w.error.isEmpty(); ++b) {
                for (int r = 0; r < batchRows && w.error.isEmpty(); ++r) {
                    Statement s(c);
                    for (const QString& table : { w.table, shared })
                        w.error += failure(s,
                            QString("INSERT INTO %1 VALUES(%2, 'b%3 r%4')")
                                .arg(table)
                                .arg(w.id)
                                .arg(b)
                                .arg(r));
                }
                if (SQLEndTran(SQL_HANDLE_DBC, c.handle(), SQL_COMMIT) != SQL_SUCCESS)
                    w.error += "commit: " + c.diag().message;
            }
        };
        QString readError;
        int reads = 0;
        std::thread reader([&] {
            Connection c;
            if (!SQL_SUCCEEDED(c.open("SCOTT", "tiger"))) {
                readError = c.diag().message;
                return;
            }
            while (writing && readError.isEmpty()) {
                Statement s(c);
                readError = failure(s, "SELECT COUNT(*) FROM SHARED WHERE K > 0");
                s.rows();
                ++reads;
            }
        });
        std::vector<std::thread> threads;
        for (Writer& w : writers)
            threads.emplace_back(write, std::ref(w), QString("SHARED"));
        for (std::thread& t : threads)
            t.join();
        writing = false;
        reader.join();
        for (const Writer& w : writers)
            QVERIFY2(w.error.isEmpty(), qPrintable(w.error));
        QVERIFY2(readError.isEmpty(), qPrintable(readError));
        QVERIFY(reads > 0);
        Connection c;
        QVERIFY(SQL_SUCCEEDED(c.open("SCOTT", "tiger")));
        const int all = batches * batchRows;
        const std::pair<const char*, int> counts[]
            = { { "SELECT COUNT(*) FROM W1", all }, { "SELECT COUNT(*) FROM W2", all },
                  { "SELECT COUNT(*) FROM SHARED WHERE K = 3", 2 * all } };
        for (const auto& [check, n] : counts) {
            Statement s(c);
            QVERIFY(SQL_SUCCEEDED(s.exec(check)));
            QCOMPARE(s.rows(), QStringList { QString::number(n) });
        }
        Statement shared(c);
        QVERIFY(SQL_SUCCEEDED(shared.exec("SELECT COUNT(*) FROM SHARED")));
        QCOMPARE(shared.rows(), QStringList { QString::number(4 * batches * batchRows) });
    }

    // A writer waits for the open transaction of another thread's session
    // and goes on when it commits; a reader reads meanwhile.
    void writerWaitsForCommit()
    {
        Connection holder;
        QVERIFY(SQL_SUCCEEDED(holder.open("SCOTT", "tiger")));
        QCOMPARE(holder.setAutocommit(false), SQLRETURN(SQL_SUCCESS));
        QVERIFY(run(holder, "INSERT INTO TURN VALUES(1, 'first')"));
        std::atomic<bool> done { false };
        QString error;
        std::thread waiter([&] {
            Connection c;
            if (SQL_SUCCEEDED(c.open("SCOTT", "tiger"))) {
                Statement insert(c);
                error = failure(insert, "INSERT INTO TURN VALUES(2, 'second')");
            }
            done = true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const bool waited = !done;
        Connection reader;
        QVERIFY(SQL_SUCCEEDED(reader.open("SCOTT", "tiger")));
        QCOMPARE(tableRows(reader, "TURN"), QStringList());
        QCOMPARE(SQLEndTran(SQL_HANDLE_DBC, holder.handle(), SQL_COMMIT), SQLRETURN(SQL_SUCCESS));
        waiter.join();
        QVERIFY(waited);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QCOMPARE(tableRows(reader, "TURN"), (QStringList { "1|first", "2|second" }));
    }

    // Two sessions on one thread: the second's write could only wait for a
    // commit that thread will never reach.
    void sameThreadIsDeadlock()
    {
        Connection a, b;
        QVERIFY(SQL_SUCCEEDED(a.open("SCOTT", "tiger")) && SQL_SUCCEEDED(b.open("SCOTT", "tiger")));
        QCOMPARE(a.setAutocommit(false), SQLRETURN(SQL_SUCCESS));
        QVERIFY(run(a, "INSERT INTO W1 VALUES(9, 'a')"));
        Statement s(b);
        QCOMPARE(s.exec("INSERT INTO W2 VALUES(9, 'b')"), SQLRETURN(SQL_ERROR));
        const Diag d = s.diag();
        QCOMPARE(d.state, QString("40001"));
        QCOMPARE(d.message,
            QString("[Oracle][ODBC][Ora]ORA-00060: deadlock detected while waiting for resource"));
        QCOMPARE(SQLEndTran(SQL_HANDLE_DBC, a.handle(), SQL_ROLLBACK), SQLRETURN(SQL_SUCCESS));
        QVERIFY(run(b, "INSERT INTO W2 VALUES(9, 'b')"));
    }

private:
    std::unique_ptr<World> m_world;
};

QTEST_GUILESS_MAIN(TestSessions)
#include "test_sessions.moc"
