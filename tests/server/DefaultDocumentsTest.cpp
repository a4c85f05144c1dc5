#include "platform/XmlDocument.h"
#include "server/embedded/ConfigRules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// A component of the first channel (a player-recorder with a high-definition codec), addressed
// as the channel page addresses it.
std::string component(const std::string& element, const std::string& reference) {
    return "//" + element + "[@id=//Channel[@channelIndex=\"0\"]/" + reference + "/@id]";
}

const std::string kVideoIn = component("VideoInput", "Video/VideoInputComponent");
const std::string kVideoOut = component("VideoOutput", "Video/VideoOutputComponent");
const std::string kCodec = component("VideoCodec", "Video/VideoCodecComponent");
const std::string kAudioIn = component("AudioInput", "Audio/AudioInputComponent");
const std::string kAudioOut = component("AudioOutput", "Audio/AudioOutputComponent");
const std::string kAncCodec = component("AncDataCodec", "AncData/AncDataCodecComponent");
const std::string kTcCodec = component("TcCodec", "Timecode/TcCodecComponent");

// Every node the pages read from a default document; each must select something.
const std::vector<std::string> kReadPaths = {
    // System page: reference, time of day and its LTC sources, audio reference.
    "./Config/System/SystemVideoReference/@referenceStandard",
    "./Config/System/TimeOfDay/@timeOfDaySource", "./Config/System/TimeOfDay/@ltcInputId",
    "./Config/System/SystemAudioReference/@audioUnityLevel", "//LtcInputSystem/@id",
    "//LtcInput[@id=//Channel[@id=\"C2\"]/Timecode/LtcInputComponent/@id]/@id",
    "//AudioInput/AudioInputAnalog",
    // Video input: type choices, pedestal, component type, HD offers, VITC, ancillary timecode.
    kVideoIn + "/@selectedInput", kVideoIn + "/@videoInputFormat", kVideoIn + "/VideoInputSdi",
    kVideoIn + "/VideoInputAnalogSvideo/@ntscWithoutPedestal",
    kVideoIn + "/VideoInputAnalogComposite/@ntscWithoutPedestal",
    kVideoIn + "/VideoInputAnalogComponent/@sdComponentType",
    kVideoIn + "/VideoInputFormat/Format1080_29_97Hz_2To1",
    kVideoIn + "/VideoInputFormat/Format720_59_94Hz_1To1", kVideoIn + "/VideoInputVitc/@automatic",
    kVideoIn + "/VideoInputVitc/@line1", kVideoIn + "/VideoInputVitc/@line2",
    kVideoIn + "/VideoInputAncLtc", kVideoIn + "/VideoInputAncVitc",
    // Video output: format offers, aspect, analog outputs, mode, ProcAmp, timing, VITC, anc TC.
    kVideoOut + "/@videoOutputFormat", kVideoOut + "/@aspectRatio",
    kVideoOut + "/@aspectRatioConversion", kVideoOut + "/@stillPlayMode", kVideoOut + "/@testMode",
    kVideoOut + "/VideoOutputFormat/Format1080_29_97Hz_2To1",
    kVideoOut + "/VideoOutputFormat/Format720_59_94Hz_1To1",
    kVideoOut + "/VideoOutputFormat/FormatXga_59_94Hz_1To1",
    kVideoOut + "/VideoOutputFormat/FormatWxga_59_94Hz_1To1",
    kVideoOut + "/VideoOutputAnalogComponent/@sdComponentType",
    kVideoOut + "/VideoOutputAnalogComponent/@hdComponentType",
    kVideoOut + "/VideoOutputAnalogComposite/@ntscWithoutPedestal",
    kVideoOut + "/VideoOutputAnalogSvideo/@ntscWithoutPedestal",
    kVideoOut + "/VideoOutputInterpolation",
    kVideoOut + "/VideoOutputAnalogComposite/ProcAmp/@sharpness",
    kVideoOut + "/VideoOutputTiming/@videoSubpixelOffset", kVideoOut + "/VideoOutputVitc/@enable",
    kVideoOut + "/VideoOutputAncLtc/@enable", kVideoOut + "/VideoOutputAncVitc/@enable",
    // Compression: families, MPEG settings, VBI lines, D10 and XDCAM rates, noise reduction.
    kCodec + "/@compressionFormat", kCodec + "/Mpeg/@profileLevel", kCodec + "/Mpeg/@chromaFormat",
    kCodec + "/Mpeg/@dataRate", kCodec + "/Mpeg/@pPixPerIPix", kCodec + "/Mpeg/@bPixPerPPix",
    kCodec + "/Mpeg/@recordVbi", kCodec + "/Dv25", kCodec + "/Dv50", kCodec + "/Dvcam",
    kCodec + "/D10/@dataRate", kCodec + "/Xdcam/@dataRate", kCodec + "/UncompressedVbi/@enable",
    kCodec + "/UncompressedVbi/@chromaCapable", kCodec + "/UncompressedVbi/@maxLines",
    kCodec + "/UncompressedVbi/VbiLine/@lineNum", kCodec + "/EncoderPrefilter/@noiseReduction",
    // Audio: tracks, input types and formats, groups, trim, timing, outputs, tags, test mode.
    "//Channel[@channelIndex=\"0\"]/Audio[@index=\"15\"]/@assigned",
    "//Channel[@channelIndex=\"0\"]/Audio/AudioInputComponent/@tag",
    "//Channel[@channelIndex=\"0\"]/Audio/AudioOutputComponent/@primaryTag",
    "//Channel[@channelIndex=\"0\"]/Audio/AudioOutputComponent/@secondaryTag",
    "//Channel[@channelIndex=\"0\"]/Audio/AudioOutputComponent/@playSilence",
    kAudioIn + "/@selectedInput", kAudioIn + "/@timingOffset", kAudioIn + "/AudioInputAnalog/@trim",
    kAudioIn + "/AudioInputAes/@audioInputFormat", kAudioIn + "/AudioInputSpdif",
    kAudioIn + "/AudioInputEmbedded/@group", kAudioIn + "/AudioInputEmbedded/@audioInputFormat",
    kAudioOut + "/@timingOffset", kAudioOut + "/@testMode", kAudioOut + "/AudioOutputAes",
    kAudioOut + "/AudioOutputEmbedded/@group",
    // Timecode, data track, teletext, AFD and monitor.
    kTcCodec + "/@currentTcInput", "//Channel[@channelIndex=\"0\"]/AncData/@assigned",
    kAncCodec + "/@fieldsPerRiff", kAncCodec + "/UncompressedVbi/@enable",
    kAncCodec + "/UncompressedVbi/@chromaCapable", kAncCodec + "/TeleText/@enable",
    kAncCodec + "/TeleText/@maxLines", kAncCodec + "/Afd/@generateOnOutput",
    "//Channel[@channelIndex=\"3\"]/Monitor/@audioMeters",
    "//Channel[@channelIndex=\"3\"]/Monitor/@channelInfo",
    "//Channel[@channelIndex=\"3\"]/Monitor/@tabLabel",
    // Ganging page: membership, leader settings, gang options.
    "//Channel[@channelIndex=\"1\"]/Ganging/@gangIndex",
    "//Channel[@channelIndex=\"1\"]/Ganging/@gangOrder", "//Channel[@channelIndex=\"1\"]/@loop",
    "//Channel[@channelIndex=\"1\"]/@continuousRecord",
    "//Channel[@channelIndex=\"1\"]/@continuousRecordLength",
    "//Channel[@channelIndex=\"1\"]/Monitor/@ee", "./Config/Gang[@index=\"1\"]/@singleController",
    "./Config/Gang[@index=\"1\"]/@playSameClip", "./Config/Gang[@index=\"1\"]/@recordSameClip",
    "./Config/Gang[@index=\"1\"]/@consolidateAudio",
    "./Config/Gang[@index=\"1\"]/@consolidateVideo", "./Config/Gang[@index=\"1\"]/@multicast",
    "./Config/Gang[@index=\"1\"]/@multicastName",
    // GPI page: inputs with their channels, outputs with every controller setting.
    "//GpiInput/@triggerAction", "//GpiInput/@activeHigh", "//Channel/Gpi/GpiInputComponent/@id",
    "//Channel/Gpi/GpiOutputComponent/@id", "//GpiOutput/@activeHigh", "//GpiOutput/@controller",
    "//GpiOutput/@triggerAt", "//GpiOutput/@triggerOffset", "//GpiOutput/@activateWhen",
    "//GpiOutput/@triggerName",
    // Panel page.
    "./Config/Panel/@jogSpeedMax", "./Config/Panel/@shuttleSpeedMin",
    "./Config/Panel/@shuttleSpeedMax", "./Config/Panel/@varSetting", "./Config/Panel/@varPreset",
    "./Config/Panel/@knobCtrlXlr", "./Config/Panel/@recordButton",
    "./Config/Panel/@fullScreenMode"};

