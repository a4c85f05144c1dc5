#include "DocumentEdits.h"
#include "server/embedded/EmbeddedServer.h"
#include "server/embedded/RemoteHostsFile.h"
#include "server/service/HttpService.h"
#include "server/service/ServiceRouter.h"
#include "server/wire/WireFormat.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <thread>

#include <unistd.h>

namespace {

struct Reply {
    int status = 0;
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QJsonObject body;
};

// The service on a free loopback port, run on a thread of its own as in the program, with
// the state folder's own certificate.
class ServiceTest : public ::testing::Test {
protected:
    void start(std::chrono::seconds idle = std::chrono::seconds(wire::kSessionIdleSeconds)) {
        server = std::make_shared<EmbeddedServer>(dir.path());
        ServiceCredentials credentials;
        bool made = false;
        std::string reason;
        ASSERT_TRUE(StateCredentials(server->files(), credentials, made, reason)) << reason;
        certificate = credentials.certificate;
        context.moveToThread(&thread);
        thread.start();
        QMetaObject::invokeMethod(
            &context,
            [&] {
                service =
                    new HttpService(std::make_shared<ServiceRouter>(server, idle), credentials);
                QString why;
                EXPECT_TRUE(service->listen(QHostAddress::LocalHost, 0, why)) << why.toStdString();
            },
            Qt::BlockingQueuedConnection);
        port = service->port();
    }

    void TearDown() override {
        if (thread.isRunning()) {
            QMetaObject::invokeMethod(
                &context, [&] { delete service; }, Qt::BlockingQueuedConnection);
            thread.quit();
            thread.wait();
        }
    }

    // One request on a new connection that trusts the service's certificate alone.
    Reply call(const QByteArray& method, const QByteArray& path, const QByteArray& body = {},
               const QByteArray& token = {}, QList<QPair<QByteArray, QByteArray>> headers = {}) {
        QSslSocket socket;
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setCaCertificates({certificate});
        socket.setSslConfiguration(configuration);
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
        if (!socket.waitForEncrypted(5000)) {
            ADD_FAILURE() << "no TLS connection: " << socket.errorString().toStdString();
            return {};
        }
        if (!token.isEmpty())
            headers.append({wire::kAuthorization, wire::kBearer + token});
        QByteArray request = method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
        for (const auto& [name, value] : headers)
            request += name + ": " + value + "\r\n";
        request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n";
        socket.write(request);
        // A large body is written in parts, reading as it goes, as a client does.
        for (qsizetype sent = 0; sent < body.size(); sent += 1 << 20) {
            socket.write(body.mid(sent, 1 << 20));
            while (socket.bytesToWrite() > 0 && socket.state() == QAbstractSocket::ConnectedState)
                socket.waitForBytesWritten(5000);
            if (socket.bytesAvailable() > 0 || socket.waitForReadyRead(1) ||
                socket.state() != QAbstractSocket::ConnectedState)
                break;
        }
        return readReply(socket);
    }

    static Reply readReply(QSslSocket& socket) {
        QByteArray received;
        Reply reply;
        for (int round = 0; round < 100; ++round) {
            received += socket.readAll();
            const qsizetype end = received.indexOf("\r\n\r\n");
            if (end >= 0) {
                const QList<QByteArray> lines = received.left(end).split('\n');
                reply.status = lines.first().split(' ').value(1).toInt();
                for (const QByteArray& line : lines.mid(1)) {
                    const qsizetype colon = line.indexOf(':');
                    reply.headers[line.left(colon).toLower()] = line.mid(colon + 1).trimmed();
                }
                const qsizetype length = reply.headers.value("content-length").toLongLong();
                if (received.size() >= end + 4 + length) {
                    reply.body = QJsonDocument::fromJson(received.mid(end + 4, length)).object();
                    return reply;
                }
            }
            if (!socket.waitForReadyRead(200) &&
                socket.state() != QAbstractSocket::ConnectedState && socket.bytesAvailable() == 0)
                break;
        }
        ADD_FAILURE() << "no whole answer";
        return reply;
    }

    QByteArray logOn(const char* user, const char* password) {
        const Reply reply = call("POST", wire::kSession,
                                 json({{"user", user}, {"password", password}, {"domain", ""}}));
        EXPECT_EQ(reply.status, 201);
        return reply.body.value(wire::kToken).toString().toLatin1();
    }

    static QByteArray json(const QJsonObject& object) {
        return QJsonDocument(object).toJson(QJsonDocument::Compact);
    }

