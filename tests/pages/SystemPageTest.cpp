#include "pages/SystemPage.h"
#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "platform/StringIds.h"
#include "support/DocumentTest.h"
#include "support/MessageRecorder.h"

#include <QCoreApplication>

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

class SystemPageTest : public DocumentTest {
protected:
    void TearDown() override {
        page.reset();
        DocumentTest::TearDown();
    }
    void load(const std::string& text) { useDocument(text); }
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

TEST_F(SystemPageTest, AStoredIdThatMatchesNothingShowsAsItIsStored) {
    load(ltcDocument(true, 1, "Elsewhere"));
    build();
    auto* item =
        dynamic_cast<CConfigChoiceItem*>(page->List()->FindItem(IDS_TIME_OF_DAY_LTC_SOURCE));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->ChoiceCount(), 2u); // System and C1
    EXPECT_EQ(valueText(IDS_TIME_OF_DAY_LTC_SOURCE), "Elsewhere");
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

TEST_F(SystemPageTest, NestedVbiLinesAreRemovedWithoutTouchingFreedNodes) {
    load(R"(<Config>
  <VideoCodec id="V"><UncompressedVbi>
    <VbiLine lineNum="10"><VbiLine lineNum="11"><VbiLine lineNum="12"/></VbiLine></VbiLine>
    <VbiLine lineNum="20"/>
  </UncompressedVbi></VideoCodec>
  <AncDataCodec id="A"><VbiLine lineNum="30"><Teletext/><VbiLine lineNum="31"/></VbiLine></AncDataCodec>
</Config>)");
    build();
    EXPECT_EQ(page->OnItemChange(*document, "Format625_25Hz_2To1"), S_OK);
    EXPECT_TRUE(document->documentNode().selectNodes("//VbiLine").empty());
    EXPECT_FALSE(document->documentNode().selectSingleNode("//UncompressedVbi").isNull());
    EXPECT_FALSE(document->documentNode().selectSingleNode("//AncDataCodec").isNull());
}

TEST_F(SystemPageTest, ElementsWithoutOrWithSharedIdsAreRewrittenToo) {
    load(R"(<Config>
  <VideoInput videoInputFormat="Format525_29_97Hz_2To1"/>
  <VideoInput id="same" videoInputFormat="Format525_29_97Hz_2To1"/>
  <VideoInput id="same" videoInputFormat="Format1080_29_97Hz_2To1"/>
  <VideoOutput videoOutputFormat="Format525_29_97Hz_2To1" aspectRatio="16:9">
    <VideoOutputTiming videoLineOffset="3"/>
  </VideoOutput>
  <VideoCodec><Mpeg chromaFormat="4_2_0" dataRate="25"/></VideoCodec>
</Config>)");
    build();
    ASSERT_EQ(page->OnItemChange(*document, "Format625_25Hz_2To1"), S_OK);
    for (const XmlNode& input : document->documentNode().selectNodes("//VideoInput"))
        EXPECT_EQ(input.attribute("videoInputFormat"), "Format625_25Hz_2To1");
    EXPECT_EQ(read("//VideoOutput/@videoOutputFormat"), "Format625_25Hz_2To1");
    EXPECT_EQ(read("//VideoOutput/@aspectRatio"), "4:3");
    EXPECT_EQ(read("//VideoOutputTiming/@videoLineOffset"), "0");
    EXPECT_EQ(read("//Mpeg/@dataRate"), "15");
}

namespace {

// A System page whose rewrite changes part of the document and then fails.
class FailingRewritePage : public CSystemPage {
public:
    HRESULT OnItemChange(XmlDocument& document, const std::string& standard) override {
        CSystemPage::OnItemChange(document, standard);
        document.documentNode().selectSingleNode("//VideoInput").setAttribute("broken", "yes");
        return E_FAIL;
    }
    using CSystemPage::OnItemChange;
};

} // namespace

TEST_F(SystemPageTest, AFailedRewriteLeavesTheDocumentAsBeforeAndWithdrawsTheRestart) {
    load(kRewriteDocument);
    MessageRecorder mainWindow;
    SetMainWindow(&mainWindow);
    page = std::make_unique<FailingRewritePage>();
    page->resize(600, 600);
    page->Create(nullptr);
    const std::string before = document->xml();

    CConfigItem* standard = page->List()->FindItem(IDS_REFERENCE_STANDARD);
    script.answer(2);     // PAL
    script.answer(IDYES); // restart
    ASSERT_TRUE(standard->TrackPopup(QPoint()));
    QCoreApplication::sendPostedEvents(page.get());

    EXPECT_TRUE(document->xml() == before);
    EXPECT_EQ(valueText(IDS_REFERENCE_STANDARD), "NTSC (59.94 Hz)");
    EXPECT_EQ(script.last().caption, "Reference Standard");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    EXPECT_EQ(script.last().text, "Unspecified error");
    EXPECT_TRUE(mainWindow.delivered().empty()); // no restart, so no commit
    SetMainWindow(nullptr);
}

TEST_F(SystemPageTest, AReplacedDocumentRebuildsThePage) {
    load(ltcDocument(true, 2, "LtcIn1"));
    build();
    EXPECT_EQ(valueText(IDS_TIME_OF_DAY_LTC_SOURCE), "C1");
    EXPECT_EQ(page->List()->FindItem(IDS_AUDIO_REFERENCE), nullptr);

    // As Load does: the same document object gets a new content.
    XmlDocument loaded;
    ASSERT_EQ(
        loaded.loadXml(
            ltcDocument(false, 3, "LtcIn3")
                .replace(0, 8, "<Config><AudioInput id=\"A\"><AudioInputAnalog/></AudioInput>")),
        S_OK);
    document->replaceContent(std::move(loaded));
    state.SetDocument(document);
    SendMessage(page.get(), WM_CONFIG_RELAYOUT);

    auto* ltc =
        dynamic_cast<CConfigChoiceItem*>(page->List()->FindItem(IDS_TIME_OF_DAY_LTC_SOURCE));
    ASSERT_NE(ltc, nullptr);
    EXPECT_EQ(ltc->ChoiceCount(), 3u); // C1 to C3, no system input any more
    EXPECT_EQ(valueText(IDS_TIME_OF_DAY_LTC_SOURCE), "C3");
    EXPECT_NE(page->List()->FindItem(IDS_AUDIO_REFERENCE_LEVEL), nullptr);
}
