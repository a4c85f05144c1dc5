#include "pages/GangPage.h"
#include "pages/GangDlg.h"

#include "support/DocumentTest.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QRadioButton>

#include <fmt/printf.h>
#include <gtest/gtest.h>

namespace {

constexpr const char* kGangs =
    R"(<Gang index="0" singleController="true" playSameClip="true" recordSameClip="true" consolidateAudio="true" consolidateVideo="false"/>
  <Gang index="1" singleController="false" playSameClip="false" recordSameClip="false" consolidateAudio="false" consolidateVideo="true"/>)";

// A recorder with the settings a gang leader passes on; loop and continuous record are both
// "on".
std::string recorder(const char* index, const char* id, int gang, int order,
                     const char* on = "false", const char* length = "01:00:00:00",
                     const char* ee = "false") {
    return fmt::sprintf(
        R"(<Channel channelIndex="%s" id="%s" channelType="Recorder" loop="%s" continuousRecord="%s" continuousRecordLength="%s"><Monitor ee="%s"/><Ganging gangIndex="%d" gangOrder="%d"/></Channel>)",
        index, id, on, on, length, ee, gang, order);
}

std::string config(const std::string& channels) {
    return "<Config>" + channels + kGangs + "</Config>";
}

class GangPageTest : public DocumentTest {
protected:
    void TearDown() override {
        page.reset();
        DocumentTest::TearDown();
    }
    void load(const std::string& text, bool authorized = true) {
        useDocument(text, authorized);
        page = std::make_unique<CGangPage>();
        page->resize(620, 354); // the page area of the sheet
        page->Create(nullptr);
        page->show();
    }
    std::string read(const std::string& xpath) const { return DocumentTest::read(xpath, "(none)"); }
    std::string ganging(const char* id) const {
        const std::string channel = std::string("//Channel[@id='") + id + "']/Ganging/@";
        return read(channel + "gangIndex") + "/" + read(channel + "gangOrder");
    }
    // What a leader passes on: loop, continuous record, its length and monitor EE.
    std::string passedOn(const char* id) const {
        const std::string channel = std::string("//Channel[@id='") + id + "']/";
        return read(channel + "@loop") + "/" + read(channel + "@continuousRecord") + "/" +
               read(channel + "@continuousRecordLength") + "/" + read(channel + "Monitor/@ee");
    }
    CGangDlg& dlg() const { return *page->Dialog(); }
    QRadioButton* radio(int column, int choice) const { return dlg().ChoiceButton(column, choice); }
    QCheckBox* box(int gang, CGangDlg::Option option) const {
        return dlg().OptionBox(gang, option);
    }
    // A touch, then the messages it posted.
    static void touch(QAbstractButton* button) {
        button->click();
        QCoreApplication::sendPostedEvents();
    }

    std::unique_ptr<CGangPage> page;
};

} // namespace

TEST_F(GangPageTest, ShowsEachChannelsGangAndTheGangOptions) {
    load(config(recorder("0", "C1", 1, 0) + recorder("1", "C2", -1, -1) +
                recorder("2", "C3", 0, 0)));
    EXPECT_EQ(dlg().ColumnLabel(0)->text(), "C1");
    EXPECT_EQ(dlg().ColumnLabel(2)->text(), "C3");
    EXPECT_FALSE(dlg().ColumnLabel(3)->isVisible());
    EXPECT_FALSE(radio(3, 0)->isVisible());
    EXPECT_TRUE(radio(0, 2)->isChecked());
    EXPECT_TRUE(radio(1, 0)->isChecked());
    EXPECT_TRUE(radio(2, 1)->isChecked());
    EXPECT_EQ(radio(0, 1)->text(), "Gang 1");
    EXPECT_EQ(box(0, CGangDlg::SingleController)->text(), "Gang 1");
    EXPECT_TRUE(box(0, CGangDlg::SingleController)->isChecked());
    EXPECT_TRUE(box(0, CGangDlg::ConsolidateAudio)->isEnabled());
    EXPECT_FALSE(box(1, CGangDlg::ConsolidateVideo)->isEnabled());
    EXPECT_TRUE(box(1, CGangDlg::ConsolidateVideo)->isChecked());
    // Every control is a finger high.
    EXPECT_GE(radio(0, 0)->height(), 48);
    EXPECT_GE(box(1, CGangDlg::ConsolidateVideo)->height(), 48);
    EXPECT_LE(box(1, CGangDlg::ConsolidateVideo)->geometry().bottom(), dlg().height());
    EXPECT_EQ(dlg().Note(), "");
}

