#include "SheetFixture.h"
#include "platform/ProgressDlg.h"
#include "platform/StringIds.h"

#include <QFile>
#include <QPushButton>

namespace {

constexpr const char* kTimeOfDay = "./Config/System/TimeOfDay";
const std::string kChannel2Input =
    "//VideoInput[@id=//Channel[@channelIndex=\"1\"]/Video/VideoInputComponent/@id]";

} // namespace

TEST_F(SheetTest, StartUpShowsTheSystemPageOfSevenPages) {
    runAsAdmin([](CTrellisDlg& sheet) {
        EXPECT_EQ(sheet.GetPageCount(), 7);
        EXPECT_EQ(sheet.GetActivePage()->PageName(), "System");
        EXPECT_EQ(sheet.GetPage(2)->PageName(), "Ganging");
        EXPECT_EQ(sheet.GetActivePage()->WizardButtons(), (QStringList{"Save", "Load", "Restore"}));
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(caption, "Configuration for localhost");
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, WithoutTheProPanelThereIsNoGangingPage) {
    storeConfiguration([](XmlDocument& document) {
        const XmlNode panel = document.documentNode().selectSingleNode("//Panel");
        panel.removeChild(panel.firstChild("CorvanePro"));
    });
    runAsAdmin([](CTrellisDlg& sheet) {
        EXPECT_EQ(sheet.GetPageCount(), 6);
        for (int i = 0; i < sheet.GetPageCount(); ++i)
            EXPECT_NE(sheet.GetPage(i)->PageName(), "Ganging");
        sheet.CancelButton()->click();
    });
}

TEST_F(SheetTest, ACommitThatTakesNoChannelOfflineShowsNoProgress) {
    runAsAdmin([](CTrellisDlg& sheet) {
        write(kTimeOfDay, "timeOfDaySource", "Ltc");
        sheet.OkButton()->click();
        EXPECT_FALSE(sheet.ShowedProgress());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_NE(committed().find("timeOfDaySource=\"Ltc\""), std::string::npos);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, AChannelGoingOfflineShowsProgressUntilItReturns) {
    server->setRestartDelay(300);
    std::string seen;
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(kChannel2Input, "selectedInput", "VideoInputAnalogComposite");
        script.answerDialog([&](QDialog& dialog) {
            auto& progress = static_cast<CProgressDlg&>(dialog);
            seen = (progress.windowTitle() + "|" + progress.Text()).toStdString();
            return dialog.exec(); // until the poll sees channel 2 back
        });
        sheet.OkButton()->click();
        EXPECT_TRUE(sheet.ShowedProgress());
        EXPECT_EQ(CConfigState().IsChannelOffline(), 0u);
    });
    EXPECT_EQ(seen, "Saving Configuration Settings|Please wait......");
    EXPECT_EQ(result, IDOK);
}

TEST_F(SheetTest, ThePollGivesUpAfterItsLimit) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        sheet.SetCommitProgressSettings({1, 5});
        write(kChannel2Input, "selectedInput", "VideoInputAnalogComposite");
        server->setRestartDelay(60 * 60 * 1000); // the channel never returns in time
        script.answerDialog([](QDialog& dialog) { return dialog.exec(); });
        sheet.OkButton()->click();
        EXPECT_TRUE(sheet.ShowedProgress());
        EXPECT_EQ(CConfigState().IsChannelOffline(), 2u);
    });
    EXPECT_EQ(result, IDOK);
}

