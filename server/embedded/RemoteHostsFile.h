#pragma once
// The stand-in server's remote hosts file, vellhosts.xml in its state directory. Any
// logged-on user may read it; only a user with the right to change the configuration may
// replace it, and a replacement is atomic and made under the file's lock.

#include "server/IRemoteHosts.h"
#include "server/LastError.h"

#include <QString>

#include <memory>
#include <optional>
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
    // The same, with the version read (see StateFiles::versionOf), and a write that leaves a
    // file changed since that version as it is: E_CHANGED_STATE. version gets what was
    // written.
    HRESULT readHostsFile(std::string& bytes, QString& version);
    HRESULT writeHostsFile(const std::string& bytes, const std::optional<QString>& expectedVersion,
                           QString* version);
    std::string LastErrorText() override;

private:
    std::shared_ptr<EmbeddedServer> m_server;
    std::shared_ptr<const ServerSession> m_session;
    LastError m_lastError;
};
