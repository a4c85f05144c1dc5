#include "ItemFixture.h"
#include "items/ConfigMaskItem.h"
#include "items/ConfigSliderItem.h"
#include "items/ConfigStatusItem.h"
#include "items/ConfigTextItems.h"
#include "platform/StringIds.h"
#include "server/embedded/Timecode.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// A factory that hands out the stand-in server's timecode object.
class TimecodeFactory : public IServiceFactory {
public:
    TimecodeFactory() { installServiceFactory(this); }
    ~TimecodeFactory() override { installServiceFactory(nullptr); }
    std::shared_ptr<IConnection> CreateConnection() override { return nullptr; }
    std::shared_ptr<ITimecode> CreateTimecode() override {
        return std::make_shared<EmbeddedTimecode>();
    }
};

const char* const kRenameError =
    "Failed to edit trigger name. The name entered was too long or contained illegal characters.";
const char* const kTimecodeError =
    "Failed to edit timecode value. The time entered was too long or contained illegal characters.";

using VariantsTest = ItemTest;

} // namespace

TEST_F(VariantsTest, UnboundTextShowsOnlyItsLabelAndOpensNothing) {
    CConfigTextItem heading(IDS_AFD_SETTINGS, "", "", ITEM_UNBOUND | ITEM_SEPARATOR, &page);
    EXPECT_TRUE(heading.Flags() & ITEM_LOCAL);
    std::string text = "x";
    heading.GetValueText(text);
    EXPECT_EQ(text, "");
    EXPECT_FALSE(heading.TrackPopup(QPoint()));
    CConfigNameItem unboundName("Name", "", "", ITEM_UNBOUND, &page);
    EXPECT_FALSE(unboundName.TrackPopup(QPoint()));
    EXPECT_TRUE(script.questions().empty());
}

TEST_F(VariantsTest, NamesUpToFiftyCharactersWithoutForbiddenOnes) {
    EXPECT_TRUE(CConfigNameItem::IsValidName(std::string(50, 'n')));
    EXPECT_FALSE(CConfigNameItem::IsValidName(std::string(51, 'n')));
    for (char c : std::string("*[]\\|/<>:\"?%'&"))
        EXPECT_FALSE(CConfigNameItem::IsValidName(std::string("Tally") + c)) << c;
    EXPECT_TRUE(CConfigNameItem::IsValidName("Tally-1 (studio)"));
}

TEST_F(VariantsTest, ANameIsTypedOnTheKeyboard) {
    CConfigNameItem item(IDS_REFERENCE_STANDARD, "//GpiOutput[@id=\"GpiOut1\"]", "triggerName",
                         ITEM_RELAYOUT, &page);
    script.answerText(IDOK, "Studio tally");
    EXPECT_TRUE(item.TrackPopup(QPoint()));
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::Keyboard);
    EXPECT_EQ(script.last().text, "Tally1");
    EXPECT_EQ(read("//GpiOutput[@id=\"GpiOut1\"]/@triggerName"), "Studio tally");
    EXPECT_EQ(page.kinds(), (std::vector<unsigned>{WM_CONFIG_ITEM_CHANGED, WM_CONFIG_RELAYOUT}));

    script.answerText(IDOK, "100% tally");
    EXPECT_FALSE(item.TrackPopup(QPoint()));
    EXPECT_EQ(script.last().text, kRenameError);
    EXPECT_EQ(script.last().caption, "Rename Error");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    EXPECT_EQ(read("//GpiOutput[@id=\"GpiOut1\"]/@triggerName"), "Studio tally");

    script.answerText(IDCANCEL, "ignored");
    EXPECT_FALSE(item.TrackPopup(QPoint()));
}

TEST_F(VariantsTest, AClearedNameGetsTheDefaultFromTheControlIndex) {
    CConfigNameItem withIndex(IDS_REFERENCE_STANDARD, "//GpiOutput[@id=\"GpiOut1\"]", "triggerName",
                              0, &page);
    script.answerText(IDOK, "");
    EXPECT_TRUE(withIndex.TrackPopup(QPoint()));
    EXPECT_EQ(read("//GpiOutput[@id=\"GpiOut1\"]/@triggerName"), "GPI-Out-3");

    CConfigNameItem withoutIndex(IDS_REFERENCE_STANDARD, "//GpiOutput[@id=\"GpiOut2\"]",
                                 "triggerName", 0, &page);
    script.answerText(IDOK, "");
    EXPECT_TRUE(withoutIndex.TrackPopup(QPoint()));
    EXPECT_EQ(read("//GpiOutput[@id=\"GpiOut2\"]/@triggerName"), "GPI-Out-1");
}

