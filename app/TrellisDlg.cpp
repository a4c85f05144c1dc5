#include "TrellisDlg.h"

#include "HistoryDlg.h"
#include "SheetPlacement.h"
#include "TrellisApp.h"
#include "channel/ChannelPage.h"
#include "pages/GangPage.h"
#include "pages/GpiPage.h"
#include "pages/PanelPage.h"
#include "pages/RemotePage.h"
#include "pages/SecurityPage.h"
#include "pages/SystemPage.h"
#include "platform/Metrics.h"
#include "platform/ProgressDlg.h"
#include "platform/Prompter.h"
#include "review/ReviewChangesDlg.h"
#include "review/ReviewText.h"
#include "server/ChannelParts.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"
#include "state/XPathAccess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QShowEvent>
#include <QThread>
#include <QTimer>

#include <fmt/printf.h>

namespace {

constexpr int kChangeMarkPeriodMs = 500;

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
    : CTouchPropertySheet(caption, size, parent), m_caption(caption),
      m_systemPage(std::make_unique<CSystemPage>()),
      m_channelPage(std::make_unique<CChannelPage>()), m_gangPage(std::make_unique<CGangPage>()),
      m_gpiPage(std::make_unique<CGpiPage>()), m_panelPage(std::make_unique<CPanelPage>()),
      m_remotePage(std::make_unique<CRemotePage>()),
      m_securityPage(std::make_unique<CSecurityPage>()) {
    SetMainWindow(this);
    PostMessage(this, WM_CONFIG_STARTUP);
}

CTrellisDlg::~CTrellisDlg() {
    // The teardown may wait for the server (a network call keeps the screen painting, and
    // so runs timers): no timer of the sheet or its pages may reach a page half destroyed.
    for (QTimer* timer : findChildren<QTimer*>())
        timer->stop();
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

void CTrellisDlg::showEvent(QShowEvent* event) {
    CTouchPropertySheet::showEvent(event);
    // Touch screens are larger than the sheet's design size, and a scaled sheet may be
    // larger than a small one: it goes in the middle, no larger than the screen, so that OK
    // and Cancel stay on it. A window restored by the window system (a spontaneous show)
    // stays where the user left it.
    if (event->spontaneous())
        return;
    FitOnScreen(*this);
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
        const std::string& failure = m_state->GetLogonFailureText();
        if (hr == E_ACCESSDENIED) {
            // The user declined to go on after a refused logon, and has been told why.
            closeAtStartup(std::string(), 1);
            return;
        }
        if (!m_state->IsAuthenticated()) {
            // A cancelled logon dialog ends the run quietly; anything else says why.
            closeAtStartup(failure, failure.empty() ? 0 : 1);
            return;
        }
        if (!m_state->HasDocument()) {
            // Nothing to show, and nothing that could be committed or restored.
            closeAtStartup(failure.empty() ? ComErrorText(hr) : failure, 1);
            return;
        }
        if (FAILED(hr))
            prompter().messageBox(failure, "Trellis", MB_TOUCH_WARNING, this);
        // The title, shown inside the sheet as well, names the host as the user gave it
        // and who is logged on.
        QString title =
            m_caption + QStringLiteral(" \u00B7 ") + QString::fromStdString(m_state->GetUserName());
        if (m_state->IsReadOnly())
            title += QStringLiteral(" [Read Only]");
        setWindowTitle(title);
        createPages();
        result = m_state->IsConnected() ? 0 : -1;
    });
    // A start-up that broke off before the pages leaves an empty sheet nobody can use.
    if (scope.Failed() && GetPageCount() == 0 && this->result() == 0)
        closeAtStartup(scope.FailureText(), 1);
    return result;
}

void CTrellisDlg::closeAtStartup(const std::string& failure, int exitCode) {
    if (!failure.empty())
        ReportStartupFailure(failure);
    if (CTrellisApp* app = CTrellisApp::instance(); app && exitCode != 0)
        app->SetExitCode(exitCode);
    endModal();
    done(IDCANCEL);
}

