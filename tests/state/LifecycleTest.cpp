#include "platform/XmlDocument.h"
#include "server/HostServices.h"
#include "server/IConfigHistory.h"
#include "server/embedded/ConfigRules.h"
#include "server/embedded/EmbeddedServer.h"
#include "state/ConfigState.h"
#include "state/XPathAccess.h"
#include "support/FakeConnection.h"
#include "support/ScriptedPrompter.h"
#include "support/TestServerHost.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <future>

namespace {

// Logged on to the stand-in server (embedded, or its network service) in a fresh state
// directory.
class LifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(host.failure(), "");
        script.install();
        installServiceFactory(&factory);
        state = std::make_unique<CConfigState>();
        ASSERT_EQ(
            state->CreateAppServers(LogonParameters{host.host(), "admin", "trellis", "", true}),
            S_OK);
        state->GetConfigDocument(document);
    }
    void TearDown() override {
        state.reset();
        installServiceFactory(nullptr);
    }

    std::string read(const std::string& xpath) const {
        std::string text;
        ReadXPathValue(document->documentNode(), xpath, text);
        return text;
    }
    std::string committed() const {
        std::string text;
        EmbeddedServer(dir.path()).configuration(text);
        return text;
    }
    QString file(const char* name) const { return files.filePath(name); }
    void writeFile(const QString& path, const QByteArray& content) const {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
    }

    QTemporaryDir dir;
    QTemporaryDir files;
    TestServerHost host{dir.path()};
    HostServiceFactory factory{dir.path()};
    ScriptedPrompter script;
    std::unique_ptr<CConfigState> state;
    std::shared_ptr<XmlDocument> document;
};

constexpr const char* kSource = "./Config/System/TimeOfDay";

} // namespace

TEST_F(LifecycleTest, CommitStoresTheDocumentAndItStaysDirty) {
    EXPECT_FALSE(state->IsConfigDirty());
    state->PutAttributeValue(kSource, "timeOfDaySource", Variant("Ltc"), false, true);
    EXPECT_TRUE(state->IsConfigDirty());
    EXPECT_EQ(state->CommitConfig(), S_OK);
    EXPECT_TRUE(committed() == document->xml());
    EXPECT_TRUE(state->IsConfigDirty());
}

TEST_F(LifecycleTest, ACommitOverALostConnectionSaysSoAndStoresNothing) {
    if (!host.service())
        GTEST_SKIP() << "the connection is lost over the network only: run with "
                        "TRELLIS_TEST_SERVER=service";
    const std::string before = committed();
    state->PutAttributeValue(kSource, "timeOfDaySource", Variant("Ltc"), false, true);
    host.stop();
    script.answer(IDOK);
    const HRESULT status = state->CommitConfig();
    EXPECT_EQ(status, HRESULT_CONNECTION_ABORTED);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().caption, "Connection Lost");
    // The reason is the client's finding, not something the server said.
    EXPECT_EQ(state->GetServerFailureText(status),
              "The connection to the server was lost: Connection refused.");
    EXPECT_EQ(committed(), before);
    EXPECT_EQ(read(std::string(kSource) + "/@timeOfDaySource"), "Ltc");
}

TEST_F(LifecycleTest, RestoreDefaultsFollowsTheCurrentStandard) {
    state->PutAttributeValue("./Config/System/SystemVideoReference", "referenceStandard",
                             Variant("Format625_25Hz_2To1"), false, true);
    state->PutAttributeValue(kSource, "timeOfDaySource", Variant("Ltc"), false, true);
    const std::string before = committed();
    EXPECT_EQ(state->RestoreDefaultConfig(), S_OK);
    XmlDocument expected;
    expected.loadXml(DefaultConfigurationText("Format625_25Hz_2To1"));
    EXPECT_TRUE(document->xml() == expected.xml());
    EXPECT_TRUE(committed() == before); // the server hears of it only at a commit
}

TEST_F(LifecycleTest, RestoreInitialSendsTheLogonTextBack) {
    state->PutAttributeValue(kSource, "timeOfDaySource", Variant("Ltc"), true, true);
    EXPECT_EQ(state->RestoreInitialConfig(), S_OK);
    EXPECT_TRUE(committed() == state->GetInitialConfig());
}

