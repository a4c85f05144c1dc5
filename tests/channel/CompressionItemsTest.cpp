#include "ChannelFixture.h"

#include "channel/ConfigVbiItem.h"
#include "items/ConfigSliderItem.h"
#include "platform/StringIds.h"

#include <algorithm>

namespace {

constexpr const char* kMpeg = "//VideoCodec[@id='VC1']/Mpeg/@";

ChannelShape recorder(const std::string& profile = "422P@HL") {
    ChannelShape shape;
    shape.type = "Recorder";
    shape.profileLevel = profile;
    return shape;
}

} // namespace

using CompressionItemsTest = ChannelTest;

TEST_F(CompressionItemsTest, CompressionFamiliesFollowTheCodecAndTheInputFormat) {
    struct Case {
        const char* input;
        const char* families;
        std::vector<std::string> offered;
    };
    const char* all = "<Dv25/><Dv50/><D10 dataRate=\"50\"/><Dvcam/><Xdcam dataRate=\"35\"/>";
    // Only the families the codec's elements offer, and only those the format can record.
    for (const Case& c :
         {Case{"Format625_25Hz_2To1", "", {"MPEG"}},
          Case{"Format625_25Hz_2To1", all, {"DV25", "DV50", "MPEG", "MPEG:D10", "DVCAM"}},
          Case{"Format720_50Hz_1To1", all, {"MPEG", "MPEG:XDCAM-HD422", "MPEG:XDCAM-EX"}}}) {
        SCOPED_TRACE(std::string(c.input) + " " + c.families);
        ChannelShape shape = recorder();
        shape.inputFormat = c.input;
        shape.codecChildren = c.families;
        load(channelDocument(shape));
        build();
        CConfigItem* compression = shownItem("Compression format:");
        ASSERT_NE(compression, nullptr);
        EXPECT_EQ(offers(compression), c.offered);
    }
}

TEST_F(CompressionItemsTest, TheProfileLevelDecidesTheInputFormatLongGopAndChromaRows) {
    struct Case {
        const char* profile;
        bool inputFormat;
        bool longGop;
        bool chroma;
    };
    for (const Case& c : {Case{"422P@HL", true, true, true}, Case{"MP@HL", true, true, false},
                          Case{"422P@ML", false, true, true}, Case{"MP@ML", false, false, false}}) {
        SCOPED_TRACE(c.profile);
        load(channelDocument(recorder(c.profile)));
        build();
        EXPECT_EQ(item("Video input format:") != nullptr, c.inputFormat);
        EXPECT_EQ(item("Long GOP:") != nullptr, c.longGop);
        EXPECT_EQ(item("Chroma format:") != nullptr, c.chroma);
    }
    ChannelShape shape = recorder();
    shape.inputChildren =
        "<VideoInputSdi/><VideoInputFormat><Format720_59_94Hz_1To1/></VideoInputFormat>";
    load(channelDocument(shape));
    build();
    EXPECT_EQ(offers(item("Video input format:", 0)),
              (std::vector<std::string>{"NTSC (SD)", "720p"}));
    EXPECT_EQ(offers(item("Video input format:", 1)),
              (std::vector<std::string>{"PAL (SD)", "720p"}));
}

TEST_F(CompressionItemsTest, LongGopOffersFollowTheChromaAndWriteBothAttributes) {
    ChannelShape shape = recorder("422P@ML");
    shape.mpegAttributes = R"( chromaFormat="4_2_2" dataRate="25" pPixPerIPix="0" bPixPerPPix="0")";
    load(channelDocument(shape));
    build();
    CConfigItem* longGop = item("Long GOP:");
    EXPECT_EQ(valueText(longGop), "No (I-frame only)");
    EXPECT_EQ(offers(longGop), (std::vector<std::string>{"Yes (IBPBPBPBPB)", "No (I-frame only)"}));
    ASSERT_TRUE(pick(longGop, "Yes (IBPBPBPBPB)"));
    EXPECT_EQ(read(std::string(kMpeg) + "pPixPerIPix"), "4");
    EXPECT_EQ(read(std::string(kMpeg) + "bPixPerPPix"), "1");

    ASSERT_TRUE(pick(item("Chroma format:"), "4:2:0"));
    EXPECT_EQ(offers(longGop),
              (std::vector<std::string>{"Yes (IBBPBBPBBPBBPBB)", "No (I-frame only)"}));
    ASSERT_TRUE(pick(longGop, "No (I-frame only)"));
    EXPECT_EQ(read(std::string(kMpeg) + "pPixPerIPix"), "0");
    EXPECT_EQ(read(std::string(kMpeg) + "bPixPerPPix"), "0");
}

