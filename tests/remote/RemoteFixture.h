#pragma once
// A host reached over the network: the test service, the factory the application installs,
// the scripted prompter, and a known hosts file of the test's own.

#include "FakeHttpsService.h"
#include "server/HostServices.h"
#include "server/IConnection.h"
#include "support/ScopedEnv.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

class RemoteTest : public ::testing::Test {
protected:
    using Response = FakeHttpsService::Response;
    using Request = FakeHttpsService::Request;

    void SetUp() override {
        prompter.install();
        ASSERT_TRUE(service.listening());
        ASSERT_FALSE(service.fingerprint().isEmpty());
    }

    QString knownHostsPath() const {
        return config.filePath(QStringLiteral("trellis/known_hosts"));
    }
    void trust(const QString& fingerprint) {
        ASSERT_TRUE(QDir().mkpath(config.filePath(QStringLiteral("trellis"))));
        QFile file(knownHostsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(service.host()) + ' ' + fingerprint.toLatin1() + '\n');
    }
    QByteArray knownHosts() const {
        QFile file(knownHostsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    std::shared_ptr<IConnection> connectTo() {
        std::shared_ptr<IConnection> connection = factory.CreateConnection();
        EXPECT_EQ(connection->SetHost(service.host()), S_OK);
        return connection;
    }
    static bool connected(IConnection& connection) {
        bool answer = false;
        return SUCCEEDED(connection.IsConnected(answer)) && answer;
    }

    // The service's answers for a logon and its session; nullopt for any other request.
    static std::optional<Response> sessionAnswer(const Request& request) {
        if (request.path == "/v1/session" && request.method == "POST") {
            if (request.json().value("password").toString() != QLatin1String(kPassword))
                return Response(401, {{"error", "wrong user name or password"}});
            return Response{201, {{"token", QString::fromLatin1(kToken)}, {"administrator", true}}};
        }
        if (request.path == "/v1/session")
            return Response{204};
        if (request.path == "/v1/session/group")
            return Response{200, {{"member", true}}};
        return std::nullopt;
    }
    static constexpr const char* kToken = "token-7f3a";
    static constexpr const char* kPassword = "Pa55-w0rd";

    QTemporaryDir config;
    ScopedEnv configHome{"XDG_CONFIG_HOME", config.path().toUtf8()};
    QTemporaryDir stateDirectory;
    ScriptedPrompter prompter;
    FakeHttpsService service;
    HostServiceFactory factory{stateDirectory.path()};
};