TEST_F(LifecycleTest, SaveThenLoadLeavesTheTextIdentical) {
    std::string path = file("settings").toStdString();
    EXPECT_EQ(state->SaveConfig(path), S_OK);
    EXPECT_EQ(path, file("settings.xml").toStdString());
    const std::string saved = document->xml();

    state->PutAttributeValue(kSource, "timeOfDaySource", Variant("Ltc"), false, true);
    std::string loadPath = file("settings").toStdString();
    EXPECT_EQ(state->LoadConfig(loadPath), S_OK);
    EXPECT_EQ(loadPath, file("settings.xml").toStdString());
    EXPECT_TRUE(document->xml() == saved);
    EXPECT_TRUE(script.questions().empty());

    // An upper-case extension is kept as it is.
    path = file("SETTINGS.XML").toStdString();
    EXPECT_EQ(state->SaveConfig(path), S_OK);
    EXPECT_EQ(path, file("SETTINGS.XML").toStdString());
    EXPECT_TRUE(QFile::exists(file("SETTINGS.XML")));
}

TEST_F(LifecycleTest, BadFilesAreRefusedWithAMessageAndChangeNothing) {
    struct Case {
        const char* name;
        QByteArray content;
        const char* message;
    };
    // The first line is the system's own; the second says why.
    const Case cases[] = {
        {"notxml.xml", "this is not XML",
         "'%1' does not appear to be a valid XML file.\nError at line 1, column 16: No document "
         "element found."},
        {"empty.xml", "", "'%1' does not appear to be a valid XML file.\nThe file is empty."},
        {"remote.xml", "<RemoteHosts><Host hostName=\"a\" id=\"1\"/></RemoteHosts>",
         "'%1' is not a valid configuration file\nThe root element is RemoteHosts, not Config."},
        {"truncated.xml", "<Config><System>",
         "'%1' does not appear to be a valid XML file.\nError at line 1, column 16: Start-end "
         "tags mismatch."},
        {"mismatch.xml", "<Config>\n  <System>\n  </Sys>\n</Config>\n",
         "'%1' does not appear to be a valid XML file.\nError at line 3, column 5: Start-end "
         "tags mismatch."},
        {"raw.xml", "<Config><System><TimeOfDay ltcInputId=\"T\xfcr\"/></System></Config>",
         "'%1' does not appear to be a valid XML file.\nError at line 1, column 1: The text is "
         "not UTF-8 and declares no other encoding."},
    };
    state->PutAttributeValue(kSource, "timeOfDaySource", Variant("Ltc"), false, true);
    const std::string before = document->xml();
    for (const Case& c : cases) {
        writeFile(file(c.name), c.content);
        std::string path = file(c.name).toStdString();
        script.clear();
        EXPECT_EQ(state->LoadConfig(path), S_OK) << c.name;
        ASSERT_EQ(script.questions().size(), 1u) << c.name;
        EXPECT_EQ(script.last().text, QString(c.message).arg(file(c.name)).toStdString());
        EXPECT_EQ(script.last().caption, "Load Error");
        EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
        EXPECT_TRUE(document->xml() == before) << c.name;
    }
}

TEST_F(LifecycleTest, MissingAndHugeFilesAreRefused) {
    std::string missing = file("missing").toStdString();
    EXPECT_EQ(state->LoadConfig(missing), S_OK);
    EXPECT_EQ(script.last().text,
              "'" + missing + "' could not be read.\nNo such file or directory.");

    QFile huge(file("huge.xml"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(40 * 1024 * 1024));
    huge.close();
    std::string path = file("huge.xml").toStdString();
    EXPECT_EQ(state->LoadConfig(path), S_OK);
    EXPECT_EQ(script.last().text, "'" + path +
                                      "' is too large to be a configuration file.\nIt is larger "
                                      "than the 32 MiB limit.");
    EXPECT_EQ(state->GetChannelCount(), 4);
}

TEST_F(LifecycleTest, ASaveThatFailsSaysSo) {
    std::string path = file("no/such/folder/settings.xml").toStdString();
    EXPECT_TRUE(FAILED(state->SaveConfig(path)));
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().caption, "Save Error");
    EXPECT_EQ(script.last().text, "The configuration could not be saved to '" + path +
                                      "'.\nThe system cannot find the path specified.");
}

TEST_F(LifecycleTest, AFileTheServerRejectsLeavesTheDocument) {
    writeFile(file("five.xml"), QByteArray::fromStdString(configurationWithChannels(5)));
    std::string path = file("five.xml").toStdString();
    const std::string before = document->xml();
    EXPECT_EQ(state->LoadConfig(path), S_OK);
    EXPECT_EQ(script.last().text, "'" + path +
                                      "' is not a valid configuration file\nThe server says: it "
                                      "has 5 channels; the server has 4 channel slots.");
    EXPECT_TRUE(document->xml() == before);
}

