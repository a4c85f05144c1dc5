// Renders a list with every kind of item, as a person would see it, to a picture in the build
// folder; scripts/screenshots copies it into the documentation.

#include "ItemFixture.h"
#include "items/ConfigChoiceItem.h"
#include "items/ConfigListCtrl.h"
#include "items/ConfigMaskItem.h"
#include "items/ConfigPairItem.h"
#include "items/ConfigSliderItem.h"
#include "items/ConfigStatusItem.h"
#include "items/ConfigTextItems.h"
#include "platform/Metrics.h"
#include "platform/StringIds.h"
#include "platform/TouchScrollButtons.h"
#include "platform/TouchWidgets.h"

#include <QDir>
#include <QHBoxLayout>
#include <QImage>

using ScreenshotTest = ItemTest;

TEST_F(ScreenshotTest, EveryItemKindInOneList) {
    QWidget window;
    window.resize(620, 13 * CConfigListCtrl::RowHeight());
    applyTouchBackground(&window);
    auto* row = new QHBoxLayout(&window);
    row->setContentsMargins(0, 0, 0, 0);
    auto* list = new CConfigListCtrl(&window);
    auto* buttons = new CTouchScrollBtn(&window);
    row->addWidget(list, 1);
    row->addWidget(buttons);
    list->SetScrollButtons(buttons);

    list->SetFrozen(true);
    list->AddItem(
        new CConfigTextItem(IDS_VIDEO_REFERENCE, "", "", ITEM_UNBOUND | ITEM_LOCAL, &page));
    auto* standard =
        new CConfigChoiceItem(IDS_REFERENCE_STANDARD, "./Config/System/SystemVideoReference",
                              "referenceStandard", ITEM_INDENT | ITEM_RELAYOUT, &page);
    standard->AddChoice(IDS_NTSC_59_94_HZ, Variant("Format525_29_97Hz_2To1"));
    standard->AddChoice(IDS_PAL_50_HZ, Variant("Format625_25Hz_2To1"));
    standard->SetSelected(true);
    list->AddItem(standard);
    auto* present =
        new CConfigStatusItem(IDS_REFERENCE_PRESENT, 0, "referencePresent", Variant(false));
    list->AddItem(present);
    list->AddItem(new CConfigStatusItem(IDS_REFERENCE_LOCKED, 0, "", Variant(false)));
    list->AddItem(
        new CConfigTextItem(IDS_AUDIO_REFERENCE, "", "", ITEM_UNBOUND | ITEM_SEPARATOR, &page));
    auto* level =
        new CConfigChoiceItem(IDS_AUDIO_REFERENCE_LEVEL, "./Config/System/SystemAudioReference",
                              "audioUnityLevel", ITEM_INDENT, &page);
    level->AddChoice(IDS_0_DBU, Variant(std::int32_t{0}));
    level->AddChoice(IDS_PLUS_4_DBU, Variant(std::int32_t{4}));
    list->AddItem(level);
    auto* trim =
        new CConfigSliderItem(IDS_AUDIO_INPUT_TRIM, "//AudioInput[@id=\"AI1\"]/AudioInputAnalog",
                              "trim", ITEM_INDENT, &page);
    trim->SetUnits("dBu");
    list->AddItem(trim);
    list->AddItem(new CConfigNameItem("Trigger name:", "//GpiOutput[@id=\"GpiOut1\"]",
                                      "triggerName", ITEM_INDENT, &page));
    list->AddItem(new CConfigTimecodeItem("Trigger offset:", "//GpiOutput[@id=\"GpiOut3\"]",
                                          "triggerOffset", ITEM_INDENT, &page));
    auto* mask =
        new CConfigMaskItem(IDS_TRIGGER_CHANNELS, 5, "//GpiInput", "GpiIn1", ITEM_INDENT, &page);
    for (const char* channel : {"C1", "C2", "C3"})
        mask->AddString(channel);
    list->AddItem(mask);
    list->AddItem(new CConfigPairItem("studio-a.example", "12", 0, &page));
    auto* selectedPair = new CConfigPairItem("studio-b.example", "14", 0, &page);
    selectedPair->SetSelected(true);
    list->AddItem(selectedPair);
    list->SetFrozen(false);

    window.show();
    const QImage image = window.grab().toImage();
    EXPECT_EQ(list->RowItem(2), present);
    EXPECT_TRUE(present->IsLit());

    // The value of the selected choice row is drawn in purple.
    const QRect value = standard->ValueRect();
    ASSERT_FALSE(value.isNull());
    bool purple = false;
    for (int x = value.left(); x <= value.right() && !purple; ++x) {
        for (int y = value.top(); y <= value.bottom() && !purple; ++y)
            purple = image.pixelColor(list->mapTo(&window, QPoint(x, y))) == QColor(128, 0, 128);
    }
    EXPECT_TRUE(purple);

    const QString folder = QStringLiteral(TRELLIS_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(image.save(folder + QStringLiteral("/items.png")));
}
