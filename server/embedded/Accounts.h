#pragma once
// The stand-in server's user accounts: user name, domain, salted password hash and the
// groups the user belongs to. First use creates the documented accounts.

#include "StateFiles.h"

#include <QStringList>

#include <optional>
#include <vector>

struct Account {
    QString user;
    QString domain;
    QString salt;
    QString hash;
    QStringList groups;
};

class Accounts {
public:
    explicit Accounts(const StateFiles& files);

    // Writes the first-run accounts when there is no accounts file yet.
    HRESULT ensureDefaults();

    std::vector<Account> list() const;
    std::optional<Account> find(const QString& user, const QString& domain) const;
    // True when the password is the account's; the domain may be empty or this machine.
    bool verify(const QString& user, const QString& password, const QString& domain) const;
    HRESULT setAccount(const QString& user, const QString& password, const QString& domain,
                       const QStringList& groups);
    HRESULT setGroups(const QString& user, const QStringList& groups);
    HRESULT remove(const QString& user);

    // Whether the account belongs to "PREFIX\Group": the prefix names this machine or the
    // built-in domain, and the group is one of the account's.
    static bool isMember(const Account& account, const QString& group);

    static QString hashPassword(const QString& password, const QString& salt);

private:
    HRESULT save(const std::vector<Account>& accounts);

    const StateFiles& m_files;
};
