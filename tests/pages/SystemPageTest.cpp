#include "pages/SystemPage.h"
#include "channel/ChannelDlg.h"
#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "platform/ScriptedPrompter.h"
#include "platform/StringIds.h"
#include "platform/XmlDocument.h"
#include "state/ConfigState.h"
#include "state/XPathAccess.h"
#include "support/FakeServices.h"

#include <gtest/gtest.h>

namespace {

// Two inputs, two outputs (one timing element with only a line offset), three codecs and
// VBI lines in two places.
constexpr const char* kRewriteDocument = R"(<Config>
  <System><SystemVideoReference referenceStandard="Format525_29_97Hz_2To1"/></System>
  <VideoInput id="VI1" videoInputFormat="Format525_29_97Hz_2To1"/>
  <VideoInput id="VI'2" videoInputFormat="Format1080_29_97Hz_2To1"/>
  <VideoOutput id="VO1" videoOutputFormat="Format525_29_97Hz_2To1" aspectRatio="16:9">
    <VideoOutputTiming videoLineOffset="7"/>
  </VideoOutput>
  <VideoOutput id="VO2" videoOutputFormat="Format720_59_94Hz_1To1" aspectRatio="16:9">
    <VideoOutputTiming videoFieldOffset="1" videoLineOffset="2" videoSampleOffset="3" videoSubpixelOffset="4"/>
  </VideoOutput>
  <VideoOutput id="VO3" videoOutputFormat="Format525_29_97Hz_2To1" aspectRatio="4:3"/>
  <VideoCodec id="VC1"><Mpeg chromaFormat="4_2_0" dataRate="25"/><UncompressedVbi><VbiLine lineNum="21"/><VbiLine lineNum="22"/></UncompressedVbi></VideoCodec>
  <VideoCodec id="VC2"><Mpeg chromaFormat="4_2_2" dataRate="40"/></VideoCodec>
  <VideoCodec id="VC3"><Mpeg profileLevel="422P@HL" chromaFormat="4_2_2" dataRate="50"/><Dv50/></VideoCodec>
  <VideoCodec id="VC4"><Mpeg chromaFormat="4_2_0" dataRate="12"/></VideoCodec>
  <AncDataCodec id="AC1"><UncompressedVbi><VbiLine lineNum="14"/></UncompressedVbi></AncDataCodec>
</Config>)";

class SystemPageTest : public ::testing::Test {
protected:
    void load(const std::string& text) {
        document = std::make_shared<XmlDocument>();
        ASSERT_EQ(document->loadXml(text), S_OK);
        state.SetDocument(document);
        state.SetServices(nullptr, log);
        state.SetLogonFlags(true, true);
        script.install();
    }
    std::string read(const std::string& xpath) const {
        std::string text;
        ReadXPathValue(document->documentNode(), xpath, text);
        return text;
    }
    // Builds the page over the document and returns its list.
    CConfigListCtrl& build() {
        page = std::make_unique<CSystemPage>();
        page->resize(600, 600);
        page->Create(nullptr);
        return *page->List();
    }
    std::string valueText(int labelId) {
        CConfigItem* item = page->List()->FindItem(labelId);
        std::string text;
        if (item)
            item->GetValueText(text);
        return text;
    }

    std::shared_ptr<XmlDocument> document;
    std::shared_ptr<FakeLog> log = std::make_shared<FakeLog>();
    CConfigState state;
    ScriptedPrompter script;
    std::unique_ptr<CSystemPage> page;
};

std::string ltcDocument(bool systemInput, int channelsWithLtc,
                        const std::string& stored = "LtcIn2") {
    std::string text =
        "<Config><System><SystemVideoReference referenceStandard=\"Format525_29_97Hz_2To1\"/>"
        "<TimeOfDay timeOfDaySource=\"Windows\" ltcInputId=\"" +
        stored + "\"/></System>";
    for (int i = 1; i <= 3; ++i) {
        text += "<Channel channelIndex=\"" + std::to_string(i - 1) + "\" id=\"C" +
                std::to_string(i) + "\">";
        if (i <= channelsWithLtc)
            text +=
                "<Timecode><LtcInputComponent id=\"LtcIn" + std::to_string(i) + "\"/></Timecode>";
        text += "</Channel>";
        if (i <= channelsWithLtc)
            text += "<LtcInput id=\"LtcIn" + std::to_string(i) + "\"/>";
    }
    if (systemInput)
        text += "<LtcInputSystem id=\"LtcSys\"/>";
    return text + "</Config>";
}

} // namespace

