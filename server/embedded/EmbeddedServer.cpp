#include "EmbeddedServer.h"

#include "ConfigRules.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>

#include <fmt/format.h>

#include <map>

namespace {

const QString kConfigFile = QStringLiteral("config.xml");
const QString kLogFile = QStringLiteral("server.log");
const QString kProtocolUsersFile = QStringLiteral("protocol-users.json");
const QString kRemoteHostsFile = QStringLiteral("vellhosts.xml");
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
      m_restartDelayMs(restartDelayFromEnvironment()) {
    m_files.ensureDirectory();
    m_accounts.ensureDefaults();
    if (!m_files.read(kRemoteHostsFile))
        m_files.write(kRemoteHostsFile, "<?xml version=\"1.0\"?>\n<RemoteHosts/>\n");
}

void EmbeddedServer::loadRunning() {
    if (m_loaded)
        return;
    m_loaded = true;
    std::string reason = "it is not well-formed XML";
    const std::optional<QByteArray> stored = m_files.read(kConfigFile);
    const bool usable =
        stored &&
        m_running.loadXml(std::string_view(stored->constData(), stored->size())) == S_OK &&
        IsUsableConfiguration(m_running, reason);
    if (!usable) {
        if (stored)
            log(HRESULT_INVALID_DATA, 4, "config.xml", 0, 0,
                "The stored configuration is not usable (" + reason + "); the default is used.");
        m_running.loadXml(DefaultConfigurationText(ReferenceStandards().front()));
        m_files.write(kConfigFile, QByteArray::fromStdString(m_running.xml()));
    }
    m_committedParts = ChannelPartsOf(m_running);
}

bool EmbeddedServer::verifyAccount(const std::string& user, const std::string& password,
                                   const std::string& domain) {
    std::lock_guard lock(m_mutex);
    return m_accounts.verify(QString::fromStdString(user), QString::fromStdString(password),
                             QString::fromStdString(domain));
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

HRESULT EmbeddedServer::configuration(std::string& text) {
    std::lock_guard lock(m_mutex);
    loadRunning();
    text = m_running.xml();
    return S_OK;
}

HRESULT EmbeddedServer::commit(const ServerSession& session, const std::string& text) {
    std::lock_guard lock(m_mutex);
    loadRunning();
    if (!session.authorized)
        return E_ACCESSDENIED;
    // Parsed once: checked, stored, compared per channel and run from the same document.
    XmlDocument document;
    std::string reason = "the text is not well-formed XML";
    if (document.loadXml(text) != S_OK || !IsUsableConfiguration(document, reason)) {
        log(HRESULT_INVALID_DATA, 4, "config.xml", 0, 0, "Commit refused: " + reason);
        return HRESULT_INVALID_DATA;
    }
    const std::string canonical = document.xml();
    const HRESULT hr = m_files.write(kConfigFile, QByteArray::fromStdString(canonical));
    if (FAILED(hr))
        return hr;
    const QDateTime until = QDateTime::currentDateTimeUtc().addMSecs(m_restartDelayMs);
    ChannelParts parts = ChannelPartsOf(document);
    for (int channel : ChangedChannels(m_committedParts, parts))
        m_channels.takeOffline(channel, until);
    m_running.replaceContent(std::move(document));
    m_committedParts = std::move(parts);
    return S_OK;
}

HRESULT EmbeddedServer::attributeChange(const ServerSession& session,
                                        const std::string& elementXPath,
                                        const std::string& attributeName,
                                        const std::string& value) {
    std::lock_guard lock(m_mutex);
    loadRunning();
    if (!session.authorized)
        return E_ACCESSDENIED;
    XmlNode attribute;
    const HRESULT hr =
        m_running.documentNode().selectSingleNode(elementXPath + "/@" + attributeName, attribute);
    if (FAILED(hr))
        return hr;
    // A live change applies to the running configuration only; a commit makes it stay.
    if (attribute.isAttribute())
        attribute.setValue(value);
    return S_OK;
}

HRESULT EmbeddedServer::log(HRESULT status, int kind, const std::string& file, int line,
                            std::uint32_t elapsedMs, const std::string& text) {
    std::lock_guard lock(m_mutex);
    const QString path = m_files.path(kLogFile);
    QFile logFile(path);
    if (logFile.size() > kLogLimit) {
        QFile::remove(path + QStringLiteral(".1"));
        QFile::rename(path, path + QStringLiteral(".1"));
    }
    if (!logFile.open(QIODevice::Append | QIODevice::Text))
        return E_ACCESSDENIED;
    const std::string entry =
        fmt::format("{} 0x{:08X} kind={} {}({}) {}ms: {}\n",
                    QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString(),
                    static_cast<std::uint32_t>(status), kind, file, line, elapsedMs, text);
    logFile.write(entry.data(), static_cast<qint64>(entry.size()));
    return S_OK;
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

HRESULT EmbeddedServer::setProtocolUser(const ServerSession& session, int channel,
                                        const char* field, const std::string& value) {
    std::lock_guard lock(m_mutex);
    if (!session.authorized)
        return E_ACCESSDENIED;
    if (channel < 0 || channel >= ChannelStates::kChannels)
        return E_INVALIDARG;
    QJsonObject stored = m_files.readJson(kProtocolUsersFile);
    QJsonArray channels = stored.value(QStringLiteral("channels")).toArray();
    while (channels.size() < ChannelStates::kChannels)
        channels.append(QJsonObject());
    QJsonObject own = channels.at(channel).toObject();
    own.insert(QLatin1String(field), QString::fromStdString(value));
    channels.replace(channel, own);
    stored.insert(QStringLiteral("channels"), channels);
    return m_files.writeJson(kProtocolUsersFile, stored);
}

void EmbeddedServer::setRestartDelay(int milliseconds) {
    std::lock_guard lock(m_mutex);
    m_restartDelayMs = milliseconds;
}

void EmbeddedServer::setPermissionsPresenter(PermissionsPresenter presenter) {
    std::lock_guard lock(m_mutex);
    m_presenter = std::move(presenter);
}

HRESULT EmbeddedServer::showPermissions(int channel, const std::string& channelId) {
    PermissionsPresenter presenter;
    {
        std::lock_guard lock(m_mutex);
        presenter = m_presenter;
    }
    // The dialog is modal: it runs without the lock held.
    return presenter ? presenter(channel, channelId) : E_NOTIMPL;
}
