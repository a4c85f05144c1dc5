#include "server/embedded/EmbeddedServer.h"
#include "DocumentEdits.h"
#include "platform/XmlDocument.h"
#include "server/IAppServer.h"
#include "server/IChannel.h"
#include "server/IConfigServer.h"
#include "server/IConnection.h"
#include "server/ILog.h"
#include "server/ISecurity.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServices.h"
#include "server/embedded/StateFiles.h"
#include "support/ImmutableFile.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

class EmbeddedServerTest : public ::testing::Test {
protected:
    // Logs on to this machine's server and returns its application object, or null.
    std::shared_ptr<IAppServer> logOn(const std::string& user, const std::string& password,
                                      std::shared_ptr<IConnection>* keep = nullptr) {
        std::shared_ptr<IConnection> connection = factory.CreateConnection();
        EXPECT_EQ(connection->SetHost("localhost"), S_OK);
        EXPECT_EQ(connection->LogOn(user, password, "", true), S_OK);
        std::shared_ptr<IAppServer> app;
        std::int16_t unused = 0;
        connection->GetAppServer("", "Trellis", unused, app);
        if (keep)
            *keep = connection;
        return app;
    }

    std::shared_ptr<IConfigServer> configServer(const std::string& user,
                                                const std::string& password) {
        std::shared_ptr<IConfigServer> server;
        if (auto app = logOn(user, password))
            app->GetConfigServer("Trellis", server);
        return server;
    }

    Variant status(int channel, const std::string& name) {
        Variant value;
        EmbeddedServer::forDirectory(dir.path())->channelStatus(channel, name, value);
        return value;
    }

    QTemporaryDir dir;
    EmbeddedServiceFactory factory{dir.path()};
};

} // namespace

TEST_F(EmbeddedServerTest, LogonWithRightWrongAndReadOnlyAccounts) {
    std::shared_ptr<IConnection> connection;
    ASSERT_NE(logOn("admin", "trellis", &connection), nullptr);
    bool flag = false;
    connection->IsConnected(flag);
    EXPECT_TRUE(flag);
    connection->IsLoggedOn(flag);
    EXPECT_TRUE(flag);
    connection->IsMemberOfGroup("BUILTIN\\Administrators", flag);
    EXPECT_TRUE(flag);

    EXPECT_EQ(logOn("admin", "wrong", &connection), nullptr);
    connection->IsLoggedOn(flag);
    EXPECT_FALSE(flag);
    connection->IsConnected(flag);
    EXPECT_TRUE(flag);

    ASSERT_NE(logOn("operator", "operator", &connection), nullptr);
    connection->IsMemberOfGroup("BUILTIN\\Administrators", flag);
    EXPECT_FALSE(flag);
    connection->IsMemberOfGroup(QSysInfo::machineHostName().toStdString() + "\\TarvoAdministrators",
                                flag);
    EXPECT_FALSE(flag);

    ASSERT_NE(logOn("engineer", "engineer", &connection), nullptr);
    connection->IsMemberOfGroup(QSysInfo::machineHostName().toStdString() + "\\TarvoAdministrators",
                                flag);
    EXPECT_TRUE(flag);
}

TEST_F(EmbeddedServerTest, OtherHostsAreOutOfReach) {
    std::shared_ptr<IConnection> connection = factory.CreateConnection();
    connection->SetHost("studio-server-7");
    EXPECT_EQ(connection->LogOn("admin", "trellis", "", true), S_OK);
    bool connected = true;
    connection->IsConnected(connected);
    EXPECT_FALSE(connected);
    std::shared_ptr<IAppServer> app;
    std::int16_t unused = 0;
    EXPECT_TRUE(FAILED(connection->GetAppServer("", "Trellis", unused, app)));
    EXPECT_EQ(app, nullptr);
}

TEST_F(EmbeddedServerTest, FirstUseServesTheDefaultConfiguration) {
    auto server = configServer("operator", "operator");
    ASSERT_NE(server, nullptr);
    std::string text;
    ASSERT_EQ(server->GetConfiguration(text), S_OK);
    XmlDocument expected;
    expected.loadXml(DefaultConfigurationText("Format525_29_97Hz_2To1"));
    EXPECT_TRUE(text == expected.xml());
    std::string other;
    EXPECT_EQ(server->GetDefaultConfiguration("Format625_25Hz_2To1", other), S_OK);
    EXPECT_NE(other.find("Format625_25Hz_2To1"), std::string::npos);
    EXPECT_EQ(server->GetDefaultConfiguration("PAL", other), E_INVALIDARG);
}

TEST_F(EmbeddedServerTest, CommitPersistsAcrossARestart) {
    auto server = configServer("admin", "trellis");
    std::string text;
    server->GetConfiguration(text);
    const std::string changed = WithAttribute(text, "//TimeOfDay/@timeOfDaySource", "Ltc");
    ASSERT_EQ(server->CommitConfiguration(changed), S_OK);

    EmbeddedServer restarted(dir.path());
    std::string stored;
    restarted.configuration(stored);
    EXPECT_TRUE(stored == changed);
}

