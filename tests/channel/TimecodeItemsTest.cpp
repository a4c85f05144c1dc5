#include "ChannelFixture.h"

#include "channel/ConfigVbiItem.h"
#include "items/ConfigSliderItem.h"
#include "platform/StringIds.h"

#include <algorithm>

namespace {

// A recording player with VITC on both sides, ancillary timecode and a data track.
ChannelShape timecodeShape(const std::string& input, const std::string& automatic = "true") {
    ChannelShape shape;
    shape.inputFormat = input;
    shape.reference = input == "Format625_25Hz_2To1" ? input : "Format525_29_97Hz_2To1";
    shape.inputChildren = R"(<VideoInputSdi/><VideoInputVitc automatic=")" + automatic +
                          R"(" line1="12" line2="14"/><VideoInputAncLtc/><VideoInputAncVitc/>)";
    shape.channelExtra = R"(<AncData assigned="true"><AncDataCodecComponent id="AD1"/></AncData>)";
    shape.configExtra =
        R"(<AncDataCodec id="AD1"><UncompressedVbi enable="true" chromaCapable="true">)"
        R"(<VbiLine lineType="Luma" lineNum="12"/></UncompressedVbi>)"
        R"(<TeleText enable="false"><TeleTextLine lineNum="7"/></TeleText>)"
        R"(<Afd generateOnOutput="WhenKnown"/></AncDataCodec>)";
    shape.codecChildren = R"(<UncompressedVbi enable="true"/>)";
    return shape;
}

} // namespace

class TimecodeItemsTest : public ChannelTest {
protected:
    std::vector<std::string> visibleLabels() const { return labels(true); }
    bool shows(const std::string& label) const {
        const std::vector<std::string> all = visibleLabels();
        return std::find(all.begin(), all.end(), label) != all.end();
    }
    // The visible slider with the label.
    CConfigSliderItem* slider(const std::string& label) const {
        return dynamic_cast<CConfigSliderItem*>(shownItem(label));
    }
};

TEST_F(TimecodeItemsTest, VitcLinesSwitchBetweenAutomaticAndManual) {
    load(channelDocument(timecodeShape("Format525_29_97Hz_2To1")));
    build();
    ASSERT_NE(slider("Starting VITC line:"), nullptr);
    EXPECT_EQ(slider("Starting VITC line:")->Dialog().Minimum(), 10);
    EXPECT_EQ(slider("Ending VITC line:")->Dialog().Maximum(), 20);
    EXPECT_EQ(slider("VITC line 1:"), nullptr);
    ASSERT_TRUE(pick(item("Automatic VITC detection:"), "Off"));
    EXPECT_EQ(slider("Starting VITC line:"), nullptr);
    ASSERT_NE(slider("VITC line 1:"), nullptr);
    // The defaults the Default button restores.
    CConfigSliderDlg& line1 = slider("VITC line 1:")->Dialog();
    line1.RestoreDefault();
    EXPECT_EQ(line1.Current(), Variant(std::int32_t{16}));

    load(channelDocument(timecodeShape("Format625_25Hz_2To1")));
    build();
    EXPECT_EQ(slider("Starting VITC line:")->Dialog().Minimum(), 6);
    EXPECT_EQ(slider("Ending VITC line:")->Dialog().Maximum(), 22);
}

TEST_F(TimecodeItemsTest, VitcOutputLinesFollowTheGeneratorAndAncillaryTimecodeTheFormat) {
    ChannelShape shape = timecodeShape("Format525_29_97Hz_2To1");
    shape.outputChildren = R"(<VideoOutputSdi/><VideoOutputVitc enable="true" line1="12")"
                           R"( line2="14"/><VideoOutputAncLtc enable="false"/>)"
                           R"(<VideoOutputFormat><Format1080_29_97Hz_2To1/></VideoOutputFormat>)";
    load(channelDocument(shape));
    build();
    EXPECT_TRUE(shows("VITC Output:"));
    EXPECT_EQ(valueText(item("VITC output generator:")), "On");
    // Automatic detection on the input side, so line 1 and 2 are the output's.
    ASSERT_NE(slider("VITC line 2:"), nullptr);
    EXPECT_EQ(slider("VITC line 2:")->Dialog().Maximum(), 20);
    slider("VITC line 2:")->Dialog().RestoreDefault();
    EXPECT_EQ(read("//VideoOutput[@id='VO1']/VideoOutputVitc/@line2"), "18");
    EXPECT_FALSE(shows("Ancillary LTC:"));

    ASSERT_TRUE(pick(item("VITC output generator:"), "Off"));
    EXPECT_EQ(slider("VITC line 1:"), nullptr);
    EXPECT_EQ(slider("VITC line 2:"), nullptr);

    ASSERT_TRUE(pick(item("Video output format:"), "1080i (1920x1080)"));
    EXPECT_FALSE(shows("VITC Output:"));
    EXPECT_TRUE(shows("Ancillary data timecode output:"));
    EXPECT_EQ(offers(item("Ancillary LTC:")), (std::vector<std::string>{"Yes", "No"}));
    // Only the elements the output has get a row.
    EXPECT_EQ(item("Ancillary VITC:"), nullptr);
}

