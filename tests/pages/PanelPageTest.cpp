#include "pages/PanelPage.h"

#include "items/ConfigListCtrl.h"
#include "platform/StringIds.h"
#include "platform/WindowMessages.h"
#include "support/DocumentTest.h"
#include "support/ListRows.h"
#include "support/ScopedEnv.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

namespace {

constexpr const char* kMissing =
    "This setting is missing from the configuration, so it cannot be changed.";

std::string panelDocument(const std::string& attributes) {
    return "<Config><Channel channelIndex=\"0\" id=\"C1\"/><Panel " + attributes +
           "><CorvanePro/></Panel></Config>";
}

constexpr const char* kFullPanel =
    R"(jogSpeedMax="3" shuttleSpeedMin="-32" shuttleSpeedMax="32" varSetting="0.25" )"
    R"(varPreset="false" knobCtrlXlr="true" recordButton="PlayAndRecord" fullScreenMode="Multiple")";

} // namespace

class PanelPageTest : public DocumentTest {
protected:
    void TearDown() override {
        page.reset();
        DocumentTest::TearDown();
    }

    void load(const std::string& text) { useDocument(text); }
    void build(bool workstation = false) {
        const ScopedEnv mode("TRELLIS_WORKSTATION",
                             workstation ? std::optional<QByteArray>("1") : std::nullopt);
        page = std::make_unique<CPanelPage>();
        page->resize(600, 600);
        page->Create(nullptr);
        page->show();
    }
    std::vector<std::string> labels() const { return RowLabels(*page->List()); }
    CConfigItem& item(int labelId) const {
        CConfigItem* found = page->List()->FindItem(labelId);
        EXPECT_NE(found, nullptr);
        return *found;
    }
    std::string valueText(int labelId) const {
        std::string text;
        item(labelId).GetValueText(text);
        return text;
    }
    std::string read(const char* attribute) const {
        return DocumentTest::read(std::string("//Panel/@") + attribute);
    }
    // Picks the menu entry (1-based) of the item's popup; true when the value changed.
    bool choose(int labelId, int entry) {
        script.answer(entry);
        const bool changed = item(labelId).TrackPopup(QPoint());
        QCoreApplication::sendPostedEvents();
        return changed;
    }
    // The labels of the entries the last popup showed with a check mark.
    std::vector<std::string> checkedEntries() const {
        std::vector<std::string> checked;
        for (const MenuEntry& entry : script.last().entries)
            if (entry.checked)
                checked.push_back(entry.text);
        return checked;
    }

    std::unique_ptr<CPanelPage> page;
};

TEST_F(PanelPageTest, TheServerScreenShowsEveryRowWithTheStoredValues) {
    load(panelDocument(kFullPanel));
    build();
    EXPECT_EQ(labels(), (std::vector<std::string>{
                            "Jog/Shuttle:", "Jog speed:", "Shuttle speed:", "VAR setting:",
                            "Always start at VAR preset:", "Panel Options:", "Volume knob:",
                            "Record button:", "Full screen monitor:"}));
    EXPECT_EQ(valueText(IDS_JOG_SPEED), "-1X to 3X");
    EXPECT_EQ(valueText(IDS_SHUTTLE_SPEED), "-32X to 32X");
    EXPECT_EQ(valueText(IDS_VAR_SETTING), "0.25X");
    EXPECT_EQ(valueText(IDS_ALWAYS_START_AT_VAR_PRESET), "No");
    EXPECT_EQ(valueText(IDS_VOLUME_KNOB), "Front + Rear Monitor");
    EXPECT_EQ(valueText(IDS_RECORD_BUTTON), "Play + Record");
    EXPECT_EQ(valueText(IDS_FULL_SCREEN_MONITOR), "Multiple Channels");
    EXPECT_EQ(page->List()->VisibleCount(), 9);
}

TEST_F(PanelPageTest, AWorkstationHasOnlyTheJogAndShuttleRows) {
    load(panelDocument(kFullPanel));
    build(true);
    EXPECT_EQ(labels(), (std::vector<std::string>{"Jog/Shuttle:", "Jog speed:", "Shuttle speed:",
                                                  "VAR setting:", "Always start at VAR preset:"}));
    // A rebuild after the document was replaced follows the mode too.
    const ScopedEnv mode("TRELLIS_WORKSTATION", "1");
    state.SetDocument(document);
    SendMessage(page.get(), WM_CONFIG_RELAYOUT);
    EXPECT_EQ(labels().size(), 5u);
}

