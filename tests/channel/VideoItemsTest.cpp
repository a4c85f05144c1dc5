#include "ChannelFixture.h"

#include "items/ConfigSliderItem.h"
#include "platform/Metrics.h"

#include <algorithm>

namespace {

bool contains(const std::vector<std::string>& list, const std::string& text) {
    return std::find(list.begin(), list.end(), text) != list.end();
}

long count(const std::vector<std::string>& list, const std::string& text) {
    return std::count(list.begin(), list.end(), text);
}

const std::vector<std::string> kMonitorRows = {
    "Channel Monitoring:", "Display audio meters:", "Display channel information:",
    "Channel tab label:"};

} // namespace

using VideoItemsTest = ChannelTest;

TEST_F(VideoItemsTest, TheChannelTypeDecidesWhichGroupsAreBuilt) {
    struct Case {
        const char* type;
        bool input;
        bool output;
    };
    for (const Case& c : {Case{"Recorder", true, false}, Case{"Player", false, true},
                          Case{"PlayerRecorder", true, true}, Case{"Monitor", false, false}}) {
        SCOPED_TRACE(c.type);
        ChannelShape shape;
        shape.type = c.type;
        load(channelDocument(shape));
        build();
        const std::vector<std::string> all = labels();
        EXPECT_EQ(contains(all, "Input type:"), c.input);
        EXPECT_EQ(contains(all, "Video input present"), c.input);
        EXPECT_EQ(contains(all, "Video Output:"), c.output);
        EXPECT_EQ(contains(all, "Still-play mode:"), c.output);
        EXPECT_EQ(contains(all, "Line offset (coarse):"), c.output);
        // Every type ends with the monitor rows.
        ASSERT_GE(all.size(), kMonitorRows.size());
        EXPECT_TRUE(std::equal(kMonitorRows.begin(), kMonitorRows.end(),
                               all.end() - static_cast<long>(kMonitorRows.size())));
    }
}

TEST_F(VideoItemsTest, InputTypesFollowTheInputComponentsElements) {
    ChannelShape shape;
    shape.inputChildren = "<VideoInputSdi/>";
    load(channelDocument(shape));
    build();
    EXPECT_EQ(offers(item("Input type:")), std::vector<std::string>{"SDI"});
    // Without a composite input there is no pedestal to set.
    EXPECT_EQ(item("Input pedestal:"), nullptr);

    load(channelDocument());
    build();
    EXPECT_EQ(offers(item("Input type:")),
              (std::vector<std::string>{"SDI", "S-video", "Analog Composite", "Analog Component"}));
}

TEST_F(VideoItemsTest, TheInputPedestalShowsOnlyFor525CompositeOrSvideo) {
    struct Case {
        const char* reference;
        const char* input;
        bool shown;
    };
    for (const Case& c : {Case{"Format525_29_97Hz_2To1", "VideoInputAnalogComposite", true},
                          Case{"Format525_29_97Hz_2To1", "VideoInputAnalogSvideo", true},
                          Case{"Format525_29_97Hz_2To1", "VideoInputSdi", false},
                          Case{"Format525_29_97Hz_2To1", "VideoInputAnalogComponent", false},
                          Case{"Format625_25Hz_2To1", "VideoInputAnalogComposite", false},
                          Case{"Format625_25Hz_2To1", "VideoInputAnalogSvideo", false}}) {
        SCOPED_TRACE(std::string(c.reference) + " " + c.input);
        ChannelShape shape;
        shape.reference = c.reference;
        shape.selectedInput = c.input;
        load(channelDocument(shape));
        build();
        ASSERT_NE(item("Input pedestal:"), nullptr);
        EXPECT_EQ(item("Input pedestal:")->IsVisible(), c.shown);
        EXPECT_EQ(item("Input component type:")->IsVisible(),
                  std::string(c.input) == "VideoInputAnalogComponent");
    }
}

TEST_F(VideoItemsTest, ThePedestalIsWrittenToCompositeAndSvideoAlike) {
    ChannelShape shape;
    shape.inputChildren =
        R"(<VideoInputSdi/><VideoInputAnalogComposite ntscWithoutPedestal="true"/>)"
        R"(<VideoInputAnalogSvideo ntscWithoutPedestal="true"/>)";
    load(channelDocument(shape));
    build();
    EXPECT_EQ(valueText(item("Input pedestal:")), "Off");
    ASSERT_TRUE(pick(item("Input pedestal:"), "On"));
    EXPECT_EQ(read("//VideoInput/VideoInputAnalogComposite/@ntscWithoutPedestal"), "false");
    EXPECT_EQ(read("//VideoInput/VideoInputAnalogSvideo/@ntscWithoutPedestal"), "false");

    // The output pedestal: composite and S-video both, document only.
    ASSERT_TRUE(pick(item("Output pedestal:"), "Off"));
    EXPECT_EQ(read("//VideoOutput[@id='VO1']/VideoOutputAnalogComposite/@ntscWithoutPedestal"),
              "true");
    EXPECT_EQ(read("//VideoOutput[@id='VO1']/VideoOutputAnalogSvideo/@ntscWithoutPedestal"),
              "true");
    EXPECT_TRUE(server->changes.empty());
}