    // The version of a state file, to compare without printing it.
    std::string file(const char* name) const {
        const auto content = server->files().read(QString::fromLatin1(name));
        return content ? StateFiles::versionOf(content).toStdString() : "missing";
    }

    QTemporaryDir dir;
    std::shared_ptr<EmbeddedServer> server;
    QSslCertificate certificate;
    QThread thread;
    QObject context;
    HttpService* service = nullptr;
    quint16 port = 0;
};

// A changed configuration: the first channel's id renamed.
std::string changed(const std::string& text, const char* id) {
    return WithAttribute(text, "//Channel[1]/@id", id);
}

TEST_F(ServiceTest, AReadOnlySessionReadsEverythingAndChangesNothing) {
    start();
    const QByteArray admin = logOn("admin", "trellis");
    ASSERT_EQ(
        call("PUT", "/v1/protocol-users/0", json({{"field", "password"}, {"value", "pw-0"}}), admin)
            .status,
        204);
    const QByteArray reader = logOn("operator", "operator");
    const Reply read = call("GET", wire::kConfiguration, {}, reader);
    ASSERT_EQ(read.status, 200);
    const std::string text = read.body.value(wire::kConfigurationField).toString().toStdString();
    const std::string config = file("config.xml");
    const std::string hosts = file("vellhosts.xml");
    const std::string users = file("protocol-users.json");
    const std::string permissions = file("channel-permissions.json");

    const struct {
        QByteArray method, path, body;
    } changes[] = {
        {"PUT", wire::kConfiguration,
         json({{wire::kConfigurationField, QString::fromStdString(changed(text, "Z9"))}})},
        {"POST", wire::kAttribute,
         json({{"element", "//Channel[1]"}, {"attribute", "id"}, {"value", "Z9"}, {"flag", true}})},
        {"PUT", wire::kRemoteHosts, json({{"content", "<RemoteHosts/>"}})},
        {"PUT", "/v1/protocol-users/0", json({{"field", "user"}, {"value", "intruder"}})},
        {"PUT", "/v1/channels/0/permissions", json({{"allowed", QJsonArray{"operator"}}})},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.path.toStdString());
        const Reply reply = call(change.method, change.path, change.body, reader,
                                 {{wire::kIfMatch, read.headers.value("etag")}});
        EXPECT_EQ(reply.status, 403);
        EXPECT_EQ(reply.body.value(wire::kHResult).toInt(), E_ACCESSDENIED);
    }
    EXPECT_EQ(file("config.xml"), config);
    EXPECT_EQ(file("vellhosts.xml"), hosts);
    EXPECT_EQ(file("protocol-users.json"), users);
    EXPECT_EQ(file("channel-permissions.json"), permissions);
    // Nor did the attribute change reach the running configuration.
    EXPECT_EQ(call("GET", wire::kConfiguration, {}, reader).body.value(wire::kConfigurationField),
              read.body.value(wire::kConfigurationField));
    EXPECT_EQ(call("GET", wire::kRemoteHosts, {}, reader).status, 200);
    EXPECT_EQ(call("GET", wire::kChannelStatus, {}, reader).status, 200);
    // A protocol user's password is shown only to those who may change it; compared as a
    // flag, so that a failure prints no password.
    const auto password = [&](const QByteArray& token) {
        return call("GET", wire::kProtocolUsers, {}, token)
            .body.value("channels")
            .toArray()
            .at(0)
            .toObject()
            .value("password")
            .toString();
    };
    EXPECT_TRUE(password(reader).isEmpty());
    EXPECT_TRUE(password(admin) == QStringLiteral("pw-0"));

    // The history is read, and its entries' configurations, but nothing more is added to it.
    const QJsonArray entries =
        call("GET", wire::kHistory, {}, reader).body.value("entries").toArray();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]["origin"].toString(), "default");
    const Reply entry = call("GET", QByteArray(wire::kHistory) + "/1", {}, reader);
    ASSERT_EQ(entry.status, 200);
    // Compared by their digests, so that a failure does not print the whole document.
    const QString stored = StateFiles::versionOf(server->files().read("config.xml"));
    EXPECT_EQ(
        StateFiles::versionOf(entry.body.value(wire::kConfigurationField).toString().toUtf8()),
        stored);
    EXPECT_EQ(entry.body.value("entry")["version"].toString(), stored);
    EXPECT_EQ(call("GET", QByteArray(wire::kHistory) + "/2", {}, reader).status, 404);
    EXPECT_EQ(call("GET", QByteArray(wire::kHistory) + "?count=-1", {}, reader).status, 400);
    EXPECT_EQ(call("DELETE", QByteArray(wire::kHistory) + "/1", {}, admin).status, 405);
}

