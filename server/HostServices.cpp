#include "HostServices.h"

#include "remote/RemoteConnection.h"
#include "server/wire/WireFormat.h"

namespace {

// Chooses the implementation when the host is set, and passes every call on to it.
class HostConnection : public IConnection {
public:
    using RemoteMaker = std::function<std::shared_ptr<RemoteConnection>()>;
    HostConnection(std::shared_ptr<IConnection> embedded, RemoteMaker remote,
                   std::shared_ptr<std::weak_ptr<RemoteSession>> lastRemote)
        : m_embedded(std::move(embedded)), m_makeRemote(std::move(remote)),
          m_lastRemote(std::move(lastRemote)), m_chosen(m_embedded) {}

    HRESULT SetHost(const std::string& host) override {
        if (IsLocalHost(host)) {
            m_chosen = m_embedded;
            return m_embedded->SetHost(host);
        }
        const std::shared_ptr<RemoteConnection> remote = m_makeRemote();
        m_chosen = remote;
        const HRESULT status = remote->SetHost(host);
        *m_lastRemote = remote->session();
        return status;
    }
    HRESULT LogOn(const std::string& user, const std::string& password, const std::string& domain,
                  bool credentialsGiven) override {
        return m_chosen->LogOn(user, password, domain, credentialsGiven);
    }
    HRESULT IsConnected(bool& connected) override { return m_chosen->IsConnected(connected); }
    HRESULT IsLoggedOn(bool& loggedOn) override { return m_chosen->IsLoggedOn(loggedOn); }
    HRESULT IsMemberOfGroup(const std::string& group, bool& member) override {
        return m_chosen->IsMemberOfGroup(group, member);
    }
    HRESULT GetAppServer(const std::string& machine, const std::string& appName,
                         std::int16_t& unused, std::shared_ptr<IAppServer>& server) override {
        return m_chosen->GetAppServer(machine, appName, unused, server);
    }

private:
    std::shared_ptr<IConnection> m_embedded;
    RemoteMaker m_makeRemote;
    std::shared_ptr<std::weak_ptr<RemoteSession>> m_lastRemote;
    std::shared_ptr<IConnection> m_chosen;
};

} // namespace

HostServiceFactory::HostServiceFactory(QString directory)
    : m_embedded(std::move(directory)), m_timeoutMs(wire::kClientTimeoutMs) {}

std::shared_ptr<IConnection> HostServiceFactory::CreateConnection() {
    const RemoteOptions options{m_timeoutMs, m_presenter};
    return std::make_shared<HostConnection>(
        m_embedded.CreateConnection(),
        [options] { return std::make_shared<RemoteConnection>(options); }, m_lastRemote);
}

std::shared_ptr<ITimecode> HostServiceFactory::CreateTimecode() {
    if (std::shared_ptr<RemoteSession> session = m_lastRemote->lock())
        return CreateRemoteTimecode(std::move(session));
    return m_embedded.CreateTimecode();
}

void HostServiceFactory::setPermissionsPresenter(PermissionsPresenter presenter) {
    m_presenter = presenter;
    m_embedded.setPermissionsPresenter(std::move(presenter));
}
