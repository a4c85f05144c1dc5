#include "Accounts.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QSysInfo>

#include <sodium.h>

#include <iterator>

namespace {

const QString kAccountsFile = QStringLiteral("accounts.json");
constexpr int kOldHashRounds = 20000;
const QByteArray kCurrentHashPrefix = "$argon2id$";

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// A password's UTF-8 bytes, wiped when done with.
class Secret {
public:
    explicit Secret(const QString& password) : m_bytes(password.toUtf8()) {}
    ~Secret() { sodium_memzero(m_bytes.data(), static_cast<std::size_t>(m_bytes.size())); }
    Secret(const Secret&) = delete;
    Secret& operator=(const Secret&) = delete;
    const char* data() const { return m_bytes.constData(); }
    unsigned long long size() const { return static_cast<unsigned long long>(m_bytes.size()); }

private:
    QByteArray m_bytes;
};

// The older form, checked on logon and never written: SHA-256 iterated over the salt.
bool matchesOldHash(const Account& account, const QString& password) {
    QByteArray digest = (account.salt + QLatin1Char(':') + password).toUtf8();
    for (int round = 0; round < kOldHashRounds; ++round)
        digest =
            QCryptographicHash::hash(digest + account.salt.toLatin1(), QCryptographicHash::Sha256);
    const QByteArray computed = digest.toHex();
    const QByteArray stored = account.hash.toLatin1();
    return computed.size() == stored.size() &&
           sodium_memcmp(computed.constData(), stored.constData(),
                         static_cast<std::size_t>(computed.size())) == 0;
}

bool sameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isLocalDomain(const QString& domain) {
    return domain.isEmpty() || domain == QLatin1String(".") ||
           sameText(domain, QStringLiteral("localhost")) ||
           sameText(domain, QSysInfo::machineHostName());
}

Account fromJson(const QJsonObject& object) {
    Account account;
    account.user = object.value(QStringLiteral("user")).toString();
    account.domain = object.value(QStringLiteral("domain")).toString();
    account.salt = object.value(QStringLiteral("salt")).toString();
    account.hash = object.value(QStringLiteral("hash")).toString();
    for (const QJsonValue& group : object.value(QStringLiteral("groups")).toArray())
        account.groups << group.toString();
    return account;
}

QJsonObject toJson(const Account& account) {
    QJsonObject object{{QStringLiteral("user"), account.user},
                       {QStringLiteral("domain"), account.domain},
                       {QStringLiteral("hash"), account.hash},
                       {QStringLiteral("groups"), QJsonArray::fromStringList(account.groups)}};
    if (!account.salt.isEmpty())
        object.insert(QStringLiteral("salt"), account.salt);
    return object;
}

std::vector<Account> accountsOf(const QJsonObject& stored) {
    std::vector<Account> accounts;
    for (const QJsonValue& value : stored.value(QStringLiteral("accounts")).toArray())
        accounts.push_back(fromJson(value.toObject()));
    return accounts;
}

} // namespace

Accounts::Accounts(const StateFiles& files) : m_files(files) {}

HRESULT Accounts::ensureDefaults() {
    if (m_files.exists(kAccountsFile))
        return S_OK;
    const std::pair<const char*, const char*> defaults[] = {
        {"admin", "trellis"}, {"engineer", "engineer"}, {"operator", "operator"}};
    const QStringList groups[] = {{QStringLiteral("Administrators")},
                                  {QStringLiteral("TarvoAdministrators")},
                                  {QStringLiteral("Users")}};
    return update([&](std::vector<Account>& accounts) {
        if (m_files.exists(kAccountsFile))
            return S_FALSE; // another process made them meanwhile
        for (std::size_t i = 0; i < std::size(defaults); ++i) {
            const QString hash = hashPassword(QString::fromLatin1(defaults[i].second));
            if (hash.isEmpty())
                return E_OUTOFMEMORY;
            accounts.push_back({QString::fromLatin1(defaults[i].first), {}, {}, hash, groups[i]});
        }
        return S_OK;
    });
}

std::vector<Account> Accounts::list() const {
    return accountsOf(m_files.readJson(kAccountsFile));
}

