#include "EmbeddedServer.h"

#include "RemoteHostsFile.h"

#include "ConfigRules.h"
#include "server/ILog.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <fmt/format.h>

#include <map>

namespace {

const QString kLogFile = QStringLiteral("server.log");
const QString kProtocolUsersFile = QStringLiteral("protocol-users.json");
const QString kPermissionsFile = QStringLiteral("channel-permissions.json");
const QString kRemoteHostsFile = QString::fromLatin1(EmbeddedRemoteHosts::kFileName);
constexpr qint64 kLogLimit = 4 * 1024 * 1024;

int restartDelayFromEnvironment() {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue("TRELLIS_SERVER_RESTART_MS", &ok);
    return ok && value >= 0 ? value : 4000;
}

} // namespace

std::shared_ptr<EmbeddedServer> EmbeddedServer::forDirectory(const QString& directory) {
    static std::mutex registryMutex;
    static std::map<QString, std::weak_ptr<EmbeddedServer>> registry;
    std::lock_guard lock(registryMutex);
    std::shared_ptr<EmbeddedServer> server = registry[directory].lock();
    if (!server) {
        server = std::make_shared<EmbeddedServer>(directory);
        registry[directory] = server;
    }
    return server;
}

EmbeddedServer::EmbeddedServer(const QString& directory)
    : m_files(directory), m_accounts(m_files), m_channels(m_files),
      m_history(
          directory,
          [this](HRESULT status, const std::string& text) {
              log(status, LOG_KIND_REPORT, ConfigHistory::kFileName, 0, 0, text);
          },
          HistoryRetention::fromEnvironment(&m_retentionRefusals)),
      m_committed(m_files, m_channels, m_history,
                  [this](HRESULT status, const std::string& text) {
                      log(status, LOG_KIND_REPORT, "config.xml", 0, 0, text);
                  }),
      m_restartDelayMs(restartDelayFromEnvironment()) {
    m_files.ensureDirectory();
    for (const std::string& refusal : m_retentionRefusals)
        log(E_INVALIDARG, LOG_KIND_REPORT, ConfigHistory::kFileName, 0, 0, refusal + ".");
    const HRESULT accounts = m_accounts.ensureDefaults();
    if (FAILED(accounts))
        log(accounts, LOG_KIND_REPORT, "accounts.json", 0, 0,
            "The first-run accounts could not be created: " + ComErrorText(accounts));
    const HRESULT hosts = m_files.locked(kRemoteHostsFile, [this] {
        return m_files.exists(kRemoteHostsFile)
                   ? S_FALSE
                   : m_files.write(kRemoteHostsFile, "<?xml version=\"1.0\"?>\n<RemoteHosts/>\n");
    });
    if (FAILED(hosts))
        log(hosts, LOG_KIND_REPORT, EmbeddedRemoteHosts::kFileName, 0, 0,
            "The remote hosts file could not be created: " + ComErrorText(hosts));
}

HRESULT EmbeddedServer::refreshRunning() {
    return m_committed.changedOnDisk() ? m_committed.load(m_running) : S_OK;
}

bool EmbeddedServer::verifyAccount(const std::string& user, const std::string& password,
                                   const std::string& domain) {
    // The accounts file is read and changed under its own lock, and a hash takes tens of
    // milliseconds: the status poll of another thread does not wait for it.
    const Verification verified =
        m_accounts.verify(QString::fromStdString(user), QString::fromStdString(password),
                          QString::fromStdString(domain));
    if (verified.rewritten && *verified.rewritten == S_OK)
        log(S_OK, LOG_KIND_REPORT, "accounts.json", 0, 0,
            "The password hash of user '" + user + "' is stored anew in the current form.");
    else if (verified.rewritten && FAILED(*verified.rewritten))
        log(*verified.rewritten, LOG_KIND_REPORT, "accounts.json", 0, 0,
            "The password hash of user '" + user +
                "' could not be stored in the current form: " + ComErrorText(*verified.rewritten));
    return verified.valid;
}

bool EmbeddedServer::isMember(const ServerSession& session, const std::string& group) {
    std::lock_guard lock(m_mutex);
    const auto account = m_accounts.find(QString::fromStdString(session.user),
                                         QString::fromStdString(session.domain));
    return account && Accounts::isMember(*account, QString::fromStdString(group));
}

