#include "ChannelSecurityDlg.h"

#include "platform/Metrics.h"
#include "platform/Prompter.h"
#include "platform/StringIds.h"
#include "platform/StringTable.h"
#include "platform/TouchWidgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

CChannelSecurityDlg::CChannelSecurityDlg() {
    setObjectName(QStringLiteral("CChannelSecurityDlg"));
}

CChannelSecurityDlg::~CChannelSecurityDlg() = default;

void CChannelSecurityDlg::build() {
    setAutoFillBackground(true);
    applyTouchBackground(this);
    auto* grid = new QGridLayout(this);
    const int margin = FrmwkGetMetrics(METRIC_MARGIN);
    grid->setContentsMargins(margin, margin, margin, margin);

    auto* heading = new QLabel(QString::fromStdString(LoadString(IDS_SECURITY_HEADING)), this);
    QFont italic = FrmwkGetFont(FONT_NORMAL);
    italic.setItalic(true);
    heading->setFont(italic);
    grid->addWidget(heading, 0, 0, 1, 2);

    // Each field is filled from the on-screen keyboard, opened by a touch on it; its label is
    // the keyboard's title.
    const auto addRow = [&](int row, int labelId, const char* name, QLineEdit*& field) {
        const QString text = QString::fromStdString(LoadString(labelId));
        auto* label = new QLabel(text, this);
        label->setFont(FrmwkGetFont(FONT_NORMAL));
        field = makeKeyboardField(this, [this, &field] { EditField(field); });
        field->setObjectName(QLatin1String(name));
        field->setAccessibleName(text);
        field->setMinimumHeight(TouchTargetHeight());
        label->setBuddy(field);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
    };
    addRow(1, IDS_SECURITY_USER, "User", m_user);
    addRow(2, IDS_SECURITY_PASSWORD, "Password", m_password);
    addRow(3, IDS_SECURITY_DOMAIN, "Domain", m_domain);
    maskAsSecret(m_password);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void CChannelSecurityDlg::SetInfo(const ProtocolUserInfo& info, QWidget* parent, bool readOnly) {
    setParent(parent);
    if (!m_user)
        build();
    m_readOnly = readOnly;
    // setText clears each field's modified flag: only the user's entries set it.
    m_user->setText(QString::fromStdString(info.userName));
    m_password->setText(QString::fromStdString(info.password));
    m_domain->setText(QString::fromStdString(info.domain));
    m_start = {info.userName, std::string(), info.domain};
}

void CChannelSecurityDlg::GetInfo(ProtocolUserInfo& info) const {
    if (!m_user)
        return;
    info.userName = m_user->text().toStdString();
    info.password = m_password->text().toStdString();
    info.domain = m_domain->text().toStdString();
}

bool CChannelSecurityDlg::IsModified() const {
    return m_user && (m_user->isModified() || m_password->isModified() || m_domain->isModified());
}

bool CChannelSecurityDlg::IsPasswordModified() const {
    return m_password && m_password->isModified();
}

void CChannelSecurityDlg::EditField(QLineEdit* field) {
    if (!field)
        return;
    if (m_readOnly) {
        TellNotAuthorized("Security", this);
        return;
    }
    std::string text = field->text().toStdString();
    const std::string title = field->accessibleName().toStdString();
    const int result = field == m_password ? prompter().secretKeyboard(text, title, this)
                                           : prompter().keyboard(text, title, this);
    const QString entered = QString::fromStdString(text);
    if (result != IDOK || entered == field->text())
        return;
    field->setText(entered);
    field->setModified(true);
}
