// The network service is killed at random moments while a client commits through it, a few
// dozen times; after each kill every state file is whole, old or new, and the service started
// again on the folder serves the stored configuration.

#include "KilledState.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"
#include "server/remote/HttpsClient.h"
#include "server/wire/WireFormat.h"
#include "support/TestServerHost.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

namespace {

constexpr int kServiceKills = 30;

// A client of the service on its host, logged on as the administrator.
class Client {
public:
    Client(const TestServerHost& host)
        : m_https(QStringLiteral("127.0.0.1"),
                  static_cast<quint16>(
                      QString::fromStdString(host.host()).section(QLatin1Char(':'), 1).toUInt()),
                  5000) {
        m_https.pin(host.fingerprint());
        const HttpsReply reply = send("POST", wire::kSession,
                                      {{"user", "admin"}, {"password", "trellis"}, {"domain", ""}});
        m_token = QJsonDocument::fromJson(reply.body)
                      .object()
                      .value(QLatin1String(wire::kToken))
                      .toString()
                      .toUtf8();
    }
    bool loggedOn() const { return !m_token.isEmpty(); }

    HttpsReply send(const QByteArray& method, const char* path, const QJsonObject& body = {}) {
        HttpsRequest request;
        request.method = method;
        request.path = QString::fromLatin1(path);
        if (!body.isEmpty())
            request.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
        if (!m_token.isEmpty())
            request.headers.append({wire::kAuthorization, wire::kBearer + m_token});
        return m_https.send(request);
    }

private:
    HttpsClient m_https;
    QByteArray m_token;
};

} // namespace

TEST(ServiceKillTest, AServiceKilledMidCommitLeavesEveryFileWholeAndServesItAgain) {
    QTemporaryDir dir;
    const std::vector<std::string>& standards = ReferenceStandards();
    ASSERT_GE(standards.size(), 2u);
    const std::string versions[] = {DefaultConfigurationText(standards[0]),
                                    DefaultConfigurationText(standards[1])};
    std::string stored;
    ASSERT_EQ(EmbeddedServer(dir.path()).configuration(stored), S_OK);
    // What a whole configuration file may hold: the first server's, or either version sent.
    const std::set<std::string> wholeConfigurations = {
        NormalizedXml(stored), NormalizedXml(versions[0]), NormalizedXml(versions[1])};
    stored = NormalizedXml(stored);

    TestServerHost host(dir.path(), TestServerHost::Path::Service);
    ASSERT_EQ(host.failure(), "");
    std::mt19937 random(20261207);
    int killedAfterACommit = 0;
    int commits = 0;
    for (int kill = 0; kill < kServiceKills; ++kill) {
        if (kill > 0) {
            ASSERT_TRUE(host.restart()) << "kill " << kill << ": " << host.failure();
        }
        Client client(host);
        ASSERT_TRUE(client.loggedOn()) << "kill " << kill;
        // The service started again serves what is stored.
        const HttpsReply served = client.send("GET", wire::kConfiguration);
        ASSERT_EQ(served.status, 200) << "kill " << kill;
        EXPECT_EQ(NormalizedXml(QJsonDocument::fromJson(served.body)
                                    .object()
                                    .value(QLatin1String(wire::kConfigurationField))
                                    .toString()
                                    .toStdString()),
                  stored)
            << "kill " << kill;

        // Commits, alternating the versions, until the connection breaks.
        std::atomic<int> committed = 0;
        HttpsReply last;
        std::thread committer([&] {
            for (int round = 0;; ++round) {
                last = client.send(
                    "PUT", wire::kConfiguration,
                    {{wire::kConfigurationField, QString::fromStdString(versions[round % 2])}});
                if (last.failure != S_OK || last.status != 200)
                    return;
                ++committed;
            }
        });
        // Half the kills come after a commit went through; the rest at any moment.
        if (random() % 2 == 1) {
            const QDeadlineTimer patience(10000);
            while (committed == 0 && !patience.hasExpired())
                QThread::msleep(1);
            ++killedAfterACommit;
        }
        QThread::usleep(static_cast<unsigned long>(random() % 30000));
        host.kill();
        committer.join();
        commits += committed;
        EXPECT_NE(last.failure, S_OK) << "kill " << kill << ": a commit was refused with HTTP "
                                      << last.status << ": " << last.body.toStdString();

        stored = ExpectWholeAfterKill(dir.path(), wholeConfigurations, kill);
        if (HasFailure())
            break;
    }
    EXPECT_GT(killedAfterACommit, kServiceKills / 4);
    // Commits went through between the kills, not only the first requests.
    EXPECT_GE(commits, kServiceKills / 4);
}
