#include "catalog/table_catalog.h"
#include "copy/exact/exact_statements.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "odbc/error.h"
#include "support/exact_corpus.h"
#include "support/testbed.h"

#include <QTest>

using namespace tw::catalog;
using namespace tw::db;
using namespace tw::odbc;
using namespace tw::copy;
using namespace tw::sql;
using namespace tw::test;

class TestExactRoundTrip : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Connection> m_mysql;
    std::unique_ptr<Connection> m_oracle;

    Connection& on(Server server) { return server == Server::MySQL ? *m_mysql : *m_oracle; }

    // What an exact copy does, with every value as a literal.
    void copy(Server from, const QString& source, const QString& target)
    {
        const Server to = from == Server::MySQL ? Server::Oracle : Server::MySQL;
        const ExactTable table = exactTable(to, readTableCatalog(on(from), from, source));
        on(to).Execute(exactCreateStatement(table, target));
        for (const QList<Value>& row :
            rowsByKey(on(from), from, source, sourceTextColumns(table))) {
            const ExactInsert insert = exactInsertStatement(table, target, row);
            QVERIFY2(insert.carry == Carry::Literal,
                qPrintable(table.columns.value(insert.column).name + QStringLiteral(": ")
                    + insert.reason));
            try {
                on(to).Execute(insert.statement);
            } catch (const DbError& e) {
                QFAIL(qPrintable(e.description() + u'\n' + insert.statement));
            }
        }
    }

private slots:
    void initTestCase()
    {
        Testbed& bed = Testbed::instance();
        const QString db = bed.freshMySQLDatabase(QStringLiteral("tw_exact_round_trip"));
        const QString user = bed.freshOracleUser(QStringLiteral("tw_exact_round_trip"));
        m_mysql = std::make_unique<Connection>();
        m_mysql->Open(MySQLConnectionString(bed.login(db, user)));
        m_oracle = std::make_unique<Connection>();
        m_oracle->Open(OracleConnectionString(bed.login(db, user)));
    }
    void cleanupTestCase()
    {
        m_mysql.reset();
        m_oracle.reset();
    }

    void aMySQLTableComesBackFromOracleUnchanged()
    {
        createMySQLCorpus(QStringLiteral("tw_exact_round_trip"));
        copy(Server::MySQL, QStringLiteral("src"), QStringLiteral("via"));
        copy(Server::Oracle, QStringLiteral("via"), QStringLiteral("back"));
        compareRoundTrip(*m_mysql, Server::MySQL, QStringLiteral("src"), QStringLiteral("back"));
    }

    void anOracleTableComesBackFromMySQLUnchanged()
    {
        createOracleCorpus(QStringLiteral("tw_exact_round_trip"));
        copy(Server::Oracle, QStringLiteral("SRC"), QStringLiteral("VIA"));
        copy(Server::MySQL, QStringLiteral("VIA"), QStringLiteral("BACK"));
        compareRoundTrip(*m_oracle, Server::Oracle, QStringLiteral("SRC"), QStringLiteral("BACK"));
    }

    void aWideOracleTableFitsMySQLsRowLimit()
    {
        Testbed& bed = Testbed::instance();
        const QString user = QStringLiteral("tw_exact_round_trip");
        QStringList columns;
        for (int i = 0; i < 6; ++i)
            columns.append(QStringLiteral("V%1 VARCHAR2(4000 CHAR)").arg(i));
        bed.oracle(user,
            QStringLiteral("CREATE TABLE \"WIDE\"(K VARCHAR2(700) PRIMARY KEY, %1)")
                .arg(columns.join(QLatin1String(", "))));
        bed.oracle(user,
            QStringLiteral("INSERT INTO \"WIDE\" VALUES('k', '%1', 'a', 'b', 'c', 'd', 'e')")
                .arg(QString(1000, QChar(0x4E2D)))); // 1,000 three-byte characters
        copy(Server::Oracle, QStringLiteral("WIDE"), QStringLiteral("WIDE"));
        copy(Server::MySQL, QStringLiteral("WIDE"), QStringLiteral("WIDE_BACK"));
        compareRoundTrip(
            *m_oracle, Server::Oracle, QStringLiteral("WIDE"), QStringLiteral("WIDE_BACK"));
    }

    void aNumber10IdAndAFloat126ArriveWhole()
    {
        // A single-precision FLOAT, as the plain copy makes, would give 2147483648.
        auto rs
            = m_mysql->Execute(QStringLiteral("SELECT `ID`, `F` FROM `VIA` ORDER BY `ID` DESC"));
        QVERIFY(rs);
        QCOMPARE(rs->field(0).Value, QVariant(qint64(2147483647)));
        QCOMPARE(rs->field(1).Value,
            QVariant(QStringLiteral("0.33333333333333333333333333333333333333")));
    }
};

QTEST_GUILESS_MAIN(TestExactRoundTrip)
#include "tst_exact_round_trip.moc"
