// The Ganging and GPI pages in the sheet against the embedded server.

#include "SheetFixture.h"

#include "items/ConfigMaskItem.h"
#include "pages/GangDlg.h"
#include "pages/GangPage.h"
#include "pages/GpiDialogs.h"
#include "pages/GpiPage.h"
#include "support/ListRows.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

TEST_F(SheetTest, TwoChannelsGangedAndAGpiInputForTheThirdAreCommittedAndNothingElse) {
    storeConfiguration([](XmlDocument& document) {
        document.documentNode().selectSingleNode("//Channel[@id='C1']/@loop").setValue("true");
    });
    const std::string before = committed();
    runAsAdmin([&](CTrellisDlg& sheet) {
        CGangPage* gang = showPage<CGangPage>(sheet);
        ASSERT_NE(gang, nullptr);
        gang->Dialog()->ChoiceButton(0, 1)->click(); // C1 into Gang 1
        QCoreApplication::sendPostedEvents();
        gang->Dialog()->ChoiceButton(1, 1)->click(); // C2 into Gang 1
        QCoreApplication::sendPostedEvents();

        // The third input, so far C2's alone, triggers C3 as well.
        CGpiPage* gpi = showPage<CGpiPage>(sheet);
        ASSERT_NE(gpi, nullptr);
        CConfigListCtrl* inputs = gpi->InputDialog()->List();
        CConfigItem* trigger = RowWithLabel(*inputs, "Trigger channel(s):", 2);
        ASSERT_NE(trigger, nullptr);
        EXPECT_EQ(ShownValue(trigger), "C2 ");
        script.answerDialog([](QDialog& shown) {
            static_cast<CConfigMaskDlg&>(shown).CheckBoxes().at(2)->click();
            return IDOK;
        });
        ASSERT_TRUE(trigger->TrackPopup(QPoint()));
        QCoreApplication::sendPostedEvents();
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(script.unexpectedCount(), 0);
    // The review showed each column's change as the page shows it.
    for (const char* line :
         {"Ganging of C1: Not ganged \u2192 Gang 1", "Ganging of C2: Not ganged \u2192 Gang 1"})
        EXPECT_NE(std::find(reviewLines.begin(), reviewLines.end(), line), reviewLines.end())
            << line;
    expectStoredAs(before, committed(), [](const XmlNode& root) {
        root.selectSingleNode("//Channel[@id='C1']/Ganging/@gangIndex").setValue("0");
        root.selectSingleNode("//Channel[@id='C1']/Ganging/@gangOrder").setValue("0");
        root.selectSingleNode("//Channel[@id='C2']/Ganging/@gangIndex").setValue("0");
        root.selectSingleNode("//Channel[@id='C2']/Ganging/@gangOrder").setValue("1");
        root.selectSingleNode("//Channel[@id='C2']/@loop").setValue("true");
        const XmlNode gpi = root.selectSingleNode("//Channel[@id='C3']/Gpi");
        gpi.insertElementBefore("GpiInputComponent", gpi.firstChild("GpiOutputComponent"))
            .setAttribute("id", "GpiIn3");
    });

    // The server took it: a new start shows the gang and the input as committed.
    runAsAdmin([&](CTrellisDlg& sheet) {
        CGangPage* gang = showPage<CGangPage>(sheet);
        ASSERT_NE(gang, nullptr);
        EXPECT_TRUE(gang->Dialog()->ChoiceButton(1, 1)->isChecked());
        sheet.CancelButton()->click();
    });
    std::string reason;
    EXPECT_TRUE(IsUsableConfiguration(committed(), reason)) << reason;
}
