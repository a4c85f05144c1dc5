#include "FuzzHarness.h"

#include "app/TrellisDlg.h"
#include "channel/ChannelDlg.h"
#include "items/ConfigListCtrl.h"
#include "pages/GpiDialogs.h"
#include "platform/ConfigDiff.h"
#include "platform/WindowMessages.h"
#include "platform/XmlDocument.h"
#include "server/embedded/ConfigRules.h"
#include "support/FakeChannels.h"
#include "support/FakeServices.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// The stand-in services, with the stand-in server's own judgement of a configuration.
class ValidatingServer : public FakeConfigServer {
public:
    HRESULT ValidateConfiguration(const std::string& text, bool& answer) override {
        std::string reason;
        answer = IsUsableConfiguration(text, reason);
        return S_OK;
    }
};

constexpr std::string_view kEmptyConfiguration = "<Config/>";

std::shared_ptr<ValidatingServer> g_server;
std::shared_ptr<FakeLog> g_log;
std::shared_ptr<FakeChannel> g_channels[kMaxChannels];

template <class Page> void createShown(Page& page) {
    page.resize(620, 360);
    page.Create(nullptr);
    page.show();
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

} // namespace

std::vector<CConfigListCtrl*> FuzzPages::Lists() const {
    std::vector<CConfigListCtrl*> lists = {system.List()};
    for (int slot = 0; slot < channel.ChannelCount(); ++slot)
        lists.push_back(channel.Dialog(slot)->List());
    lists.push_back(gpi.InputDialog()->List());
    lists.push_back(gpi.OutputDialog()->List());
    lists.push_back(panel.List());
    std::erase(lists, nullptr);
    return lists;
}

FuzzHarness& FuzzHarness::Instance() {
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QApplication* application = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    // Never destroyed, like the application: the pages must not outlive Qt's own state,
    // which goes at exit before any static of this program's.
    static FuzzHarness* harness = new FuzzHarness;
    (void)application;
    return *harness;
}

FuzzHarness::FuzzHarness() {
    m_script.install();
    g_server = std::make_shared<ValidatingServer>();
    g_log = std::make_shared<FakeLog>();
    m_state.SetServices(g_server, g_log);
    m_state.SetLogonFlags(true, true);
    m_state.SetProPanel(true);
    installFakeChannels(m_state, g_channels,
                        {{"portstate", Variant(std::int32_t{0})},
                         {"assetname", Variant("")},
                         {"referencePresent", Variant(true)}});
    UseDocument(kEmptyConfiguration);
    m_pages = std::make_unique<FuzzPages>();
    createShown(m_pages->system);
    createShown(m_pages->channel);
    createShown(m_pages->gang);
    createShown(m_pages->gpi);
    createShown(m_pages->panel);
    createShown(m_pages->remote);
    QCoreApplication::sendPostedEvents();
}

bool FuzzHarness::UseDocument(std::string_view bytes) {
    auto document = std::make_shared<XmlDocument>();
    if (document->loadBytes(bytes) != S_OK)
        return false;
    m_document = document;
    m_state.SetDocument(document);
    m_state.SetInitialConfig(document->xml());
    return true;
}

FuzzPages& FuzzHarness::ShowPages() {
    // The pages that follow the document build their rows anew, as the sheet has them do
    // after a Load; the Remote page shows the server's hosts file, which no input changes.
    for (QWidget* page : std::initializer_list<QWidget*>{
             &m_pages->system, &m_pages->channel, &m_pages->gang, &m_pages->gpi, &m_pages->panel})
        SendMessage(page, WM_CONFIG_RELAYOUT, 0, 0);
    m_pages->security.reset();
    m_pages->security = std::make_unique<CSecurityPage>();
    createShown(*m_pages->security);
    QCoreApplication::sendPostedEvents();
    return *m_pages;
}

void FuzzHarness::Relayout(FuzzPages& pages) {
    for (CConfigListCtrl* list : pages.Lists())
        list->Relayout(true);
    pages.system.HasChanges();
    pages.channel.HasChanges();
    pages.gang.HasChanges();
    pages.gpi.HasChanges();
}

void FuzzHarness::CheckReview(FuzzPages& pages) {
    const ConfigReview review =
        ReviewPages({&pages.system, &pages.channel, &pages.gpi, &pages.panel, &pages.remote,
                     pages.security.get()},
                    {"System", "Channel", "Ganging", "GPI", "Panel", "Remote", "Security"});
    if (review.ListedChangeCount() != review.differences.size())
        fail("the review lists a change twice or leaves one out");
    const XmlDocument* start = m_state.GetInitialDocument();
    if (!start || !m_document)
        return;
    XmlDocument applied;
    applied.copyFrom(*start);
    if (!ApplyConfigChanges(applied.documentNode(), review.DocumentChanges()))
        fail("the listed changes do not apply to the document as it started");
    if (!DiffConfigurations(applied.documentNode(), m_document->documentNode()).empty())
        fail("the listed changes do not make the document as it is");
}

int FuzzHarness::Run(const std::function<void(FuzzHarness&)>& input) {
    forget();
    const std::uint64_t generation = m_state.DocumentGeneration();
    input(*this);
    // An input that took no document (bytes that are not XML) left the pages as they were.
    if (m_state.DocumentGeneration() != generation) {
        UseDocument(kEmptyConfiguration);
        ShowPages();
    }
    // The window system's own events (a window made or gone, exposed, moved) wait for the
    // event loop: handled here, they are freed within the input that made them.
    QCoreApplication::processEvents();
    forget();
    return 0;
}

void FuzzHarness::forget() {
    m_script.clear();
    g_log->records.clear();
    g_server->changes.clear();
    g_server->commits.clear();
}

const std::vector<std::string>& FuzzHarness::BaseDocuments() {
    static const std::vector<std::string> documents = [] {
        std::vector<std::string> all;
        for (const std::string& standard : ReferenceStandards())
            all.push_back(DefaultConfigurationText(standard));
        return all;
    }();
    return documents;
}
