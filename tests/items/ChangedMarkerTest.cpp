// Rows mark a value that differs from the configuration as the session started, whatever
// changed it: a touch, a rule, a Load or a Restore.

#include "ItemFixture.h"

#include "items/ConfigItem.h"
#include "platform/Metrics.h"

#include <QImage>
#include <QPainter>

namespace {

class ChangedMarkerTest : public ItemTest {
protected:
    void SetUp() override {
        ItemTest::SetUp();
        state.SetInitialConfig(kItemDocument);
    }
    void TearDown() override {
        state.SetInitialConfig(std::string());
        ItemTest::TearDown();
    }
    void write(const char* xpath, const char* value) {
        ASSERT_EQ(WriteXPathValue(document->documentNode(), xpath, Variant(value)), S_OK);
    }
    // Replaces the document's content, as Load and Restore do.
    void replaceWith(const std::string& text) {
        XmlDocument loaded;
        ASSERT_EQ(loaded.loadXml(text), S_OK);
        document->replaceContent(std::move(loaded));
    }
    // The row drawn on its own; the colour at its left edge, halfway down.
    QColor leftEdge(CConfigItem& item) {
        QImage image(400, 48, QImage::Format_RGB32);
        QPainter painter(&image);
        item.Draw(painter, image.rect());
        painter.end();
        return image.pixelColor(2, 24);
    }
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

} // namespace

TEST_F(ChangedMarkerTest, ARowIsMarkedWhileItsValueDiffersFromTheStartWhateverChangedIt) {
    CConfigItem item("VAR setting:", "./Config/Panel", "varSetting", 0, &page);
    EXPECT_FALSE(item.DiffersFromStart());
    EXPECT_EQ(leftEdge(item), FrmwkGetColor(COLOR_BACKGROUND));

    write("./Config/Panel/@varSetting", "0.75");
    EXPECT_TRUE(item.DiffersFromStart());
    EXPECT_EQ(leftEdge(item), FrmwkGetColor(COLOR_CHANGED));

    write("./Config/Panel/@varSetting", "0.5");
    EXPECT_FALSE(item.DiffersFromStart());

    replaceWith(replaced(kItemDocument, "varSetting=\"0.5\"", "varSetting=\"0.25\""));
    EXPECT_TRUE(item.DiffersFromStart());
    replaceWith(kItemDocument);
    EXPECT_FALSE(item.DiffersFromStart());
}

TEST_F(ChangedMarkerTest, AnAttributeAddedOrRemovedSinceTheStartCountsAsChanged) {
    CConfigItem knob("Volume knob:", "./Config/Panel", "knobCtrlXlr", 0, &page);
    CConfigItem jog("Jog speed:", "./Config/Panel", "jogSpeedMax", 0, &page);
    EXPECT_FALSE(knob.DiffersFromStart());
    document->documentNode().selectSingleNode("./Config/Panel").setAttribute("knobCtrlXlr", "true");
    document->documentNode().selectSingleNode("./Config/Panel").removeAttribute("jogSpeedMax");
    EXPECT_TRUE(knob.DiffersFromStart());
    EXPECT_TRUE(jog.DiffersFromStart());
}

TEST_F(ChangedMarkerTest, RowsBoundToNothingOrWithoutAStartAreNeverMarked) {
    CConfigItem heading("Panel Options:", "", "", ITEM_UNBOUND, &page);
    CConfigItem local("Local:", "./Config/Panel", "varSetting", ITEM_LOCAL, &page);
    write("./Config/Panel/@varSetting", "0.75");
    EXPECT_FALSE(heading.DiffersFromStart());
    EXPECT_FALSE(local.DiffersFromStart());
    // Before a logon there is no start to differ from.
    CConfigItem var("VAR setting:", "./Config/Panel", "varSetting", 0, &page);
    EXPECT_TRUE(var.DiffersFromStart());
    state.SetInitialConfig(std::string());
    EXPECT_FALSE(var.DiffersFromStart());
}

TEST_F(ChangedMarkerTest, AnAccessorRowComparesWhatItReadsAndKeepsShowingTheValueNow) {
    // The accessor reads two attributes into one value and keeps it in the item.
    CConfigItem pair("Jog and VAR:", "", "", 0, &page);
    pair.SetGetCallback(
        [](XmlDocument* source, CConfigItem& item, std::intptr_t, Variant& value) {
            std::string jog;
            std::string var;
            ReadXPathValue(source->documentNode(), "./Config/Panel/@jogSpeedMax", jog);
            ReadXPathValue(source->documentNode(), "./Config/Panel/@varSetting", var);
            value = Variant(jog + "/" + var);
            item.SetLocalValue(value);
            return S_OK;
        },
        0);
    EXPECT_FALSE(pair.DiffersFromStart());
    write("./Config/Panel/@jogSpeedMax", "1");
    EXPECT_TRUE(pair.DiffersFromStart());
    EXPECT_EQ(pair.LocalValue().toText(), "1/0.5");
}
