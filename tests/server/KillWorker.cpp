// Saves a configuration and commits it through the stand-in server, round after round,
// alternating between two configurations, and changes a channel's status and protocol user
// each round; says after each round that it is done. The kill test stops it with SIGKILL
// at random moments. Usage: kill_worker STATE-DIR SAVED-FILE FIRST.xml SECOND.xml

#include "platform/XmlDocument.h"
#include "server/embedded/EmbeddedServer.h"

#include <QFile>

#include <cstdio>
#include <string>

namespace {

bool readText(const char* path, std::string& text) {
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text = file.readAll().toStdString();
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 5)
        return 2;
    std::string versions[2];
    if (!readText(argv[3], versions[0]) || !readText(argv[4], versions[1]))
        return 2;
    EmbeddedServer server(QString::fromLocal8Bit(argv[1]));
    const QString saved = QString::fromLocal8Bit(argv[2]);
    const ServerSession session{"admin", "", true};
    for (int round = 0;; ++round) {
        const std::string& text = versions[round % 2];
        XmlDocument document;
        if (document.loadXml(text) != S_OK || FAILED(document.save(saved)))
            return 1;
        if (FAILED(server.commit(session, text)))
            return 1;
        const int channel = round % 4;
        if (FAILED(server.setChannelStatus(channel, QStringLiteral("assetname"),
                                           QStringLiteral("clip %1").arg(round))) ||
            FAILED(
                server.setProtocolUser(session, channel, "user", "user" + std::to_string(round))))
            return 1;
        std::printf("round %d\n", round);
        std::fflush(stdout);
    }
}
