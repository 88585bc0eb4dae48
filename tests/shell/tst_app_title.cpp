#include "shell/app_title.h"
#include "shell/product.h"

#include <QTest>

using tw::shell::TitleFromName;

class TestAppTitle : public QObject {
    Q_OBJECT
private slots:
    void theTitleDropsWordsUntilFortyCharactersAtMostRemain_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::newRow("the product name")
            << tw::shell::ProductName() << "Palomir Tablewright Studio for Two";
        const QString forty = QStringLiteral("Northwind Table Copier for Old Databases");
        QTest::newRow("exactly forty characters") << forty << "Northwind Table Copier for Old";
        QTest::newRow("forty-one needs one cut") << "Northwind Table Copier for Old Databases!"
                                                 << "Northwind Table Copier for Old";
        QTest::newRow("several cuts")
            << "An Extremely Long Product Name That Goes On And On Forever More"
            << "An Extremely Long Product Name That Goes";
        QTest::newRow("one word has nothing before its blank") << "Tablewright"
                                                               << "";
        QTest::newRow("unicode counts characters")
            << QString::fromUtf8("Überschrift Ärger Öl Straße Ein Zwei Drei Vier Fünf")
            << QString::fromUtf8("Überschrift Ärger Öl Straße Ein Zwei");
    }
    void theTitleDropsWordsUntilFortyCharactersAtMostRemain()
    {
        QFETCH(QString, name);
        QFETCH(QString, title);
        if (QTest::currentDataTag() == QByteArray("exactly forty characters"))
            QCOMPARE(name.size(), 40);
        QCOMPARE(TitleFromName(name), title);
        QVERIFY(TitleFromName(name).size() <= 40);
    }

    void theInstalledTitleIsTheProductsTitle()
    {
        tw::shell::SetApplicationTitle();
        QCOMPARE(
            tw::shell::ApplicationTitle(), QStringLiteral("Palomir Tablewright Studio for Two"));
    }
};

QTEST_MAIN(TestAppTitle)
#include "tst_app_title.moc"
