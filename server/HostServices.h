#pragma once
// The factory the application installs: a connection set to "localhost" (or another name of
// this machine) reaches the embedded server of the state directory, as it always did; any
// other host ("name" or "name:port") is reached over the network, through the client.

#include "ServiceFactory.h"
#include "embedded/EmbeddedServices.h"
#include "remote/RemoteSession.h"

class HostServiceFactory : public IServiceFactory {
public:
    // The embedded server's directory; by default $TRELLIS_SERVER_DIR or the user's data folder.
    explicit HostServiceFactory(QString directory = QString());

    std::shared_ptr<IConnection> CreateConnection() override;
    // The timecode object of the host last reached over the network while its session lasts,
    // else the embedded one.
    std::shared_ptr<ITimecode> CreateTimecode() override;

    // The permissions dialog both kinds of connection show.
    void setPermissionsPresenter(PermissionsPresenter presenter);
    // How long a network call waits for its answer.
    void setClientTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

private:
    EmbeddedServiceFactory m_embedded;
    PermissionsPresenter m_presenter;
    int m_timeoutMs;
    // Set by the connections this factory made when they reach a remote host.
    std::shared_ptr<std::weak_ptr<RemoteSession>> m_lastRemote =
        std::make_shared<std::weak_ptr<RemoteSession>>();
};