class DefaultDocuments : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        ASSERT_EQ(m_document.loadXml(DefaultConfigurationText(standard())), S_OK);
    }
    const std::string& standard() const { return GetParam(); }
    XmlNode root() const { return m_document.documentNode(); }
    std::vector<std::string> values(const std::string& xpath) const {
        std::vector<std::string> result;
        for (const XmlNode& node : root().selectNodes(xpath))
            result.push_back(node.value());
        return result;
    }

    XmlDocument m_document;
};

TEST_P(DefaultDocuments, HoldFourChannelsOfEveryTypeAndTwoGangs) {
    EXPECT_EQ(values("//Channel/@channelIndex"), (std::vector<std::string>{"0", "1", "2", "3"}));
    EXPECT_EQ(values("//Channel/@id"), (std::vector<std::string>{"C1", "C2", "C3", "C4"}));
    const std::vector<std::string> types = values("//Channel/@channelType");
    EXPECT_EQ(std::set<std::string>(types.begin(), types.end()),
              (std::set<std::string>{"Player", "PlayerRecorder", "Recorder"}));
    EXPECT_EQ(values("./Config/Gang/@index"), (std::vector<std::string>{"0", "1"}));
    EXPECT_TRUE(root().selectSingleNode("./Config/Panel/CorvanePro").isElement());
    // The GPI page pairs the i-th Gpi element with the i-th channel.
    EXPECT_EQ(root().selectNodes("//Channel/Gpi").size(), 4u);
    EXPECT_TRUE(root()
                    .selectSingleNode("//Gpi/GpiOutputComponent/following-sibling::"
                                      "GpiInputComponent")
                    .isNull());
}