TEST_F(EmbeddedServerTest, ReadOnlyUsersCannotCommitOrChangeLive) {
    auto server = configServer("operator", "operator");
    std::string text;
    server->GetConfiguration(text);
    EXPECT_EQ(
        server->CommitConfiguration(WithAttribute(text, "//TimeOfDay/@timeOfDaySource", "Ltc")),
        E_ACCESSDENIED);
    EXPECT_EQ(server->AttributeChange("//TimeOfDay", "timeOfDaySource", "Ltc", true),
              E_ACCESSDENIED);
    std::string after;
    server->GetConfiguration(after);
    EXPECT_TRUE(after == text);
}

TEST_F(EmbeddedServerTest, AFailedOperationLeavesItsReasonForTheCaller) {
    auto admin = configServer("admin", "trellis");
    auto reader = configServer("operator", "operator");
    ASSERT_TRUE(admin && reader);
    std::string text;
    ASSERT_EQ(admin->GetConfiguration(text), S_OK);
    EXPECT_EQ(reader->CommitConfiguration(text), E_ACCESSDENIED);
    EXPECT_EQ(reader->LastErrorText(), "the user may not change the configuration");

    bool usable = true;
    EXPECT_EQ(admin->ValidateConfiguration("<Foo><Channel channelIndex=\"0\"/></Foo>", usable),
              S_OK);
    EXPECT_FALSE(usable);
    EXPECT_EQ(admin->LastErrorText(), "the root element is Foo, not Config");
    std::string defaults;
    EXPECT_EQ(admin->GetDefaultConfiguration("Format1080_25Hz_2To1", defaults), E_INVALIDARG);
    EXPECT_EQ(admin->LastErrorText(), "there is no default configuration for the reference "
                                      "standard 'Format1080_25Hz_2To1'");

    // A commit the disk refuses says what the server's log says.
    const QString stored = dir.filePath("config.xml");
    const std::string changed = WithAttribute(text, "//TimeOfDay/@timeOfDaySource", "Ltc");
    if (setImmutable(stored, true)) {
        EXPECT_TRUE(FAILED(admin->CommitConfiguration(changed)));
        setImmutable(stored, false);
        EXPECT_EQ(admin->LastErrorText(), "config.xml could not be written (Access is denied.)");
    }
    // Each operation replaces the reason of the one before.
    EXPECT_EQ(admin->CommitConfiguration(changed), S_OK);
    EXPECT_EQ(admin->LastErrorText(), "");
}

TEST_F(EmbeddedServerTest, LiveChangesReachTheRunningConfigurationOnly) {
    auto server = configServer("admin", "trellis");
    ASSERT_EQ(server->AttributeChange("./Config/System/TimeOfDay", "timeOfDaySource", "Ltc", true),
              S_OK);
    std::string running;
    server->GetConfiguration(running);
    EXPECT_NE(running.find("timeOfDaySource=\"Ltc\""), std::string::npos);
    EmbeddedServer restarted(dir.path());
    std::string committed;
    restarted.configuration(committed);
    EXPECT_EQ(committed.find("timeOfDaySource=\"Ltc\""), std::string::npos);
}

TEST_F(EmbeddedServerTest, ACommitTakesTheChangedChannelOfflineForAWhile) {
    const auto embedded = EmbeddedServer::forDirectory(dir.path());
    embedded->setRestartDelay(300);
    auto server = configServer("admin", "trellis");
    std::string text;
    server->GetConfiguration(text);
    const std::string changed = WithAttribute(text,
                                              "//VideoInput[@id=//Channel[@channelIndex=\"1\"]/"
                                              "Video/VideoInputComponent/@id]/@selectedInput",
                                              "VideoInputAnalogComposite");
    ASSERT_TRUE(changed != text);
    ASSERT_EQ(server->CommitConfiguration(changed), S_OK);
    EXPECT_EQ(status(1, "channelOffline"), Variant(true));
    EXPECT_EQ(status(0, "channelOffline"), Variant(false));
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(status(1, "channelOffline"), Variant(false));
}