namespace {

// A scripted server for what the embedded one cannot be made to do.
class FakeLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        script.install();
        server()->configuration =
            "<Config><System><SystemVideoReference "
            "referenceStandard=\"Format625_25Hz_2To1\"/></System>"
            "<Channel channelIndex=\"0\" id=\"C1\" channelType=\"Player\"/>"
            "<VideoOutput id=\"V'1\" testMode=\"true\"/><VideoOutput id=\"V2\" testMode=\"false\"/>"
            "<VideoOutput id=\"V3\" testMode=\"true\"/><AudioOutput id=\"A1\" "
            "testMode=\"true\"/></Config>";
    }
    std::shared_ptr<FakeConfigServer> server() { return fake.connection->appServer->configServer; }
    void logOn(bool administrator) {
        fake.connection->memberOf = administrator
                                        ? std::vector<std::string>{"BUILTIN\\Administrators"}
                                        : std::vector<std::string>{};
        if (!administrator)
            script.answer(IDIGNORE);
        state = std::make_unique<CConfigState>();
        ASSERT_EQ(state->CreateAppServers(LogonParameters{"localhost", "u", "p", "", true}), S_OK);
    }

    FakeFactory fake;
    ScriptedPrompter script;
    std::unique_ptr<CConfigState> state;
};

} // namespace

TEST_F(FakeLifecycleTest, RestoreInitialForAReadOnlyUserOnlyTellsThem) {
    logOn(false);
    script.clear();
    EXPECT_EQ(state->RestoreInitialConfig(), S_OK);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "You are not authorized to change configuration settings.");
    EXPECT_EQ(script.last().caption, "Security Message");
    EXPECT_EQ(script.last().style, MB_TOUCH_WARNING);
    EXPECT_TRUE(server()->commits.empty());
}

TEST_F(FakeLifecycleTest, RejectedDefaultsLeaveTheDocument) {
    logOn(true);
    server()->defaultText = "<Config>";
    std::shared_ptr<XmlDocument> document;
    state->GetConfigDocument(document);
    const std::string before = document->xml();
    EXPECT_EQ(state->RestoreDefaultConfig(), E_FAIL);
    EXPECT_EQ(server()->defaultAsked, "Format625_25Hz_2To1");
    EXPECT_TRUE(document->xml() == before);
    const auto reports = fake.connection->appServer->log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].text.find("Error loading XML document"), std::string::npos);
}

TEST_F(FakeLifecycleTest, OutputsInTestModeAreSwitchedBackAtTeardownEachByItsId) {
    logOn(true);
    std::shared_ptr<XmlDocument> document;
    state->GetConfigDocument(document);
    server()->changeResult = E_FAIL; // a failing write does not stop the others
    state.reset();
    const auto& changes = server()->changes;
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].elementXPath, "//VideoOutput[@id=\"V'1\"]");
    EXPECT_EQ(changes[1].elementXPath, "//VideoOutput[@id=\"V3\"]");
    EXPECT_EQ(changes[2].elementXPath, "//AudioOutput[@id=\"A1\"]");
    for (const auto& change : changes) {
        EXPECT_EQ(change.attributeName, "testMode");
        EXPECT_EQ(change.value, "false");
        EXPECT_TRUE(change.flag);
    }
    EXPECT_TRUE(document->documentNode().selectNodes("//*[@testMode=\"true\"]").empty());
    EXPECT_EQ(CConfigState::InstanceCount(), 0);
}

TEST_F(FakeLifecycleTest, WithoutAConnectionNothingHappens) {
    CConfigState idle;
    EXPECT_TRUE(idle.IsConfigDirty());
    EXPECT_EQ(idle.CommitConfig(), S_OK);
    EXPECT_EQ(idle.RestoreDefaultConfig(), S_OK);
    std::string path = "/nonexistent/x";
    EXPECT_EQ(idle.LoadConfig(path), S_OK);
    EXPECT_EQ(path, "/nonexistent/x"); // nothing to do, so nothing appended
    EXPECT_TRUE(script.questions().empty());
}

namespace {

// Another session's commit, made through the same server.
void commitAsAnotherSession(const QString& directory, const char* source) {
    std::string text;
    const auto server = EmbeddedServer::forDirectory(directory);
    server->configuration(text);
    XmlDocument other;
    ASSERT_EQ(other.loadXml(text), S_OK);
    other.documentNode().selectSingleNode("//TimeOfDay/@timeOfDaySource").setValue(source);
    ASSERT_EQ(server->commit(ServerSession{"engineer", "", true}, other.xml()), S_OK);
}

const std::string kChangedOnServer =
    "The configuration was changed on the server after you logged on. Your commit would undo "
    "those changes.\n\nCommit anyway?";

// The time of day source as the configuration the session knew and the server's now say.
std::vector<std::string> sourceWords(const XmlDocument& known, const XmlDocument& now) {
    std::string was;
    std::string is;
    ReadXPathValue(known.documentNode(), "//TimeOfDay/@timeOfDaySource", was);
    ReadXPathValue(now.documentNode(), "//TimeOfDay/@timeOfDaySource", is);
    return {"Time of day source: " + was + " -> " + is};
}

} // namespace

