#include "server/embedded/Accounts.h"
#include "server/embedded/EmbeddedServer.h"

#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class AccountsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    StateFiles files{dir.path()};
    Accounts accounts{files};
};

TEST_F(AccountsTest, FirstUseCreatesTheDocumentedAccounts) {
    ASSERT_EQ(accounts.ensureDefaults(), S_OK);
    EXPECT_TRUE(accounts.verify("admin", "trellis", ""));
    EXPECT_TRUE(accounts.verify("engineer", "engineer", ""));
    EXPECT_TRUE(accounts.verify("operator", "operator", ""));
    EXPECT_FALSE(accounts.verify("admin", "Trellis", ""));
    EXPECT_FALSE(accounts.verify("nobody", "trellis", ""));
    // A second call keeps what is there.
    accounts.setAccount("admin", "changed", "", {"Administrators"});
    accounts.ensureDefaults();
    EXPECT_TRUE(accounts.verify("admin", "changed", ""));
}

TEST_F(AccountsTest, PasswordsAreStoredOnlyAsSaltedHashes) {
    accounts.setAccount("a", "same", "", {});
    accounts.setAccount("b", "same", "", {});
    const QByteArray stored = *files.read("accounts.json");
    EXPECT_FALSE(stored.contains("same"));
    const auto first = accounts.find("a", "");
    const auto second = accounts.find("b", "");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->hash, second->hash);
}

TEST_F(AccountsTest, LocalDomainsAreThisMachine) {
    accounts.setAccount("admin", "pw", "", {"Administrators"});
    EXPECT_TRUE(accounts.verify("admin", "pw", "."));
    EXPECT_TRUE(accounts.verify("ADMIN", "pw", QSysInfo::machineHostName()));
    EXPECT_FALSE(accounts.verify("admin", "pw", "OTHERDOMAIN"));
}

TEST_F(AccountsTest, GroupNamesTheLogonAsksAbout) {
    const Account admin{"admin", "", "", "", {"Administrators"}};
    const Account engineer{"engineer", "", "", "", {"TarvoAdministrators"}};
    const Account operatorAccount{"operator", "", "", "", {"Users"}};
    const QString machineGroup = QSysInfo::machineHostName() + "\\TarvoAdministrators";
    EXPECT_TRUE(Accounts::isMember(admin, "BUILTIN\\Administrators"));
    EXPECT_FALSE(Accounts::isMember(admin, machineGroup));
    EXPECT_TRUE(Accounts::isMember(engineer, machineGroup));
    EXPECT_FALSE(Accounts::isMember(engineer, "OTHERHOST\\TarvoAdministrators"));
    EXPECT_FALSE(Accounts::isMember(operatorAccount, "BUILTIN\\Administrators"));
    EXPECT_FALSE(Accounts::isMember(operatorAccount, machineGroup));
}

TEST_F(AccountsTest, EditsAndRemovals) {
    EXPECT_EQ(accounts.setAccount("  ", "pw", "", {}), E_INVALIDARG);
    accounts.setAccount("x", "pw", "", {});
    EXPECT_EQ(accounts.setGroups("x", {"Administrators"}), S_OK);
    EXPECT_EQ(accounts.find("x", "")->groups, QStringList{"Administrators"});
    EXPECT_EQ(accounts.setGroups("y", {}), E_INVALIDARG);
    EXPECT_EQ(accounts.remove("x"), S_OK);
    EXPECT_EQ(accounts.remove("x"), S_FALSE);
}

// Passwords are named, never spelt out in an assertion, so that no failure prints one.
const QString kRight = "right one";
const QString kWrong = "right on";

TEST_F(AccountsTest, HashesAreArgon2idAndOnlyTheRightPasswordVerifies) {
    ASSERT_EQ(accounts.setAccount("a", kRight, "", {}), S_OK);
    EXPECT_TRUE(accounts.find("a", "")->hash.startsWith("$argon2id$"));
    const Verification right = accounts.verify("a", kRight, "");
    EXPECT_TRUE(right.valid);
    EXPECT_FALSE(right.rewritten.has_value());
    EXPECT_FALSE(accounts.verify("a", kWrong, ""));
    EXPECT_FALSE(accounts.verify("a", "", ""));
}

namespace {

// An account as the older form stored it: kOldPassword with this salt, its SHA-256 digest
// iterated 20000 times (computed by the code that wrote that form).
const QString kOldPassword = "old secret";
const QByteArray kOldFormAccounts = R"({"accounts": [{"user": "veteran", "domain": "",
    "salt": "00112233445566778899aabbccddeeff",
    "hash": "477d713a4870ec2479f0ed516b60e63ddf2e6550041881730e74e0de3f47dee7",
    "groups": ["Administrators"]}]})";

} // namespace

TEST_F(AccountsTest, AnOldFormAccountIsStoredAnewOnItsFirstLogon) {
    ASSERT_EQ(files.write("accounts.json", kOldFormAccounts), S_OK);
    EXPECT_FALSE(accounts.verify("veteran", kWrong, ""));
    EXPECT_TRUE(*files.read("accounts.json") == kOldFormAccounts) << "a wrong password rewrote it";

    const Verification first = accounts.verify("veteran", kOldPassword, "");
    EXPECT_TRUE(first.valid);
    EXPECT_EQ(first.rewritten, std::optional<HRESULT>(S_OK));
    const auto stored = accounts.find("veteran", "");
    ASSERT_TRUE(stored);
    EXPECT_TRUE(stored->hash.startsWith("$argon2id$"));
    EXPECT_TRUE(stored->salt.isEmpty());
    EXPECT_EQ(stored->groups, QStringList{"Administrators"});

    const Verification second = accounts.verify("veteran", kOldPassword, "");
    EXPECT_TRUE(second.valid);
    EXPECT_FALSE(second.rewritten.has_value());
    EXPECT_FALSE(accounts.verify("veteran", kWrong, ""));
}

TEST_F(AccountsTest, TheServerLogTellsOfTheRewriteButNeverAPassword) {
    ASSERT_EQ(files.write("accounts.json", kOldFormAccounts), S_OK);
    EmbeddedServer server(dir.path());
    EXPECT_FALSE(server.verifyAccount("veteran", kWrong.toStdString(), ""));
    EXPECT_TRUE(server.verifyAccount("veteran", kOldPassword.toStdString(), ""));
    const QString log = QString::fromUtf8(*files.read("server.log"));
    EXPECT_TRUE(log.contains("user 'veteran' is stored anew"));
    EXPECT_FALSE(log.contains(kOldPassword));
    EXPECT_FALSE(log.contains(kWrong));
}
