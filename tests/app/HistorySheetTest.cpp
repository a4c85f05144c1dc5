// The History page button over the stand-in server: the entries listed, two compared in the
// review's words, and an entry taken back through the review and commit.

#include "SheetFixture.h"
#include "app/HistoryDlg.h"
#include "app/HistoryModel.h"

#include <QPlainTextEdit>

namespace {

constexpr int kHistoryButton = 3;
const std::string kAudioReferenceElement = "./Config/System/SystemAudioReference";
const std::string kFirstVideoInput = "//VideoInput[@id='VideoIn1']";

QString rowText(CHistoryDlg& history, int row) {
    return history.Model()->index(row).data().toString();
}

class HistorySheetTest : public SheetTest {
protected:
    // Commits one change, as a user would, in a session of its own.
    void commitChange(const std::string& element, const char* attribute, const char* value) {
        runAsAdmin([&](CTrellisDlg& sheet) {
            CConfigState().PutAttributeValue(element, attribute, Variant(value), true, true);
            commitWithOk(sheet);
        });
    }
    // Runs the History dialog the next History button opens.
    void answerHistory(const std::function<int(CHistoryDlg&)>& operate) {
        script.answerDialog([operate](QDialog& dialog) {
            auto* history = dynamic_cast<CHistoryDlg*>(&dialog);
            EXPECT_NE(history, nullptr);
            return history ? operate(*history) : IDCANCEL;
        });
    }
    // Answers the comparison the next Compare shows; keeps its heading and lines.
    void answerComparison() {
        script.answerDialog([this](QDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Compare");
            comparedHeading = dialog.findChild<QLabel*>("CompareHeading")->text().toStdString();
            compared =
                dialog.findChild<QPlainTextEdit*>("Differences")->toPlainText().toStdString();
            return IDOK;
        });
    }

    std::string comparedHeading;
    std::string compared;
};

} // namespace

TEST_F(HistorySheetTest, GoingBackToTheFirstOfThreeCommitsPassesThroughTheReviewAndStoresIt) {
    commitChange(kTimeOfDay, "timeOfDaySource", "Ltc");
    const std::string first = committed();
    commitChange(kAudioReferenceElement, "audioUnityLevel", "8");
    commitChange(kFirstVideoInput, "videoInputFormat", "Format1080_29_97Hz_2To1");

    std::vector<HistoryEntry> entries;
    ASSERT_EQ(server->history().ListHistory(0, 10, entries), S_OK);
    ASSERT_EQ(entries.size(), 4u); // the default, then the three commits
    const qint64 firstCommit = entries[2].id;
    runAsAdmin([&](CTrellisDlg& sheet) {
        answerHistory([&](CHistoryDlg& history) {
            EXPECT_EQ(history.Model()->rowCount(), 4);
            // Newest first, each with who committed it, its summary and what restarted.
            const QString newest = rowText(history, 0);
            EXPECT_TRUE(newest.startsWith(QStringLiteral("Entry %1 \u00B7 ").arg(entries[0].id)))
                << newest.toStdString();
            EXPECT_TRUE(newest.contains(" \u00B7 admin (")) << newest.toStdString();
            EXPECT_TRUE(newest.endsWith("\n1 change: Channel C1 \u00B7 Restarted: C1"))
                << newest.toStdString();
            EXPECT_TRUE(rowText(history, 3)
                            .endsWith(" \u00B7 the server\nThe default "
                                      "configuration (Format525_29_97Hz_2To1) "
                                      "was stored on first use."));

            history.TouchRow(2);
            const std::string report = history.Report()->toPlainText().toStdString();
            EXPECT_EQ(report.find("Entry " + std::to_string(firstCommit) + ", committed "), 0u)
                << report;
            EXPECT_NE(report.find("\n\n1 change: System\n"), std::string::npos) << report;

            // The first and the last commit, touched newest first, compare oldest first.
            history.TouchRow(0);
            answerComparison();
            history.CompareButton()->click();
            EXPECT_EQ(comparedHeading.find("From entry " + std::to_string(firstCommit) + " of "),
                      0u)
                << comparedHeading;
            EXPECT_NE(comparedHeading.find(" to entry " + std::to_string(entries[0].id) + " of "),
                      std::string::npos);
            EXPECT_EQ(compared,
                      "Audio Reference \u203A Audio reference level: +4 dBu \u2192 +8 dBu\n"
                      "C1 \u203A Recorder Setup \u203A Video input format: NTSC (SD) "
                      "\u2192 1080i");

            history.TouchRow(0); // unmarks the last: Load takes one entry
            EXPECT_TRUE(history.LoadButton()->isEnabled());
            history.LoadButton()->click();
            return history.result();
        });
        sheet.PressWizardButton(kHistoryButton);
        EXPECT_EQ(read(std::string(kTimeOfDay) + "/@timeOfDaySource"), "Ltc");
        EXPECT_EQ(read(kAudioReferenceElement + "/@audioUnityLevel"), "4");
        commitWithOk(sheet);
    });
    EXPECT_EQ(reviewLines,
              (std::vector<std::string>{
                  "System", "Audio Reference \u203A Audio reference level: +8 dBu \u2192 +4 dBu",
                  "Channel C1", "Recorder Setup \u203A Video input format: 1080i \u2192 NTSC (SD)",
                  "Channel C1 goes offline to restart."}));
    EXPECT_EQ(committed(), first);
    const QString firstVersion = entries[2].version;
    ASSERT_EQ(server->history().ListHistory(0, 1, entries), S_OK);
    EXPECT_EQ(entries[0].version, firstVersion);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(HistorySheetTest, TheReadOnlyViewReadsAndComparesTheHistoryButLoadsNothing) {
    commitChange(kTimeOfDay, "timeOfDaySource", "Ltc");
    run({hostName(), "operator", "operator"},
        [&](CTrellisDlg& sheet) {
            answerHistory([&](CHistoryDlg& history) {
                EXPECT_EQ(history.Model()->rowCount(), 2);
                history.TouchRow(1); // the default: one entry compares with the sheet
                answerComparison();
                history.CompareButton()->click();
                EXPECT_EQ(comparedHeading.find("From entry "), 0u);
                EXPECT_NE(comparedHeading.find(" to the sheet's configuration"), std::string::npos);
                EXPECT_EQ(compared,
                          "Time Of Day \u203A Time of day source: System Clock \u2192 LTC Input");
                script.answer(IDOK);
                history.LoadButton()->click();
                EXPECT_EQ(script.last().text,
                          "You are not authorized to change configuration settings.");
                EXPECT_EQ(script.last().caption, "Security");
                EXPECT_EQ(history.result(), 0); // still open
                return IDCANCEL;
            });
            sheet.PressWizardButton(kHistoryButton);
            EXPECT_EQ(read(std::string(kTimeOfDay) + "/@timeOfDaySource"), "Ltc");
            EXPECT_FALSE(sheet.GetConfigState()->IsConfigDirty());
            sheet.CancelButton()->click();
        },
        {IDIGNORE}); // the read-only view
    EXPECT_EQ(script.unexpectedCount(), 0);
}
