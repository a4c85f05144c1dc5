#include "platform/XmlDocument.h"
#include "server/HostServices.h"
#include "state/ConfigState.h"
#include "support/FakeConnection.h"
#include "support/ScriptedPrompter.h"
#include "support/TestServerHost.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const std::string kLogonFailed =
    "Log on failed. You are not authorized to view configurations.\nDo you want to retry?";
const std::string kNoRights =
    "Your account does not authorize you to change configuration settings.\n\nYou may press "
    "Ignore to open a read-only version of the configuration, press Retry to log in again, or "
    "press Abort to quit.";

LogonParameters withCredentials(const std::string& user, const std::string& password) {
    return LogonParameters{"localhost", user, password, "", true};
}

// Logon against the stand-in server (embedded, or its network service) in a fresh state
// directory.
class ServerLogonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host.failure(), "");
        script.install();
        installServiceFactory(&factory);
    }
    void TearDown() override { installServiceFactory(nullptr); }

    LogonParameters withCredentials(const std::string& user, const std::string& password) const {
        return LogonParameters{host.host(), user, password, "", true};
    }
    // No credentials: the logon dialog asks for them.
    LogonParameters withDialog() const { return LogonParameters{host.host(), "", "", "", false}; }

    QTemporaryDir dir;
    TestServerHost host{dir.path()};
    HostServiceFactory factory{dir.path()};
    ScriptedPrompter script;
    CConfigState state;
};

// Logon against a scripted server.
class FakeLogonTest : public ::testing::Test {
protected:
    void SetUp() override {
        script.install();
        fake.connection->appServer->configServer->configuration = configurationWithChannels(4);
        fake.connection->memberOf = {"BUILTIN\\Administrators"};
    }
    FakeFactory fake;
    ScriptedPrompter script;
    CConfigState state;
};

} // namespace

TEST_F(ServerLogonTest, AdministratorGetsTheWholeConfiguration) {
    EXPECT_EQ(state.CreateAppServers(withCredentials("admin", "trellis")), S_OK);
    EXPECT_TRUE(state.IsAuthenticated());
    EXPECT_TRUE(state.IsAuthorized());
    EXPECT_TRUE(state.IsConnected());
    EXPECT_TRUE(state.IsProPanel());
    EXPECT_EQ(state.GetChannelCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_NE(state.GetChannelInterface(i), nullptr);
    std::shared_ptr<XmlDocument> document;
    state.GetConfigDocument(document);
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->xml(), state.GetInitialConfig());
    EXPECT_FALSE(state.IsConfigDirty());
    EXPECT_TRUE(script.questions().empty());
}

TEST_F(ServerLogonTest, TheDialogIsAskedWithoutCredentials) {
    script.answerLogon("engineer", "engineer");
    EXPECT_EQ(state.CreateAppServers(withDialog()), S_OK);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::Logon);
    EXPECT_EQ(script.last().caption, "Log On to Configuration");
    EXPECT_TRUE(state.IsAuthorized());
}

TEST_F(ServerLogonTest, CancelledDialogEndsWithoutAnything) {
    script.answer(IDCANCEL);
    EXPECT_EQ(state.CreateAppServers(withDialog()), S_OK);
    EXPECT_FALSE(state.IsAuthenticated());
    std::shared_ptr<XmlDocument> document;
    state.GetConfigDocument(document);
    EXPECT_EQ(document, nullptr);
}

TEST_F(ServerLogonTest, RefusedThenRetriedWithTheDialog) {
    script.answer(IDYES);
    script.answerLogon("admin", "trellis");
    EXPECT_EQ(state.CreateAppServers(withCredentials("admin", "wrong")), S_OK);
    ASSERT_EQ(script.questions().size(), 2u);
    EXPECT_EQ(script.questions()[0].text, kLogonFailed);
    EXPECT_EQ(script.questions()[0].caption, "Security");
    EXPECT_EQ(script.questions()[0].style, MB_TOUCH_QUESTION);
    EXPECT_EQ(script.questions()[1].kind, ScriptedPrompter::Kind::Logon);
    EXPECT_TRUE(state.IsAuthorized());
}

