#include "Accounts.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QSysInfo>

namespace {

const QString kFile = QStringLiteral("accounts.json");
constexpr int kHashRounds = 20000;

bool sameText(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool isLocalDomain(const QString& domain) {
    return domain.isEmpty() || domain == QLatin1String(".") ||
           sameText(domain, QStringLiteral("localhost")) ||
           sameText(domain, QSysInfo::machineHostName());
}

QString newSalt() {
    QByteArray salt(16, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), 4);
    return QString::fromLatin1(salt.toHex());
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
    return QJsonObject{{QStringLiteral("user"), account.user},
                       {QStringLiteral("domain"), account.domain},
                       {QStringLiteral("salt"), account.salt},
                       {QStringLiteral("hash"), account.hash},
                       {QStringLiteral("groups"), QJsonArray::fromStringList(account.groups)}};
}

} // namespace

Accounts::Accounts(const StateFiles& files) : m_files(files) {}

HRESULT Accounts::ensureDefaults() {
    if (m_files.read(kFile))
        return S_OK;
    HRESULT hr = setAccount(QStringLiteral("admin"), QStringLiteral("trellis"), QString(),
                            {QStringLiteral("Administrators")});
    if (SUCCEEDED(hr))
        hr = setAccount(QStringLiteral("engineer"), QStringLiteral("engineer"), QString(),
                        {QStringLiteral("TarvoAdministrators")});
    if (SUCCEEDED(hr))
        hr = setAccount(QStringLiteral("operator"), QStringLiteral("operator"), QString(),
                        {QStringLiteral("Users")});
    return hr;
}

std::vector<Account> Accounts::list() const {
    std::vector<Account> accounts;
    for (const QJsonValue& value :
         m_files.readJson(kFile).value(QStringLiteral("accounts")).toArray())
        accounts.push_back(fromJson(value.toObject()));
    return accounts;
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

bool Accounts::verify(const QString& user, const QString& password, const QString& domain) const {
    const std::optional<Account> account = find(user, domain);
    return account && hashPassword(password, account->salt) == account->hash;
}

HRESULT Accounts::setAccount(const QString& user, const QString& password, const QString& domain,
                             const QStringList& groups) {
    if (user.trimmed().isEmpty())
        return E_INVALIDARG;
    std::vector<Account> accounts = list();
    Account updated{user, domain, newSalt(), QString(), groups};
    updated.hash = hashPassword(password, updated.salt);
    bool replaced = false;
    for (Account& account : accounts) {
        if (sameText(account.user, user)) {
            account = updated;
            replaced = true;
        }
    }
    if (!replaced)
        accounts.push_back(updated);
    return save(accounts);
}

HRESULT Accounts::setGroups(const QString& user, const QStringList& groups) {
    std::vector<Account> accounts = list();
    for (Account& account : accounts) {
        if (sameText(account.user, user)) {
            account.groups = groups;
            return save(accounts);
        }
    }
    return E_INVALIDARG;
}

HRESULT Accounts::remove(const QString& user) {
    std::vector<Account> accounts = list();
    const auto size = accounts.size();
    std::erase_if(accounts, [&](const Account& account) { return sameText(account.user, user); });
    return accounts.size() == size ? S_FALSE : save(accounts);
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

QString Accounts::hashPassword(const QString& password, const QString& salt) {
    QByteArray digest = (salt + QLatin1Char(':') + password).toUtf8();
    for (int round = 0; round < kHashRounds; ++round)
        digest = QCryptographicHash::hash(digest + salt.toLatin1(), QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.toHex());
}

HRESULT Accounts::save(const std::vector<Account>& accounts) {
    QJsonArray array;
    for (const Account& account : accounts)
        array.append(toJson(account));
    return m_files.writeJson(kFile, QJsonObject{{QStringLiteral("accounts"), array}});
}
