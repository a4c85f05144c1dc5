#include "ChannelFixture.h"

#include "channel/ConfigVbiItem.h"
#include "channel/VbiLinesDlg.h"
#include "platform/StringIds.h"

#include <QCoreApplication>

namespace {

// A codec whose uncompressed VBI lines are shown for 4:2:0 MPEG on 525 input.
ChannelShape vbiShape(const std::string& vbi,
                      const std::string& reference = "Format525_29_97Hz_2To1") {
    ChannelShape shape;
    shape.type = "Recorder";
    shape.reference = reference;
    shape.inputFormat = reference;
    shape.mpegAttributes = R"( chromaFormat="4_2_0" dataRate="15" recordVbi="false")";
    shape.codecChildren = vbi;
    return shape;
}

class VbiLinesTest : public ChannelTest {
protected:
    CConfigVbiItem* vbiItem() {
        for (std::size_t i = 0; i < dialog->List()->ItemCount(); ++i) {
            auto* vbi = dynamic_cast<CConfigVbiItem*>(dialog->List()->ItemAt(i));
            if (vbi && vbi->IsVisible())
                return vbi;
        }
        return nullptr;
    }
    // Opens the item's dialog, lets the test work it, and answers with the result given.
    bool edit(const std::function<void(CVbiLinesDlg&)>& work, int result = IDOK) {
        script.answerDialog([&](QDialog& shown) {
            work(static_cast<CVbiLinesDlg&>(shown));
            return result;
        });
        return vbiItem()->TrackPopup(QPoint(1, 1));
    }
    std::vector<std::string> lines() const {
        std::vector<std::string> result;
        for (const XmlNode& line :
             document->documentNode().selectNodes("//VideoCodec[@id='VC1']/UncompressedVbi/*"))
            result.push_back(line.name() + " " + line.attribute("lineType") + " " +
                             line.attribute("lineNum"));
        return result;
    }
};

} // namespace

TEST_F(VbiLinesTest, TheLineRangeFollowsTheReferenceStandard) {
    struct Case {
        const char* reference;
        int first;
        int buttons;
    };
    for (const Case& c :
         {Case{"Format525_29_97Hz_2To1", 10, 13}, Case{"Format625_25Hz_2To1", 6, 17}}) {
        SCOPED_TRACE(c.reference);
        for (const char* capable : {"false", "true"}) {
            load(channelDocument(
                vbiShape(std::string(R"(<UncompressedVbi enable="true" chromaCapable=")") +
                             capable + R"("/>)",
                         c.reference)));
            build();
            CConfigVbiItem* item = vbiItem();
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(valueText(item),
                      std::string(*capable == 't' ? "Luma:  None, Chroma:  None" : "None"));
            EXPECT_EQ(item->FirstLine(), c.first);
            edit(
                [&](CVbiLinesDlg& lines) {
                    // One group, or a luma and a chroma group of the same size.
                    EXPECT_EQ(lines.ButtonCount(), c.buttons * (*capable == 't' ? 2 : 1));
                    EXPECT_NE(lines.Button(c.first), nullptr);
                    EXPECT_NE(lines.Button(22), nullptr);
                    EXPECT_EQ(lines.Button(c.first - 1), nullptr);
                },
                IDCANCEL);
        }
    }
}

TEST_F(VbiLinesTest, TheLimitUnchecksTheLineFarthestFromTheTouch) {
    load(channelDocument(
        vbiShape(R"(<UncompressedVbi enable="true" maxLines="2">)"
                 R"(<VbiLine lineType="Luma" lineNum="10"/><VbiLine lineType="Luma" lineNum="20"/>)"
                 R"(</UncompressedVbi>)")));
    build();
    EXPECT_EQ(valueText(vbiItem()), "10 20 ");
    edit(
        [](CVbiLinesDlg& lines) {
            lines.Touch(12);
            EXPECT_EQ(lines.LumaLines(), (std::vector<int>{10, 12}));
            lines.Touch(19);
            EXPECT_EQ(lines.LumaLines(), (std::vector<int>{12, 19}));
            // Unchecking is never limited.
            lines.Touch(12);
            EXPECT_EQ(lines.LumaLines(), (std::vector<int>{19}));
        },
        IDCANCEL);
    // Cancelled: the document keeps its lines.
    EXPECT_EQ(lines(), (std::vector<std::string>{"VbiLine Luma 10", "VbiLine Luma 20"}));
}

TEST_F(VbiLinesTest, WithoutAMaximumAnyNumberOfLinesMayBeChosen) {
    load(channelDocument(vbiShape(R"(<UncompressedVbi enable="true"/>)")));
    build();
    ASSERT_TRUE(edit([](CVbiLinesDlg& lines) {
        for (int line = 10; line <= 22; ++line)
            lines.Touch(line);
    }));
    EXPECT_EQ(lines().size(), 13u);
}

