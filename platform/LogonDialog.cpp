#include "LogonDialog.h"

#include "Metrics.h"
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
    auto* form = new QFormLayout;
    m_user = makeTouchEdit(this);
    m_password = makeTouchEdit(this);
    maskAsSecret(m_password);
    m_domain = makeTouchEdit(this);
    m_user->setMinimumWidth(280);
    form->addRow(QStringLiteral("User name:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    form->addRow(QStringLiteral("Domain:"), m_domain);
    column->addLayout(form);

    column->addLayout(makeOkCancelRow(this));
    m_user->setFocus();
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