TEST_F(TimecodeItemsTest, WithoutVitcOrAncillaryElementsThereAreNoTimecodeRows) {
    ChannelShape shape = timecodeShape("Format525_29_97Hz_2To1");
    shape.inputChildren = "<VideoInputSdi/>";
    load(channelDocument(shape));
    build();
    for (const char* label :
         {"VITC Input:", "Automatic VITC detection:", "Starting VITC line:", "VITC present",
          "Ancillary data timecode inputs:", "VITC Output:", "Ancillary data timecode output:"})
        EXPECT_EQ(item(label), nullptr) << label;
}

TEST_F(TimecodeItemsTest, HighDefinitionInputShowsAncillaryTimecodeInsteadOfVitc) {
    load(channelDocument(timecodeShape("Format1080_29_97Hz_2To1")));
    build();
    EXPECT_FALSE(shows("VITC Input:"));
    EXPECT_FALSE(shows("Automatic VITC detection:"));
    EXPECT_TRUE(shows("Ancillary LTC present"));
    EXPECT_TRUE(shows("Ancillary VITC present"));
    // The data track's VBI rows are for standard definition only.
    EXPECT_TRUE(shows("Record ancillary data:"));
    EXPECT_FALSE(shows("Record Uncompressed VBI and captioning to data track"));
}

TEST_F(TimecodeItemsTest, TeletextLinesShowOnlyFor625WithTheDataTrackRecordingVbi) {
    load(channelDocument(timecodeShape("Format625_25Hz_2To1")));
    build();
    EXPECT_TRUE(shows("Uncompressed VBI lines:"));
    EXPECT_TRUE(shows("Teletext lines:"));
    EXPECT_EQ(valueText(item("Teletext lines:")), "7 ");
    ASSERT_TRUE(pick(item("Record Uncompressed VBI and captioning to data track"),
                     "No (Quarn compatible)"));
    EXPECT_FALSE(shows("Teletext lines:"));

    load(channelDocument(timecodeShape("Format525_29_97Hz_2To1")));
    build();
    EXPECT_FALSE(shows("Teletext lines:"));
}

TEST_F(TimecodeItemsTest, TheDataTrackAndTheVideoNeverBothKeepTheVbi) {
    load(channelDocument(timecodeShape("Format525_29_97Hz_2To1")));
    build();
    ASSERT_TRUE(pick(item("Record Uncompressed VBI and captioning to data track"),
                     "No (Quarn compatible)"));
    EXPECT_EQ(read("//AncDataCodec/TeleText/@enable"), "false");
    EXPECT_EQ(read("//VideoCodec[@id='VC1']/UncompressedVbi/@enable"), "true");
    ASSERT_TRUE(pick(item("Record Uncompressed VBI and captioning to data track"), "Yes"));
    EXPECT_EQ(read("//AncDataCodec/TeleText/@enable"), "true");
    EXPECT_EQ(read("//VideoCodec[@id='VC1']/UncompressedVbi/@enable"), "false");

    // Not recording ancillary data gives the VBI back to the video.
    ASSERT_TRUE(pick(item("Record ancillary data:"), "No"));
    EXPECT_EQ(read("//VideoCodec[@id='VC1']/UncompressedVbi/@enable"), "true");
    // Recording it again with teletext on leaves the VBI to the data track.
    ASSERT_TRUE(pick(item("Record ancillary data:"), "Yes"));
    EXPECT_EQ(read("//VideoCodec[@id='VC1']/UncompressedVbi/@enable"), "false");
}

TEST_F(TimecodeItemsTest, AfdIsOfferedOnlyWithItsElement) {
    load(channelDocument(timecodeShape("Format525_29_97Hz_2To1")));
    build();
    EXPECT_EQ(valueText(item("Generate AFD on Output:")), "When known");
    load(channelDocument());
    build();
    EXPECT_EQ(item("Generate AFD on Output:"), nullptr);
    EXPECT_EQ(item("Data Track:"), nullptr);
}
