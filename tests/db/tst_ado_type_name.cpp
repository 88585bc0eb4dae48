#include "db/ado_types.h"

#include <QTest>
#include <sqlext.h>
#include <sqlucode.h>

using tw::db::adoTypeCode;
using tw::db::AdoTypeName;

class TestAdoTypeName : public QObject {
    Q_OBJECT
private slots:
    void everyCodeOfTheTableHasItsName_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name");
        const QList<QPair<int, const char*>> table = { { 0, "adEmpty" }, { 2, "adSmallInt" },
            { 3, "adInteger" }, { 4, "adSingle" }, { 5, "adDouble" }, { 6, "adCurrency" },
            { 7, "adDate" }, { 8, "adBSTR" }, { 9, "adIDispatch" }, { 10, "adError" },
            { 11, "adBoolean" }, { 12, "adVariant" }, { 13, "adIUnknown" }, { 14, "adDecimal" },
            { 16, "adTinyInt" }, { 17, "adUnsignedTinyInt" }, { 18, "adUnsignedSmallInt" },
            { 19, "adUnsignedInt" }, { 20, "adBigInt" }, { 21, "adUnsignedBigInt" },
            { 64, "adFileTime" }, { 72, "adGUID" }, { 128, "adBinary" }, { 129, "adChar" },
            { 130, "adWChar" }, { 131, "adNumeric" }, { 132, "adUserDefined" }, { 133, "adDBDate" },
            { 134, "adDBTime" }, { 135, "adDBTimeStamp" }, { 136, "adChapter" },
            { 138, "adPropVariant" }, { 139, "adVarNumeric" }, { 200, "adVarChar" },
            { 201, "adLongVarChar" }, { 202, "adVarWChar" }, { 203, "adLongVarWChar" },
            { 204, "adVarBinary" }, { 205, "adLongVarBinary" } };
        QCOMPARE(table.size(), 39);
        for (const auto& [code, name] : table)
            QTest::newRow(name) << code << QString::fromLatin1(name);
    }
    void everyCodeOfTheTableHasItsName()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        QCOMPARE(AdoTypeName(qint16(code)), name);
    }

    void codesOutsideTheTableGiveEmptyText_data()
    {
        QTest::addColumn<int>("code");
        for (int code : { 1, 15, 137, 8192, -1, -32768, 32767, 206, 65 })
            QTest::newRow(qPrintable(QString::number(code))) << code;
    }
    void codesOutsideTheTableGiveEmptyText()
    {
        QFETCH(int, code);
        QVERIFY(AdoTypeName(qint16(code)).isEmpty());
    }

    void odbcTypesTranslateAsTheOleDbProviderReportsThem_data()
    {
        QTest::addColumn<int>("sqlType");
        QTest::addColumn<bool>("isUnsigned");
        QTest::addColumn<int>("ado");
        QTest::newRow("char") << SQL_CHAR << false << 129;
        QTest::newRow("varchar") << SQL_VARCHAR << false << 200;
        QTest::newRow("longvarchar") << SQL_LONGVARCHAR << false << 201;
        QTest::newRow("wchar") << SQL_WCHAR << false << 130;
        QTest::newRow("wvarchar") << SQL_WVARCHAR << false << 202;
        QTest::newRow("wlongvarchar") << SQL_WLONGVARCHAR << false << 203;
        QTest::newRow("decimal") << SQL_DECIMAL << false << 131;
        QTest::newRow("numeric") << SQL_NUMERIC << false << 131;
        QTest::newRow("binary") << SQL_BINARY << false << 128;
        QTest::newRow("varbinary") << SQL_VARBINARY << false << 204;
        QTest::newRow("longvarbinary") << SQL_LONGVARBINARY << false << 205;
        QTest::newRow("guid") << SQL_GUID << false << 72;
        QTest::newRow("tinyint") << SQL_TINYINT << false << 16;
        QTest::newRow("tinyint unsigned") << SQL_TINYINT << true << 17;
        QTest::newRow("smallint") << SQL_SMALLINT << false << 2;
        QTest::newRow("smallint unsigned") << SQL_SMALLINT << true << 18;
        QTest::newRow("integer") << SQL_INTEGER << false << 3;
        QTest::newRow("integer unsigned") << SQL_INTEGER << true << 19;
        QTest::newRow("bigint") << SQL_BIGINT << false << 20;
        QTest::newRow("bigint unsigned") << SQL_BIGINT << true << 21;
        QTest::newRow("real") << SQL_REAL << false << 4;
        QTest::newRow("float") << SQL_FLOAT << false << 5;
        QTest::newRow("double") << SQL_DOUBLE << false << 5;
        QTest::newRow("bit") << SQL_BIT << false << 11;
        QTest::newRow("bit marked unsigned") << SQL_BIT << true << 11;
        QTest::newRow("date") << SQL_TYPE_DATE << false << 133;
        QTest::newRow("time") << SQL_TYPE_TIME << false << 134;
        QTest::newRow("timestamp") << SQL_TYPE_TIMESTAMP << false << 135;
        QTest::newRow("timestamp marked unsigned") << SQL_TYPE_TIMESTAMP << true << 135;
        QTest::newRow("decimal marked unsigned") << SQL_DECIMAL << true << 131;
        QTest::newRow("interval") << SQL_INTERVAL_DAY << false << 200;
        QTest::newRow("unknown") << 12345 << false << 200;
    }
    void odbcTypesTranslateAsTheOleDbProviderReportsThem()
    {
        QFETCH(int, sqlType);
        QFETCH(bool, isUnsigned);
        QFETCH(int, ado);
        QCOMPARE(int(adoTypeCode(SQLSMALLINT(sqlType), isUnsigned)), ado);
    }
};

QTEST_GUILESS_MAIN(TestAdoTypeName)
#include "tst_ado_type_name.moc"
