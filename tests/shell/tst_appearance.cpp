#include "login/form1.h"
#include "login/help_texts.h"
#include "shell/program_folder.h"
#include "shell/settings.h"
#include "shell/theme.h"
#include "support/scripted_dialogs.h"
#include "tables/form2.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

using namespace tw;
using test::ScriptedDialogs;

namespace {
QColor background(const QWidget* w)
{
    return w->palette().color(QPalette::Window);
}
QColor buttonFace(const QWidget* w)
{
    return w->palette().color(QPalette::Button);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Moves the mouse onto a control and answers the window's pointer setting.
int pointerAfterMovingOver(QWidget* control, shell::WindowPointer& pointer)
{
    QTest::mouseMove(control, control->rect().center());
    QCoreApplication::processEvents();
    return pointer.MousePointer();
}
} // namespace

class TestAppearance : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_folder;

private slots:
    void init()
    {
        QVERIFY(m_folder.isValid());
        QDir(m_folder.path()).removeRecursively();
        QDir().mkpath(m_folder.path());
        shell::SetProgramFolderForTests(m_folder.path());
        QFile::remove(shell::SettingsFilePath(QStringLiteral("Vantorell")));
    }
    void cleanupTestCase() { shell::SetProgramFolderForTests(QString()); }

    void withoutAThemeTheLoginWindowStaysWhiteAndTheTablesWindowTakesButtonFace()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QCOMPARE(background(&form), QColor(Qt::white));
        QVERIFY(form.styleSheet().isEmpty());
        tables::Form2& tables = form.TablesWindow();
        QCOMPARE(background(&tables), buttonFace(&tables));
        QCOMPARE(background(tables.Frame1), buttonFace(&tables));
        QCOMPARE(background(tables.Frame2), buttonFace(&tables));
        QVERIFY(tables.Frame1->autoFillBackground());
        QVERIFY(dialogs.shown.isEmpty());
    }

    void aThemeFileGivesButtonFaceThenTheComponentsCalls()
    {
        QFile shipped(QStringLiteral(TW_RESOURCES "/x/o.cjs"));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        const QByteArray sheet = shipped.readAll();
        writeFile(m_folder.path() + QStringLiteral("/x/o.cjs"), sheet);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(background(&form), buttonFace(&form));
        for (QLabel* label : form.findChildren<QLabel*>())
            QCOMPARE(background(label), buttonFace(&form));
        QCOMPARE(background(form.Frame1), buttonFace(&form));
        QCOMPARE(form.styleSheet(), QString::fromUtf8(sheet));
        QVERIFY(shell::SkinFramework1().ApplyOptions() & 1);
        // The tables window shares the login window's look.
        tables::Form2& tables = form.TablesWindow();
        QCOMPARE(tables.styleSheet(), QString::fromUtf8(sheet));
        QCOMPARE(background(&tables), buttonFace(&tables));
        // Text fields and buttons are no frames, labels or option buttons.
        QVERIFY(!form.Text[1]->autoFillBackground());
    }

    void aBrokenThemeIsReportedAsStep100AndStartUpGoesOn_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary") << QByteArray("\x00\x01\x02theme", 8);
        QTest::newRow("unbalanced braces") << QByteArray("QWidget { color: red;");
        QTest::newRow("not UTF-8") << QByteArray("QWidget { color: \xff\xfe; }");
    }
    void aBrokenThemeIsReportedAsStep100AndStartUpGoesOn()
    {
        QFETCH(QByteArray, content);
        writeFile(m_folder.path() + QStringLiteral("/x/o.cjs"), content);
        shell::SaveSetting(QStringLiteral("Vantorell"),
            QStringLiteral("Palomir Tablewright Studio for Two Databases"),
            QStringLiteral("OracleUser"), QStringLiteral("restored"));
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QCOMPARE(dialogs.reports().size(), 1);
        QVERIFY2(dialogs.reports()[0].contains(QStringLiteral(
                     "\r\nin Palomirdual2017/04/05.Form1.Form_Load at line 100\r\r")),
            qPrintable(dialogs.reports()[0]));
        QCOMPARE(
            form.windowTitle(), QStringLiteral("Palomir Tablewright Studio for Two Databases"));
        QCOMPARE(form.Text[2]->text(), QStringLiteral("restored"));
    }

    void aFolderNamedLikeTheThemeIsNoTheme()
    {
        QDir().mkpath(m_folder.path() + QStringLiteral("/x/o.cjs"));
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(dialogs.shown.isEmpty());
        QCOMPARE(background(&form), QColor(Qt::white));
    }

    void theHandShowsOverButtonsAndTheArrowOverEverythingWithFeedback()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        shell::WindowPointer& p = form.Pointer();
        QCOMPARE(pointerAfterMovingOver(form.PushButton[3], p), 99);
        QCOMPARE(pointerAfterMovingOver(form.Text[2], p), 0);
        QCOMPARE(pointerAfterMovingOver(form.PushButton[2], p), 99);
        QCOMPARE(pointerAfterMovingOver(form.Frame2, p), 0);
        QCOMPARE(pointerAfterMovingOver(form.PushButton[6], p), 99);
        // Fields and labels without feedback leave the hand in place.
        QCOMPARE(pointerAfterMovingOver(form.Text[7], p), 99);
        QCOMPARE(pointerAfterMovingOver(form.Text[8], p), 99);
        QCOMPARE(pointerAfterMovingOver(form.Label[6], p), 99);
        QCOMPARE(pointerAfterMovingOver(form.Text[5], p), 0);
        // Without a pointer file the hand value shows the arrow.
        QVERIFY(!p.HasMouseIcon());
        p.SetMousePointer(99);
        QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    }

    void theBusyPointerStaysExceptOverTheServerField()
    {
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        shell::WindowPointer& p = form.Pointer();
        for (QWidget* w : std::initializer_list<QWidget*> { form.PushButton[1], form.Text[1],
                 form.Text[3], form.Text[6], form.Frame1, form.Text[7] }) {
            p.SetMousePointer(11);
            QCOMPARE(pointerAfterMovingOver(w, p), 11);
            QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
        }
        QCOMPARE(pointerAfterMovingOver(form.Text[4], p), 0);
    }

    void theTablesWindowHasTheSameFeedback()
    {
        db::FixedLogin login;
        ScriptedDialogs dialogs;
        QWidget loginWindow;
        tables::Form2 form(login, dialogs, &loginWindow);
        form.Form_Load();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        shell::WindowPointer& p = form.Pointer();
        for (int n = 1; n <= 12; ++n) {
            QCOMPARE(pointerAfterMovingOver(form.List1, p), 0);
            QCOMPARE(pointerAfterMovingOver(form.PushButton[n], p), 99);
        }
        QCOMPARE(pointerAfterMovingOver(form.ProgressBar1, p), 99);
        QCOMPARE(pointerAfterMovingOver(form.Frame1, p), 0);
        QCOMPARE(pointerAfterMovingOver(form.PushButton[12], p), 99);
        QCOMPARE(pointerAfterMovingOver(form.List2, p), 0);
        p.SetMousePointer(11);
        QCOMPARE(pointerAfterMovingOver(form.PushButton[4], p), 11);
        QCOMPARE(pointerAfterMovingOver(form.List2, p), 11);
    }

    // Enter presses the focused button as Space does, in both windows; the
    // "Help" buttons show their message.
    void enterAndSpacePressTheFocusedButton_data()
    {
        QTest::addColumn<bool>("loginWindow");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("login window, Enter") << true << int(Qt::Key_Return) << 0;
        QTest::newRow("login window, keypad Enter")
            << true << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::newRow("login window, Space") << true << int(Qt::Key_Space) << 0;
        QTest::newRow("tables window, Enter") << false << int(Qt::Key_Return) << 0;
        QTest::newRow("tables window, Space") << false << int(Qt::Key_Space) << 0;
    }
    void enterAndSpacePressTheFocusedButton()
    {
        QFETCH(bool, loginWindow);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        QWidget* window = &form;
        QPushButton* button = form.PushButton[7];
        if (!loginWindow) {
            window = &form.TablesWindow();
            button = form.TablesWindow().PushButton[12];
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        button->setFocus();
        QTest::keyClick(button, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(dialogs.texts(),
            QStringList { loginWindow ? login::OracleHelpText() : tables::Form2HelpText() });
    }

    void theShippedHandPointerLoadsWithItsHotSpot()
    {
        QVERIFY(QFile::copy(QStringLiteral(TW_RESOURCES "/HAND-M.CUR"),
            m_folder.path() + QStringLiteral("/HAND-M.CUR")));
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QVERIFY(dialogs.shown.isEmpty());
        QVERIFY(form.Pointer().HasMouseIcon());
        form.Pointer().SetMousePointer(99);
        QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(form.cursor().hotSpot(), QPoint(12, 1));
        tables::Form2& tables = form.TablesWindow();
        QVERIFY(tables.Pointer().HasMouseIcon());
    }

    void anUnreadablePointerFileIsReportedAndLoadingGoesOn()
    {
        writeFile(m_folder.path() + QStringLiteral("/HAND-M.CUR"), QByteArray("not a cursor"));
        ScriptedDialogs dialogs;
        login::Form1 form(dialogs);
        form.Form_Load();
        QCOMPARE(dialogs.reports().size(), 1);
        QVERIFY(dialogs.reports()[0].contains(QStringLiteral("Form1.Form_Load at line 126\r\r")));
        dialogs.clear();
        tables::Form2& tables = form.TablesWindow();
        QCOMPARE(dialogs.reports().size(), 1);
        QVERIFY(dialogs.reports()[0].contains(QStringLiteral("Form2.Form_Load at line 108\r\r")));
        QCOMPARE(
            tables.windowTitle(), QStringLiteral("Palomir Tablewright Studio for Two Databases"));
        QVERIFY(!tables.Pointer().HasMouseIcon());
    }
};

QTEST_MAIN(TestAppearance)
#include "tst_appearance.moc"
