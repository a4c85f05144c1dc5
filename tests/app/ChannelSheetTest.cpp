#include "SheetFixture.h"

#include "channel/AudioTagsDlg.h"
#include "channel/ChannelDlg.h"
#include "channel/ChannelPage.h"
#include "channel/ConfigVbiItem.h"
#include "channel/VbiLinesDlg.h"
#include "items/ConfigSliderItem.h"
#include "platform/StringIds.h"

#include <QPushButton>

#include <algorithm>

namespace {

constexpr const char* kOutput3 = "//VideoOutput[@id='VideoOut3']";

// The n-th item with the label id in a channel dialog's list.
CConfigItem* nthItem(CChannelDlg& dialog, int labelId, int nth) {
    CConfigListCtrl* list = dialog.List();
    for (std::size_t i = 0; i < list->ItemCount(); ++i) {
        if (list->ItemAt(i)->GetLabelId() == labelId && nth-- == 0)
            return list->ItemAt(i);
    }
    return nullptr;
}

// The sheet, shown on its Channel page.
CChannelPage* showChannelPage(CTrellisDlg& sheet) {
    sheet.SetActivePage(sheet.ChannelPage());
    sheet.show();
    return sheet.ChannelPage();
}

} // namespace

TEST_F(SheetTest, AChannelsOutputFormatAndOffsetAreCommittedAndNothingElse) {
    // The third channel plays high-definition MPEG, so its high-definition offsets show.
    storeConfiguration([](XmlDocument& document) {
        document.documentNode()
            .selectSingleNode("//VideoCodec[@id='VideoCodec3']/Mpeg/@profileLevel")
            .setValue("422P@HL");
    });
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CChannelPage* page = showChannelPage(sheet);
        ASSERT_EQ(page->ChannelCount(), 4);
        page->SelectTab(2);
        CChannelDlg* dialog = page->Dialog(2);
        ASSERT_TRUE(dialog->isVisible());
        EXPECT_EQ(dialog->ChannelId(), "C3");

        CConfigItem* format = nthItem(*dialog, IDS_VIDEO_OUTPUT_FORMAT, 0);
        ASSERT_NE(format, nullptr);
        script.answer(3); // NTSC (SD), 720p, 1080i (1920x1080)
        ASSERT_TRUE(format->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents(dialog);

        // The 1080 line offset is the third of its label: two standard-definition ones first.
        auto* offset = static_cast<CConfigSliderItem*>(nthItem(*dialog, IDS_LINE_OFFSET_COARSE, 2));
        ASSERT_NE(offset, nullptr);
        ASSERT_TRUE(offset->IsVisible());
        script.answerDialog([](QDialog& slider) {
            static_cast<CConfigSliderDlg&>(slider).MoveTo(40);
            return IDOK;
        });
        ASSERT_TRUE(offset->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents(dialog);
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(script.unexpectedCount(), 0);

    expectStoredAs(before, committed(), [](const XmlNode& root) {
        root.selectSingleNode(std::string(kOutput3) + "/@videoOutputFormat")
            .setValue("Format1080_29_97Hz_2To1");
        root.selectSingleNode(std::string(kOutput3) + "/VideoOutputTiming/@videoLineOffset")
            .setValue("40");
    });
    // The history keeps the commit, with the review's report of it.
    HistoryEntry newest;
    ASSERT_EQ(server->history().newest(newest), S_OK);
    EXPECT_EQ(newest.origin, "commit");
    EXPECT_EQ(newest.user, "admin");
    EXPECT_EQ(newest.restarted, std::vector<int>{2});
    EXPECT_EQ(newest.report.substr(0, newest.report.find('\n')), "2 changes: Channel C3");
}

TEST_F(SheetTest, ARecordersFamilyRateAndVbiLinesAreCommittedAndNothingElse) {
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CChannelPage* page = showChannelPage(sheet);
        page->SelectTab(1);
        CChannelDlg* dialog = page->Dialog(1);
        ASSERT_EQ(dialog->ChannelType(), "Recorder");

        // The standard-definition 4:2:2 rate, up from 25 Mb/s.
        auto* rate =
            static_cast<CConfigSliderItem*>(nthItem(*dialog, IDS_RECORDING_DATA_RATE_422, 0));
        ASSERT_NE(rate, nullptr);
        ASSERT_TRUE(rate->IsVisible());
        script.answerDialog([](QDialog& slider) {
            static_cast<CConfigSliderDlg&>(slider).MoveTo(36); // 4 + 36 Mb/s
            return IDOK;
        });
        ASSERT_TRUE(rate->TrackPopup(QPoint()));

        auto* lines =
            static_cast<CConfigVbiItem*>(nthItem(*dialog, IDS_UNCOMPRESSED_VBI_LINES_LUMA_ONLY, 0));
        ASSERT_NE(lines, nullptr);
        ASSERT_TRUE(lines->IsVisible());
        script.answerDialog([](QDialog& shown) {
            static_cast<CVbiLinesDlg&>(shown).Touch(14);
            return IDOK;
        });
        ASSERT_TRUE(lines->TrackPopup(QPoint()));

        CConfigItem* family = nthItem(*dialog, IDS_COMPRESSION_FORMAT, 0);
        script.answer(2); // DV25, DV50, MPEG, MPEG:D10, DVCAM
        ASSERT_TRUE(family->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents(dialog);
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(script.unexpectedCount(), 0);

    expectStoredAs(before, committed(), [](const XmlNode& root) {
        const XmlNode codec = root.selectSingleNode("//VideoCodec[@id='VideoCodec2']");
        codec.selectSingleNode("@compressionFormat").setValue("Dv50");
        codec.selectSingleNode("Mpeg/@dataRate").setValue("40");
        const XmlNode vbi = codec.selectSingleNode("UncompressedVbi");
        vbi.removeChild(vbi.selectSingleNode("VbiLine"));
        for (const char* number : {"14", "21"}) {
            const XmlNode line = vbi.appendElement("VbiLine");
            line.setAttribute("lineType", "Luma");
            line.setAttribute("lineNum", number);
        }
    });
}

TEST_F(SheetTest, AnEmbeddedCountGroupAndTwoTagsAreCommittedAndNothingElse) {
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CChannelPage* page = showChannelPage(sheet);
        CChannelDlg* dialog = page->Dialog(0);

        CConfigItem* count = nthItem(*dialog, IDS_NUMBER_OF_AUDIO_INPUTS_EMBEDDED, 0);
        ASSERT_NE(count, nullptr);
        script.answer(4); // 2, 4, 6, 8, 12, 16
        ASSERT_TRUE(count->TrackPopup(QPoint()));
        CConfigItem* group = nthItem(*dialog, IDS_EMBEDDED_INPUT_GROUPS, 0);
        script.answer(2); // Group 1 && 2, Group 3 && 4
        ASSERT_TRUE(group->TrackPopup(QPoint()));

        CConfigItem* tags = nthItem(*dialog, IDS_TAG_INPUT, 0);
        ASSERT_NE(tags, nullptr);
        script.answerDialog([&](QDialog& shown) {
            auto& editor = static_cast<CAudioTagsDlg&>(shown);
            const std::vector<std::string> offers = editor.Tracks().Offers();
            for (const auto& [track, tag] : {std::pair{4, "FRE"}, std::pair{5, "GER"}}) {
                const auto at = std::find(offers.begin(), offers.end(), tag);
                script.answer(static_cast<int>(at - offers.begin()) + 1);
                editor.Tracks().Cell(track, false)->click();
            }
            editor.accept();
            return editor.result();
        });
        ASSERT_TRUE(tags->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents(dialog);
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(script.unexpectedCount(), 0);

    expectStoredAs(before, committed(), [](const XmlNode& root) {
        for (int track = 1; track <= 16; ++track) {
            const std::string id = "AudioIn1." + std::to_string(track);
            const char* group = track <= 4 ? "Group3" : track <= 8 ? "Group4" : "GroupNone";
            root.selectSingleNode("//AudioInput[@id='" + id + "']/AudioInputEmbedded/@group")
                .setValue(group);
            if (track > 8)
                root.selectSingleNode("//Channel[@id='C1']/Audio[@index='" +
                                      std::to_string(track - 1) + "']/@assigned")
                    .setValue("false");
        }
        root.selectSingleNode("//AudioInputComponent[@id='AudioIn1.5']/@tag").setValue("FRE");
        root.selectSingleNode("//AudioInputComponent[@id='AudioIn1.6']/@tag").setValue("GER");
    });
}

namespace {

// The first channel's input format with what the input format rule rewrites: the family,
// the MPEG rate, the data track's fields per file and whether it records.
void setFirstChannel(const XmlNode& root, const char* format, const char* family, const char* rate,
                     const char* fieldsPerRiff, const char* dataTrack) {
    root.selectSingleNode("//VideoInput[@id='VideoIn1']/@videoInputFormat").setValue(format);
    const XmlNode codec = root.selectSingleNode("//VideoCodec[@id='VideoCodec1']");
    codec.selectSingleNode("@compressionFormat").setValue(family);
    codec.selectSingleNode("Mpeg/@dataRate").setValue(rate);
    root.selectSingleNode("//AncDataCodec[@id='AncCodec1']/@fieldsPerRiff").setValue(fieldsPerRiff);
    root.selectSingleNode("//Channel[@id='C1']/AncData/@assigned").setValue(dataTrack);
}

} // namespace

TEST_F(SheetTest, ARecordersInputFormatGoingTo525IsCommittedWithWhatDependsOnIt) {
    // The first channel records 1080 with XDCAM-HD at 4:2:0 60 Mb/s, with its data track.
    storeConfiguration([](XmlDocument& document) {
        const XmlNode root = document.documentNode();
        setFirstChannel(root, "Format1080_29_97Hz_2To1", "Xdcam", "60", "10", "true");
        root.selectSingleNode("//VideoCodec[@id='VideoCodec1']/Mpeg/@chromaFormat")
            .setValue("4_2_0");
    });
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CChannelPage* page = showChannelPage(sheet);
        CChannelDlg* dialog = page->Dialog(0);
        CConfigItem* format = nthItem(*dialog, IDS_VIDEO_INPUT_FORMAT, 0);
        ASSERT_NE(format, nullptr);
        ASSERT_TRUE(format->IsVisible());
        script.answer(1); // NTSC (SD), 720p, 1080i
        ASSERT_TRUE(format->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents(dialog);
        // The standard-definition rows show at once: MPEG at its 4:2:0 rate.
        std::string family;
        nthItem(*dialog, IDS_COMPRESSION_FORMAT, 0)->GetValueText(family);
        EXPECT_EQ(family, "MPEG");
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(script.unexpectedCount(), 0);

    expectStoredAs(before, committed(), [](const XmlNode& root) {
        setFirstChannel(root, "Format525_29_97Hz_2To1", "Mpeg", "15", "14", "false");
        root.selectSingleNode("//TcCodec[@id='TcCodec1']/@currentTcInput").setValue("Internal");
    });
}
