#include "DocumentEdits.h"
#include "platform/XmlDocument.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"
#include "support/ScopedEnv.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <thread>

namespace {

const ServerSession kAdmin{"admin", "", true};

class CommittedConfigurationTest : public ::testing::Test {
protected:
    void writeConfig(const QByteArray& content) {
        QFile file(dir.filePath("config.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content);
    }
    QByteArray read(const QString& name) {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QStringList rejectedFiles() {
        return QDir(dir.path()).entryList({"config.rejected-*.xml"}, QDir::Files, QDir::Name);
    }
    bool offline(EmbeddedServer& server, int channel) {
        Variant value;
        server.channelStatus(channel, "channelOffline", value);
        return value == Variant(true);
    }

    QTemporaryDir dir;
    const std::string defaultText = Canonical(DefaultConfigurationText(ReferenceStandards()[0]));
};

} // namespace

TEST_F(CommittedConfigurationTest, AStoredFileItCannotHoldIsKeptAsideAndTheDefaultServed) {
    const QByteArray unusable = "<Config><Channel channelIndex=\"7\" id=\"C1\"/></Config>";
    writeConfig(unusable);
    EmbeddedServer server(dir.path());
    std::string text;
    ASSERT_EQ(server.configuration(text), S_OK);
    EXPECT_TRUE(text == defaultText);
    EXPECT_TRUE(read("config.xml").toStdString() == defaultText);
    ASSERT_EQ(rejectedFiles().size(), 1);
    const QString keptAs = rejectedFiles()[0];
    EXPECT_TRUE(
        QRegularExpression("^config\\.rejected-\\d{8}T\\d{6}Z\\.xml$").match(keptAs).hasMatch())
        << keptAs.toStdString();
    EXPECT_EQ(read(keptAs), unusable);
    const QString log = QString::fromUtf8(read("server.log"));
    EXPECT_TRUE(log.contains("channelIndex '7'")) << log.toStdString();
    EXPECT_TRUE(log.contains(keptAs)) << log.toStdString();

    const auto rejected = server.rejectedConfiguration();
    ASSERT_TRUE(rejected);
    EXPECT_EQ(rejected->keptAs, keptAs);
    EXPECT_NE(rejected->reason.find("channelIndex '7'"), std::string::npos);
    EXPECT_LE(rejected->time.secsTo(QDateTime::currentDateTimeUtc()), 60);

    // Another one, in the same second or not, never replaces the first.
    writeConfig("<Config><Channel");
    ASSERT_EQ(server.configuration(text), S_OK);
    ASSERT_EQ(rejectedFiles().size(), 2);
    EXPECT_EQ(read(keptAs), unusable);
    EXPECT_NE(server.rejectedConfiguration()->reason.find("not well-formed"), std::string::npos);

    // A commit ends the situation; the files aside stay.
    ASSERT_EQ(server.commit(kAdmin, WithChannelLooping(text, 0)), S_OK);
    EXPECT_FALSE(server.rejectedConfiguration());
    EXPECT_EQ(rejectedFiles().size(), 2);
}

TEST_F(CommittedConfigurationTest, StoredFilesOfAnyServableShapeAreServedAsTheyAre) {
    const std::string odd =
        "<Config><System><SystemVideoReference referenceStandard=\"Format1080_25Hz_2To1\"/>"
        "</System><Channel channelIndex=\"3\" channelType=\"Camera\"><Video>"
        "<VideoInputComponent id=\"missing\"/></Video></Channel>"
        "<Channel channelIndex=\"0\" id=\"X\"/></Config>";
    writeConfig(QByteArray::fromStdString(odd));
    EmbeddedServer server(dir.path());
    std::string text;
    ASSERT_EQ(server.configuration(text), S_OK);
    EXPECT_TRUE(text == Canonical(odd));
    EXPECT_TRUE(rejectedFiles().isEmpty());
    EXPECT_FALSE(server.rejectedConfiguration());
    EXPECT_FALSE(read("server.log").contains("not usable"));
}

TEST_F(CommittedConfigurationTest, AnotherProcessCommitIsSeenAndCommitsCompareWithTheDisk) {
    EmbeddedServer first(dir.path());
    EmbeddedServer second(dir.path()); // as another process over the same directory
    first.setRestartDelay(60000);
    second.setRestartDelay(60000);
    std::string original;
    ASSERT_EQ(second.configuration(original), S_OK);

    const std::string changed = WithChannelLooping(original, 1);
    ASSERT_EQ(first.commit(kAdmin, changed), S_OK);
    std::string seen;
    second.configuration(seen);
    EXPECT_TRUE(seen == changed);

    // A live change lasts until the committed file changes underneath.
    ASSERT_EQ(second.attributeChange(kAdmin, "./Config/System/TimeOfDay", "timeOfDaySource", "Ltc"),
              S_OK);
    second.configuration(seen);
    EXPECT_NE(seen.find("timeOfDaySource=\"Ltc\""), std::string::npos);
    const std::string changedAgain = WithChannelLooping(changed, 2);
    ASSERT_EQ(first.commit(kAdmin, changedAgain), S_OK);
    second.configuration(seen);
    EXPECT_TRUE(seen == changedAgain);

    // Committing the original back changes channels 1 and 2 from what is on disk now.
    for (int channel = 0; channel < 4; ++channel)
        first.setChannelStatus(channel, "channelOffline", "false");
    ASSERT_EQ(second.commit(kAdmin, original), S_OK);
    EXPECT_FALSE(offline(first, 0));
    EXPECT_TRUE(offline(first, 1));
    EXPECT_TRUE(offline(first, 2));
    EXPECT_FALSE(offline(first, 3));
}

TEST_F(CommittedConfigurationTest, CommitsAndRefusalsAreLogged) {
    EmbeddedServer server(dir.path());
    std::string text;
    server.configuration(text);
    ASSERT_EQ(server.commit(kAdmin, WithChannelLooping(text, 1)), S_OK);
    ASSERT_EQ(server.commit(kAdmin, WithChannelLooping(text, 1)), S_OK);
    EXPECT_EQ(server.commit(kAdmin, "<Config/>"), HRESULT_INVALID_DATA);
    EXPECT_EQ(server.commit(ServerSession{"operator", "", false}, text), E_ACCESSDENIED);
    const std::string log = read("server.log").toStdString();
    for (const char* entry :
         {"Commit by user 'admin': changed channel index 1 (id 'C2')\n",
          "Commit by user 'admin': no channel changed\n",
          "Commit by user 'admin' refused: it has no Channel element\n",
          "Commit by user 'operator' refused: the user may not change the configuration\n"})
        EXPECT_NE(log.find(entry), std::string::npos) << entry << "\nin:\n" << log;
}

// The default configurations come from the data folder when a usable file is there, else
// from the copy built into the program; a file that is there but unusable is logged.
TEST_F(CommittedConfigurationTest, DefaultsComeFromTheDataFolderOrTheBuiltInCopy) {
    QTemporaryDir data;
    ASSERT_TRUE(QDir().mkpath(data.filePath("defaults")));
    const ScopedEnv dataDir("TRELLIS_DATA_DIR", data.path().toUtf8());
    const std::string standard = ReferenceStandards()[0];
    const QString file = data.filePath(QString::fromStdString("defaults/" + standard + ".xml"));
    const auto write = [&](const std::string& text) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text.data(), static_cast<qint64>(text.size()));
    };