TEST_F(VideoItemsTest, APedestalWithoutItsAttributeReadsAsOnAndSvideoAloneIsLeftAlone) {
    ChannelShape shape;
    shape.inputChildren = "<VideoInputSdi/><VideoInputAnalogComposite/>";
    load(channelDocument(shape));
    build();
    EXPECT_EQ(valueText(item("Input pedestal:")), "On");
    // Nothing can take the value: the user is told, and nothing is created.
    EXPECT_FALSE(pick(item("Input pedestal:"), "Off"));
    EXPECT_EQ(script.last().text,
              "This setting is missing from the configuration, so it cannot be changed.");
    EXPECT_EQ(script.last().caption, "Input pedestal:");
    EXPECT_FALSE(document->documentNode()
                     .selectSingleNode("//VideoInputAnalogComposite")
                     .hasAttribute("ntscWithoutPedestal"));
}

TEST_F(VideoItemsTest, OutputFormatRowsNeedAHighDefinitionCodec) {
    struct Case {
        const char* profile;
        bool formats;
        bool highDefinitionTiming;
    };
    for (const Case& c : {Case{"422P@ML", false, false}, Case{"", false, false},
                          Case{"MP@HL", true, false}, Case{"422P@HL", true, true}}) {
        SCOPED_TRACE(c.profile);
        ChannelShape shape;
        shape.profileLevel = c.profile;
        load(channelDocument(shape));
        build();
        const std::vector<std::string> all = labels();
        EXPECT_EQ(dialog->ProfileLevel(), *c.profile ? c.profile : "422P@ML");
        EXPECT_EQ(count(all, "Video output format:"), c.formats ? 2 : 0);
        EXPECT_EQ(contains(all, "Aspect ratio:"), c.formats);
        EXPECT_EQ(contains(all, "Aspect ratio conversion:"), c.formats);
        // Two line offsets for standard definition, two more for high definition.
        EXPECT_EQ(count(all, "Line offset (coarse):"), c.highDefinitionTiming ? 4 : 2);
        EXPECT_EQ(count(all, "Video Output Timing:"), c.highDefinitionTiming ? 2 : 1);
    }
}

TEST_F(VideoItemsTest, OutputFormatChoicesFollowTheOffersAndTheReferenceStandard) {
    ChannelShape shape;
    shape.outputChildren = "<VideoOutputFormat><Format720_59_94Hz_1To1/><FormatXga_50Hz_1To1/>"
                           "</VideoOutputFormat>";
    load(channelDocument(shape));
    build();
    CConfigItem* ntsc = item("Video output format:", 0);
    CConfigItem* pal = item("Video output format:", 1);
    EXPECT_TRUE(ntsc->IsVisible());
    EXPECT_FALSE(pal->IsVisible());
    // The offers are read from the 59.94 Hz elements for both standards: a 50 Hz XGA
    // element alone offers no XGA.
    EXPECT_EQ(offers(ntsc), (std::vector<std::string>{"NTSC (SD)", "720p"}));
    EXPECT_EQ(offers(pal), (std::vector<std::string>{"PAL (SD)", "720p"}));
    EXPECT_EQ(item("Aspect ratio:"), nullptr);

    ASSERT_TRUE(pick(pal, "720p"));
    EXPECT_EQ(read("//VideoOutput[@id='VO1']/@videoOutputFormat"), "Format720_50Hz_1To1");
}

TEST_F(VideoItemsTest, FrameOffsetsExistOnlyWithAnAnalogCompositeOutput) {
    ChannelShape shape;
    shape.outputChildren =
        R"(<VideoOutputSdi/><VideoOutputTiming videoFieldOffset="0")"
        R"( videoLineOffset="0" videoSampleOffset="0" videoSubpixelOffset="0"/>)";
    load(channelDocument(shape));
    build();
    std::vector<std::string> all = labels();
    EXPECT_FALSE(contains(all, "Frame offset:"));
    EXPECT_FALSE(contains(all, "Analog sub-pixel offset (SC):"));
    EXPECT_FALSE(contains(all, "ProcAmp Control (Composite Output):"));
    EXPECT_FALSE(contains(all, "Output pedestal:"));
    EXPECT_EQ(count(all, "Sample offset (fine):"), 6);

    load(channelDocument());
    build();
    all = labels();
    EXPECT_EQ(count(all, "Frame offset:"), 2);
    EXPECT_TRUE(contains(all, "Analog sub-pixel offset (SC):"));
    EXPECT_TRUE(contains(all, "Sharpness:"));
}