void CTrellisDlg::OnHelp() {
    // The help of the page shown: its section is named after the page ("page-gpi").
    const CTouchPropertyPage* page = GetActivePage();
    if (CTrellisApp* app = CTrellisApp::instance())
        app->OnHelp(page ? QStringLiteral("page-") + page->PageName().toLower()
                         : QStringLiteral("start"));
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
    // The tabs' change marks follow the documents, whatever changed them: a touch, a rule,
    // Load or Restore.
    UpdateChangeMarks();
    auto* marks = new QTimer(this);
    connect(marks, &QTimer::timeout, this, &CTrellisDlg::UpdateChangeMarks);
    marks->start(kChangeMarkPeriodMs);
}

void CTrellisDlg::OnWizardButtons(int commandId) {
    const int index = commandId - ID_WIZARD_BUTTON_FIRST;
    CTraceScope scope("CTrellisDlg::OnWizardButtons %d", index);
    scope.Run([&] {
        CTouchPropertyPage* page = GetActivePage();
        if (!page || page->OnWizardButton(index) || !m_state)
            return;
        // Load and Restore replace the document: a change like any other, which the read-only
        // view refuses before any dialog opens. Save changes nothing and stays allowed.
        if ((index == 1 || index == 2) && m_state->IsReadOnly()) {
            TellNotAuthorized("Security", this);
            return;
        }
        switch (index) {
        case 0: {
            const FileAnswer file =
                prompter().fileDialog(FileDialogKind::Save, "Save As", kXmlFilter, this);
            if (file.result != IDOK)
                return;
            std::string path = file.fileName;
            scope.Check(m_state->SaveConfig(path));
            saveChangeReport(path);
            break;
        }
        case 1: {
            const FileAnswer file =
                prompter().fileDialog(FileDialogKind::Open, "Open", kXmlFilter, this);
            if (file.result != IDOK)
                return;
            if (LoadConfiguration(file.fileName))
                return;
            break;
        }
        case 2: {
            if (prompter().messageBox("Restore default configuration values?", "Restore Defaults",
                                      MB_TOUCH_QUESTION, this) != IDYES)
                return;
            const HRESULT restored = m_state->RestoreDefaultConfig();
            tellFailure("The default configuration could not be restored.", "Restore Defaults",
                        restored);
            scope.Check(restored);
            break;
        }
        case 3: {
            const qint64 entry = chooseHistoryEntry();
            if (entry == 0)
                return;
            if (LoadHistoryEntry(entry))
                return;
            break;
        }
        default:
            return;
        }
        // Only the active page reloads now; the others do when they are shown.
        SendMessage(page, WM_CONFIG_RELAYOUT, 0, 0);
    });
}

void CTrellisDlg::tellFailure(const std::string& what, const char* caption, HRESULT status) {
    // Load and Restore tell their own refusals; a failure they only reported is told here.
    if (FAILED(status))
        prompter().messageBox(what + "\n" + m_state->GetServerFailureText(status), caption,
                              MB_TOUCH_ERROR, this);
}

bool CTrellisDlg::takeLoaded(const std::string& name, const std::function<HRESULT()>& load) {
    CTraceScope scope("CTrellisDlg::takeLoaded");
    bool changed = false;
    scope.Run([&] {
        if (!m_state)
            return;
        const std::uint64_t generation = m_state->DocumentGeneration();
        const HRESULT loaded = load();
        tellFailure(fmt::sprintf("'%s' could not be loaded.", name), "Load Error", loaded);
        scope.Check(loaded);
        if (m_state->DocumentGeneration() == generation)
            return;
        changed = true;
        showLoadedFile(name);
    });
    return changed;
}

bool CTrellisDlg::LoadConfiguration(std::string path) {
    return takeLoaded(path, [&] { return m_state->LoadConfig(path); });
}

