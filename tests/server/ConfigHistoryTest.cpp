#include "server/embedded/ConfigHistory.h"
#include "DocumentEdits.h"
#include "KilledState.h"
#include "server/IConnection.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"
#include "server/embedded/EmbeddedServices.h"
#include "server/embedded/RemoteHostsFile.h"
#include "support/ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

namespace {

class ConfigHistoryTest : public ::testing::Test {
protected:
    QByteArray read(const QString& name) { return ReadWholeFile(dir.filePath(name)); }
    void write(const QString& name, const QByteArray& content) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    std::vector<HistoryEntry> entries(EmbeddedServer& server) {
        std::vector<HistoryEntry> found;
        EXPECT_EQ(server.history().ListHistory(0, 1000, found), S_OK);
        return found;
    }
    // A history of its own over the directory, keeping what the retention keeps.
    std::unique_ptr<ConfigHistory> history(HistoryRetention retention = {}) {
        return std::make_unique<ConfigHistory>(
            dir.path(), [this](HRESULT, const std::string& text) { told.push_back(text); },
            retention);
    }
    qint64 recordAt(ConfigHistory& history, const QDateTime& time, const QByteArray& document) {
        HistoryEntry entry{.time = time, .origin = HistoryEntry::kCommit, .user = "admin"};
        EXPECT_EQ(history.record(entry, document), S_OK);
        return entry.id;
    }

    QTemporaryDir dir;
    std::vector<std::string> told;
};

} // namespace

TEST_F(ConfigHistoryTest, TheDefaultACommitAFileChangedBehindTheServerAndARestoreEachAddOneEntry) {
    EmbeddedServer server(dir.path());
    std::string text;
    ASSERT_EQ(server.configuration(text), S_OK);
    const std::string committed = WithChannelLooping(text, 1);
    ServerSession session{"admin", "", true};
    session.address = "192.0.2.7";
    ASSERT_EQ(server.commit(session, committed), S_OK);
    // Another program writes config.xml; the server finds it at its next read.
    const std::string behind = WithChannelLooping(committed, 0);
    write("config.xml", QByteArray::fromStdString(behind));
    ASSERT_EQ(server.configuration(text), S_OK);
    // Read again without a change: nothing more is added.
    ASSERT_EQ(server.configuration(text), S_OK);
    // A Restore of defaults commits the default again: kept as the default, with its user.
    ASSERT_EQ(server.commit(session, DefaultConfigurationText("Format625_25Hz_2To1"), nullptr,
                            std::nullopt, nullptr, "Restored"),
              S_OK);

    std::vector<HistoryEntry> found = entries(server);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].origin, "default");
    EXPECT_EQ(found[0].user, "admin");
    EXPECT_EQ(found[0].address, "192.0.2.7");
    EXPECT_EQ(found[0].report, "Restored");
    found.erase(found.begin());
    EXPECT_EQ(found[0].origin, "found");
    EXPECT_EQ(found[0].user, "");
    EXPECT_EQ(found[1].origin, "commit");
    EXPECT_EQ(found[1].user, "admin");
    EXPECT_EQ(found[1].address, "192.0.2.7");
    EXPECT_EQ(found[1].restarted, std::vector<int>{1});
    // No report came with the commit: the server's plain difference stands in.
    EXPECT_EQ(HistorySummary(found[1]), "1 change in the document");
    EXPECT_NE(found[1].report.find("/@loop: \"false\" -> \"true\""), std::string::npos)
        << found[1].report;
    EXPECT_EQ(found[2].origin, "default");
    EXPECT_EQ(found[2].address, "local");
    EXPECT_GT(found[0].id, found[1].id);
    EXPECT_LE(found[1].time.secsTo(QDateTime::currentDateTimeUtc()), 60);

    // Each entry gives back the very document that was stored.
    HistoryEntry entry;
    std::string document;
    ASSERT_EQ(server.history().GetHistoryEntry(found[1].id, entry, document), S_OK);
    EXPECT_EQ(document, committed);
    ASSERT_EQ(server.history().GetHistoryEntry(found[0].id, entry, document), S_OK);
    EXPECT_EQ(document, behind);
    EXPECT_EQ(
        server.history().GetHistoryEntry(found[0].id + 2, entry, document), // past the restore
        HRESULT_NOT_FOUND);
}

