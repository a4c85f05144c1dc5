#include "pages/SecurityPage.h"
#include "pages/ChannelPermissionsDlg.h"
#include "pages/ChannelSecurityDlg.h"

#include "platform/TouchTab.h"
#include "server/ISecurity.h"
#include "support/DocumentTest.h"
#include "support/Touch.h"

#include <QCheckBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <map>

namespace {

// Channels in an order and with ids of their own: the page goes by document order.
constexpr const char* kThreeChannels = R"(<Config>
  <Channel channelIndex="0" id="Studio A"/>
  <Channel channelIndex="1" id="Studio B"/>
  <Channel channelIndex="2" id="Ingest"/>
</Config>)";

constexpr const char* kSecret = "s3cret-Pa55";

std::string rejectionText(const std::string& id) {
    return "The protocol user information entered for channel " + id +
           " does not resolve to a valid user account.  Please enter correct user information.";
}

// A security service that records each call; the accounts it resolves are listed.
class FakeSecurity : public ISecurity {
public:
    std::map<int, ProtocolUserInfo> stored;
    std::vector<std::string> calls; // "Operation channel"
    std::vector<std::string> validAccounts{"ops|" + std::string(kSecret) + "|"};
    HRESULT putFailure = S_OK;
    HRESULT permissionsAnswer = S_OK;

    HRESULT GetChannelUser(int channel, std::string& text) override {
        return get(channel, &ProtocolUserInfo::userName, text);
    }
    HRESULT GetChannelPassword(int channel, std::string& text) override {
        return get(channel, &ProtocolUserInfo::password, text);
    }
    HRESULT GetChannelDomain(int channel, std::string& text) override {
        return get(channel, &ProtocolUserInfo::domain, text);
    }
    HRESULT PutChannelUser(int channel, const std::string& text) override {
        return put("PutChannelUser", channel, &ProtocolUserInfo::userName, text);
    }
    HRESULT PutChannelPassword(int channel, const std::string& text) override {
        return put("PutChannelPassword", channel, &ProtocolUserInfo::password, text);
    }
    HRESULT PutChannelDomain(int channel, const std::string& text) override {
        return put("PutChannelDomain", channel, &ProtocolUserInfo::domain, text);
    }
    HRESULT ValidateUser(const std::string& user, const std::string& password,
                         const std::string& domain, bool& valid) override {
        calls.push_back("ValidateUser " + user + "|" + domain);
        const std::string key = user + "|" + password + "|" + domain;
        valid = std::find(validAccounts.begin(), validAccounts.end(), key) != validAccounts.end();
        return S_OK;
    }
    HRESULT ShowPermissions(int channel, const std::string& channelId) override {
        calls.push_back("ShowPermissions " + std::to_string(channel) + " " + channelId);
        return permissionsAnswer;
    }

private:
    HRESULT get(int channel, std::string ProtocolUserInfo::*field, std::string& text) {
        text = stored[channel].*field;
        return S_OK;
    }
    HRESULT put(const char* name, int channel, std::string ProtocolUserInfo::*field,
                const std::string& text) {
        calls.push_back(std::string(name) + " " + std::to_string(channel));
        if (FAILED(putFailure) && field == &ProtocolUserInfo::password)
            return putFailure;
        stored[channel].*field = text;
        return S_OK;
    }
};

} // namespace

class SecurityPageTest : public DocumentTest {
protected:
    void TearDown() override {
        page.reset();
        state.SetServices(nullptr, nullptr, nullptr);
        DocumentTest::TearDown();
    }