bool CTrellisDlg::LoadHistoryEntry(qint64 id) {
    return takeLoaded(fmt::format("History entry {}", id),
                      [&] { return m_state->LoadHistoryEntry(id); });
}

qint64 CTrellisDlg::chooseHistoryEntry() {
    const std::shared_ptr<IConfigHistory> history = m_state->ConfigHistory();
    if (!history) {
        prompter().messageBox("The server keeps no history of its configurations.", "History",
                              MB_TOUCH_INFORMATION, this);
        return 0;
    }
    std::shared_ptr<XmlDocument> document;
    m_state->GetConfigDocument(document);
    CHistoryDlg dialog(
        history,
        {.document = document,
         .words = [this](const XmlDocument& before,
                         const XmlDocument& after) { return ChangeWordsBetween(before, after); },
         // The view is read-only: it may read the history, and load nothing to commit.
         .mayLoad =
             [this](QWidget* owner) {
                 if (!m_state->IsReadOnly())
                     return true;
                 TellNotAuthorized("Security", owner);
                 return false;
             },
         .channelName =
             [document](int index) {
                 return SlotDisplayName(index, {document.get()});
             }},
        this);
    return prompter().runDialog(dialog) == IDOK ? dialog.ChosenEntry() : 0;
}

void CTrellisDlg::showLoadedFile(const std::string& name) {
    for (int index = 0; index < GetPageCount(); ++index)
        SendMessage(GetPage(index), WM_CONFIG_RELAYOUT, 0, 0);
    const std::vector<std::string> rows = reviewBuilder().RowsOutsideTheirChoices();
    if (rows.empty())
        return;
    std::string text = fmt::sprintf("'%s' was loaded. These settings hold values that are not "
                                    "among their choices; change them before you commit:",
                                    name);
    for (const std::string& row : rows)
        text += "\n" + row;
    prompter().messageBox(text, "Load", MB_TOUCH_WARNING, this);
}

void CTrellisDlg::endModal() {
    if (CCorvane* host = framework())
        host->DlgDoModalEnd();
    QThread::msleep(kCloseDelayMs);
}

void CTrellisDlg::OnOK() {
    m_showedProgress = false;
    CTraceScope scope("CTrellisDlg::OnOK");
    bool close = false;
    HRESULT committed = S_OK;
    ConfigReview review;
    CommitOutcome outcome;
    scope.Run([&] {
        if (m_state && !m_state->IsAuthorized()) {
            TellNotAuthorized("Security", this);
            close = true;
            return;
        }
        // The user sees what a commit would change first; Back keeps everything as it is.
        review = ReviewChanges();
        if (!review.IsEmpty()) {
            CReviewChangesDlg dialog(review, this);
            if (prompter().runDialog(dialog) != IDOK)
                return;
        }
        close = commitAll(committed, outcome, ReviewReport(review, ReviewSummary(review)));
    });
    // The server's reason says why; its status alone ("Access is denied.") misleads.
    if (FAILED(committed) && committed != E_ABORT)
        prompter().messageBox("The configuration was not committed.\n" +
                                  m_state->GetServerFailureText(committed),
                              "Saving Configuration Settings", MB_TOUCH_ERROR, this);
    else if (scope.Failed())
        prompter().messageBox(scope.FailureText(), "Saving Configuration Settings", MB_TOUCH_ERROR,
                              this);
    if (close) {
        if (!review.IsEmpty() && !scope.Failed())
            prompter().messageBox(OutcomeText(review, outcome), "Changes Committed",
                                  MB_TOUCH_INFORMATION, this);
        endModal();
        done(IDOK);
    }
}

