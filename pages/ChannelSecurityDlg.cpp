#include "ChannelSecurityDlg.h"

#include "platform/Metrics.h"
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

    const auto addRow = [&](int row, int labelId, const char* name) {
        auto* label = new QLabel(QString::fromStdString(LoadString(labelId)), this);
        label->setFont(FrmwkGetFont(FONT_NORMAL));
        QLineEdit* edit = makeTouchEdit(this);
        edit->setObjectName(QLatin1String(name));
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    m_user = addRow(1, IDS_SECURITY_USER, "User");
    m_password = addRow(2, IDS_SECURITY_PASSWORD, "Password");
    m_domain = addRow(3, IDS_SECURITY_DOMAIN, "Domain");
    // Masked, and never offered to input methods or the clipboard in clear.
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData |
                                    Qt::ImhNoPredictiveText);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
}

void CChannelSecurityDlg::SetInfo(const ProtocolUserInfo& info, QWidget* parent, bool readOnly) {
    setParent(parent);
    if (!m_user)
        build();
    // setText clears each edit's modified flag: only the user's typing sets it.
    m_user->setText(QString::fromStdString(info.userName));
    m_password->setText(QString::fromStdString(info.password));
    m_domain->setText(QString::fromStdString(info.domain));
    for (QLineEdit* edit : {m_user, m_password, m_domain})
        edit->setReadOnly(readOnly);
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