TEST_F(LifecycleTest, AnotherSessionsCommitIsNeverUndoneWithoutAsking) {
    commitAsAnotherSession(dir.path(), "Ltc");
    state->PutAttributeValue("./Config/System/SystemAudioReference", "audioUnityLevel",
                             Variant(std::int32_t{8}), false, true);
    const std::string theirs = committed();

    script.answer(IDNO);
    EXPECT_EQ(state->CommitConfig(), E_ABORT);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, kChangedOnServer);
    EXPECT_EQ(script.last().caption, "Configuration Changed");
    EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
    EXPECT_TRUE(committed() == theirs);

    // With words for them, the question lists the other session's changes.
    script.answer(IDYES);
    EXPECT_EQ(state->CommitConfig(sourceWords), S_OK);
    EXPECT_EQ(script.last().text,
              "The configuration was changed on the server after you logged on:\n"
              "Time of day source: Windows -> Ltc\n\n"
              "Your commit would undo those changes.\n\nCommit anyway?");
    EXPECT_TRUE(committed() == document->xml());
    // Once committed, the server holds what this session knows of: no question again.
    EXPECT_EQ(state->CommitConfig(), S_OK);
    EXPECT_EQ(script.questions().size(), 2u);
}

TEST_F(LifecycleTest, ThisSessionsOwnLiveChangesAreNotTakenForAnothers) {
    state->PutAttributeValue(kSource, "timeOfDaySource", Variant("Ltc"), true, true);
    state->PutAttributeValue("./Config/System/SystemAudioReference", "audioUnityLevel",
                             Variant(std::int32_t{0}), false, true);
    EXPECT_EQ(state->CommitConfig(), S_OK);
    EXPECT_TRUE(script.questions().empty());
    EXPECT_TRUE(committed() == document->xml());
}

TEST_F(LifecycleTest, DiscardingAsksBeforeUndoingAnotherSessionsCommit) {
    state->PutAttributeValue(kSource, "timeOfDaySource", Variant("Ltc"), true, true);
    commitAsAnotherSession(dir.path(), "Windows");
    const std::string theirs = committed();
    script.answer(IDNO);
    EXPECT_EQ(state->RestoreInitialConfig(), E_ABORT);
    EXPECT_EQ(script.last().text,
              "The configuration was changed on the server after you logged on. Discarding your "
              "changes puts back the configuration as it was when you logged on, and would undo "
              "those changes too.\n\nDiscard anyway?");
    EXPECT_TRUE(committed() == theirs);
}