TEST_F(VariantsTest, TimecodesAreCheckedThenNormalised) {
    TimecodeFactory factory;
    EXPECT_TRUE(CConfigTimecodeItem::IsValidTimecode("00:00:00.00"));
    EXPECT_FALSE(CConfigTimecodeItem::IsValidTimecode("00:00:00.000"));
    EXPECT_TRUE(CConfigTimecodeItem::IsValidTimecode("00:00:00;00"));
    EXPECT_FALSE(CConfigTimecodeItem::IsValidTimecode("00:00:00,00"));

    CConfigTimecodeItem item(IDS_REFERENCE_STANDARD, "//GpiOutput[@id=\"GpiOut3\"]",
                             "triggerOffset", 0, &page);
    script.answerText(IDOK, "1:2:3:45");
    EXPECT_TRUE(item.TrackPopup(QPoint()));
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::Keypad);
    EXPECT_EQ(read("//GpiOutput[@id=\"GpiOut3\"]/@triggerOffset"), "01:02:04.15");

    script.answerText(IDOK, "00:00:00:000");
    EXPECT_FALSE(item.TrackPopup(QPoint()));
    EXPECT_EQ(script.last().text, kTimecodeError);
    EXPECT_EQ(script.last().caption, "Timecode Error");
}

TEST_F(VariantsTest, WithoutATimecodeObjectNothingIsWritten) {
    CConfigTimecodeItem item(IDS_REFERENCE_STANDARD, "//GpiOutput[@id=\"GpiOut3\"]",
                             "triggerOffset", 0, &page);
    script.answerText(IDOK, "00:00:05:00");
    EXPECT_FALSE(item.TrackPopup(QPoint()));
    EXPECT_EQ(read("//GpiOutput[@id=\"GpiOut3\"]/@triggerOffset"), "00:00:10:00");
    EXPECT_TRUE(page.delivered().empty());
}

TEST_F(VariantsTest, MaskText) {
    CConfigMaskItem item(IDS_REFERENCE_STANDARD, 0, "//GpiInput", "GpiIn1", 0, &page);
    item.AddString("C1");
    item.AddString("C2");
    item.AddString("C3");
    std::string text;
    item.GetValueText(text);
    EXPECT_EQ(text, "None");
    item.SetLocalValue(Variant(std::int32_t{5}));
    item.GetValueText(text);
    EXPECT_EQ(text, "C1 C3 ");
}

TEST_F(VariantsTest, MaskDialogTicksBoxes) {
    CConfigMaskItem item(IDS_REFERENCE_STANDARD, 1, "//GpiInput", "GpiIn1", 0, &page);
    item.AddString("C1");
    item.AddString("C2");
    script.answerDialog([](QDialog& dialog) {
        auto& mask = static_cast<CConfigMaskDlg&>(dialog);
        EXPECT_EQ(mask.windowTitle(), "Reference standard:");
        EXPECT_TRUE(mask.CheckBoxes().at(0)->isChecked());
        mask.CheckBoxes().at(1)->click();
        return IDOK;
    });
    EXPECT_TRUE(item.TrackPopup(QPoint()));
    EXPECT_EQ(item.LocalValue(), Variant(std::int32_t{3}));
    EXPECT_EQ(page.kinds(), std::vector<unsigned>{WM_CONFIG_ITEM_CHANGED});

    script.answerDialog([](QDialog& dialog) {
        static_cast<CConfigMaskDlg&>(dialog).CheckBoxes().at(0)->click();
        return IDCANCEL;
    });
    EXPECT_FALSE(item.TrackPopup(QPoint()));
    EXPECT_EQ(item.LocalValue(), Variant(std::int32_t{3}));
}

