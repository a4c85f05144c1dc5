#include "TrellisDlg.h"

#include "TrellisApp.h"
#include "platform/Metrics.h"
#include "platform/TouchWidgets.h"
#include "platform/WindowMessages.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

LogonParameters logonParameters() {
    LogonParameters parameters;
    if (const CTrellisApp* app = CTrellisApp::instance()) {
        parameters.hostName = app->GetHostName().toStdString();
        parameters.userName = app->GetUserName();
        parameters.password = app->GetPassword();
        parameters.domain = app->GetDomain();
        parameters.credentialsGiven = app->GetCredentialsGiven() != 0;
    }
    return parameters;
}

} // namespace

CTrellisDlg::CTrellisDlg(const QString& caption, QSize size, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    resize(size);
    QPalette background = palette();
    background.setColor(QPalette::Window, FrmwkGetColor(COLOR_BACKGROUND));
    setPalette(background);
    auto* column = new QVBoxLayout(this);
    column->addStretch();
    column->addLayout(makeOkCancelRow(this));
    PostMessage(this, WM_CONFIG_STARTUP);
}

CTrellisDlg::~CTrellisDlg() = default;

bool CTrellisDlg::event(QEvent* event) {
    if (ConfigMessageEvent* message = asConfigMessage(event)) {
        if (message->message() == WM_CONFIG_STARTUP)
            message->setResult(OnStartup());
        return true;
    }
    return QDialog::event(event);
}

long CTrellisDlg::OnStartup() {
    CTraceScope scope("CTrellisDlg::OnStartup");
    long result = -1;
    scope.Run([&] {
        const LogonParameters logon = logonParameters();
        if (CTrellisApp* app = CTrellisApp::instance(); app && app->GetFramework())
            app->GetFramework()->DlgDoModalBegin(app->GetPaneId().toStdString());
        m_state = std::make_unique<CConfigState>();
        const HRESULT hr = m_state->CreateAppServers(logon);
        if (hr == E_ACCESSDENIED || !m_state->IsAuthenticated()) {
            reject();
            return;
        }
        if (!m_state->IsAuthorized())
            setWindowTitle(QStringLiteral("Configuration for %1 [Read Only]")
                               .arg(QString::fromStdString(logon.hostName)));
        result = m_state->IsConnected() ? 0 : -1;
    });
    return result;
}
