// One of two processes that change one state directory at the same time, for the
// concurrency test. Worker W owns channel W's fields and protocol user, and commits the
// base configuration with channel 2+W marked by the round. Each round it first checks that
// what it set in the round before is still there (nobody else writes it) and that its last
// commit's restart is still recorded. Usage: state_stress_worker DIR BASE.xml WORKER ROUNDS.

#include "platform/XmlDocument.h"
#include "server/embedded/EmbeddedServer.h"

#include <QFile>
#include <QJsonArray>

#include <cstdio>
#include <string>

namespace {

constexpr int kRestartMs = 600000;

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 5)
        return 2;
    QFile baseFile(QString::fromLocal8Bit(argv[2]));
    if (!baseFile.open(QIODevice::ReadOnly))
        return 2;
    const std::string base = baseFile.readAll().toStdString();
    const int worker = std::atoi(argv[3]);
    const int rounds = std::atoi(argv[4]);
    const int own = worker;
    const int committed = 2 + worker;
    const auto tag = [&](int round) {
        return std::to_string(worker) + ":" + std::to_string(round);
    };

    EmbeddedServer server(QString::fromLocal8Bit(argv[1]));
    server.setRestartDelay(kRestartMs);
    const ServerSession session{"worker-" + std::to_string(worker), "", true};
    int faults = 0;
    const auto fault = [&](const std::string& what) {
        ++faults;
        std::fprintf(stderr, "worker %d: %s\n", worker, what.c_str());
    };

    qint64 offlineAtLeast = 0;
    for (int round = 0; round < rounds; ++round) {
        if (round > 0) {
            Variant asset;
            server.channelStatus(own, "assetname", asset);
            std::string user;
            server.protocolUser(own, "user", user);
            const qint64 until = server.files()
                                     .readJson("channels.json")
                                     .value("channels")
                                     .toArray()
                                     .at(committed)
                                     .toObject()
                                     .value("offlineUntil")
                                     .toInteger();
            if (asset.toText() != tag(round - 1))
                fault("round " + std::to_string(round) + ": asset name lost, found " +
                      asset.toText());
            if (user != tag(round - 1))
                fault("round " + std::to_string(round) + ": protocol user lost, found " + user);
            if (until < offlineAtLeast)
                fault("round " + std::to_string(round) + ": restart of channel " +
                      std::to_string(committed) + " lost");
        }
        if (FAILED(server.setChannelStatus(own, "assetname", QString::fromStdString(tag(round)))) ||
            FAILED(server.setProtocolUser(session, own, "user", tag(round))))
            fault("round " + std::to_string(round) + ": a change failed");

        XmlDocument document;
        document.loadXml(base);
        document.documentNode()
            .selectSingleNode("/Config/Channel[@channelIndex=\"" + std::to_string(committed) +
                              "\"]/@round")
            .setValue(tag(round));
        offlineAtLeast = QDateTime::currentMSecsSinceEpoch() + kRestartMs;
        if (FAILED(server.commit(session, document.xml())))
            fault("round " + std::to_string(round) + ": the commit failed");
        if (round % 10 == 0 &&
            FAILED(server.accounts().setAccount(QString::fromStdString("w" + tag(round)),
                                                QStringLiteral("stress"), QString(), {})))
            fault("round " + std::to_string(round) + ": the account could not be added");
    }
    return faults == 0 ? 0 : 1;
}
