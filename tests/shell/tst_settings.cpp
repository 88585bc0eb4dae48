#include "shell/settings.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>

using namespace tw::shell;

namespace {
const QString app = QStringLiteral("Vantorell");
const QString section = QStringLiteral("Palomir Tablewright Studio for Two Databases");

int modeOf(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & 0777);
}
} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(SettingsFilePath(app)); }

    void aKeyNeverWrittenReadsAsTheReadersDefault()
    {
        QCOMPARE(GetSetting(app, section, QStringLiteral("MySQLPort"), QStringLiteral("3306")),
            QStringLiteral("3306"));
        QCOMPARE(GetSetting(app, section, QStringLiteral("OracleUser")), QString());
    }

    void valuesComeBackExactlyAsWritten_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty, not the default") << "";
        QTest::newRow("blanks kept") << "  spaced  ";
        QTest::newRow("comma") << "a,b";
        QTest::newRow("looks like a variant") << "@Variant(abc)";
        QTest::newRow("quotes and semicolon") << "pa\"ss;w'ord";
        QTest::newRow("ini syntax") << "[x]\nk=v";
        QTest::newRow("backslashes") << "C:\\temp\\";
        QTest::newRow("hash") << "#not a comment";
        QTest::newRow("unicode") << QString::fromUtf8("пароль 日本 😀");
    }
    void valuesComeBackExactlyAsWritten()
    {
        QFETCH(QString, value);
        SaveSetting(app, section, QStringLiteral("MySQLPassword"), value);
        QCOMPARE(GetSetting(app, section, QStringLiteral("MySQLPassword"), QStringLiteral("dflt")),
            value);
    }

    void theLastWriteWins()
    {
        for (const char* v : { "s", "se", "sec", "secr", "secre", "secret" })
            SaveSetting(app, section, QStringLiteral("OraclePassword"), QString::fromLatin1(v));
        QCOMPARE(
            GetSetting(app, section, QStringLiteral("OraclePassword")), QStringLiteral("secret"));
    }

    void theStoreIsOnePlainFileOnlyItsOwnerCanRead()
    {
        SaveSetting(app, section, QStringLiteral("MySQLPassword"), QStringLiteral("hunter2"));
        const QString path = SettingsFilePath(app);
        QVERIFY(path.endsWith(QStringLiteral("/Vantorell.ini")));
        QCOMPARE(modeOf(path), 0600);
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("MySQLPassword=hunter2"));
        QVERIFY(text.contains("Palomir"));
    }

    void anExistingWorldReadableFileIsMadePrivateAtTheNextWrite()
    {
        SaveSetting(app, section, QStringLiteral("MySQLUser"), QStringLiteral("a"));
        const QString path = SettingsFilePath(app);
        QFile::setPermissions(
            path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
        SaveSetting(app, section, QStringLiteral("MySQLUser"), QStringLiteral("b"));
        QCOMPARE(modeOf(path), 0600);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
