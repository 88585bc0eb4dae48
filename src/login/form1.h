#pragma once

#include "db/login_details.h"
#include "shell/dialogs.h"
#include "shell/fixed_window.h"
#include "shell/push_button.h"
#include "shell/window_pointer.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <memory>

namespace tw::tables {
class Form2;
}

namespace tw::login {

// The login window: Oracle login on top, MySQL login below, "Next >" under
// both. Its load handler is the program's start-up. It owns the eight login
// fields, which every database action reads at the moment it connects.
class Form1 : public shell::FixedWindow, public db::LoginSource {
    Q_OBJECT
public:
    explicit Form1(shell::Dialogs& dialogs);
    ~Form1() override;

    void Form_Load();

    void PushButton1_Click(); // MySQL "Test Connection"
    void PushButton2_Click(); // "Next >"
    void PushButton3_Click(); // Oracle "Test Connection"
    void PushButton4_Click(); // MySQL "Help"
    void PushButton6_Click(); // "?" (SID help)
    void PushButton7_Click(); // Oracle "Help"

    db::LoginDetails loginDetails() const override;

    // The tables window, created (and loaded) on first use.
    tables::Form2& TablesWindow();
    bool HasTablesWindow() const { return bool(m_form2); }

    QLineEdit* Text[9] = {}; // Text[1] .. Text[8]
    QLabel* Label[9] = {}; // Label[1] .. Label[8]
    shell::PushButton* PushButton[8] = {}; // 1, 2, 3, 4, 6, 7
    QGroupBox* Frame1 = nullptr; // "Oracle Login"
    QGroupBox* Frame2 = nullptr; // "MySQL Login"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void testConnection(bool mysql);
    void saveField(int number);

    shell::Dialogs& m_dialogs;
    std::unique_ptr<tables::Form2> m_form2;
};

} // namespace tw::login