TEST_F(SystemPageTest, TheReferenceStandardRewrite) {
    load(kRewriteDocument);
    build();
    ASSERT_EQ(page->OnItemChange(*document, "Format625_25Hz_2To1"), S_OK);
    EXPECT_EQ(read("//VideoInput[@id='VI1']/@videoInputFormat"), "Format625_25Hz_2To1");
    EXPECT_EQ(read("//VideoInput[@id=\"VI'2\"]/@videoInputFormat"), "Format625_25Hz_2To1");
    for (const char* output : {"VO1", "VO2", "VO3"}) {
        EXPECT_EQ(read(std::string("//VideoOutput[@id='") + output + "']/@videoOutputFormat"),
                  "Format625_25Hz_2To1");
        EXPECT_EQ(read(std::string("//VideoOutput[@id='") + output + "']/@aspectRatio"), "4:3");
    }
    const XmlNode timing1 =
        document->documentNode().selectSingleNode("//VideoOutput[@id='VO1']/VideoOutputTiming");
    EXPECT_EQ(timing1.attribute("videoLineOffset"), "0");
    EXPECT_FALSE(timing1.hasAttribute("videoFieldOffset"));
    EXPECT_FALSE(timing1.hasAttribute("videoSampleOffset"));
    EXPECT_FALSE(timing1.hasAttribute("videoSubpixelOffset"));
    for (const char* offset :
         {"videoFieldOffset", "videoLineOffset", "videoSampleOffset", "videoSubpixelOffset"})
        EXPECT_EQ(read(std::string("//VideoOutput[@id='VO2']/VideoOutputTiming/@") + offset), "0");
    EXPECT_TRUE(document->documentNode()
                    .selectSingleNode("//VideoOutput[@id='VO3']/VideoOutputTiming")
                    .isNull());

    EXPECT_EQ(read("//VideoCodec[@id='VC1']/Mpeg/@dataRate"), "15"); // 4:2:0 at most 15
    EXPECT_EQ(read("//VideoCodec[@id='VC2']/Mpeg/@dataRate"), "25"); // its own 4:2:2 limit
    EXPECT_EQ(read("//VideoCodec[@id='VC3']/Mpeg/@dataRate"), "50"); // already valid
    EXPECT_EQ(read("//VideoCodec[@id='VC4']/Mpeg/@dataRate"), "12");
    EXPECT_TRUE(document->documentNode().selectNodes("//VbiLine").empty());
    EXPECT_FALSE(
        document->documentNode().selectSingleNode("//AncDataCodec/UncompressedVbi").isNull());
}

TEST_F(SystemPageTest, AValidRateIsNotTouched) {
    load(
        R"(<Config><VideoCodec id="V"><Mpeg chromaFormat="4_2_0" dataRate="8"/></VideoCodec></Config>)");
    build();
    const std::string before = document->xml();
    page->OnItemChange(*document, "Format625_25Hz_2To1");
    EXPECT_TRUE(document->xml() == before);
}

TEST_F(SystemPageTest, DataRateLimits) {
    int clamped = 0;
    EXPECT_FALSE(CChannelDlg::CheckVideoDataRate("Format1080_25Hz_2To1", "4_2_0", 60, clamped, 50));
    EXPECT_EQ(clamped, 60);
    EXPECT_TRUE(CChannelDlg::CheckVideoDataRate("Format1080_25Hz_2To1", "4_2_0", 10, clamped, 50));
    EXPECT_EQ(clamped, 20);
    EXPECT_TRUE(CChannelDlg::CheckVideoDataRate("Format1080_25Hz_2To1", "4_2_0", 90, clamped, 50));
    EXPECT_EQ(clamped, 80);
    EXPECT_TRUE(
        CChannelDlg::CheckVideoDataRate("Format525_29_97Hz_2To1", "4_2_0", 25, clamped, 50));
    EXPECT_EQ(clamped, 15);
    EXPECT_FALSE(
        CChannelDlg::CheckVideoDataRate("Format525_29_97Hz_2To1", "4_2_0", 2, clamped, 50));
    EXPECT_TRUE(CChannelDlg::CheckVideoDataRate("Format625_25Hz_2To1", "4_2_2", 50, clamped, 25));
    EXPECT_EQ(clamped, 25);
    EXPECT_FALSE(CChannelDlg::CheckVideoDataRate("Format720_50Hz_1To1", "4_2_2", 100, clamped, 25));
    EXPECT_TRUE(CChannelDlg::CheckVideoDataRate("Format720_50Hz_1To1", "4_2_0", 10, clamped, 25));
    EXPECT_EQ(clamped, 12);
    EXPECT_FALSE(CChannelDlg::CheckVideoDataRate("FormatXga_50Hz_1To1", "4_2_0", 999, clamped, 25));
}

