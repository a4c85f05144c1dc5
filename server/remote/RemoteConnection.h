#pragma once
// The connection to a server host over the network: the host is trusted first, the logon
// sends the password once and keeps the session token, and the application object hands out
// the services, all sharing the connection's session.

#include "RemoteSession.h"
#include "server/IConnection.h"
#include "server/ITimecode.h"

class RemoteConnection : public IConnection {
public:
    explicit RemoteConnection(RemoteOptions options) : m_options(std::move(options)) {}

    HRESULT SetHost(const std::string& host) override;
    HRESULT LogOn(const std::string& user, const std::string& password, const std::string& domain,
                  bool credentialsGiven) override;
    HRESULT IsConnected(bool& connected) override;
    HRESULT IsLoggedOn(bool& loggedOn) override;
    HRESULT IsMemberOfGroup(const std::string& group, bool& member) override;
    HRESULT GetAppServer(const std::string& machine, const std::string& appName,
                         std::int16_t& unused, std::shared_ptr<IAppServer>& server) override;

    // The session of the host set, null when none is reached.
    const std::shared_ptr<RemoteSession>& session() const { return m_session; }

private:
    RemoteOptions m_options;
    std::shared_ptr<RemoteSession> m_session;
};

// The timecode object of a host's service.
std::shared_ptr<ITimecode> CreateRemoteTimecode(std::shared_ptr<RemoteSession> session);
