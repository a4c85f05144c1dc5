#include "pages/GpiPage.h"
#include "pages/GpiDialogs.h"

#include "items/ConfigListCtrl.h"
#include "items/ConfigMaskItem.h"
#include "platform/TouchTab.h"
#include "support/DocumentTest.h"
#include "support/ListRows.h"

#include <QCheckBox>
#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

// Three channels, the third without GPI settings; three inputs, two outputs.
constexpr const char* kGpiDocument = R"(<Config>
  <Channel channelIndex="0" id="C1"><Gpi><GpiOutputComponent id="O1"/></Gpi></Channel>
  <Channel channelIndex="1" id="C2"><Gpi><GpiInputComponent id="I1"/></Gpi></Channel>
  <Channel channelIndex="2" id="C3"/>
  <GpiInput id="I1" triggerAction="Play" activeHigh="true"/>
  <GpiInput id="I2" triggerAction="Stop" activeHigh="false"/>
  <GpiInput id="I3" triggerAction="VarPlay" activeHigh="true"/>
  <GpiOutput id="O1" controlIndex="0" activeHigh="true" controller="trigger" triggerAt="start" triggerOffset="00:00:01:00" activateWhen="idle" triggerName="Tally"/>
  <GpiOutput id="O2" controlIndex="1" activeHigh="false" controller="application" triggerAt="end" triggerOffset="00:00:00:00" activateWhen="playing" triggerName="Cue"/>
  <Panel><CorvanePro/></Panel>
</Config>)";

} // namespace

class GpiPageTest : public DocumentTest {
protected:
    void TearDown() override {
        page.reset();
        DocumentTest::TearDown();
    }

    void load(const std::string& text, bool proPanel = true) {
        useDocument(text);
        state.SetProPanel(proPanel);
    }
    void build() {
        page = std::make_unique<CGpiPage>();
        page->resize(620, 360);
        page->Create(nullptr);
        page->show();
    }
    CConfigListCtrl& inputs() const { return *page->InputDialog()->List(); }
    CConfigListCtrl& outputs() const { return *page->OutputDialog()->List(); }

    std::string gpiOf(const char* channelId) const {
        return document->documentNode()
            .selectSingleNode(std::string("//Channel[@id='") + channelId + "']/Gpi")
            .xml();
    }
    // Touches the channels' boxes in the input's trigger dialog, then OK; a refusal that
    // follows is answered when told.
    void touchChannels(int input, std::vector<int> boxes, bool refused = false) {
        CConfigItem* trigger = RowWithLabel(inputs(), "Trigger channel(s):", input);
        ASSERT_NE(trigger, nullptr);
        script.answerDialog([boxes](QDialog& shown) {
            for (int box : boxes)
                static_cast<CConfigMaskDlg&>(shown).CheckBoxes().at(box)->click();
            return IDOK;
        });
        if (refused)
            script.answer(IDOK);
        trigger->TrackPopup(QPoint(1, 1));
        QCoreApplication::sendPostedEvents();
    }
    // Picks the output's channel by the n-th entry of its menu (from 1).
    void chooseOwner(int output, int entry, bool refused = false) {
        script.answer(entry);
        if (refused)
            script.answer(IDOK);
        RowWithLabel(outputs(), "Channel:", output)->TrackPopup(QPoint(1, 1));
        QCoreApplication::sendPostedEvents();
    }

    std::unique_ptr<CGpiPage> page;
};

TEST_F(GpiPageTest, EachInputGetsANumberedGroupAndTheTabsAreNamed) {
    load(kGpiDocument);
    build();
    EXPECT_EQ(page->Tabs()->tabText(0).toStdString(), "GPI-Input");
    EXPECT_EQ(page->Tabs()->tabText(1).toStdString(), "GPI-Output");
    EXPECT_EQ(RowLabels(inputs()),
              (std::vector<std::string>{
                  "GPI Input 1:", "Trigger channel(s):", "Trigger action:", "Active:",
                  "GPI Input 2:", "Trigger channel(s):", "Trigger action:", "Active:",
                  "GPI Input 3:", "Trigger channel(s):", "Trigger action:", "Active:"}));
    EXPECT_FALSE(RowWithLabel(inputs(), "GPI Input 1:")->Flags() & ITEM_SEPARATOR);
    EXPECT_TRUE(RowWithLabel(inputs(), "GPI Input 2:")->Flags() & ITEM_SEPARATOR);
    EXPECT_TRUE(RowWithLabel(inputs(), "GPI Input 3:")->Flags() & ITEM_SEPARATOR);
    EXPECT_EQ(ShownValue(RowWithLabel(inputs(), "Trigger channel(s):", 0)), "C2 ");
    EXPECT_EQ(ShownValue(RowWithLabel(inputs(), "Trigger channel(s):", 1)), "None");
    EXPECT_EQ(ShownValue(RowWithLabel(inputs(), "Trigger action:", 2)), "VAR Playback");
    EXPECT_EQ(ShownValue(RowWithLabel(inputs(), "Active:", 1)), "Low");
    EXPECT_EQ(ShownValue(RowWithLabel(outputs(), "Channel:", 0)), "C1");
    EXPECT_EQ(ShownValue(RowWithLabel(outputs(), "Channel:", 1)), "None");
}

