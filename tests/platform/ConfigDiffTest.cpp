#include "platform/ConfigDiff.h"

#include "server/embedded/ConfigRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using Kind = ConfigChange::Kind;

std::vector<ConfigChange> diff(const char* before, const char* after) {
    XmlDocument was;
    XmlDocument now;
    EXPECT_EQ(was.loadXml(before), S_OK);
    EXPECT_EQ(now.loadXml(after), S_OK);
    return DiffConfigurations(was.documentNode(), now.documentNode());
}

// The earlier text with the changes applied, as text.
std::string applied(const char* before, const std::vector<ConfigChange>& changes) {
    XmlDocument document;
    EXPECT_EQ(document.loadXml(before), S_OK);
    EXPECT_TRUE(ApplyConfigChanges(document.documentNode(), changes));
    return document.xml();
}

std::string canonical(const char* text) {
    XmlDocument document;
    EXPECT_EQ(document.loadXml(text), S_OK);
    return document.xml();
}

// The document's text with every element's attributes in name order: the order of
// attributes is not configuration.
std::string sortedAttributes(const XmlDocument& document) {
    XmlDocument copy;
    copy.copyFrom(document);
    for (const XmlNode& node : copy.documentNode().selectNodes("//*")) {
        pugi::xml_node element = node.raw();
        std::vector<std::pair<std::string, std::string>> attributes;
        for (pugi::xml_attribute attribute : element.attributes())
            attributes.emplace_back(attribute.name(), attribute.value());
        std::sort(attributes.begin(), attributes.end());
        element.remove_attributes();
        for (const auto& [name, value] : attributes)
            element.append_attribute(name.c_str()).set_value(value.c_str());
    }
    return copy.xml();
}

} // namespace

TEST(ConfigDiff, AttributesChangedAddedAndRemovedAreNamedByTheirElement) {
    const char* before = R"(<Config><Panel jog="3" var="0.5"/><Channel id="C1" a="x"/>
        <Channel id="C2" a="y"/></Config>)";
    const char* after = R"(<Config><Panel jog="1" knob="true"/><Channel id="C1" a="x"/>
        <Channel id="C2" a="z"/></Config>)";
    const std::vector<ConfigChange> changes = diff(before, after);
    const std::vector<ConfigChange> expected = {
        {.path = "/Config[1]/Panel[1]", .attribute = "jog", .before = "3", .after = "1"},
        {.path = "/Config[1]/Panel[1]", .attribute = "knob", .after = "true"},
        {.path = "/Config[1]/Panel[1]", .attribute = "var", .before = "0.5"},
        {.path = "/Config[1]/Channel[@id=\"C2\"]", .attribute = "a", .before = "y", .after = "z"},
    };
    EXPECT_EQ(changes, expected);
    EXPECT_EQ(applied(before, changes), canonical(after));
    EXPECT_TRUE(diff(after, after).empty());
}

TEST(ConfigDiff, AnElementInsertedAmongSiblingsWithIdsIsOneAdditionAtItsPlace) {
    const char* before = R"(<Config><Gpi><GpiInput id="5" on="1"/><GpiOutput id="1"/></Gpi>
        </Config>)";
    const char* after = R"(<Config><Gpi><GpiInput id="3" on="0"/><GpiInput id="5" on="1"/>
        <GpiOutput id="1"/></Gpi></Config>)";
    const std::vector<ConfigChange> changes = diff(before, after);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, Kind::ElementAdded);
    EXPECT_EQ(changes[0].path, "/Config[1]/Gpi[1]/GpiInput[@id=\"3\"]");
    EXPECT_EQ(changes[0].element, "<GpiInput id=\"3\" on=\"0\"/>");
    EXPECT_EQ(changes[0].position, 0);
    EXPECT_EQ(applied(before, changes), canonical(after));
    // And back: the same element removed.
    const std::vector<ConfigChange> back = diff(after, before);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].kind, Kind::ElementRemoved);
    EXPECT_EQ(applied(after, back), canonical(before));
}

TEST(ConfigDiff, SiblingsWithoutIdsOfTheirOwnArePairedInOrder) {
    // Two lines share an id, so order pairs them; removals go from the last.
    const char* before = R"(<Config><Vbi><Line id="1" n="10"/><Line id="1" n="11"/>
        <Line id="2" n="12"/><Line n="13"/></Vbi></Config>)";
    const char* after = R"(<Config><Vbi><Line id="1" n="10"/><Line id="1" n="14"/></Vbi></Config>)";
    const std::vector<ConfigChange> changes = diff(before, after);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].kind, Kind::ElementRemoved);
    EXPECT_EQ(changes[0].path, "/Config[1]/Vbi[1]/Line[4]");
    EXPECT_EQ(changes[1].path, "/Config[1]/Vbi[1]/Line[3]");
    EXPECT_EQ(changes[2].path, "/Config[1]/Vbi[1]/Line[2]");
    EXPECT_EQ(changes[2].after, "14");
    EXPECT_EQ(applied(before, changes), canonical(after));
    EXPECT_EQ(applied(after, diff(after, before)), canonical(before));
}

