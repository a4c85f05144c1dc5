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

// Says on stderr which step failed, so that the test can show it.
int failed(const char* step, HRESULT hr, int round) {
    std::fprintf(stderr, "round %d: %s failed: 0x%08x\n", round, step, static_cast<unsigned>(hr));
    return 1;
}

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
        HRESULT hr = document.loadXml(text);
        if (hr != S_OK)
            return failed("load", hr, round);
        if (FAILED(hr = document.save(saved)))
            return failed("save", hr, round);
        if (FAILED(hr = server.commit(session, text)))
            return failed("commit", hr, round);
        const int channel = round % 4;
        if (FAILED(hr = server.setChannelStatus(channel, QStringLiteral("assetname"),
                                                QStringLiteral("clip %1").arg(round))))
            return failed("channel status", hr, round);
        if (FAILED(hr = server.setProtocolUser(session, channel, "user",
                                               "user" + std::to_string(round))))
            return failed("protocol user", hr, round);
        std::printf("round %d\n", round);
        std::fflush(stdout);
    }
}
