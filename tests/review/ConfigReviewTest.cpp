// The review of a list of rows over a small document: rows by their own values, what rules
// wrote after a change counted under it, what nobody explains listed as itself, by page and
// channel.

#include "items/ItemFixture.h"

#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigTextItems.h"
#include "review/ConfigReview.h"
#include "review/ReviewText.h"
#include "state/XPathAccess.h"

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
    // What the rules wrote reads in words; the track is of another channel than the group's.
    EXPECT_EQ(CausedChangeLines(entry),
              (std::vector<std::string>{"C1 \u203A Audio track 2: not assigned \u2192 assigned",
                                        "GPI output \"GpiOut2\" \u203A Trigger name: Tally2 "
                                        "\u2192 Tally9"}));
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
                  "GPI output \"GpiOut1\" \u203A Trigger name: Tally1 \u2192 Tally7",
                  // Outside every page's part: after the pages.
                  "Configuration", "Audio input \"AI1\" \u203A Analog \u203A Trim: 0 \u2192 3"}));
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

TEST_F(ConfigReviewTest, ADialogsChangeWithoutARowIsItsOwnEntryWithTheValuesItsPageShows) {
    state.BeginUserChange({"Ganging of C1", ""});
    write("./Config/Channel/@id", "C1");
    write("./Config/Channel/Audio[1]/@assigned", "false");
    XmlNode config = document->documentElement();
    config.appendElement("Gang").setAttribute("index", "0");
    ConfigReviewBuilder builder;
    builder.AddPart("Channel", "/Config/Channel | /Config/Gang");
    // As the page shows the channel: by whether its first track is assigned, here.
    builder.AddView("Ganging of C1", [](const XmlNode& root) {
        std::string assigned;
        ReadXPathValue(root, "/Config/Channel/Audio[1]/@assigned", assigned);
        return assigned == "true" ? std::string("Not ganged") : std::string("Gang 1");
    });
    ConfigReview review = builder.Build();
    ASSERT_EQ(review.groups.size(), 1u);
    EXPECT_EQ(GroupHeading(review.groups[0]), "Channel C1");
    const ReviewEntry& entry = review.groups[0].entries.at(0);
    EXPECT_EQ(EntryLine(entry), "Ganging of C1: Not ganged \u2192 Gang 1");
    EXPECT_EQ(entry.ownCount, 2u);
    EXPECT_EQ(CausedLine(entry), "");

    // Back as the page showed it, what followed the change remains.
    write("./Config/Channel/Audio[1]/@assigned", "true");
    ConfigReviewBuilder again;
    again.AddPart("Channel", "/Config/Channel | /Config/Gang");
    again.AddView("Ganging of C1", [](const XmlNode&) { return std::string("Not ganged"); });
    review = again.Build();
    EXPECT_EQ(EntryLine(review.groups.at(0).entries.at(0)), "Ganging of C1");
    EXPECT_EQ(CausedLine(review.groups.at(0).entries.at(0)),
              "set back; 1 change made by rules remains");
}

TEST_F(ConfigReviewTest, OldValuesReadAsTheRowOfTheirLabelShowedThem) {
    // One row of a setting for each reference standard, each with its own choices, as the
    // format rows are.
    const auto addVarRow = [&](const char* standard, const char* own, const char* ownLabel) {
        auto* row = new CConfigChoiceItem("Var:", "./Config/Panel", "varSetting", 0, &page);
        row->ShowIf(std::string(kReference) + "/@referenceStandard", Variant(standard));
        row->AddChoice(ownLabel, Variant(own));
        row->AddChoice("Full", Variant("1"));
        system.AddItem(row);
    };
    addVarRow("Format525_29_97Hz_2To1", "0.5", "Half (NTSC)");
    addVarRow("Format625_25Hz_2To1", "0.25", "Quarter (PAL)");
    change(*standard, "Format625_25Hz_2To1", {{"./Config/Panel/@varSetting", "0.25"}});
    EXPECT_EQ(lines(build()),
              (std::vector<std::string>{
                  "System",
                  "Video Reference \u203A Reference standard: NTSC (59.94 Hz) \u2192 PAL (50 Hz)",
                  "Var: Half (NTSC) \u2192 Quarter (PAL)"}));

    // A hidden row words what a rule wrote to its attribute, under the change; a row of
    // another element of the kind words the values of one that has none.
    auto* hidden = new CConfigChoiceItem("Trigger:", "./Config/GpiOutput[@id='GpiOut2']",
                                         "triggerName", 0, &page);
    hidden->ShowIf(std::string(kReference) + "/@referenceStandard", Variant("none"));
    hidden->AddChoice("Tally two", Variant("Tally2"));
    hidden->AddChoice("Tally nine", Variant("Tally9"));
    system.AddItem(hidden);
    auto* track =
        new CConfigChoiceItem("Track one:", "./Config/Channel/Audio[1]", "assigned", 0, &page);
    track->AddChoice("In use", Variant("true"));
    track->AddChoice("Free", Variant("false"));
    system.AddItem(track);
    change(*timeOfDay, "Ltc",
           {{"./Config/GpiOutput[@id='GpiOut2']/@triggerName", "Tally9"},
            {"./Config/Channel/Audio[2]/@assigned", "true"}});
    const ConfigReview review = build();
    const ReviewEntry& entry = review.groups.at(0).entries.at(1);
    EXPECT_EQ(EntryLine(entry), "Time of day: Windows \u2192 LTC");
    EXPECT_EQ(
        CausedChangeLines(entry),
        (std::vector<std::string>{"C1 \u203A Audio track 2 \u203A Assigned: Free \u2192 In use",
                                  "Trigger: Tally two \u2192 Tally nine"}));
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
                  "Configuration", "Panel \u203A Var setting: 0.5 \u2192 0.75"}));
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
