// Block cursors through unixODBC: SQL_ATTR_ROW_ARRAY_SIZE rows per fetch
// into bound arrays, with the rows-fetched count and the row status array;
// values too long for their buffer are cut with their full length given, and
// read whole with SQLSetPos(SQL_POSITION) and SQLGetData (SQL_GD_BLOCK). The
// driver's SQLGetInfo and SQLGetFunctions answers match what it offers.

#include "standin_fixture.h"

#include <QTest>
#include <array>
#include <charconv>
#include <cstring>

using namespace standintest;

namespace {

constexpr SQLULEN rowsetSize = 2;
constexpr int rowCount = 5; // fetched as 2, 2 and 1

template <typename T> T at(const char* p)
{
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T> QString shortest(T v)
{
    char buf[64];
    return QString::fromLatin1(buf, std::to_chars(buf, buf + sizeof buf, v).ptr - buf);
}

// One bound element as text, for comparing.
QString render(SQLSMALLINT cType, const char* p, SQLLEN length)
{
    switch (cType) {
    case SQL_C_WCHAR:
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(p), length / 2);
    case SQL_C_CHAR:
        return QString::fromUtf8(p, length);
    case SQL_C_BINARY:
        return QString::fromLatin1(QByteArray(p, length).toHex().toUpper());
    case SQL_C_SBIGINT:
        return QString::number(at<SQLBIGINT>(p));
    case SQL_C_DOUBLE:
        return shortest(at<SQLDOUBLE>(p));
    case SQL_C_TYPE_TIMESTAMP: {
        const auto t = at<SQL_TIMESTAMP_STRUCT>(p);
        return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d.%09u", t.year, t.month, t.day,
            t.hour, t.minute, t.second, unsigned(t.fraction));
    }
    default:
        return "<unexpected C type>";
    }
}

std::size_t elementSize(SQLSMALLINT cType)
{
    if (cType == SQL_C_TYPE_TIMESTAMP)
        return sizeof(SQL_TIMESTAMP_STRUCT);
    return cType == SQL_C_SBIGINT || cType == SQL_C_DOUBLE ? 8 : 64;
}

} // namespace