TEST_F(ConfigHistoryTest, TwoServersCommittingAtOnceGiveEveryEntryInTheOrderStored) {
    std::string text;
    ASSERT_EQ(EmbeddedServer(dir.path()).configuration(text), S_OK);
    const ServerSession admin{"admin", "", true};
    constexpr int kRounds = 10;
    auto commits = [&](int channel) {
        EmbeddedServer server(dir.path());
        for (int round = 0; round < kRounds; ++round)
            ASSERT_EQ(
                server.commit(admin, WithChannelLooping(text, channel) + std::string(round, ' ')),
                S_OK);
    };
    std::thread first(commits, 0);
    std::thread second(commits, 1);
    first.join();
    second.join();

    EmbeddedServer reader(dir.path());
    const std::vector<HistoryEntry> found = entries(reader);
    ASSERT_EQ(found.size(), 1u + 2 * kRounds);
    // The newest entry is what config.xml holds: the last commit stored is the last recorded.
    EXPECT_EQ(found.front().version, StateFiles::versionOf(read("config.xml")));
    for (std::size_t i = 1; i < found.size(); ++i)
        EXPECT_GT(found[i - 1].id, found[i].id);
}

TEST_F(ConfigHistoryTest, RetentionPrunesOnlyWhatItShould) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    {
        // By age: the newest entry stays however old it is.
        auto byAge = history({.days = 30, .entries = 0});
        recordAt(*byAge, now.addDays(-400), "a");
        qint64 count = 0;
        ASSERT_EQ(byAge->count(count), S_OK);
        EXPECT_EQ(count, 1);
        recordAt(*byAge, now.addDays(-29), "b");
        const qint64 last = recordAt(*byAge, now, "c");
        std::vector<HistoryEntry> kept;
        ASSERT_EQ(byAge->ListHistory(0, 100, kept), S_OK);
        ASSERT_EQ(kept.size(), 2u);
        EXPECT_EQ(kept[0].id, last);
        EXPECT_EQ(kept[1].time.date(), now.addDays(-29).date());
    }
    {
        // By count, over the same database: the newest three stay; ids are never given again.
        auto byCount = history({.days = 0, .entries = 3});
        qint64 last = 0;
        for (int i = 0; i < 4; ++i)
            last = recordAt(*byCount, now.addDays(-1000), QByteArray::number(i));
        std::vector<HistoryEntry> kept;
        ASSERT_EQ(byCount->ListHistory(0, 100, kept), S_OK);
        ASSERT_EQ(kept.size(), 3u);
        EXPECT_EQ(kept[0].id, last);
        EXPECT_EQ(kept[2].id, last - 2);
        EXPECT_GT(last, 3);
    }
    EXPECT_TRUE(told.empty()) << told.front();
}

TEST_F(ConfigHistoryTest, ListsAPageAtATimeNewestFirst) {
    auto all = history();
    for (int i = 0; i < 10; ++i)
        recordAt(*all, QDateTime(), QByteArray::number(i));
    std::vector<HistoryEntry> page;
    ASSERT_EQ(all->ListHistory(0, 4, page), S_OK);
    ASSERT_EQ(page.size(), 4u);
    EXPECT_EQ(page.front().id, 10);
    EXPECT_EQ(page.back().id, 7);
    ASSERT_EQ(all->ListHistory(page.back().id, 4, page), S_OK);
    ASSERT_EQ(page.size(), 4u);
    EXPECT_EQ(page.front().id, 6);
    ASSERT_EQ(all->ListHistory(2, 4, page), S_OK);
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page.front().id, 1);
}

