#pragma once
// The stand-in server's remote hosts file, vellhosts.xml in its state directory. Any
// logged-on user may read it; only a user with the right to change the configuration may
// replace it, and a replacement is atomic and made under the file's lock.

#include "server/IRemoteHosts.h"
#include "server/LastError.h"

#include <memory>
#include <string>

class EmbeddedServer;
struct ServerSession;

class EmbeddedRemoteHosts : public IRemoteHosts {
public:
    static constexpr const char* kFileName = "vellhosts.xml";

    EmbeddedRemoteHosts(std::shared_ptr<EmbeddedServer> server,
                        std::shared_ptr<const ServerSession> session);

    HRESULT ReadHostsFile(std::string& bytes) override;
    HRESULT WriteHostsFile(const std::string& bytes) override;
    std::string LastErrorText() override;

private:
    std::shared_ptr<EmbeddedServer> m_server;
    std::shared_ptr<const ServerSession> m_session;
    LastError m_lastError;
};
