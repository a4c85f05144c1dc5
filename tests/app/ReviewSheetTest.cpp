// OK shows what a commit would change before it commits: the review lists exactly the
// document's differences, Back commits nothing, and a saved configuration keeps a report.

#include "SheetFixture.h"

#include "channel/ChannelDlg.h"
#include "channel/ChannelPage.h"
#include "items/ConfigChoiceItem.h"
#include "items/ConfigSliderItem.h"
#include "pages/GpiDialogs.h"
#include "pages/GpiPage.h"
#include "pages/PanelPage.h"
#include "platform/ConfigDiff.h"
#include "platform/StringIds.h"
#include "platform/TouchTab.h"
#include "review/ReviewText.h"

#include <QPushButton>

#include <map>
#include <random>

namespace {

// A list of rows and the review group it is listed in.
struct ListedRows {
    std::string page;
    std::string channel;
    CConfigListCtrl* list;
};

std::vector<ListedRows> rowLists(CTrellisDlg& sheet) {
    std::vector<ListedRows> lists = {{"System", "", sheet.SystemPage()->List()}};
    for (int i = 0; i < sheet.GetPageCount(); ++i) {
        if (auto* channels = dynamic_cast<CChannelPage*>(sheet.GetPage(i))) {
            for (int slot = 0; slot < channels->ChannelCount(); ++slot)
                lists.push_back({"Channel", channels->Tabs()->tabText(slot).toStdString(),
                                 channels->Dialog(slot)->List()});
        } else if (auto* gpi = dynamic_cast<CGpiPage*>(sheet.GetPage(i))) {
            lists.push_back({"GPI", "", gpi->InputDialog()->List()});
            lists.push_back({"GPI", "", gpi->OutputDialog()->List()});
        } else if (auto* panel = dynamic_cast<CPanelPage*>(sheet.GetPage(i))) {
            lists.push_back({"Panel", "", panel->List()});
        }
    }
    return lists;
}

// Every shown choice and slider row of the pages that have rows, but the reference
// standard, whose change commits at once.
std::vector<CConfigItem*> touchableRows(CTrellisDlg& sheet) {
    std::vector<CConfigItem*> rows;
    for (const ListedRows& listed : rowLists(sheet)) {
        for (std::size_t i = 0; listed.list && i < listed.list->ItemCount(); ++i) {
            CConfigItem* row = listed.list->ItemAt(i);
            auto* choice = dynamic_cast<CConfigChoiceItem*>(row);
            if (row->IsVisible() &&
                ((choice && choice->ChoiceCount() > 0) || dynamic_cast<CConfigSliderItem*>(row)) &&
                !(row->InterlockFlags() & INTERLOCK_REFERENCE_STANDARD))
                rows.push_back(row);
        }
    }
    return rows;
}

// Where a row is and what it is: its group, label and binding.
std::string rowKey(const ListedRows& listed, CConfigItem& row) {
    return listed.page + "|" + listed.channel + "|" + row.Label() + "|" + row.Binding();
}

// What every shown row shows, by rowKey.
std::map<std::string, std::string> shownTexts(CTrellisDlg& sheet) {
    std::map<std::string, std::string> texts;
    for (const ListedRows& listed : rowLists(sheet)) {
        for (std::size_t i = 0; listed.list && i < listed.list->ItemCount(); ++i) {
            CConfigItem* row = listed.list->ItemAt(i);
            std::string text;
            if (row->IsVisible() && row->GetValueText(text) == 0)
                texts.emplace(rowKey(listed, *row), text);
        }
    }
    return texts;
}

// Every shown row that shows another value than at the start is marked changed; every
// shown row marked changed is an entry of its group with both values as the row showed
// them; and no entry of a row that differs says it was set back.
void expectRowsListedAsShown(CTrellisDlg& sheet, const ConfigReview& review,
                             const std::map<std::string, std::string>& startTexts) {
    for (const ListedRows& listed : rowLists(sheet)) {
        for (std::size_t i = 0; listed.list && i < listed.list->ItemCount(); ++i) {
            CConfigItem* row = listed.list->ItemAt(i);
            const bool differs = row->DiffersFromStart();
            std::string now;
            row->GetValueText(now);
            for (const ReviewGroup& group : review.groups) {
                if (group.page != listed.page || group.channel != listed.channel)
                    continue;
                for (const ReviewEntry& entry : group.entries) {
                    if (!entry.label.ends_with(row->Label()))
                        continue;
                    EXPECT_FALSE(differs && entry.setBack) << EntryLine(entry);
                }
            }
            const auto start = startTexts.find(rowKey(listed, *row));
            // A row that shows another value than at the start is marked, unless it holds
            // its value itself (a tag, a GPI output's channel) and so cannot tell.
            const bool holdsItsValue =
                (row->Flags() & (ITEM_LOCAL | ITEM_UNBOUND)) && !row->HasGetCallback();
            if (row->IsVisible() && !holdsItsValue && start != startTexts.end() &&
                start->second != now) {
                EXPECT_TRUE(differs)
                    << rowKey(listed, *row) << " shows " << start->second << " -> " << now;
            }
            if (!row->IsVisible() || !differs)
                continue;
            bool found = false;
            for (const ReviewGroup& group : review.groups) {
                for (const ReviewEntry& entry : group.entries) {
                    found =
                        found || (group.page == listed.page && group.channel == listed.channel &&
                                  entry.label.ends_with(row->Label()) && entry.after == now &&
                                  (start == startTexts.end() || entry.before == start->second));
                }
            }
            EXPECT_TRUE(found) << rowKey(listed, *row) << " shows "
                               << (start == startTexts.end() ? "?" : start->second) << " -> "
                               << now;
        }
    }
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
            const std::map<std::string, std::string> startTexts = shownTexts(sheet);
            // Random touches on random rows, each followed by its rules.
            for (int touch = 0; touch < 12; ++touch) {
                const std::vector<CConfigItem*> rows = touchableRows(sheet);
                ASSERT_FALSE(rows.empty());
                CConfigItem* row = rows[random() % rows.size()];
                if (auto* choice = dynamic_cast<CConfigChoiceItem*>(row)) {
                    script.answer(static_cast<int>(random() % choice->ChoiceCount()) + 1);
                } else {
                    const int position = static_cast<int>(random() % 9) * 3;
                    script.answerDialog([position](QDialog& slider) {
                        static_cast<CConfigSliderDlg&>(slider).MoveTo(position);
                        return IDOK;
                    });
                }
                row->TrackPopup(QPoint());
                QCoreApplication::sendPostedEvents();
                script.clear(); // a rule's question is declined
            }
            const ConfigReview review = sheet.ReviewChanges();
            expectRowsListedAsShown(sheet, review, startTexts);
            // Every difference is listed once, by a row or as itself.
            EXPECT_EQ(review.ListedChangeCount(), review.differences.size());
            XmlDocument applied;
            ASSERT_EQ(applied.loadXml(start), S_OK);
            ASSERT_TRUE(ApplyConfigChanges(applied.documentNode(), review.DocumentChanges()));
            std::shared_ptr<XmlDocument> now;
            CConfigState().GetConfigDocument(now);
            shown = applied.xml();
            EXPECT_EQ(shown, now->xml()) << "round " << round;
            commitWithOk(sheet);
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