TEST_F(ServiceTest, ForgedExpiredAndClosedTokensAndWrongPasswordsAreRefused) {
    start(std::chrono::seconds(1));
    const QByteArray token = logOn("admin", "trellis");
    EXPECT_EQ(call("GET", wire::kChannelStatus, {}, token).status, 200);
    QByteArray forged = token;
    forged[0] = forged[0] == 'A' ? 'B' : 'A';
    EXPECT_EQ(call("GET", wire::kChannelStatus, {}, forged).status, 401);
    EXPECT_EQ(call("GET", wire::kChannelStatus).status, 401);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(call("GET", wire::kChannelStatus, {}, token).status, 401);

    const QByteArray other = logOn("admin", "trellis");
    EXPECT_EQ(call("DELETE", wire::kSession, {}, other).status, 204);
    EXPECT_EQ(call("GET", wire::kChannelStatus, {}, other).status, 401);

    // A wrong password is refused after a delay and logged with the user and address; no
    // password or token reaches the log.
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(call("POST", wire::kSession,
                   json({{"user", "admin"}, {"password", "wrong-secret"}, {"domain", ""}}))
                  .status,
              401);
    EXPECT_GE(clock.elapsed(), 400);
    const QByteArray log = server->files().read("server.log").value_or(QByteArray());
    EXPECT_TRUE(log.contains("Log on refused for user 'admin' from 127.0.0.1"));
    EXPECT_FALSE(log.contains("wrong-secret") || log.contains("trellis\"") || log.contains(token) ||
                 log.contains(other));
    // The audit has the two logons and the refusal, each with the address.
    std::vector<AuditEvent> events;
    ASSERT_EQ(server->history().auditSince(QDateTime(), events), S_OK);
    std::vector<std::string> logons;
    for (const AuditEvent& event : events)
        logons.push_back(event.event + " " + event.outcome + " " + event.user + " " +
                         event.address);
    EXPECT_EQ(logons, (std::vector<std::string>{"logon accepted admin 127.0.0.1",
                                                "logon accepted admin 127.0.0.1",
                                                "logon refused admin 127.0.0.1"}));
    EXPECT_FALSE(
        server->files().read("history.sqlite").value_or(QByteArray()).contains("wrong-secret"));
}

TEST_F(ServiceTest, OlderTlsAndPlainHttpAreRefused) {
    start();
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    const QString curl = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (openssl.isEmpty() || curl.isEmpty())
        GTEST_SKIP() << "openssl or curl is not installed (scripts/setup installs them)";
    const auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(20000));
        return std::make_pair(process.exitCode(), process.readAllStandardOutput());
    };
    const QString address = QStringLiteral("127.0.0.1:%1").arg(port);
    // The same call over TLS 1.3 connects, so the refusals below are the version's.
    EXPECT_EQ(run(openssl, {"s_client", "-tls1_3", "-connect", address}).first, 0);
    EXPECT_NE(run(openssl, {"s_client", "-tls1_2", "-connect", address}).first, 0);
    const auto plain = run(curl, {"-s", "-m", "10", "http://" + address + wire::kChannelStatus});
    EXPECT_NE(plain.first, 0);
    EXPECT_FALSE(plain.second.contains("HTTP/"));
}

TEST_F(ServiceTest, OversizedAndMalformedBodiesAreRefusedAndTheServiceGoesOn) {
    start();
    const QByteArray token = logOn("admin", "trellis");
    const std::string config = file("config.xml");
    const Reply large = call("PUT", wire::kConfiguration, QByteArray(33 * 1024 * 1024, 'x'), token);
    EXPECT_EQ(large.status, 413);
    const Reply malformed = call("PUT", wire::kConfiguration, "{\"configuration\": ", token);
    EXPECT_EQ(malformed.status, 400);
    EXPECT_FALSE(malformed.body.value(wire::kError).toString().isEmpty());
    const Reply mistyped = call("PUT", wire::kConfiguration, json({{"configuration", 5}}), token);
    EXPECT_EQ(mistyped.status, 400);
    EXPECT_EQ(file("config.xml"), config);
    EXPECT_EQ(call("GET", wire::kChannelStatus, {}, token).status, 200);
}