TEST_F(EmbeddedServerTest, ChannelsAnswerTheirStatus) {
    auto app = logOn("operator", "operator");
    std::shared_ptr<IChannel> channel;
    ASSERT_EQ(app->GetChannel(Variant(std::int32_t{2}), channel), S_OK);
    EmbeddedServer::forDirectory(dir.path())->setChannelStatus(2, "portstate", "3");
    EmbeddedServer::forDirectory(dir.path())->setChannelStatus(2, "assetname", "news at nine");
    Variant value;
    EXPECT_EQ(channel->GetStatus("portstate", value), S_OK);
    EXPECT_EQ(value, Variant(std::int32_t{3}));
    channel->GetStatus("assetname", value);
    EXPECT_EQ(value.toText(), "news at nine");
    channel->GetStatus("referenceLocked", value);
    EXPECT_EQ(value, Variant(true));
    EXPECT_EQ(channel->GetStatus("colour", value), E_INVALIDARG);
    EXPECT_EQ(app->GetChannel(Variant(std::int32_t{4}), channel), E_INVALIDARG);
    EXPECT_EQ(app->GetChannel(Variant("1"), channel), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(EmbeddedServer::forDirectory(dir.path())->setChannelStatus(0, "portstate", "fast"),
              DISP_E_TYPEMISMATCH);
}

TEST_F(EmbeddedServerTest, EveryStatusLightIsAnsweredAlsoFromAStateFileWrittenBeforeItsName) {
    // A state file from before the timecode lights: the second channel records, and nothing
    // else is stored.
    ASSERT_EQ(StateFiles(dir.path())
                  .writeJson("channels.json",
                             QJsonObject{{"channels", QJsonArray{QJsonObject{},
                                                                 QJsonObject{{"portstate", 3}}}}}),
              S_OK);
    for (int channel = 0; channel < 4; ++channel) {
        for (const char* light : {"videoPresent", "vitcPresent", "ancLtcPresent", "ancVitcPresent",
                                  "referencePresent", "referenceLocked"})
            EXPECT_EQ(status(channel, light), Variant(true)) << light << " of " << channel;
    }
    EXPECT_EQ(status(1, "portstate"), Variant(std::int32_t{3}));
    auto server = EmbeddedServer::forDirectory(dir.path());
    EXPECT_EQ(server->setChannelStatus(3, "ancVitcPresent", "false"), S_OK);
    EXPECT_EQ(status(3, "ancVitcPresent"), Variant(false));
    EXPECT_EQ(status(2, "ancVitcPresent"), Variant(true));
}

TEST_F(EmbeddedServerTest, TheLogKeepsAFailureVisible) {
    auto app = logOn("admin", "trellis");
    std::shared_ptr<ILog> log;
    ASSERT_EQ(app->GetLog("Trellis", log), S_OK);
    log->LogEntry(E_ACCESSDENIED, LOG_KIND_REPORT, "ConfigState.cpp", 12, 3, "refused");
    std::int32_t value = 0;
    ASSERT_NE(log->StatusFacet(), nullptr);
    log->StatusFacet()->GetStatus(value);
    EXPECT_EQ(value, E_ACCESSDENIED);
    const auto content = EmbeddedServer::forDirectory(dir.path())->files().read("server.log");
    ASSERT_TRUE(content);
    EXPECT_TRUE(content->contains("ConfigState.cpp(12) 3ms: refused"));
}

TEST_F(EmbeddedServerTest, ProtocolUsersAndAccountChecks) {
    auto app = logOn("admin", "trellis");
    std::shared_ptr<ISecurity> security = app->QuerySecurity();
    ASSERT_NE(security, nullptr);
    EXPECT_EQ(security->PutChannelUser(1, "ingest"), S_OK);
    std::string user;
    EXPECT_EQ(security->GetChannelUser(1, user), S_OK);
    EXPECT_EQ(user, "ingest");
    std::string domain = "x";
    security->GetChannelDomain(0, domain);
    EXPECT_EQ(domain, "");
    bool valid = false;
    security->ValidateUser("operator", "operator", "", valid);
    EXPECT_TRUE(valid);
    security->ValidateUser("operator", "nope", "", valid);
    EXPECT_FALSE(valid);
    EXPECT_EQ(security->PutChannelUser(7, "x"), E_INVALIDARG);

    auto readOnly = logOn("operator", "operator")->QuerySecurity();
    EXPECT_EQ(readOnly->PutChannelUser(1, "other"), E_ACCESSDENIED);
}

TEST_F(EmbeddedServerTest, SafeFromTwoThreads) {
    auto server = configServer("admin", "trellis");
    std::string text;
    server->GetConfiguration(text);
    std::thread poller([&] {
        for (int i = 0; i < 200; ++i)
            status(i % 4, "channelOffline");
    });
    for (int i = 0; i < 20; ++i)
        server->CommitConfiguration(
            WithAttribute(text, "//TimeOfDay/@timeOfDaySource", i % 2 ? "Ltc" : "Windows"));
    poller.join();
    std::string last;
    server->GetConfiguration(last);
    EXPECT_TRUE(last.find("timeOfDaySource=\"Ltc\"") != std::string::npos);
}

TEST_F(EmbeddedServerTest, ChangesFromTheToolAreSeenAtOnce) {
    const auto running = EmbeddedServer::forDirectory(dir.path());
    EmbeddedServer tool(dir.path()); // as the command-line tool, over the same directory
    for (int state = 0; state < 5; ++state) {
        Variant value;
        running->channelStatus(0, "portstate", value); // read, so that a cached copy exists
        ASSERT_EQ(tool.setChannelStatus(0, "portstate", QString::number(state)), S_OK);
        running->channelStatus(0, "portstate", value);
        EXPECT_EQ(value, Variant(static_cast<std::int32_t>(state)));
    }
}
