#include "RemoteHostsFile.h"

#include "EmbeddedServer.h"
#include "server/ILog.h"

#include <fmt/format.h>

#include <optional>

EmbeddedRemoteHosts::EmbeddedRemoteHosts(std::shared_ptr<EmbeddedServer> server,
                                         std::shared_ptr<const ServerSession> session)
    : m_server(std::move(server)), m_session(std::move(session)) {}

HRESULT EmbeddedRemoteHosts::ReadHostsFile(std::string& bytes) {
    QString version;
    return readHostsFile(bytes, version);
}

HRESULT EmbeddedRemoteHosts::WriteHostsFile(const std::string& bytes) {
    return writeHostsFile(bytes, std::nullopt, nullptr);
}

HRESULT EmbeddedRemoteHosts::readHostsFile(std::string& bytes, QString& version) {
    bytes.clear();
    const StateFiles& files = m_server->files();
    const QString name = QString::fromLatin1(kFileName);
    const std::optional<QByteArray> content = files.read(name);
    version = StateFiles::versionOf(content);
    if (!content && !files.exists(name))
        return m_lastError.answered(S_FALSE, {});
    if (!content)
        return m_lastError.answered(HRESULT_READ_FAULT,
                                    fmt::format("{} could not be read", kFileName));
    bytes = content->toStdString();
    return m_lastError.answered(S_OK, {});
}

HRESULT EmbeddedRemoteHosts::writeHostsFile(const std::string& bytes,
                                            const std::optional<QString>& expectedVersion,
                                            QString* version) {
    const std::string user = m_session ? m_session->user : std::string();
    const auto audit = [&](const char* outcome, const std::string& detail) {
        m_server->audit({.event = AuditEvent::kRemoteHosts,
                         .outcome = outcome,
                         .user = user,
                         .address = m_session ? m_session->address : std::string(),
                         .detail = detail});
    };
    if (!m_session || !m_session->authorized) {
        m_server->log(E_ACCESSDENIED, LOG_KIND_REPORT, kFileName, 0, 0,
                      "Remote hosts change refused for user '" + user + "'");
        audit(AuditEvent::kRefused, "the user may not change the remote hosts");
        return m_lastError.answered(E_ACCESSDENIED, "the user may not change the remote hosts");
    }
    const StateFiles& files = m_server->files();
    const QString name = QString::fromLatin1(kFileName);
    const QByteArray content = QByteArray::fromStdString(bytes);
    // The sheet writes the file back with every commit: only a write that changes it is a
    // change for the audit.
    bool changed = true;
    const HRESULT hr = files.locked(name, [&] {
        const HRESULT current = files.checkVersion(name, expectedVersion);
        if (FAILED(current))
            return current;
        changed = files.read(name) != std::optional(content);
        return files.write(name, content);
    });
    if (SUCCEEDED(hr) && version)
        *version = StateFiles::versionOf(content);
    if (SUCCEEDED(hr)) {
        if (changed)
            audit(AuditEvent::kAccepted, fmt::format("{} bytes stored", content.size()));
        return m_lastError.answered(hr, {});
    }
    if (hr == E_CHANGED_STATE) {
        const std::string why = fmt::format("{} was changed since it was read", kFileName);
        audit(AuditEvent::kRefused, why);
        return m_lastError.answered(hr, why);
    }
    const std::string why =
        fmt::format("{} could not be written ({})", kFileName, ComErrorText(hr));
    m_server->log(hr, LOG_KIND_REPORT, kFileName, 0, 0,
                  "Remote hosts change by user '" + user + "' failed: " + why);
    audit(AuditEvent::kFailed, why);
    return m_lastError.answered(hr, why);
}

std::string EmbeddedRemoteHosts::LastErrorText() {
    return m_lastError.text();
}
