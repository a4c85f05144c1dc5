// Draws the documentation's pictures of the sheet and of the item rows, as a person sees them,
// into the build's screenshots folder; scripts/screenshots runs it and copies the pictures
// into docs/screenshots. The sheet runs over the embedded server, so its heading names
// localhost. Not a test: a picture that cannot be drawn or saved is reported as a failure.

#include "app/HistoryDlg.h"
#include "app/SheetFixture.h"
#include "items/ConfigChoiceItem.h"
#include "items/ConfigMaskItem.h"
#include "items/ConfigPairItem.h"
#include "items/ConfigSliderItem.h"
#include "items/ConfigStatusItem.h"
#include "items/ConfigTextItems.h"
#include "items/ItemFixture.h"
#include "pages/ChannelSecurityDlg.h"
#include "pages/GangDlg.h"
#include "pages/GangPage.h"
#include "pages/GpiPage.h"
#include "pages/PanelPage.h"
#include "pages/RemotePage.h"
#include "pages/SecurityPage.h"
#include "platform/StringIds.h"
#include "platform/TouchScrollButtons.h"
#include "platform/TouchWidgets.h"
#include "support/Touch.h"

#include <QDir>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

void savePicture(const QImage& image, const char* fileName) {
    const QString folder = QStringLiteral(TRELLIS_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder)) << folder.toStdString();
    const QString path = folder + QLatin1Char('/') + QLatin1String(fileName);
    EXPECT_TRUE(image.save(path)) << path.toStdString();
}

} // namespace

class SheetPicture : public SheetTest {
protected:
    // Shows the sheet on its page of the class, lets the body set the page up, then draws it.
    template <class Page>
    void draw(const char* fileName, const std::function<void(Page&)>& setUp = {}) {
        runAsAdmin([&](CTrellisDlg& sheet) {
            Page* page = showPage<Page>(sheet);
            ASSERT_NE(page, nullptr) << fileName;
            if (setUp)
                setUp(*page);
            QCoreApplication::processEvents();
            savePicture(sheet.grab().toImage(), fileName);
            sheet.CancelButton()->click();
        });
    }
};

TEST_F(SheetPicture, SystemPage) {
    draw<CSystemPage>("sheet-system.png", [](CSystemPage& page) {
        page.List()->FindItem(IDS_REFERENCE_STANDARD)->SetSelected(true);
        page.List()->UpdateStatusAll();
    });
}

TEST_F(SheetPicture, SecurityPage) {
    ASSERT_EQ(server->accounts().setAccount("ingest", "Ingest-Pa55word", "", {}), S_OK);
    draw<CSecurityPage>("sheet-security.png", [this](CSecurityPage& page) {
        page.SelectTab(1);
        enterText(script, page.Dialog(1)->UserEdit(), "ingest");
        enterText(script, page.Dialog(1)->PasswordEdit(), "Ingest-Pa55word");
        enterText(script, page.Dialog(1)->DomainEdit(), "STUDIO");
    });
}

TEST_F(SheetPicture, GangingPage) {
    draw<CGangPage>("ganging.png", [](CGangPage& page) {
        // C1 and C2 ganged, as the README describes.
        page.Dialog()->ChoiceButton(0, 1)->click();
        page.Dialog()->ChoiceButton(1, 1)->click();
    });
}

TEST_F(SheetPicture, GpiOutputs) {
    draw<CGpiPage>("gpi-output.png", [](CGpiPage& page) { page.SelectTab(1); });
}

TEST_F(SheetPicture, PanelPage) {
    draw<CPanelPage>("sheet-panel.png", [](CPanelPage& page) {
        page.List()->FindItem(IDS_SHUTTLE_SPEED)->SetSelected(true);
    });
}

TEST_F(SheetPicture, RemotePage) {
    QFile hosts(dir.path() + QStringLiteral("/vellhosts.xml"));
    ASSERT_TRUE(hosts.open(QIODevice::WriteOnly));
    hosts.write("<RemoteHosts><Host hostName=\"studio-a.example.com\" id=\"1\"/>"
                "<Host hostName=\"10.20.0.17\" id=\"2\"/><Host hostName=\"edit-suite-3\" "
                "id=\"12\"/></RemoteHosts>");
    hosts.close();
    draw<CRemotePage>("sheet-remote.png", [](CRemotePage& page) {
        page.List()->ItemAt(1)->SetSelected(true);
        page.List()->Relayout(true);
    });
}

// The History dialog over three commits, the first and the last marked, and their comparison.
TEST_F(SheetPicture, History) {
    const auto commitChange = [this](const std::string& element, const char* attribute,
                                     const char* value) {
        runAsAdmin([&](CTrellisDlg& sheet) {
            CConfigState().PutAttributeValue(element, attribute, Variant(value), true, true);
            commitWithOk(sheet);
        });
    };
    commitChange(kTimeOfDay, "timeOfDaySource", "Ltc");
    commitChange("./Config/System/SystemAudioReference", "audioUnityLevel", "8");
    commitChange("//VideoInput[@id='VideoIn1']", "videoInputFormat", "Format1080_29_97Hz_2To1");
    runAsAdmin([&](CTrellisDlg& sheet) {
        sheet.show();
        script.answerDialog([&](QDialog& dialog) {
            auto& history = dynamic_cast<CHistoryDlg&>(dialog);
            history.show();
            history.TouchRow(2);
            history.TouchRow(0);
            QCoreApplication::processEvents();
            savePicture(history.grab().toImage(), "history.png");
            script.answerDialog([](QDialog& comparison) {
                comparison.show();
                QCoreApplication::processEvents();
                savePicture(comparison.grab().toImage(), "history-compare.png");
                return IDOK;
            });
            history.CompareButton()->click();
            return IDCANCEL;
        });
        sheet.PressWizardButton(3);
        sheet.CancelButton()->click();
    });
}

using ItemPicture = ItemTest;

// A list with every kind of row.
TEST_F(ItemPicture, EveryItemKindInOneList) {
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
    list->AddItem(
        new CConfigStatusItem(IDS_REFERENCE_PRESENT, 0, "referencePresent", Variant(false)));
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
    savePicture(window.grab().toImage(), "items.png");
}