bool EmbeddedServer::isAdministrator(const std::string& user, const std::string& domain) {
    const ServerSession session{user, domain, false};
    return isMember(session, "BUILTIN\\Administrators") ||
           isMember(session, "BUILTIN\\TarvoAdministrators");
}

HRESULT EmbeddedServer::configuration(std::string& text, QString* version) {
    std::lock_guard lock(m_mutex);
    const HRESULT hr = refreshRunning();
    if (FAILED(hr))
        return hr;
    text = m_running.xml();
    if (version)
        *version = m_committed.version();
    return S_OK;
}

std::optional<RejectedConfiguration> EmbeddedServer::rejectedConfiguration() {
    std::lock_guard lock(m_mutex);
    refreshRunning();
    return m_committed.rejection();
}

void EmbeddedServer::audit(AuditEvent event) {
    m_history.audit(event);
}

HRESULT EmbeddedServer::refuseCommit(const ServerSession& session, HRESULT status,
                                     const std::string& why, std::string* reason) {
    log(status, LOG_KIND_REPORT, "config.xml", 0, 0,
        "Commit by user '" + session.user + "' refused: " + why);
    audit({.event = AuditEvent::kCommit,
           .outcome = AuditEvent::kRefused,
           .user = session.user,
           .address = session.address,
           .detail = why});
    if (reason)
        *reason = why;
    return status;
}

HRESULT EmbeddedServer::commit(const ServerSession& session, const std::string& text,
                               std::string* reason, const std::optional<QString>& expectedVersion,
                               QString* version, const std::string& report, std::string* notice) {
    std::lock_guard lock(m_mutex);
    if (!session.authorized)
        return refuseCommit(session, E_ACCESSDENIED, "the user may not change the configuration",
                            reason);
    // Parsed once: checked, stored, compared per channel and run from the same document.
    XmlDocument document;
    std::string why = "the text is not well-formed XML";
    if (document.loadXml(text) != S_OK || !IsUsableConfiguration(document, why))
        return refuseCommit(session, HRESULT_INVALID_DATA, why, reason);
    std::string failure;
    const HRESULT hr =
        m_committed.commit(session.user, session.address, document,
                           QDateTime::currentDateTimeUtc().addMSecs(m_restartDelayMs), &failure,
                           expectedVersion, report);
    if (reason && FAILED(hr))
        *reason = failure;
    audit({.event = AuditEvent::kCommit,
           .outcome = SUCCEEDED(hr)           ? AuditEvent::kAccepted
                      : hr == E_CHANGED_STATE ? AuditEvent::kRefused
                                              : AuditEvent::kFailed,
           .user = session.user,
           .address = session.address,
           .detail = failure});
    if (SUCCEEDED(hr)) {
        m_running.replaceContent(std::move(document));
        if (version)
            *version = m_committed.version();
        if (notice)
            *notice = m_committed.historyNotice();
    }
    return hr;
}

HRESULT EmbeddedServer::attributeChange(const ServerSession& session,
                                        const std::string& elementXPath,
                                        const std::string& attributeName, const std::string& value,
                                        std::string* reason) {
    std::lock_guard lock(m_mutex);
    if (!session.authorized)
        return E_ACCESSDENIED;
    HRESULT hr = refreshRunning();
    if (FAILED(hr))
        return hr;
    XmlNode attribute;
    hr = m_running.documentNode().selectSingleNode(elementXPath + "/@" + attributeName, attribute);
    if (FAILED(hr))
        return hr;
    if (!attribute.isAttribute()) {
        if (reason)
            *reason = fmt::format("The running configuration has no attribute '{}' at {}; the "
                                  "server was not changed.",
                                  attributeName, elementXPath);
        return HRESULT_NOT_FOUND;
    }
    // A live change applies to the running configuration only; a commit makes it stay, and
    // another process's commit replaces it.
    attribute.setValue(value);
    return S_OK;
}

HRESULT EmbeddedServer::defaultConfiguration(const std::string& referenceStandard,
                                             std::string& text, std::string* reason) {
    const DefaultConfiguration found = FindDefaultConfiguration(referenceStandard);
    if (const std::string notice = found.Notice(); !notice.empty())
        log(HRESULT_INVALID_DATA, LOG_KIND_REPORT, "defaults", 0, 0, notice);
    if (found.text.empty()) {
        if (reason)
            *reason = "there is no default configuration for the reference standard '" +
                      referenceStandard + "'";
        return E_INVALIDARG;
    }
    text = found.text;
    return S_OK;
}