TEST_F(VideoItemsTest, OneTimingSliderPerAttributeShowsForEachFormat) {
    for (const char* format :
         {"Format525_29_97Hz_2To1", "Format625_25Hz_2To1", "Format1080_29_97Hz_2To1",
          "Format1080_25Hz_2To1", "Format720_59_94Hz_1To1", "Format720_50Hz_1To1"}) {
        SCOPED_TRACE(format);
        ChannelShape shape;
        shape.outputFormat = format;
        load(channelDocument(shape));
        build();
        const std::vector<std::string> shown = labels(true);
        EXPECT_EQ(count(shown, "Line offset (coarse):"), 1);
        EXPECT_EQ(count(shown, "Sample offset (fine):"), 1);
        EXPECT_LE(count(shown, "Frame offset:"), 1);
        // The offset shows with its units.
        EXPECT_EQ(valueText(shownItem("Line offset (coarse):")), "2 lines");
    }
}

TEST_F(VideoItemsTest, StillPlayOffersFollowTheOutputHardware) {
    load(channelDocument());
    build();
    EXPECT_EQ(offers(item("Still-play mode:")),
              (std::vector<std::string>{"Field (interpolated)", "Frame (interlaced)"}));
    ChannelShape shape;
    shape.outputChildren = "<VideoOutputSdi/>";
    load(channelDocument(shape));
    build();
    EXPECT_EQ(offers(item("Still-play mode:")),
              (std::vector<std::string>{"Field (line-doubled)", "Frame (interlaced)"}));
    // Shown as stored, so it can be mended.
    EXPECT_EQ(valueText(item("Still-play mode:")), "Interpolated");
}

TEST_F(VideoItemsTest, ABusyChannelRefusesTheChangeWithTheInterlockText) {
    load(channelDocument());
    build();
    setLoadedClip(0, "Clip 7");
    EXPECT_FALSE(pick(item("Video output format:"), "720p"));
    EXPECT_EQ(script.last().text, "This value cannot be changed while a clip is loaded.\n"
                                  "Channel C1 holds the clip \"Clip 7\".");
    EXPECT_EQ(script.last().caption, "Channel In Use");
    EXPECT_EQ(read("//VideoOutput[@id='VO1']/@videoOutputFormat"), "Format525_29_97Hz_2To1");

    setPortState(0, 3);
    EXPECT_FALSE(pick(item("Input type:"), "Analog Composite"));
    EXPECT_EQ(script.last().text,
              "This value cannot be changed while recording.\nChannel C1 is recording.");
    EXPECT_EQ(script.last().caption, "Record In Progress");
    EXPECT_EQ(read("//VideoInput/@selectedInput"), "VideoInputSdi");
    EXPECT_EQ(read("//VideoOutput[@id='VO1']/VideoOutputTiming/@videoLineOffset"), "2");

    // Another channel's activity does not lock this one.
    setLoadedClip(0, "");
    setPortState(0, 0);
    setPortState(1, 3);
    EXPECT_TRUE(pick(item("Input type:"), "Analog Composite"));
}

TEST_F(VideoItemsTest, MonitorRowsOfTheServerScreenAreHiddenOnAWorkstation) {
    load(channelDocument());
    qputenv("TRELLIS_WORKSTATION", "1");
    build();
    qunsetenv("TRELLIS_WORKSTATION");
    const std::vector<std::string> all = labels();
    EXPECT_TRUE(contains(all, "Display audio meters:"));
    EXPECT_FALSE(contains(all, "Display channel information:"));
    EXPECT_FALSE(contains(all, "Channel tab label:"));
}

TEST_F(VideoItemsTest, ComponentIdsWithQuotesAreReadAndWritten) {
    std::string text = channelDocument();
    for (std::size_t at = text.find("\"VO1\""); at != std::string::npos; at = text.find("\"VO1\""))
        text.replace(at, 5, "\"V&quot;O'1\"");
    load(text);
    build();
    EXPECT_EQ(valueText(item("Still-play mode:")), "Field (interpolated)");
    ASSERT_TRUE(pick(item("Still-play mode:"), "Frame (interlaced)"));
    EXPECT_EQ(read("//VideoOutput[@id=concat('V', '\"', \"O'1\")]/@stillPlayMode"), "Interlaced");
    // Another channel's output is untouched.
    EXPECT_EQ(read("//VideoOutput[@id='VO2']/@stillPlayMode"), "LineDouble");
}
