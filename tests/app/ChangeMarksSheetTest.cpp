// The page and channel tabs mark where settings differ from how the session started,
// through changes, a change back, Load, Restore and the entries that live outside the
// configuration document.

#include "SheetFixture.h"
#include "support/Touch.h"

#include "channel/ChannelDlg.h"
#include "channel/ChannelPage.h"
#include "pages/ChannelSecurityDlg.h"
#include "pages/PanelPage.h"
#include "pages/SecurityPage.h"
#include "platform/TouchTab.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr const char* kPanel = "./Config/Panel";

// Names of the marked page tabs, after the marks are brought up to date.
std::vector<std::string> markedPages(CTrellisDlg& sheet) {
    sheet.UpdateChangeMarks();
    std::vector<std::string> names;
    for (int index = 0; index < sheet.GetPageCount(); ++index) {
        if (sheet.IsPageMarked(index))
            names.push_back(sheet.GetPage(index)->PageName().toStdString());
    }
    return names;
}

// The first row of the dialog bound to a plain attribute: its element XPath and attribute.
std::pair<std::string, std::string> firstBoundRow(const CChannelDlg& dialog) {
    for (std::size_t i = 0; i < dialog.List()->ItemCount(); ++i) {
        CConfigItem* item = dialog.List()->ItemAt(i);
        std::string element;
        std::string attribute;
        item->GetXPath(element, attribute);
        if (!element.empty() && !attribute.empty() && !(item->Flags() & ITEM_UNBOUND))
            return {element, attribute};
    }
    return {};
}

} // namespace

TEST_F(SheetTest, TabMarksFollowTheDocumentsThroughChangesLoadAndRestore) {
    const std::string saved = files.filePath("start.xml").toStdString();
    runAsAdmin([&](CTrellisDlg& sheet) {
        EXPECT_EQ(markedPages(sheet), std::vector<std::string>{});
        script.answerFile(saved);
        sheet.PressWizardButton(0); // Save, as the session started

        CChannelPage* channels = showPage<CChannelPage>(sheet);
        ASSERT_NE(channels, nullptr);
        ASSERT_GE(channels->ChannelCount(), 2);
        const auto [element, attribute] = firstBoundRow(*channels->Dialog(1));
        ASSERT_FALSE(element.empty());
        const std::string startVar = read(std::string(kPanel) + "/@varSetting");
        write(element, attribute.c_str(), "changed-by-test");
        write(kPanel, "varSetting", startVar == "0.75" ? "0.25" : "0.75");
        EXPECT_EQ(markedPages(sheet), (std::vector<std::string>{"Channel", "Panel"}));
        EXPECT_FALSE(channels->Tabs()->IsTabMarked(0));
        EXPECT_TRUE(channels->Tabs()->IsTabMarked(1));

        // Changed back, the Panel page is no longer marked.
        write(kPanel, "varSetting", startVar.c_str());
        EXPECT_EQ(markedPages(sheet), std::vector<std::string>{"Channel"});

        // Load brings back the document as it started; Restore the defaults, which this
        // server started with.
        script.answerFile(saved);
        sheet.PressWizardButton(1);
        EXPECT_EQ(markedPages(sheet), std::vector<std::string>{});
        write(kPanel, "varSetting", "0.25");
        script.answer(IDYES);
        sheet.PressWizardButton(2);
        EXPECT_EQ(markedPages(sheet), std::vector<std::string>{});

        // A protocol user entry marks the Security page and its channel's tab.
        CSecurityPage* security = showPage<CSecurityPage>(sheet);
        ASSERT_NE(security, nullptr);
        enterText(script, security->Dialog(2)->UserEdit(), "someone");
        EXPECT_EQ(markedPages(sheet), std::vector<std::string>{"Security"});
        EXPECT_TRUE(security->Tabs()->IsTabMarked(2));
        EXPECT_FALSE(security->Tabs()->IsTabMarked(0));
        script.answer(IDYES); // discard
        sheet.CancelButton()->click();
    });
}
