// The review of a list of rows over a small document: rows by their own values, what rules
// wrote after a change counted under it, what nobody explains listed as itself, by page and
// channel.

#include "items/ItemFixture.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigTextItems.h"
#include "review/ConfigReview.h"
#include "review/ReviewText.h"

namespace {

constexpr const char* kReference = "./Config/System/SystemVideoReference";
constexpr const char* kTimeOfDay = "./Config/System/TimeOfDay";

class ConfigReviewTest : public ItemTest {
protected:
    void SetUp() override {
        ItemTest::SetUp();
        state.SetInitialConfig(kItemDocument);
        auto* heading =
            new CConfigTextItem("Video Reference:", "", "", ITEM_UNBOUND | ITEM_LOCAL, &page);
        standard = new CConfigChoiceItem("Reference standard:", kReference, "referenceStandard",
                                         ITEM_INDENT, &page);
        standard->AddChoice("NTSC (59.94 Hz)", Variant("Format525_29_97Hz_2To1"));
        standard->AddChoice("PAL (50 Hz)", Variant("Format625_25Hz_2To1"));
        timeOfDay = new CConfigChoiceItem("Time of day:", kTimeOfDay, "timeOfDaySource", 0, &page);
        timeOfDay->AddChoice("Windows", Variant("Windows"));
        timeOfDay->AddChoice("LTC", Variant("Ltc"));
        system.AddItem(heading);
        system.AddItem(standard);
        system.AddItem(timeOfDay);
    }
    void TearDown() override {
        state.SetInitialConfig(std::string());
        ItemTest::TearDown();
    }
    void write(const std::string& xpath, const char* value) {
        ASSERT_EQ(WriteXPathValue(document->documentNode(), xpath, Variant(value)), S_OK);
    }
    // A touch on a row that writes its value, and the rule's writes that follow it.
    void change(CConfigItem& item, const char* value,
                const std::vector<std::pair<std::string, const char*>>& ruleWrites = {}) {
        state.BeginUserChange({item.Label(), item.Binding()});
        ASSERT_EQ(item.PutAttributeValue(Variant(value)), S_OK);
        for (const auto& [xpath, written] : ruleWrites)
            write(xpath, written);
    }
    ConfigReview build() {
        ConfigReviewBuilder builder;
        builder.SetPageOrder({"System", "Channel", "GPI"});
        builder.AddRows("System", "", system);
        builder.AddPart("GPI", "/Config/GpiOutput");
        builder.AddPart("System", "/Config/System");
        builder.AddPart("Channel", "/Config/Channel | /Config/*[@id = /Config/Channel//@id]");
        return builder.Build();
    }
    // Each group's heading, then its entries' lines.
    static std::vector<std::string> lines(const ConfigReview& review) {
        std::vector<std::string> all;
        for (const ReviewGroup& group : review.groups) {
            all.push_back(GroupHeading(group));
            for (const ReviewEntry& entry : group.entries) {
                const std::string caused = CausedLine(entry);
                all.push_back(EntryLine(entry) + (caused.empty() ? "" : " [" + caused + "]"));
            }
        }
        return all;
    }

    CConfigListCtrl system;
    CConfigChoiceItem* standard = nullptr;
    CConfigChoiceItem* timeOfDay = nullptr;
};

} // namespace

TEST_F(ConfigReviewTest, NothingChangedIsAnEmptyReview) {
    const ConfigReview review = build();
    EXPECT_TRUE(review.IsEmpty());
    EXPECT_TRUE(review.differences.empty());
    EXPECT_TRUE(review.restartingChannels.empty());
}

TEST_F(ConfigReviewTest, ARowShowsItsValuesAsTheUserSeesThemAndItsRulesWritesUnderIt) {
    change(*standard, "Format625_25Hz_2To1",
           {{"./Config/Channel/Audio[2]/@assigned", "true"},
            {"./Config/GpiOutput[@id='GpiOut2']/@triggerName", "Tally9"}});
    const ConfigReview review = build();
    EXPECT_EQ(lines(review), (std::vector<std::string>{
                                 "System", "Video Reference \u203A Reference standard: NTSC (59.94 "
                                           "Hz) \u2192 PAL (50 Hz) [2 changes made by rules]"}));
    const ReviewEntry& entry = review.groups.at(0).entries.at(0);
    EXPECT_EQ(entry.changes.at(0).attribute, "referenceStandard");
    // The channel whose part changed restarts.
    EXPECT_EQ(review.restartingChannels, std::vector<std::string>{"C1"});
    EXPECT_EQ(review.ListedChangeCount(), review.differences.size());
}