TEST_F(GpiPageTest, InputsAreAssignedAheadOfOutputsAndRemovedAlone) {
    load(kGpiDocument);
    build();
    // Input 2 to C1 and C2: it triggers both, and goes ahead of C1's output.
    touchChannels(1, {0, 1});
    EXPECT_EQ(gpiOf("C1"),
              R"(<Gpi><GpiInputComponent id="I2"/><GpiOutputComponent id="O1"/></Gpi>)");
    EXPECT_EQ(gpiOf("C2"),
              R"(<Gpi><GpiInputComponent id="I1"/><GpiInputComponent id="I2"/></Gpi>)");
    EXPECT_EQ(ShownValue(RowWithLabel(inputs(), "Trigger channel(s):", 1)), "C1 C2 ");

    // Input 3 to C1 as well, then input 2 off C1 again: the order inside stays whole.
    touchChannels(2, {0});
    touchChannels(1, {0});
    EXPECT_EQ(gpiOf("C1"),
              R"(<Gpi><GpiInputComponent id="I3"/><GpiOutputComponent id="O1"/></Gpi>)");
    // Clearing input 1 on C2 removes its component only; the input itself stays.
    touchChannels(0, {1});
    EXPECT_EQ(gpiOf("C2"), R"(<Gpi><GpiInputComponent id="I2"/></Gpi>)");
    EXPECT_EQ(document->documentNode().selectSingleNode("//GpiInput[@id='I1']").xml(),
              R"(<GpiInput id="I1" triggerAction="Play" activeHigh="true"/>)");
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(GpiPageTest, AChannelWithoutGpiSettingsIsRefusedAndShiftsNoOther) {
    load(kGpiDocument);
    build();
    touchChannels(1, {1, 2}, true); // C2 and C3
    EXPECT_EQ(script.last().text,
              "Channel C3 has no GPI settings in this configuration, so no GPI can be assigned "
              "to it.");
    EXPECT_EQ(script.last().caption, "Trigger channel(s):");
    // C2 took the input; the row shows what the document holds.
    EXPECT_EQ(gpiOf("C2"),
              R"(<Gpi><GpiInputComponent id="I1"/><GpiInputComponent id="I2"/></Gpi>)");
    EXPECT_EQ(ShownValue(RowWithLabel(inputs(), "Trigger channel(s):", 1)), "C2 ");
    EXPECT_TRUE(document->documentNode().selectSingleNode("//Channel[@id='C3']/*").isNull());

    // An output cannot move there either, and stays with its owner.
    chooseOwner(0, 4, true); // None, C1, C2, C3
    EXPECT_EQ(gpiOf("C1"), R"(<Gpi><GpiOutputComponent id="O1"/></Gpi>)");
    EXPECT_EQ(ShownValue(RowWithLabel(outputs(), "Channel:", 0)), "C1");
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(GpiPageTest, AnOutputMovesBetweenChannelsAndIsNeverOwnedTwice) {
    load(kGpiDocument);
    build();
    chooseOwner(0, 3); // C2
    EXPECT_EQ(gpiOf("C1"), "<Gpi/>");
    EXPECT_EQ(gpiOf("C2"),
              R"(<Gpi><GpiInputComponent id="I1"/><GpiOutputComponent id="O1"/></Gpi>)");
    EXPECT_EQ(ShownValue(RowWithLabel(outputs(), "Channel:", 0)), "C2");
    chooseOwner(0, 1); // None
    EXPECT_EQ(gpiOf("C2"), R"(<Gpi><GpiInputComponent id="I1"/></Gpi>)");
    EXPECT_TRUE(document->documentNode().selectSingleNode("//GpiOutputComponent").isNull());

    // A document that names two owners shows the last; a choice leaves exactly one.
    std::string text = kGpiDocument;
    text.replace(text.find(R"(<GpiInputComponent id="I1"/>)"), 0,
                 R"(<GpiOutputComponent id="O1"/>)");
    load(text);
    build();
    EXPECT_EQ(ShownValue(RowWithLabel(outputs(), "Channel:", 0)), "C2");
    chooseOwner(0, 2); // C1
    EXPECT_EQ(document->documentNode().selectNodes("//GpiOutputComponent[@id='O1']").size(), 1u);
    EXPECT_EQ(gpiOf("C1"), R"(<Gpi><GpiOutputComponent id="O1"/></Gpi>)");
}

TEST_F(GpiPageTest, ChannelsSharingAnIdAreToldApartByPosition) {
    std::string text = kGpiDocument;
    text.replace(text.find(R"(id="C2")"), 7, R"(id="C1")");
    load(text);
    build();
    touchChannels(2, {1}); // the second "C1"
    const XmlNodeList gpis = document->documentNode().selectNodes("//Channel/Gpi");
    EXPECT_EQ(gpis[0].xml(), R"(<Gpi><GpiOutputComponent id="O1"/></Gpi>)");
    EXPECT_EQ(gpis[1].xml(),
              R"(<Gpi><GpiInputComponent id="I1"/><GpiInputComponent id="I3"/></Gpi>)");
}

TEST_F(GpiPageTest, OutputRowsFollowTheControllerAndTheProfessionalHost) {
    load(kGpiDocument);
    build();
    page->SelectTab(1);
    EXPECT_TRUE(page->OutputDialog()->isVisible());
    EXPECT_FALSE(page->InputDialog()->isVisible());
    // Output 1 is driven by a position trigger at the start: no offset yet.
    std::vector<std::string> first = RowLabels(outputs(), true);
    first.resize(5);
    EXPECT_EQ(first, (std::vector<std::string>{
                         "GPI Output 1:", "Channel:", "Active:", "Control:", "Trigger at:"}));
    EXPECT_FALSE(RowWithLabel(outputs(), "Offset:", 0)->IsVisible());
    script.answer(3); // Start, End, Start plus, End minus
    ASSERT_TRUE(RowWithLabel(outputs(), "Trigger at:", 0)->TrackPopup(QPoint(1, 1)));
    EXPECT_TRUE(RowWithLabel(outputs(), "Offset:", 0)->IsVisible());
    EXPECT_EQ(ShownValue(RowWithLabel(outputs(), "Offset:", 0)), "00:00:01:00");
    EXPECT_FALSE(RowWithLabel(outputs(), "Activate when:", 0)->IsVisible());
    EXPECT_FALSE(RowWithLabel(outputs(), "Trigger name:", 0)->IsVisible());
    EXPECT_TRUE(RowWithLabel(outputs(), "Trigger name:", 1)->IsVisible());

    // Without the professional host: channel, polarity and the application's name only.
    load(kGpiDocument, false);
    build();
    EXPECT_EQ(RowLabels(outputs(), true),
              (std::vector<std::string>{"GPI Output 1:", "Channel:", "Active:", "GPI Output 2:",
                                        "Channel:", "Active:", "Trigger name:"}));
}

TEST_F(GpiPageTest, ATriggerNameThatIsRefusedChangesNothing) {
    load(kGpiDocument);
    build();
    script.answerText(IDOK, "Cue/2");
    script.answer(IDOK);
    EXPECT_FALSE(RowWithLabel(outputs(), "Trigger name:", 1)->TrackPopup(QPoint(1, 1)));
    EXPECT_EQ(script.last().text, "Failed to edit trigger name. The name entered was too long or "
                                  "contained illegal characters.");
    std::string name;
    ReadXPathValue(document->documentNode(), "//GpiOutput[@id='O2']/@triggerName", name);
    EXPECT_EQ(name, "Cue");
}

TEST_F(GpiPageTest, AReplacedDocumentBringsItsOwnGpisAndOnesWithoutIdsSaySo) {
    load(kGpiDocument);
    build();
    auto replacement = std::make_shared<XmlDocument>();
    ASSERT_EQ(replacement->loadXml(R"(<Config><Channel channelIndex="0" id="A"><Gpi/></Channel>)"
                                   R"(<GpiInput triggerAction="Play"/><GpiInput id="X"/>)"
                                   R"(<GpiInput id="X"/></Config>)"),
              S_OK);
    document = replacement;
    state.SetDocument(replacement);
    SendMessage(page.get(), WM_CONFIG_RELAYOUT, 0, 0);
    EXPECT_EQ(RowLabels(inputs()),
              (std::vector<std::string>{
                  "GPI Input 1:", "Settings not shown: this GPI has no id of its own",
                  "GPI Input 2:", "Trigger channel(s):", "Trigger action:", "Active:",
                  "GPI Input 3:", "Settings not shown: this GPI has no id of its own"}));
    EXPECT_TRUE(RowLabels(outputs()).empty());
    touchChannels(0, {0});
    EXPECT_EQ(gpiOf("A"), R"(<Gpi><GpiInputComponent id="X"/></Gpi>)");
}