TEST_F(SheetTest, SaveAppendsTheExtensionAndLoadReadsItBack) {
    const std::string base = files.filePath("studio").toStdString();
    runAsAdmin([&](CTrellisDlg& sheet) {
        script.answerFile(base);
        sheet.PressWizardButton(0);
        EXPECT_EQ(script.last().caption, "Save As");
        EXPECT_EQ(script.last().filter, "XML file (*.xml)");
        EXPECT_TRUE(QFile::exists(QString::fromStdString(base + ".xml")));

        write(kTimeOfDay, "timeOfDaySource", "Ltc");
        script.answerFile(base + ".xml");
        sheet.PressWizardButton(1);
        EXPECT_EQ(script.last().caption, "Open");
        EXPECT_EQ(read(std::string(kTimeOfDay) + "/@timeOfDaySource"), "Windows");
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, RestoreAsksFirst) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(kTimeOfDay, "timeOfDaySource", "Ltc");
        script.answer(IDNO);
        sheet.PressWizardButton(2);
        EXPECT_EQ(script.last().text, "Restore default configuration values?");
        EXPECT_EQ(script.last().caption, "Restore Defaults");
        EXPECT_EQ(read(std::string(kTimeOfDay) + "/@timeOfDaySource"), "Ltc");
        script.answer(IDYES);
        sheet.PressWizardButton(2);
        EXPECT_EQ(read(std::string(kTimeOfDay) + "/@timeOfDaySource"), "Windows");
        script.answer(IDYES); // discard
        sheet.CancelButton()->click();
    });
}

TEST_F(SheetTest, CancelWithoutChangesAsksNothing) {
    runAsAdmin([](CTrellisDlg& sheet) { sheet.CancelButton()->click(); });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(script.questions().size(), 1u); // the sheet itself
}

TEST_F(SheetTest, CancelWithChangesNoKeepsTheSheetYesDiscards) {
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CConfigState().PutAttributeValue(kTimeOfDay, "timeOfDaySource", Variant("Ltc"), true, true);
        script.answer(IDNO);
        sheet.CancelButton()->click();
        EXPECT_EQ(script.last().text, "Discard configuration changes?");
        EXPECT_EQ(script.last().caption, "Discard Changes");
        EXPECT_EQ(sheet.result(), 0); // still open
        script.answer(IDYES);
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(committed() == before);
}

TEST_F(SheetTest, AReadOnlyUserCannotCommit) {
    const std::string before = committed();
    run({"localhost", "operator", "operator"},
        [&](CTrellisDlg& sheet) {
            write(kTimeOfDay, "timeOfDaySource", "Ltc");
            script.answer(IDOK);
            sheet.OkButton()->click();
            EXPECT_EQ(script.last().text,
                      "You are not authorized to change configuration settings.");
            EXPECT_EQ(script.last().caption, "Security");
        },
        {IDIGNORE});
    EXPECT_EQ(caption, "Configuration for localhost [Read Only]");
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(committed() == before);
}

TEST_F(SheetTest, ARefusedLogonClosesAtOnce) {
    run({"localhost", "admin", "wrong"}, nullptr, {IDNO});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(script.questions().back().caption, "Security");
}

TEST_F(SheetTest, AConfirmedReferenceStandardChangeCommitsAndEnds) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        CConfigItem* standard = systemItem(sheet, IDS_REFERENCE_STANDARD);
        ASSERT_NE(standard, nullptr);
        script.answer(2);     // PAL
        script.answer(IDYES); // restart
        EXPECT_TRUE(standard->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents(sheet.SystemPage()); // the rewrite
        QCoreApplication::sendPostedEvents(&sheet);             // the restart
        EXPECT_EQ(sheet.result(), IDOK);
    });
    const std::string stored = committed();
    EXPECT_NE(stored.find("referenceStandard=\"Format625_25Hz_2To1\""), std::string::npos);
    EXPECT_EQ(stored.find("Format525_29_97Hz_2To1"), std::string::npos);
}

TEST_F(SheetTest, NoToTheRestartQuestionLeavesTheDocument) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        std::shared_ptr<XmlDocument> document;
        CConfigState().GetConfigDocument(document);
        const std::string before = document->xml();
        script.answer(2);
        script.answer(IDNO);
        EXPECT_FALSE(systemItem(sheet, IDS_REFERENCE_STANDARD)->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents();
        EXPECT_TRUE(document->xml() == before);
        EXPECT_EQ(sheet.result(), 0);
        sheet.CancelButton()->click();
    });
}