TEST_F(GangPageTest, JoiningAGangNumbersItsMembersByDocumentOrder) {
    load(config(recorder("0", "C1", 0, 0) + recorder("1", "C2", -1, -1) +
                recorder("2", "C3", 0, 1) + recorder("3", "C4", -1, -1)));
    touch(radio(1, 1));
    EXPECT_EQ(ganging("C1"), "0/0");
    EXPECT_EQ(ganging("C2"), "0/1");
    EXPECT_EQ(ganging("C3"), "0/2");
    EXPECT_EQ(ganging("C4"), "-1/-1");
    EXPECT_TRUE(radio(1, 1)->isChecked());
    EXPECT_TRUE(script.questions().empty());
}

TEST_F(GangPageTest, UngangingTheLeaderHandsTheLeadToTheNextMember) {
    load(config(recorder("0", "C1", 0, 0, "false", "00:10:00:00", "false") +
                recorder("1", "C2", 0, 1, "true", "00:30:00:00", "true") +
                recorder("2", "C3", 0, 2, "false", "01:00:00:00", "false")));
    touch(radio(0, 0));
    EXPECT_EQ(ganging("C1"), "-1/-1");
    EXPECT_EQ(ganging("C2"), "0/0");
    EXPECT_EQ(ganging("C3"), "0/1");
    EXPECT_EQ(passedOn("C3"), "true/true/00:30:00:00/true");
    // The channel that left keeps its own settings.
    EXPECT_EQ(passedOn("C1"), "false/false/00:10:00:00/false");
}

TEST_F(GangPageTest, APlayerMemberKeepsItsOwnContinuousRecord) {
    load(config(
        recorder("0", "C1", 0, 0, "true", "00:05:00:00", "true") +
        R"(<Channel channelIndex="1" id="C2" channelType="Player" loop="false" continuousRecord="false" continuousRecordLength="02:00:00:00"><Monitor ee="false"/><Ganging gangIndex="-1" gangOrder="-1"/></Channel>)"));
    touch(radio(1, 1));
    EXPECT_EQ(ganging("C2"), "0/1");
    EXPECT_EQ(passedOn("C2"), "true/false/02:00:00:00/true");
}

TEST_F(GangPageTest, APlayerLeaderGivesARecorderNoContinuousRecord) {
    load(config(
        R"(<Channel channelIndex="0" id="C1" channelType="Player" loop="true"><Monitor ee="true"/><Ganging gangIndex="1" gangOrder="0"/></Channel>)" +
        recorder("1", "C2", -1, -1, "true", "01:00:00:00", "false")));
    touch(radio(1, 2));
    EXPECT_EQ(ganging("C2"), "1/1");
    EXPECT_EQ(passedOn("C2"), "true/false//true");
}

TEST_F(GangPageTest, ClearingSingleControllerGreysTheConsolidateBoxesAndKeepsTheirValues) {
    load(config(recorder("0", "C1", -1, -1)));
    touch(box(0, CGangDlg::SingleController));
    for (const char* attribute : {"singleController", "playSameClip", "recordSameClip"})
        EXPECT_EQ(read(std::string("//Gang[@index='0']/@") + attribute), "false") << attribute;
    EXPECT_EQ(read("//Gang[@index='0']/@consolidateAudio"), "true");
    EXPECT_EQ(read("//Gang[@index='0']/@consolidateVideo"), "false");
    EXPECT_FALSE(box(0, CGangDlg::ConsolidateAudio)->isEnabled());
    EXPECT_FALSE(box(0, CGangDlg::ConsolidateVideo)->isEnabled());
    EXPECT_TRUE(box(0, CGangDlg::ConsolidateAudio)->isChecked());
    EXPECT_EQ(read("//Gang[@index='1']/@playSameClip"), "false");

    touch(box(1, CGangDlg::SingleController));
    EXPECT_EQ(read("//Gang[@index='1']/@recordSameClip"), "true");
    EXPECT_TRUE(box(1, CGangDlg::ConsolidateAudio)->isEnabled());
    touch(box(1, CGangDlg::ConsolidateAudio));
    EXPECT_EQ(read("//Gang[@index='1']/@consolidateAudio"), "true");
    touch(box(1, CGangDlg::ConsolidateVideo));
    EXPECT_EQ(read("//Gang[@index='1']/@consolidateVideo"), "false");
}