std::optional<Account> Accounts::find(const QString& user, const QString& domain) const {
    for (const Account& account : list()) {
        if (!sameText(account.user, user))
            continue;
        if (sameText(account.domain, domain) || (account.domain.isEmpty() && isLocalDomain(domain)))
            return account;
    }
    return std::nullopt;
}

Verification Accounts::verify(const QString& user, const QString& password, const QString& domain) {
    const std::optional<Account> account = find(user, domain);
    if (!account || !sodiumReady())
        return {};
    const QByteArray stored = account->hash.toLatin1();
    if (stored.startsWith(kCurrentHashPrefix)) {
        const Secret secret(password);
        if (crypto_pwhash_str_verify(stored.constData(), secret.data(), secret.size()) != 0)
            return {};
        if (crypto_pwhash_str_needs_rehash(stored.constData(), kOpsLimit, kMemLimit) == 0)
            return {true, std::nullopt};
    } else if (!matchesOldHash(*account, password)) {
        return {};
    }
    // Right, but stored in an older form or with other costs: store it anew, unless the
    // account changed since it was read.
    const QString hash = hashPassword(password);
    if (hash.isEmpty())
        return {true, E_OUTOFMEMORY};
    return {true, update([&](std::vector<Account>& accounts) {
                for (Account& own : accounts) {
                    if (sameText(own.user, account->user) && own.domain == account->domain &&
                        own.hash == account->hash) {
                        own.hash = hash;
                        own.salt.clear();
                        return S_OK;
                    }
                }
                return S_FALSE;
            })};
}

HRESULT Accounts::setAccount(const QString& user, const QString& password, const QString& domain,
                             const QStringList& groups) {
    if (user.trimmed().isEmpty())
        return E_INVALIDARG;
    const Account updated{user, domain, QString(), hashPassword(password), groups};
    if (updated.hash.isEmpty())
        return E_OUTOFMEMORY;
    return update([&](std::vector<Account>& accounts) {
        bool replaced = false;
        for (Account& account : accounts) {
            if (sameText(account.user, user)) {
                account = updated;
                replaced = true;
            }
        }
        if (!replaced)
            accounts.push_back(updated);
        return S_OK;
    });
}

HRESULT Accounts::setGroups(const QString& user, const QStringList& groups) {
    return update([&](std::vector<Account>& accounts) {
        for (Account& account : accounts) {
            if (sameText(account.user, user)) {
                account.groups = groups;
                return S_OK;
            }
        }
        return E_INVALIDARG;
    });
}

HRESULT Accounts::remove(const QString& user) {
    return update([&](std::vector<Account>& accounts) {
        const auto size = accounts.size();
        std::erase_if(accounts,
                      [&](const Account& account) { return sameText(account.user, user); });
        return accounts.size() == size ? S_FALSE : S_OK;
    });
}

bool Accounts::isMember(const Account& account, const QString& group) {
    const qsizetype slash = group.lastIndexOf(QLatin1Char('\\'));
    const QString prefix = slash < 0 ? QString() : group.left(slash);
    const QString name = group.mid(slash + 1);
    if (!prefix.isEmpty() && !sameText(prefix, QStringLiteral("BUILTIN")) && !isLocalDomain(prefix))
        return false;
    for (const QString& own : account.groups) {
        if (sameText(own, name))
            return true;
    }
    return false;
}

QString Accounts::hashPassword(const QString& password) {
    if (!sodiumReady())
        return {};
    const Secret secret(password);
    char text[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(text, secret.data(), secret.size(), kOpsLimit, kMemLimit) != 0)
        return {};
    return QString::fromLatin1(text);
}

HRESULT Accounts::update(const std::function<HRESULT(std::vector<Account>&)>& change) {
    return m_files.updateJson(kAccountsFile, [&](QJsonObject& stored) {
        std::vector<Account> accounts = accountsOf(stored);
        const HRESULT hr = change(accounts);
        if (hr == S_OK) {
            QJsonArray array;
            for (const Account& account : accounts)
                array.append(toJson(account));
            stored.insert(QStringLiteral("accounts"), array);
        }
        return hr;
    });
}
