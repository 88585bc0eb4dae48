#include "tables/form2.h"

#include "db/connection.h"
#include "db/connection_strings.h"
#include "shell/app_title.h"
#include "shell/appearance.h"
#include "shell/busy_guard.h"
#include "shell/error_trap.h"
#include "shell/object_check.h"
#include "shell/product.h"
#include "shell/program_folder.h"
#include "shell/shutdown.h"
#include "shell/theme.h"
#include "shell/twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

namespace tw::tables {

using shell::ErrorTrap;
using shell::TwipsRect;

namespace {
QFont buttonFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSizeF(11.25);
    f.setBold(true);
    return f;
}
} // namespace

QString Form2HelpText()
{
    return QStringLiteral("Questions? Please contact Team Vantorell at ")
        + QStringLiteral("https://www.vantorell.example/contact");
}

Form2::Form2(const db::LoginSource& login, shell::Dialogs& dialogs, QWidget* loginWindow)
    : m_login(login)
    , m_dialogs(dialogs)
    , m_loginWindow(loginWindow)
{
    setObjectName(QStringLiteral("Form2"));
    build();
    InitPointer();
}

Form2::~Form2() = default;

void Form2::build()
{
    setMouseTracking(true);
    setFixedSize(shell::Twips(8040), shell::Twips(5505));
    QFont dialogFont = font();
    dialogFont.setPointSize(8);

    Frame2 = new QGroupBox(QStringLiteral("MySQL Tables"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(TwipsRect(120, 120, 3840, 4215));
    Frame1 = new QGroupBox(QStringLiteral("Oracle Tables"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(TwipsRect(4080, 120, 3840, 4215));
    for (QGroupBox* frame : { Frame1, Frame2 }) {
        frame->setFont(dialogFont);
        frame->setMouseTracking(true);
        frame->installEventFilter(this);
    }

    List1 = new TableListBox(Frame2);
    List1->setObjectName(QStringLiteral("List1"));
    List2 = new TableListBox(Frame1);
    List2->setObjectName(QStringLiteral("List2"));
    for (TableListBox* list : { List1, List2 }) {
        list->setGeometry(TwipsRect(240, 360, 3300, 1635));
        list->setFont(dialogFont);
    }

    struct ButtonSpec {
        int number;
        QWidget* parent;
        const char* caption;
        int left, top, width, height;
    };
    const ButtonSpec specs[] = {
        { 10, Frame2, "Select All", 240, 2100, 1600, 405 },
        { 11, Frame2, "Deselect All", 1960, 2100, 1600, 405 },
        { 3, Frame2, "Send Table/s To Oracle", 240, 2600, 3300, 405 },
        { 1, Frame2, "Delete Table/s", 240, 3100, 3300, 405 },
        { 6, Frame2, "Rename Table", 240, 3600, 3300, 405 },
        { 8, Frame1, "Select All", 240, 2100, 1600, 405 },
        { 9, Frame1, "Deselect All", 1960, 2100, 1600, 405 },
        { 4, Frame1, "Send Table/s To MySQL", 240, 2600, 3300, 405 },
        { 5, Frame1, "Delete Table/s", 240, 3100, 3300, 405 },
        { 7, Frame1, "Rename Table", 240, 3600, 3300, 405 },
        { 2, this, "< Back", 120, 4980, 3840, 405 },
        { 12, this, "Help", 4080, 4980, 3840, 405 },
    };
    for (const ButtonSpec& s : specs) {
        auto* b = new shell::PushButton(QString::fromLatin1(s.caption), s.parent);
        b->setObjectName(QStringLiteral("PushButton%1").arg(s.number));
        b->setGeometry(TwipsRect(s.left, s.top, s.width, s.height));
        b->setFont(buttonFont());
        PushButton[s.number] = b;
    }

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(TwipsRect(120, 4460, 7800, 405));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    shell::WithoutPointerFeedback(ProgressBar1);

    // Tab order as laid out: lists first, then each side's buttons, then
    // "< Back", the progress bar (which takes no focus) and "Help".
    QWidget* order[] = { List1, List2, PushButton[10], PushButton[11], PushButton[3], PushButton[1],
        PushButton[6], PushButton[8], PushButton[9], PushButton[4], PushButton[5], PushButton[7],
        PushButton[2], PushButton[12] };
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    using Handler = void (Form2::*)();
    const Handler handlers[13] = { nullptr, &Form2::PushButton1_Click, &Form2::PushButton2_Click,
        &Form2::PushButton3_Click, &Form2::PushButton4_Click, &Form2::PushButton5_Click,
        &Form2::PushButton6_Click, &Form2::PushButton7_Click, &Form2::PushButton8_Click,
        &Form2::PushButton9_Click, &Form2::PushButton10_Click, &Form2::PushButton11_Click,
        &Form2::PushButton12_Click };
    for (int n = 1; n <= 12; ++n) {
        connect(PushButton[n], &QPushButton::clicked, this, handlers[n]);
        connect(PushButton[n], &shell::PushButton::MouseMove, this,
            [this] { shell::PointerToHand(Pointer()); });
    }
    for (TableListBox* list : { List1, List2 })
        connect(
            list, &TableListBox::MouseMove, this, [this] { shell::PointerToDefault(Pointer()); });

    // While a database action yields, the lists take no clicks or keys, so
    // that the selection an action walks cannot change under it.
    List1->viewport()->installEventFilter(this);
    List2->viewport()->installEventFilter(this);
    List1->installEventFilter(this);
    List2->installEventFilter(this);
}

QString Form2::Tag(const char* procedure)
{
    return QStringLiteral("Palomirdual2017/04/05.Form2.") + QLatin1String(procedure);
}

void Form2::OpenOracleForAction(shell::ErrorTrap& trap, std::unique_ptr<db::Connection>& connection)
{
    trap.Step(100, [&] { connection = std::make_unique<db::Connection>(); });
    trap.Step(102, [&] { Pointer().SetMousePointer(shell::WindowPointer::Busy); });
    trap.Step(104, [&] {
        shell::Object(connection).Open(db::OracleConnectionString(Login().loginDetails()));
    });
}

void Form2::Form_Load()
{
    ErrorTrap trap(m_dialogs, Tag("Form_Load"));
    trap.Step(100, [&] { shell::ApplyWindowLook(this); });
    trap.Step(102, [&] { setWindowIcon(shell::ProgramIcon()); });
    if (trap.If(106, [&] { return shell::FileExists(shell::HandPointerPath()); }))
        trap.Step(
            108, [&] { Pointer().SetMouseIcon(shell::LoadPointerFile(shell::HandPointerPath())); });
    trap.Step(110, [&] { setWindowTitle(shell::ProductName()); });
    trap.Step(112, [&] {
        // The outer height (title bar and borders included) is "< Back"'s
        // bottom plus 580 twips; what the decoration takes comes off the
        // client area. Before the window is first shown the decoration is
        // unknown, and the laid-out client height stands.
        const QRect back = PushButton[2]->geometry();
        const int outer = back.top() + back.height() + shell::Twips(580);
        const int decoration = frameGeometry().height() - geometry().height();
        setFixedHeight(decoration > 0 ? outer - decoration : height());
    });
}

void Form2::selectAll(TableListBox* list, bool selected, const char* procedure)
{
    if (shell::BusyGuard::Busy())
        return;
    ErrorTrap trap(m_dialogs, Tag(procedure));
    int count = 0;
    trap.Step(100, [&] { count = list->ListCount(); });
    for (int i = 0; i < count; ++i) {
        trap.Step(102, [&] { list->SetSelected(i, selected); });
    }
}

void Form2::PushButton10_Click()
{
    selectAll(List1, true, "PushButton10_Click");
}
void Form2::PushButton11_Click()
{
    selectAll(List1, false, "PushButton11_Click");
}
void Form2::PushButton8_Click()
{
    selectAll(List2, true, "PushButton8_Click");
}
void Form2::PushButton9_Click()
{
    selectAll(List2, false, "PushButton9_Click");
}

void Form2::PushButton2_Click()
{
    if (shell::BusyGuard::Busy())
        return;
    ErrorTrap trap(m_dialogs, Tag("PushButton2_Click"));
    trap.Step(100, [&] { m_loginWindow->show(); });
    trap.Step(102, [&] { hide(); });
}

void Form2::PushButton12_Click()
{
    ErrorTrap trap(m_dialogs, Tag("PushButton12_Click"));
    trap.Step(100, [&] { m_dialogs.MsgBox(Form2HelpText()); });
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    // Frames get their filter while the lists do not exist yet.
    const bool isList = List1 && List2
        && (watched == List1 || watched == List2 || watched == List1->viewport()
            || watched == List2->viewport());
    if (isList && shell::BusyGuard::Busy()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyRelease:
            return true;
        case QEvent::KeyPress:
            // The list takes no keys now, but Esc still reaches the window.
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                m_copyStop.request();
            return true;
        default:
            break;
        }
    }
    if ((watched == Frame1 || watched == Frame2) && event->type() == QEvent::MouseMove)
        shell::PointerToDefault(Pointer());
    return QWidget::eventFilter(watched, event);
}

// Esc asks a running copy to stop; the buttons and frames pass it up here.
// Any other action ignores the request, and each copy starts without one.
void Form2::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && shell::BusyGuard::Busy()) {
        m_copyStop.request();
        return;
    }
    FixedWindow::keyPressEvent(event);
}

} // namespace tw::tables
