#include "LogonDialog.h"

#include "Metrics.h"
#include "Prompter.h"
#include "TouchWidgets.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

LogonDialog::LogonDialog(const QString& caption, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeCaptionHeading(this));
    auto* form = new QFormLayout;
    m_user = makeTouchEdit(this);
    m_password = makeTouchEdit(this);
    maskAsSecret(m_password);
    m_domain = makeTouchEdit(this);
    m_user->setObjectName(QStringLiteral("UserName"));
    m_password->setObjectName(QStringLiteral("Password"));
    m_domain->setObjectName(QStringLiteral("Domain"));
    m_user->setMinimumWidth(280);
    form->addRow(QStringLiteral("User name:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    form->addRow(QStringLiteral("Domain:"), m_domain);
    column->addLayout(form);
    // A touch on a field opens the on-screen keyboard, the password's masked; typing on a
    // physical keyboard goes into the fields as usual.
    openOnTouch(m_user, [this] { enterOnKeyboard(m_user, "Enter User Name", false); });
    openOnTouch(m_password, [this] { enterOnKeyboard(m_password, "Enter Password", true); });
    openOnTouch(m_domain, [this] { enterOnKeyboard(m_domain, "Enter Domain", false); });

    column->addLayout(makeOkCancelRow(this));
    m_user->setFocus();
}

void LogonDialog::enterOnKeyboard(QLineEdit* field, const std::string& title, bool secret) {
    field->setFocus();
    std::string text = field->text().toStdString();
    const int result = secret ? prompter().secretKeyboard(text, title, this)
                              : prompter().keyboard(text, title, this);
    if (result == IDOK)
        field->setText(QString::fromStdString(text));
}

void LogonDialog::setUserName(const QString& name) {
    m_user->setText(name);
    if (!name.isEmpty())
        m_password->setFocus();
}

QString LogonDialog::userName() const {
    return m_user->text();
}
QString LogonDialog::password() const {
    return m_password->text();
}
QString LogonDialog::domain() const {
    return m_domain->text();
}