TEST_F(SystemPageTest, OneChannelLtcWithoutSystemInputGivesNoSourceItem) {
    load(ltcDocument(false, 1, "LtcIn1"));
    CConfigListCtrl& list = build();
    EXPECT_EQ(list.FindItem(IDS_TIME_OF_DAY_LTC_SOURCE), nullptr);
}

TEST_F(SystemPageTest, TwoChannelLtcInputsOfferTheTwoChannels) {
    load(ltcDocument(false, 2, "LtcIn2"));
    CConfigListCtrl& list = build();
    auto* item = dynamic_cast<CConfigChoiceItem*>(list.FindItem(IDS_TIME_OF_DAY_LTC_SOURCE));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ChoiceCount(), 2u);
    EXPECT_EQ(valueText(IDS_TIME_OF_DAY_LTC_SOURCE), "C2");
    // Hidden while the source is the system clock, shown for LTC.
    EXPECT_FALSE(item->IsVisible());
    document->documentNode().selectSingleNode("//TimeOfDay/@timeOfDaySource").setValue("Ltc");
    EXPECT_TRUE(item->IsVisible());
}

TEST_F(SystemPageTest, AStoredIdThatMatchesNothingShowsNoValue) {
    load(ltcDocument(true, 1, "Elsewhere"));
    build();
    auto* item =
        dynamic_cast<CConfigChoiceItem*>(page->List()->FindItem(IDS_TIME_OF_DAY_LTC_SOURCE));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ChoiceCount(), 2u); // System and C1
    EXPECT_EQ(valueText(IDS_TIME_OF_DAY_LTC_SOURCE), "");
}

TEST_F(SystemPageTest, PickingAnLtcSourceStoresItsInputId) {
    load(ltcDocument(true, 2, "LtcSys"));
    build();
    EXPECT_EQ(valueText(IDS_TIME_OF_DAY_LTC_SOURCE), "System");
    CConfigItem* item = page->List()->FindItem(IDS_TIME_OF_DAY_LTC_SOURCE);
    item->PutAttributeValue(Variant("C2"));
    page->OnItemChange(IDS_TIME_OF_DAY_LTC_SOURCE, item);
    EXPECT_EQ(read("//TimeOfDay/@ltcInputId"), "LtcIn2");
    item->PutAttributeValue(Variant("System"));
    page->OnItemChange(IDS_TIME_OF_DAY_LTC_SOURCE, item);
    EXPECT_EQ(read("//TimeOfDay/@ltcInputId"), "LtcSys");
}

TEST_F(SystemPageTest, NoAnalogAudioInputNoAudioGroup) {
    load(ltcDocument(false, 0));
    CConfigListCtrl& list = build();
    EXPECT_EQ(list.FindItem(IDS_AUDIO_REFERENCE), nullptr);
    EXPECT_EQ(list.FindItem(IDS_AUDIO_REFERENCE_LEVEL), nullptr);
    EXPECT_NE(list.FindItem(IDS_REFERENCE_STANDARD), nullptr);

    load(R"(<Config><AudioInput id="A"><AudioInputAnalog/></AudioInput>
            <System><SystemAudioReference audioUnityLevel="8"/></System></Config>)");
    build();
    EXPECT_EQ(valueText(IDS_AUDIO_REFERENCE_LEVEL), "+8 dBu");
}