HRESULT EmbeddedServer::log(HRESULT status, int kind, const std::string& file, int line,
                            std::uint32_t elapsedMs, const std::string& text) {
    const std::string entry =
        fmt::format("{} 0x{:08X} kind={} {}({}) {}ms: {}\n",
                    QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString(),
                    static_cast<std::uint32_t>(status), kind, file, line, elapsedMs, text);
    return m_files.locked(kLogFile, [&] {
        QByteArray content = QByteArray::fromStdString(entry);
        const QString path = m_files.path(kLogFile);
        if (QFile(path).size() > kLogLimit) {
            QFile::remove(path + QStringLiteral(".1"));
            if (!QFile::rename(path, path + QStringLiteral(".1")))
                content.prepend("The log could not be rotated; it keeps growing.\n");
        }
        return m_files.append(kLogFile, content);
    });
}

HRESULT EmbeddedServer::channelStatus(int channel, const std::string& name, Variant& value) {
    std::lock_guard lock(m_mutex);
    return m_channels.status(channel, name, value);
}

HRESULT EmbeddedServer::setChannelStatus(int channel, const QString& name, const QString& value) {
    std::lock_guard lock(m_mutex);
    return m_channels.set(channel, name, value);
}

HRESULT EmbeddedServer::protocolUser(int channel, const char* field, std::string& value) {
    std::lock_guard lock(m_mutex);
    if (channel < 0 || channel >= ChannelStates::kChannels)
        return E_INVALIDARG;
    const QJsonArray channels =
        m_files.readJson(kProtocolUsersFile).value(QStringLiteral("channels")).toArray();
    value = channels.at(channel).toObject().value(QLatin1String(field)).toString().toStdString();
    return S_OK;
}

HRESULT EmbeddedServer::protocolUser(const ServerSession& session, int channel, const char* field,
                                     std::string& value) {
    const HRESULT hr = protocolUser(channel, field, value);
    if (!session.authorized && std::string_view(field) == "password")
        value.clear();
    return hr;
}

QJsonArray EmbeddedServer::protocolUsers(const ServerSession& session, QString& version) {
    std::lock_guard lock(m_mutex);
    const std::optional<QByteArray> content = m_files.read(kProtocolUsersFile);
    version = StateFiles::versionOf(content);
    const QJsonArray stored = QJsonDocument::fromJson(content.value_or(QByteArray()))
                                  .object()
                                  .value(QStringLiteral("channels"))
                                  .toArray();
    QJsonArray channels;
    for (int channel = 0; channel < ChannelStates::kChannels; ++channel) {
        const QJsonObject own = stored.at(channel).toObject();
        QJsonObject entry;
        for (const char* field : {"user", "password", "domain"})
            entry.insert(QLatin1String(field), own.value(QLatin1String(field)).toString());
        if (!session.authorized)
            entry.insert(QStringLiteral("password"), QString());
        channels.append(entry);
    }
    return channels;
}

HRESULT EmbeddedServer::setProtocolUser(const ServerSession& session, int channel,
                                        const char* field, const std::string& value,
                                        const std::optional<QString>& expectedVersion,
                                        QString* version) {
    std::lock_guard lock(m_mutex);
    // The password is stored for the service's own use and never written to the log or the
    // audit.
    const std::string_view name = field;
    const std::string change =
        name == "password" ? fmt::format("the protocol user password of channel {}", channel + 1)
                           : fmt::format("the protocol user {} of channel {}: '{}'",
                                         name == "user" ? "name" : name, channel + 1, value);
    AuditEvent event{.event = AuditEvent::kProtocolUser,
                     .outcome = AuditEvent::kRefused,
                     .user = session.user,
                     .address = session.address,
                     .detail = change};
    if (!session.authorized) {
        audit(event);
        return E_ACCESSDENIED;
    }
    if (channel < 0 || channel >= ChannelStates::kChannels)
        return E_INVALIDARG;
    const HRESULT status = updateChannelEntry(
        kProtocolUsersFile, channel,
        [&](QJsonObject& own) { own.insert(QLatin1String(field), QString::fromStdString(value)); },
        expectedVersion, version);
    if (SUCCEEDED(status))
        log(S_OK, LOG_KIND_REPORT, kProtocolUsersFile.toStdString(), 0, 0,
            fmt::format("User '{}' set {}", session.user, change));
    event.outcome = SUCCEEDED(status)           ? AuditEvent::kAccepted
                    : status == E_CHANGED_STATE ? AuditEvent::kRefused
                                                : AuditEvent::kFailed;
    audit(event);
    return status;
}

