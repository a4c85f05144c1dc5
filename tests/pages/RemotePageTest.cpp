#include "pages/RemotePage.h"
#include "pages/RemoteHostDlg.h"
#include "pages/RemoteHostsList.h"

#include "items/ConfigListCtrl.h"
#include "items/ConfigPairItem.h"
#include "server/IRemoteHosts.h"
#include "support/DocumentTest.h"
#include "support/Touch.h"

#include <QCoreApplication>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <optional>

namespace {

using Kind = ScriptedPrompter::Kind;

// A hosts file held in memory; a failing read or write leaves it as it is.
class MemoryHostsFile : public IRemoteHosts {
public:
    std::optional<std::string> bytes;
    HRESULT readStatus = S_OK;
    HRESULT writeStatus = S_OK;
    int writes = 0;

    HRESULT ReadHostsFile(std::string& out) override {
        out.clear();
        if (FAILED(readStatus))
            return readStatus;
        if (!bytes)
            return S_FALSE;
        out = *bytes;
        return S_OK;
    }
    HRESULT WriteHostsFile(const std::string& in) override {
        ++writes;
        if (FAILED(writeStatus))
            return writeStatus;
        bytes = in;
        return S_OK;
    }
};

class HostsConfigServer : public FakeConfigServer {
public:
    std::shared_ptr<MemoryHostsFile> file = std::make_shared<MemoryHostsFile>();
    std::shared_ptr<IRemoteHosts> RemoteHostsFacet() override { return file; }
};

constexpr const char* kTwoHosts =
    R"(<?xml version="1.0"?><RemoteHosts><Host hostName="studio-a" id="1" extra="x"/><Note/>)"
    R"(<Host hostName="studio-b"/></RemoteHosts>)";

class RemotePageTest : public DocumentTest {
protected:
    void TearDown() override {
        page.reset();
        state.SetServices(nullptr, nullptr);
        DocumentTest::TearDown();
    }
    // Builds the page over the file; without a server it has no hosts service.
    void build(std::optional<std::string> bytes, bool withService = true, bool authorized = true) {
        server->file->bytes = std::move(bytes);
        state.SetServices(withService ? server : nullptr, log);
        state.SetLogonFlags(true, authorized);
        page = std::make_unique<CRemotePage>();
        page->resize(620, 354); // the page area of the sheet
        page->Create(nullptr);
        page->show();
        QCoreApplication::processEvents();
    }
    std::vector<RemoteHost> hosts() const { return page->Hosts(); }
    CConfigListCtrl& list() const { return *page->List(); }
    // A touch on the row that shows the host.
    void touchRow(int row) {
        touch(&list(), QRectF(list().RowRect(row)).center());
        QCoreApplication::sendPostedEvents();
    }
    // Answers the host dialog: types the texts that are given, then presses OK.
    void answerHostDialog(std::optional<std::string> host, std::optional<std::string> id) {
        script.answerDialog([host, id](QDialog& shown) {
            auto& dialog = static_cast<CRemoteHostDlg&>(shown);
            if (host)
                dialog.EditHostName();
            if (id)
                dialog.EditControllerId();
            dialog.accept();
            return dialog.result() == QDialog::Accepted ? IDOK : IDCANCEL;
        });
        if (host)
            script.answerText(IDOK, *host);
        if (id)
            script.answerText(IDOK, *id);
    }

