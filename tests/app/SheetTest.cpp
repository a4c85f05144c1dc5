#include "SheetFixture.h"
#include "channel/ChannelDlg.h"
#include "channel/ChannelPage.h"
#include "platform/ProgressDlg.h"
#include "platform/StringIds.h"
#include "platform/TouchTab.h"
#include "support/FakeConnection.h"
#include "support/ImmutableFile.h"
#include "support/Touch.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <algorithm>

namespace {

const std::string kChannel1Input =
    "//VideoInput[@id=//Channel[@channelIndex=\"0\"]/Video/VideoInputComponent/@id]";
const std::string kChannel2Input =
    "//VideoInput[@id=//Channel[@channelIndex=\"1\"]/Video/VideoInputComponent/@id]";

} // namespace

TEST_F(SheetTest, StartUpShowsTheSystemPageOfSevenPages) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        EXPECT_EQ(sheet.GetPageCount(), 7);
        EXPECT_EQ(sheet.GetActivePage()->PageName(), "System");
        EXPECT_EQ(sheet.GetPage(2)->PageName(), "Ganging");
        EXPECT_EQ(sheet.GetActivePage()->WizardButtons(),
                  (QStringList({"Save", "Load", "Restore", "History"})));
        // No title bar on a kiosk screen: the title, naming host and user, stands inside.
        sheet.show();
        const auto* heading = sheet.findChild<QLabel*>("Caption");
        ASSERT_NE(heading, nullptr);
        EXPECT_TRUE(heading->isVisible());
        EXPECT_EQ(heading->text(), "Configuration for " + hostName() + " \u00B7 admin");
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(caption, "Configuration for " + hostName() + " \u00B7 admin");
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
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(kTimeOfDay, "timeOfDaySource", "Ltc");
        commitWithOk(sheet);
        EXPECT_FALSE(sheet.ShowedProgress());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_NE(committed().find("timeOfDaySource=\"Ltc\""), std::string::npos);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, AChannelGoingOfflineShowsProgressUntilItReturns) {
    // A changed channel stays offline this long, on either server.
    server->setRestartDelay(300);
    ASSERT_TRUE(host.setRestartDelay(300)) << host.failure();
    std::string seen;
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(kChannel2Input, "selectedInput", "VideoInputAnalogComposite");
        answerReview();
        script.answerDialog([&](QDialog& dialog) {
            auto& progress = static_cast<CProgressDlg&>(dialog);
            seen = (progress.windowTitle() + "|" + progress.Text()).toStdString();
            return dialog.exec(); // until the poll sees channel 2 back
        });
        answerOutcome();
        sheet.OkButton()->click();
        EXPECT_TRUE(sheet.ShowedProgress());
        EXPECT_EQ(CConfigState().IsChannelOffline(), 0u);
    });
    EXPECT_EQ(seen, "Saving Configuration Settings|Please wait......");
    EXPECT_EQ(result, IDOK);
}

