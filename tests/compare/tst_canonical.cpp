#include "compare/canonical.h"

#include <QTest>
#include <cmath>
#include <limits>

using tw::compare::appendField;
using tw::compare::Field;
using tw::compare::readField;
using tw::compare::shownField;
using tw::copy::Kept;
using tw::odbc::SqlDate;
using tw::odbc::SqlTime;
using tw::odbc::SqlTimestamp;
using Value = tw::odbc::Value;

Q_DECLARE_METATYPE(Kept)

namespace {
template <typename T> Value of(const T& v)
{
    return QVariant::fromValue(v);
}
} // namespace

// Values of the two sides, as the drivers read them, brought to what the
// target column keeps: equal exactly when the values are.
class TestCanonical : public QObject {
    Q_OBJECT

private slots:
    void twoValuesAreEqualOnlyWhenTheyAre_data()
    {
        QTest::addColumn<Kept>("kept");
        QTest::addColumn<Value>("a");
        QTest::addColumn<Value>("b");
        QTest::addColumn<bool>("equal");
        QTest::addColumn<QString>("shown"); // a's
        const QString bigOne = u'1' + QString(125, u'0');
        QTest::newRow("digits and a double")
            << Kept::Number << Value("-0012.3400") << Value(-12.34) << true << "-12.34";
        QTest::newRow("an exponent")
            << Kept::Number << Value("1.5E-7") << Value("0.00000015") << true << "0.00000015";
        QTest::newRow("Oracle's 1e125")
            << Kept::Number << Value("1e125") << Value(bigOne) << true << "1E125";
        QTest::newRow("no digit before the point")
            << Kept::Number << Value(".5") << Value(0.5) << true << "0.5";
        QTest::newRow("minus zero")
            << Kept::Number << Value("-0") << Value(qint64(0)) << true << "0";
        QTest::newRow("BIT bytes") << Kept::Number << Value(QByteArray("\x01\x00", 2))
                                   << Value(quint64(256)) << true << "256";
        QTest::newRow("a digit far after the point")
            << Kept::Number << Value("12.5") << Value("12.50000000000000000001") << false << "12.5";
        QTest::newRow("a FLOAT as its double")
            << Kept::Float32 << Value(double(0.1f)) << Value(0.1f) << true << "0.1";
        QTest::newRow("FLOAT's largest as text")
            << Kept::Float32 << Value("3.4028235E38") << Value(std::numeric_limits<float>::max())
            << true << "3.4028235e38";
        QTest::newRow("a double's seventeen digits")
            << Kept::Float64 << Value("0.10000000000000001") << Value(0.1) << true << "0.1";
        QTest::newRow("Oracle's NaN")
            << Kept::Float64 << Value("Nan") << Value(std::nan("")) << true << "NaN";
        QTest::newRow("unchanged: 0.5 is a FLOAT")
            << Kept::Float32 << Value("0.50") << Value(0.5f) << true << "0.5";
        QTest::newRow("unchanged: 0.1 is no FLOAT")
            << Kept::Float32 << Value("0.1") << Value(0.1f) << false << "0.1";
        QTest::newRow("unchanged: 16777217 is no FLOAT")
            << Kept::Float32 << Value(qint64(16777217)) << Value(16777216.0f) << false
            << "16777217";
        QTest::newRow("unchanged: 0.1 is the double 0.1")
            << Kept::Float64 << Value("0.1") << Value(0.1) << true << "0.1";
        QTest::newRow("a date at its midnight")
            << Kept::Timestamp << of(SqlDate { 2024, 2, 29 })
            << of(SqlTimestamp { 2024, 2, 29, 0, 0, 0, 0 }) << true << "2024-02-29 00:00:00";
        QTest::newRow("nine fraction digits as text")
            << Kept::Timestamp << Value("2024-02-29 13:14:15.123456789")
            << of(SqlTimestamp { 2024, 2, 29, 13, 14, 15, 123456789 }) << true
            << "2024-02-29 13:14:15.123456789";
        QTest::newRow("another fraction")
            << Kept::Timestamp << of(SqlTimestamp { 2024, 1, 1, 10, 0, 0, 250000000 })
            << of(SqlTimestamp { 2024, 1, 1, 10, 0, 0, 251000000 }) << false
            << "2024-01-01 10:00:00.25";
        QTest::newRow("an interval and a TIME")
            << Kept::Duration << Value("-34 22:59:58.500000")
            << of(SqlTime { true, 838, 59, 58, 500000000 }) << true << "-838:59:58.5";
        QTest::newRow("letter case") << Kept::Text << Value("a") << Value("A") << false << "a";
        QTest::newRow("bytes in a text column")
            << Kept::Text << Value(QByteArray("abc")) << Value("abc") << false << "616263";
        QTest::newRow("an empty text and NULL")
            << Kept::Text << Value("") << Value() << false << "";
        QTest::newRow("bytes") << Kept::Binary << Value(QByteArray("\x00\xff", 2))
                               << Value(QByteArray("\x00\xff", 2)) << true << "00FF";
    }
    void twoValuesAreEqualOnlyWhenTheyAre()
    {
        QFETCH(Kept, kept);
        QFETCH(Value, a);
        QFETCH(Value, b);
        QFETCH(bool, equal);
        QFETCH(QString, shown);
        QByteArray x;
        QByteArray y;
        // A source value before the mapping's rule, against the target's.
        if (QByteArray(QTest::currentDataTag()).startsWith("unchanged"))
            tw::compare::appendUnchangedField(x, kept, a);
        else
            appendField(x, kept, a);
        appendField(y, kept, b);
        const char* at = x.constData();
        const Field fa = readField(at);
        QCOMPARE(at - x.constData(), x.size());
        at = y.constData();
        const Field fb = readField(at);
        QCOMPARE(fa == fb, equal);
        QCOMPARE(shownField(fa).toString(), shown);
    }

    // A value longer than a one-byte length keeps its bytes whole.
    void aLongValueReadsBackWhole()
    {
        const QString text = QString::fromUtf8("Grüße 😀 ").repeated(5000);
        QByteArray bytes;
        appendField(bytes, Kept::Text, text);
        appendField(bytes, Kept::Number, qint64(7));
        const char* at = bytes.constData();
        QCOMPARE(shownField(readField(at)).toString(), text);
        QCOMPARE(shownField(readField(at)).toString(), QStringLiteral("7"));
        QCOMPARE(at - bytes.constData(), bytes.size());
    }
};

QTEST_GUILESS_MAIN(TestCanonical)
#include "tst_canonical.moc"
