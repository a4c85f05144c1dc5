#include "ItemFixture.h"
#include "items/ConfigChoiceItem.h"
#include "platform/StringIds.h"

namespace {

class ChoiceTest : public ItemTest {
protected:
    // The reference standard item of the System page.
    std::unique_ptr<CConfigChoiceItem>
    referenceStandard(std::uint32_t interlocks = INTERLOCK_REFERENCE_STANDARD) {
        auto item = std::make_unique<CConfigChoiceItem>(IDS_REFERENCE_STANDARD,
                                                        "./Config/System/SystemVideoReference",
                                                        "referenceStandard", 0x21, &page);
        item->AddChoice(IDS_NTSC_59_94_HZ, Variant("Format525_29_97Hz_2To1"));
        item->AddChoice(IDS_PAL_50_HZ, Variant("Format625_25Hz_2To1"));
        item->SetInterlock(interlocks, -1);
        return item;
    }
    // A channel-1 item that only the given interlocks guard.
    std::unique_ptr<CConfigChoiceItem> channelItem(std::uint32_t interlocks, int channel = 0) {
        auto item = std::make_unique<CConfigChoiceItem>(IDS_AUDIO_REFERENCE_LEVEL,
                                                        "./Config/System/SystemAudioReference",
                                                        "audioUnityLevel", 0x20, &page);
        item->AddChoice(IDS_0_DBU, Variant(std::int32_t{0}));
        item->AddChoice(IDS_PLUS_4_DBU, Variant(std::int32_t{4}));
        item->SetInterlock(interlocks, channel);
        return item;
    }
    std::string standard() const { return read("//SystemVideoReference/@referenceStandard"); }
};

} // namespace

TEST_F(ChoiceTest, TheMenuShowsEveryChoiceWithTheCurrentOneChecked) {
    auto item = referenceStandard();
    std::string text;
    item->GetValueText(text);
    EXPECT_EQ(text, "NTSC (59.94 Hz)");
    script.answer(0);
    EXPECT_FALSE(item->TrackPopup(QPoint(5, 5)));
    const auto& menu = script.last().entries;
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_EQ(menu[0].id, 1);
    EXPECT_EQ(menu[0].text, "NTSC (59.94 Hz)");
    EXPECT_TRUE(menu[0].checked);
    EXPECT_FALSE(menu[1].checked);
}

TEST_F(ChoiceTest, PickingTheCheckedChoiceOrDismissingDoesNothing) {
    auto item = referenceStandard();
    const std::string before = document->xml();
    script.answer(1); // already set
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    script.answer(0); // dismissed
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    EXPECT_EQ(script.questions().size(), 2u); // no interlock question either
    EXPECT_TRUE(document->xml() == before);
    EXPECT_TRUE(page.delivered().empty());
}

TEST_F(ChoiceTest, AFloatChoiceMatchesTheStoredText) {
    CConfigChoiceItem item("VAR setting:", "./Config/Panel", "varSetting", 0, &page);
    item.AddChoice("Quarter", Variant(0.25f));
    item.AddChoice("Half", Variant(0.5f));
    std::string text;
    item.GetValueText(text);
    EXPECT_EQ(text, "Half");
    script.answer(1);
    EXPECT_TRUE(item.TrackPopup(QPoint()));
    EXPECT_EQ(read("//Panel/@varSetting"), "0.25");
}

TEST_F(ChoiceTest, AValueThatMatchesNoChoiceShowsItsTextAndCanBeMended) {
    auto item = channelItem(0);
    document->documentNode()
        .selectSingleNode("//SystemAudioReference/@audioUnityLevel")
        .setValue("7");
    std::string text;
    item->GetValueText(text);
    EXPECT_EQ(text, "7");
    script.answer(2);
    EXPECT_TRUE(item->TrackPopup(QPoint()));
    const auto& menu = script.last().entries;
    ASSERT_EQ(menu.size(), 2u);
    EXPECT_FALSE(menu[0].checked);
    EXPECT_FALSE(menu[1].checked);
    EXPECT_EQ(read("//SystemAudioReference/@audioUnityLevel"), "4");
}