TEST_F(ConfigHistoryTest, ACorruptDatabaseIsKeptAsideAndTheCommitStillRecorded) {
    const QByteArray garbage(8192, 'x');
    write(ConfigHistory::kFileName, garbage);
    EmbeddedServer server(dir.path());
    std::string text;
    ASSERT_EQ(server.configuration(text), S_OK);
    ASSERT_EQ(server.commit({"admin", "", true}, WithChannelLooping(text, 2)), S_OK);

    const std::optional<QString> keptAs = server.history().keptAside();
    ASSERT_TRUE(keptAs);
    EXPECT_TRUE(keptAs->startsWith("history.corrupt-")) << keptAs->toStdString();
    EXPECT_EQ(read(*keptAs), garbage);
    const std::vector<HistoryEntry> found = entries(server);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].origin, "commit");
    const QString log = QString::fromUtf8(read("server.log"));
    EXPECT_TRUE(log.contains("The history database was corrupt: it is kept as " + *keptAs +
                             " and a new history is started."))
        << log.toStdString();
}

TEST_F(ConfigHistoryTest, AHistoryThatCannotBeWrittenNeverStopsACommitAndIsLogged) {
    // A folder where the database should be: SQLite cannot open it.
    ASSERT_TRUE(QDir(dir.path()).mkdir(ConfigHistory::kFileName));
    EmbeddedServer server(dir.path());
    std::string text;
    ASSERT_EQ(server.configuration(text), S_OK);
    const std::string committed = WithChannelLooping(text, 3);
    ASSERT_EQ(server.commit({"admin", "", true}, committed), S_OK);
    EXPECT_EQ(read("config.xml").toStdString(), committed);

    std::vector<HistoryEntry> found;
    EXPECT_TRUE(FAILED(server.history().ListHistory(0, 100, found)));
    EXPECT_TRUE(found.empty());
    const QString log = QString::fromUtf8(read("server.log"));
    EXPECT_TRUE(log.contains("The history database " + dir.filePath("history.sqlite") +
                             " could not be opened"))
        << log.toStdString();
}

TEST(HistoryRetention, TakesWholeNumbersFromTheEnvironmentAndNamesAnythingElse) {
    std::vector<std::string> refusals;
    HistoryRetention retention;
    {
        const ScopedEnv days("TRELLIS_HISTORY_DAYS", "30");
        const ScopedEnv entries("TRELLIS_HISTORY_ENTRIES", "ten");
        retention = HistoryRetention::fromEnvironment(&refusals);
    }
    EXPECT_EQ(retention.days, 30);
    EXPECT_EQ(retention.entries, 0);
    EXPECT_EQ(refusals, std::vector<std::string>{"TRELLIS_HISTORY_ENTRIES=\"ten\" is not a whole "
                                                 "number from 0; the history keeps its default"});
    EXPECT_EQ(HistoryRetention::fromEnvironment().days, 365);
}

TEST_F(ConfigHistoryTest, TheToolListsShowsComparesAndExportsEntries) {
    const auto tool = [&](const QStringList& arguments, int expected = 0) {
        QProcess process;
        process.start(TRELLIS_SERVER_TOOL, QStringList{"--dir", dir.path()} + arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), expected) << arguments.join(' ').toStdString();
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    };
    std::string text;
    {
        EmbeddedServer server(dir.path());
        ASSERT_EQ(server.configuration(text), S_OK);
        ASSERT_EQ(server.commit({"admin", "", true}, WithChannelLooping(text, 1)), S_OK);
    }
    const QJsonArray listed = QJsonDocument::fromJson(tool({"history", "--json"}).toUtf8()).array();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[0]["origin"].toString(), "commit");
    EXPECT_EQ(listed[0]["user"].toString(), "admin");
    EXPECT_EQ(listed[0]["restartedChannelIndexes"].toArray(), QJsonArray{1});
    EXPECT_EQ(tool({"history", "--count", "1"}).count('\n'), 1);
    EXPECT_TRUE(tool({"status"}).contains("history: 2 entries, the newest 2 of "));

    EXPECT_EQ(tool({"diff", "1", "2"}), "/Config[1]/Channel[@id=\"C2\"]/@loop: \"false\" -> "
                                        "\"true\"\n");
    EXPECT_EQ(tool({"diff", "2", "2"}), "Entries 2 and 2 hold the same configuration.\n");
    ASSERT_EQ(tool({"export", "1", dir.filePath("first.xml")}), "");
    EXPECT_EQ(read("first.xml").toStdString(), text);
    EXPECT_EQ(tool({"show", "3"}, 1), "trellis-server: the history has no entry 3.\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("none.xml")));
    tool({"export", "3", dir.filePath("none.xml")}, 1);
    EXPECT_FALSE(QFile::exists(dir.filePath("none.xml")));
}

