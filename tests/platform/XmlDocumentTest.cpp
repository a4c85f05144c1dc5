#include "platform/XmlDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

constexpr const char* kChannels = R"(<Config>
  <Channel channelIndex="0" id="C1"><Video><VideoInputComponent id="VI1"/></Video></Channel>
  <Channel channelIndex="1" id="C2"><Video><VideoInputComponent id="VI2"/></Video></Channel>
  <VideoInput id="VI1" selectedInput="VideoInputSdi"/>
  <VideoInput id="VI2" selectedInput="VideoInputAnalogComposite"/>
</Config>)";

XmlDocument& loaded(XmlDocument& document, const char* text) {
    EXPECT_EQ(document.loadXml(text), S_OK);
    return document;
}

} // namespace

TEST(XmlDocument, SelectsThroughNestedPredicates) {
    XmlDocument document;
    const XmlNode root = loaded(document, kChannels).documentNode();
    XmlNode found;
    EXPECT_EQ(root.selectSingleNode("//VideoInput[@id=//Channel[@channelIndex=\"1\"]/Video/"
                                    "VideoInputComponent/@id]/@selectedInput",
                                    found),
              S_OK);
    ASSERT_TRUE(found.isAttribute());
    EXPECT_EQ(found.value(), "VideoInputAnalogComposite");
    EXPECT_EQ(root.selectNodes("//Channel").size(), 2u);
    EXPECT_TRUE(root.selectSingleNode("./Config/Channel").isElement());
    EXPECT_TRUE(root.selectSingleNode("Config/Channel/@id").isAttribute());
}

// An object that reads the document as its thread ends, after the thread's compiled queries
// are gone: it is made before the first query, so it is destroyed after them.
struct ReaderAtThreadEnd {
    const XmlDocument* document = nullptr;
    std::size_t* found = nullptr;
    ~ReaderAtThreadEnd() {
        if (document)
            *found = document->documentElement().selectNodes("Channel[@id='C2']/Video/*").size();
    }
};

TEST(XmlDocument, QueriesStillWorkAsTheThreadEnds) {
    XmlDocument document;
    loaded(document, kChannels);
    std::size_t atEnd = 0;
    std::thread([&] {
        thread_local ReaderAtThreadEnd reader;
        reader.document = &document;
        reader.found = &atEnd;
        EXPECT_EQ(document.documentElement().selectNodes("Channel[@id='C2']/Video/*").size(), 1u);
    }).join();
    EXPECT_EQ(atEnd, 1u);
}

TEST(XmlDocument, NoMatchAndBadQueries) {
    XmlDocument document;
    const XmlNode root = loaded(document, kChannels).documentNode();
    XmlNode found = root.selectSingleNode("//Channel");
    EXPECT_EQ(root.selectSingleNode("//Gang", found), S_FALSE);
    EXPECT_TRUE(found.isNull());
    EXPECT_EQ(root.selectSingleNode("//Channel[", found), E_FAIL);
    XmlNodeList list{found};
    EXPECT_EQ(root.selectNodes("count(//Channel)", list), E_FAIL);
    EXPECT_TRUE(list.empty());
    // An empty node answers every question harmlessly.
    EXPECT_EQ(XmlNode().selectSingleNode("//Channel", found), S_FALSE);
    EXPECT_EQ(XmlNode().attribute("id", "none"), "none");
}

TEST(XmlDocument, QuotesInIdsSelectExactlyTheirElement) {
    XmlDocument document;
    const XmlNode root =
        loaded(
            document,
            R"(<Config><Host id="a&quot;b"/><Host id="a'b"/><Host id="a&quot;'b"/><Host id="a"/></Config>)")
            .documentNode();
    for (const std::string id : {"a\"b", "a'b", "a\"'b", "a"}) {
        const XmlNodeList hosts = root.selectNodes("//Host[@id=" + XPathLiteral(id) + "]");
        ASSERT_EQ(hosts.size(), 1u) << id;
        EXPECT_EQ(hosts.front().attribute("id"), id);
    }
    // A value crafted to end the literal early matches nothing instead of everything.
    EXPECT_TRUE(root.selectNodes("//Host[@id=" + XPathLiteral("x\" or \"1\"=\"1") + "]").empty());
    EXPECT_TRUE(root.selectNodes("//Host[@id=" + XPathLiteral("x' or '1'='1\"") + "]").empty());
}

TEST(XmlDocument, EditsElementsAndAttributes) {
    XmlDocument document;
    const XmlNode config = loaded(document, kChannels).documentElement();
    const XmlNode gang = config.appendElement("Gang");
    gang.setAttribute("id", "G1");
    EXPECT_EQ(config.selectSingleNode("Gang/@id").value(), "G1");
    EXPECT_EQ(config.selectSingleNode("Gang/@id").setValue("G2"), S_OK);
    EXPECT_EQ(gang.attribute("id"), "G2");
    EXPECT_EQ(gang.setValue("x"), E_POINTER);

    EXPECT_FALSE(gang.removeChild(config)); // not its child
    EXPECT_TRUE(config.removeChild(gang));
    EXPECT_TRUE(config.selectSingleNode("Gang").isNull());
    EXPECT_TRUE(config.firstChild("Channel").removeAttribute("id"));
    EXPECT_FALSE(config.firstChild("Channel").hasAttribute("id"));
}