    void build(const std::string& text = kThreeChannels, bool authorized = true,
               bool withSecurity = true) {
        useDocument(text, authorized);
        state.SetServices(nullptr, log, withSecurity ? security : nullptr);
        page = std::make_unique<CSecurityPage>();
        page->resize(620, 360);
        page->Create(nullptr);
        page->show();
    }
    CChannelSecurityDlg& dialog(int index) const { return *page->Dialog(index); }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& question : script.questions())
            texts.push_back(question.caption + ": " + question.text);
        return texts;
    }
    // Nothing the user saw and nothing logged carries the password.
    void expectSecretNowhere() const {
        for (const auto& question : script.questions())
            EXPECT_EQ(question.text.find(kSecret), std::string::npos);
        for (const LogRecord& record : log->records)
            EXPECT_EQ(record.text.find(kSecret), std::string::npos);
        for (int index = 0; index < page->ChannelCount(); ++index)
            EXPECT_FALSE(dialog(index).PasswordEdit()->displayText().contains(kSecret));
    }

    std::shared_ptr<FakeSecurity> security = std::make_shared<FakeSecurity>();
    std::unique_ptr<CSecurityPage> page;
};

TEST_F(SecurityPageTest, ShowsOneTabPerChannelWithItsStoredProtocolUserAndPasswordMasked) {
    security->stored[1] = {"ops", kSecret, "STUDIO"};
    build();
    ASSERT_EQ(page->ChannelCount(), 3);
    EXPECT_EQ(page->Tabs()->tabText(0), "Studio A");
    EXPECT_EQ(page->Tabs()->tabText(1), "Studio B");
    EXPECT_EQ(page->Tabs()->tabText(2), "Ingest");
    EXPECT_EQ(page->WizardButtons(), QStringList{"Permission"});
    EXPECT_EQ(dialog(0).UserEdit()->text(), "");
    EXPECT_EQ(dialog(1).UserEdit()->text(), "ops");
    EXPECT_EQ(dialog(1).DomainEdit()->text(), "STUDIO");
    EXPECT_EQ(dialog(1).PasswordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dialog(1).IsModified());
    EXPECT_TRUE(dialog(0).isVisible());
    EXPECT_FALSE(dialog(1).isVisible());
    // Typed text stays masked too.
    enterText(script, dialog(2).PasswordEdit(), kSecret);
    expectSecretNowhere();
}

TEST_F(SecurityPageTest, EachFieldIsEnteredOnTheKeyboardAndThePasswordOnlyOnTheMaskedOne) {
    security->stored[1] = {"ops", kSecret, "STUDIO"};
    build();
    page->SelectTab(1);
    script.answerText(IDOK, "ops2");
    touch(dialog(1).UserEdit());
    script.answerText(IDOK, "n3w-Secret");
    touch(dialog(1).PasswordEdit());
    script.answer(IDCANCEL);
    touch(dialog(1).DomainEdit());
    ASSERT_EQ(script.questions().size(), 3u);
    using Kind = ScriptedPrompter::Kind;
    EXPECT_EQ(script.questions()[0].kind, Kind::Keyboard);
    EXPECT_EQ(script.questions()[0].caption, "User:");
    EXPECT_EQ(script.questions()[0].text, "ops");
    EXPECT_EQ(script.questions()[1].kind, Kind::SecretKeyboard);
    EXPECT_EQ(script.questions()[1].caption, "Password:");
    EXPECT_EQ(script.questions()[2].caption, "Domain:");
    EXPECT_EQ(script.questions()[2].text, "STUDIO");
    expectSecretNowhere();
    ProtocolUserInfo info;
    dialog(1).GetInfo(info);
    EXPECT_EQ(info.userName, "ops2");
    EXPECT_EQ(info.password, "n3w-Secret");
    EXPECT_EQ(info.domain, "STUDIO");
    EXPECT_TRUE(dialog(1).IsModified());
    // The fields take no typing of their own: a touch is the only way in.
    EXPECT_TRUE(dialog(1).UserEdit()->isReadOnly());
    EXPECT_EQ(dialog(1).PasswordEdit()->focusPolicy(), Qt::NoFocus);
}

