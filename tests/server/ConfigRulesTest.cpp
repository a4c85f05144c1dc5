#include "server/embedded/ConfigRules.h"
#include "platform/XmlDocument.h"

#include <gtest/gtest.h>

namespace {

std::string withChannels(const std::string& channels, const std::string& components = "",
                         const std::string& standard = "Format525_29_97Hz_2To1") {
    return "<Config><System><SystemVideoReference referenceStandard=\"" + standard +
           "\"/></System>" + channels + components + "</Config>";
}

std::string channel(const std::string& index, const std::string& id, const std::string& inner = "",
                    const std::string& type = "Player") {
    return "<Channel channelIndex=\"" + index + "\" id=\"" + id + "\" channelType=\"" + type +
           "\">" + inner + "</Channel>";
}

std::string channel(int index, const std::string& id, const std::string& inner = "") {
    return channel(std::to_string(index), id, inner);
}

bool usable(const std::string& text) {
    std::string reason;
    const bool result = IsUsableConfiguration(text, reason);
    EXPECT_EQ(result, reason.empty()) << reason;
    return result;
}

} // namespace

TEST(ConfigRules, TheDefaultsAreUsable) {
    for (const std::string& standard : ReferenceStandards())
        EXPECT_TRUE(usable(DefaultConfigurationText(standard))) << standard;
    EXPECT_TRUE(DefaultConfigurationText("Format1080_25Hz_2To1").empty());
}

TEST(ConfigRules, RefusesOnlyWhatTheServerCannotHold) {
    EXPECT_FALSE(usable("not xml at all"));
    EXPECT_FALSE(usable(""));
    EXPECT_FALSE(usable("<RemoteHosts/>"));
    EXPECT_FALSE(usable(withChannels("")));
    EXPECT_FALSE(usable(withChannels(channel(0, "C1") + channel(0, "C2"))));
    EXPECT_FALSE(usable(withChannels(channel(0, "C1") + channel(" 0", "C2"))));
    for (const char* index : {"4", "-1", "one", "", "1.5", "0x1"})
        EXPECT_FALSE(usable(withChannels(channel(index, "C1")))) << index;
    EXPECT_FALSE(usable("<Config><Channel id=\"C1\"/></Config>"));
    std::string five;
    for (int i = 0; i < 5; ++i)
        five += channel(i % 4, "C" + std::to_string(i + 1));
    EXPECT_FALSE(usable(withChannels(five)));
}

// Values, ids and references are the utility's to judge; the server holds them as they are.
TEST(ConfigRules, AcceptsEveryShapeTheServerCanHold) {
    EXPECT_TRUE(usable(withChannels(channel(0, "C1"), "", "Format1080_25Hz_2To1")));
    EXPECT_TRUE(usable("<Config><Channel channelIndex=\"2\"/></Config>"));
    EXPECT_TRUE(usable(withChannels(channel("0", "C1", "", "Camera"))));
    EXPECT_TRUE(
        usable(withChannels(channel(0, "C1", "<Video><VideoInputComponent id=\"VI9\"/></Video>"))));
    EXPECT_TRUE(usable(withChannels(channel(3, "C1") + channel(0, "C1"))));
    EXPECT_TRUE(usable(withChannels(channel(" 1 ", "") + channel(2, "C3") + channel(0, "C1"))));
}

TEST(ConfigRules, ChangedChannelsFollowTheirComponents) {
    const std::string components =
        "<VideoInput id=\"VI1\" f=\"a\"/><VideoInput id=\"VI2\" f=\"a\"/>";
    const std::string channels =
        channel(0, "C1", "<Video><VideoInputComponent id=\"VI1\"/></Video>") +
        channel(1, "C2", "<Video><VideoInputComponent id=\"VI2\"/></Video>");
    const std::string before = withChannels(channels, components);
    EXPECT_TRUE(ChangedChannels(before, before).empty());

    std::string after = before;
    after.replace(after.find("id=\"VI2\" f=\"a\""), 14, "id=\"VI2\" f=\"b\"");
    EXPECT_EQ(ChangedChannels(before, after), std::vector<int>{1});

    std::string system = before;
    system.replace(system.find("Format525"), 9, "Format625");
    EXPECT_TRUE(ChangedChannels(before, system).empty());

    // A channel that goes, or comes, changes its slot.
    const std::string fewer = withChannels(
        channel(0, "C1", "<Video><VideoInputComponent id=\"VI1\"/></Video>"), components);
    EXPECT_EQ(ChangedChannels(before, fewer), std::vector<int>{1});
    EXPECT_EQ(ChangedChannels(fewer, before), std::vector<int>{1});
}
