#include "db/row_buffer.h"

#include <QTest>

using namespace tw::db;
using namespace tw::odbc;

class TestRowBuffer : public QObject {
    Q_OBJECT
private slots:
    void everyKindOfValueComesBackAsItWent()
    {
        const QList<Value> row { Null(), Value(QString()), Value(QStringLiteral("")), Value(true),
            Value(false), Value(qint64(std::numeric_limits<qint64>::min())),
            Value(quint64(std::numeric_limits<quint64>::max())), Value(1.5f), Value(0.1),
            Value(QString::fromUtf8("Grüße 日本 😀")), Value(QChar(0xFEFF) + QStringLiteral("bom")),
            // UTF-8 cannot carry a lone surrogate; it must come back as it went.
            Value(QString(QChar(0xD800)) + QStringLiteral("x") + QChar(0xDFFF)),
            Value(QByteArray("\0\xff\0", 3)), QVariant::fromValue(SqlDate { 2024, 2, 29 }),
            QVariant::fromValue(SqlTime { true, 838, 59, 58, 250000000 }),
            QVariant::fromValue(SqlTimestamp { 1999, 12, 31, 23, 59, 59, 123456789 }) };
        RowBuffer buffer;
        buffer.append(row);
        buffer.append(row);
        QCOMPARE(buffer.size(), 2);
        for (int n = 0; n < 2; ++n) {
            QList<Value> back;
            QVERIFY(buffer.takeFront(back, row.size()));
            QCOMPARE(back.size(), row.size());
            for (qsizetype i = 0; i < row.size(); ++i) {
                QCOMPARE(back[i].metaType(), row[i].metaType());
                QVERIFY2(back[i] == row[i] || (isNull(back[i]) && isNull(row[i])),
                    qPrintable(QString::number(i)));
            }
        }
        QList<Value> none;
        QVERIFY(!buffer.takeFront(none, row.size()));
    }

    void manyRowsSpanningBlocksKeepTheirOrder()
    {
        RowBuffer buffer;
        const QString wide(5000, QLatin1Char('x'));
        for (qint64 i = 0; i < 2000; ++i)
            buffer.append({ Value(i), Value(wide + QString::number(i)) });
        QCOMPARE(buffer.size(), 2000);
        QList<Value> row;
        for (qint64 i = 0; i < 2000; ++i) {
            QVERIFY(buffer.takeFront(row, 2));
            QCOMPARE(row[0], Value(i));
            QCOMPARE(row[1].toString(), wide + QString::number(i));
        }
        QCOMPARE(buffer.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRowBuffer)
#include "tst_row_buffer.moc"