namespace {

class SliderTest : public ItemTest {
protected:
    void SetUp() override {
        ItemTest::SetUp();
        slider = std::make_unique<CConfigSliderItem>(IDS_AUDIO_REFERENCE_LEVEL,
                                                     "//AudioInput[@id=\"AI1\"]/AudioInputAnalog",
                                                     "trim", ITEM_LIVE, &page);
        slider->SetRange(Variant(std::int32_t{-12}), Variant(std::int32_t{0}),
                         Variant(std::int32_t{12}));
        slider->SetRangeLabels("-12dBu", "0dBu", "12dBu");
        slider->SetUnits("dBu");
    }
    std::string trim() const { return read("//AudioInputAnalog/@trim"); }
    // Waits, bounded, for the dialog's pending apply.
    static void waitForApply(CConfigSliderDlg& dialog) {
        QElapsedTimer timer;
        timer.start();
        while (dialog.ApplyPending() && timer.elapsed() < 2000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    std::unique_ptr<CConfigSliderItem> slider;
};

} // namespace

TEST_F(SliderTest, TheDialogNamesItsSettingShowsTheSignedValueWithItsUnitAndPagesOnTheTrack) {
    document->documentNode().selectSingleNode("//AudioInputAnalog/@trim").setValue("2");
    script.answerDialog([](QDialog& dialog) {
        auto& sliderDialog = static_cast<CConfigSliderDlg&>(dialog);
        const auto* caption = dialog.findChild<QLabel*>(QStringLiteral("Caption"));
        EXPECT_NE(caption, nullptr);
        EXPECT_EQ(caption ? caption->text() : QString(), "Audio reference level:");
        const auto* value = dialog.findChild<QLineEdit*>();
        EXPECT_EQ(value->text(), "+2 dBu");
        for (int i = 0; i < 5; ++i)
            sliderDialog.StepDown();
        EXPECT_EQ(value->text(), "-3 dBu");

        // A touch on the track right of the handle, even below the drawn groove, moves by a
        // tenth of the range.
        dialog.show();
        auto* track = dialog.findChild<QSlider*>(QStringLiteral("Track"));
        QStyleOptionSlider option;
        option.initFrom(track);
        option.orientation = Qt::Horizontal;
        option.state |= QStyle::State_Horizontal;
        option.minimum = track->minimum();
        option.maximum = track->maximum();
        option.sliderPosition = track->sliderPosition();
        option.subControls = QStyle::SC_All;
        const QRect handle = track->style()->subControlRect(QStyle::CC_Slider, &option,
                                                            QStyle::SC_SliderHandle, track);
        EXPECT_GE(handle.width(), 40);
        EXPECT_GE(handle.height(), 40);
        const QPoint beyond(track->width() - 4, track->height() - 3);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, beyond, track->mapToGlobal(beyond), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(track, &event);
        }
        EXPECT_EQ(value->text(), "-1 dBu");
        return IDCANCEL;
    });
    EXPECT_FALSE(slider->TrackPopup(QPoint()));

