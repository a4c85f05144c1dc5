#include "state/ConfigState.h"
#include "platform/XmlDocument.h"
#include "state/XPathAccess.h"
#include "support/FakeConnection.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kDocument = R"(<Config>
  <Channel channelIndex="0" id="C1"><Video><VideoInputComponent id="VI1"/></Video></Channel>
  <VideoInput id="VI1" selectedInput="VideoInputSdi"/>
  <AudioInput id="AI1" trim="0"/>
</Config>)";

constexpr const char* kInput =
    "//VideoInput[@id=//Channel[@channelIndex=\"0\"]/Video/VideoInputComponent/@id]";

class ConfigStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        document = std::make_shared<XmlDocument>();
        ASSERT_EQ(document->loadXml(kDocument), S_OK);
        server = std::make_shared<FakeConfigServer>();
        log = std::make_shared<FakeLog>();
        state = std::make_unique<CConfigState>();
        state->SetDocument(document);
        state->SetServices(server, log);
        state->SetLogonFlags(true, true);
    }
    void TearDown() override { state.reset(); }

    std::string read(const std::string& xpath) const {
        std::string text;
        ReadXPathValue(document->documentNode(), xpath, text);
        return text;
    }

    std::shared_ptr<XmlDocument> document;
    std::shared_ptr<FakeConfigServer> server;
    std::shared_ptr<FakeLog> log;
    std::unique_ptr<CConfigState> state;
};

} // namespace

TEST_F(ConfigStateTest, InstancesShareOneState) {
    CConfigState other;
    std::shared_ptr<XmlDocument> seen;
    EXPECT_EQ(other.GetConfigDocument(seen), S_OK);
    EXPECT_EQ(seen, document);
    EXPECT_TRUE(other.IsAuthorized());
    EXPECT_TRUE(other.IsConnected());
    EXPECT_EQ(CConfigState::InstanceCount(), 2);
}

TEST_F(ConfigStateTest, TheLastInstanceTearsDown) {
    state.reset();
    EXPECT_EQ(CConfigState::InstanceCount(), 0);
    CConfigState fresh;
    std::shared_ptr<XmlDocument> seen;
    EXPECT_EQ(fresh.GetConfigDocument(seen), S_OK);
    EXPECT_EQ(seen, nullptr);
    EXPECT_FALSE(fresh.IsAuthenticated());
    EXPECT_FALSE(fresh.IsConnected());
}

TEST_F(ConfigStateTest, LiveWriteIsForwardedWithItsFlag) {
    EXPECT_EQ(state->PutAttributeValue(kInput, "selectedInput",
                                       Variant("VideoInputAnalogComposite"), true, true),
              S_OK);
    EXPECT_EQ(read(std::string(kInput) + "/@selectedInput"), "VideoInputAnalogComposite");
    ASSERT_EQ(server->changes.size(), 1u);
    EXPECT_EQ(server->changes[0].elementXPath, kInput);
    EXPECT_EQ(server->changes[0].attributeName, "selectedInput");
    EXPECT_EQ(server->changes[0].value, "VideoInputAnalogComposite");
    EXPECT_TRUE(server->changes[0].flag);
}

TEST_F(ConfigStateTest, WriteWithoutSendNowStaysLocal) {
    EXPECT_EQ(state->PutAttributeValue("//AudioInput[@id=\"AI1\"]", "trim",
                                       Variant(std::int32_t{-6}), false, true),
              S_OK);
    EXPECT_EQ(read("//AudioInput/@trim"), "-6");
    EXPECT_TRUE(server->changes.empty());
}

TEST_F(ConfigStateTest, MissingAttributeCreatesNothingButIsStillForwarded) {
    const std::string before = document->xml();
    EXPECT_EQ(state->PutAttributeValue(kInput, "absentAttribute", Variant("x"), true, false), S_OK);
    EXPECT_EQ(document->xml(), before);
    ASSERT_EQ(server->changes.size(), 1u);
    EXPECT_EQ(server->changes[0].attributeName, "absentAttribute");
    EXPECT_TRUE(log->records.empty());
}

TEST_F(ConfigStateTest, ReadOnlyUserWritesTheDocumentButNotTheServer) {
    state->SetLogonFlags(true, false);
    EXPECT_EQ(state->PutAttributeValue(kInput, "selectedInput", Variant("VideoInputAnalogSvideo"),
                                       true, false),
              S_OK);
    EXPECT_EQ(read(std::string(kInput) + "/@selectedInput"), "VideoInputAnalogSvideo");
    EXPECT_TRUE(server->changes.empty());
}

TEST_F(ConfigStateTest, WithoutADocumentNothingHappens) {
    state->SetDocument(nullptr);
    EXPECT_EQ(state->PutAttributeValue(kInput, "selectedInput", Variant("x"), true, false), S_OK);
    EXPECT_TRUE(server->changes.empty());
}

TEST_F(ConfigStateTest, FailedDocumentWriteIsReportedAndReturned) {
    // The element XPath names an element, so the joined path names no attribute but the
    // query is broken: the write fails and the server hears nothing.
    EXPECT_EQ(state->PutAttributeValue("//VideoInput[", "selectedInput", Variant("x"), true, false),
              E_FAIL);
    EXPECT_TRUE(server->changes.empty());
    const auto reports = log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].file, "ConfigState.cpp");
    EXPECT_EQ(reports[0].text, "Unspecified error");
}

TEST_F(ConfigStateTest, FailedForwardIsReportedAfterTheDocumentChanged) {
    server->changeResult = E_ACCESSDENIED;
    EXPECT_EQ(state->PutAttributeValue(kInput, "selectedInput", Variant("VideoInputAnalogSvideo"),
                                       true, false),
              E_ACCESSDENIED);
    EXPECT_EQ(read(std::string(kInput) + "/@selectedInput"), "VideoInputAnalogSvideo");
    ASSERT_FALSE(log->records.empty());
    EXPECT_EQ(log->records[0].text, "CConfigState::PutAttributeValue");
}

TEST_F(ConfigStateTest, ChannelTableHasFourSlots) {
    std::array<std::shared_ptr<IChannel>, kMaxChannels> channels;
    for (auto& channel : channels)
        channel = std::make_shared<FakeChannel>();
    state->SetChannelInterfaces(channels, kMaxChannels);
    for (int i = 0; i < kMaxChannels; ++i)
        EXPECT_EQ(state->GetChannelInterface(i), channels[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(state->GetChannelInterface(-1), nullptr);
    EXPECT_EQ(state->GetChannelInterface(4), nullptr);
}