TEST_F(SheetTest, AChannelStillOfflineWhenTheWaitEndsIsNamedAndShownOnItsTab) {
    // Offline before the commit already, and still when the wait ends.
    server->setChannelStatus(1, "channelOffline", "true");
    runAsAdmin([&](CTrellisDlg& sheet) {
        sheet.SetCommitProgressSettings({1, 5});
        EXPECT_FALSE(sheet.ChannelPage()->Tabs()->IsTabOffline(0));
        EXPECT_TRUE(sheet.ChannelPage()->Tabs()->IsTabOffline(1));
        write(kChannel2Input, "selectedInput", "VideoInputAnalogComposite");
        answerReview();
        script.answerDialog([](QDialog& dialog) { return dialog.exec(); });
        answerOutcome();
        sheet.OkButton()->click();
        EXPECT_TRUE(sheet.ShowedProgress());
    });
    ASSERT_EQ(script.last().caption, "Changes Committed");
    const std::string notice = script.last().text;
    EXPECT_NE(notice.find("\nChannel C2 was still offline after "), std::string::npos) << notice;
    EXPECT_EQ(notice.find("No channel restarted"), std::string::npos) << notice;
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

TEST_F(SheetTest, AFileWithValuesItsRowsDoNotOfferIsLoadedAndThoseRowsAreNamed) {
    const QString path = files.filePath("odd.xml");
    runAsAdmin([&](CTrellisDlg& sheet) {
        std::shared_ptr<XmlDocument> document;
        CConfigState().GetConfigDocument(document);
        XmlDocument odd;
        odd.copyFrom(*document);
        // A 25 Hz format under the 59.94 Hz reference.
        odd.documentNode()
            .selectSingleNode(kChannel1Input + "/@videoInputFormat")
            .setValue("Format1080_25Hz_2To1");
        ASSERT_EQ(odd.save(path), S_OK);
        script.answerFile(path.toStdString());
        script.answer(IDOK);
        sheet.PressWizardButton(1);
        EXPECT_EQ(read(kChannel1Input + "/@videoInputFormat"), "Format1080_25Hz_2To1");
        EXPECT_EQ(script.last().caption, "Load");
        EXPECT_EQ(script.last().text,
                  "'" + path.toStdString() +
                      "' was loaded. These settings hold values that are not among their "
                      "choices; change them before you commit:\nChannel C1 \u203A Recorder "
                      "Setup \u203A Video input format: Format1080_25Hz_2To1");
        script.answer(IDYES); // discard
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, ARestoreTheServerCannotServeSaysWhyAndLeavesTheDocument) {
    const std::string standard = "./Config/System/SystemVideoReference";
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(standard, "referenceStandard", "Format1080_25Hz_2To1");
        script.answer(IDYES);
        script.answer(IDOK);
        sheet.PressWizardButton(2);
        EXPECT_EQ(script.last().text, "The default configuration could not be restored.\nThe "
                                      "server says: there is no default configuration for the "
                                      "reference standard 'Format1080_25Hz_2To1'.");
        EXPECT_EQ(script.last().caption, "Restore Defaults");
        EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
        EXPECT_EQ(read(standard + "/@referenceStandard"), "Format1080_25Hz_2To1");
        script.answer(IDYES); // discard
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, CancelWithChangesNoKeepsTheSheetYesDiscards) {
    const std::string before = committed();
    server->setChannelStatus(0, "portstate", "1"); // a playing channel: No is the default
    runAsAdmin([&](CTrellisDlg& sheet) {
        CConfigState().PutAttributeValue(kTimeOfDay, "timeOfDaySource", Variant("Ltc"), true, true);
        script.answer(IDNO);
        sheet.CancelButton()->click();
        EXPECT_EQ(script.last().text, "Discard configuration changes?");
        EXPECT_EQ(script.last().caption, "Discard Changes");
        EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
        EXPECT_EQ(sheet.result(), 0); // still open
        script.answer(IDYES);
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(committed() == before);
}

TEST_F(SheetTest, ADiscardTheServerCannotTakeAsksBeforeClosingWithoutIt) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        CConfigState().PutAttributeValue(kTimeOfDay, "timeOfDaySource", Variant("Ltc"), true, true);
        // The server can no longer store anything in its folder.
        ASSERT_TRUE(setImmutable(dir.path(), true));
        script.answer(IDYES); // discard
        script.answer(IDNO);  // but stay
        sheet.CancelButton()->click();
        const std::string told = script.last().text;
        EXPECT_TRUE(told.ends_with("\nThe configuration on the server could not be put back as "
                                   "it was when you logged on: settings already sent to the "
                                   "server stay there until a configuration is committed.\n\n"
                                   "Close anyway?"))
            << told;
        EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
        EXPECT_EQ(sheet.result(), 0);
        EXPECT_EQ(read(std::string(kTimeOfDay) + "/@timeOfDaySource"), "Ltc");
        script.answer(IDYES);
        script.answer(IDYES);
        sheet.CancelButton()->click();
        setImmutable(dir.path(), false);
    });
    setImmutable(dir.path(), false);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, AReadOnlyUserIsRefusedEveryChangeBeforeAnyDialogButMaySave) {
    const std::string before = committed();
    const std::string saved = files.filePath("seen.xml").toStdString();
    const QString readOnly = "Configuration for " + hostName() + " \u00B7 operator [Read Only]";
    run({hostName(), "operator", "operator"},
        [&](CTrellisDlg& sheet) {
            // No title bar on a kiosk screen: the sheet says it inside, at the top.
            const auto* heading = sheet.findChild<QLabel*>("Caption");
            ASSERT_NE(heading, nullptr);
            EXPECT_EQ(heading->text(), readOnly);
            sheet.show();
            CConfigListCtrl* list = sheet.SystemPage()->List();
            list->grab();
            const QPoint onValue = systemItem(sheet, IDS_REFERENCE_STANDARD)->ValueRect().center();
            script.answerFile(saved);
            sheet.PressWizardButton(0);
            EXPECT_EQ(script.last().caption, "Save As");
            // A touch on a value, Load, Restore and OK after an edit.
            const std::function<void()> attempts[] = {
                [&] { touch(list, onValue); },
                [&] { sheet.PressWizardButton(1); },
                [&] { sheet.PressWizardButton(2); },
                [&] {
                    write(kTimeOfDay, "timeOfDaySource", "Ltc");
                    sheet.OkButton()->click();
                },
            };
            for (const auto& attempt : attempts) {
                const std::size_t asked = script.questions().size();
                script.answer(IDOK);
                attempt();
                ASSERT_EQ(script.questions().size(), asked + 1);
                EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::MessageBox);
                EXPECT_EQ(script.last().text,
                          "You are not authorized to change configuration settings.");
                EXPECT_EQ(script.last().caption, "Security");
            }
        },
        {IDIGNORE});
    EXPECT_EQ(caption, readOnly);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(saved)));
    EXPECT_TRUE(committed() == before);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, ARefusedLogonClosesAtOnce) {
    run({hostName(), "admin", "wrong"}, nullptr, {IDNO});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(script.questions().back().caption, "Security");
}