HRESULT EmbeddedServer::updateChannelEntry(const QString& file, int channel,
                                           const std::function<void(QJsonObject&)>& change,
                                           const std::optional<QString>& expectedVersion,
                                           QString* version) {
    return m_files.updateJson(
        file,
        [&](QJsonObject& stored) {
            QJsonArray channels = stored.value(QStringLiteral("channels")).toArray();
            while (channels.size() < ChannelStates::kChannels)
                channels.append(QJsonObject());
            QJsonObject own = channels.at(channel).toObject();
            change(own);
            channels.replace(channel, own);
            stored.insert(QStringLiteral("channels"), channels);
            return S_OK;
        },
        expectedVersion, version);
}

void EmbeddedServer::setRestartDelay(int milliseconds) {
    std::lock_guard lock(m_mutex);
    m_restartDelayMs = milliseconds;
}

void EmbeddedServer::setPermissionsPresenter(PermissionsPresenter presenter) {
    std::lock_guard lock(m_mutex);
    m_presenter = std::move(presenter);
}

HRESULT EmbeddedServer::channelPermissions(int channel, QStringList& accounts,
                                           QStringList& allowed) {
    std::lock_guard lock(m_mutex);
    if (channel < 0 || channel >= ChannelStates::kChannels)
        return E_INVALIDARG;
    accounts.clear();
    for (const Account& account : m_accounts.list())
        accounts.append(account.domain.isEmpty()
                            ? account.user
                            : account.domain + QLatin1Char('\\') + account.user);
    const QJsonValue stored = m_files.readJson(kPermissionsFile)
                                  .value(QStringLiteral("channels"))
                                  .toArray()
                                  .at(channel)
                                  .toObject()
                                  .value(QStringLiteral("allowed"));
    allowed.clear();
    if (!stored.isArray()) {
        allowed = accounts;
        return S_OK;
    }
    // Accounts removed since the list was stored are no longer offered.
    for (const QJsonValue& name : stored.toArray()) {
        if (accounts.contains(name.toString()))
            allowed.append(name.toString());
    }
    return S_OK;
}

HRESULT EmbeddedServer::setChannelPermissions(const ServerSession& session, int channel,
                                              const QStringList& allowed) {
    std::lock_guard lock(m_mutex);
    if (!session.authorized)
        return E_ACCESSDENIED;
    if (channel < 0 || channel >= ChannelStates::kChannels)
        return E_INVALIDARG;
    const HRESULT status = updateChannelEntry(kPermissionsFile, channel, [&](QJsonObject& own) {
        own.insert(QStringLiteral("allowed"), QJsonArray::fromStringList(allowed));
    });
    if (SUCCEEDED(status))
        log(S_OK, LOG_KIND_REPORT, kPermissionsFile.toStdString(), 0, 0,
            fmt::format("User '{}' set the accounts that may control channel {}: {}", session.user,
                        channel + 1, allowed.join(QStringLiteral(", ")).toStdString()));
    return status;
}

HRESULT EmbeddedServer::showPermissions(const ServerSession& session, int channel,
                                        const std::string& channelId) {
    PermissionsPresenter presenter;
    {
        std::lock_guard lock(m_mutex);
        presenter = m_presenter;
    }
    if (!presenter)
        return E_NOTIMPL;
    QStringList accounts;
    QStringList allowed;
    if (const HRESULT read = channelPermissions(channel, accounts, allowed); FAILED(read))
        return read;
    // The dialog is modal: it runs without the lock held.
    const HRESULT answer = presenter(channel, channelId, accounts, allowed);
    return answer == S_OK ? setChannelPermissions(session, channel, allowed) : answer;
}
