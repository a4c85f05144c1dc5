// The Remote hosts page in the sheet against the stand-in server: the hosts file it keeps in
// its state directory, written when the sheet is confirmed.

#include "SheetFixture.h"

#include "pages/ChannelSecurityDlg.h"
#include "pages/RemoteHostDlg.h"
#include "pages/RemoteHostsList.h"
#include "pages/RemotePage.h"
#include "pages/SecurityPage.h"
#include "server/IConfigServer.h"
#include "server/IRemoteHosts.h"
#include "server/embedded/RemoteHostsFile.h"
#include "support/ImmutableFile.h"
#include "support/Touch.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr const char* kOneHost =
    "<?xml version=\"1.0\"?>\n<RemoteHosts>\n  <Host hostName=\"studio-a\" id=\"1\" />\n"
    "</RemoteHosts>\n";

} // namespace

class RemoteSheetTest : public SheetTest {
protected:
    QString hostsPath() const { return dir.path() + QStringLiteral("/vellhosts.xml"); }
    std::string storedHosts() const {
        QFile file(hostsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "(no file)";
    }
    void storeHosts(const std::string& bytes) {
        QFile file(hostsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    // Adds a host through the Remote page's Add button and the host dialog.
    void addHost(CTrellisDlg& sheet, const std::string& host, const std::string& id) {
        ASSERT_NE(showPage<CRemotePage>(sheet), nullptr);
        script.answerDialog([](QDialog& shown) {
            auto& dialog = static_cast<CRemoteHostDlg&>(shown);
            dialog.EditHostName();
            dialog.EditControllerId();
            dialog.accept();
            return dialog.result() == QDialog::Accepted ? IDOK : IDCANCEL;
        });
        script.answerText(IDOK, host);
        script.answerText(IDOK, id);
        sheet.PressWizardButton(0);
    }
    std::vector<RemoteHost> hostsShownAtLogon() {
        std::vector<RemoteHost> shown;
        runAsAdmin([&](CTrellisDlg& sheet) {
            shown = showPage<CRemotePage>(sheet)->Hosts();
            sheet.CancelButton()->click();
        });
        return shown;
    }
};

TEST_F(RemoteSheetTest, AHostAddedThroughTheSheetIsStoredAndShownAtTheNextLogon) {
    storeHosts(kOneHost);
    runAsAdmin([&](CTrellisDlg& sheet) {
        ASSERT_NE(showPage<CRemotePage>(sheet), nullptr);
        addHost(sheet, "studio-b", "2");
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(storedHosts(), "<?xml version=\"1.0\"?>\n"
                             "<RemoteHosts>\n"
                             "  <Host hostName=\"studio-a\" id=\"1\" />\n"
                             "  <Host hostName=\"studio-b\" id=\"2\" />\n"
                             "</RemoteHosts>\n");
    EXPECT_EQ(hostsShownAtLogon(), (std::vector<RemoteHost>{{"studio-a", "1"}, {"studio-b", "2"}}));
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(RemoteSheetTest, AHostAndChannelTwosProtocolUserSetInOneOkAreBothHeldAtTheNextLogon) {
    const std::string secret = "Pl4yout-Two";
    ASSERT_EQ(server->accounts().setAccount("playout", QString::fromStdString(secret), "", {}),
              S_OK);
    storeHosts(kOneHost);
    runAsAdmin([&](CTrellisDlg& sheet) {
        addHost(sheet, "studio-b", "2");
        CSecurityPage* security = showPage<CSecurityPage>(sheet);
        ASSERT_NE(security, nullptr);
        security->SelectTab(1);
        enterText(script, security->Dialog(1)->UserEdit(), "playout");
        enterText(script, security->Dialog(1)->PasswordEdit(), secret);
        commitWithOk(sheet);
    });
    EXPECT_EQ(result, IDOK);
    // Both were reviewed before they were stored; the password only as changed.
    EXPECT_EQ(reviewLines, (std::vector<std::string>{
                               "Remote", "Added host \"studio-b\" (controller id 2)", "Security C2",
                               "User: (none) \u2192 playout", "Password: changed", ""}));
    EXPECT_EQ(script.last().caption, "Changes Committed");
    EXPECT_EQ(script.last().text, "Committed: Remote (1 change) and Security C2 (2 changes).\n"
                                  "No channel restarted.");
    EXPECT_NE(storedHosts().find("<Host hostName=\"studio-b\" id=\"2\" />"), std::string::npos);
    std::string user;
    server->protocolUser(1, "user", user);
    EXPECT_EQ(user, "playout");
    server->protocolUser(0, "user", user);
    EXPECT_EQ(user, "");

    runAsAdmin([&](CTrellisDlg& sheet) {
        EXPECT_EQ(showPage<CRemotePage>(sheet)->Hosts(),
                  (std::vector<RemoteHost>{{"studio-a", "1"}, {"studio-b", "2"}}));
        CSecurityPage* security = showPage<CSecurityPage>(sheet);
        EXPECT_EQ(security->Dialog(1)->UserEdit()->text(), "playout");
        QLineEdit* password = security->Dialog(1)->PasswordEdit();
        EXPECT_EQ(password->text().toStdString(), secret);
        EXPECT_FALSE(password->displayText().contains(QString::fromStdString(secret)));
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(RemoteSheetTest, ConfirmingWithoutAHostsFileWritesAnEmptyListAndCancelWritesNothing) {
    // The server starts with an empty list; without any file the page starts empty too.
    ASSERT_TRUE(QFile::remove(hostsPath()));
    runAsAdmin([&](CTrellisDlg& sheet) {
        EXPECT_TRUE(showPage<CRemotePage>(sheet)->Hosts().empty());
        addHost(sheet, "studio-b", "2");
        sheet.CancelButton()->click();
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(storedHosts(), "(no file)");
    runAsAdmin([&](CTrellisDlg& sheet) { sheet.OkButton()->click(); });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(storedHosts(), "<?xml version=\"1.0\"?>\n<RemoteHosts />\n");
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(RemoteSheetTest, AFailedWriteKeepsTheSheetOpenAndTheStoredFile) {
    storeHosts(kOneHost);
    bool unreplaceable = true;
    runAsAdmin([&](CTrellisDlg& sheet) {
        addHost(sheet, "studio-b", "2");
        if (!setImmutable(hostsPath(), true)) {
            unreplaceable = false;
            sheet.CancelButton()->click();
            return;
        }
        answerReview();
        script.answer(IDOK);
        sheet.OkButton()->click();
        setImmutable(hostsPath(), false);
        EXPECT_EQ(sheet.result(), 0); // still open
        EXPECT_EQ(storedHosts(), kOneHost);
        EXPECT_EQ(script.last().text, "The remote hosts list could not be saved: vellhosts.xml "
                                      "could not be written (Access is denied.)\nThe file on the "
                                      "server is unchanged.");
        EXPECT_EQ(script.last().caption, "Remote Hosts");
        // Once the file can be replaced, OK saves the list kept in the page.
        commitWithOk(sheet);
    });
    if (!unreplaceable)
        GTEST_SKIP() << "the file system cannot make a file unreplaceable here";
    EXPECT_EQ(result, IDOK);
    EXPECT_NE(storedHosts().find("studio-b"), std::string::npos);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(RemoteSheetTest, AHostListAnotherSessionWroteIsNotOverwrittenWithoutAsking) {
    storeHosts(kOneHost);
    const std::string theirs = RemoteHostsText({{"studio-a", "1"}, {"studio-c", "3"}});
    const auto otherSessionWrites = [&] {
        EmbeddedRemoteHosts other(
            server, std::make_shared<ServerSession>(ServerSession{"engineer", "", true}));
        ASSERT_EQ(other.WriteHostsFile(theirs), S_OK);
    };
    const std::vector<RemoteHost> ours{{"studio-a", "1"}, {"studio-b", "2"}};
    runAsAdmin([&](CTrellisDlg& sheet) {
        addHost(sheet, "studio-b", "2");
        otherSessionWrites();
        answerReview();
        script.answer(IDNO);
        sheet.OkButton()->click();
        EXPECT_EQ(script.last().text, "The remote hosts were changed on the server after you "
                                      "logged on. Writing your list would undo those changes."
                                      "\n\nWrite your list anyway?");
        EXPECT_EQ(script.last().caption, "Remote Hosts Changed");
        EXPECT_EQ(script.last().style, MB_TOUCH_QUESTION | MB_DEFBUTTON2);
        // No keeps the sheet open with the edits, and the other session's list stored.
        EXPECT_EQ(sheet.result(), 0);
        EXPECT_EQ(storedHosts(), theirs);
        EXPECT_EQ(showPage<CRemotePage>(sheet)->Hosts(), ours);
        answerReview();
        script.answer(IDYES);
        answerOutcome();
        sheet.OkButton()->click();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(hostsShownAtLogon(), ours);

    // A session without edits of its own has nothing to write: the other's list stays.
    runAsAdmin([&](CTrellisDlg& sheet) {
        ASSERT_NE(showPage<CRemotePage>(sheet), nullptr);
        otherSessionWrites();
        sheet.OkButton()->click();
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(storedHosts(), theirs);
    EXPECT_EQ(script.unexpectedCount(), 0);
}

TEST_F(RemoteSheetTest, TheServerKeepsTheFileForUsersWithTheRightToChangeIt) {
    // The stand-in server's own rule, whatever the utility does.
    const std::string text = kOneHost;
    ASSERT_TRUE(QFile::remove(hostsPath()));
    EmbeddedRemoteHosts reader(
        server, std::make_shared<ServerSession>(ServerSession{"operator", "", false}));
    std::string bytes = "stale";
    EXPECT_EQ(reader.ReadHostsFile(bytes), S_FALSE);
    EXPECT_EQ(bytes, "");
    EXPECT_EQ(reader.WriteHostsFile(text), E_ACCESSDENIED);
    EXPECT_EQ(storedHosts(), "(no file)");

    EmbeddedRemoteHosts writer(server,
                               std::make_shared<ServerSession>(ServerSession{"admin", "", true}));
    EXPECT_EQ(writer.WriteHostsFile(text), S_OK);
    EXPECT_EQ(reader.ReadHostsFile(bytes), S_OK);
    EXPECT_EQ(bytes, text);
    // Only the owner may read the server's files.
    EXPECT_EQ(QFile(hostsPath()).permissions() & (QFile::ReadOther | QFile::ReadGroup),
              QFile::Permissions());
}
