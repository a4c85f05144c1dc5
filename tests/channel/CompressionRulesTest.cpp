#include "ChannelFixture.h"

#include "platform/StringIds.h"

namespace {

constexpr const char* kCodec = "//VideoCodec[@id='VC1']";

// A recorder on the given input with the timecode and ancillary data codecs the input
// format rule rewrites, and VBI lines in its own codec, its data track and channel C2.
ChannelShape recorder(const std::string& input, const std::string& compression,
                      const std::string& mpeg = R"( chromaFormat="4_2_2" dataRate="50")") {
    ChannelShape shape;
    shape.type = "Recorder";
    shape.inputFormat = input;
    shape.compression = compression;
    shape.mpegAttributes = mpeg;
    shape.inputChildren = "<VideoInputSdi/><VideoInputFormat><Format1080_29_97Hz_2To1/>"
                          "<Format720_59_94Hz_1To1/></VideoInputFormat>";
    shape.codecChildren =
        R"(<D10 dataRate="50"/><Xdcam dataRate="50"/>)"
        R"(<UncompressedVbi enable="true"><VbiLine lineType="Luma" lineNum="14"/>)"
        R"(<VbiLine lineType="Chroma" lineNum="16"/></UncompressedVbi>)";
    shape.channelExtra = R"(<Timecode><TcCodecComponent id="TC1"/></Timecode>)"
                         R"(<AncData assigned="true"><AncDataCodecComponent id="AD1"/></AncData>)";
    shape.configExtra =
        R"(<TcCodec id="TC1" currentTcInput="Vitc"/>)"
        R"(<AncDataCodec id="AD1" fieldsPerRiff="10"><UncompressedVbi enable="false">)"
        R"(<VbiLine lineNum="12"/></UncompressedVbi></AncDataCodec>)";
    return shape;
}

} // namespace

class CompressionRulesTest : public ChannelTest {
protected:
    std::size_t vbiLines(const char* codec) const {
        return document->documentNode()
            .selectNodes(std::string(codec) + "/UncompressedVbi/VbiLine")
            .size();
    }
    void changeInputFormat(const char* choice) {
        ASSERT_TRUE(pick(item("Video input format:"), choice));
    }
};

TEST_F(CompressionRulesTest, AnInputFormatChangeDropsAFamilyTheNewFormatCannotRecord) {
    struct Case {
        const char* from;
        const char* compression;
        const char* to;
        const char* kept;
    };
    for (const Case& c : {Case{"Format1080_29_97Hz_2To1", "Xdcam", "720p", "Mpeg"},
                          Case{"Format1080_29_97Hz_2To1", "Xdcam422", "720p", "Xdcam422"},
                          Case{"Format720_59_94Hz_1To1", "XdcamEx", "NTSC (SD)", "Mpeg"},
                          Case{"Format720_59_94Hz_1To1", "XdcamEx", "1080i", "XdcamEx"},
                          // Standard-definition families are not recorded in high definition.
                          Case{"Format525_29_97Hz_2To1", "D10", "1080i", "Mpeg"},
                          Case{"Format525_29_97Hz_2To1", "Dv25", "720p", "Mpeg"},
                          Case{"Format1080_29_97Hz_2To1", "Dvcam", "NTSC (SD)", "Dvcam"},
                          // A value of no family is left as it is.
                          Case{"Format525_29_97Hz_2To1", "Hevc", "1080i", "Hevc"}}) {
        SCOPED_TRACE(std::string(c.compression) + " to " + c.to);
        load(channelDocument(recorder(c.from, c.compression)));
        build();
        changeInputFormat(c.to);
        EXPECT_EQ(read(std::string(kCodec) + "/@compressionFormat"), c.kept);
    }
}