TEST_F(LifecycleTest, LoadHonoursTheFilesDeclaredEncoding) {
    XmlDocument source;
    ASSERT_EQ(source.loadXml(document->xml()), S_OK);
    source.documentNode().selectSingleNode("//TimeOfDay/@ltcInputId").setValue("Tür-Eingang");
    const QString text = QString::fromStdString(source.xml());

    QString utf16 = text;
    utf16.replace("<?xml version=\"1.0\"?>", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>");
    QStringEncoder toUtf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    writeFile(file("utf16.xml"), toUtf16(utf16));

    QString latin1 = text;
    latin1.replace("<?xml version=\"1.0\"?>", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>");
    writeFile(file("latin1.xml"), latin1.toLatin1());

    for (const char* name : {"utf16.xml", "latin1.xml"}) {
        state->PutAttributeValue(kSource, "ltcInputId", Variant("before"), false, true);
        std::string path = file(name).toStdString();
        EXPECT_EQ(state->LoadConfig(path), S_OK) << name;
        EXPECT_TRUE(script.questions().empty()) << name;
        EXPECT_EQ(read("//TimeOfDay/@ltcInputId"), "Tür-Eingang") << name;
        // The document holds UTF-8 now and says nothing else about itself.
        const std::string now = document->xml();
        EXPECT_EQ(now.find("encoding="), std::string::npos) << name;
        EXPECT_TRUE(QString::fromStdString(now).contains(QStringLiteral("Tür-Eingang"))) << name;
    }
}

TEST_F(LifecycleTest, OnlyRegularFilesAreRead) {
    ASSERT_TRUE(QFile::link("/dev/zero", file("zero.xml")));
    ASSERT_TRUE(QDir(files.path()).mkdir("folder.xml"));
    ASSERT_EQ(mkfifo(file("pipe.xml").toLocal8Bit().constData(), 0600), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"zero.xml", "It is a device, pipe or socket, not a regular file."},
        {"folder.xml", "It is a folder, not a file."},
        {"pipe.xml", "It is a device, pipe or socket, not a regular file."},
    };
    for (const auto& [name, why] : cases) {
        std::string path = file(name).toStdString();
        script.clear();
        // A FIFO must not block the caller: give up on it after a while, then unblock it.
        auto loading = std::async(std::launch::async, [&] { return state->LoadConfig(path); });
        if (loading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << name << " blocked the load";
            QFile writer(file(name));
            writer.open(QIODevice::WriteOnly);
        }
        EXPECT_EQ(loading.get(), S_OK) << name;
        ASSERT_EQ(script.questions().size(), 1u) << name;
        EXPECT_EQ(script.last().text, "'" + path + "' could not be read.\n" + why);
    }
    EXPECT_EQ(state->GetChannelCount(), 4);
}

TEST_F(FakeLifecycleTest, WithoutAUsableDocumentNothingIsCommittedOrRestored) {
    server()->configuration = "<Config><Channel channelIndex=\"0\">";
    fake.connection->memberOf = {"BUILTIN\\Administrators"};
    state = std::make_unique<CConfigState>();
    EXPECT_EQ(state->CreateAppServers(LogonParameters{"localhost", "u", "p", "", true}), E_FAIL);
    EXPECT_FALSE(state->HasDocument());
    EXPECT_EQ(state->CommitConfig(), S_OK);
    EXPECT_EQ(state->RestoreInitialConfig(), S_OK);
    EXPECT_TRUE(server()->commits.empty());
    EXPECT_TRUE(script.questions().empty());
}

TEST_F(LifecycleTest, ALiveChangeTheRunningServerCannotTakeFailsWithItsReasonAndTheSheetKeepsIt) {
    // An attribute the sheet's document has (from a loaded file, say) and the running
    // configuration lacks: the server must not answer that it applied it.
    document->documentNode().selectSingleNode(kSource).setAttribute("ltcFallback", "false");
    const std::string before = committed();
    const HRESULT status =
        state->PutAttributeValue(kSource, "ltcFallback", Variant("true"), true, true);
    EXPECT_TRUE(FAILED(status)) << std::hex << status;
    EXPECT_EQ(read("./Config/System/TimeOfDay/@ltcFallback"), "true");
    QFile log(dir.filePath("server.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains(
        "The running configuration has no attribute 'ltcFallback' at ./Config/System/TimeOfDay; "
        "the server was not changed."));
    EXPECT_TRUE(committed() == before);
}

TEST_F(LifecycleTest, AHistoryEntryIsLoadedAsAFileIsAndAMissingOneIsTold) {
    const std::string first = committed();
    ASSERT_EQ(WriteXPathValue(document->documentNode(), std::string(kSource) + "/@timeOfDaySource",
                              Variant(std::string("Ltc"))),
              S_OK);
    ASSERT_EQ(state->CommitConfig(), S_OK);
    const std::shared_ptr<IConfigHistory> history = state->ConfigHistory();
    ASSERT_NE(history, nullptr);
    std::vector<HistoryEntry> entries;
    ASSERT_EQ(history->ListHistory(0, 10, entries), S_OK);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].origin, "commit");

    // The first entry, the default stored on first use, becomes the document again; it is
    // committed only as any change is.
    const std::uint64_t generation = state->DocumentGeneration();
    EXPECT_EQ(state->LoadHistoryEntry(entries[1].id), S_OK);
    EXPECT_EQ(document->xml(), first);
    EXPECT_EQ(read(std::string(kSource) + "/@timeOfDaySource"), "Windows");
    EXPECT_EQ(state->DocumentGeneration(), generation + 1);
    EXPECT_NE(committed(), first);
    EXPECT_EQ(script.unexpectedCount(), 0);

    EXPECT_EQ(state->LoadHistoryEntry(entries[0].id + 1), S_OK);
    EXPECT_EQ(script.last().caption, "Load Error");
    EXPECT_EQ(script.last().text,
              "'History entry " + std::to_string(entries[0].id + 1) +
                  "' could not be read.\nThe server says: the history has no entry " +
                  std::to_string(entries[0].id + 1) + ".");
    EXPECT_EQ(document->xml(), first);
}
