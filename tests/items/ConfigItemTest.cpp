#include "ItemFixture.h"
#include "items/ConfigChoiceItem.h"
#include "platform/StringIds.h"

namespace {

const std::string kAssigned0 = "//Channel[@channelIndex=\"0\"]/Audio[@index=\"0\"]/@assigned";
const std::string kAssigned1 = "//Channel[@channelIndex=\"0\"]/Audio[@index=\"1\"]/@assigned";
const std::string kMissing = "//Channel[@channelIndex=\"0\"]/Audio[@index=\"9\"]/@assigned";

CConfigItem makeItem(QObject* owner = nullptr) {
    return CConfigItem(IDS_REFERENCE_STANDARD, "./Config/System/SystemVideoReference",
                       "referenceStandard", 0, owner);
}

} // namespace

using ConfigItemTest = ItemTest;

TEST_F(ConfigItemTest, VisibilityConditions) {
    CConfigItem plain = makeItem();
    EXPECT_TRUE(plain.IsVisible());

    CConfigItem required = makeItem();
    required.ShowIf(kAssigned0, Variant("true"));
    EXPECT_TRUE(required.IsVisible());
    required.ShowIf(kAssigned1, Variant("true"));
    EXPECT_FALSE(required.IsVisible());

    // A missing node fails a required condition even against an empty value.
    CConfigItem missing = makeItem();
    missing.ShowIf(kMissing, Variant(""));
    EXPECT_FALSE(missing.IsVisible());
    CConfigItem missingNegated = makeItem();
    missingNegated.ShowIfNot(kMissing, Variant("x"));
    EXPECT_FALSE(missingNegated.IsVisible());

    CConfigItem negated = makeItem();
    negated.ShowIfNot(kAssigned1, Variant("true"));
    EXPECT_TRUE(negated.IsVisible());
}

TEST_F(ConfigItemTest, AlternativesNeedOneThatHolds) {
    CConfigItem none = makeItem();
    none.ShowIfAny(kAssigned1, Variant("true"));
    none.ShowIfAny(kMissing, Variant("true"));
    EXPECT_FALSE(none.IsVisible());

    CConfigItem onlyMissing = makeItem();
    onlyMissing.ShowIfAny(kMissing, Variant("true"));
    onlyMissing.ShowIfAnyNot(kMissing, Variant("true")); // skipped, not counted
    EXPECT_FALSE(onlyMissing.IsVisible());

    CConfigItem one = makeItem();
    one.ShowIfAny(kAssigned1, Variant("true"));
    one.ShowIfAny(kAssigned0, Variant("true"));
    EXPECT_TRUE(one.IsVisible());

    CConfigItem mixed = makeItem();
    mixed.ShowIfAnyNot(kAssigned1, Variant("true"));
    mixed.ShowIf(kAssigned1, Variant("true"));
    EXPECT_FALSE(mixed.IsVisible());
}

TEST_F(ConfigItemTest, WithoutADocumentConditionsFailAndReadsLeaveTheValue) {
    state.SetDocument(nullptr);
    CConfigItem item = makeItem();
    item.ShowIfAnyNot(kAssigned0, Variant("x"));
    EXPECT_FALSE(item.IsVisible());
    Variant value("kept");
    EXPECT_EQ(item.GetAttributeValue(value), E_POINTER);
    EXPECT_EQ(value.toText(), "kept");
}

TEST_F(ConfigItemTest, BoundReadsAndWrites) {
    CConfigItem item = makeItem();
    Variant value;
    EXPECT_EQ(item.GetAttributeValue(value), S_OK);
    EXPECT_EQ(value.toText(), "Format525_29_97Hz_2To1");
    EXPECT_EQ(item.PutAttributeValue(Variant("Format625_25Hz_2To1")), S_OK);
    EXPECT_EQ(read("//SystemVideoReference/@referenceStandard"), "Format625_25Hz_2To1");
    EXPECT_TRUE(server->changes.empty()); // not live

    CConfigItem live("Source", "./Config/System/TimeOfDay", "timeOfDaySource", ITEM_LIVE, nullptr);
    live.PutAttributeValue(Variant("Ltc"));
    ASSERT_EQ(server->changes.size(), 1u);
    EXPECT_TRUE(server->changes[0].flag); // final
}

TEST_F(ConfigItemTest, LocalItemsNeverTouchTheDocument) {
    const std::string before = document->xml();
    CConfigItem local(IDS_REFERENCE_STANDARD, "./Config/System/SystemVideoReference",
                      "referenceStandard", ITEM_LOCAL | ITEM_LIVE, nullptr);
    local.SetLocalValue(Variant("held"));
    Variant value;
    local.GetAttributeValue(value);
    EXPECT_EQ(value.toText(), "held");
    local.PutAttributeValue(Variant("new"));
    EXPECT_EQ(local.LocalValue().toText(), "new");
    EXPECT_TRUE(document->xml() == before);
    EXPECT_TRUE(server->changes.empty());
}

TEST_F(ConfigItemTest, CustomAccessorsGetTheDocumentAndTheirContext) {
    CConfigItem item = makeItem();
    std::intptr_t seenContext = 0;
    item.SetGetCallback(
        [&](XmlDocument* doc, CConfigItem&, std::intptr_t context, Variant& local) {
            seenContext = context;
            local = Variant(doc ? "with document" : "none");
            return S_OK;
        },
        7);
    Variant value;
    EXPECT_EQ(item.GetAttributeValue(value), S_OK);
    EXPECT_EQ(value.toText(), "with document");
    EXPECT_EQ(seenContext, 7);

    item.SetPutCallback(
        [](const Variant&, XmlDocument*, CConfigItem&, std::intptr_t) { return E_ACCESSDENIED; },
        0);
    EXPECT_EQ(item.PutAttributeValue(Variant("x")), E_ACCESSDENIED);
    ASSERT_FALSE(log->records.empty());
    EXPECT_EQ(log->records.back().text, "CConfigItem::PutAttributeValue");
}

TEST_F(ConfigItemTest, ANullOwnerNeverOpensAPopup) {
    CConfigChoiceItem item(IDS_REFERENCE_STANDARD, "./Config/System/SystemVideoReference",
                           "referenceStandard", 0, nullptr);
    item.AddChoice(IDS_PAL_50_HZ, Variant("Format625_25Hz_2To1"));
    EXPECT_FALSE(item.TrackPopup(QPoint(10, 10)));
    EXPECT_TRUE(script.questions().empty());
}
