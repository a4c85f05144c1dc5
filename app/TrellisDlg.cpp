#include "TrellisDlg.h"

#include "TrellisApp.h"
#include "channel/ChannelPage.h"
#include "pages/PendingPages.h"
#include "pages/SystemPage.h"
#include "platform/Metrics.h"
#include "platform/ProgressDlg.h"
#include "platform/Prompter.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"

#include <QApplication>
#include <QThread>

namespace {

constexpr const char* kXmlFilter = "XML file (*.xml)";
constexpr unsigned long kCloseDelayMs = 100;

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

CCorvane* framework() {
    const CTrellisApp* app = CTrellisApp::instance();
    return app ? app->GetFramework() : nullptr;
}

// Shows the wait cursor for its lifetime.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

CTrellisDlg::CTrellisDlg(const QString& caption, QSize size, QWidget* parent)
    : CTouchPropertySheet(caption, size, parent), m_systemPage(std::make_unique<CSystemPage>()),
      m_channelPage(std::make_unique<CChannelPage>()), m_gangPage(std::make_unique<CGangPage>()),
      m_gpiPage(std::make_unique<CGpiPage>()), m_panelPage(std::make_unique<CPanelPage>()),
      m_remotePage(std::make_unique<CRemotePage>()),
      m_securityPage(std::make_unique<CSecurityPage>()) {
    SetMainWindow(this);
    PostMessage(this, WM_CONFIG_STARTUP);
}

CTrellisDlg::~CTrellisDlg() {
    if (MainWindow() == this)
        SetMainWindow(nullptr);
    m_state.reset();
    // The pages go next; their items hold the last configuration states, whose end tears
    // the shared state down.
}

bool CTrellisDlg::event(QEvent* event) {
    if (ConfigMessageEvent* message = asConfigMessage(event)) {
        if (message->message() == WM_CONFIG_STARTUP)
            message->setResult(OnStartup());
        else if (message->message() == WM_CONFIG_RESTART)
            OnRestart();
        return true;
    }
    return CTouchPropertySheet::event(event);
}

long CTrellisDlg::OnStartup() {
    CTraceScope scope("CTrellisDlg::OnStartup");
    long result = -1;
    scope.Run([&] {
        if (CTrellisApp* app = CTrellisApp::instance(); app && app->GetFramework())
            app->GetFramework()->DlgDoModalBegin(app->GetPaneId().toStdString());
        const LogonParameters logon = logonParameters();
        m_state = std::make_unique<CConfigState>();
        const HRESULT hr = m_state->CreateAppServers(logon);
        if (hr == E_ACCESSDENIED || !m_state->IsAuthenticated()) {
            OnCancel();
            done(IDCANCEL);
            return;
        }
        if (!m_state->IsAuthorized())
            setWindowTitle(QStringLiteral("Configuration for %1 [Read Only]")
                               .arg(QString::fromStdString(logon.hostName)));
        createPages();
        result = m_state->IsConnected() ? 0 : -1;
    });
    return result;
}

void CTrellisDlg::createPages() {
    CTouchPropertyPage* pages[] = {m_systemPage.get(),  m_channelPage.get(), m_gangPage.get(),
                                   m_gpiPage.get(),     m_panelPage.get(),   m_remotePage.get(),
                                   m_securityPage.get()};
    const char* names[] = {"System", "Channel", "Ganging", "GPI", "Panel", "Remote", "Security"};
    for (std::size_t i = 0; i < std::size(pages); ++i) {
        pages[i]->Create(this);
        pages[i]->SetPageName(QString::fromLatin1(names[i]));
    }
    const bool proPanel = m_state->IsProPanel();
    for (CTouchPropertyPage* page : pages) {
        if (page == m_gangPage.get() && !proPanel) {
            page->hide();
            continue;
        }
        AddPage(page);
    }
    update();
    SetActivePage(m_systemPage.get());
}

void CTrellisDlg::OnWizardButtons(int commandId) {
    const int index = commandId - ID_WIZARD_BUTTON_FIRST;
    CTraceScope scope("CTrellisDlg::OnWizardButtons %d", index);
    scope.Run([&] {
        CTouchPropertyPage* page = GetActivePage();
        if (!page || page->OnWizardButton(index) || !m_state)
            return;
        switch (index) {
        case 0: {
            const FileAnswer file =
                prompter().fileDialog(FileDialogKind::Save, "Save As", kXmlFilter, this);
            if (file.result != IDOK)
                return;
            std::string path = file.fileName;
            scope.Check(m_state->SaveConfig(path));
            break;
        }
        case 1: {
            const FileAnswer file =
                prompter().fileDialog(FileDialogKind::Open, "Open", kXmlFilter, this);
            if (file.result != IDOK)
                return;
            std::string path = file.fileName;
            scope.Check(m_state->LoadConfig(path));
            break;
        }
        case 2:
            if (prompter().messageBox("Restore default configuration values?", "Restore Defaults",
                                      MB_TOUCH_QUESTION, this) != IDYES)
                return;
            scope.Check(m_state->RestoreDefaultConfig());
            break;
        default:
            return;
        }
        // Only the active page reloads now; the others do when they are shown.
        SendMessage(page, WM_CONFIG_RELAYOUT, 0, 0);
    });
}

void CTrellisDlg::endModal() {
    if (CCorvane* host = framework())
        host->DlgDoModalEnd();
    QThread::msleep(kCloseDelayMs);
}

void CTrellisDlg::OnOK() {
    m_showedProgress = false;
    if (m_state && !m_state->IsAuthorized()) {
        prompter().messageBox("You are not authorized to change configuration settings.",
                              "Security", MB_TOUCH_WARNING, this);
    } else {
        WaitCursor wait;
        m_remotePage->SaveRemoteHosts();
        if (!m_securityPage->ApplyProtocolUsers())
            return;
        if (m_state && m_state->IsConfigDirty()) {
            const std::uint32_t before = m_state->IsChannelOffline();
            m_state->CommitConfig();
            const std::uint32_t after = m_state->IsChannelOffline();
            const std::uint32_t wentOffline = ~before & after;
            if (wentOffline != 0) {
                CProgressDlg progress(QStringLiteral("Please wait......"),
                                      QStringLiteral("Saving Configuration Settings"));
                progress.SetRange(0, 100);
                progress.SetPos(0);
                progress.SetSweepColor(QColor(0xFF, 0xFF, 0xFF));
                CommitProgress poller(wentOffline, progress, *m_state, m_progressSettings);
                if (poller.started()) {
                    m_showedProgress = true;
                    prompter().runDialog(progress);
                    poller.join();
                }
            }
        }
    }
    endModal();
    done(IDOK);
}

void CTrellisDlg::OnCancel() {
    endModal();
    if (m_state && m_state->IsAuthorized() && m_state->IsConfigDirty()) {
        if (prompter().messageBox("Discard configuration changes?", "Discard Changes",
                                  MB_TOUCH_QUESTION, this) != IDYES)
            return;
        m_state->RestoreInitialConfig();
    }
    done(IDCANCEL);
}

void CTrellisDlg::OnRestart() {
    CTraceScope scope("CTrellisDlg::OnRestart");
    scope.Run([&] { OnOK(); });
}