TEST_F(ServiceTest, AChangeFromAStaleVersionIsRefusedEvenWhenAnotherServerObjectCommitted) {
    start();
    const QByteArray token = logOn("admin", "trellis");
    const Reply read = call("GET", wire::kConfiguration, {}, token);
    const std::string text = read.body.value(wire::kConfigurationField).toString().toStdString();
    // The touch-screen utility commits through its own server object on the same folder.
    EmbeddedServer other(dir.path());
    const ServerSession admin{"admin", "", true};
    ASSERT_EQ(other.commit(admin, changed(text, "OTHER")), S_OK);
    const std::string theirs = file("config.xml");

    const Reply stale =
        call("PUT", wire::kConfiguration,
             json({{wire::kConfigurationField, QString::fromStdString(changed(text, "MINE"))}}),
             token, {{wire::kIfMatch, read.headers.value("etag")}});
    EXPECT_EQ(stale.status, 412);
    EXPECT_EQ(StateFiles::versionOf(stale.body.value(wire::kConfigurationField).toString().toUtf8())
                  .toStdString(),
              theirs);
    EXPECT_EQ(file("config.xml"), theirs);

    const Reply hosts = call("GET", wire::kRemoteHosts, {}, token);
    EmbeddedRemoteHosts otherHosts(std::shared_ptr<EmbeddedServer>(&other, [](EmbeddedServer*) {}),
                                   std::make_shared<const ServerSession>(admin));
    ASSERT_EQ(
        otherHosts.WriteHostsFile("<RemoteHosts><Host hostName=\"a\" id=\"1\"/></RemoteHosts>"),
        S_OK);
    const std::string theirHosts = file("vellhosts.xml");
    EXPECT_EQ(call("PUT", wire::kRemoteHosts, json({{"content", "<RemoteHosts/>"}}), token,
                   {{wire::kIfMatch, hosts.headers.value("etag")}})
                  .status,
              412);
    EXPECT_EQ(file("vellhosts.xml"), theirHosts);
}

TEST_F(ServiceTest, ACommitRetriedWithItsIdempotencyKeyIsAppliedOnce) {
    start();
    const QByteArray token = logOn("admin", "trellis");
    const Reply read = call("GET", wire::kConfiguration, {}, token);
    const std::string text = read.body.value(wire::kConfigurationField).toString().toStdString();
    const QByteArray body =
        json({{wire::kConfigurationField, QString::fromStdString(changed(text, "MINE"))},
              {"report", "Channel 1 > Id: C1 -> MINE"}});
    const QList<QPair<QByteArray, QByteArray>> headers = {
        {wire::kIfMatch, read.headers.value("etag")}, {wire::kIdempotencyKey, "key-1"}};
    const Reply first = call("PUT", wire::kConfiguration, body, token, headers);
    ASSERT_EQ(first.status, 200);
    // The history names who committed, and from where.
    HistoryEntry newest;
    ASSERT_EQ(server->history().newest(newest), S_OK);
    EXPECT_EQ(newest.origin, "commit");
    EXPECT_EQ(newest.user, "admin");
    EXPECT_EQ(newest.address, "127.0.0.1");
    EXPECT_EQ(newest.report, "Channel 1 > Id: C1 -> MINE");
    // Another commit comes between: applying the retry again would overwrite it (or, from
    // its old version, be refused).
    EmbeddedServer other(dir.path());
    ASSERT_EQ(other.commit({"admin", "", true}, changed(text, "OTHER")), S_OK);
    const std::string theirs = file("config.xml");
    const Reply retry = call("PUT", wire::kConfiguration, body, token, headers);
    EXPECT_EQ(retry.status, 200);
    EXPECT_EQ(retry.headers.value("etag"), first.headers.value("etag"));
    EXPECT_EQ(file("config.xml"), theirs);
}

