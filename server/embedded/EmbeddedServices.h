#pragma once
// The service objects of the stand-in server, and the factory that hands them out. A
// connection to this machine reaches the embedded server of the state directory; any
// other host is out of reach (there is no network to other servers here).

#include "EmbeddedServer.h"
#include "server/ServiceFactory.h"

#include <QString>

class EmbeddedServiceFactory : public IServiceFactory {
public:
    // The server of the directory; by default $TRELLIS_SERVER_DIR or the user's data folder.
    explicit EmbeddedServiceFactory(QString directory = QString());

    std::shared_ptr<IConnection> CreateConnection() override;
    std::shared_ptr<ITimecode> CreateTimecode() override;

    const QString& directory() const { return m_directory; }
    // The permissions dialog the server shows for its connections.
    void setPermissionsPresenter(EmbeddedServer::PermissionsPresenter presenter);

private:
    QString m_directory;
    EmbeddedServer::PermissionsPresenter m_presenter;
};

// Whether a host name means this machine.
bool IsLocalHost(const std::string& host);
