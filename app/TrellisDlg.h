#pragma once
// The main configuration sheet: logs on when first shown, creates the pages, handles the
// page buttons Save, Load, Restore and History, commits on OK (waiting while channels
// restart) and offers to discard changes on Cancel.

#include "CommitProgress.h"
#include "platform/TouchPropertySheet.h"
#include "review/ConfigReview.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class CConfigState;
class XmlDocument;
struct CommitOutcome;
class CSystemPage;
class CChannelPage;
class CGangPage;
class CGpiPage;
class CPanelPage;
class CRemotePage;
class CSecurityPage;

// The pages whose changes a review lists.
struct SheetPages {
    CSystemPage* system;
    CChannelPage* channel;
    CGpiPage* gpi;
    CPanelPage* panel;
    CRemotePage* remote;
    CSecurityPage* security;
};
// The review of the pages, listed in the order of the page names, ready to build.
ConfigReviewBuilder PagesReviewBuilder(const SheetPages& pages,
                                       const std::vector<std::string>& pageOrder);
// What a commit now would change, from the pages, listed in the order of the page names.
ConfigReview ReviewPages(const SheetPages& pages, const std::vector<std::string>& pageOrder);

// The report of changes kept beside a saved configuration: "studio.xml" has
// "studio.changes.txt".
QString ChangeReportPath(const QString& configurationPath);

class CTrellisDlg : public CTouchPropertySheet {
    Q_OBJECT
public:
    CTrellisDlg(const QString& caption, QSize size, QWidget* parent = nullptr);
    ~CTrellisDlg() override;

    CConfigState* GetConfigState() const { return m_state.get(); }
    CSystemPage* SystemPage() const { return m_systemPage.get(); }
    CChannelPage* ChannelPage() const { return m_channelPage.get(); }
    // How the wait after a commit polls; tests shorten it.
    void SetCommitProgressSettings(CommitProgressSettings settings) {
        m_progressSettings = settings;
    }
    // Whether the last OK showed the progress dialog.
    bool ShowedProgress() const { return m_showedProgress; }
    // What a commit now would change, from every page.
    ConfigReview ReviewChanges() const;
    // Load, of a configuration file (".xml" is added to a path without it) or of an entry of
    // the server's history: the document is judged as the server would, what is wrong is
    // told, and every page shows a document that was taken. True when it was.
    bool LoadConfiguration(std::string path);
    bool LoadHistoryEntry(qint64 id);
    // The changes between two documents, one line each, in the review's words: what another
    // session committed, or what tells two stored configurations apart.
    std::vector<std::string> ChangeWordsBetween(const XmlDocument& before,
                                                const XmlDocument& after) const;

protected:
    bool event(QEvent* event) override;
    // Puts the sheet in the middle of its screen.
    void showEvent(QShowEvent* event) override;
    void OnWizardButtons(int commandId) override;
    void OnOK() override;
    void OnCancel() override;
    void OnHelp() override;

private:
    long OnStartup();
    void OnRestart();
    void createPages();
    void endModal();
    // Ends the run before it began; a failure text is shown and makes the exit status 1.
    void closeAtStartup(const std::string& failure, int exitCode);
    // Shows the progress dialog until the channels that went offline are back.
    void waitForChannels(std::uint32_t wentOffline);
    // Commits what OK commits, with the report of its changes for the server's history;
    // false when the sheet must stay open. The outcome says what became of the channels.
    bool commitAll(HRESULT& committed, CommitOutcome& outcome, const std::string& report);
    // Writes the review as a text report beside a saved configuration, telling the user
    // when it could not be written.
    void saveChangeReport(const std::string& configurationPath);
    // The slots of the channels a commit now restarts, as a mask.
    std::uint32_t restartingSlots() const;
    // Tells a failure that Load or Restore only reported: what failed and the server's reason.
    void tellFailure(const std::string& what, const char* caption, HRESULT status);
    // Runs a Load, of a file or of a history entry, and tells what failed; when the document
    // changed, every page shows it and true is returned.
    bool takeLoaded(const std::string& name, const std::function<HRESULT()>& load);
    // Opens the history; the entry the user chose to load, or 0.
    qint64 chooseHistoryEntry();
    // After a Load: every page shows the loaded document, and the user is told of rows whose
    // loaded value is none of their choices.
    void showLoadedFile(const std::string& name);
    // The review of every page, ready to build.
    ConfigReviewBuilder reviewBuilder() const;
    // Names the channels of a mask of channel slots.
    std::vector<std::string> slotNames(std::uint32_t mask) const;

    // The caption the sheet started with: "Configuration for " and the host as given.
    QString m_caption;
    std::unique_ptr<CSystemPage> m_systemPage;
    std::unique_ptr<CChannelPage> m_channelPage;
    std::unique_ptr<CGangPage> m_gangPage;
    std::unique_ptr<CGpiPage> m_gpiPage;
    std::unique_ptr<CPanelPage> m_panelPage;
    std::unique_ptr<CRemotePage> m_remotePage;
    std::unique_ptr<CSecurityPage> m_securityPage;
    std::unique_ptr<CConfigState> m_state;
    CommitProgressSettings m_progressSettings;
    bool m_showedProgress = false;
};