TEST_F(VbiLinesTest, ALineMovesBetweenLumaAndChromaWithoutTouchingTheLimit) {
    load(channelDocument(
        vbiShape(R"(<UncompressedVbi enable="true" chromaCapable="true" maxLines="1">)"
                 R"(<VbiLine lineType="Luma" lineNum="14"/></UncompressedVbi>)")));
    build();
    EXPECT_EQ(valueText(vbiItem()), "Luma:  14 , Chroma:  None");
    ASSERT_TRUE(edit([](CVbiLinesDlg& lines) {
        lines.Touch(lines.ControlId(14, true));
        EXPECT_FALSE(lines.IsChecked(14));
        EXPECT_TRUE(lines.IsChecked(lines.ControlId(14, true)));
    }));
    EXPECT_EQ(lines(), (std::vector<std::string>{"VbiLine Chroma 14"}));
    EXPECT_EQ(valueText(vbiItem()), "Luma:  None, Chroma:  14 ");
}

TEST_F(VbiLinesTest, LinesWithoutTypeOrNumberReadAsLumaLineTen) {
    load(channelDocument(
        vbiShape(R"(<UncompressedVbi enable="true" chromaCapable="true">)"
                 R"(<VbiLine lineNum="16"/><VbiLine lineType="Chroma"/></UncompressedVbi>)")));
    build();
    EXPECT_EQ(valueText(vbiItem()), "Luma:  16 , Chroma:  10 ");
}

TEST_F(VbiLinesTest, ConfirmingWithoutAChangeWritesAndPostsNothing) {
    load(channelDocument(vbiShape(
        R"(<UncompressedVbi enable="true"><VbiLine lineNum="21" lineType="Luma" extra="kept"/></UncompressedVbi>)")));
    build();
    const std::string before = document->xml();
    EXPECT_FALSE(edit([](CVbiLinesDlg&) {}));
    // Touched twice: back as it was.
    EXPECT_FALSE(edit([](CVbiLinesDlg& lines) {
        lines.Touch(15);
        lines.Touch(15);
        EXPECT_TRUE(lines.Changed());
    }));
    EXPECT_EQ(document->xml(), before);
}

TEST_F(VbiLinesTest, AConfirmedChangeRewritesTheLinesInOrderAndTellsThePage) {
    load(channelDocument(vbiShape(
        R"(<UncompressedVbi enable="true" maxLines="4"><VbiLine lineType="Luma" lineNum="21"/></UncompressedVbi>)")));
    build();
    ASSERT_TRUE(edit([](CVbiLinesDlg& lines) { lines.Touch(14); }));
    EXPECT_EQ(lines(), (std::vector<std::string>{"VbiLine Luma 14", "VbiLine Luma 21"}));
    EXPECT_EQ(valueText(vbiItem()), "14 21 ");
}

TEST_F(VbiLinesTest, ABusyChannelOrAMissingElementChangesNothing) {
    load(channelDocument(vbiShape(
        R"(<UncompressedVbi enable="true"><VbiLine lineType="Luma" lineNum="21"/></UncompressedVbi>)")));
    build();
    setPortState(0, 4);
    EXPECT_FALSE(edit([](CVbiLinesDlg& lines) { lines.Touch(14); }));
    EXPECT_EQ(script.last().text,
              "This value cannot be changed while recording.\nChannel C1 is recording.");
    EXPECT_EQ(lines(), (std::vector<std::string>{"VbiLine Luma 21"}));

    // The element went away after the page was built.
    setPortState(0, 0);
    XmlNode codec = document->documentNode().selectSingleNode("//VideoCodec[@id='VC1']");
    CConfigVbiItem* item = vbiItem();
    codec.removeChild(codec.selectSingleNode("UncompressedVbi"));
    script.answer(IDOK);
    EXPECT_FALSE(item->TrackPopup(QPoint(1, 1)));
    EXPECT_EQ(script.last().text,
              "This setting is missing from the configuration, so it cannot be changed.");
    EXPECT_EQ(script.last().caption, "Uncompressed VBI lines (luma only):");
}

TEST_F(VbiLinesTest, TeletextLinesAreNumbersAlone) {
    load(channelDocument());
    XmlNode codec = document->documentNode().selectSingleNode("//VideoCodec[@id='VC1']");
    XmlNode data = codec.appendElement("TeleText");
    data.appendElement("TeleTextLine").setAttribute("lineNum", "7");
    data.appendElement("TeleTextLine");
    CConfigVbiItem item(IDS_TELETEXT_LINES, "//VideoCodec[@id='VC1']/TeleText", "",
                        CConfigVbiItem::TeleText, 0, nullptr);
    item.SetGetCallback(&CConfigVbiItem::GetCustomVbiLines, 0);
    EXPECT_EQ(valueText(&item), "7 10 ");
    ASSERT_EQ(item.ApplyChange(document.get()), S_OK);
    const XmlNodeList lines = data.selectNodes("*");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].xml().find("lineType"), std::string::npos);
    EXPECT_EQ(lines[1].attribute("lineNum"), "10");
}