TEST_F(GangPageTest, AChannelWithoutGangingShowsNotGangedAndCannotJoin) {
    load(config(recorder("0", "C1", 0, 0) +
                R"(<Channel channelIndex="1" id="C2" channelType="Recorder" loop="true"/>)"));
    EXPECT_TRUE(radio(1, 0)->isChecked());
    const std::string before = document->xml();
    touch(radio(1, 1));
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text,
              "This setting is missing from the configuration, so it cannot be changed.");
    EXPECT_EQ(script.last().caption, "Ganging");
    EXPECT_TRUE(document->xml() == before);
    EXPECT_TRUE(radio(1, 0)->isChecked());
}

TEST_F(GangPageTest, AMissingGangOrAttributeChangesNothing) {
    load(
        "<Config>" + recorder("0", "C1", -1, -1) +
        R"(<Gang index="0" singleController="true" playSameClip="true" consolidateAudio="false"/></Config>)");
    const std::string before = document->xml();
    touch(box(0, CGangDlg::SingleController)); // no recordSameClip
    touch(box(1, CGangDlg::SingleController)); // no Gang 2 at all
    ASSERT_EQ(script.questions().size(), 2u);
    EXPECT_EQ(script.last().text,
              "This setting is missing from the configuration, so it cannot be changed.");
    EXPECT_TRUE(document->xml() == before);
    EXPECT_TRUE(box(0, CGangDlg::SingleController)->isChecked());
    EXPECT_FALSE(box(1, CGangDlg::SingleController)->isChecked());
}

TEST_F(GangPageTest, AMemberWithoutAPlaceForTheLeadersSettingsIsNamed) {
    load(config(
        recorder("0", "C1", 0, 0, "true") +
        R"(<Channel channelIndex="1" id="C2" channelType="Player" loop="false"><Ganging gangIndex="-1" gangOrder="-1"/></Channel>)"));
    touch(radio(1, 1));
    EXPECT_EQ(ganging("C2"), "0/1");
    EXPECT_EQ(read("//Channel[@id='C2']/@loop"), "true");
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "These gang settings are missing from the configuration, so "
                                  "they were not changed: C2 ee");
}

TEST_F(GangPageTest, EachColumnChangesTheChannelItIsLabelledWith) {
    load(config(recorder("2", "C3", -1, -1) + recorder("0", "C1", -1, -1) +
                recorder("1", "C2", 0, 0)));
    EXPECT_EQ(dlg().ColumnLabel(0)->text(), "C3");
    EXPECT_EQ(dlg().ColumnLabel(1)->text(), "C1");
    touch(radio(0, 2));
    EXPECT_EQ(ganging("C3"), "1/0");
    EXPECT_EQ(ganging("C1"), "-1/-1");
    touch(radio(1, 1));
    EXPECT_EQ(ganging("C1"), "0/0"); // before C2 in document order
    EXPECT_EQ(ganging("C2"), "0/1");
    EXPECT_EQ(ganging("C3"), "1/0");
}

TEST_F(GangPageTest, AChannelWithoutAUsableIndexIsNeverChanged) {
    load(config(recorder("0", "C1", -1, -1) +
                R"(<Channel id="C2"><Ganging gangIndex="0" gangOrder="0"/></Channel>)" +
                recorder("x", "C3", 0, 0) + recorder("0", "C4", 0, 0)));
    EXPECT_TRUE(radio(0, 1)->isEnabled());
    for (int column : {1, 2, 3})
        EXPECT_FALSE(radio(column, 1)->isEnabled()) << column;
    EXPECT_EQ(dlg().Note(), "Cannot be ganged, the channelIndex is not usable: C2, C3, C4");
    touch(radio(0, 1));
    EXPECT_EQ(ganging("C1"), "0/0");
    for (const char* id : {"C2", "C3", "C4"})
        EXPECT_EQ(ganging(id), "0/0") << id;
    // A change posted for a column that may not change is ignored.
    page->OnItemChange(IDC_GANG_COLUMN[1], 0);
    EXPECT_EQ(ganging("C2"), "0/0");
}

