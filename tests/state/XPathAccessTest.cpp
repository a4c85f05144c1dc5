#include "state/XPathAccess.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kXPathDocument = R"(<Config>
  <System>
    <SystemVideoReference referenceStandard="Format625_25Hz_2To1"/>
    <SystemAudioReference audioUnityLevel="4"/>
  </System>
  <Channel channelIndex="0" id="C1" gpiEnabled="true" broken="maybe"/>
</Config>)";

class XPathAccessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(document.loadXml(kXPathDocument), S_OK); }
    XmlNode root() const { return document.documentNode(); }
    XmlDocument document;
};

} // namespace

TEST_F(XPathAccessTest, MissingNodesLeaveTheCallersDefault) {
    std::string text = "Format525_29_97Hz_2To1";
    EXPECT_EQ(ReadXPathValue(root(), "./Config/System/Missing/@x", text), S_FALSE);
    EXPECT_EQ(text, "Format525_29_97Hz_2To1");
    std::int32_t number = 8;
    EXPECT_EQ(ReadXPathTypedValue(root(), "//Channel/@missing", number), S_FALSE);
    EXPECT_EQ(number, 8);
    Variant value(std::int32_t{3});
    EXPECT_EQ(ReadXPathTypedValue(root(), "//Nothing/@x", value), S_FALSE);
    EXPECT_EQ(value, Variant(std::int32_t{3}));
}

TEST_F(XPathAccessTest, TypedReads) {
    std::int32_t level = 0;
    EXPECT_EQ(
        ReadXPathTypedValue(root(), "./Config/System/SystemAudioReference/@audioUnityLevel", level),
        S_OK);
    EXPECT_EQ(level, 4);
    bool enabled = false;
    EXPECT_EQ(ReadXPathTypedValue(root(), "//Channel/@gpiEnabled", enabled), S_OK);
    EXPECT_TRUE(enabled);
    Variant id;
    EXPECT_EQ(ReadXPathTypedValue(root(), "//Channel/@id", id), S_OK);
    EXPECT_EQ(id.toText(), "C1");
}

TEST_F(XPathAccessTest, OddValuesKeepTheDefault) {
    bool flag = true;
    EXPECT_EQ(ReadXPathTypedValue(root(), "//Channel/@broken", flag), DISP_E_TYPEMISMATCH);
    EXPECT_TRUE(flag);
    std::int32_t number = 5;
    EXPECT_EQ(ReadXPathTypedValue(root(), "//Channel/@id", number), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(number, 5);
}

TEST_F(XPathAccessTest, ANodeThatIsNoAttributeRaisesInvalidPointer) {
    std::string text;
    try {
        ReadXPathValue(root(), "//Channel", text);
        FAIL() << "expected a COM error";
    } catch (const ComError& error) {
        EXPECT_EQ(error.Error(), E_POINTER);
    }
    EXPECT_THROW(WriteXPathValue(root(), "//System", Variant("x")), ComError);
}

TEST_F(XPathAccessTest, BadQueriesReturnTheirStatus) {
    std::string text = "kept";
    EXPECT_EQ(ReadXPathValue(root(), "//Channel[@id=", text), E_FAIL);
    EXPECT_EQ(text, "kept");
    EXPECT_EQ(WriteXPathValue(root(), "//Channel[", Variant("x")), E_FAIL);
}

TEST_F(XPathAccessTest, WritesExistingAttributesOnly) {
    EXPECT_EQ(WriteXPathValue(root(), "//Channel/@gpiEnabled", Variant(false)), S_OK);
    EXPECT_EQ(root().selectSingleNode("//Channel/@gpiEnabled").value(), "false");
    EXPECT_EQ(WriteXPathValue(root(), "//Channel/@absent", Variant("x")), S_FALSE);
    EXPECT_FALSE(root().selectSingleNode("//Channel").hasAttribute("absent"));
}

TEST(XmlErrorText, NamesTheParsersLineAndCharacter) {
    XmlDocument document;
    ASSERT_EQ(document.loadXml("<Config>\n<System attr=\"1>\n</Config>"), S_FALSE);
    std::string text;
    GetXmlErrorText(document, text);
    EXPECT_EQ(text, "Error loading XML document\r\n\t\t\t Error: Code = 0xc00ce50c\r\n\t\t\t "
                    "Source = Line : 2; Char : 15\r\n\t\t\t Description = Error parsing element "
                    "attribute\r\n\t\t\t Text = <System attr=\"1>");
}

TEST(XmlErrorText, WithoutAParseErrorTheTextIsGeneric) {
    XmlDocument document;
    std::string text;
    GetXmlErrorText(document, text);
    EXPECT_EQ(text, "Error loading/validating XML document");
}
