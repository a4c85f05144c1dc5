#include "ChannelFixture.h"

#include "items/ConfigSliderItem.h"
#include "platform/StringIds.h"
#include "support/Touch.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>

namespace {

constexpr const char* kTiming = "//VideoOutput[@id='VO1']/VideoOutputTiming/@";
constexpr const char* kComponentType =
    "//VideoOutput[@id='VO1']/VideoOutputAnalogComponent/@hdComponentType";

} // namespace

using ChannelRulesTest = ChannelTest;

TEST_F(ChannelRulesTest, AnOutputFormatChangeResetsTheOffsetsAndFitsTheComponentType) {
    ChannelShape shape;
    shape.outputFormat = "Format1080_29_97Hz_2To1";
    load(channelDocument(shape));
    build();
    ASSERT_TRUE(pick(item("Video output format:"), "XGA (1024x768)"));
    EXPECT_EQ(read("//VideoOutput[@id='VO1']/@videoOutputFormat"), "FormatXga_59_94Hz_1To1");
    EXPECT_EQ(read(kComponentType), "VESA");
    for (const char* offset :
         {"videoFieldOffset", "videoLineOffset", "videoSampleOffset", "videoSubpixelOffset"})
        EXPECT_EQ(read(std::string(kTiming) + offset), "0") << offset;
    // The offsets went to the server at once; the component type waits for the commit.
    ASSERT_EQ(server->changes.size(), 4u);
    EXPECT_EQ(server->changes[0].attributeName, "videoFieldOffset");
    EXPECT_EQ(server->changes[0].value, "0");
    // The only visible component row is the XGA one, and it shows the new type.
    EXPECT_EQ(valueText(item("Output component type:", 2)), "RGBHV");

    // Back to 1080: a VESA type becomes SMPTE YUV.
    ASSERT_TRUE(pick(item("Video output format:"), "1080i (1920x1080)"));
    EXPECT_EQ(read(kComponentType), "SMPTE_YUV");
}

TEST_F(ChannelRulesTest, AnOutputFormatChangeLeavesAbsentOffsetsAbsent) {
    ChannelShape shape;
    shape.outputChildren = R"(<VideoOutputFormat><Format720_59_94Hz_1To1/></VideoOutputFormat>)"
                           R"(<VideoOutputTiming videoLineOffset="9"/>)";
    load(channelDocument(shape));
    build();
    ASSERT_TRUE(pick(item("Video output format:"), "720p"));
    EXPECT_EQ(read(std::string(kTiming) + "videoLineOffset"), "0");
    const XmlNode timing =
        document->documentNode().selectSingleNode("//VideoOutput[@id='VO1']/VideoOutputTiming");
    EXPECT_FALSE(timing.hasAttribute("videoFieldOffset"));
    EXPECT_FALSE(timing.hasAttribute("videoSubpixelOffset"));
}

TEST_F(ChannelRulesTest, ARuleThatFailsPutsTheDocumentBackAndSaysSoOnce) {
    ChannelShape shape;
    shape.outputFormat = "Format1080_29_97Hz_2To1";
    load(channelDocument(shape));
    build();
    const std::string before = document->xml();
    server->changeResult = E_FAIL;
    pick(item("Video output format:"), "XGA (1024x768)");
    EXPECT_EQ(document->xml(), before);
    int errors = 0;
    for (const auto& question : script.questions()) {
        if (question.kind == ScriptedPrompter::Kind::MessageBox) {
            ++errors;
            EXPECT_EQ(question.caption, "Video output format:");
        }
    }
    EXPECT_EQ(errors, 1);
}

TEST_F(ChannelRulesTest, TestModeReachesTheChannelsOwnAudioOutputsOnly) {
    load(channelDocument());
    build();
    ASSERT_TRUE(pick(item("Test mode (colorbars + tone):"), "On"));
    EXPECT_EQ(read("//VideoOutput[@id='VO1']/@testMode"), "true");
    EXPECT_EQ(read("//AudioOutput[@id='AO1.1']/@testMode"), "true");
    EXPECT_EQ(read("//AudioOutput[@id='AO1.2']/@testMode"), "true");
    EXPECT_EQ(read("//AudioOutput[@id='AO2.1']/@testMode"), "false");
    // Sent at once, as the item itself is.
    ASSERT_EQ(server->changes.size(), 3u);
    EXPECT_EQ(server->changes[1].elementXPath, "//AudioOutput[@id=\"AO1.1\"]");
}