TEST_F(GangPageTest, ChannelsAfterTheFourthAreNotShownNorChanged) {
    load(config(recorder("0", "C1", -1, -1) + recorder("1", "C2", -1, -1) +
                recorder("2", "C3", -1, -1) + recorder("3", "C4", -1, -1) +
                recorder("4", "C5", 0, 0, "true") + recorder("5", "C6", 0, 1)));
    EXPECT_EQ(dlg().Note(), "Channels after the fourth are not shown: C5, C6");
    touch(radio(3, 1));
    EXPECT_EQ(ganging("C4"), "0/0");
    EXPECT_EQ(ganging("C5"), "0/0");
    EXPECT_EQ(ganging("C6"), "0/1");
    EXPECT_EQ(read("//Channel[@id='C6']/@loop"), "false");
}

TEST_F(GangPageTest, AnUnknownGangIndexChecksNoChoice) {
    load(config(recorder("0", "C1", 5, 0)));
    for (int choice = 0; choice < 3; ++choice)
        EXPECT_FALSE(radio(0, choice)->isChecked()) << choice;
    touch(radio(0, 2));
    EXPECT_EQ(ganging("C1"), "1/0");
}

TEST_F(GangPageTest, AReadOnlyUserIsToldOnceAndNothingChanges) {
    load(config(recorder("0", "C1", -1, -1)), false);
    const std::string before = document->xml();
    touch(radio(0, 1));
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().text, "You are not authorized to change configuration settings.");
    EXPECT_EQ(script.last().caption, "Security");
    EXPECT_TRUE(radio(0, 0)->isChecked());
    touch(box(0, CGangDlg::SingleController));
    EXPECT_EQ(script.questions().size(), 2u);
    EXPECT_TRUE(box(0, CGangDlg::SingleController)->isChecked());
    EXPECT_TRUE(box(0, CGangDlg::ConsolidateAudio)->isEnabled());
    EXPECT_TRUE(document->xml() == before);
}

TEST_F(GangPageTest, ARelayoutShowsAReplacedDocument) {
    load(config(recorder("0", "C1", -1, -1)));
    XmlDocument loaded;
    ASSERT_EQ(loaded.loadXml("<Config>" + recorder("0", "A", -1, -1) + recorder("1", "B", 1, 0) +
                             R"(<Gang index="1" singleController="true"/></Config>)"),
              S_OK);
    document->replaceContent(std::move(loaded));
    SendMessage(page.get(), WM_CONFIG_RELAYOUT);
    EXPECT_EQ(dlg().ColumnLabel(0)->text(), "A");
    EXPECT_EQ(dlg().ColumnLabel(1)->text(), "B");
    EXPECT_TRUE(radio(1, 2)->isChecked());
    EXPECT_FALSE(box(0, CGangDlg::SingleController)->isChecked());
    EXPECT_TRUE(box(1, CGangDlg::SingleController)->isChecked());
}

TEST_F(GangPageTest, TheNotesFitOnThePage) {
    load(config(recorder("0", "C1", -1, -1) + recorder("0", "Second", -1, -1) +
                recorder("2", "C3", -1, -1) + recorder("03", "Fourth", -1, -1) +
                recorder("4", "C5", -1, -1) + recorder("5", "C6", -1, -1) +
                recorder("6", "C7", -1, -1)));
    auto* note = dlg().findChild<QLabel*>("GangNote");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->text(), "Cannot be ganged, the channelIndex is not usable: Second, Fourth\n"
                            "Channels after the fourth are not shown: C5, C6, C7");
    EXPECT_LE(note->geometry().bottom(), dlg().height());
    EXPECT_GE(note->height(), note->heightForWidth(note->width()));
}
