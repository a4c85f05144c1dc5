#include "ChannelFixture.h"

#include "channel/AudioTagsDlg.h"
#include "channel/ConfigAudioTagItem.h"
#include "platform/StringIds.h"

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>

namespace {

// Channel C1 with four tracks tagged as given (input tag; output primary and secondary),
// and channel C2 whose tags are in use elsewhere in the document.
std::string tagDocument(const std::vector<std::string>& inputTags,
                        const std::vector<std::pair<std::string, std::string>>& outputTags) {
    std::string text =
        R"(<Config><System><SystemVideoReference referenceStandard="Format525_29_97Hz_2To1"/>)"
        R"(</System><Channel channelIndex="0" id="C1" channelType="PlayerRecorder">)";
    for (std::size_t i = 0; i < inputTags.size(); ++i) {
        text += R"(<Audio index=")" + std::to_string(i) + R"(" assigned="true">)";
        text += R"(<AudioInputComponent id="AI)" + std::to_string(i) + R"(" tag=")" + inputTags[i] +
                R"("/>)";
        text += R"(<AudioOutputComponent id="AO)" + std::to_string(i) + R"(" primaryTag=")" +
                outputTags[i].first + R"(" secondaryTag=")" + outputTags[i].second +
                R"(" playSilence="true"/></Audio>)";
    }
    return text + R"(</Channel><Channel channelIndex="1" id="C2" channelType="Recorder">)"
                  R"(<Audio index="0"><AudioInputComponent id="X1" tag="eng"/></Audio>)"
                  R"(<Audio index="1"><AudioInputComponent id="X2" tag="Klingon"/></Audio>)"
                  R"(</Channel><Panel><CorvanePro/></Panel></Config>)";
}

const std::vector<std::string> kInputTags = {"ENG", "ENG", "ENG", ""};
const std::vector<std::pair<std::string, std::string>> kOutputTags = {
    {"ENG", "SPA"}, {"ENG", "SPA"}, {"", ""}, {"", "FRE"}};

} // namespace

class AudioTagsTest : public ChannelTest {
protected:
    void SetUp() override {
        ChannelTest::SetUp();
        state.SetProPanel(true);
    }
    void TearDown() override {
        state.SetProPanel(false);
        ChannelTest::TearDown();
    }
    std::vector<std::string> tagRows(int labelId) const {
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < dialog->List()->ItemCount(); ++i) {
            CConfigItem* each = dialog->List()->ItemAt(i);
            if (each->GetLabelId() == labelId)
                texts.push_back(valueText(each));
        }
        return texts;
    }
    // Queues the pick of the entry with the text from the menu a cell opens.
    void queuePick(CAudioTagsDlg& tags, const std::string& entry) {
        const std::vector<std::string> offers = tags.Tracks().Offers();
        const auto at = std::find(offers.begin(), offers.end(), entry);
        ASSERT_NE(at, offers.end()) << entry;
        script.answer(static_cast<int>(at - offers.begin()) + 1);
    }
    // Touches the cell and picks the entry from the menu it opens.
    void pickTag(CAudioTagsDlg& tags, int track, bool second, const std::string& entry) {
        queuePick(tags, entry);
        tags.Tracks().Cell(track, second)->click();
    }
    std::string attribute(const std::string& xpath) const { return read(xpath); }
};

TEST_F(AudioTagsTest, RowsGroupConsecutiveTracksWithTheSameTag) {
    load(tagDocument(kInputTags, kOutputTags));
    build();
    EXPECT_EQ(tagRows(IDS_TAG_INPUT), (std::vector<std::string>{"'ENG' : A1 - A3"}));
    EXPECT_EQ(tagRows(IDS_TAG_OUTPUT),
              (std::vector<std::string>{"'ENG' 'SPA' : A1 - A2", "'FRE' : A4"}));
    EXPECT_TRUE(tagRows(IDS_ADD_TAG_INPUT).empty());

    load(tagDocument({"", "", "", ""}, {{"", ""}, {"", ""}, {"", ""}, {"", ""}}));
    build();
    EXPECT_EQ(tagRows(IDS_ADD_TAG_INPUT).size(), 1u);
    EXPECT_EQ(tagRows(IDS_ADD_TAG_OUTPUT).size(), 1u);

    // Without the professional host element there are no tag groups.
    state.SetProPanel(false);
    build();
    EXPECT_EQ(item("Audio Input Tags:"), nullptr);
    EXPECT_TRUE(tagRows(IDS_ADD_TAG_INPUT).empty());
}