TEST_F(SheetTest, AConfirmedReferenceStandardChangeCommitsAndEnds) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        CConfigItem* standard = systemItem(sheet, IDS_REFERENCE_STANDARD);
        ASSERT_NE(standard, nullptr);
        script.answer(2);     // PAL
        script.answer(IDYES); // restart
        answerReview();
        answerOutcome();
        EXPECT_TRUE(standard->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents(sheet.SystemPage()); // the rewrite
        QCoreApplication::sendPostedEvents(&sheet);             // the restart
        EXPECT_EQ(sheet.result(), IDOK);
    });
    // The review counts the rule's rewrites under the change, and every channel restarts.
    ASSERT_GE(reviewLines.size(), 4u);
    EXPECT_EQ(reviewLines[0], "System");
    EXPECT_EQ(reviewLines[1],
              "Video Reference \u203A Reference standard: NTSC (59.94 Hz) \u2192 PAL (50 Hz)");
    EXPECT_TRUE(reviewLines[2].ends_with(" changes made by rules")) << reviewLines[2];
    // In words, with the values a format row shows; the channel is named, as the change is
    // listed under the System page's.
    EXPECT_EQ(reviewLines[3], "C2 \u203A Video input \u203A Format: NTSC (SD) \u2192 PAL (SD)");
    // A row whose choices changed with the standard shows the old value as it showed it.
    EXPECT_NE(std::find(reviewLines.begin(), reviewLines.end(),
                        "Recorder Setup \u203A Video input format: NTSC (SD) \u2192 PAL (SD)"),
              reviewLines.end());
    EXPECT_EQ(reviewLines.back(), "Channels C1, C2, C3 and C4 go offline to restart.");
    EXPECT_EQ(script.last().caption, "Changes Committed");
    EXPECT_TRUE(script.last().text.starts_with("Committed: System (1 change), Channel C1 ("))
        << script.last().text;
    const std::string stored = committed();
    EXPECT_NE(stored.find("referenceStandard=\"Format625_25Hz_2To1\""), std::string::npos);
    EXPECT_EQ(stored.find("Format525_29_97Hz_2To1"), std::string::npos);
}

namespace {

const std::string kReferenceQuestion =
    "Changing the reference standard requires the system to be restarted. Reboot the system?";

// The system page's value text of an item.
std::string shown(CTrellisDlg& sheet, int labelId) {
    std::string text;
    if (CConfigItem* item = sheet.SystemPage()->List()->FindItem(labelId))
        item->GetValueText(text);
    return text;
}

} // namespace

TEST_F(SheetTest, AnUnreachableHostSaysSoAndEndsWithAFailureStatus) {
    // A name that never resolves (the .invalid domain is reserved for that).
    run({"studio-7.invalid", "admin", "trellis"}, nullptr, {IDOK});
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(script.questions().size(), 2u); // the sheet, then why it ends
    EXPECT_EQ(script.last().text, "Could not connect to host server studio-7.invalid");
    EXPECT_EQ(script.last().caption, "Trellis");
    EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
    EXPECT_EQ(app.ExitInstance(), 1);
}

TEST_F(SheetTest, AConfigurationThatDoesNotParseEndsTheRunWithoutSendingAnything) {
    FakeFactory fake;
    fake.connection->memberOf = {"BUILTIN\\Administrators"};
    const auto server = fake.connection->appServer->configServer;
    server->configuration = "<Config><Channel channelIndex=\"0\">";
    run({hostName(), "u", "p"}, nullptr, {IDOK});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(script.last().text.rfind("Error loading XML document", 0), 0u);
    EXPECT_EQ(script.last().caption, "Trellis");
    EXPECT_TRUE(server->commits.empty());
    EXPECT_EQ(app.ExitInstance(), 1);
}

