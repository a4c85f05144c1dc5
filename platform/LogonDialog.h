#pragma once
// The logon dialog: user name, password (shown as dots) and domain, touch-sized; a touch
// on a field opens the on-screen keyboard.

#include <QDialog>

#include <string>

class QLineEdit;

class LogonDialog : public QDialog {
    Q_OBJECT
public:
    explicit LogonDialog(const QString& caption, QWidget* parent = nullptr);

    // A name given here is kept and the password field takes the focus.
    void setUserName(const QString& name);
    QString userName() const;
    QString password() const;
    QString domain() const;

private:
    // Opens the on-screen keyboard on the field's text; OK puts the entered text in the field.
    void enterOnKeyboard(QLineEdit* field, const std::string& title, bool secret);

    QLineEdit* m_user = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_domain = nullptr;
};