TEST_F(ServerLogonTest, RefusedAndDeclinedIsAccessDenied) {
    script.answer(IDNO);
    EXPECT_EQ(state.CreateAppServers(withCredentials("admin", "wrong")), E_ACCESSDENIED);
    EXPECT_FALSE(state.IsAuthenticated());
}

TEST_F(ServerLogonTest, IgnoreGivesAReadOnlyView) {
    script.answer(IDIGNORE);
    EXPECT_EQ(state.CreateAppServers(withCredentials("operator", "operator")), S_OK);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, kNoRights);
    EXPECT_EQ(script.last().style, MB_TOUCH_ABORTRETRYIGNORE);
    EXPECT_TRUE(state.IsAuthenticated());
    EXPECT_FALSE(state.IsAuthorized());
    std::shared_ptr<XmlDocument> document;
    state.GetConfigDocument(document);
    EXPECT_NE(document, nullptr);
}

TEST_F(ServerLogonTest, CancellingTheDialogAfterRetryLeavesNobodyLoggedOn) {
    script.answer(IDRETRY);
    script.answer(IDCANCEL); // the logon dialog
    EXPECT_EQ(state.CreateAppServers(withCredentials("operator", "operator")), S_OK);
    ASSERT_EQ(script.questions().size(), 2u);
    EXPECT_EQ(script.questions()[1].kind, ScriptedPrompter::Kind::Logon);
    EXPECT_FALSE(state.IsAuthenticated());
    EXPECT_FALSE(state.IsAuthorized());
    EXPECT_FALSE(state.HasDocument());
}

TEST_F(ServerLogonTest, TheDialogKeepsTheUserNameOfTheLastAttempt) {
    script.answer(IDYES); // retry after the refusal
    script.answerLogon("admin", "wrong");
    script.answer(IDYES);
    script.answerLogon("admin", "trellis");
    EXPECT_EQ(state.CreateAppServers(withCredentials("admin", "mistyped")), S_OK);
    ASSERT_EQ(script.questions().size(), 4u);
    EXPECT_EQ(script.questions()[1].text, "admin");
    EXPECT_EQ(script.questions()[3].text, "admin");
    EXPECT_TRUE(state.IsAuthorized());
}

TEST_F(ServerLogonTest, RetryGoesBackToTheDialogAndAbortQuits) {
    script.answer(IDRETRY);
    script.answerLogon("operator", "operator");
    script.answer(IDABORT);
    EXPECT_EQ(state.CreateAppServers(withCredentials("operator", "operator")), E_ACCESSDENIED);
    ASSERT_EQ(script.questions().size(), 3u);
    EXPECT_EQ(script.questions()[1].kind, ScriptedPrompter::Kind::Logon);
    EXPECT_EQ(script.questions()[2].text, kNoRights);
    EXPECT_FALSE(state.IsAuthorized());
}