TEST_F(SheetTest, RetryThenCancellingTheLogonClosesWithoutASheet) {
    run({hostName(), "operator", "operator"}, nullptr, {IDRETRY, IDCANCEL});
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(script.last().kind, ScriptedPrompter::Kind::Logon);
    EXPECT_EQ(caption, "Configuration for " + hostName()); // never "[Read Only]"
    EXPECT_EQ(script.unexpectedCount(), 0);
    EXPECT_EQ(app.ExitInstance(), 0); // the user chose to stop
}

TEST_F(SheetTest, AFailedCommitKeepsTheSheetAndTheEdits) {
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(kTimeOfDay, "timeOfDaySource", "Ltc");
        // A configuration without channels is one the server refuses.
        std::shared_ptr<XmlDocument> document;
        CConfigState().GetConfigDocument(document);
        const XmlNode config = document->documentElement();
        for (const XmlNode& channel : config.selectNodes("Channel"))
            config.removeChild(channel);
        answerReview();
        script.answer(IDOK);
        sheet.OkButton()->click();
        // The server's reason, not its status alone ("The data is invalid.").
        EXPECT_EQ(script.last().text, "The configuration was not committed.\nThe server says: "
                                      "it has no Channel element.");
        EXPECT_EQ(script.last().caption, "Saving Configuration Settings");
        EXPECT_EQ(script.last().style, MB_TOUCH_ERROR);
        EXPECT_EQ(sheet.result(), 0); // still open
        EXPECT_EQ(read(std::string(kTimeOfDay) + "/@timeOfDaySource"), "Ltc");

        // The edits can still be saved.
        script.answerFile(files.filePath("kept.xml").toStdString());
        sheet.PressWizardButton(0);
        EXPECT_TRUE(QFile::exists(files.filePath("kept.xml")));
        script.answer(IDYES);
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(committed() == before);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, ASecondSessionsCommitIsNotSilentlyReverted) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(kTimeOfDay, "timeOfDaySource", "Ltc");
        // Meanwhile another session commits a change of its own.
        storeConfiguration([](XmlDocument& document) {
            document.documentNode()
                .selectSingleNode("//SystemAudioReference/@audioUnityLevel")
                .setValue("8");
        });
        const std::string theirs = committed();
        answerReview();
        script.answer(IDNO);
        sheet.OkButton()->click();
        EXPECT_EQ(script.last().caption, "Configuration Changed");
        // The other session's change is told as the review would tell it.
        EXPECT_EQ(script.last().text,
                  "The configuration was changed on the server after you logged on:\n"
                  "Audio Reference \u203A Audio reference level: +4 dBu \u2192 +8 dBu\n\n"
                  "Your commit would undo those changes.\n\nCommit anyway?");
        EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
        EXPECT_EQ(sheet.result(), 0);
        EXPECT_TRUE(committed() == theirs);

        answerReview();
        script.answer(IDYES);
        answerOutcome();
        sheet.OkButton()->click();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_NE(committed().find("timeOfDaySource=\"Ltc\""), std::string::npos);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, AReferenceStandardChangeNamesTheRecordingChannelAndDefaultsToNo) {
    server->setChannelStatus(1, "portstate", "3");
    runAsAdmin([&](CTrellisDlg& sheet) {
        const std::string before = committed();
        script.answer(2);    // PAL
        script.answer(IDNO); // keep it recording
        EXPECT_FALSE(systemItem(sheet, IDS_REFERENCE_STANDARD)->TrackPopup(QPoint()));
        EXPECT_EQ(script.last().text, "C2 is recording\n\n" + kReferenceQuestion);
        EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(sheet.result(), 0);
        EXPECT_EQ(read("Config/System/SystemVideoReference/@referenceStandard"),
                  "Format525_29_97Hz_2To1");
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(SheetTest, TheReviewSaysARestartStopsARecordingAndDefaultsToBack) {
    server->setChannelStatus(1, "portstate", "3");
    std::string restart;
    bool backIsDefault = false;
    bool commitIsDefault = true;
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(kChannel2Input, "selectedInput", "VideoInputAnalogComposite");
        script.answerDialog([&](QDialog& dialog) {
            auto& review = dynamic_cast<CReviewChangesDlg&>(dialog);
            restart = review.RestartLabel()->text().toStdString();
            backIsDefault = review.BackButton()->isDefault();
            commitIsDefault = review.CommitButton()->isDefault();
            return IDCANCEL;
        });
        sheet.OkButton()->click();
        EXPECT_EQ(sheet.result(), 0);
        script.answer(IDYES); // discard
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(restart, "Channel C2 goes offline to restart. C2 is recording and will stop.");
    EXPECT_TRUE(backIsDefault);
    EXPECT_FALSE(commitIsDefault);
}

TEST_F(SheetTest, EveryStatusLightOfEveryChannelIsAnsweredByTheServer) {
    // Every light is asked, the hidden ones too: the ancillary timecode lights of a 525
    // input as well as its VITC light.
    runAsAdmin([&](CTrellisDlg& sheet) {
        CChannelPage* page = showPage<CChannelPage>(sheet);
        ASSERT_NE(page, nullptr);
        ASSERT_GE(page->ChannelCount(), 2);
        for (int slot = 0; slot < page->ChannelCount(); ++slot)
            page->Dialog(slot)->List()->UpdateStatusAll();
        sheet.SystemPage()->List()->UpdateStatusAll();
        // One light the server does not have, to show that a failure reaches its log.
        Variant value;
        EXPECT_EQ(CConfigState().GetChanStatus(0, "noSuchLight", value), E_INVALIDARG);
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(serverLog().count("GetChanStatus"), 1) << serverLog().toStdString();
}

TEST_F(SheetTest, LoadAndRestoreShowTheDocumentAsItNowStands) {
    storeConfiguration([](XmlDocument& document) {
        document.documentNode().selectSingleNode("//TimeOfDay/@timeOfDaySource").setValue("Ltc");
    });
    const std::string file = files.filePath("ltc2.xml").toStdString();
    {
        XmlDocument saved;
        ASSERT_EQ(saved.loadXml(committed()), S_OK);
        saved.documentNode().selectSingleNode("//TimeOfDay/@ltcInputId").setValue("LtcIn2");
        ASSERT_EQ(saved.save(QString::fromStdString(file)), S_OK);
    }
    runAsAdmin([&](CTrellisDlg& sheet) {
        EXPECT_EQ(shown(sheet, IDS_TIME_OF_DAY_LTC_SOURCE), "System");
        script.answerFile(file);
        sheet.PressWizardButton(1);
        EXPECT_EQ(shown(sheet, IDS_TIME_OF_DAY_LTC_SOURCE), "C2");
        script.answer(IDNO);
        sheet.PressWizardButton(2);
        EXPECT_EQ(script.last().text, "Restore default configuration values?");
        EXPECT_EQ(script.last().caption, "Restore Defaults");
        EXPECT_EQ(shown(sheet, IDS_TIME_OF_DAY_LTC_SOURCE), "C2");
        script.answer(IDYES);
        sheet.PressWizardButton(2); // the defaults name the system input
        EXPECT_EQ(shown(sheet, IDS_TIME_OF_DAY_LTC_SOURCE), "System");
        script.answer(IDYES);
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(SheetTest, TheQuestionMarkAndF1OpenTheHelpAtThePageShown) {
    std::vector<QUrl> opened;
    app.openHelp = [&](const QUrl& url) {
        opened.push_back(url);
        return true;
    };
    runAsAdmin([&](CTrellisDlg& sheet) {
        ASSERT_EQ(sheet.HelpButton()->text(), "?");
        for (int page = 0; page < sheet.GetPageCount(); ++page) {
            sheet.SetActivePage(page);
            sheet.HelpButton()->click();
        }
        sheet.SetActivePage(3);
        QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
        QCoreApplication::sendEvent(&sheet, &f1);
        sheet.CancelButton()->click();
    });
    std::vector<QString> sections;
    for (const QUrl& url : opened)
        sections.push_back(url.fragment());
    EXPECT_EQ(sections,
              (std::vector<QString>{"page-system", "page-channel", "page-ganging", "page-gpi",
                                    "page-panel", "page-remote", "page-security", "page-gpi"}));
    // Every section asked for is in the page that is opened.
    ASSERT_FALSE(opened.empty());
    QFile help(opened[0].toLocalFile());
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QByteArray text = help.readAll();
    for (const QString& section : sections)
        EXPECT_TRUE(text.contains("id=\"" + section.toUtf8() + "\"")) << section.toStdString();
    EXPECT_EQ(script.unexpectedCount(), 0);
}
