#include "platform/TouchPropertySheet.h"

#include <QCoreApplication>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class Page : public CTouchPropertyPage {
public:
    using CTouchPropertyPage::CTouchPropertyPage;
    int handled = -1;
    bool OnWizardButton(int index) override {
        handled = index;
        // Changing the buttons from inside a button's own click must be safe.
        AddWizardButton(QStringLiteral("More"));
        return true;
    }
};

class Sheet : public CTouchPropertySheet {
public:
    Sheet() : CTouchPropertySheet(QStringLiteral("Configuration for test"), QSize(620, 460)) {}
    using CTouchPropertySheet::reject;
    std::vector<int> commands;
    int oks = 0;
    int cancels = 0;

protected:
    void OnWizardButtons(int commandId) override {
        commands.push_back(commandId);
        if (auto* page = GetActivePage())
            page->OnWizardButton(commandId - ID_WIZARD_BUTTON_FIRST);
    }
    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
};

QStringList visibleButtonTexts(const QWidget& sheet) {
    QStringList texts;
    for (const QPushButton* button : sheet.findChildren<QPushButton*>()) {
        if (button->isVisibleTo(&sheet))
            texts << button->text();
    }
    return texts;
}

} // namespace

TEST(TouchPropertySheet, PageButtonsFollowTheActivePage) {
    Sheet sheet;
    Page first(QStringLiteral("First"));
    Page second(QStringLiteral("Second"));
    first.Create(&sheet);
    second.Create(&sheet);
    first.AddWizardButton(QStringLiteral("Save"));
    EXPECT_EQ(second.AddWizardButton(QStringLiteral("Permission")), ID_WIZARD_BUTTON_FIRST);
    sheet.AddPage(&first);
    sheet.AddPage(&second);
    sheet.SetActivePage(&second);
    EXPECT_EQ(sheet.GetActivePage(), &second);
    EXPECT_TRUE(visibleButtonTexts(sheet).contains("Permission"));
    EXPECT_FALSE(visibleButtonTexts(sheet).contains("Save"));

    sheet.SetActivePage(0);
    for (QPushButton* button : sheet.findChildren<QPushButton*>()) {
        if (button->text() == "Save" && button->isVisibleTo(&sheet))
            button->click();
    }
    EXPECT_EQ(sheet.commands, std::vector<int>{ID_WIZARD_BUTTON_FIRST});
    EXPECT_EQ(first.handled, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(visibleButtonTexts(sheet).contains("More"));

    sheet.OkButton()->click();
    sheet.CancelButton()->click();
    sheet.reject(); // closing the window is Cancel
    EXPECT_EQ(sheet.oks, 1);
    EXPECT_EQ(sheet.cancels, 2);
}

TEST(TouchPropertySheet, TheHelpButtonIsAFingersSizeAndOkAndCancelStayOnTheSheet) {
    Sheet sheet;
    Page page(QStringLiteral("First"));
    page.Create(&sheet);
    page.AddWizardButton(QStringLiteral("Save"));
    sheet.AddPage(&page);
    sheet.show();
    QCoreApplication::processEvents();
    // 48 px is the least a finger hits reliably.
    EXPECT_GE(sheet.HelpButton()->height(), 48);
    EXPECT_GE(sheet.HelpButton()->width(), 48);
    for (const QPushButton* button : {sheet.OkButton(), sheet.CancelButton()}) {
        EXPECT_TRUE(sheet.rect().contains(button->geometry())) << button->text().toStdString();
        EXPECT_GE(button->height(), 48) << button->text().toStdString();
    }
}
