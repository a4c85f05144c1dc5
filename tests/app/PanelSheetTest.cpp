// The Panel page in the sheet against the embedded server.

#include "SheetFixture.h"

#include "pages/PanelPage.h"
#include "platform/StringIds.h"

#include <QDir>
#include <QPushButton>

namespace {

std::string shownValue(CPanelPage& page, int labelId) {
    std::string text;
    if (CConfigItem* item = page.List()->FindItem(labelId))
        item->GetValueText(text);
    return text;
}

} // namespace

TEST_F(SheetTest, PanelChangesAreCommittedAndNothingElse) {
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CPanelPage* page = showPage<CPanelPage>(sheet);
        ASSERT_NE(page, nullptr);
        script.answer(1); // -16X to 16X
        ASSERT_TRUE(page->List()->FindItem(IDS_SHUTTLE_SPEED)->TrackPopup(QPoint()));
        script.answer(3); // 0.75X
        ASSERT_TRUE(page->List()->FindItem(IDS_VAR_SETTING)->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents();
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(script.unexpectedCount(), 0);
    expectStoredAs(before, committed(), [](const XmlNode& root) {
        root.selectSingleNode("//Panel/@shuttleSpeedMin").setValue("-16");
        root.selectSingleNode("//Panel/@shuttleSpeedMax").setValue("16");
        root.selectSingleNode("//Panel/@varSetting").setValue("0.75");
    });

    // A new logon shows what the server holds.
    runAsAdmin([&](CTrellisDlg& sheet) {
        CPanelPage* page = showPage<CPanelPage>(sheet);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(shownValue(*page, IDS_SHUTTLE_SPEED), "-16X to 16X");
        EXPECT_EQ(shownValue(*page, IDS_VAR_SETTING), "0.75X");
        sheet.CancelButton()->click();
    });
}

TEST_F(SheetTest, ACommitTheHistoryCannotRecordIsMadeAndTheNoticeSaysSo) {
    // A folder where the history's database should be: it cannot be opened.
    ASSERT_TRUE(QDir(dir.path()).mkdir("history.sqlite"));
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CPanelPage* page = showPage<CPanelPage>(sheet);
        ASSERT_NE(page, nullptr);
        script.answer(3); // 0.75X
        ASSERT_TRUE(page->List()->FindItem(IDS_VAR_SETTING)->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents();
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    expectStoredAs(before, committed(), [](const XmlNode& root) {
        root.selectSingleNode("//Panel/@varSetting").setValue("0.75");
    });
    ASSERT_EQ(script.last().caption, "Changes Committed");
    EXPECT_EQ(script.last().text,
              "Committed: Panel (1 change).\nNo channel restarted.\nThe server's history could "
              "not record this commit: The history database " +
                  dir.filePath("history.sqlite").toStdString() +
                  " could not be opened: unable to open database file");
}