TEST_P(DefaultDocuments, EveryComponentReferenceNamesOneComponent) {
    const XmlNodeList references = root().selectNodes(
        "//Channel//*[substring(name(), string-length(name()) - 8) = 'Component']");
    ASSERT_GT(references.size(), 40u);
    for (const XmlNode& reference : references) {
        const std::string name = reference.name();
        const std::string xpath = "/Config/" + name.substr(0, name.size() - 9) +
                                  "[@id=" + XPathLiteral(reference.attribute("id")) + "]";
        EXPECT_EQ(root().selectNodes(xpath).size(), 1u) << xpath;
    }
    const std::vector<std::string> ids = values("/Config/*/@id");
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), ids.size());
    const std::string ltc = XPathLiteral(values("//TimeOfDay/@ltcInputId").at(0));
    EXPECT_FALSE(
        root()
            .selectSingleNode("//LtcInputSystem[@id=" + ltc + "] | //LtcInput[@id=" + ltc + "]")
            .isNull());
}

TEST_P(DefaultDocuments, EveryNodeThePagesReadIsPresent) {
    for (const std::string& xpath : kReadPaths)
        EXPECT_FALSE(root().selectSingleNode(xpath).isNull()) << xpath;
}

TEST_P(DefaultDocuments, StoredValuesSuitTheReferenceStandard) {
    EXPECT_EQ(values("//SystemVideoReference/@referenceStandard").at(0), standard());
    for (const std::string& format : values("//@videoInputFormat | //@videoOutputFormat"))
        EXPECT_EQ(format, standard());

    const int firstLine = standard() == "Format525_29_97Hz_2To1" ? 10 : 6;
    for (const std::string& line : values("//VbiLine/@lineNum | //TeleTextLine/@lineNum")) {
        EXPECT_GE(std::stoi(line), firstLine);
        EXPECT_LE(std::stoi(line), 22);
    }
    // Standard-definition MPEG rates: 2 to 15 Mb/s at 4:2:0, 4 to 50 Mb/s at 4:2:2.
    for (const XmlNode& mpeg : root().selectNodes("//VideoCodec/Mpeg")) {
        const int rate = std::stoi(mpeg.attribute("dataRate"));
        const bool is420 = mpeg.attribute("chromaFormat") == "4_2_0";
        EXPECT_GE(rate, is420 ? 2 : 4);
        EXPECT_LE(rate, is420 ? 15 : 50);
    }
    for (const std::string& rate : values("//VideoCodec/D10/@dataRate"))
        EXPECT_TRUE(rate == "30" || rate == "40" || rate == "50") << rate;
    for (const std::string& rate : values("//VideoCodec/Xdcam/@dataRate"))
        EXPECT_TRUE(rate == "25" || rate == "35") << rate;
    EXPECT_FALSE(root().selectSingleNode("//Mpeg[@profileLevel=\"422P@HL\"]").isNull());
}

INSTANTIATE_TEST_SUITE_P(Standards, DefaultDocuments,
                         ::testing::Values("Format525_29_97Hz_2To1", "Format625_25Hz_2To1"));

} // namespace