TEST_F(PanelPageTest, AShuttleRangeChecksOnlyItsOwnChoiceAndAnyChoiceWritesASymmetricPair) {
    struct Case {
        const char* attributes;
        const char* shown;
        int entry;
        const char* minimum;
        const char* maximum;
        const char* checked; // the entry the menu shows checked, if any
    };
    const Case cases[] = {
        {R"(shuttleSpeedMin="-32" shuttleSpeedMax="32")", "-32X to 32X", 1, "-16", "16",
         "-32X to 32X"},
        {R"(shuttleSpeedMin="-20" shuttleSpeedMax="20")", "20", 1, "-16", "16", nullptr},
        {R"(shuttleSpeedMin="-32" shuttleSpeedMax="16")", "-32X to 16X", 1, "-16", "16", nullptr},
        {R"(shuttleSpeedMin="-16" shuttleSpeedMax="32")", "-16X to 32X", 2, "-32", "32", nullptr},
        {R"(shuttleSpeedMin="fast" shuttleSpeedMax="fast")", "fast", 2, "-32", "32", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.attributes);
        load(panelDocument(c.attributes));
        build();
        EXPECT_EQ(valueText(IDS_SHUTTLE_SPEED), c.shown);
        ASSERT_TRUE(choose(IDS_SHUTTLE_SPEED, c.entry));
        EXPECT_EQ(checkedEntries(),
                  c.checked ? std::vector<std::string>{c.checked} : std::vector<std::string>{});
        EXPECT_EQ(read("shuttleSpeedMin"), c.minimum);
        EXPECT_EQ(read("shuttleSpeedMax"), c.maximum);
    }
}

TEST_F(PanelPageTest, AShuttleRangeWithAMissingEndIsNotWrittenAndTheUserIsTold) {
    for (const char* attributes :
         {R"(shuttleSpeedMin="-32")", R"(shuttleSpeedMax="32")", R"(jogSpeedMax="3")"}) {
        SCOPED_TRACE(attributes);
        load(panelDocument(attributes));
        build();
        EXPECT_EQ(valueText(IDS_SHUTTLE_SPEED), "-32X to 32X");
        const std::string before = document->xml();
        EXPECT_FALSE(choose(IDS_SHUTTLE_SPEED, 1));
        EXPECT_EQ(script.last().text, kMissing);
        EXPECT_EQ(script.last().caption, "Shuttle speed:");
        EXPECT_EQ(script.last().style, MB_TOUCH_WARNING);
        EXPECT_TRUE(document->xml() == before);
        EXPECT_EQ(valueText(IDS_SHUTTLE_SPEED), "-32X to 32X");
    }
}

TEST_F(PanelPageTest, ADocumentWithoutAPanelBuildsEveryRowAndRefusesChanges) {
    load("<Config><Channel channelIndex=\"0\" id=\"C1\"/></Config>");
    build();
    ASSERT_EQ(labels().size(), 9u);
    EXPECT_EQ(valueText(IDS_VAR_SETTING), "");
    const std::string before = document->xml();
    for (int labelId : {IDS_JOG_SPEED, IDS_SHUTTLE_SPEED, IDS_VAR_SETTING, IDS_RECORD_BUTTON}) {
        SCOPED_TRACE(labelId);
        script.clear();
        EXPECT_FALSE(choose(labelId, 1));
        ASSERT_EQ(script.questions().size(), 2u); // the menu, then the warning
        EXPECT_EQ(script.last().text, kMissing);
    }
    EXPECT_TRUE(document->xml() == before);
}

TEST_F(PanelPageTest, AStoredFloatChecksItsChoiceAndAJogSpeedWritesNoMinimum) {
    load(panelDocument(R"(jogSpeedMax="1" varSetting="0.5")"));
    build();
    EXPECT_EQ(valueText(IDS_VAR_SETTING), "0.50X");
    ASSERT_TRUE(choose(IDS_VAR_SETTING, 3));
    EXPECT_EQ(checkedEntries(), std::vector<std::string>{"0.50X"});
    ASSERT_TRUE(choose(IDS_JOG_SPEED, 2));
    EXPECT_EQ(valueText(IDS_JOG_SPEED), "-1X to " + read("jogSpeedMax") + "X");
    // The jog range always starts at -1X: no minimum is written.
    EXPECT_EQ(read("jogSpeedMin"), "");
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(PanelPageTest, TheShuttleRowFollowsTheDocumentOnRelayout) {
    load(panelDocument(kFullPanel));
    build();
    WriteXPathValue(document->documentNode(), "//Panel/@shuttleSpeedMin", Variant("-16"));
    WriteXPathValue(document->documentNode(), "//Panel/@shuttleSpeedMax", Variant("16"));
    SendMessage(page.get(), WM_CONFIG_RELAYOUT);
    EXPECT_EQ(valueText(IDS_SHUTTLE_SPEED), "-16X to 16X");
}