    // None there: the built-in copy, and nothing to say.
    DefaultConfiguration found = FindDefaultConfiguration(standard);
    EXPECT_EQ(found.source, "built in");
    EXPECT_EQ(found.problem, "");
    EXPECT_TRUE(Canonical(found.text) == defaultText);

    // A usable file: taken as it is, by the server too.
    const std::string installed = WithAttribute(found.text, "/Config/Channel[1]/@loop", "true");
    write(installed);
    found = FindDefaultConfiguration(standard);
    EXPECT_EQ(found.source, file.toStdString());
    EXPECT_TRUE(found.text == installed);
    {
        EmbeddedServer server(dir.filePath("first"));
        std::string text;
        ASSERT_EQ(server.configuration(text), S_OK);
        EXPECT_TRUE(Canonical(text) == Canonical(installed));
    }

    // A file that is not a configuration: the built-in copy, and the server says why.
    write("<Config><Channel channelIndex=\"9\"/></Config>");
    found = FindDefaultConfiguration(standard);
    EXPECT_EQ(found.source, "built in");
    EXPECT_NE(found.problem.find(file.toStdString() + " is not used: "), std::string::npos)
        << found.problem;
    EmbeddedServer server(dir.filePath("second"));
    std::string text;
    ASSERT_EQ(server.configuration(text), S_OK);
    EXPECT_TRUE(Canonical(text) == defaultText);
    ASSERT_EQ(server.defaultConfiguration(standard, text), S_OK);
    EXPECT_TRUE(Canonical(text) == defaultText);
    EXPECT_EQ(server.defaultConfiguration("Format1080_25Hz_2To1", text), E_INVALIDARG);
    QFile log(dir.filePath("second/server.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const std::string logged = log.readAll().toStdString();
    const std::string said = found.problem + "; the built-in default is used.";
    // Once as the server started from it, once for the Restore.
    EXPECT_NE(logged.find(said), logged.rfind(said)) << logged;
}

TEST_F(CommittedConfigurationTest, TheStateIsTheOwnersOnly) {
    const QString state = dir.filePath("state");
    {
        EmbeddedServer server(state);
        std::string text;
        server.configuration(text);
        server.commit(kAdmin, WithChannelLooping(text, 1));
        server.setChannelStatus(0, "portstate", "3");
        server.setProtocolUser(kAdmin, 0, "user", "ingest");
        server.log(S_OK, 4, "test", 1, 0, "entry");
    }
    // A stored file made by hand for everyone to read is kept aside for the owner only.
    QFile config(state + "/config.xml");
    ASSERT_TRUE(config.open(QIODevice::WriteOnly | QIODevice::Truncate));
    config.write("<Config/>");
    config.close();
    ::chmod(QFile::encodeName(config.fileName()).constData(), 0644);
    std::string text;
    EmbeddedServer(state).configuration(text);

    const auto modeOf = [](const QString& path) {
        struct stat info {};
        ::stat(QFile::encodeName(path).constData(), &info);
        return info.st_mode & 0777;
    };
    EXPECT_EQ(modeOf(state), 0700u);
    const QStringList names =
        QDir(state).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_GE(names.size(), 8) << names.join(' ').toStdString();
    for (const QString& name : names)
        EXPECT_EQ(modeOf(state + "/" + name), 0600u) << name.toStdString();
}

TEST_F(CommittedConfigurationTest, TheToolStatusSaysWhileTheDefaultStandsInForARejectedFile) {
    const auto status = [&] {
        QProcess tool;
        tool.start(TRELLIS_SERVER_TOOL, {"--dir", dir.path(), "status"});
        EXPECT_TRUE(tool.waitForFinished(30000));
        return QString::fromLocal8Bit(tool.readAllStandardOutput());
    };
    writeConfig("<Config><System/></Config>");
    const QString said = status();
    ASSERT_EQ(rejectedFiles().size(), 1);
    EXPECT_TRUE(said.contains(rejectedFiles()[0])) << said.toStdString();
    EXPECT_TRUE(said.contains("no Channel element")) << said.toStdString();
    EXPECT_TRUE(said.contains("default configuration is in use")) << said.toStdString();
    EXPECT_TRUE(status().contains("default configuration is in use"));

    EmbeddedServer server(dir.path());
    std::string text;
    server.configuration(text);
    ASSERT_EQ(server.commit(kAdmin, text), S_OK);
    EXPECT_FALSE(status().contains("default configuration is in use"));
}

// One object serves a thread that polls while another object, as another process would,
// commits over the same directory.
TEST_F(CommittedConfigurationTest, ReloadsWhileAThreadPolls) {
    EmbeddedServer polled(dir.path());
    EmbeddedServer committer(dir.path());
    std::string original;
    ASSERT_EQ(polled.configuration(original), S_OK);
    const std::string last = WithChannelLooping(original, 3);
    std::atomic<bool> done{false};
    std::string seen;
    std::thread poller([&] {
        while (!done) {
            Variant value;
            polled.channelStatus(3, "channelOffline", value);
            polled.configuration(seen);
        }
        polled.configuration(seen);
    });
    for (int round = 0; round < 10; ++round)
        committer.commit(kAdmin, round % 2 ? last : original);
    done = true;
    poller.join();
    EXPECT_TRUE(seen == last);
}
