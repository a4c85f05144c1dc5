#include "RemoteFixture.h"

#include "platform/HResult.h"
#include "server/IAppServer.h"
#include "server/IChannel.h"
#include "server/IConfigServer.h"
#include "state/ConfigState.h"

#include <QCoreApplication>
#include <QThread>

#include <future>

namespace {

// Logged on to the test service, whose other answers the test gives.
class RemoteServicesTest : public RemoteTest {
protected:
    void SetUp() override {
        RemoteTest::SetUp();
        trust(service.fingerprint());
        service.setHandler([this](const Request& request) {
            if (const auto answer = sessionAnswer(request))
                return *answer;
            return answer(request);
        });
    }
    std::shared_ptr<IAppServer> logOn() {
        connection = connectTo();
        EXPECT_EQ(connection->LogOn("admin", kPassword, "", true), S_OK);
        std::shared_ptr<IAppServer> server;
        std::int16_t unused = 0;
        EXPECT_EQ(connection->GetAppServer("", "Trellis", unused, server), S_OK);
        return server;
    }
    std::size_t count(const QByteArray& method, const QByteArray& path) const {
        return service.requestsTo(method, path).size();
    }

    std::function<Response(const Request&)> answer = [](const Request&) {
        return Response{404};
    };
    std::shared_ptr<IConnection> connection;
};

TEST_F(RemoteServicesTest, ThePasswordCrossesOnceAndTheLightsOfOneTickAreOneRequest) {
    answer = [](const Request& request) {
        if (request.path != "/v1/channels/status")
            return Response{404};
        const QJsonObject first{
            {"portstate", 3}, {"referencePresent", true}, {"assetname", "News"}};
        return Response{200, {{"channels", QJsonArray{first, QJsonObject{{"portstate", 0}}}}}};
    };
    // A refused logon is no failure of the connection: the user may try again.
    connection = connectTo();
    bool loggedOn = true;
    EXPECT_EQ(connection->LogOn("admin", "wrong", "", true), S_OK);
    EXPECT_EQ(connection->IsLoggedOn(loggedOn), S_OK);
    EXPECT_FALSE(loggedOn);
    std::shared_ptr<IAppServer> server = logOn();
    ASSERT_TRUE(server);
    std::vector<std::shared_ptr<IChannel>> channels(3);
    for (int slot = 0; slot < 3; ++slot)
        ASSERT_EQ(server->GetChannel(Variant(static_cast<std::int32_t>(slot)), channels[slot]),
                  S_OK);

    Variant value;
    ASSERT_EQ(channels[0]->GetStatus("portstate", value), S_OK);
    EXPECT_EQ(value.toText(), "3");
    ASSERT_EQ(channels[0]->GetStatus("referencePresent", value), S_OK);
    EXPECT_EQ(value.type(), Variant::Type::Bool);
    ASSERT_EQ(channels[0]->GetStatus("assetname", value), S_OK);
    EXPECT_EQ(value.toText(), "News");
    ASSERT_EQ(channels[1]->GetStatus("portstate", value), S_OK);
    EXPECT_EQ(value.toText(), "0");
    EXPECT_EQ(channels[1]->GetStatus("nosuchstatus", value), E_INVALIDARG);
    EXPECT_EQ(channels[2]->GetStatus("portstate", value), E_INVALIDARG);
    EXPECT_EQ(count("GET", "/v1/channels/status"), 1u);
    // The next tick asks again, here from another thread, as the commit progress poll does.
    QThread::msleep(300);
    std::future<HRESULT> polled = std::async(std::launch::async, [&] {
        Variant polledValue;
        return channels[1]->GetStatus("portstate", polledValue);
    });
    while (polled.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        QCoreApplication::processEvents(); // the service answers on this thread
    EXPECT_EQ(polled.get(), S_OK);
    EXPECT_EQ(count("GET", "/v1/channels/status"), 2u);

    const auto status = service.requestsTo("GET", "/v1/channels/status");
    EXPECT_TRUE(status.back().headers.value("authorization") == QByteArray("Bearer ") + kToken);
    // Logoff when the last object of the connection goes away.
    channels.clear();
    server.reset();
    connection.reset();
    const auto logoff = service.requestsTo("DELETE", "/v1/session");
    ASSERT_EQ(logoff.size(), 1u);
    EXPECT_TRUE(logoff[0].headers.value("authorization") == QByteArray("Bearer ") + kToken);

    const auto carriesPassword =
        std::count_if(service.requests().begin(), service.requests().end(),
                      [](const Request& request) { return request.raw.contains(kPassword); });
    EXPECT_EQ(carriesPassword, 1);
    EXPECT_EQ(service.requestsTo("POST", "/v1/session").size(), 2u); // one per logon
}

TEST_F(RemoteServicesTest, ACommitRefusedAsChangedAsksAndAYesCommitsOverTheNewVersion) {
    const QString logonText =
        QStringLiteral("<Config><Channel channelIndex=\"0\" id=\"C1\"/></Config>");
    const QString otherText =
        QStringLiteral("<Config><Channel channelIndex=\"0\" id=\"C9\"/></Config>");
    bool committedMeanwhile = false;
    answer = [&](const Request& request) {
        if (request.path != "/v1/configuration")
            return Response{404};
        if (request.method == "GET")
            return committedMeanwhile ? Response{200, {{"configuration", otherText}}, "\"2\""}
                                      : Response{200, {{"configuration", logonText}}, "\"1\""};
        if (request.headers.value("if-match") == "\"1\"") {
            committedMeanwhile = true;
            return Response{412,
                            {{"error", "the configuration was committed by another session"},
                             {"hresult", E_CHANGED_STATE},
                             {"configuration", otherText}}};
        }
        return Response{200, {}, "\"3\""};
    };
    installServiceFactory(&factory);
    auto state = std::make_unique<CConfigState>();
    ASSERT_EQ(
        state->CreateAppServers(LogonParameters{service.host(), "admin", kPassword, "", true}),
        S_OK);
    std::shared_ptr<XmlDocument> document;
    state->GetConfigDocument(document);
    ASSERT_TRUE(document);
    ASSERT_EQ(state->PutAttributeValue("//Channel[@id=\"C1\"]", "id", Variant("C2"), false, false),
              S_OK);

    prompter.answer(IDYES);
    EXPECT_EQ(state->CommitConfig({}), S_OK);

    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.last().text,
              "The configuration was changed on the server after you logged on. Your commit "
              "would undo those changes.\n\nCommit anyway?");
    EXPECT_EQ(prompter.last().caption, "Configuration Changed");
    const auto commits = service.requestsTo("PUT", "/v1/configuration");
    ASSERT_EQ(commits.size(), 2u);
    EXPECT_EQ(commits[1].headers.value("if-match"), "\"2\"");
    EXPECT_EQ(commits[1].json().value("configuration").toString().toStdString(), document->xml());
    EXPECT_FALSE(commits[0].headers.value("idempotency-key").isEmpty());
    EXPECT_NE(commits[0].headers.value("idempotency-key"),
              commits[1].headers.value("idempotency-key"));

    state.reset();
    installServiceFactory(nullptr);
}

TEST_F(RemoteServicesTest, ACutConnectionIsToldOnceAndEveryLaterCallFailsAtOnce) {
    bool cut = false;
    answer = [&](const Request& request) {
        if (cut)
            return Response::cut();
        return request.path == "/v1/configuration" ? Response{200, {{"configuration", "<Config/>"}}}
                                                   : Response{404};
    };
    const std::shared_ptr<IAppServer> server = logOn();
    std::shared_ptr<IConfigServer> configuration;
    ASSERT_EQ(server->GetConfigServer("Trellis", configuration), S_OK);
    std::string text;
    ASSERT_EQ(configuration->GetConfiguration(text), S_OK);

    cut = true;
    EXPECT_EQ(configuration->GetConfiguration(text), HRESULT_CONNECTION_ABORTED);
    const std::size_t sent = service.requests().size();
    EXPECT_EQ(configuration->CommitConfiguration(text), HRESULT_CONNECTION_ABORTED);
    EXPECT_EQ(service.requests().size(), sent);
    EXPECT_FALSE(configuration->LastErrorText().empty());

    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.last().text.rfind(
                  "The connection to host server " + service.host() + " was lost: ", 0),
              0u);
    EXPECT_EQ(prompter.last().caption, "Connection Lost");
    EXPECT_EQ(prompter.last().style, MB_TOUCH_ERROR);
}

