#include "shell/program_folder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

// The Debian package starts the program through /usr/bin/tablewright, a link
// to /usr/lib/tablewright/tablewright: the program's folder, where its hand
// pointer and theme are, must be the real file's. This test runs itself
// through links and asks each run for its program folder.
class TestProgramFolder : public QObject {
    Q_OBJECT

private slots:
    void theFolderOfTheRealFileThroughALink_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("absolute link") << false;
        QTest::newRow("relative link, as the package's") << true;
    }
    void theFolderOfTheRealFileThroughALink()
    {
        QFETCH(bool, relative);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")));
        const QString self = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
        const QString link = dir.filePath(QStringLiteral("bin/tablewright"));
        const QString target
            = relative ? QDir(dir.filePath(QStringLiteral("bin"))).relativeFilePath(self) : self;
        QVERIFY(QFile::link(target, link));

        QProcess run;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TW_PRINT_PROGRAM_FOLDER"), QStringLiteral("1"));
        run.setProcessEnvironment(env);
        run.start(link, {});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(QString::fromLocal8Bit(run.readAllStandardOutput()).trimmed(),
            QFileInfo(self).absolutePath());
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsSet("TW_PRINT_PROGRAM_FOLDER")) {
        std::printf("%s\n", qPrintable(tw::shell::ProgramFolder()));
        return 0;
    }
    TestProgramFolder test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_program_folder.moc"
