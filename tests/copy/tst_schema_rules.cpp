#include "catalog/whole_definition.h"
#include "copy/schema/check_conditions.h"
#include "copy/schema/column_defaults.h"
#include "copy/schema/definition_names.h"

#include <QTest>

using namespace tw::catalog;
using namespace tw::copy;
using namespace tw::copy::schema;
using tw::sql::Server;

Q_DECLARE_METATYPE(tw::sql::Server)
Q_DECLARE_METATYPE(tw::copy::ExactColumn)
Q_DECLARE_METATYPE(tw::catalog::ColumnDefault)

namespace {

ExactColumn column(Server server, ValueForm form, const char* type, int fraction = 0)
{
    ExactColumn c;
    c.name = QStringLiteral("c");
    c.server = server;
    c.form = form;
    c.type = QLatin1String(type);
    c.fractionDigits = fraction;
    c.parameter.decimalDigits = form == ValueForm::Decimal ? 2 : 0;
    c.dayDigits = 2;
    c.emptyAsNull = server == Server::Oracle;
    return c;
}

ColumnDefault value(const char* text)
{
    return { ColumnDefault::Kind::Value, QString::fromUtf8(text) };
}

} // namespace

// How the parts of a definition read from one server are written for the
// other, without a server.
class TestSchemaRules : public QObject {
    Q_OBJECT
private slots:
    void checkConditions_data()
    {
        QTest::addColumn<Server>("from");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("target"); // empty: not translated
        QTest::newRow("a column against a number") << Server::MySQL << "`price` > 0"
                                                   << "\"price\" > 0";
        QTest::newRow("comparisons joined by and, in parentheses")
            << Server::MySQL << "(`a` >= -1.5 and `b` != `a`)"
            << "\"a\" >= -1.5 AND \"b\" <> \"a\"";
        QTest::newRow("Oracle's bare name is upper case") << Server::Oracle << "budget > 0"
                                                          << "`BUDGET` > 0";
        QTest::newRow("Oracle's quoted name") << Server::Oracle << "\"BUDGET\" <= 10"
                                              << "`BUDGET` <= 10";
        QTest::newRow("text compares otherwise") << Server::MySQL << "`name` = 'x'"
                                                 << "";
        QTest::newRow("or") << Server::MySQL << "`a` > 0 or `b` > 0"
                            << "";
        QTest::newRow("a function") << Server::MySQL << "json_valid(`j`)"
                                    << "";
        QTest::newRow("no column") << Server::MySQL << "1 > 0"
                                   << "";
        QTest::newRow("a name that is no column") << Server::MySQL << "`nope` > 0"
                                                  << "";
        QTest::newRow("unbalanced") << Server::MySQL << "(`a` > 0"
                                    << "";
    }
    void checkConditions()
    {
        QFETCH(Server, from);
        QFETCH(QString, condition);
        QFETCH(QString, target);
        const QStringList columns = from == Server::MySQL
            ? QStringList { "price", "a", "b", "name", "j" }
            : QStringList { "BUDGET" };
        const Server to = from == Server::MySQL ? Server::Oracle : Server::MySQL;
        QCOMPARE(
            targetCondition(condition, from, columns, tw::sql::dialect(to)).value_or(QString()),
            target);
    }

    void defaults_data()
    {
        QTest::addColumn<ColumnDefault>("source");
        QTest::addColumn<Server>("from");
        QTest::addColumn<ExactColumn>("target");
        QTest::addColumn<QString>("value"); // empty: left out, with a note
        const ColumnDefault now { ColumnDefault::Kind::Clock,
            QStringLiteral("current_timestamp()") };
        const auto M = Server::MySQL;
        const auto O = Server::Oracle;
        QTest::newRow("a decimal")
            << value("4.99") << M << column(O, ValueForm::Decimal, "NUMBER(6,2)") << "4.99";
        QTest::newRow("a text, quotes doubled")
            << value("it's") << M << column(O, ValueForm::Text, "VARCHAR2(9 CHAR)") << "'it''s'";
        QTest::newRow("an empty text is NULL in Oracle")
            << value("") << M << column(O, ValueForm::Text, "VARCHAR2(9 CHAR)") << "";
        QTest::newRow("a timestamp with its fraction")
            << value("2020-01-01 00:00:00.500000") << M
            << column(O, ValueForm::Timestamp, "TIMESTAMP(6)", 6)
            << "TIMESTAMP '2020-01-01 00:00:00.5'";
        QTest::newRow("a time as an interval")
            << value("12:00:00") << M << column(O, ValueForm::Interval, "INTERVAL")
            << "INTERVAL '0 12:00:00' DAY(2) TO SECOND(0)";
        QTest::newRow("RAW's hex as bytes")
            << value("CAFE") << O << column(M, ValueForm::Binary, "VARBINARY(4)") << "X'CAFE'";
        QTest::newRow("not a number")
            << value("abc") << M << column(O, ValueForm::Integer, "NUMBER(10)") << "";
        QTest::newRow("the clock in a DATE")
            << now << M << column(O, ValueForm::Date, "DATE") << "SYSDATE";
        QTest::newRow("the clock in a TIMESTAMP")
            << now << M << column(O, ValueForm::Timestamp, "TIMESTAMP(6)", 6) << "SYSTIMESTAMP";
        QTest::newRow("the clock in a DATETIME")
            << now << O << column(M, ValueForm::Timestamp, "DATETIME") << "CURRENT_TIMESTAMP";
        QTest::newRow("the clock in a DATETIME(6)")
            << now << O << column(M, ValueForm::Timestamp, "DATETIME(6)", 6)
            << "CURRENT_TIMESTAMP(6)";
        QTest::newRow("the clock in text")
            << now << O << column(M, ValueForm::TimestampText, "VARCHAR(29)") << "";
        QTest::newRow("an expression")
            << ColumnDefault { ColumnDefault::Kind::Expression, QStringLiteral("uuid()") } << M
            << column(O, ValueForm::Text, "VARCHAR2(36 CHAR)") << "";
    }
    void defaults()
    {
        QFETCH(ColumnDefault, source);
        QFETCH(Server, from);
        QFETCH(ExactColumn, target);
        QFETCH(QString, value);
        const TargetDefault d = targetDefault(source, from, target);
        QCOMPARE(d.value, value);
        QCOMPARE(d.note.isEmpty(), !value.isEmpty());
    }