TEST(ConfigDiff, IdsWithQuotesOrSlashesStillApply) {
    const char* before = R"(<Config><Channel id="a/b" x="1"/><Channel id='say "hi"' x="1"/>
        <Channel id="it's" x="1"/></Config>)";
    const char* after = R"(<Config><Channel id="a/b" x="2"/><Channel id='say "hi"' x="2"/>
        <Channel id="it's" x="2"/><Channel id="new/one"><Gpi/></Channel></Config>)";
    const std::vector<ConfigChange> changes = diff(before, after);
    EXPECT_EQ(changes.size(), 4u);
    EXPECT_EQ(applied(before, changes), canonical(after));
}

TEST(ConfigDiff, ARenamedRootIsReplacedWhole) {
    const char* before = R"(<Config a="1"/>)";
    const char* after = R"(<Settings a="1"/>)";
    EXPECT_EQ(applied(before, diff(before, after)), canonical(after));
}

// The changes are applied to the engine's nodes directly: a query asked before them must not
// answer from before them.
TEST(ConfigDiff, QueriesAfterAppliedChangesSeeThem) {
    constexpr const char* kBefore = R"(<Config><Gpi id="1" mode="in"/></Config>)";
    const std::vector<ConfigChange> changes =
        diff(kBefore, R"(<Config><Gpi id="1" mode="out"/><Gpi id="2" mode="in"/></Config>)");
    XmlDocument document;
    ASSERT_EQ(document.loadXml(kBefore), S_OK);
    const XmlNode root = document.documentNode();
    ASSERT_EQ(root.selectNodes("//Gpi").size(), 1u);
    ASSERT_TRUE(root.selectSingleNode("//Gpi[@mode='out']").isNull());
    EXPECT_TRUE(ApplyConfigChanges(root, changes));
    EXPECT_EQ(root.selectNodes("//Gpi").size(), 2u);
    EXPECT_EQ(root.selectSingleNode("//Gpi[@mode='out']/@id").value(), "1");
}

TEST(ConfigDiff, AChangeThatDoesNotFitTheDocumentIsRefused) {
    XmlDocument document;
    ASSERT_EQ(document.loadXml("<Config/>"), S_OK);
    const ConfigChange change{.path = "/Config[1]/Panel[1]", .attribute = "jog", .after = "1"};
    EXPECT_FALSE(ApplyConfigChanges(document.documentNode(), {change}));
    EXPECT_FALSE(ApplyConfigChanges(document.documentNode(), {{.kind = Kind::ElementAdded,
                                                               .path = "/Config[1]/Panel[1]",
                                                               .element = "<Panel",
                                                               .position = 0}}));
}

// Random edits of every default document: attributes changed, added and removed, elements
// copied in with new ids or without, and removed. Applying the listed changes to the
// earlier document must give the later one, whatever was done.
TEST(ConfigDiff, AppliedChangesRebuildTheEditedDocument) {
    std::mt19937 random(20261207);
    const auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (const std::string& standard : ReferenceStandards()) {
        const std::string text = DefaultConfigurationText(standard);
        for (int round = 0; round < 40; ++round) {
            XmlDocument edited;
            ASSERT_EQ(edited.loadXml(text), S_OK);
            for (int edit = 0; edit < 30; ++edit) {
                const XmlNodeList elements = edited.documentNode().selectNodes("//*");
                const XmlNode node = elements[below(elements.size())];
                pugi::xml_node element = node.raw();
                switch (below(5)) {
                case 0:
                    if (pugi::xml_attribute first = element.first_attribute())
                        first.set_value(std::to_string(below(1000)).c_str());
                    break;
                case 1: {
                    const std::string name = "added" + std::to_string(below(3));
                    if (!element.attribute(name.c_str()))
                        element.append_attribute(name.c_str()).set_value("v");
                    break;
                }
                case 2:
                    if (pugi::xml_attribute last = element.last_attribute())
                        element.remove_attribute(last);
                    break;
                case 3:
                    if (element.parent() && element.parent().type() == pugi::node_element) {
                        pugi::xml_node copy = element.parent().insert_copy_after(element, element);
                        if (copy.attribute("id") && below(2))
                            copy.attribute("id").set_value(("n" + std::to_string(edit)).c_str());
                    }
                    break;
                default:
                    if (element.parent() && element.parent().type() == pugi::node_element)
                        element.parent().remove_child(element);
                    break;
                }
            }
            XmlDocument original;
            ASSERT_EQ(original.loadXml(text), S_OK);
            const std::vector<ConfigChange> changes =
                DiffConfigurations(original.documentNode(), edited.documentNode());
            ASSERT_TRUE(ApplyConfigChanges(original.documentNode(), changes))
                << standard << " round " << round;
            ASSERT_EQ(sortedAttributes(original), sortedAttributes(edited))
                << standard << " round " << round;
        }
    }
}
