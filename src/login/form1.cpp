#include "login/form1.h"

#include "db/connect.h"
#include "db/connection.h"
#include "db/connection_strings.h"
#include "db/listing.h"
#include "db/yield.h"
#include "login/help_texts.h"
#include "shell/app_title.h"
#include "shell/appearance.h"
#include "shell/busy_guard.h"
#include "shell/error_trap.h"
#include "shell/login_settings.h"
#include "shell/product.h"
#include "shell/program_folder.h"
#include "shell/settings.h"
#include "shell/shutdown.h"
#include "shell/theme.h"
#include "shell/twips.h"
#include "tables/form2.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace tw::login {

using shell::ErrorTrap;
using shell::TwipsRect;
using shell::WindowPointer;

namespace {
QString tag(const char* procedure)
{
    return QStringLiteral("Palomirdual2017/04/05.Form1.") + QLatin1String(procedure);
}

QFont arial(qreal points, bool bold)
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(points);
    f.setBold(bold);
    return f;
}

// Fields that select their whole text when they get the focus.
bool selectsOnFocus(int number)
{
    return number != 4 && number != 7;
}

const char* const couldNotConnectMySQL
    = "Could not connect. Please check with your administrator. Make sure you are allowed to "
      "connect to your database remotely and not just through web-based control panels.";
const char* const couldNotConnectOracle
    = "Could not connect. Please check with your administrator.";
} // namespace

Form1::Form1(shell::Dialogs& dialogs)
    : m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    build();
    InitPointer();
}

Form1::~Form1() = default;