TEST(ServeCommandTest, ServesPrintsWhereAnswersTheToolOverTheNetworkAndStopsCleanly) {
    QTemporaryDir dir;
    QProcess serve;
    serve.start(TRELLIS_SERVER_TOOL, {"--dir", dir.path(), "serve", "--listen", "127.0.0.1:0"});
    const QRegularExpression line(
        QStringLiteral("^trellis-server: listening on 127\\.0\\.0\\.1:(\\d+), certificate SHA-256 "
                       "((?:[0-9A-F]{2}:){31}[0-9A-F]{2})$"));
    QRegularExpressionMatch match;
    for (int round = 0; round < 50 && !match.hasMatch(); ++round) {
        if (!serve.canReadLine())
            serve.waitForReadyRead(200);
        while (serve.canReadLine() && !match.hasMatch())
            match = line.match(QString::fromUtf8(serve.readLine()).trimmed());
    }
    ASSERT_TRUE(match.hasMatch()) << serve.readAllStandardError().toStdString();
    const quint16 port = match.captured(1).toUShort();

    // The fingerprint printed is the certificate's the service presents.
    QSslSocket socket;
    socket.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(socket.waitForEncrypted(5000)) << socket.errorString().toStdString();
    EXPECT_EQ(socket.sessionProtocol(), QSsl::TlsV1_3);
    EXPECT_EQ(socket.peerCertificate().digest(QCryptographicHash::Sha256).toHex(':').toUpper(),
              match.captured(2).toLatin1());
    socket.abort();
    const QFileInfo key(dir.filePath("service-key.pem"));
    EXPECT_EQ(key.permissions() & (QFile::ReadGroup | QFile::ReadOther), QFile::Permissions());

    const auto status = [&] {
        QProcess tool;
        tool.start(TRELLIS_SERVER_TOOL, {"--dir", dir.path(), "status"});
        tool.waitForFinished(10000);
        return QString::fromUtf8(tool.readAllStandardOutput()).split('\n').first();
    };
    EXPECT_EQ(status(), QStringLiteral(
                            "service: running (process %1) on 127.0.0.1:%2, certificate SHA-256 %3")
                            .arg(serve.processId())
                            .arg(port)
                            .arg(match.captured(2)));

    // The tool asks the running service over the network: an unknown host is not trusted
    // without a terminal to say yes on, a known one answers every channel's lights.
    QTemporaryDir home;
    const auto onHost = [&](const QString& password,
                            const QStringList& command = QStringList{"status"}) {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CONFIG_HOME", home.path());
        environment.insert("TRELLIS_PASSWORD", password);
        // Under the leak checker: OpenSSL sometimes keeps the random generator state of a
        // network thread when the process ends right after the thread did, as this short
        // command does; that is OpenSSL's, not the tool's.
        environment.insert("ASAN_OPTIONS",
                           environment.value("ASAN_OPTIONS") + QStringLiteral(":detect_leaks=0"));
        tool.setProcessEnvironment(environment);
        // No terminal, whoever runs the tests: a question is declined, not waited for.
        tool.setChildProcessModifier([] { setsid(); });
        tool.start(TRELLIS_SERVER_TOOL,
                   QStringList{"--host", QStringLiteral("127.0.0.1:%1").arg(port)} + command);
        tool.closeWriteChannel();
        tool.waitForFinished(10000);
        return std::make_pair(tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput() +
                                                                 tool.readAllStandardError()));
    };
    const auto [unknownStatus, unknown] = onHost("trellis");
    EXPECT_EQ(unknownStatus, 1);
    EXPECT_TRUE(unknown.contains(match.captured(2))) << unknown.toStdString();
    EXPECT_FALSE(unknown.contains("channel 1:"));
    QDir(home.path()).mkpath("trellis");
    QFile known(home.filePath("trellis/known_hosts"));
    ASSERT_TRUE(known.open(QIODevice::WriteOnly));
    known.write(QStringLiteral("127.0.0.1:%1 %2\n").arg(port).arg(match.captured(2)).toLatin1());
    known.close();
    const auto [refusedStatus, refused] = onHost("wrong");
    EXPECT_EQ(refusedStatus, 1);
    EXPECT_TRUE(refused.contains("the user name or password is not right"));
    const auto [answeredStatus, answered] = onHost("trellis");
    EXPECT_EQ(answeredStatus, 0);
    EXPECT_TRUE(answered.startsWith("channel 1: assetname= portstate=0")) << answered.toStdString();
    EXPECT_EQ(answered.count("channel "), 4);
    // The history, over the network as in the directory.
    const auto [historyStatus, history] = onHost("trellis", {"history", "--json"});
    EXPECT_EQ(historyStatus, 0) << history.toStdString();
    const QJsonArray entries = QJsonDocument::fromJson(history.toUtf8()).array();
    ASSERT_EQ(entries.size(), 1) << history.toStdString();
    EXPECT_EQ(entries[0]["origin"].toString(), "default");
    const auto [missingStatus, missing] = onHost("trellis", {"show", "2"});
    EXPECT_EQ(missingStatus, 1);
    EXPECT_EQ(missing, "trellis-server: the history has no entry 2.\n");
    const auto [exportStatus, exported] =
        onHost("trellis", {"export", "1", dir.filePath("exported.xml")});
    EXPECT_EQ(exportStatus, 0) << exported.toStdString();
    const StateFiles files(dir.path());
    EXPECT_EQ(StateFiles::versionOf(files.read("exported.xml")),
              StateFiles::versionOf(files.read("config.xml")));

    serve.terminate();
    ASSERT_TRUE(serve.waitForFinished(10000));
    EXPECT_EQ(serve.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(serve.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("service.json")));
    EXPECT_EQ(status(), QStringLiteral("service: not running"));
}

} // namespace