TEST_F(ConfigHistoryTest, TheAuditKeepsLogonsAndChangesAcceptedOrNotButNeverAPassword) {
    EmbeddedServiceFactory factory(dir.path());
    const std::shared_ptr<IConnection> connection = factory.CreateConnection();
    ASSERT_EQ(connection->SetHost("localhost"), S_OK);
    ASSERT_EQ(connection->LogOn("admin", "not the password", "", false), S_OK);
    ASSERT_EQ(connection->LogOn("operator", "operator", "", false), S_OK);

    const std::shared_ptr<EmbeddedServer> server = EmbeddedServer::forDirectory(dir.path());
    std::string text;
    QString version;
    ASSERT_EQ(server->configuration(text, &version), S_OK);
    const ServerSession admin{"admin", "", true};
    ServerSession reader{"operator", "", false};
    reader.address = "192.0.2.9";
    EXPECT_EQ(server->commit(reader, text), E_ACCESSDENIED);
    ASSERT_EQ(server->commit(admin, WithChannelLooping(text, 0), nullptr, version), S_OK);
    EXPECT_EQ(server->commit(admin, WithChannelLooping(text, 1), nullptr, version),
              E_CHANGED_STATE);
    ASSERT_EQ(server->setProtocolUser(admin, 1, "password", "s3cret-Pa55"), S_OK);
    EXPECT_EQ(server->setProtocolUser(reader, 1, "user", "ingest"), E_ACCESSDENIED);
    const std::string hosts = "<?xml version=\"1.0\"?>\n<RemoteHosts><Host/></RemoteHosts>\n";
    EmbeddedRemoteHosts asReader(server, std::make_shared<ServerSession>(reader));
    EmbeddedRemoteHosts asAdmin(server, std::make_shared<ServerSession>(admin));
    EXPECT_EQ(asReader.WriteHostsFile(hosts), E_ACCESSDENIED);
    EXPECT_EQ(asAdmin.WriteHostsFile(hosts), S_OK);
    // The same bytes again, as the sheet writes them with every commit: nothing to audit.
    EXPECT_EQ(asAdmin.WriteHostsFile(hosts), S_OK);

    std::vector<AuditEvent> events;
    ASSERT_EQ(server->history().auditSince(QDateTime(), events), S_OK);
    std::vector<std::string> lines;
    for (const AuditEvent& event : events)
        lines.push_back(event.event + " " + event.outcome + " " + event.user + " " + event.address +
                        " " + event.detail);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "logon refused admin local ",
                         "logon accepted operator local read only",
                         "commit refused operator 192.0.2.9 the user may not change the "
                         "configuration",
                         "commit accepted admin local ",
                         "commit refused admin local the configuration was changed since it "
                         "was read",
                         "protocol-user accepted admin local the protocol user password of "
                         "channel 2",
                         "protocol-user refused operator 192.0.2.9 the protocol user name of "
                         "channel 2: 'ingest'",
                         "remote-hosts refused operator 192.0.2.9 the user may not change the "
                         "remote hosts",
                         "remote-hosts accepted admin local 57 bytes stored",
                     }));
    // A later time leaves the earlier events out.
    ASSERT_EQ(server->history().auditSince(QDateTime::currentDateTimeUtc().addSecs(60), events),
              S_OK);
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(read(ConfigHistory::kFileName).contains("s3cret-Pa55"));
}