TEST_F(RemoteServicesTest, ACertificateChangedDuringTheSessionGetsNoRequest) {
    answer = [](const Request&) {
        return Response(200, {{"configuration", "<Config/>"}});
    };
    const std::shared_ptr<IAppServer> server = logOn();
    std::shared_ptr<IConfigServer> configuration;
    ASSERT_EQ(server->GetConfigServer("Trellis", configuration), S_OK);
    std::string text;
    ASSERT_EQ(configuration->GetConfiguration(text), S_OK);

    service.useNewCertificate();
    const std::size_t sent = service.requests().size();
    EXPECT_EQ(configuration->CommitConfiguration(text), HRESULT_CONNECTION_ABORTED);
    EXPECT_EQ(service.requests().size(), sent);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.last().text, "The connection to host server " + service.host() +
                                        " was lost: the host showed a certificate other than the "
                                        "trusted one (SHA-256 fingerprint " +
                                        service.fingerprint().toStdString() + ").");
}

TEST_F(RemoteServicesTest, AServerThatStopsAnsweringTimesOutAndTheDocumentStillSaves) {
    factory.setClientTimeout(300);
    bool silent = false;
    answer = [&](const Request&) {
        return silent ? Response::silent()
                      : Response{200,
                                 {{"configuration",
                                   "<Config><System/><Channel channelIndex=\"0\"/></Config>"}}};
    };
    installServiceFactory(&factory);
    auto state = std::make_unique<CConfigState>();
    ASSERT_EQ(
        state->CreateAppServers(LogonParameters{service.host(), "admin", kPassword, "", true}),
        S_OK);

    silent = true;
    Variant value;
    EXPECT_EQ(state->GetChanStatus(0, "portstate", value), HRESULT_TIMEOUT);
    ASSERT_EQ(prompter.questions().size(), 1u);
    EXPECT_EQ(prompter.last().text, "The connection to host server " + service.host() +
                                        " was lost: the server did not answer within 0.3 "
                                        "seconds.");

    QTemporaryDir folder;
    std::string path = folder.filePath(QStringLiteral("kept")).toStdString();
    EXPECT_EQ(state->SaveConfig(path), S_OK);
    QFile saved(QString::fromStdString(path));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll().contains("<System"));
    state.reset();
    installServiceFactory(nullptr);
}

} // namespace