TEST_F(ChoiceTest, ReferenceStandardNoWritesNothing) {
    auto item = referenceStandard();
    script.answer(2);
    script.answer(IDNO);
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    EXPECT_EQ(
        script.last().text,
        "Changing the reference standard requires the system to be restarted. Reboot the system?");
    EXPECT_EQ(script.last().caption, "Reference Standard");
    EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION);
    EXPECT_EQ(standard(), "Format525_29_97Hz_2To1");
    EXPECT_TRUE(page.delivered().empty());
    EXPECT_TRUE(mainWindow.delivered().empty());
}

TEST_F(ChoiceTest, ReferenceStandardYesWritesThenPostsChangesAndRestart) {
    auto item = referenceStandard();
    script.answer(2);
    script.answer(IDYES);
    EXPECT_TRUE(item->TrackPopup(QPoint()));
    EXPECT_EQ(standard(), "Format625_25Hz_2To1");
    EXPECT_EQ(page.kinds(), (std::vector<unsigned>{WM_CONFIG_ITEM_CHANGED, WM_CONFIG_RELAYOUT}));
    EXPECT_EQ(page.messages[0].wParam, static_cast<WPARAM>(IDS_REFERENCE_STANDARD));
    EXPECT_EQ(FromLParam<CConfigItem>(page.messages[0].lParam), item.get());
    EXPECT_EQ(mainWindow.kinds(), std::vector<unsigned>{WM_CONFIG_RESTART});
    EXPECT_TRUE(item->NeedsRedraw());
    Variant previous;
    item->GetPreviousValue(previous);
    EXPECT_EQ(previous.toText(), "Format525_29_97Hz_2To1");
}

TEST_F(ChoiceTest, TheRestartQuestionNamesTheChannelsInUseAndDefaultsToNo) {
    const XmlNode config = document->documentElement();
    for (const char* index : {"1", "2", "3"}) {
        const XmlNode channel = config.appendElement("Channel");
        channel.setAttribute("channelIndex", index);
        channel.setAttribute("id", index == std::string("2") ? "Studio B" : "");
    }
    config.selectSingleNode("Channel[@channelIndex='3']").removeAttribute("id");
    setPortState(1, 4); // recording, paused
    setPortState(2, 2); // playing
    setPortState(3, 3); // recording, on a channel without an id
    auto item = referenceStandard();
    script.answer(2);
    script.answer(IDNO);
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    EXPECT_EQ(script.last().text,
              "2 is recording\nStudio B is playing\n4 is recording\n\nChanging the reference "
              "standard requires the system to be restarted. Reboot the system?");
    EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(standard(), "Format525_29_97Hz_2To1");
    EXPECT_TRUE(mainWindow.delivered().empty());
}

TEST_F(ChoiceTest, NoAlsoSkipsTheRecordNotice) {
    setPortState(1, 3);
    auto item = referenceStandard(INTERLOCK_REFERENCE_STANDARD | INTERLOCK_RECORD_ANY);
    script.answer(2);
    script.answer(IDNO);
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    EXPECT_EQ(script.questions().size(), 2u);
}

TEST_F(ChoiceTest, ARecordingOnChannelTwoAgainstAChannelOneItem) {
    setPortState(1, 3);
    auto own = channelItem(INTERLOCK_RECORD_CHANNEL, 0);
    script.answer(1);
    EXPECT_TRUE(own->TrackPopup(QPoint()));

    auto any = channelItem(INTERLOCK_RECORD_ANY, 0);
    script.answer(2);
    EXPECT_FALSE(any->TrackPopup(QPoint()));
    EXPECT_EQ(script.last().text, "This value cannot be changed while recording on any channel.\n"
                                  "Channel 2 is recording.");
    EXPECT_EQ(script.last().caption, "Record In Progress");
    EXPECT_EQ(script.last().style, MB_TOUCH_WARNING);
    EXPECT_EQ(read("//SystemAudioReference/@audioUnityLevel"), "0");
}