TEST_F(ChannelRulesTest, ARuleThatFailsHalfWayTakesBackWhatItSentLive) {
    load(channelDocument());
    build();
    const std::string before = document->xml();
    // The first audio output already plays tone when the second refuses.
    const std::string second = "//AudioOutput[@id=\"AO1.2\"]";
    server->changeAnswer = [&](const AttributeChangeCall& call) {
        return call.elementXPath == second ? E_FAIL : S_OK;
    };
    pick(item("Test mode (colorbars + tone):"), "On");
    EXPECT_EQ(document->xml(), before);
    EXPECT_EQ(server->lastSent("//AudioOutput[@id=\"AO1.1\"]", "testMode"), "false");
    EXPECT_EQ(server->lastSent("//VideoOutput[@id=\"VO1\"]", "testMode"), "false");
    ASSERT_FALSE(script.questions().empty());
    EXPECT_EQ(script.questions().back().text, ComErrorText(E_FAIL));

    // A server that takes nothing back keeps tone on air: the user is told where.
    script.clear();
    server->changeAnswer = [&](const AttributeChangeCall& call) {
        return call.elementXPath == second || call.value == "false" ? E_FAIL : S_OK;
    };
    pick(item("Test mode (colorbars + tone):"), "On");
    EXPECT_EQ(document->xml(), before);
    ASSERT_FALSE(script.questions().empty());
    EXPECT_EQ(script.questions().back().text,
              ComErrorText(E_FAIL) +
                  "\n\nThe server did not take back these settings; they stay changed on the "
                  "server until they are set again or the configuration is committed:\n"
                  "AudioOutput \"AO1.1\": testMode = true\n"
                  "Test mode (colorbars + tone): On");
}

TEST_F(ChannelRulesTest, ASliderSteppedPastItsLimitStaysThere) {
    load(channelDocument());
    build();
    auto* slider = static_cast<CConfigSliderItem*>(item("Line offset (coarse):"));
    script.answerDialog([&](QDialog&) {
        CConfigSliderDlg& dialog = slider->Dialog();
        dialog.SetCurrent(Variant(std::int32_t{dialog.Maximum()}));
        dialog.StepUp();
        EXPECT_EQ(dialog.Current(), Variant(std::int32_t{dialog.Maximum()}));
        return IDCANCEL;
    });
    slider->TrackPopup(QPoint());
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(ChannelRulesTest, ARuleThatRemovesAnOpenSlidersItemWaitsUntilItsDialogCloses) {
    load(channelDocument());
    build();
    CConfigListCtrl* list = dialog->List();
    auto* slider = static_cast<CConfigSliderItem*>(item("Line offset (coarse):"));
    const std::size_t before = list->ItemCount();
    script.answerDialog([&](QDialog&) {
        slider->Dialog().StepUp();
        // As a rule rebuilding the rows would while the live slider runs.
        list->DeleteItem(slider, true);
        EXPECT_EQ(list->ItemCount(), before - 1);
        EXPECT_EQ(list->TrackingItem(), slider);
        return IDOK;
    });
    int row = 0;
    while (row < list->RowCount() && list->RowItem(row) != slider)
        ++row;
    ASSERT_LT(row, list->RowCount());
    // Drawing gives the row its value rectangle, where a touch opens the dialog.
    QImage image(list->size(), QImage::Format_ARGB32);
    list->render(&image);
    const QPoint value = slider->ValueRect().center();
    touch(list, value);
    EXPECT_EQ(list->TrackingItem(), nullptr);
    EXPECT_EQ(list->ItemCount(), before - 1);
    // The 625 slider of the same attribute stays; the changes the removed one posted are
    // dropped, not run against a deleted item.
    EXPECT_NE(list->FindItem(IDS_LINE_OFFSET_COARSE), nullptr);
    deliver();
    EXPECT_EQ(read(std::string(kTiming) + "videoLineOffset"), "3");
}