bool CTrellisDlg::commitAll(HRESULT& committed, CommitOutcome& outcome, const std::string& report) {
    WaitCursor wait;
    if (!m_remotePage->SaveRemoteHosts() || !m_securityPage->ApplyProtocolUsers()) {
        // The settings above are stored first; when they fail, the configuration is not
        // committed either, and the user must not think it was.
        if (m_state && m_state->IsConfigDirty())
            prompter().messageBox("The configuration was not committed. Your changes are kept: "
                                  "press OK to try again, or Save to keep them in a file.",
                                  "Saving Configuration Settings", MB_TOUCH_ERROR, this);
        return false;
    }
    if (!m_state || !m_state->IsConfigDirty())
        return true;
    QElapsedTimer clock;
    clock.start();
    const std::uint32_t restarting = restartingSlots();
    const std::uint32_t before = m_state->IsChannelOffline();
    const auto words = [this](const XmlDocument& known, const XmlDocument& now) {
        return ChangeWordsBetween(known, now);
    };
    committed = m_state->CommitConfig(words, report);
    // A refused commit keeps the sheet and its edits, to try again or to save them.
    if (FAILED(committed))
        return false;
    outcome.notice = m_state->LastCommitNotice();
    // The wait is for the channels the commit took offline, and for those it restarts that
    // were offline already: their restart cannot be told from the state they were in.
    const std::uint32_t offline = m_state->IsChannelOffline();
    const std::uint32_t watched = (~before & offline) | (restarting & offline);
    if (watched != 0) {
        waitForChannels(watched);
        const std::uint32_t stillOffline = watched & m_state->IsChannelOffline();
        outcome.restarted = slotNames(watched & ~stillOffline);
        outcome.stillOffline = slotNames(stillOffline);
    }
    outcome.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    return true;
}

std::uint32_t CTrellisDlg::restartingSlots() const {
    std::shared_ptr<XmlDocument> document;
    m_state->GetConfigDocument(document);
    const XmlDocument* initial = m_state->GetInitialDocument();
    std::uint32_t mask = 0;
    if (document && initial) {
        for (const int slot : ChangedChannels(ChannelPartsOf(*initial), ChannelPartsOf(*document)))
            mask |= 1u << slot;
    }
    return mask;
}

std::vector<std::string> CTrellisDlg::slotNames(std::uint32_t mask) const {
    std::vector<std::string> names;
    std::shared_ptr<XmlDocument> document;
    if (m_state)
        m_state->GetConfigDocument(document);
    for (int slot = 0; slot < kMaxChannels; ++slot) {
        if (mask & (1u << slot))
            names.push_back(SlotDisplayName(slot, {document.get()}));
    }
    return names;
}

void CTrellisDlg::waitForChannels(std::uint32_t wentOffline) {
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

void CTrellisDlg::OnCancel() {
    endModal();
    if (m_state && m_state->HasDocument() && m_state->IsAuthorized() && m_state->IsConfigDirty()) {
        // Discarding sends the logon configuration back, which may restart channels: while
        // one records or plays, the safe answer is the default.
        const bool busy = m_state->IsRecording(-1) || m_state->IsPlaying(-1);
        if (prompter().messageBox("Discard configuration changes?", "Discard Changes",
                                  MB_TOUCH_QUESTION | (busy ? MB_DEFBUTTON2 : 0), this) != IDYES)
            return;
        const HRESULT restored =
            m_state->RestoreInitialConfig([this](const XmlDocument& known, const XmlDocument& now) {
                return ChangeWordsBetween(known, now);
            });
        // A server that cannot be reached, or refuses, must not keep the user in the sheet:
        // they may leave, told what stays on the server, or stay and save their edits.
        if (FAILED(restored) && restored != E_ABORT &&
            prompter().messageBox(AsSentence(ComErrorText(restored)) +
                                      "\nThe configuration on the server could not be put back "
                                      "as it was when you logged on: settings already sent to "
                                      "the server stay there until a configuration is "
                                      "committed.\n\nClose anyway?",
                                  "Discard Changes", MB_TOUCH_QUESTION | MB_DEFBUTTON2,
                                  this) != IDYES)
            return;
    }
    done(IDCANCEL);
}

void CTrellisDlg::OnRestart() {
    CTraceScope scope("CTrellisDlg::OnRestart");
    scope.Run([&] { OnOK(); });
}