TEST_F(AudioTagsTest, TheEditorOffersNoTagThenTagsInUseThenLanguages) {
    load(tagDocument(kInputTags, kOutputTags));
    CAudioTagsDlg tags(0, true);
    std::vector<std::string> offers = tags.Tracks().Offers();
    ASSERT_GE(offers.size(), 9u);
    // Tags in use, each once whatever its case, in the spelling met first; ENG is also a
    // language code and is offered in both groups.
    EXPECT_EQ(std::vector<std::string>(offers.begin(), offers.begin() + 7),
              (std::vector<std::string>{"<No audio tag>", "", "ENG", "Klingon", "SPA", "FRE", ""}));
    EXPECT_EQ(offers[7], "ARA");
    EXPECT_EQ(std::count(offers.begin(), offers.end(), "ENG"), 2);
    EXPECT_EQ(offers.back(), "<Type a tag...>");
    EXPECT_EQ(tags.Tracks().RowCount(), 4);
    EXPECT_EQ(tags.Tracks().Cell(3, false)->text().toStdString(), "<No audio tag>");
    EXPECT_EQ(tags.windowTitle().toStdString(), "Audio Input Tags");
}

TEST_F(AudioTagsTest, TheEditorListsExactlyTheTracksTheChannelHas) {
    // Six track slots: the second unassigned (not used by the channel), the third without an
    // output, the fifth without any component, tags missing; the other channel's track is
    // not this channel's.
    load(R"(<Config><Channel channelIndex="0" id="C1" channelType="PlayerRecorder">)"
         R"(<Audio index="0"><AudioInputComponent id="AI0" tag="ENG"/>)"
         R"(<AudioOutputComponent id="AO0" primaryTag="SPA"/></Audio>)"
         R"(<Audio index="1" assigned="false"><AudioInputComponent id="AIU" tag="GER"/>)"
         R"(<AudioOutputComponent id="AOU" primaryTag="GER"/></Audio>)"
         R"(<Audio index="2" assigned="true"><AudioInputComponent id="AI1"/></Audio>)"
         R"(<Audio index="3"><AudioInputComponent id="AI2" tag=""/>)"
         R"(<AudioOutputComponent id="AO2"/></Audio><Audio index="4"/>)"
         R"(<Audio index="5"><AudioInputComponent id="AI4" tag="FRE"/></Audio></Channel>)"
         R"(<Channel channelIndex="1" id="C2"><Audio index="0"><AudioInputComponent id="X"/>)"
         R"(</Audio></Channel></Config>)");
    // Each row's label and the text of one of its cells, as the dialog shows them.
    const auto rows = [](CAudioTagsDlg& tags, bool second) {
        std::vector<std::string> texts;
        for (QPushButton* cell : tags.findChildren<QPushButton*>()) {
            for (int track = 0; track < 8; ++track) {
                if (tags.Tracks().Cell(track, second) == cell)
                    texts.push_back("A" + std::to_string(track + 1) + " " +
                                    cell->text().toStdString());
            }
        }
        return texts;
    };
    CAudioTagsDlg inputs(0, true);
    EXPECT_EQ(rows(inputs, false), (std::vector<std::string>{"A1 ENG", "A3 <No audio tag>",
                                                             "A4 <No audio tag>", "A5 FRE"}));
    CAudioTagsDlg outputs(0, false);
    EXPECT_EQ(rows(outputs, false), (std::vector<std::string>{"A1 SPA", "A3 <No audio tag>"}));
    EXPECT_EQ(rows(outputs, true),
              (std::vector<std::string>{"A1 <No audio tag>", "A3 <No audio tag>"}));
    // The second output row is the channel's third output element; the unassigned track
    // keeps its tags.
    pickTag(outputs, 2, false, "FRE");
    outputs.accept();
    EXPECT_EQ(outputs.result(), QDialog::Accepted);
    EXPECT_EQ(attribute("//AudioOutputComponent[@id='AO2']/@primaryTag"), "FRE");
    EXPECT_EQ(attribute("//AudioOutputComponent[@id='AO2']/@playSilence"), "false");
    EXPECT_EQ(attribute("//AudioOutputComponent[@id='AO0']/@primaryTag"), "SPA");
    EXPECT_EQ(attribute("//AudioOutputComponent[@id='AOU']/@primaryTag"), "GER");
}