TEST_F(ServerLogonTest, ARefusedUserNameCannotStartALineOfTheServerLog) {
    const std::string forged = "2026-01-01T00:00:00.000Z 0x00000000 kind=4 logon(0) 0ms: User "
                               "'admin' logged on";
    script.answer(IDNO);
    EXPECT_EQ(state.CreateAppServers(withCredentials("admin\n" + forged, "wrong")), E_ACCESSDENIED);
    QFile file(QDir(dir.path()).filePath(QStringLiteral("server.log")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray log = file.readAll();
    EXPECT_TRUE(log.contains("Log on refused for user 'admin?" + QByteArray::fromStdString(forged)))
        << log.toStdString();
    for (const QByteArray& line : log.split('\n'))
        EXPECT_FALSE(line.startsWith(QByteArray::fromStdString(forged))) << log.toStdString();
}

TEST_F(FakeLogonTest, LocalhostIsSetAsItIsAndGroupsUseThisComputersName) {
    fake.connection->memberOf = {};
    script.answer(IDIGNORE);
    EXPECT_EQ(state.CreateAppServers(withCredentials("u", "p")), S_OK);
    EXPECT_EQ(fake.connection->host, "localhost");
    const std::vector<std::string> expected = {"BUILTIN\\Administrators",
                                               QSysInfo::machineHostName().toStdString() +
                                                   "\\TarvoAdministrators"};
    EXPECT_EQ(fake.connection->groupsAsked, expected);
}

TEST_F(FakeLogonTest, NotConnectedFailsWithoutAQuestionAndSaysWhy) {
    fake.connection->connected = false;
    // Neither with the credentials given nor with the dialog, which is not shown.
    for (const LogonParameters& logon : {withCredentials("u", "p"), LogonParameters{}}) {
        EXPECT_TRUE(FAILED(state.CreateAppServers(logon)));
        EXPECT_FALSE(state.IsAuthenticated());
        EXPECT_TRUE(script.questions().empty());
        EXPECT_EQ(state.GetLogonFailureText(),
                  "Could not connect to host server " + QSysInfo::machineHostName().toStdString());
    }
}

TEST_F(FakeLogonTest, NoApplicationServerLeavesAnAuthenticatedUserWithoutDocument) {
    fake.connection->appServerStatus = E_NOINTERFACE;
    EXPECT_EQ(state.CreateAppServers(withCredentials("u", "p")), E_NOINTERFACE);
    EXPECT_TRUE(state.IsAuthenticated());
    EXPECT_FALSE(state.IsConnected());
    std::shared_ptr<XmlDocument> document;
    state.GetConfigDocument(document);
    EXPECT_EQ(document, nullptr);
}

TEST_F(FakeLogonTest, TheTableReachesEveryChannelIndexTheChannelsName) {
    // Two channels with the indexes 0 and 2: channel 2's interlocks ask server channel 2.
    fake.connection->appServer->configServer->configuration =
        "<Config><Channel channelIndex=\"2\" id=\"C3\"/><Channel channelIndex=\"0\" id=\"C1\"/>"
        "</Config>";
    EXPECT_EQ(state.CreateAppServers(withCredentials("u", "p")), S_OK);
    EXPECT_EQ(state.GetChannelCount(), 3);
    EXPECT_EQ(fake.connection->appServer->channelRequests, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(state.GetChannelInterface(3), nullptr);
}

TEST_F(FakeLogonTest, AFifthChannelIsLeftOutAndReported) {
    fake.connection->appServer->configServer->configuration = configurationWithChannels(5);
    EXPECT_TRUE(SUCCEEDED(state.CreateAppServers(withCredentials("u", "p"))));
    EXPECT_EQ(state.GetChannelCount(), 4);
    EXPECT_EQ(fake.connection->appServer->channelRequests, (std::vector<int>{0, 1, 2, 3}));
    const auto reports = fake.connection->appServer->log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "The configuration has 5 channels; only the first 4 are used");
}

TEST_F(FakeLogonTest, AnUnreadableDocumentIsReportedAndNeverBecomesTheDocument) {
    fake.connection->appServer->configServer->configuration = "<Config><Channel>";
    EXPECT_EQ(state.CreateAppServers(withCredentials("u", "p")), E_FAIL);
    const auto reports = fake.connection->appServer->log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text.rfind("Error loading XML document", 0), 0u);
    EXPECT_EQ(state.GetLogonFailureText(), reports[0].text);
    EXPECT_TRUE(state.IsAuthenticated());
    EXPECT_FALSE(state.HasDocument());
    EXPECT_EQ(state.GetInitialConfig(), "");
}

TEST(LogonWithoutServer, NoFactoryIsAFailureNotACrash) {
    CConfigState state;
    EXPECT_EQ(state.CreateAppServers(LogonParameters{}), E_NOINTERFACE);
}
