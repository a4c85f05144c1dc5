// The Security page in the sheet against the embedded server: protocol users stored on OK
// and read back by a fresh logon, rejected entries keeping the sheet open, the server's
// permissions dialog.

#include "SheetFixture.h"
#include "support/Touch.h"

#include "pages/ChannelPermissionsDlg.h"
#include "pages/ChannelSecurityDlg.h"
#include "pages/SecurityPage.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr const char* kSecret = "Ingest-Pa55word";

std::string rejectionText(const std::string& id) {
    return "The protocol user information entered for channel " + id +
           " does not resolve to a valid user account.  Please enter correct user information.";
}

} // namespace

class SecuritySheetTest : public SheetTest {
protected:
    void SetUp() override {
        SheetTest::SetUp();
        ASSERT_EQ(server->accounts().setAccount("ingest", kSecret, "", {}), S_OK);
    }
    std::string stored(int channel, const char* field) const {
        std::string value;
        server->protocolUser(channel, field, value);
        return value;
    }
};

TEST_F(SecuritySheetTest, ProtocolUserSetOnOkIsHeldByTheServerAndShownAtTheNextLogon) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        CSecurityPage* page = showPage<CSecurityPage>(sheet);
        ASSERT_NE(page, nullptr);
        ASSERT_GE(page->ChannelCount(), 2);
        page->SelectTab(1);
        enterText(script, page->Dialog(1)->UserEdit(), "ingest");
        enterText(script, page->Dialog(1)->PasswordEdit(), kSecret);
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(stored(1, "user"), "ingest");
    EXPECT_EQ(stored(1, "password"), kSecret);
    EXPECT_EQ(stored(0, "user"), "");
    EXPECT_TRUE(serverLog().contains("User 'admin' set the protocol user name of channel 2: "
                                     "'ingest'"));
    EXPECT_TRUE(serverLog().contains("User 'admin' set the protocol user password of channel 2\n"));
    EXPECT_FALSE(serverLog().contains(kSecret));

    runAsAdmin([&](CTrellisDlg& sheet) {
        CSecurityPage* page = showPage<CSecurityPage>(sheet);
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(page->Dialog(1)->UserEdit()->text(), "ingest");
        EXPECT_EQ(page->Dialog(1)->PasswordEdit()->text(), kSecret);
        EXPECT_EQ(page->Dialog(1)->PasswordEdit()->echoMode(), QLineEdit::Password);
        EXPECT_EQ(page->Dialog(0)->UserEdit()->text(), "");
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(script.questions().back().text.find(kSecret) == std::string::npos);
}

TEST_F(SecuritySheetTest, TwoRejectedChannelsGiveTwoMessagesAndTheSheetStaysOpen) {
    runAsAdmin([&](CTrellisDlg& sheet) {
        CSecurityPage* page = showPage<CSecurityPage>(sheet);
        ASSERT_NE(page, nullptr);
        ASSERT_GE(page->ChannelCount(), 3);
        enterText(script, page->Dialog(0)->UserEdit(), "ingest");
        enterText(script, page->Dialog(0)->PasswordEdit(), "wrong");
        enterText(script, page->Dialog(2)->UserEdit(), "nobody");
        script.clear();
        answerReview();
        script.answer(IDOK);
        script.answer(IDOK);
        sheet.OkButton()->click();
        ASSERT_EQ(script.questions().size(), 3u);
        EXPECT_EQ(script.questions()[0].caption, "Review Changes");
        EXPECT_EQ(script.questions()[1].text, rejectionText(read("//Channel[1]/@id")));
        EXPECT_EQ(script.questions()[2].text, rejectionText(read("//Channel[3]/@id")));
        EXPECT_EQ(script.questions()[2].caption, "Security");
        EXPECT_EQ(sheet.result(), 0);
        EXPECT_TRUE(sheet.isVisible());
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(stored(0, "user"), "");
    EXPECT_EQ(stored(2, "user"), "");
}

TEST_F(SecuritySheetTest, PermissionDialogStoresWhichAccountsMayControlTheChannel) {
    factory.setPermissionsPresenter(&CChannelPermissionsDlg::Present);
    runAsAdmin([&](CTrellisDlg& sheet) {
        CSecurityPage* page = showPage<CSecurityPage>(sheet);
        ASSERT_NE(page, nullptr);
        page->SelectTab(1);
        script.answerDialog([](QDialog& dialog) {
            auto& permissions = static_cast<CChannelPermissionsDlg&>(dialog);
            // Until a list is stored, every account may control the channel.
            for (QCheckBox* box : permissions.Boxes()) {
                EXPECT_TRUE(box->isChecked());
                if (box->text() == "operator")
                    box->setChecked(false);
            }
            return IDOK;
        });
        sheet.PressWizardButton(0);
        EXPECT_EQ(script.last().caption, "Permissions of channel " + read("//Channel[2]/@id"));
        sheet.CancelButton()->click();
    });
    QStringList accounts;
    QStringList allowed;
    ASSERT_EQ(server->channelPermissions(1, accounts, allowed), S_OK);
    EXPECT_TRUE(accounts.contains("operator"));
    EXPECT_FALSE(allowed.contains("operator"));
    EXPECT_TRUE(allowed.contains("admin"));
    // The other channels are as they were.
    ASSERT_EQ(server->channelPermissions(0, accounts, allowed), S_OK);
    EXPECT_EQ(allowed, accounts);
}

TEST_F(SecuritySheetTest, ReadOnlyUserIsRefusedPermissionsByTheServer) {
    ServerSession readOnly{"operator", "", false};
    EXPECT_EQ(server->setChannelPermissions(readOnly, 0, {}), E_ACCESSDENIED);
    EXPECT_EQ(server->setChannelPermissions(ServerSession{"admin", "", true}, 4, {}), E_INVALIDARG);
}
