#include "state/ConfigState.h"
#include "support/FakeConnection.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class ChannelActivityTest : public ::testing::Test {
protected:
    void SetUp() override {
        app()->configServer->configuration = configurationWithChannels(4);
        fake.connection->memberOf = {"BUILTIN\\Administrators"};
        for (int i = 0; i < 4; ++i) {
            channel(i).values = {{"portstate", Variant(std::int32_t{0})},
                                 {"assetname", Variant("")},
                                 {"channelOffline", Variant(false)},
                                 {"systemOffline", Variant(false)}};
        }
        ASSERT_EQ(state.CreateAppServers(LogonParameters{"localhost", "u", "p", "", true}), S_OK);
    }
    std::shared_ptr<FakeAppServer> app() { return fake.connection->appServer; }
    FakeChannel& channel(int i) { return *app()->channels[static_cast<std::size_t>(i)]; }

    FakeFactory fake;
    CConfigState state;
};

} // namespace

TEST_F(ChannelActivityTest, AnyChannelOrOne) {
    channel(2).values["portstate"] = Variant(std::int32_t{3});
    channel(1).values["portstate"] = Variant(std::int32_t{2});
    EXPECT_TRUE(state.IsRecording(-1));
    EXPECT_TRUE(state.IsRecording(7));
    EXPECT_FALSE(state.IsRecording(1));
    EXPECT_TRUE(state.IsRecording(2));
    EXPECT_TRUE(state.IsPlaying(-1));
    EXPECT_TRUE(state.IsPlaying(1));
    EXPECT_FALSE(state.IsPlaying(2));
    channel(2).values["portstate"] = Variant(std::int32_t{4});
    EXPECT_TRUE(state.IsRecording(2));
    channel(2).values["portstate"] = Variant(std::int32_t{5});
    EXPECT_FALSE(state.IsRecording(-1));
}

TEST_F(ChannelActivityTest, LoadedMeansAClipName) {
    EXPECT_FALSE(state.IsLoaded(0));
    channel(0).values["assetname"] = Variant("news at nine");
    EXPECT_TRUE(state.IsLoaded(0));
    EXPECT_TRUE(app()->log->records.empty());
}

TEST_F(ChannelActivityTest, AnInvalidChannelIsReported) {
    EXPECT_FALSE(state.IsLoaded(7));
    const auto reports = app()->log->reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "Invalid channel index: 7");
    EXPECT_EQ(reports[0].status, E_FAIL);
    Variant value;
    EXPECT_EQ(state.GetChanStatus(-1, "portstate", value), E_FAIL);
}

TEST_F(ChannelActivityTest, OfflineMaskHasABitPerChannel) {
    channel(0).values["channelOffline"] = Variant(true);
    channel(3).values["channelOffline"] = Variant(true);
    EXPECT_EQ(state.IsChannelOffline(), 9u);
    EXPECT_FALSE(state.IsSystemOffline());
    channel(2).values["systemOffline"] = Variant(true);
    EXPECT_TRUE(state.IsSystemOffline());
}

TEST_F(ChannelActivityTest, AFailingChannelGivesTheAnswerAsItStood) {
    channel(0).values["portstate"] = Variant(std::int32_t{1});
    channel(1).failure = E_FAIL;
    EXPECT_TRUE(state.IsPlaying(-1)); // channel 0 answered before channel 1 failed
    EXPECT_FALSE(state.IsRecording(-1));
    channel(0).values["channelOffline"] = Variant(true);
    channel(2).values["channelOffline"] = Variant(true);
    EXPECT_EQ(state.IsChannelOffline(), 1u); // the failing read ends the loop
    EXPECT_FALSE(app()->log->reports().empty() && app()->log->records.empty());
}

TEST(ChannelActivityThreeChannels, AnEmptySlotContributesNothing) {
    FakeFactory fake;
    fake.connection->memberOf = {"BUILTIN\\Administrators"};
    fake.connection->appServer->configServer->configuration = configurationWithChannels(3);
    for (auto& channel : fake.connection->appServer->channels)
        channel->values = {{"channelOffline", Variant(true)}};
    CConfigState state;
    ASSERT_EQ(state.CreateAppServers(LogonParameters{"localhost", "u", "p", "", true}), S_OK);
    EXPECT_EQ(state.IsChannelOffline(), 7u);
}

TEST(ChannelActivityThreads, ASecondThreadMayAskWhileTheFirstDoes) {
    FakeFactory fake;
    fake.connection->memberOf = {"BUILTIN\\Administrators"};
    fake.connection->appServer->configServer->configuration = configurationWithChannels(4);
    for (auto& channel : fake.connection->appServer->channels)
        channel->values = {{"channelOffline", Variant(false)},
                           {"portstate", Variant(std::int32_t{0})}};
    CConfigState state;
    ASSERT_EQ(state.CreateAppServers(LogonParameters{"localhost", "u", "p", "", true}), S_OK);
    std::uint32_t seen = 0;
    std::thread poller([&] {
        for (int i = 0; i < 500; ++i)
            seen |= state.IsChannelOffline();
    });
    for (int i = 0; i < 500; ++i)
        EXPECT_FALSE(state.IsRecording(-1));
    poller.join();
    EXPECT_EQ(seen, 0u);
}