TEST_F(CompressionItemsTest, OneDataRateSliderShowsForEachFormatAndChroma) {
    for (const char* input : {"Format525_29_97Hz_2To1", "Format625_25Hz_2To1",
                              "Format1080_25Hz_2To1", "Format720_50Hz_1To1"}) {
        for (const char* chroma : {"4_2_0", "4_2_2"}) {
            SCOPED_TRACE(std::string(input) + " " + chroma);
            ChannelShape shape = recorder("422P@HL");
            shape.inputFormat = input;
            shape.mpegAttributes = std::string(" chromaFormat=\"") + chroma + "\" dataRate=\"15\"";
            load(channelDocument(shape));
            build();
            const std::vector<std::string> shown = labels(true);
            EXPECT_EQ(std::count(shown.begin(), shown.end(), "Recording data rate:"), 1);
            EXPECT_EQ(valueText(shownItem("Recording data rate:")), "15 Mb/s");
        }
    }
}

TEST_F(CompressionItemsTest, CompressedVbiHidesTheUncompressedLines) {
    ChannelShape shape = recorder();
    shape.mpegAttributes = R"( chromaFormat="4_2_2" dataRate="50" recordVbi="false")";
    shape.codecChildren = R"(<UncompressedVbi enable="true" chromaCapable="true"/>)";
    load(channelDocument(shape));
    build();
    ASSERT_NE(shownItem("Uncompressed VBI lines:"), nullptr);
    ASSERT_TRUE(pick(shownItem("Compress VBI:"), "Yes (Active picture plus VBI)"));
    EXPECT_EQ(shownItem("Uncompressed VBI lines:"), nullptr);
    // At 4:2:0 the lines show whatever the VBI compression says, and it is not offered.
    ASSERT_TRUE(pick(shownItem("Chroma format:"), "4:2:0"));
    EXPECT_NE(shownItem("Uncompressed VBI lines:"), nullptr);
    EXPECT_EQ(shownItem("Compress VBI:"), nullptr);
}

TEST_F(CompressionItemsTest, FamilyRatesAndNoiseReductionNeedTheirElements) {
    ChannelShape shape = recorder();
    shape.compression = "D10";
    shape.codecChildren = R"(<D10 dataRate="40"/><EncoderPrefilter noiseReduction="Bypass"/>)";
    load(channelDocument(shape));
    build();
    CConfigItem* rate = shownItem("Recording data rate:");
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ(rate->GetLabelId(), IDS_RECORDING_DATA_RATE_D10_XDCAM);
    EXPECT_EQ(valueText(rate), "40 Mb/s");
    EXPECT_EQ(valueText(item("Video noise reduction:")), "None");
    EXPECT_EQ(shownItem("Long GOP:"), nullptr);

    load(channelDocument(recorder()));
    build();
    EXPECT_EQ(item("Video noise reduction:"), nullptr);
}

TEST_F(CompressionItemsTest, AChannelWithoutACodecHasNoRecorderRows) {
    ChannelShape shape = recorder();
    load(channelDocument(shape));
    XmlNode video = document->documentNode().selectSingleNode("//Channel[@id='C1']/Video");
    video.removeChild(video.selectSingleNode("VideoCodecComponent"));
    build();
    EXPECT_EQ(item("Recorder Setup:"), nullptr);
    EXPECT_EQ(item("Compression format:"), nullptr);
    EXPECT_NE(item("Input type:"), nullptr);
}

TEST(DataRateTest, TheClampFollowsFormatChromaAndTheCodecsOwnCeiling) {
    XmlDocument document;
    ASSERT_EQ(
        document.loadXml(
            R"(<Config><VideoCodec id="A"><Mpeg profileLevel="422P@ML"/></VideoCodec>)"
            R"(<VideoCodec id="B"><Mpeg profileLevel="422P@ML"/><Dv50/></VideoCodec></Config>)"),
        S_OK);
    const XmlNode slow = document.documentNode().selectSingleNode("//VideoCodec[@id='A']");
    const XmlNode fast = document.documentNode().selectSingleNode("//VideoCodec[@id='B']");
    int clamped = 0;
    EXPECT_TRUE(
        CChannelDlg::CheckVideoDataRate("Format525_29_97Hz_2To1", "4_2_2", 40, clamped, slow));
    EXPECT_EQ(clamped, 25);
    EXPECT_FALSE(
        CChannelDlg::CheckVideoDataRate("Format525_29_97Hz_2To1", "4_2_2", 40, clamped, fast));
    EXPECT_EQ(clamped, 40);
    // A rate in range is kept; one outside moves to the nearer limit; an unknown format
    // clamps nothing.
    EXPECT_FALSE(CChannelDlg::CheckVideoDataRate("Format1080_25Hz_2To1", "4_2_0", 60, clamped, 50));
    EXPECT_EQ(clamped, 60);
    EXPECT_TRUE(CChannelDlg::CheckVideoDataRate("Format1080_25Hz_2To1", "4_2_0", 10, clamped, 50));
    EXPECT_EQ(clamped, 20);
    EXPECT_TRUE(CChannelDlg::CheckVideoDataRate("Format1080_25Hz_2To1", "4_2_0", 90, clamped, 50));
    EXPECT_EQ(clamped, 80);
    EXPECT_FALSE(CChannelDlg::CheckVideoDataRate("FormatXga_50Hz_1To1", "4_2_0", 999, clamped, 25));
}