TEST_F(AudioTagsTest, ConfirmingWithoutAChangeWritesNothing) {
    load(tagDocument(kInputTags, kOutputTags));
    build();
    const std::string before = document->xml();
    CConfigItem* row = dialog->List()->FindItem(IDS_TAG_OUTPUT);
    script.answerDialog([&](QDialog& shown) {
        auto& tags = static_cast<CAudioTagsDlg&>(shown);
        pickTag(tags, 0, false, "ENG"); // the tag it already has
        tags.accept();
        return tags.result();
    });
    EXPECT_FALSE(row->TrackPopup(QPoint(1, 1)));
    EXPECT_EQ(document->xml(), before);
}

TEST_F(AudioTagsTest, AnOutputTrackWithoutTagsPlaysNoSilence) {
    load(tagDocument(kInputTags, kOutputTags));
    build();
    script.answerDialog([&](QDialog& shown) {
        auto& tags = static_cast<CAudioTagsDlg&>(shown);
        pickTag(tags, 3, true, "<No audio tag>");
        EXPECT_TRUE(tags.Tracks().PlaySilenceBox(3)->isChecked());
        tags.accept();
        return tags.result();
    });
    ASSERT_TRUE(dialog->List()->FindItem(IDS_TAG_OUTPUT)->TrackPopup(QPoint(1, 1)));
    deliver();
    EXPECT_EQ(attribute("//AudioOutputComponent[@id='AO3']/@secondaryTag"), "");
    EXPECT_EQ(attribute("//AudioOutputComponent[@id='AO3']/@playSilence"), "false");
    EXPECT_EQ(attribute("//AudioOutputComponent[@id='AO0']/@playSilence"), "true");
    // The rows show the tags as they now stand.
    EXPECT_EQ(tagRows(IDS_TAG_OUTPUT), (std::vector<std::string>{"'ENG' 'SPA' : A1 - A2"}));
}

TEST_F(AudioTagsTest, ATypedTagIsAtMostSixteenCharacters) {
    load(tagDocument(kInputTags, kOutputTags));
    build();
    script.answerDialog([&](QDialog& shown) {
        auto& tags = static_cast<CAudioTagsDlg&>(shown);
        queuePick(tags, "<Type a tag...>");
        script.answerText(IDOK, "Seventeen chars!!");
        script.answer(IDOK);
        tags.Tracks().Cell(3, false)->click();
        EXPECT_EQ(script.last().text, "A tag is at most 16 characters long.");
        EXPECT_FALSE(tags.Tracks().IsModified());
        queuePick(tags, "<Type a tag...>");
        script.answerText(IDOK, "Sixteen chars!!!");
        tags.Tracks().Cell(3, false)->click();
        tags.accept();
        return tags.result();
    });
    ASSERT_TRUE(dialog->List()->FindItem(IDS_TAG_INPUT)->TrackPopup(QPoint(1, 1)));
    deliver();
    EXPECT_EQ(attribute("//AudioInputComponent[@id='AI3']/@tag"), "Sixteen chars!!!");
    EXPECT_EQ(tagRows(IDS_TAG_INPUT),
              (std::vector<std::string>{"'ENG' : A1 - A3", "'Sixteen chars!!!' : A4"}));
}

TEST_F(AudioTagsTest, AReadOnlyUserCannotOpenTheEditor) {
    load(tagDocument(kInputTags, kOutputTags));
    state.SetLogonFlags(true, false);
    build();
    script.answer(IDOK);
    EXPECT_FALSE(dialog->List()->FindItem(IDS_TAG_INPUT)->TrackPopup(QPoint(1, 1)));
    EXPECT_EQ(script.last().text, "You are not authorized to change configuration settings.");
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::MessageBox);
}