TEST_F(SecurityPageTest, CancelledOrUnchangedEntryLeavesTheChannelUntouched) {
    security->stored[0] = {"ops", kSecret, ""};
    build();
    script.answer(IDCANCEL);
    touch(dialog(0).UserEdit());
    script.answerText(IDOK, kSecret);
    touch(dialog(0).PasswordEdit());
    EXPECT_FALSE(dialog(0).IsModified());
    EXPECT_TRUE(page->ApplyProtocolUsers());
    EXPECT_TRUE(security->calls.empty());
}

TEST_F(SecurityPageTest, ReadOnlyUserSeesTabsWithoutPermissionButtonAndATouchIsRefused) {
    security->stored[0] = {"ops", kSecret, ""};
    build(kThreeChannels, false);
    EXPECT_EQ(page->ChannelCount(), 3);
    EXPECT_TRUE(page->WizardButtons().isEmpty());
    script.answer(IDOK);
    touch(dialog(0).UserEdit());
    EXPECT_EQ(messages(),
              std::vector<std::string>{
                  "Security: You are not authorized to change configuration settings."});
    EXPECT_EQ(dialog(0).UserEdit()->text(), "ops");
    EXPECT_FALSE(dialog(0).IsModified());
}

TEST_F(SecurityPageTest, ShowsAtMostFourChannelsAndNamesOneWithoutIdByPosition) {
    build(R"(<Config><Channel id="A"/><Channel/><Channel id="C"/><Channel id="D"/>
             <Channel id="E"/></Config>)");
    ASSERT_EQ(page->ChannelCount(), 4);
    EXPECT_EQ(page->Tabs()->count(), 4);
    EXPECT_EQ(page->Tabs()->tabText(1), "2");
    EXPECT_EQ(page->Dialog(4), nullptr);
}

TEST_F(SecurityPageTest, ChangedPasswordValidatesAndStoresAllThreeOfThatChannelOnly) {
    security->stored[1] = {"ops", "old", ""};
    build();
    enterText(script, dialog(1).PasswordEdit(), kSecret);
    EXPECT_TRUE(page->ApplyProtocolUsers());
    EXPECT_EQ(security->calls,
              (std::vector<std::string>{"ValidateUser ops|", "PutChannelUser 1",
                                        "PutChannelPassword 1", "PutChannelDomain 1"}));
    EXPECT_EQ(security->stored[1].password, kSecret);
    EXPECT_TRUE(script.questions().empty());
    expectSecretNowhere();
}

TEST_F(SecurityPageTest, EveryRejectedChannelGetsItsOwnMessageAndAcceptedOnesAreStored) {
    security->stored[0] = {"former", "old", ""};
    build();
    enterText(script, dialog(0).UserEdit(), "nobody");
    enterText(script, dialog(1).UserEdit(), "ops");
    enterText(script, dialog(1).PasswordEdit(), kSecret);
    enterText(script, dialog(2).UserEdit(), "intruder");
    EXPECT_FALSE(page->ApplyProtocolUsers());
    EXPECT_EQ(messages(), (std::vector<std::string>{"Security: " + rejectionText("Studio A"),
                                                    "Security: " + rejectionText("Ingest")}));
    EXPECT_EQ(script.last().style, MB_TOUCH_WARNING);
    EXPECT_EQ(security->stored[1].userName, "ops");
    EXPECT_EQ(security->stored[0].userName, "former"); // the stored user stays
    EXPECT_EQ(security->stored.count(2) ? security->stored[2].userName : "", "");
    expectSecretNowhere();
    // Asked again, the stored channel is validated and stored again with the others.
    script.clear();
    security->calls.clear();
    enterText(script, dialog(0).UserEdit(), "ops");
    enterText(script, dialog(0).PasswordEdit(), kSecret);
    enterText(script, dialog(2).UserEdit(), "ops");
    enterText(script, dialog(2).PasswordEdit(), kSecret);
    EXPECT_TRUE(page->ApplyProtocolUsers());
    EXPECT_TRUE(script.questions().empty());
    EXPECT_EQ(std::count(security->calls.begin(), security->calls.end(), "ValidateUser ops|"), 3);
}