TEST_F(CompressionRulesTest, CrossingBetweenStandardAndHighDefinitionResetsTimecodeAndData) {
    load(channelDocument(recorder("Format1080_29_97Hz_2To1", "Mpeg")));
    build();
    changeInputFormat("NTSC (SD)");
    EXPECT_EQ(read("//TcCodec/@currentTcInput"), "Internal");
    EXPECT_EQ(read("//AncDataCodec/@fieldsPerRiff"), "14");
    EXPECT_EQ(read("//Channel[@id='C1']/AncData/@assigned"), "false");

    // 525 to 625 stays standard definition: only the fields per riff are written (14 again).
    ChannelShape shape = recorder("Format525_29_97Hz_2To1", "Mpeg");
    shape.reference = "Format525_29_97Hz_2To1";
    load(channelDocument(shape));
    document->documentNode().selectSingleNode("//AncDataCodec/@fieldsPerRiff").setValue("3");
    build();
    // The 525 row offers no 625: open it (which notes 525 as the value before), then change
    // the document as the 625 row would and run the rule.
    CConfigItem* format = item("Video input format:", 0);
    script.answer(1);
    format->TrackPopup(QPoint(1, 1));
    state.PutAttributeValue("//VideoInput[@id='VI1']", "videoInputFormat",
                            Variant("Format625_25Hz_2To1"), false, true);
    dialog->OnItemChange(IDS_VIDEO_INPUT_FORMAT, format);
    EXPECT_EQ(read("//TcCodec/@currentTcInput"), "Vitc");
    EXPECT_EQ(read("//AncDataCodec/@fieldsPerRiff"), "14");
    EXPECT_EQ(read("//Channel[@id='C1']/AncData/@assigned"), "true");
}

TEST_F(CompressionRulesTest, AnInputFormatChangeClampsTheRate) {
    load(channelDocument(
        recorder("Format1080_29_97Hz_2To1", "Mpeg", R"( chromaFormat="4_2_0" dataRate="60")")));
    build();
    changeInputFormat("NTSC (SD)");
    EXPECT_EQ(read(std::string(kCodec) + "/Mpeg/@dataRate"), "15");
}

TEST_F(CompressionRulesTest, FamiliesWithoutSeparateLinesRemoveOnlyThisCodecsLines) {
    load(channelDocument(recorder("Format525_29_97Hz_2To1", "Mpeg")));
    build();
    ASSERT_TRUE(pick(item("Compression format:"), "MPEG:D10"));
    EXPECT_EQ(vbiLines(kCodec), 0u);
    EXPECT_EQ(vbiLines("//VideoCodec[@id='VC2']"), 1u);
    EXPECT_EQ(vbiLines("//AncDataCodec"), 1u);
    // The element that holds the lines stays.
    EXPECT_FALSE(document->documentNode()
                     .selectSingleNode(std::string(kCodec) + "/UncompressedVbi")
                     .isNull());

    load(channelDocument(recorder("Format525_29_97Hz_2To1", "D10")));
    build();
    ASSERT_TRUE(pick(item("Compression format:"), "MPEG"));
    EXPECT_EQ(vbiLines(kCodec), 2u);
}

TEST_F(CompressionRulesTest, XdcamHdKeepsAnXdcamRateAndReplacesAnyOther) {
    for (const char* stored : {"50", "35"}) {
        SCOPED_TRACE(stored);
        ChannelShape shape = recorder("Format1080_29_97Hz_2To1", "Mpeg");
        shape.codecChildren = std::string(R"(<Xdcam dataRate=")") + stored + R"("/>)";
        load(channelDocument(shape));
        build();
        ASSERT_TRUE(pick(item("Compression format:", 2), "MPEG:XDCAM-HD"));
        EXPECT_EQ(read(std::string(kCodec) + "/Xdcam/@dataRate"), *stored == '5' ? "25" : "35");
    }
}

TEST_F(CompressionRulesTest, AChromaChangeClampsTheRateAndRewritesTheGop) {
    ChannelShape shape =
        recorder("Format525_29_97Hz_2To1", "Mpeg",
                 R"( chromaFormat="4_2_2" dataRate="40" pPixPerIPix="4" bPixPerPPix="1")");
    shape.profileLevel = "422P@ML";
    load(channelDocument(shape));
    build();
    ASSERT_TRUE(pick(item("Chroma format:"), "4:2:0"));
    EXPECT_EQ(read(std::string(kCodec) + "/Mpeg/@dataRate"), "15");
    // A 4:2:0 long GOP has two B frames per P frame.
    EXPECT_EQ(read(std::string(kCodec) + "/Mpeg/@bPixPerPPix"), "2");
}

TEST_F(CompressionRulesTest, CompressingTheVbiDropsTheSeparateLines) {
    ChannelShape shape = recorder("Format525_29_97Hz_2To1", "Mpeg",
                                  R"( chromaFormat="4_2_2" dataRate="40" recordVbi="false")");
    load(channelDocument(shape));
    build();
    ASSERT_TRUE(pick(item("Compress VBI:"), "Yes (Active picture plus VBI)"));
    EXPECT_EQ(vbiLines(kCodec), 0u);
    EXPECT_EQ(vbiLines("//VideoCodec[@id='VC2']"), 1u);
}
