#include "ChannelFixture.h"

#include "items/ConfigSliderItem.h"
#include "platform/StringIds.h"

#include <algorithm>

namespace {

// A recorder and player with the given number of tracks; the first `assigned` are assigned.
// Every input component has the given children; every output component embedded output.
std::string audioDocument(int tracks, const std::string& inputChildren, int assigned,
                          const std::string& selected = "AudioInputEmbedded") {
    std::string channel = R"(<Channel channelIndex="0" id="C1" channelType="PlayerRecorder">)";
    std::string components;
    for (int i = 0; i < tracks; ++i) {
        const std::string n = std::to_string(i + 1);
        channel += R"(<Audio index=")" + std::to_string(i) + R"(" assigned=")" +
                   (i < assigned ? "true" : "false") + R"("><AudioInputComponent id="AI)" + n +
                   R"("/><AudioOutputComponent id="AO)" + n + R"("/></Audio>)";
        components += R"(<AudioInput id="AI)" + n + R"(" selectedInput=")" + selected +
                      R"(" timingOffset="0">)" + inputChildren + "</AudioInput>";
        components += R"(<AudioOutput id="AO)" + n +
                      R"(" timingOffset="0"><AudioOutputEmbedded group="Group1"/></AudioOutput>)";
    }
    return R"(<Config><System><SystemVideoReference referenceStandard="Format525_29_97Hz_2To1"/>)"
           R"(</System>)" +
           channel + "</Channel>" + components + "</Config>";
}

const std::string kEmbedded = R"(<AudioInputEmbedded group="Group1" audioInputFormat="24bit"/>)";
const std::string kEmbeddedAndAes = R"(<AudioInputAes audioInputFormat="16bit"/>)" + kEmbedded;

} // namespace

class AudioItemsTest : public ChannelTest {
protected:
    std::string assigned() const {
        std::string flags;
        for (const XmlNode& audio : document->documentNode().selectNodes("//Channel/Audio"))
            flags += audio.attribute("assigned") == "true" ? "1" : "0";
        return flags;
    }
    std::string attributes(const char* xpath) const {
        std::string values;
        for (const XmlNode& node : document->documentNode().selectNodes(xpath))
            values += (values.empty() ? "" : " ") + node.value();
        return values;
    }
    // The labels from the first row with the label on, as many as asked.
    std::vector<std::string> labelsFrom(const std::string& label, std::size_t count) const {
        const std::vector<std::string> all = labels();
        auto at = std::find(all.begin(), all.end(), label);
        std::vector<std::string> result;
        for (; at != all.end() && result.size() < count; ++at)
            result.push_back(*at);
        return result;
    }
};

TEST_F(AudioItemsTest, AnAnalogOnlyInputHasATrimAndNothingElse) {
    load(audioDocument(4, R"(<AudioInputAnalog trim="-3"/>)", 4, "AudioInputAnalog"));
    build();
    EXPECT_EQ(item("Audio input type:"), nullptr);
    EXPECT_EQ(item("Number of audio inputs:"), nullptr);
    EXPECT_EQ(dialog->List()->FindItem(IDS_TIMING_OFFSET_INPUT), nullptr);
    EXPECT_NE(dialog->List()->FindItem(IDS_TIMING_OFFSET_OUTPUT), nullptr);
    ASSERT_NE(item("Audio input trim:"), nullptr);
    EXPECT_TRUE(item("Audio input trim:")->IsVisible());
    EXPECT_EQ(valueText(item("Audio input trim:")), "-3 dBu");
}

TEST_F(AudioItemsTest, TheEmbeddedCountOffersFollowTheCapableTracks) {
    load(audioDocument(16, kEmbedded, 16));
    build();
    EXPECT_EQ(offers(item("Number of audio inputs:")),
              (std::vector<std::string>{"2", "4", "6", "8", "12", "16"}));
    load(audioDocument(8, kEmbedded, 8));
    build();
    EXPECT_EQ(offers(item("Number of audio inputs:")),
              (std::vector<std::string>{"2", "4", "6", "8"}));
}