    std::shared_ptr<HostsConfigServer> server = std::make_shared<HostsConfigServer>();
    std::unique_ptr<CRemotePage> page;
};

TEST_F(RemotePageTest, ReadsTheHostsInFileOrderAndWritesOnlyHostsBack) {
    build(kTwoHosts);
    EXPECT_EQ(hosts(), (std::vector<RemoteHost>{{"studio-a", "1"}, {"studio-b", ""}}));
    EXPECT_EQ(page->WizardButtons(), (QStringList{"Add", "Modify", "Remove"}));
    EXPECT_EQ(list().objectName(), "RemoteConfig");
    EXPECT_TRUE(script.questions().empty());

    ASSERT_TRUE(page->SaveRemoteHosts());
    // The other element and attribute are dropped; a missing id is written empty.
    EXPECT_EQ(*server->file->bytes, "<?xml version=\"1.0\"?>\n"
                                    "<RemoteHosts>\n"
                                    "  <Host hostName=\"studio-a\" id=\"1\" />\n"
                                    "  <Host hostName=\"studio-b\" id=\"\" />\n"
                                    "</RemoteHosts>\n");
}

TEST_F(RemotePageTest, AnEmptyFileIsAnEmptyListAndNoFault) {
    build(std::string("\n"));
    EXPECT_TRUE(hosts().empty());
    EXPECT_TRUE(script.questions().empty());
}

TEST_F(RemotePageTest, HostsAddedModifiedAndRemovedAreWrittenInTheOrderShown) {
    build(kTwoHosts);
    answerHostDialog("studio-c", "3");
    page->OnWizardButton(0);
    ASSERT_EQ(script.questions().size(), 3u);
    EXPECT_EQ(script.questions()[0].caption, "Add Host");
    EXPECT_EQ(script.questions()[1].kind, Kind::Keyboard);
    EXPECT_EQ(script.questions()[1].caption, "Enter Host Name");
    EXPECT_EQ(script.questions()[2].kind, Kind::Keypad);
    EXPECT_EQ(script.questions()[2].caption, "Enter Controller Id");

    // The added host, modified, stays where it was added.
    touchRow(2);
    script.clear();
    answerHostDialog("studio-d", "4");
    page->OnWizardButton(1);
    EXPECT_EQ(script.questions()[0].caption, "Modify Host");
    EXPECT_EQ(script.questions()[1].text, "studio-c"); // the fields start with the row's texts
    EXPECT_EQ(script.questions()[2].text, "3");

    touchRow(0);
    page->OnWizardButton(2);
    EXPECT_EQ(hosts(), (std::vector<RemoteHost>{{"studio-b", ""}, {"studio-d", "4"}}));
    EXPECT_EQ(script.unexpectedCount(), 0);

    ASSERT_TRUE(page->SaveRemoteHosts());
    EXPECT_EQ(server->file->writes, 1);
    EXPECT_EQ(*server->file->bytes, "<?xml version=\"1.0\"?>\n"
                                    "<RemoteHosts>\n"
                                    "  <Host hostName=\"studio-b\" id=\"\" />\n"
                                    "  <Host hostName=\"studio-d\" id=\"4\" />\n"
                                    "</RemoteHosts>\n");
    // Read back, the page shows what was written.
    build(server->file->bytes);
    EXPECT_EQ(hosts(), (std::vector<RemoteHost>{{"studio-b", ""}, {"studio-d", "4"}}));
}

TEST_F(RemotePageTest, ModifyAndRemoveWithoutASelectedRowDoNothing) {
    build(kTwoHosts);
    page->OnWizardButton(1);
    page->OnWizardButton(2);
    EXPECT_TRUE(script.questions().empty());
    EXPECT_EQ(hosts().size(), 2u);
}

TEST_F(RemotePageTest, TheReadOnlyViewShowsTheHostsButRefusesEveryButton) {
    build(kTwoHosts, true, false);
    touchRow(0);
    for (int button = 0; button < 3; ++button)
        page->OnWizardButton(button);
    ASSERT_EQ(script.questions().size(), 3u);
    for (const auto& question : script.questions()) {
        EXPECT_EQ(question.kind, ScriptedPrompter::Kind::MessageBox);
        EXPECT_EQ(question.text, "You are not authorized to change configuration settings.");
    }
    EXPECT_EQ(hosts(), (std::vector<RemoteHost>{{"studio-a", "1"}, {"studio-b", ""}}));
}

TEST_F(RemotePageTest, CancelledDialogsChangeNothing) {
    build(kTwoHosts);
    script.answer(IDCANCEL);
    page->OnWizardButton(0);
    touchRow(1);
    script.answer(IDCANCEL);
    page->OnWizardButton(1);
    EXPECT_EQ(hosts(), (std::vector<RemoteHost>{{"studio-a", "1"}, {"studio-b", ""}}));
}

TEST_F(RemotePageTest, AFailedWriteLeavesTheFileAndTellsTheUser) {
    build(kTwoHosts);
    answerHostDialog("studio-c", "3");
    page->OnWizardButton(0);
    script.clear();
    server->file->writeStatus = E_ACCESSDENIED;

    EXPECT_FALSE(page->SaveRemoteHosts());
    EXPECT_EQ(*server->file->bytes, kTwoHosts);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "The remote hosts list could not be saved: Access is denied.\n"
                                  "The file on the server is unchanged.");
    EXPECT_EQ(script.last().caption, "Remote Hosts");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    // The edits stay in the page, to be saved once the write succeeds.
    server->file->writeStatus = S_OK;
    EXPECT_TRUE(page->SaveRemoteHosts());
    EXPECT_NE(server->file->bytes->find("studio-c"), std::string::npos);
}