TEST_F(ChoiceTest, ARecordChannelCheckWithoutAChannelCoversEveryChannel) {
    setPortState(3, 4);
    auto item = channelItem(INTERLOCK_RECORD_CHANNEL, -1);
    script.answer(1);
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    EXPECT_EQ(script.last().text,
              "This value cannot be changed while recording.\nChannel 4 is recording.");
}

TEST_F(ChoiceTest, EveryRecordingChannelIsNamedByIdOrNumber) {
    setPortState(0, 3);
    setPortState(1, 4);
    setPortState(3, 3);
    auto item = channelItem(INTERLOCK_RECORD_ANY, 2);
    script.answer(1);
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    EXPECT_EQ(script.last().text, "This value cannot be changed while recording on any channel.\n"
                                  "Channels C1, 2 and 4 are recording.");
}

TEST_F(ChoiceTest, ChecksRunInOrderAndShowOneBox) {
    setPortState(0, 1);                                 // playing on channel 1
    channels[0]->values["assetname"] = Variant("clip"); // and a clip loaded
    auto item =
        channelItem(INTERLOCK_LOADED_CHANNEL | INTERLOCK_PLAY_CHANNEL | INTERLOCK_PLAY_ANY, 0);
    script.answer(1);
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    ASSERT_EQ(script.questions().size(), 2u);
    EXPECT_EQ(script.last().text, "This value cannot be changed while playing on any channel.\n"
                                  "Channel C1 is playing.");
    EXPECT_EQ(script.last().caption, "Play In Progress");

    setPortState(0, 0);
    script.answer(1);
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    EXPECT_EQ(script.last().text, "This value cannot be changed while a clip is loaded.\n"
                                  "Channel C1 holds the clip \"clip\".");
    EXPECT_EQ(script.last().caption, "Channel In Use");
}

TEST_F(ChoiceTest, AServerThatCannotAnswerNeverBlocksAChange) {
    for (auto& channel : channels)
        channel->failure = E_FAIL;
    auto item = channelItem(INTERLOCK_RECORD_ANY | INTERLOCK_LOADED_CHANNEL, 0);
    script.answer(1);
    EXPECT_TRUE(item->TrackPopup(QPoint()));
    EXPECT_EQ(read("//SystemAudioReference/@audioUnityLevel"), "0");
}

TEST_F(ChoiceTest, AFailedForwardIsShownOnceAndTheRulesStillRun) {
    server->changeResult = E_ACCESSDENIED;
    CConfigChoiceItem item("Time of day source:", "./Config/System/TimeOfDay", "timeOfDaySource",
                           ITEM_LIVE, &page);
    item.AddChoice("System Clock", Variant("Windows"));
    item.AddChoice("LTC Input", Variant("Ltc"));
    script.answer(2);
    EXPECT_TRUE(item.TrackPopup(QPoint()));
    EXPECT_EQ(script.last().text, "Access is denied.");
    EXPECT_EQ(script.last().caption, "Time of day source:");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    // The document took the value, so its rules must run.
    EXPECT_EQ(read("//TimeOfDay/@timeOfDaySource"), "Ltc");
    EXPECT_EQ(page.kinds(), std::vector<unsigned>{WM_CONFIG_ITEM_CHANGED});
    // The state reported the failure; the item did not report it again.
    ASSERT_EQ(log->records.size(), 1u);
    EXPECT_EQ(log->records[0].text, "CConfigState::PutAttributeValue");
}

TEST_F(ChoiceTest, AWriteThatChangedNothingPostsNothing) {
    auto item = channelItem(0);
    item->SetPutCallback([](const Variant&, XmlDocument*, CConfigItem&,
                            std::intptr_t) { return HRESULT_WRITE_FAULT; },
                         0);
    script.answer(1);
    EXPECT_FALSE(item->TrackPopup(QPoint()));
    EXPECT_EQ(script.last().caption, "Audio reference level:");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    EXPECT_EQ(read("//SystemAudioReference/@audioUnityLevel"), "4");
    EXPECT_TRUE(page.delivered().empty());
}