    void catalogDefaults_data()
    {
        QTest::addColumn<Server>("server");
        QTest::addColumn<QString>("kept"); // as the catalog keeps it
        QTest::addColumn<int>("kind"); // -1: none
        QTest::addColumn<QString>("text");
        const int V = int(ColumnDefault::Kind::Value);
        const int C = int(ColumnDefault::Kind::Clock);
        const int E = int(ColumnDefault::Kind::Expression);
        QTest::newRow("MariaDB text")
            << Server::MySQL << "'it''s \\\\ a\\nb'" << V << "it's \\ a\nb";
        QTest::newRow("MariaDB number") << Server::MySQL << "4.99" << V << "4.99";
        QTest::newRow("MariaDB bits") << Server::MySQL << "b'101'" << V << "5";
        QTest::newRow("MariaDB clock")
            << Server::MySQL << "current_timestamp(6)" << C << "current_timestamp(6)";
        QTest::newRow("MariaDB NULL") << Server::MySQL << "NULL" << -1 << "";
        QTest::newRow("MariaDB expression") << Server::MySQL << "(1 + 2)" << E << "(1 + 2)";
        QTest::newRow("Oracle text") << Server::Oracle << "'it''s' " << V << "it's";
        QTest::newRow("Oracle empty text") << Server::Oracle << "''" << -1 << "";
        QTest::newRow("Oracle SYSDATE") << Server::Oracle << "SYSDATE" << C << "SYSDATE";
        QTest::newRow("Oracle DATE literal")
            << Server::Oracle << "DATE '2020-01-02'" << V << "2020-01-02";
        QTest::newRow("Oracle TO_DATE as the copy writes it")
            << Server::Oracle << "TO_DATE('2020-01-02 03:04:05', 'YYYY-MM-DD HH24:MI:SS')" << V
            << "2020-01-02 03:04:05";
        QTest::newRow("Oracle expression") << Server::Oracle << "SYS_GUID()" << E << "SYS_GUID()";
    }
    void catalogDefaults()
    {
        QFETCH(Server, server);
        QFETCH(QString, kept);
        QFETCH(int, kind);
        QFETCH(QString, text);
        std::optional<ColumnDefault> d;
        if (server == Server::Oracle) {
            d = oracleDefault(kept);
        } else {
            CatalogColumn c;
            readMySQLColumnExtras(kept, QString(), QString(), true, c);
            d = c.defaultValue;
        }
        QCOMPARE(d ? int(d->kind) : -1, kind);
        QCOMPARE(d ? d->text : QString(), text);
    }

    // Oracle keeps index names per schema, MySQL per table (foreign keys per
    // database); a name past the limit is cut, a taken one numbered.
    void names_data()
    {
        QTest::addColumn<Server>("target");
        QTest::addColumn<QStringList>("claims"); // kind:table:name
        QTest::addColumn<QStringList>("names");
        QTest::newRow("Oracle: one index name per schema")
            << Server::Oracle << QStringList { "i:t1:idx", "i:t2:idx", "u:t3:idx" }
            << QStringList { "idx", "idx_2", "idx_3" };
        QTest::newRow("Oracle: indexes and constraints apart")
            << Server::Oracle << QStringList { "i:t1:k", "f:t1:k", "u:t2:k" }
            << QStringList { "k", "k", "k_2" };
        QTest::newRow("MySQL: one index name per table")
            << Server::MySQL << QStringList { "i:t1:idx", "i:t2:idx", "u:t2:IDX" }
            << QStringList { "idx", "idx", "IDX_2" };
        QTest::newRow("MySQL: one foreign key name per database")
            << Server::MySQL << QStringList { "f:t1:fk", "f:t2:fk" }
            << QStringList { "fk", "fk_2" };
        QTest::newRow("MySQL: 64 characters")
            << Server::MySQL
            << QStringList { "i:t:" + QString(70, u'x'), "i:t:" + QString(70, u'x') }
            << QStringList { QString(64, u'x'), QString(62, u'x') + "_2" };
        QTest::newRow("Oracle: 128 bytes, cut between characters")
            << Server::Oracle << QStringList { "i:t:" + QString(70, QChar(0xe9)) }
            << QStringList { QString(64, QChar(0xe9)) };
    }
    void names()
    {
        QFETCH(Server, target);
        QFETCH(QStringList, claims);
        QFETCH(QStringList, names);
        DefinitionNames planner(tw::sql::dialect(target));
        QStringList got;
        for (const QString& claim : claims) {
            const QStringList parts = claim.split(u':');
            const auto kind = parts[0] == QLatin1String("i") ? DefinitionNames::Kind::Index
                : parts[0] == QLatin1String("u")             ? DefinitionNames::Kind::UniqueKey
                                                             : DefinitionNames::Kind::ForeignKey;
            QString change;
            got.append(planner.claim(kind, parts[1], parts[2], change));
            QCOMPARE(change.isEmpty(), got.last() == parts[2]);
        }
        QCOMPARE(got, names);
    }
};

QTEST_GUILESS_MAIN(TestSchemaRules)
#include "tst_schema_rules.moc"
