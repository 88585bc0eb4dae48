#pragma once

#include "copy/loop/stop_request.h"
#include "db/login_details.h"
#include "shell/dialogs.h"
#include "shell/fixed_window.h"
#include "shell/push_button.h"
#include "shell/window_pointer.h"
#include "tables/table_list_box.h"

#include <QGroupBox>
#include <QProgressBar>
#include <QWidget>
#include <memory>

namespace tw::shell {
class ErrorTrap;
}
namespace tw::db {
class Connection;
}

namespace tw::tables {

// The tables window: the MySQL tables on the left, the Oracle tables on the
// right, the five actions under each list, the progress bar, "< Back" and
// "Help". It keeps no credentials: every action reads the login window's
// fields through `login` at the moment it connects.
class Form2 : public shell::FixedWindow {
    Q_OBJECT
public:
    Form2(const db::LoginSource& login, shell::Dialogs& dialogs, QWidget* loginWindow);
    ~Form2() override;

    void Form_Load();

    void PushButton1_Click(); // MySQL "Delete Table/s"
    void PushButton2_Click(); // "< Back"
    void PushButton3_Click(); // "Send Table/s To Oracle"
    void PushButton4_Click(); // "Send Table/s To MySQL"
    void PushButton5_Click(); // Oracle "Delete Table/s"
    void PushButton6_Click(); // MySQL "Rename Table"
    void PushButton7_Click(); // Oracle "Rename Table"
    void PushButton8_Click(); // Oracle "Select All"
    void PushButton9_Click(); // Oracle "Deselect All"
    void PushButton10_Click(); // MySQL "Select All"
    void PushButton11_Click(); // MySQL "Deselect All"
    void PushButton12_Click(); // "Help"

    TableListBox* List1 = nullptr; // MySQL tables
    TableListBox* List2 = nullptr; // Oracle tables
    QProgressBar* ProgressBar1 = nullptr;
    QGroupBox* Frame1 = nullptr; // "Oracle Tables"
    QGroupBox* Frame2 = nullptr; // "MySQL Tables"
    shell::PushButton* PushButton[13] = {}; // PushButton[1] .. PushButton[12]

    const db::LoginSource& Login() const { return m_login; }
    shell::Dialogs& Dialogs() { return m_dialogs; }
    // Set by Esc while an action runs; a copy stops after its current row.
    copy::StopRequest& CopyStop() { return m_copyStop; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The location of one of this window's handlers in error reports.
    static QString Tag(const char* procedure);
    // The Oracle drop and rename open alike: connection object (step 100),
    // hourglass (102), then the connection, before the list is looked at (104).
    void OpenOracleForAction(shell::ErrorTrap& trap, std::unique_ptr<db::Connection>& connection);
    void build();
    void selectAll(TableListBox* list, bool selected, const char* procedure);

    const db::LoginSource& m_login;
    shell::Dialogs& m_dialogs;
    QWidget* m_loginWindow;
    copy::StopRequest m_copyStop;
};

// Text of the "Help" message.
QString Form2HelpText();

} // namespace tw::tables