TEST_F(AudioItemsTest, EightEmbeddedInputsAssignTheFirstEightAndPairTheGroups) {
    load(audioDocument(16, kEmbedded, 16));
    document->documentNode()
        .selectSingleNode("//AudioInput[@id='AI1']/AudioInputEmbedded/@group")
        .setValue("Group2");
    build();
    ASSERT_TRUE(pick(item("Number of audio inputs:"), "8"));
    EXPECT_EQ(assigned(), "1111111100000000");
    CConfigItem* group = item("Embedded input group(s):");
    EXPECT_EQ(offers(group), (std::vector<std::string>{"Group 1 && 2", "Group 3 && 4"}));
    EXPECT_EQ(valueText(group), "Group 1 && 2");
    // Eight pair rows for sixteen tracks before, four now, right after the group row.
    EXPECT_EQ(labelsFrom("Embedded input group(s):", 6),
              (std::vector<std::string>{
                  "Embedded input group(s):", "A1/A2 input format:", "A3/A4 input format:",
                  "A5/A6 input format:", "A7/A8 input format:", "Audio input trim:"}));
}

TEST_F(AudioItemsTest, GroupsAreNumberedFourTracksAtATime) {
    load(audioDocument(12, kEmbedded, 8));
    build();
    ASSERT_TRUE(pick(item("Embedded input group(s):"), "Group 3 && 4"));
    EXPECT_EQ(attributes("//AudioInput/AudioInputEmbedded/@group"),
              "Group3 Group3 Group3 Group3 Group4 Group4 Group4 Group4 "
              "GroupNone GroupNone GroupNone GroupNone");
}

TEST_F(AudioItemsTest, ReducingTheCountLeavesThePairRowsForTheRemainingTracks) {
    load(audioDocument(8, kEmbedded, 8));
    build();
    ASSERT_TRUE(pick(item("Number of audio inputs:"), "4"));
    EXPECT_EQ(assigned(), "11110000");
    EXPECT_EQ(labelsFrom("Embedded input group(s):", 4),
              (std::vector<std::string>{"Embedded input group(s):", "A1/A2 input format:",
                                        "A3/A4 input format:", "Audio input trim:"}));
    // A pair row writes both tracks of its pair.
    ASSERT_TRUE(pick(item("A3/A4 input format:"), "Dolby-E"));
    EXPECT_EQ(attributes("//AudioInput/AudioInputEmbedded/@audioInputFormat"),
              "24bit 24bit DolbyE DolbyE 24bit 24bit 24bit 24bit");
}

TEST_F(AudioItemsTest, SwitchingToAesUnassignsTracksWithoutAnAesInput) {
    std::string text = audioDocument(4, kEmbeddedAndAes, 4);
    // The last two tracks have no AES input.
    for (const char* id : {"AI3", "AI4"}) {
        const std::string from =
            std::string(R"(<AudioInput id=")") + id +
            R"(" selectedInput="AudioInputEmbedded" timingOffset="0"><AudioInputAes audioInputFormat="16bit"/>)";
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos);
        text.replace(at, from.size(),
                     std::string(R"(<AudioInput id=")") + id +
                         R"(" selectedInput="AudioInputEmbedded" timingOffset="0">)");
    }
    load(text);
    build();
    EXPECT_EQ(offers(item("Audio input type:")), (std::vector<std::string>{"AES/EBU", "Embedded"}));
    ASSERT_TRUE(pick(item("Audio input type:"), "AES/EBU"));
    EXPECT_EQ(attributes("//AudioInput/@selectedInput"), "AudioInputAes AudioInputAes  ");
    EXPECT_EQ(assigned(), "1100");
    EXPECT_NE(item("A1/A2 input format:"), nullptr);
}

TEST_F(AudioItemsTest, TrimAndTimingReachEveryTrack) {
    load(audioDocument(3, R"(<AudioInputAnalog trim="0"/>)" + kEmbedded, 3, "AudioInputAnalog"));
    build();
    script.answerDialog([](QDialog& slider) {
        static_cast<CConfigSliderDlg&>(slider).MoveTo(15); // -12 + 15
        return IDOK;
    });
    ASSERT_TRUE(item("Audio input trim:")->TrackPopup(QPoint(1, 1)));
    deliver();
    EXPECT_EQ(attributes("//AudioInput/AudioInputAnalog/@trim"), "3 3 3");

    script.answerDialog([](QDialog& slider) {
        static_cast<CConfigSliderDlg&>(slider).MoveTo(250); // -200 + 250
        return IDOK;
    });
    ASSERT_TRUE(item("Timing offset:", 0)->TrackPopup(QPoint(1, 1)));
    EXPECT_EQ(attributes("//AudioInput/@timingOffset"), "50 50 50");
    EXPECT_EQ(attributes("//AudioOutput/@timingOffset"), "0 0 0");
}

