#include "RemoteHostsFile.h"

#include "EmbeddedServer.h"
#include "server/ILog.h"

#include <optional>

EmbeddedRemoteHosts::EmbeddedRemoteHosts(std::shared_ptr<EmbeddedServer> server,
                                         std::shared_ptr<const ServerSession> session)
    : m_server(std::move(server)), m_session(std::move(session)) {}

HRESULT EmbeddedRemoteHosts::ReadHostsFile(std::string& bytes) {
    bytes.clear();
    const StateFiles& files = m_server->files();
    const QString name = QString::fromLatin1(kFileName);
    if (!files.exists(name))
        return S_FALSE;
    const std::optional<QByteArray> content = files.read(name);
    if (!content)
        return HRESULT_READ_FAULT;
    bytes = content->toStdString();
    return S_OK;
}

HRESULT EmbeddedRemoteHosts::WriteHostsFile(const std::string& bytes) {
    if (!m_session || !m_session->authorized) {
        m_server->log(E_ACCESSDENIED, LOG_KIND_REPORT, kFileName, 0, 0,
                      "Remote hosts change refused for user '" +
                          (m_session ? m_session->user : std::string()) + "'");
        return E_ACCESSDENIED;
    }
    const StateFiles& files = m_server->files();
    const QString name = QString::fromLatin1(kFileName);
    const QByteArray content = QByteArray::fromStdString(bytes);
    return files.locked(name, [&] { return files.write(name, content); });
}