class TestBlockFetch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_world = std::make_unique<World>(acceptBigIntCTypes);
        m_c = std::make_unique<Connection>();
        QVERIFY(SQL_SUCCEEDED(m_c->open("SCOTT", "tiger")));
        QVERIFY(run(*m_c, "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD HH24:MI:SS'"));
        QVERIFY(run(*m_c, "ALTER SESSION SET NLS_TIMESTAMP_FORMAT = 'YYYY-MM-DD HH24:MI:SS.FF'"));
    }

    void cleanup() { Statement(*m_c).exec("DROP TABLE \"BF\""); }

    void rowsetsFillBoundArrays_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QStringList>("literals"); // five rows; the third is NULL
        QTest::addColumn<int>("cType");
        QTest::addColumn<QStringList>("fetched");

        QTest::newRow("SQL_C_WCHAR")
            << "VARCHAR2(20 CHAR)" << QStringList { "'a'", "'😀b'", "NULL", "'O''x'", "'end'" }
            << int(SQL_C_WCHAR) << QStringList { "a", "😀b", "<null>", "O'x", "end" };
        QTest::newRow("SQL_C_CHAR")
            << "VARCHAR2(20)" << QStringList { "'äö'", "'b'", "NULL", "' '", "'e'" }
            << int(SQL_C_CHAR) << QStringList { "äö", "b", "<null>", " ", "e" };
        QTest::newRow("SQL_C_SBIGINT")
            << "NUMBER(19)"
            << QStringList { "9223372036854775807", "-5", "NULL", "0", "-9223372036854775808" }
            << int(SQL_C_SBIGINT)
            << QStringList { "9223372036854775807", "-5", "<null>", "0", "-9223372036854775808" };
        QTest::newRow("SQL_C_DOUBLE")
            << "FLOAT" << QStringList { "0.1", "'-1e-120'", "NULL", "12345.678", "1e125" }
            << int(SQL_C_DOUBLE)
            << QStringList { "0.1", "-1e-120", "<null>", "12345.678", "1e+125" };
        QTest::newRow("SQL_C_TYPE_TIMESTAMP")
            << "TIMESTAMP(9)"
            << QStringList { "'2024-05-01 13:45:07.123456789'", "'2024-05-01 00:00:00'", "NULL",
                   "'1999-12-31 23:59:59.5'", "'2000-01-01 00:00:00.000000001'" }
            << int(SQL_C_TYPE_TIMESTAMP)
            << QStringList { "2024-05-01 13:45:07.123456789", "2024-05-01 00:00:00.000000000",
                   "<null>", "1999-12-31 23:59:59.500000000", "2000-01-01 00:00:00.000000001" };
        QTest::newRow("SQL_C_BINARY")
            << "BLOB" << QStringList { "'CAFE'", "'00'", "NULL", "'FF00FF'", "'01'" }
            << int(SQL_C_BINARY) << QStringList { "CAFE", "00", "<null>", "FF00FF", "01" };
    }

    // Each set of values is fetched bound by column and bound by row.
    void rowsetsFillBoundArrays()
    {
        QFETCH(QString, type);
        QFETCH(QStringList, literals);
        QFETCH(int, cType);
        QFETCH(QStringList, fetched);
        QVERIFY(run(*m_c, "CREATE TABLE \"BF\"(\"N\" INT, \"C\" " + type + ")"));
        for (int i = 0; i < rowCount; ++i)
            QVERIFY(
                run(*m_c, QString("INSERT INTO \"BF\" VALUES(%1, %2)").arg(i).arg(literals[i])));

        for (const bool byRow : { false, true }) {
            const std::size_t size = elementSize(SQLSMALLINT(cType));
            // By row: the value, then its indicator at the next SQLLEN boundary.
            const std::size_t room = (size + sizeof(SQLLEN) - 1) / sizeof(SQLLEN) * sizeof(SQLLEN);
            const std::size_t stride = byRow ? room + sizeof(SQLLEN) : size;
            std::vector<char> values(stride * rowsetSize);
            std::vector<SQLLEN> columnIndicators(rowsetSize);
            SQLLEN* indicators
                = byRow ? reinterpret_cast<SQLLEN*>(values.data() + room) : columnIndicators.data();
            auto indicator = [&](std::size_t i) {
                return byRow ? at<SQLLEN>(values.data() + i * stride + room) : columnIndicators[i];
            };
            SQLULEN count = 99;
            std::array<SQLUSMALLINT, rowsetSize> status {};
            Statement s(*m_c);
            s.setAttr(SQL_ATTR_ROW_ARRAY_SIZE, rowsetSize);
            s.setAttr(SQL_ATTR_ROW_BIND_TYPE, byRow ? stride : SQL_BIND_BY_COLUMN);
            s.setAttr(SQL_ATTR_ROWS_FETCHED_PTR, &count);
            s.setAttr(SQL_ATTR_ROW_STATUS_PTR, status.data());
            QCOMPARE(SQLBindCol(s.handle(), 1, SQLSMALLINT(cType), values.data(), SQLLEN(size),
                         indicators),
                SQLRETURN(SQL_SUCCESS));
            QVERIFY(SQL_SUCCEEDED(s.exec("SELECT \"C\" FROM \"BF\"")));
            QStringList got;
            QList<SQLULEN> counts;
            SQLRETURN rc;
            while ((rc = SQLFetch(s.handle())) == SQL_SUCCESS) {
                counts << count;
                for (std::size_t i = 0; i < count; ++i) {
                    QCOMPARE(status[i], SQLUSMALLINT(SQL_ROW_SUCCESS));
                    got << (indicator(i) == SQL_NULL_DATA
                            ? QString("<null>")
                            : render(SQLSMALLINT(cType), values.data() + i * stride, indicator(i)));
                }
            }
            QCOMPARE(rc, SQLRETURN(SQL_NO_DATA));
            QCOMPARE(counts, (QList<SQLULEN> { 2, 2, 1 }));
            QCOMPARE(status[1], SQLUSMALLINT(SQL_ROW_NOROW)); // left from the last rowset of one
            QCOMPARE(count, SQLULEN(0));
            QCOMPARE(got, fetched);
        }
    }

    // The buffer keeps what fits and a terminator; the indicator says how
    // long the whole value is, and the warning names the row and column.
    void cutValuesKeepTheirLength()
    {
        QVERIFY(run(*m_c, "CREATE TABLE \"BF\"(\"C\" VARCHAR2(40))"));
        QVERIFY(run(*m_c, "INSERT INTO \"BF\" VALUES('short')"));
        QVERIFY(run(*m_c, "INSERT INTO \"BF\" VALUES('a much longer text')"));
        std::array<std::array<char16_t, 6>, rowsetSize> texts {};
        std::array<SQLLEN, rowsetSize> lengths {};
        std::array<SQLUSMALLINT, rowsetSize> status {};
        Statement s(*m_c);
        s.setAttr(SQL_ATTR_ROW_ARRAY_SIZE, rowsetSize);
        s.setAttr(SQL_ATTR_ROW_STATUS_PTR, status.data());
        SQLBindCol(s.handle(), 1, SQL_C_WCHAR, texts.data(), sizeof texts[0], lengths.data());
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"BF\"")));
        QCOMPARE(SQLFetch(s.handle()), SQLRETURN(SQL_SUCCESS_WITH_INFO));
        QCOMPARE(status,
            (std::array<SQLUSMALLINT, rowsetSize> { SQL_ROW_SUCCESS, SQL_ROW_SUCCESS_WITH_INFO }));
        QCOMPARE(lengths, (std::array<SQLLEN, rowsetSize> { 10, 36 }));
        QCOMPARE(QString::fromUtf16(texts[0].data()), QString("short"));
        QCOMPARE(QString::fromUtf16(texts[1].data()), QString("a muc"));
        QCOMPARE(s.diag().state, QString("01004"));
        QCOMPARE(s.diag().row, SQLLEN(2));
    }

    // CLOB and BLOB values far longer than their bound buffers, read whole
    // in pieces once SQLSetPos has put the cursor on their row.
    void longValuesAreReadWholeRowByRow()
    {
        QVERIFY(run(*m_c, "CREATE TABLE \"BF\"(\"T\" CLOB, \"B\" BLOB)"));
        QList<QString> texts;
        QList<QByteArray> blobs;
        Statement insert(*m_c);
        QCOMPARE(insert.prepare("INSERT INTO \"BF\" VALUES(?, ?)"), SQLRETURN(SQL_SUCCESS));
        for (int r = 0; r < 3; ++r) {
            texts << QString("row %1 😀 ").arg(r).repeated(700 + 300 * r);
            blobs << QByteArray(5000 + r, char(r + 1));
            SQLLEN textLength = texts.last().size() * 2;
            SQLLEN blobLength = blobs.last().size();
            SQLBindParameter(insert.handle(), 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WLONGVARCHAR, 0,
                0, (void*)texts.last().utf16(), textLength, &textLength);
            SQLBindParameter(insert.handle(), 2, SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                0, 0, blobs.last().data(), blobLength, &blobLength);
            QVERIFY2(SQL_SUCCEEDED(SQLExecute(insert.handle())), qPrintable(insert.diag().message));
        }

        Statement s(*m_c);
        std::array<std::array<char16_t, 50>, 3> shortTexts {};
        std::array<std::array<char, 100>, 3> shortBlobs {};
        std::array<SQLLEN, 3> textLengths {}, blobLengths {};
        s.setAttr(SQL_ATTR_ROW_ARRAY_SIZE, 3);
        SQLBindCol(s.handle(), 1, SQL_C_WCHAR, shortTexts.data(), sizeof shortTexts[0],
            textLengths.data());
        SQLBindCol(s.handle(), 2, SQL_C_BINARY, shortBlobs.data(), sizeof shortBlobs[0],
            blobLengths.data());
        QVERIFY(SQL_SUCCEEDED(s.exec("SELECT * FROM \"BF\"")));
        QCOMPARE(SQLFetch(s.handle()), SQLRETURN(SQL_SUCCESS_WITH_INFO));
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(textLengths[r], SQLLEN(texts[r].size() * 2));
            QCOMPARE(blobLengths[r], SQLLEN(blobs[r].size()));
        }
        for (int r = 2; r >= 0; --r) {
            QCOMPARE(SQLSetPos(s.handle(), SQLSETPOSIROW(r + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE),
                SQLRETURN(SQL_SUCCESS));
            QString text;
            QByteArray blob;
            char piece[1000];
            SQLLEN n = 0;
            while (SQL_SUCCEEDED(SQLGetData(s.handle(), 1, SQL_C_WCHAR, piece, sizeof piece, &n)))
                text += QString::fromUtf16(reinterpret_cast<const char16_t*>(piece),
                    std::min<SQLLEN>(n, sizeof piece - 2) / 2);
            while (SQL_SUCCEEDED(SQLGetData(s.handle(), 2, SQL_C_BINARY, piece, sizeof piece, &n)))
                blob += QByteArray(piece, std::min<SQLLEN>(n, sizeof piece));
            QCOMPARE(text, texts[r]);
            QCOMPARE(blob, blobs[r]);
            QCOMPARE(QString::fromUtf16(shortTexts[std::size_t(r)].data()), texts[r].left(49));
        }
        QCOMPARE(SQLSetPos(s.handle(), 4, SQL_POSITION, SQL_LOCK_NO_CHANGE), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().state, QString("HY107"));
        QCOMPARE(SQLSetPos(s.handle(), 1, SQL_UPDATE, SQL_LOCK_NO_CHANGE), SQLRETURN(SQL_ERROR));
        QCOMPARE(s.diag().state, QString("HYC00"));
    }

    void answersMatchWhatIsOffered()
    {
        for (const SQLUSMALLINT f : { SQL_API_SQLBINDPARAMETER, SQL_API_SQLDESCRIBEPARAM,
                 SQL_API_SQLNUMPARAMS, SQL_API_SQLSETPOS, SQL_API_SQLENDTRAN }) {
            SQLUSMALLINT supported = SQL_FALSE;
            SQLGetFunctions(m_c->handle(), f, &supported);
            QVERIFY2(supported == SQL_TRUE, qPrintable(QString::number(f)));
        }
        const std::array<std::pair<SQLUSMALLINT, SQLUINTEGER>, 5> infos { {
            { SQL_GETDATA_EXTENSIONS,
                SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND | SQL_GD_BLOCK },
            { SQL_POS_OPERATIONS, SQL_POS_POSITION },
            { SQL_FORWARD_ONLY_CURSOR_ATTRIBUTES1, SQL_CA1_NEXT | SQL_CA1_POS_POSITION },
            { SQL_PARAM_ARRAY_ROW_COUNTS, SQL_PARC_NO_BATCH },
            { SQL_PARAM_ARRAY_SELECTS, SQL_PAS_NO_SELECT },
        } };
        for (const auto& [info, expected] : infos) {
            SQLUINTEGER value = 0;
            SQLGetInfo(m_c->handle(), info, &value, sizeof value, nullptr);
            QCOMPARE(value, expected);
        }
    }

private:
    std::unique_ptr<World> m_world;
    std::unique_ptr<Connection> m_c;
};

QTEST_GUILESS_MAIN(TestBlockFetch)
#include "test_block_fetch.moc"
