#include "server/embedded/Accounts.h"

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