    // A range that starts at zero needs no sign.
    CConfigSliderItem lines(IDS_AUDIO_REFERENCE_LEVEL, "//AudioInput[@id=\"AI1\"]/AudioInputAnalog",
                            "trim", 0, &page);
    lines.SetRange(Variant(std::int32_t{0}), Variant(std::int32_t{0}), Variant(std::int32_t{20}));
    lines.SetUnits("lines");
    lines.Dialog().SetCurrent(Variant(std::int32_t{2}));
    lines.Dialog().Prepare();
    EXPECT_EQ(lines.Dialog().ValueText(), "2 lines");
}

TEST_F(SliderTest, StepsApplyLiveOnceAfterTheLastAndOkKeepsThem) {
    script.answerDialog([this](QDialog& dialog) {
        auto& sliderDialog = static_cast<CConfigSliderDlg&>(dialog);
        sliderDialog.StepUp();
        sliderDialog.StepUp();
        sliderDialog.StepUp();
        EXPECT_EQ(trim(), "0"); // not yet
        waitForApply(sliderDialog);
        EXPECT_EQ(trim(), "3");
        EXPECT_EQ(server->changes.size(), 1u);     // one live write for the run of steps
        EXPECT_FALSE(server->changes.back().flag); // not final while the dialog runs
        return IDOK;
    });
    EXPECT_TRUE(slider->TrackPopup(QPoint()));
    EXPECT_EQ(trim(), "3");
    EXPECT_TRUE(server->changes.back().flag);
}

TEST_F(SliderTest, CancelRestoresThePreviousValueOnce) {
    script.answerDialog([](QDialog& dialog) {
        auto& sliderDialog = static_cast<CConfigSliderDlg&>(dialog);
        sliderDialog.MoveTo(20); // 8
        waitForApply(sliderDialog);
        return IDCANCEL;
    });
    EXPECT_FALSE(slider->TrackPopup(QPoint()));
    EXPECT_EQ(trim(), "0");
    ASSERT_EQ(server->changes.size(), 2u);
    EXPECT_EQ(server->changes[0].value, "8");
    EXPECT_EQ(server->changes[1].value, "0");
}

TEST_F(SliderTest, AStepSetBackJustBeforeTheDialogClosesStillEndsAtTheValueShown) {
    for (const int result : {IDOK, IDCANCEL}) {
        server->changes.clear();
        script.answerDialog([result](QDialog& dialog) {
            auto& sliderDialog = static_cast<CConfigSliderDlg&>(dialog);
            sliderDialog.MoveTo(20); // 8, applied
            waitForApply(sliderDialog);
            sliderDialog.MoveTo(12); // 0 again, closed before that is applied
            return result;
        });
        EXPECT_FALSE(slider->TrackPopup(QPoint()));
        EXPECT_EQ(trim(), "0");
        ASSERT_FALSE(server->changes.empty());
        EXPECT_EQ(server->changes.back().value, "0");
        EXPECT_TRUE(server->changes.back().flag);
    }
}

TEST_F(SliderTest, SteppingPastTheLimitAsksTheOwner) {
    document->documentNode().selectSingleNode("//AudioInputAnalog/@trim").setValue("-12");
    script.answerDialog([](QDialog& dialog) {
        static_cast<CConfigSliderDlg&>(dialog).StepDown();
        return IDCANCEL;
    });
    EXPECT_FALSE(slider->TrackPopup(QPoint()));
    const auto& messages = page.delivered();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].message, WM_CONFIG_RANGE_LIMIT);
    EXPECT_EQ(messages[0].wParam & 0xFFFF, static_cast<WPARAM>(IDS_AUDIO_REFERENCE_LEVEL));
    EXPECT_EQ(messages[0].wParam >> 16, 0u);
    EXPECT_EQ(slider->Dialog().Current(), Variant(std::int32_t{-12}));
}

TEST_F(SliderTest, DefaultAppliesAtOnceAndARefusalUndoes) {
    setPortState(0, 3);
    slider->SetInterlock(INTERLOCK_RECORD_CHANNEL, 0);
    document->documentNode().selectSingleNode("//AudioInputAnalog/@trim").setValue("5");
    script.answerDialog([this](QDialog& dialog) {
        static_cast<CConfigSliderDlg&>(dialog).RestoreDefault();
        EXPECT_EQ(trim(), "0");
        return IDOK;
    });
    script.answer(IDOK); // the record notice
    EXPECT_FALSE(slider->TrackPopup(QPoint()));
    EXPECT_EQ(script.last().caption, "Record In Progress");
    EXPECT_EQ(trim(), "5");
}

TEST_F(VariantsTest, AStatusItemRepaintsOnlyWhenItsValueChanges) {
    CConfigStatusItem status(IDS_REFERENCE_STANDARD, 0, "referencePresent", Variant(false));
    EXPECT_TRUE(status.UpdateStatus());
    EXPECT_TRUE(status.IsLit());
    status.SetNeedsRedraw(false);
    EXPECT_FALSE(status.UpdateStatus());
    EXPECT_FALSE(status.NeedsRedraw());
    channels[0]->values["referencePresent"] = Variant(false);
    EXPECT_TRUE(status.UpdateStatus());
    EXPECT_FALSE(status.IsLit());
    EXPECT_FALSE(status.TrackPopup(QPoint()));

    CConfigStatusItem nameless(IDS_REFERENCE_STANDARD, 0, "", Variant(false));
    EXPECT_FALSE(nameless.UpdateStatus());
}