TEST_F(ConfigReviewTest, WhatNoRowOrChangeExplainsIsListedByPageAndChannel) {
    // As Load or Restore would leave them: written with no change of the user's before.
    write("./Config/GpiOutput[@id='GpiOut1']/@triggerName", "Tally7");
    write("./Config/AudioInput[@id='AI1']/AudioInputAnalog/@trim", "3");
    write(std::string(kTimeOfDay) + "/@timeOfDaySource", "Ltc");
    const ConfigReview review = build();
    EXPECT_EQ(lines(review),
              (std::vector<std::string>{
                  "System", "Time of day: Windows \u2192 LTC", "GPI",
                  "GpiOutput \"GpiOut1\": triggerName: Tally1 \u2192 Tally7",
                  // Outside every page's part: after the pages.
                  "Configuration", "AudioInput \"AI1\" / AudioInputAnalog: trim: 0 \u2192 3"}));
    EXPECT_TRUE(review.restartingChannels.empty());
}

TEST_F(ConfigReviewTest, ARowSetBackKeepsWhatItsRulesLeftAndAChangeBackUndoesTheCount) {
    change(*standard, "Format625_25Hz_2To1", {{"./Config/Panel/@varSetting", "0.75"}});
    change(*timeOfDay, "Ltc");
    change(*standard, "Format525_29_97Hz_2To1");
    ConfigReview review = build();
    EXPECT_EQ(lines(review), (std::vector<std::string>{
                                 "System",
                                 "Time of day: Windows \u2192 LTC",
                                 "Video Reference \u203A Reference standard [set back; 1 change "
                                 "made by rules remains]",
                             }));
    // Setting the rule's value back by hand leaves nothing of it.
    state.BeginUserChange({"Var:", "./Config/Panel/@varSetting"});
    write("./Config/Panel/@varSetting", "0.5");
    review = build();
    EXPECT_EQ(lines(review),
              (std::vector<std::string>{"System", "Time of day: Windows \u2192 LTC"}));
}

TEST_F(ConfigReviewTest, ADialogsChangeWithoutARowIsItsOwnEntry) {
    state.BeginUserChange({"Ganging of C1", ""});
    write("./Config/Channel/@id", "C1");
    write("./Config/Channel/Audio[1]/@assigned", "false");
    XmlNode config = document->documentElement();
    config.appendElement("Gang").setAttribute("index", "0");
    const ConfigReview review = build();
    ASSERT_EQ(review.groups.size(), 1u);
    EXPECT_EQ(GroupHeading(review.groups[0]), "Channel C1");
    const ReviewEntry& entry = review.groups[0].entries.at(0);
    EXPECT_EQ(EntryLine(entry), "Ganging of C1");
    EXPECT_EQ(entry.ownCount, 2u);
    EXPECT_EQ(CausedLine(entry), "");
}

TEST_F(ConfigReviewTest, ADocumentReplacedAsAWholeForgetsTheCausesBefore) {
    change(*standard, "Format625_25Hz_2To1", {{"./Config/Panel/@varSetting", "0.75"}});
    XmlDocument loaded;
    ASSERT_EQ(loaded.loadXml(document->xml()), S_OK);
    document->replaceContent(std::move(loaded));
    state.SetDocument(document); // a new generation, as Load makes
    const ConfigReview review = build();
    // The same differences, now with nobody's change to explain the panel's.
    EXPECT_EQ(lines(review),
              (std::vector<std::string>{
                  "System",
                  "Video Reference \u203A Reference standard: NTSC (59.94 Hz) \u2192 PAL (50 Hz)",
                  "Configuration", "Panel: varSetting: 0.5 \u2192 0.75"}));
}

TEST_F(ConfigReviewTest, ChangesOutsideTheDocumentFollowTheDocumentsPagesInOrder) {
    write(std::string(kTimeOfDay) + "/@timeOfDaySource", "Ltc");
    ConfigReviewBuilder builder;
    builder.SetPageOrder({"System", "Remote", "Security"});
    builder.AddEntry("Security", "C2", TextEntry("Password: changed"));
    builder.AddEntry("Remote", "", TextEntry("Added host \"b\" (controller id 2)"));
    builder.AddRows("System", "", system);
    EXPECT_EQ(lines(builder.Build()),
              (std::vector<std::string>{"System", "Time of day: Windows \u2192 LTC", "Remote",
                                        "Added host \"b\" (controller id 2)", "Security C2",
                                        "Password: changed"}));
}
