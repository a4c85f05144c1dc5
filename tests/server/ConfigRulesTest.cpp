#include "server/embedded/ConfigRules.h"
#include "platform/XmlDocument.h"

#include <gtest/gtest.h>

namespace {

std::string withChannels(const std::string& channels, const std::string& components = "",
                         const std::string& standard = "Format525_29_97Hz_2To1") {
    return "<Config><System><SystemVideoReference referenceStandard=\"" + standard +
           "\"/></System>" + channels + components + "</Config>";
}

std::string channel(int index, const std::string& id, const std::string& inner = "",
                    const std::string& type = "Player") {
    return "<Channel channelIndex=\"" + std::to_string(index) + "\" id=\"" + id +
           "\" channelType=\"" + type + "\">" + inner + "</Channel>";
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

TEST(ConfigRules, RefusesWhatTheServerCannotRun) {
    EXPECT_FALSE(usable("not xml at all"));
    EXPECT_FALSE(usable(""));
    EXPECT_FALSE(usable("<RemoteHosts/>"));
    EXPECT_FALSE(usable(withChannels("")));
    EXPECT_FALSE(usable(withChannels(channel(0, "C1"), "", "Format1080_25Hz_2To1")));
    EXPECT_FALSE(usable(withChannels(channel(0, "C1") + channel(0, "C2"))));
    EXPECT_FALSE(usable(withChannels(channel(0, "C1") + channel(2, "C2"))));
    EXPECT_FALSE(usable(withChannels(channel(0, "C1") + channel(1, "C1"))));
    EXPECT_FALSE(usable(withChannels(channel(0, "C1", "", "Camera"))));
    EXPECT_FALSE(
        usable(withChannels(channel(0, "C1", "<Video><VideoInputComponent id=\"VI9\"/></Video>"))));
    std::string five;
    for (int i = 0; i < 5; ++i)
        five += channel(i, "C" + std::to_string(i + 1));
    EXPECT_FALSE(usable(withChannels(five)));

    EXPECT_TRUE(
        usable(withChannels(channel(0, "C1", "<Video><VideoInputComponent id=\"VI1\"/></Video>"),
                            "<VideoInput id=\"VI1\"/>")));
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
}
