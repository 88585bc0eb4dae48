#include "odbc/error.h"
#include "shell/error_trap.h"
#include "support/scripted_dialogs.h"

#include <QTest>
#include <stdexcept>

using tw::shell::ErrorTrap;
using tw::test::ScriptedDialogs;

namespace {
const QString tag = QStringLiteral("Palomirdual2017/04/05.Form2.PushButton5_Click");
const QString request
    = QStringLiteral("Please email screenshot of this message to support@vantorell.example");

// A routine with no trap of its own: its error surfaces in the caller's step.
void untrappedCallee()
{
    throw tw::odbc::DbError(
        QStringLiteral("[Oracle][ODBC][Ora]ORA-00942: table or view does not exist"));
}
} // namespace

class TestErrorTrap : public QObject {
    Q_OBJECT
private slots:
    void aFailingStepIsReportedAndTheNextActionRuns()
    {
        ScriptedDialogs dialogs;
        ErrorTrap trap(dialogs, tag);
        QStringList ran;
        trap.Step(100, [&] { throw std::runtime_error("Invalid procedure call or argument"); });
        trap.Step(100, [&] { ran << "same step, next action"; });
        trap.Step(102, [&] { ran << "102"; });
        QCOMPARE(ran, (QStringList { "same step, next action", "102" }));
        QCOMPARE(dialogs.shown.size(), 1);
        const auto& report = dialogs.shown.first();
        QCOMPARE(report.text,
            QStringLiteral("Invalid procedure call or argument\r\nin "
                           "Palomirdual2017/04/05.Form2.PushButton5_Click at line 100\r\r")
                + request);
        QCOMPARE(report.title, QStringLiteral("Application Error"));
        QCOMPARE(report.buttons, ScriptedDialogs::OkOnly);
        QCOMPARE(report.icon, ScriptedDialogs::Exclamation);
    }

    void aConditionThatFailsLetsItsBlockRun()
    {
        ScriptedDialogs dialogs;
        ErrorTrap trap(dialogs, tag);
        bool blockRan = false;
        if (trap.If(106, []() -> bool { throw std::runtime_error("Type mismatch"); }))
            blockRan = true;
        QVERIFY(blockRan);
        QCOMPARE(dialogs.reports(),
            QStringList {
                QStringLiteral("Type mismatch\r\nin Palomirdual2017/04/05.Form2.PushButton5_Click "
                               "at line 106\r\r")
                + request });
        QVERIFY(!trap.If(108, [] { return false; }));
        QCOMPARE(dialogs.shown.size(), 1);
    }

    void anUntrappedCalleeIsReportedUnderTheCallersStep()
    {
        ScriptedDialogs dialogs;
        ErrorTrap trap(dialogs, tag);
        trap.Step(112, [] { untrappedCallee(); });
        QCOMPARE(dialogs.reports(),
            QStringList {
                QStringLiteral("[Oracle][ODBC][Ora]ORA-00942: table or view does not exist\r\n"
                               "in Palomirdual2017/04/05.Form2.PushButton5_Click at line 112\r\r")
                + request });
    }

    void everyFailureOfALoopIsReportedOnce()
    {
        ScriptedDialogs dialogs;
        ErrorTrap trap(dialogs, tag);
        for (int i = 0; i < 3; ++i)
            trap.Step(258, [] { throw std::runtime_error("row refused"); });
        QCOMPARE(dialogs.reports().size(), 3);
    }

    void theTransferReportEndsWithTheStatementAsFarAsItWasBuilt()
    {
        ScriptedDialogs dialogs;
        QString statement;
        ErrorTrap trap(
            dialogs, QStringLiteral("Palomirdual2017/04/05.Form2.PushButton3_Click"), &statement);
        trap.Step(118, [] { throw std::runtime_error("no listener"); });
        statement = QStringLiteral("INSERT INTO \"T\" VALUES('1', 'x");
        trap.Step(258, [] { throw std::runtime_error("refused"); });
        QCOMPARE(dialogs.reports().value(0),
            QStringLiteral(
                "no listener\r\nin Palomirdual2017/04/05.Form2.PushButton3_Click at line 118\r\r")
                + request + QStringLiteral("\r\rsql: "));
        QCOMPARE(dialogs.reports().value(1),
            QStringLiteral(
                "refused\r\nin Palomirdual2017/04/05.Form2.PushButton3_Click at line 258\r\r")
                + request + QStringLiteral("\r\rsql: INSERT INTO \"T\" VALUES('1', 'x"));
    }

    void theStatementLineShowsAtMostTheFirst2000Characters_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("shown");
        const QString opening = QStringLiteral("INSERT INTO \"T\" VALUES('");
        const QString full = opening + QString(2000 - opening.size(), u'x');
        QTest::newRow("2,000 characters: whole") << full << full;
        QTest::newRow("2,001 characters: cut")
            << full + u'y' << full + QStringLiteral(" \u2026 (2001 characters in all)");
        QTest::newRow("16 MB") << full + QString(16 * 1024 * 1024, u'y')
                               << full + QStringLiteral(" \u2026 (16779216 characters in all)");
        // A character beyond the BMP is two UTF-16 units; never half of one.
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        QTest::newRow("a pair of surrogates across the cut") << full.left(1999) + emoji
                + u'z' << full.left(1999) + QStringLiteral(" \u2026 (2002 characters in all)");
    }
    void theStatementLineShowsAtMostTheFirst2000Characters()
    {
        QFETCH(QString, statement);
        QFETCH(QString, shown);
        ScriptedDialogs dialogs;
        ErrorTrap trap(
            dialogs, QStringLiteral("Palomirdual2017/04/05.Form2.PushButton3_Click"), &statement);
        trap.Step(258, [] { throw std::runtime_error("refused"); });
        QCOMPARE(dialogs.reports().value(0),
            QStringLiteral(
                "refused\r\nin Palomirdual2017/04/05.Form2.PushButton3_Click at line 258\r\r")
                + request + QStringLiteral("\r\rsql: ") + shown);
    }

    void anErrorWithoutTextStillNamesTheStep()
    {
        ScriptedDialogs dialogs;
        ErrorTrap trap(dialogs, tag);
        trap.Step(120, [] { throw 42; });
        QVERIFY(dialogs.reports().value(0).startsWith(QStringLiteral("Unknown error\r\nin ")));
        QVERIFY(dialogs.reports().value(0).contains(QStringLiteral("at line 120\r\r")));
    }
};

QTEST_MAIN(TestErrorTrap)
#include "tst_error_trap.moc"