void Form1::build()
{
    setFixedSize(shell::Twips(8040), shell::Twips(6135));
    setFont(arial(9, false));
    setMouseTracking(true);
    // Designed white; the window theme may change it.
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    Frame1 = new QGroupBox(QStringLiteral("Oracle Login"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(TwipsRect(120, 120, 7800, 2385));
    Frame2 = new QGroupBox(QStringLiteral("MySQL Login"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(TwipsRect(120, 2610, 7800, 2865));
    for (QGroupBox* frame : { Frame1, Frame2 }) {
        frame->setFont(arial(9, true));
        frame->setMouseTracking(true);
        frame->installEventFilter(this);
    }

    struct LabelSpec {
        int number;
        QGroupBox* frame;
        const char* caption;
        int left, top, width, height;
    };
    const LabelSpec labels[] = {
        { 2, Frame1, "SID:", 240, 405, 975, 255 },
        { 1, Frame1, "Username:", 240, 885, 1095, 255 },
        { 4, Frame1, "Password:", 240, 1365, 1095, 255 },
        { 5, Frame2, "Server:", 240, 405, 1095, 255 },
        { 8, Frame2, "Port:", 6000, 405, 495, 255 },
        { 3, Frame2, "Username:", 240, 885, 1095, 255 },
        { 7, Frame2, "Password:", 240, 1365, 1095, 255 },
        { 6, Frame2, "Database:", 240, 1845, 975, 255 },
    };
    for (const LabelSpec& s : labels) {
        auto* l = new QLabel(QString::fromLatin1(s.caption), s.frame);
        l->setObjectName(QStringLiteral("Label%1").arg(s.number));
        l->setGeometry(TwipsRect(s.left, s.top, s.width, s.height));
        l->setFont(arial(9, true));
        Label[s.number] = l;
    }

    struct TextSpec {
        int number;
        QGroupBox* frame;
        int left, top, width, height;
    };
    const TextSpec texts[] = {
        { 1, Frame1, 1320, 360, 5415, 345 },
        { 2, Frame1, 1320, 840, 6255, 345 },
        { 3, Frame1, 1320, 1320, 6255, 345 },
        { 4, Frame2, 1320, 360, 4575, 345 },
        { 8, Frame2, 6480, 360, 1080, 345 },
        { 5, Frame2, 1320, 840, 6255, 345 },
        { 6, Frame2, 1320, 1320, 6255, 345 },
        { 7, Frame2, 1320, 1800, 6255, 345 },
    };
    for (const TextSpec& s : texts) {
        auto* t = new QLineEdit(s.frame);
        t->setObjectName(QStringLiteral("Text%1").arg(s.number));
        t->setGeometry(TwipsRect(s.left, s.top, s.width, s.height));
        t->setFont(arial(9, true));
        t->setMaxLength(std::numeric_limits<int>::max());
        t->setMouseTracking(true);
        t->installEventFilter(this);
        Text[s.number] = t;
        const int number = s.number;
        connect(t, &QLineEdit::textChanged, this, [this, number] { saveField(number); });
    }
    for (int masked : { 3, 6 }) {
        Text[masked]->setEchoMode(QLineEdit::Password);
        Text[masked]->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
        Text[masked]->setAttribute(Qt::WA_InputMethodEnabled, false);
    }

    struct ButtonSpec {
        int number;
        QWidget* parent;
        const char* caption;
        int left, top, width, height;
    };
    const ButtonSpec buttons[] = {
        { 6, Frame1, "?", 6840, 360, 735, 345 },
        { 3, Frame1, "Test Connection", 240, 1800, 3600, 405 },
        { 7, Frame1, "Help", 3960, 1800, 3600, 405 },
        { 1, Frame2, "Test Connection", 240, 2280, 3600, 405 },
        { 4, Frame2, "Help", 3960, 2280, 3600, 405 },
        { 2, this, "Next >", 120, 5610, 7800, 405 },
    };
    using Handler = void (Form1::*)();
    const Handler handlers[8] = { nullptr, &Form1::PushButton1_Click, &Form1::PushButton2_Click,
        &Form1::PushButton3_Click, &Form1::PushButton4_Click, nullptr, &Form1::PushButton6_Click,
        &Form1::PushButton7_Click };
    for (const ButtonSpec& s : buttons) {
        auto* b = new shell::PushButton(QString::fromLatin1(s.caption), s.parent);
        b->setObjectName(QStringLiteral("PushButton%1").arg(s.number));
        b->setGeometry(TwipsRect(s.left, s.top, s.width, s.height));
        b->setFont(arial(11.25, true));
        PushButton[s.number] = b;
        connect(b, &QPushButton::clicked, this, handlers[s.number]);
        connect(
            b, &shell::PushButton::MouseMove, this, [this] { shell::PointerToHand(Pointer()); });
    }

    // Labels and the database and port fields have no pointer feedback.
    for (int n = 1; n <= 8; ++n)
        shell::WithoutPointerFeedback(Label[n]);
    shell::WithoutPointerFeedback(Text[7]);
    shell::WithoutPointerFeedback(Text[8]);

    QWidget* order[] = { Text[1], PushButton[6], Text[2], Text[3], PushButton[3], PushButton[7],
        Text[4], Text[8], Text[5], Text[6], Text[7], PushButton[1], PushButton[4], PushButton[2] };
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    Text[1]->setFocus();
}

db::LoginDetails Form1::loginDetails() const
{
    db::LoginDetails d;
    d.oracleSid = Text[1]->text();
    d.oracleUser = Text[2]->text();
    d.oraclePassword = Text[3]->text();
    d.mysqlServer = Text[4]->text();
    d.mysqlUser = Text[5]->text();
    d.mysqlPassword = Text[6]->text();
    d.mysqlDatabase = Text[7]->text();
    d.mysqlPort = Text[8]->text();
    return d;
}

void Form1::saveField(int number)
{
    shell::SaveSetting(shell::MakerName(), shell::ProductName(),
        QString(shell::loginSettings[number - 1].key), Text[number]->text());
}

tables::Form2& Form1::TablesWindow()
{
    if (!m_form2) {
        m_form2 = std::make_unique<tables::Form2>(*this, m_dialogs, this);
        m_form2->Form_Load();
    }
    return *m_form2;
}

void Form1::Form_Load()
{
    ErrorTrap trap(m_dialogs, tag("Form_Load"));
    trap.Step(100, [&] { shell::LoadWindowTheme(this); });
    trap.Step(104, [&] {
        setWindowTitle(shell::ProductName());
        setWindowIcon(shell::ProgramIcon());
        shell::SetApplicationTitle();
    });
    if (trap.If(124, [&] { return shell::FileExists(shell::HandPointerPath()); }))
        trap.Step(
            126, [&] { Pointer().SetMouseIcon(shell::LoadPointerFile(shell::HandPointerPath())); });
    // One report for a store out of use, rather than one per field.
    trap.Step(128, [&] { shell::CheckSettingsStore(shell::MakerName()); });
    for (int n = 1; n <= 8; ++n) {
        trap.Step(126 + 2 * n, [&] {
            Text[n]->setText(shell::GetSetting(shell::MakerName(), shell::ProductName(),
                QString(shell::loginSettings[n - 1].key),
                QString(shell::loginSettings[n - 1].fallback)));
        });
    }
    if (!trap.If(144, [&] { return db::ConnectOracle(*this); }))
        return;
    if (!trap.If(146, [&] { return db::ConnectMySQL(*this); }))
        return;
    trap.Step(148, [&] { PushButton2_Click(); });
}

void Form1::testConnection(bool mysql)
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    ErrorTrap trap(m_dialogs, tag(mysql ? "PushButton1_Click" : "PushButton3_Click"));
    std::unique_ptr<db::Connection> connection;
    trap.Step(100, [&] { connection = std::make_unique<db::Connection>(); });
    // From here on the handler's own failure handling takes over: any error
    // ends in the "Could not connect" message, never in the report, and the
    // driver's text is not shown.
    try {
        Pointer().SetMousePointer(WindowPointer::Busy);
        db::DoEvents();
        if (!connection)
            throw std::runtime_error("Object variable not set");
        connection->Open(mysql ? db::MySQLConnectionString(loginDetails())
                               : db::OracleConnectionString(loginDetails()));
        m_dialogs.MsgBox(QStringLiteral("Connection successful."));
        Pointer().SetMousePointer(WindowPointer::Default);
    } catch (...) {
        m_dialogs.MsgBox(QString::fromLatin1(mysql ? couldNotConnectMySQL : couldNotConnectOracle));
        Pointer().SetMousePointer(WindowPointer::Default);
    }
}

void Form1::PushButton1_Click()
{
    testConnection(true);
}
void Form1::PushButton3_Click()
{
    testConnection(false);
}

void Form1::PushButton2_Click()
{
    if (shell::BusyGuard::Busy())
        return;
    shell::BusyGuard busy;
    ErrorTrap trap(m_dialogs, tag("PushButton2_Click"));
    trap.Step(100, [&] { Pointer().SetMousePointer(WindowPointer::Busy); });
    if (trap.If(102, [&] { return db::ConnectMySQL(*this); })) {
        if (trap.If(104, [&] { return db::ConnectOracle(*this); })) {
            trap.Step(106, [&] { db::ListMySQLTables(*TablesWindow().List1, *this); });
            trap.Step(108, [&] { db::ListOracleTables(*TablesWindow().List2, *this); });
            trap.Step(110, [&] { TablesWindow().show(); });
            trap.Step(112, [&] { hide(); });
        }
    }
    trap.Step(114, [&] { Pointer().SetMousePointer(WindowPointer::Default); });
}

void Form1::PushButton4_Click()
{
    ErrorTrap trap(m_dialogs, tag("PushButton4_Click"));
    QString text;
    trap.Step(100, [&] { text = MySQLHelpText(); });
    trap.Step(114, [&] { m_dialogs.MsgBox(text); });
}

void Form1::PushButton6_Click()
{
    ErrorTrap trap(m_dialogs, tag("PushButton6_Click"));
    QString text;
    trap.Step(100, [&] { text = SidHelpText(); });
    trap.Step(126, [&] { m_dialogs.MsgBox(text); });
}

void Form1::PushButton7_Click()
{
    ErrorTrap trap(m_dialogs, tag("PushButton7_Click"));
    trap.Step(100, [&] { m_dialogs.MsgBox(OracleHelpText()); });
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        if (watched == Frame1 || watched == Frame2)
            shell::PointerToDefault(Pointer());
        for (int n : { 1, 2, 3, 5, 6 }) {
            if (watched == Text[n])
                shell::PointerToDefault(Pointer());
        }
        // The server field sets the arrow even over the busy pointer.
        if (watched == Text[4])
            shell::PointerToDefault(Pointer(), true);
    }
    if (event->type() == QEvent::FocusIn) {
        for (int n = 1; n <= 8; ++n) {
            if (watched == Text[n] && selectsOnFocus(n)) {
                // Let the field take the focus first, then select its text.
                Text[n]->event(event);
                Text[n]->setSelection(0, int(Text[n]->text().size()));
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tw::login
