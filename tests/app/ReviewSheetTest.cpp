// OK shows what a commit would change before it commits: the review lists exactly the
// document's differences, Back commits nothing, and a saved configuration keeps a report.

#include "SheetFixture.h"

#include "channel/ChannelDlg.h"
#include "channel/ChannelPage.h"
#include "items/ConfigChoiceItem.h"
#include "pages/GpiDialogs.h"
#include "pages/GpiPage.h"
#include "pages/PanelPage.h"
#include "platform/StringIds.h"
#include "state/ConfigDiff.h"

#include <QPushButton>

#include <random>

namespace {

constexpr const char* kTimeOfDay = "./Config/System/TimeOfDay";

// Every shown choice row of the pages that have rows, but the reference standard, whose
// change commits at once.
std::vector<CConfigChoiceItem*> choiceRows(CTrellisDlg& sheet) {
    std::vector<CConfigListCtrl*> lists = {sheet.SystemPage()->List()};
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        if (auto* channels = dynamic_cast<CChannelPage*>(sheet.GetPage(i))) {
            for (int slot = 0; slot < channels->ChannelCount(); ++slot)
                lists.push_back(channels->Dialog(slot)->List());
        } else if (auto* gpi = dynamic_cast<CGpiPage*>(sheet.GetPage(i))) {
            lists.push_back(gpi->InputDialog()->List());
            lists.push_back(gpi->OutputDialog()->List());
        } else if (auto* panel = dynamic_cast<CPanelPage*>(sheet.GetPage(i))) {
            lists.push_back(panel->List());
        }
    }
    std::vector<CConfigChoiceItem*> rows;
    for (CConfigListCtrl* list : lists) {
        for (std::size_t i = 0; list && i < list->ItemCount(); ++i) {
            auto* choice = dynamic_cast<CConfigChoiceItem*>(list->ItemAt(i));
            if (choice && choice->IsVisible() && choice->ChoiceCount() > 0 &&
                !(choice->InterlockFlags() & INTERLOCK_REFERENCE_STANDARD))
                rows.push_back(choice);
        }
    }
    return rows;
}

std::string startText() {
    return CConfigState().GetInitialConfig();
}

} // namespace

TEST_F(SheetTest, TheReviewListsExactlyTheChangesThatMakeTheStartIntoWhatIsCommitted) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 4; ++round) {
        std::string start;
        std::string shown;
        runAsAdmin([&](CTrellisDlg& sheet) {
            start = startText();
            // Random touches on random rows, each followed by its rules.
            for (int touch = 0; touch < 12; ++touch) {
                const std::vector<CConfigChoiceItem*> rows = choiceRows(sheet);
                ASSERT_FALSE(rows.empty());
                CConfigChoiceItem* row = rows[random() % rows.size()];
                script.answer(static_cast<int>(random() % row->ChoiceCount()) + 1);
                row->TrackPopup(QPoint());
                QCoreApplication::sendPostedEvents();
                script.clear(); // a rule's question is declined
            }
            const ConfigReview review = sheet.ReviewChanges();
            // Every difference is listed once, by a row or as itself.
            EXPECT_EQ(review.ListedChangeCount(), review.differences.size());
            XmlDocument applied;
            ASSERT_EQ(applied.loadXml(start), S_OK);
            ASSERT_TRUE(ApplyConfigChanges(applied.documentNode(), review.DocumentChanges()));
            std::shared_ptr<XmlDocument> now;
            CConfigState().GetConfigDocument(now);
            shown = applied.xml();
            EXPECT_EQ(shown, now->xml()) << "round " << round;
            answerReview();
            answerOutcome();
            sheet.OkButton()->click();
        });
        EXPECT_EQ(result, IDOK);
        // What the server holds is the start with the listed changes.
        XmlDocument stored;
        ASSERT_EQ(stored.loadXml(committed()), S_OK);
        EXPECT_EQ(stored.xml(), shown) << "round " << round;
    }
}

TEST_F(SheetTest, BackCommitsNothingAndKeepsTheChangesToGoOn) {
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CConfigItem* source = systemItem(sheet, IDS_TIME_OF_DAY_SOURCE);
        ASSERT_NE(source, nullptr);
        write(kTimeOfDay, "timeOfDaySource", "Ltc");
        answerReview(IDCANCEL);
        sheet.OkButton()->click();
        EXPECT_EQ(sheet.result(), 0); // still open
        EXPECT_EQ(script.last().caption, "Review Changes");
        ASSERT_EQ(reviewLines.size(), 3u);
        EXPECT_EQ(reviewLines[0], "System");
        EXPECT_EQ(reviewLines[1],
                  "Time Of Day \u203A " + source->Label() + " System Clock \u2192 LTC Input");
        EXPECT_EQ(reviewLines[2], ""); // no channel restarts
        EXPECT_TRUE(committed() == before);
        EXPECT_TRUE(source->DiffersFromStart());

        // Set back, there is nothing to review and nothing to tell.
        write(kTimeOfDay, "timeOfDaySource", "Windows");
        script.clear();
        sheet.OkButton()->click();
        EXPECT_EQ(script.questions().size(), 0u);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(committed() == before);
}

TEST_F(SheetTest, ASavedConfigurationKeepsTheReportOfItsChangesBesideIt) {
    const QString base = files.filePath("studio");
    runAsAdmin([&](CTrellisDlg& sheet) {
        write(kTimeOfDay, "timeOfDaySource", "Ltc");
        script.answerFile(base.toStdString());
        sheet.PressWizardButton(0);
        sheet.CancelButton()->click();
    });
    QFile report(ChangeReportPath(base + ".xml"));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly)) << report.fileName().toStdString();
    const std::string text = report.readAll().toStdString();
    EXPECT_EQ(report.fileName(), base + ".changes.txt");
    EXPECT_TRUE(text.starts_with("Changes since the session started, saved with studio.xml on "))
        << text;
    EXPECT_NE(text.find("\n\nSystem\n  Time Of Day \u203A Time of day source: System Clock "
                        "\u2192 LTC Input\n"),
              std::string::npos)
        << text;
}

TEST_F(SheetTest, AReportThatCannotBeWrittenIsToldAndTheConfigurationIsKept) {
    const QString base = files.filePath("studio");
    // A folder where the report would go.
    ASSERT_TRUE(QDir(files.path()).mkdir("studio.changes.txt"));
    runAsAdmin([&](CTrellisDlg& sheet) {
        script.answerFile(base.toStdString());
        script.answer(IDOK);
        sheet.PressWizardButton(0);
        EXPECT_EQ(script.last().caption, "Save As");
        EXPECT_TRUE(script.last().text.starts_with("The configuration was saved, but the report "
                                                   "of its changes could not be written to " +
                                                   (base + ".changes.txt").toStdString() + ": "))
            << script.last().text;
        sheet.CancelButton()->click();
    });
    EXPECT_TRUE(QFile::exists(base + ".xml"));
}
