#pragma once
// The stand-in server's user accounts: user name, domain, password hash and the groups the
// user belongs to. First use creates the documented accounts. Passwords are hashed with
// Argon2id; an account stored in the older form (a salt and an iterated SHA-256 digest) is
// checked that way once and rewritten in the current form on that logon.

#include "StateFiles.h"

#include <QStringList>

#include <optional>
#include <vector>

struct Account {
    QString user;
    QString domain;
    QString salt; // the older form only; an Argon2id hash carries its own
    QString hash;
    QStringList groups;
};

// The result of a logon check. When the account's hash was in an older form or made with
// other costs, rewritten holds the result of storing it anew.
struct Verification {
    bool valid = false;
    std::optional<HRESULT> rewritten;
    explicit operator bool() const { return valid; }
};

class Accounts {
public:
    explicit Accounts(const StateFiles& files);

    // Writes the first-run accounts when there is no accounts file yet.
    HRESULT ensureDefaults();

    std::vector<Account> list() const;
    std::optional<Account> find(const QString& user, const QString& domain) const;
    // Whether the password is the account's; the domain may be empty or this machine.
    Verification verify(const QString& user, const QString& password, const QString& domain);
    HRESULT setAccount(const QString& user, const QString& password, const QString& domain,
                       const QStringList& groups);
    HRESULT setGroups(const QString& user, const QStringList& groups);
    HRESULT remove(const QString& user);

    // Whether the account belongs to "PREFIX\Group": the prefix names this machine or the
    // built-in domain, and the group is one of the account's.
    static bool isMember(const Account& account, const QString& group);

    // The Argon2id hash of a password in its text form ("$argon2id$..."), or empty when it
    // could not be made.
    static QString hashPassword(const QString& password);

    // The costs of one hash: a logon stays well under 100 ms, and the memory one hash takes
    // keeps the utility inside its 80 MB.
    static constexpr unsigned long long kOpsLimit = 3;
    static constexpr std::size_t kMemLimit = 24u * 1024 * 1024;

private:
    // Changes the stored list under the file's lock; change returns S_FALSE to leave it.
    HRESULT update(const std::function<HRESULT(std::vector<Account>&)>& change);

    const StateFiles& m_files;
};
