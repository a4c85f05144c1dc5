#include "EmbeddedServices.h"

#include "ConfigRules.h"
#include "EmbeddedServer.h"
#include "LoggableText.h"
#include "RemoteHostsFile.h"
#include "Timecode.h"
#include "server/ChannelParts.h"
#include "server/IAppServer.h"
#include "server/IChannel.h"
#include "server/IConfigServer.h"
#include "server/IConnection.h"
#include "server/ILog.h"
#include "server/ISecurity.h"
#include "server/LastError.h"
#include "server/LastStatusLog.h"

#include <QSysInfo>

namespace {

using ServerPtr = std::shared_ptr<EmbeddedServer>;
using SessionPtr = std::shared_ptr<const ServerSession>;

class EmbeddedConfigServer : public IConfigServer {
public:
    EmbeddedConfigServer(ServerPtr server, SessionPtr session)
        : m_server(std::move(server)), m_session(std::move(session)) {}

    HRESULT GetConfiguration(std::string& text) override {
        return m_lastError.answered(m_server->configuration(text), {});
    }
    HRESULT CommitConfiguration(const std::string& text) override {
        return CommitConfigurationWithReport(text, {});
    }
    HRESULT CommitConfigurationWithReport(const std::string& text,
                                          const std::string& report) override {
        std::string reason;
        std::string notice;
        const HRESULT hr =
            m_server->commit(*m_session, text, &reason, std::nullopt, nullptr, report, &notice);
        m_notice.answered(hr, notice);
        return m_lastError.answered(hr, std::move(reason));
    }
    std::string LastCommitNotice() override { return m_notice.text(); }
    HRESULT GetDefaultConfiguration(const std::string& referenceStandard,
                                    std::string& text) override {
        std::string reason;
        const HRESULT hr = m_server->defaultConfiguration(referenceStandard, text, &reason);
        return m_lastError.answered(hr, std::move(reason));
    }
    HRESULT ValidateConfiguration(const std::string& text, bool& usable) override {
        std::string reason;
        usable = IsUsableConfiguration(text, reason);
        return m_lastError.answered(S_OK, usable ? std::string() : std::move(reason));
    }
    HRESULT AttributeChange(const std::string& elementXPath, const std::string& attributeName,
                            const std::string& value, bool) override {
        std::string reason;
        const HRESULT hr =
            m_server->attributeChange(*m_session, elementXPath, attributeName, value, &reason);
        return m_lastError.answered(hr, reason);
    }
    std::shared_ptr<IRemoteHosts> RemoteHostsFacet() override {
        return std::make_shared<EmbeddedRemoteHosts>(m_server, m_session);
    }
    std::shared_ptr<IConfigHistory> HistoryFacet() override {
        // The server's own history, kept alive with the server.
        return std::shared_ptr<IConfigHistory>(m_server, &m_server->history());
    }
    std::string LastErrorText() override { return m_lastError.text(); }

private:
    ServerPtr m_server;
    SessionPtr m_session;
    LastError m_notice; // the last commit's notice
    LastError m_lastError;
};

class EmbeddedLog : public LastStatusLog {
public:
    explicit EmbeddedLog(ServerPtr server) : m_server(std::move(server)) {}

protected:
    HRESULT write(HRESULT status, std::int32_t kind, const std::string& file, std::int32_t line,
                  std::uint32_t elapsedMs, const std::string& text) override {
        return m_server->log(status, kind, file, line, elapsedMs, text);
    }

private:
    ServerPtr m_server;
};

class EmbeddedSecurity : public ISecurity {
public:
    EmbeddedSecurity(ServerPtr server, SessionPtr session)
        : m_server(std::move(server)), m_session(std::move(session)) {}

    HRESULT GetChannelUser(int channel, std::string& user) override {
        return m_server->protocolUser(*m_session, channel, "user", user);
    }
    HRESULT GetChannelPassword(int channel, std::string& password) override {
        return m_server->protocolUser(*m_session, channel, "password", password);
    }
    HRESULT GetChannelDomain(int channel, std::string& domain) override {
        return m_server->protocolUser(*m_session, channel, "domain", domain);
    }
    HRESULT PutChannelUser(int channel, const std::string& user) override {
        return m_server->setProtocolUser(*m_session, channel, "user", user);
    }
    HRESULT PutChannelPassword(int channel, const std::string& password) override {
        return m_server->setProtocolUser(*m_session, channel, "password", password);
    }
    HRESULT PutChannelDomain(int channel, const std::string& domain) override {
        return m_server->setProtocolUser(*m_session, channel, "domain", domain);
    }
    HRESULT ValidateUser(const std::string& user, const std::string& password,
                         const std::string& domain, bool& valid) override {
        valid = m_server->verifyAccount(user, password, domain);
        return S_OK;
    }
    HRESULT ShowPermissions(int channel, const std::string& channelId) override {
        if (!m_session->authorized)
            return E_ACCESSDENIED;
        return m_server->showPermissions(*m_session, channel, channelId);
    }

private:
    ServerPtr m_server;
    SessionPtr m_session;
};

class EmbeddedChannel : public IChannel {
public:
    EmbeddedChannel(ServerPtr server, int index) : m_server(std::move(server)), m_index(index) {}
    HRESULT GetStatus(const std::string& name, Variant& value) override {
        return m_server->channelStatus(m_index, name, value);
    }

private:
    ServerPtr m_server;
    int m_index;
};

class EmbeddedAppServer : public IAppServer {
public:
    EmbeddedAppServer(ServerPtr server, SessionPtr session)
        : m_server(std::move(server)), m_session(std::move(session)) {}

