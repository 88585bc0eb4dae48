/* Tablewright's default window theme: a Qt style sheet. Edit or replace it to
   change the look of the login window; delete it to keep the plain look. */
QGroupBox {
    border: 1px solid #9aa7b6;
    border-radius: 4px;
    margin-top: 9px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    left: 8px;
    padding: 0 3px;
    color: #1f3c66;
}
QPushButton {
    border: 1px solid #7d8a99;
    border-radius: 3px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fbfcfd, stop:1 #dde3ea);
    color: #10233d;
}
QPushButton:hover {
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #cfe0f5);
}
QPushButton:pressed {
    background: #bcd2ee;
}
QLineEdit {
    border: 1px solid #9aa7b6;
    border-radius: 2px;
    padding: 1px 3px;
    background: #ffffff;
}
QLineEdit:focus {
    border-color: #2f6db5;
}