TEST_F(AudioItemsTest, CancellingTheTrimTakesBackWhatItsRuleWroteOnEveryInput) {
    load(audioDocument(3, R"(<AudioInputAnalog trim="-3"/>)", 3, "AudioInputAnalog"));
    build();
    script.answerDialog([this](QDialog& slider) {
        static_cast<CConfigSliderDlg&>(slider).RestoreDefault(); // 0, applied at once
        deliver();                                               // as the open dialog does
        EXPECT_EQ(attributes("//AudioInput/AudioInputAnalog/@trim"), "0 0 0");
        EXPECT_EQ(server->changes.size(), 3u);
        for (const AttributeChangeCall& change : server->changes)
            EXPECT_FALSE(change.flag) << "a step is not final while the dialog runs";
        return IDCANCEL;
    });
    EXPECT_FALSE(item("Audio input trim:")->TrackPopup(QPoint(1, 1)));
    deliver();
    EXPECT_EQ(attributes("//AudioInput/AudioInputAnalog/@trim"), "-3 -3 -3");
    EXPECT_EQ(valueText(item("Audio input trim:")), "-3 dBu");
    for (const char* input : {"AI1", "AI2", "AI3"}) {
        const std::string analog =
            "//AudioInput[@id=\"" + std::string(input) + "\"]/AudioInputAnalog";
        EXPECT_EQ(server->lastSent(analog, "trim"), "-3") << input;
    }
    EXPECT_TRUE(server->changes.back().flag);
}

TEST_F(AudioItemsTest, OutputGroupChoicesFollowTheEmbeddedOutputs) {
    load(audioDocument(8, kEmbedded, 8));
    build();
    CConfigItem* group = item("Embedded output group(s):");
    EXPECT_EQ(offers(group), (std::vector<std::string>{"None", "Group 1 && 2", "Group 3 && 4"}));
    ASSERT_TRUE(pick(group, "Group 3 && 4"));
    EXPECT_EQ(attributes("//AudioOutput/AudioOutputEmbedded/@group"),
              "Group3 Group3 Group3 Group3 Group4 Group4 Group4 Group4");
    ASSERT_TRUE(pick(group, "None"));
    EXPECT_EQ(attributes("//AudioOutput/AudioOutputEmbedded/@group"),
              "GroupNone GroupNone GroupNone GroupNone GroupNone GroupNone GroupNone GroupNone");
}

TEST_F(AudioItemsTest, AudioRowsCompareTheStartWithNowAndShowEachAsItWasShown) {
    load(audioDocument(16, kEmbeddedAndAes, 16));
    state.SetInitialConfig(document->xml());
    build();
    const auto startAndNow = [](CConfigItem* row) {
        std::string was;
        std::string now;
        if (!row || !row->DiffersFromStart() || !row->StartAndNowText(was, now))
            return std::string("unchanged");
        return was + " -> " + now;
    };
    for (std::size_t i = 0; i < dialog->List()->ItemCount(); ++i)
        EXPECT_FALSE(dialog->List()->ItemAt(i)->DiffersFromStart()) << i;

    ASSERT_TRUE(pick(item("Audio input type:"), "AES/EBU"));
    ASSERT_TRUE(pick(item("Number of audio inputs:", 1), "4"));
    ASSERT_TRUE(pick(item("A1/A2 input format:"), "AC-3"));
    script.answerDialog([](QDialog& slider) {
        static_cast<CConfigSliderDlg&>(slider).MoveTo(250); // -200 + 250
        return IDOK;
    });
    ASSERT_TRUE(item("Timing offset:", 0)->TrackPopup(QPoint(1, 1)));

    EXPECT_EQ(startAndNow(item("Audio input type:")), "Embedded -> AES/EBU");
    EXPECT_EQ(startAndNow(item("Number of audio inputs:", 0)), "16 -> 4");
    EXPECT_EQ(startAndNow(item("Number of audio inputs:", 1)), "16 -> 4");
    EXPECT_EQ(startAndNow(item("A1/A2 input format:")), "16-bit PCM -> AC-3");
    EXPECT_EQ(startAndNow(item("Timing offset:", 0)), "0 ms -> 50 ms");
    EXPECT_EQ(startAndNow(item("Timing offset:", 1)), "unchanged");
    // The group row showed sixteen tracks' choice at the start, and shows four tracks' now.
    CConfigItem* group = item("Embedded input group(s):");
    ASSERT_TRUE(pick(group, "Group 3"));
    EXPECT_EQ(startAndNow(group), "Groups 1, 2, 3, 4 -> Group 3");
    EXPECT_EQ(offers(group),
              (std::vector<std::string>{"Group 1", "Group 2", "Group 3", "Group 4"}));
    state.SetInitialConfig(std::string());
}
