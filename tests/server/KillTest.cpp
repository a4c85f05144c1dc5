// A process that saves and commits configurations is killed at random moments, a few
// hundred times; after each kill every state file and the saved file is whole, old or new,
// and the next start of the server works.

#include "KilledState.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

constexpr int kKills = 200;

bool writeFile(const QString& path, const std::string& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size());
}

} // namespace

TEST(KillTest, AKilledSaveOrCommitLeavesEveryFileWholeAndTheNextStartWorks) {
    QTemporaryDir dir;
    const QString state = dir.filePath(QStringLiteral("state"));
    const QString saved = dir.filePath(QStringLiteral("saved.xml"));
    const std::vector<std::string>& standards = ReferenceStandards();
    ASSERT_GE(standards.size(), 2u);
    const std::string first = DefaultConfigurationText(standards[0]);
    const std::string second = DefaultConfigurationText(standards[1]);
    ASSERT_TRUE(writeFile(dir.filePath("first.xml"), first));
    ASSERT_TRUE(writeFile(dir.filePath("second.xml"), second));

    std::string initial;
    ASSERT_EQ(EmbeddedServer(state).configuration(initial), S_OK);
    // What a whole configuration file may hold: the first server's, or either version.
    const std::set<std::string> wholeConfigurations = {NormalizedXml(initial), NormalizedXml(first),
                                                       NormalizedXml(second)};
    const std::set<QByteArray> wholeSaved = {QByteArray::fromStdString(NormalizedXml(first)),
                                             QByteArray::fromStdString(NormalizedXml(second))};

    std::mt19937 random(20261207);
    int killedMidRound = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        QProcess worker;
        worker.start(KILL_WORKER,
                     {state, saved, dir.filePath("first.xml"), dir.filePath("second.xml")});
        ASSERT_TRUE(worker.waitForStarted());
        // Half the kills come as it starts, half after it has done some rounds. A round
        // takes milliseconds, and a start after a kill left a lock behind a second more;
        // the wait is generous because other tests may share the machine's cores.
        if (random() % 2 == 1) {
            QByteArray said;
            const QDeadlineTimer patience(30000);
            while (!said.contains("round") && !patience.hasExpired() &&
                   worker.waitForReadyRead(static_cast<int>(patience.remainingTime())))
                said += worker.readAllStandardOutput();
            ASSERT_TRUE(said.contains("round"))
                << "kill " << kill
                << (worker.state() == QProcess::NotRunning
                        ? ": the worker ended before its first round, exit code " +
                              std::to_string(worker.exitCode())
                        : std::string(": the worker did nothing in 30 s"))
                << "; it said: " << worker.readAllStandardError().toStdString();
            ++killedMidRound;
        }
        QThread::usleep(static_cast<unsigned long>(random() % 20000));
        worker.kill();
        ASSERT_TRUE(worker.waitForFinished(10000));
        ASSERT_EQ(worker.exitStatus(), QProcess::CrashExit)
            << "kill " << kill
            << ": the worker ended by itself: " << worker.readAllStandardError().toStdString();

        // The saved file, once there, is one version, byte for byte.
        if (QFile::exists(saved)) {
            EXPECT_TRUE(wholeSaved.count(ReadWholeFile(saved)))
                << "kill " << kill << ": the saved file is torn";
        }
        ExpectWholeAfterKill(state, wholeConfigurations, kill);
        if (HasFailure())
            break;
    }
    EXPECT_GT(killedMidRound, kKills / 4);
}