// Results are remembered between changes: after each kind of change, the same query from the
// same node answers from the document as it is now.
TEST(XmlDocument, ARememberedQueryResultNeverOutlivesAChange) {
    constexpr const char* kSelected = "//VideoInput[@id=//Channel[@channelIndex=\"1\"]/Video/"
                                      "VideoInputComponent/@id]/@selectedInput";
    XmlDocument document;
    XmlNode root = loaded(document, kChannels).documentNode();
    const auto selected = [&] {
        return root.selectSingleNode(kSelected).value();
    };
    const auto channels = [&] {
        return root.selectNodes("//Channel").size();
    };
    ASSERT_EQ(selected(), "VideoInputAnalogComposite");
    ASSERT_EQ(channels(), 2u);

    // A value a predicate compares.
    root.selectSingleNode("//Channel[@id='C2']/Video/VideoInputComponent/@id").setValue("VI1");
    EXPECT_EQ(selected(), "VideoInputSdi");
    root.selectSingleNode("//Channel[@id='C2']/Video/VideoInputComponent")
        .setAttribute("id", "VI2");
    EXPECT_EQ(selected(), "VideoInputAnalogComposite");
    root.selectSingleNode("//VideoInput[@id='VI2']").removeAttribute("selectedInput");
    EXPECT_EQ(selected(), "");

    // Elements added and removed.
    const XmlNode config = document.documentElement();
    config.appendElement("Channel").setAttribute("channelIndex", "2");
    EXPECT_EQ(channels(), 3u);
    EXPECT_TRUE(config.removeChild(config.firstChild("Channel")));
    EXPECT_EQ(channels(), 2u);

    // The whole content replaced: loaded, copied, taken from another document.
    ASSERT_EQ(document.loadXml("<Config><Channel/></Config>"), S_OK);
    EXPECT_EQ(channels(), 1u);
    XmlDocument other;
    loaded(other, kChannels);
    document.copyFrom(other);
    EXPECT_EQ(channels(), 2u);
    EXPECT_EQ(selected(), "VideoInputAnalogComposite");
    ASSERT_EQ(other.loadXml("<Config/>"), S_OK);
    document.replaceContent(std::move(other));
    EXPECT_EQ(channels(), 0u);
    EXPECT_EQ(document.loadBytes("not xml"), S_FALSE);
    EXPECT_EQ(channels(), 0u);
    EXPECT_EQ(selected(), "");

    // A document made where a destroyed one was, whose nodes may sit at the same addresses.
    for (const char* text : {kChannels, "<Config><Channel/><Channel/><Channel/></Config>"}) {
        auto made = std::make_unique<XmlDocument>();
        EXPECT_EQ(made->loadXml(text), S_OK);
        root = made->documentNode();
        EXPECT_EQ(channels(), text == kChannels ? 2u : 3u);
    }
}

TEST(XmlDocument, ParseErrorsCarryLineAndColumn) {
    XmlDocument document;
    EXPECT_EQ(document.loadXml("<Config>\n  <System>\n  <Channel id=\"C1\">\n</Config>"), S_FALSE);
    ASSERT_TRUE(document.parseError());
    EXPECT_EQ(document.parseError()->line, 4);
    EXPECT_EQ(document.parseError()->linePos, 3);
    EXPECT_EQ(document.parseError()->srcText, "</Config>");
    EXPECT_FALSE(document.parseError()->reason.empty());
    EXPECT_TRUE(FAILED(document.parseError()->errorCode));
    EXPECT_TRUE(document.documentElement().isNull());

    EXPECT_EQ(document.loadXml(""), S_FALSE);
    EXPECT_EQ(document.parseError()->line, 1);
    EXPECT_EQ(document.loadXml("<Config/>"), S_OK);
    EXPECT_FALSE(document.parseError());
}

// A reader would see one of the two values and a writer change only that one, so the text is
// refused as the malformed XML it is.
TEST(XmlDocument, AnAttributeGivenTwiceIsNotWellFormed) {
    XmlDocument document;
    EXPECT_EQ(
        document.loadBytes("<Config>\n  <System a=\"1\"><Deep><Deeper b=\"2\"/></Deep></System>\n"
                           "  <Channel id=\"C1\" type=\"A\" id=\"C2\"/>\n</Config>"),
        S_FALSE);
    ASSERT_TRUE(document.parseError());
    EXPECT_EQ(document.parseError()->reason, "Attribute 'id' is given twice on element 'Channel'");
    EXPECT_EQ(document.parseError()->line, 3);
    EXPECT_EQ(document.parseError()->srcText, "  <Channel id=\"C1\" type=\"A\" id=\"C2\"/>");
    EXPECT_TRUE(FAILED(document.parseError()->errorCode));
    EXPECT_TRUE(document.documentElement().isNull());

    // The same name on different elements, and on elements after a deep one, is fine.
    EXPECT_EQ(document.loadXml(
                  "<Config id=\"x\"><A><B><C id=\"1\"/></B></A><D id=\"2\" e=\"3\"/></Config>"),
              S_OK);
    EXPECT_FALSE(document.parseError());
}

TEST(XmlDocument, TextRoundTripsUnchanged) {
    XmlDocument first;
    loaded(first, kChannels);
    XmlDocument second;
    ASSERT_EQ(second.loadXml(first.xml()), S_OK);
    EXPECT_EQ(second.xml(), first.xml());
}

TEST(XmlDocument, SaveReplacesTheFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("config.xml");
    XmlDocument document;
    loaded(document, kChannels);
    ASSERT_EQ(document.save(path), S_OK);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), document.xml());
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    EXPECT_EQ(document.save(dir.filePath("missing/config.xml")), HRESULT_PATH_NOT_FOUND);
}
