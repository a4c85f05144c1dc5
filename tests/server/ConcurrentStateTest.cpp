#include "platform/XmlDocument.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kRounds = 30;
constexpr int kWorkers = 2;

std::string roundOf(const XmlDocument& document, int channel) {
    return document.documentNode()
        .selectSingleNode("/Config/Channel[@channelIndex=\"" + std::to_string(channel) +
                          "\"]/@round")
        .value();
}

// Worker W's commit changes channel 2+W, and the other worker's channel too when the commit
// before was the other worker's: that one set its own mark, which this one does not carry.
std::string expectedCommitEntry(int worker, int previousWorker) {
    std::vector<int> changed{2 + worker};
    if (previousWorker == 1 - worker)
        changed.push_back(3 - worker);
    std::sort(changed.begin(), changed.end());
    std::string entry = "Commit by user 'worker-" + std::to_string(worker) + "': changed";
    for (const int channel : changed)
        entry += std::string(channel == changed.front() ? " " : ", ") + "channel index " +
                 std::to_string(channel) + " (id 'C" + std::to_string(channel + 1) + "')";
    return entry;
}

} // namespace

// Two processes change channel states, protocol users and accounts and commit
// configurations at the same time over one directory: nothing either did is lost.
TEST(ConcurrentState, TwoProcessesLoseNoChange) {
    QTemporaryDir dir;
    XmlDocument base;
    base.loadXml(DefaultConfigurationText(ReferenceStandards()[0]));
    for (int channel = 2; channel < 4; ++channel)
        base.documentNode()
            .selectSingleNode("/Config/Channel[@channelIndex=\"" + std::to_string(channel) + "\"]")
            .setAttribute("round", "base");
    ASSERT_EQ(EmbeddedServer(dir.path()).commit({"test", "", true}, base.xml()), S_OK);
    const QString basePath = dir.filePath("base.xml");
    ASSERT_EQ(base.save(basePath), S_OK);

    std::vector<std::unique_ptr<QProcess>> workers;
    for (int worker = 0; worker < kWorkers; ++worker) {
        workers.push_back(std::make_unique<QProcess>());
        workers.back()->start(STATE_STRESS_WORKER, {dir.path(), basePath, QString::number(worker),
                                                    QString::number(kRounds)});
        ASSERT_TRUE(workers.back()->waitForStarted());
    }
    // Meanwhile config.xml is always one whole committed document.
    int reads = 0;
    while (std::any_of(workers.begin(), workers.end(), [](const auto& worker) {
        worker->waitForFinished(1);
        return worker->state() != QProcess::NotRunning;
    })) {
        XmlDocument stored;
        QFile file(dir.filePath("config.xml"));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        ASSERT_EQ(stored.loadXml(file.readAll().toStdString()), S_OK);
        EXPECT_FALSE(roundOf(stored, 2).empty());
        EXPECT_FALSE(roundOf(stored, 3).empty());
        ++reads;
    }
    EXPECT_GT(reads, 0);
    for (auto& worker : workers) {
        EXPECT_EQ(worker->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(worker->exitCode(), 0) << worker->readAllStandardError().toStdString();
    }

    EmbeddedServer server(dir.path());
    const auto accounts = server.accounts().list();
    for (int worker = 0; worker < kWorkers; ++worker) {
        const std::string last = std::to_string(worker) + ":" + std::to_string(kRounds - 1);
        Variant value;
        server.channelStatus(worker, "assetname", value);
        EXPECT_EQ(value.toText(), last);
        std::string user;
        server.protocolUser(worker, "user", user);
        EXPECT_EQ(user, last);
        server.channelStatus(2 + worker, "channelOffline", value);
        EXPECT_EQ(value, Variant(true));
        for (int round = 0; round < kRounds; round += 10) {
            const QString name = QString("w%1:%2").arg(worker).arg(round);
            EXPECT_TRUE(std::any_of(accounts.begin(), accounts.end(), [&](const Account& account) {
                return account.user == name;
            })) << name.toStdString();
        }
    }

    // Every commit is in the log, in order, with the channels it changed on disk.
    const QList<QByteArray> lines = server.files().read("server.log")->split('\n');
    int previous = -1;
    int commits = 0;
    for (const QByteArray& line : lines) {
        const qsizetype at = line.indexOf("Commit by user 'worker-");
        if (at < 0)
            continue;
        const int worker = line.at(at + 23) - '0';
        EXPECT_EQ(line.mid(at).toStdString(), expectedCommitEntry(worker, previous));
        previous = worker;
        ++commits;
    }
    EXPECT_EQ(commits, kWorkers * kRounds);

    // The last commit is what is stored.
    std::string text;
    server.configuration(text);
    XmlDocument stored;
    stored.loadXml(text);
    ASSERT_GE(previous, 0);
    EXPECT_EQ(roundOf(stored, 2 + previous),
              std::to_string(previous) + ":" + std::to_string(kRounds - 1));
    EXPECT_EQ(roundOf(stored, 3 - previous), "base");
}
