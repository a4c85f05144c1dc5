#include "RemoteConnection.h"

#include "RemoteServices.h"
#include "server/wire/WireFormat.h"

namespace {

// The utility names a group of the server by the host name it was given ("studio-7\\Group",
// "10.0.0.5:7443\\Group"); the service, being that host, knows it as its own group.
std::string asServiceGroup(const std::string& group, const std::string& named) {
    const std::size_t slash = group.rfind('\\');
    if (slash == std::string::npos)
        return group;
    const QString prefix = QString::fromStdString(group.substr(0, slash));
    return prefix.compare(QString::fromStdString(named), Qt::CaseInsensitive) == 0
               ? group.substr(slash + 1)
               : group;
}

} // namespace

HRESULT RemoteConnection::SetHost(const std::string& host) {
    m_session.reset();
    // A name that is no host is not reached: IsConnected says so.
    const std::optional<RemoteAddress> address = ParseRemoteAddress(host);
    if (!address)
        return S_OK;
    auto session = std::make_shared<RemoteSession>(host, *address, m_options);
    if (session->trust())
        m_session = std::move(session);
    return S_OK;
}

HRESULT RemoteConnection::LogOn(const std::string& user, const std::string& password,
                                const std::string& domain, bool) {
    if (!m_session)
        return S_OK; // not connected: IsConnected says so
    const HRESULT status = m_session->logOn(user, password, domain);
    return FAILED(status) ? status : S_OK;
}

HRESULT RemoteConnection::IsConnected(bool& connected) {
    connected = m_session != nullptr;
    return S_OK;
}

HRESULT RemoteConnection::IsLoggedOn(bool& loggedOn) {
    loggedOn = m_session && m_session->loggedOn();
    return S_OK;
}

HRESULT RemoteConnection::IsMemberOfGroup(const std::string& group, bool& member) {
    member = false;
    if (!m_session || !m_session->loggedOn())
        return S_OK;
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("group"),
                       QString::fromStdString(asServiceGroup(group, m_session->named())));
    const RemoteSession::Answer answer = m_session->call(
        "GET", QString::fromLatin1(wire::kSessionGroup), {}, RemoteSession::Versioned::None, query);
    member = answer.json.value(QLatin1String("member")).toBool();
    return answer.status;
}

HRESULT RemoteConnection::GetAppServer(const std::string&, const std::string&, std::int16_t& unused,
                                       std::shared_ptr<IAppServer>& server) {
    unused = 0;
    if (!m_session)
        return E_FAIL;
    if (!m_session->loggedOn())
        return E_ACCESSDENIED;
    server = CreateRemoteAppServer(m_session);
    return S_OK;
}