struct UnusableFile {
    const char* name;
    const char* bytes;
    HRESULT readStatus;
    const char* reason; // what the message says after "could not be read: "
};

class RemotePageUnusableTest : public RemotePageTest,
                               public ::testing::WithParamInterface<UnusableFile> {};

TEST_P(RemotePageUnusableTest, IsReportedAndKeptUnlessTheUserConfirmsReplacingIt) {
    const UnusableFile& file = GetParam();
    server->file->readStatus = file.readStatus;
    build(std::string(file.bytes));
    EXPECT_TRUE(hosts().empty());
    ASSERT_EQ(script.questions().size(), 1u);
    const std::string told = script.last().text;
    EXPECT_EQ(told.rfind("The remote hosts file could not be read: " + std::string(file.reason), 0),
              0u)
        << told;
    EXPECT_NE(told.find("The list starts empty. The file is kept as it is unless you choose to "
                        "replace it when you confirm the settings."),
              std::string::npos)
        << told;
    EXPECT_EQ(script.last().caption, "Remote Hosts");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);

    answerHostDialog("studio-c", "3");
    page->OnWizardButton(0);

    // Declined: nothing written, and the sheet may go on.
    script.clear();
    script.answer(IDNO);
    EXPECT_TRUE(page->SaveRemoteHosts());
    EXPECT_EQ(server->file->writes, 0);
    EXPECT_EQ(*server->file->bytes, file.bytes);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
    EXPECT_NE(script.last().text.find("Replace it with the list on the Remote page? No keeps the "
                                      "file as it is."),
              std::string::npos);

    // Confirmed: the list replaces the file.
    script.answer(IDYES);
    EXPECT_TRUE(page->SaveRemoteHosts());
    EXPECT_EQ(server->file->writes, 1);
    EXPECT_NE(server->file->bytes->find("studio-c"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    RemoteHostsFiles, RemotePageUnusableTest,
    ::testing::Values(UnusableFile{"NotWellFormed", "<RemoteHosts><Host hostName=\"a\"", S_OK, ""},
                      UnusableFile{"AnotherRoot", "<Config><Host hostName=\"a\"/></Config>", S_OK,
                                   "its root element is Config, not RemoteHosts."},
                      UnusableFile{"Unreadable", "<RemoteHosts/>", E_ACCESSDENIED,
                                   "Access is denied."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RemotePageTest, WithoutAHostsServiceNothingIsOfferedOrWritten) {
    build(kTwoHosts, false);
    EXPECT_TRUE(hosts().empty());
    EXPECT_TRUE(script.questions().empty());
    script.answer(IDOK);
    page->OnWizardButton(0);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "This server keeps no remote hosts list.");
    EXPECT_TRUE(page->SaveRemoteHosts());
    EXPECT_EQ(server->file->writes, 0);
}

// The host dialog's entries.

class RemoteHostDlgTest : public ::testing::Test {
protected:
    void SetUp() override { script.install(); }
    ScriptedPrompter script;
};

TEST_F(RemoteHostDlgTest, RefusesAnInvalidEntryAndKeepsTheFieldAsItWas) {
    CRemoteHostDlg dialog("Modify Host", "studio-a", "1");
    script.answerText(IDOK, "studio a");
    script.answer(IDOK);
    dialog.EditHostName();
    EXPECT_EQ(script.last().text,
              "\"studio a\" is not a valid host name. A host name may hold only letters, digits, "
              "hyphens, dots, underscores and colons, at most 255 characters.");
    EXPECT_EQ(script.last().caption, "Modify Host");
    EXPECT_EQ(script.last().style, MB_TOUCH_WARNING);
    EXPECT_EQ(dialog.HostName(), "studio-a");
    EXPECT_EQ(dialog.HostEdit()->text(), "studio-a");

    script.answerText(IDOK, "12x");
    script.answer(IDOK);
    dialog.EditControllerId();
    EXPECT_EQ(script.last().text, "\"12x\" is not a valid controller id. A controller id is a "
                                  "whole number from 0 to 2147483647.");
    EXPECT_EQ(dialog.ControllerId(), "1");

    // Blanks around an entry are not part of it.
    script.answerText(IDOK, "  10.0.0.7 ");
    dialog.EditHostName();
    EXPECT_EQ(dialog.HostName(), "10.0.0.7");
    EXPECT_EQ(dialog.HostEdit()->text(), "10.0.0.7");
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(RemoteHostDlgTest, ATouchJustAboveOrBelowAFieldOpensItsEntry) {
    CRemoteHostDlg dialog("Add Host", "", "");
    dialog.show();
    const std::pair<QLineEdit*, const char*> fields[] = {
        {dialog.HostEdit(), "Enter Host Name"}, {dialog.ControllerEdit(), "Enter Controller Id"}};
    for (const auto& [edit, title] : fields) {
        // The edits are lower than a finger: a touch a few pixels off them still hits.
        for (const QPoint at : {edit->geometry().topLeft() + QPoint(20, -6),
                                edit->geometry().bottomLeft() + QPoint(20, 6)}) {
            QWidget* hit = dialog.childAt(at);
            ASSERT_NE(hit, nullptr) << title;
            script.answerText(IDCANCEL, "");
            touch(hit, QPointF(hit->mapFrom(&dialog, at)));
            EXPECT_EQ(script.pending(), 0u) << title << " not opened";
            EXPECT_EQ(script.last().caption, title);
        }
    }
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(RemoteHostDlgTest, OkNeedsBothFields) {
    CRemoteHostDlg dialog("Add Host", "", "");
    script.answer(IDOK);
    dialog.accept();
    EXPECT_EQ(script.last().text, "Enter the host name.");
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    script.answerText(IDOK, "studio-a");
    dialog.EditHostName();
    script.answer(IDOK);
    dialog.accept();
    EXPECT_EQ(script.last().text, "Enter the controller id.");
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    script.answerText(IDOK, "0");
    dialog.EditControllerId();
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(RemoteHostRules, HostNames) {
    for (const char* good : {"a", "studio-a.example.com", "10.1.2.3", "fe80::1", "host_2"})
        EXPECT_TRUE(CRemoteHostDlg::IsValidHostName(good)) << good;
    for (const char* bad : {"", "two words", "a\"b", "<host>", "tab\there", "caf\xc3\xa9"})
        EXPECT_FALSE(CRemoteHostDlg::IsValidHostName(bad)) << bad;
    EXPECT_TRUE(CRemoteHostDlg::IsValidHostName(std::string(255, 'h')));
    EXPECT_FALSE(CRemoteHostDlg::IsValidHostName(std::string(256, 'h')));
}

TEST(RemoteHostRules, ControllerIds) {
    for (const char* good : {"0", "7", "0042", "2147483647"})
        EXPECT_TRUE(CRemoteHostDlg::IsValidControllerId(good)) << good;
    for (const char* bad : {"", "-1", "+1", "1.5", "2147483648", "99999999999", " 1", "1a"})
        EXPECT_FALSE(CRemoteHostDlg::IsValidControllerId(bad)) << bad;
}

TEST(RemoteHostsFile, TextWithAQuoteOrAmpersandSurvivesTheRoundTrip) {
    // Hosts read from a file may hold any text; writing must not break the file.
    const std::vector<RemoteHost> hosts{{"a\"b&c<d", "x'y"}, {"", ""}};
    std::vector<RemoteHost> read;
    std::string why;
    ASSERT_TRUE(ParseRemoteHosts(RemoteHostsText(hosts), read, why)) << why;
    EXPECT_EQ(read, hosts);
}

} // namespace