    std::shared_ptr<ISecurity> QuerySecurity() override {
        return std::make_shared<EmbeddedSecurity>(m_server, m_session);
    }
    HRESULT GetConfigServer(const std::string&, std::shared_ptr<IConfigServer>& server) override {
        server = std::make_shared<EmbeddedConfigServer>(m_server, m_session);
        return S_OK;
    }
    HRESULT GetLog(const std::string&, std::shared_ptr<ILog>& log) override {
        log = std::make_shared<EmbeddedLog>(m_server);
        return S_OK;
    }
    HRESULT GetChannel(const Variant& index, std::shared_ptr<IChannel>& channel) override {
        int slot = -1;
        const HRESULT hr = ChannelSlotOf(index, slot);
        if (SUCCEEDED(hr))
            channel = std::make_shared<EmbeddedChannel>(m_server, slot);
        return hr;
    }

private:
    ServerPtr m_server;
    SessionPtr m_session;
};

class EmbeddedConnection : public IConnection {
public:
    EmbeddedConnection(QString directory, EmbeddedServer::PermissionsPresenter presenter)
        : m_directory(std::move(directory)), m_presenter(std::move(presenter)) {}

    HRESULT SetHost(const std::string& host) override {
        m_server = IsLocalHost(host) ? EmbeddedServer::forDirectory(m_directory) : nullptr;
        m_session.reset();
        if (m_server && m_presenter)
            m_server->setPermissionsPresenter(m_presenter);
        return S_OK;
    }
    HRESULT LogOn(const std::string& user, const std::string& password, const std::string& domain,
                  bool) override {
        m_session.reset();
        if (!m_server)
            return S_OK; // not connected: IsConnected says so
        if (!m_server->verifyAccount(user, password, domain)) {
            m_server->log(E_ACCESSDENIED, 4, "logon", 0, 0,
                          "Log on refused for user '" + LoggableText(user) + "'");
            m_server->audit({.event = AuditEvent::kLogon,
                             .outcome = AuditEvent::kRefused,
                             .user = LoggableText(user),
                             .address = "local"});
            return S_OK;
        }
        auto session = std::make_shared<ServerSession>();
        session->user = user;
        session->domain = domain;
        session->authorized = m_server->isAdministrator(user, domain);
        m_server->audit({.event = AuditEvent::kLogon,
                         .outcome = AuditEvent::kAccepted,
                         .user = user,
                         .address = session->address,
                         .detail = session->authorized ? "" : "read only"});
        m_session = std::move(session);
        return S_OK;
    }
    HRESULT IsConnected(bool& connected) override {
        connected = m_server != nullptr;
        return S_OK;
    }
    HRESULT IsLoggedOn(bool& loggedOn) override {
        loggedOn = m_session != nullptr;
        return S_OK;
    }
    HRESULT IsMemberOfGroup(const std::string& group, bool& member) override {
        member = m_session && m_server->isMember(*m_session, group);
        return S_OK;
    }
    HRESULT GetAppServer(const std::string&, const std::string&, std::int16_t& unused,
                         std::shared_ptr<IAppServer>& server) override {
        unused = 0;
        if (!m_server)
            return E_FAIL;
        if (!m_session)
            return E_ACCESSDENIED;
        server = std::make_shared<EmbeddedAppServer>(m_server, m_session);
        return S_OK;
    }

private:
    QString m_directory;
    EmbeddedServer::PermissionsPresenter m_presenter;
    ServerPtr m_server;
    SessionPtr m_session;
};

} // namespace

bool IsLocalHost(const std::string& host) {
    const QString name = QString::fromStdString(host);
    return name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           name == QLatin1String("127.0.0.1") || name == QLatin1String("::1") ||
           name == QLatin1String(".") ||
           name.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}

EmbeddedServiceFactory::EmbeddedServiceFactory(QString directory)
    : m_directory(directory.isEmpty() ? DefaultServerDirectory() : std::move(directory)) {}

std::shared_ptr<IConnection> EmbeddedServiceFactory::CreateConnection() {
    return std::make_shared<EmbeddedConnection>(m_directory, m_presenter);
}

void EmbeddedServiceFactory::setPermissionsPresenter(
    EmbeddedServer::PermissionsPresenter presenter) {
    m_presenter = std::move(presenter);
}

std::shared_ptr<ITimecode> EmbeddedServiceFactory::CreateTimecode() {
    return std::make_shared<EmbeddedTimecode>();
}