TEST_F(SecurityPageTest, WithoutSecurityServiceFieldsAreEmptyAndEveryEntryIsAcceptedUnstored) {
    security->stored[0] = {"ops", kSecret, ""};
    build(kThreeChannels, true, false);
    EXPECT_EQ(dialog(0).UserEdit()->text(), "");
    enterText(script, dialog(0).UserEdit(), "nobody");
    EXPECT_TRUE(page->ApplyProtocolUsers());
    EXPECT_TRUE(script.questions().empty());
    EXPECT_TRUE(security->calls.empty());
    EXPECT_EQ(security->stored[0].userName, "ops");
    // The permissions button says why there is nothing to show.
    script.answer(IDOK);
    EXPECT_TRUE(page->OnWizardButton(0));
    EXPECT_EQ(messages(),
              std::vector<std::string>{"Security: The server offers no security service: there "
                                       "are no channel permissions to show."});
}

TEST_F(SecurityPageTest, FailingServiceIsToldToTheUserAndKeepsTheSheetOpen) {
    security->putFailure = E_ACCESSDENIED;
    build();
    enterText(script, dialog(1).UserEdit(), "ops");
    enterText(script, dialog(1).PasswordEdit(), kSecret);
    script.answer(IDOK);
    EXPECT_FALSE(page->ApplyProtocolUsers());
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(script.last().caption, "Security");
    EXPECT_EQ(script.last().text.rfind("The protocol user of channel Studio B could not be "
                                       "stored: ",
                                       0),
              0u);
    // The failing call is traced under the operation's name, with its status.
    ASSERT_FALSE(log->records.empty());
    EXPECT_EQ(log->records.back().text, "CConfigState::SetProtocolUserInfo 1");
    EXPECT_EQ(log->records.back().status, E_ACCESSDENIED);
    expectSecretNowhere();
}

TEST_F(SecurityPageTest, PermissionButtonOpensTheDialogOfTheChannelShown) {
    build();
    page->SelectTab(1);
    EXPECT_TRUE(page->OnWizardButton(0));
    EXPECT_EQ(security->calls, std::vector<std::string>{"ShowPermissions 1 Studio B"});
    // Page buttons other than "Permission" are the page's: none reach the sheet's Save.
    EXPECT_TRUE(page->OnWizardButton(1));
    security->permissionsAnswer = E_NOTIMPL;
    script.answer(IDOK);
    page->OnWizardButton(0);
    ASSERT_EQ(script.questions().size(), 1u);
    EXPECT_EQ(
        script.last().text.rfind("The permissions of channel Studio B could not be shown: ", 0),
        0u);
}

TEST(ChannelPermissionsDlgTest, ListsEveryAccountCheckedWhenAllowedAndGivesTheCheckedOnes) {
    ScriptedPrompter script;
    script.install();
    const QStringList accounts{"admin", "operator", "STUDIO\\ops"};
    QStringList allowed{"operator"};
    script.answerDialog([](QDialog& dialog) {
        auto& permissions = static_cast<CChannelPermissionsDlg&>(dialog);
        EXPECT_EQ(permissions.Boxes().size(), 3u);
        EXPECT_FALSE(permissions.Boxes()[0]->isChecked());
        EXPECT_TRUE(permissions.Boxes()[1]->isChecked());
        permissions.Boxes()[2]->setChecked(true);
        return IDOK;
    });
    EXPECT_EQ(CChannelPermissionsDlg::Present(1, "C2", accounts, allowed), S_OK);
    EXPECT_EQ(script.last().caption, "Permissions of channel C2");
    EXPECT_EQ(allowed, (QStringList{"operator", "STUDIO\\ops"}));
    script.answer(IDCANCEL);
    EXPECT_EQ(CChannelPermissionsDlg::Present(1, "C2", accounts, allowed), S_FALSE);
    EXPECT_EQ(allowed, (QStringList{"operator", "STUDIO\\ops"}));
}
