#include "sql/value_text.h"
#include "support/tables_window.h"
#include "support/testbed.h"

#include <QTest>
#include <QTimer>

using namespace tw::test;
using tw::shell::WindowPointer;

namespace {

const QString database = QStringLiteral("tw_esc_stop");
const QString oracleUser = QStringLiteral("ESCSTOP");
constexpr int rows = 2000;

enum class Send { ToOracle, ToMySQL };
enum class Focus { List, SendButton };

} // namespace

Q_DECLARE_METATYPE(Send)
Q_DECLARE_METATYPE(Focus)

// Esc while a copy runs stops it after the row on hand: the table keeps the
// rows sent so far, the tables not yet begun are left alone, and the run
// ends as usual (progress 0, target list refilled, default pointer) without
// a message.
class TestEscStopsCopy : public QObject {
    Q_OBJECT

    Testbed& bed = Testbed::instance();
    tw::db::LoginDetails details;

    // Two tables of `rows` rows each, numbered from 1, in the source.
    void twoSourceTables(Send send)
    {
        if (send == Send::ToOracle) {
            bed.mysql(QStringLiteral("CREATE TABLE first(id INT); CREATE TABLE second(id INT); "
                                     "INSERT INTO first SELECT seq FROM seq_1_to_%1; "
                                     "INSERT INTO second SELECT seq FROM seq_1_to_%1;")
                          .arg(rows),
                database);
            return;
        }
        QStringList statements { "CREATE TABLE \"first\"(ID NUMBER)",
            "CREATE TABLE \"second\"(ID NUMBER)" };
        for (int i = 1; i <= rows; ++i)
            statements << QStringLiteral("INSERT INTO \"first\" VALUES(%1)").arg(i)
                       << QStringLiteral("INSERT INTO \"second\" VALUES(%1)").arg(i);
        oracleExecute(details, statements);
    }

    // "second" is copied first: the walk goes from the bottom of the list.
    QList<int> copiedIds(Send send)
    {
        const QList<QList<tw::odbc::Value>> got = send == Send::ToOracle
            ? oracleRows(details, QStringLiteral("SELECT * FROM \"second\""))
            : mysqlRows(details, QStringLiteral("SELECT * FROM `second`"));
        QList<int> ids;
        for (const auto& row : got)
            ids << tw::sql::valueText(row[0]).toInt();
        return ids;
    }

private slots:
    void initTestCase() { details = bed.login(database, oracleUser); }
    void init()
    {
        bed.freshMySQLDatabase(database);
        bed.freshOracleUser(oracleUser);
    }

    void escStopsTheCopyAfterTheCurrentRow_data()
    {
        QTest::addColumn<Send>("send");
        QTest::addColumn<Focus>("focus");
        QTest::newRow("to Oracle, Esc in the list") << Send::ToOracle << Focus::List;
        QTest::newRow("to Oracle, Esc on the button") << Send::ToOracle << Focus::SendButton;
        QTest::newRow("to MySQL, Esc in the list") << Send::ToMySQL << Focus::List;
        QTest::newRow("to MySQL, Esc on the button") << Send::ToMySQL << Focus::SendButton;
    }
    void escStopsTheCopyAfterTheCurrentRow()
    {
        QFETCH(Send, send);
        QFETCH(Focus, focus);
        twoSourceTables(send);
        TablesWindow w(details);
        tw::tables::TableListBox* source = send == Send::ToOracle ? w.form->List1 : w.form->List2;
        tw::tables::TableListBox* target = send == Send::ToOracle ? w.form->List2 : w.form->List1;
        TablesWindow::select(source, { QStringLiteral("first"), QStringLiteral("second") });
        QWidget* button = w.form->PushButton[send == Send::ToOracle ? 3 : 4];
        QWidget* pressedOn = focus == Focus::List ? static_cast<QWidget*>(source) : button;
        // Esc comes in a yield once a tenth of "second" was sent.
        bool pressed = false;
        QObject::connect(w.form->ProgressBar1, &QProgressBar::valueChanged, w.form.get(), [&] {
            if (pressed || w.progress.size() < 10)
                return;
            pressed = true;
            QTimer::singleShot(0, pressedOn, [&] { QTest::keyClick(pressedOn, Qt::Key_Escape); });
        });
        QTest::mouseClick(button, Qt::LeftButton);

        QVERIFY(pressed);
        QCOMPARE(w.dialogs.shown.size(), 0);
        const QList<int> ids = copiedIds(send);
        QVERIFY2(ids.size() > 0 && ids.size() < rows, qPrintable(QString::number(ids.size())));
        for (int i = 0; i < ids.size(); ++i)
            QCOMPARE(ids[i], i + 1);
        QCOMPARE(w.progress.last(), 0);
        QCOMPARE(target->Items(), QStringList { "second" });
        QCOMPARE(w.form->Pointer().MousePointer(), int(WindowPointer::Default));

        // The next copy starts without the stop: it replaces the table whole.
        TablesWindow::select(source, { QStringLiteral("second") });
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(copiedIds(send).size(), rows);
    }
};

QTEST_MAIN(TestEscStopsCopy)
#include "tst_esc_stops_copy.moc"
