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
    m_password->setEchoMode(QLineEdit::Password);
    m_domain = makeTouchEdit(this);
    m_user->setMinimumWidth(280);
    form->addRow(QStringLiteral("User name:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    form->addRow(QStringLiteral("Domain:"), m_domain);
    column->addLayout(form);

    auto* buttons = new QHBoxLayout;
    QPushButton* ok = makeTouchButton(QStringLiteral("OK"), this);
    QPushButton* cancel = makeTouchButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    column->addLayout(buttons);
    m_user->setFocus();
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
