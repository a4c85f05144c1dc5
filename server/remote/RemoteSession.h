#pragma once
// What every service object of one connection to a remote host shares: the HTTPS client,
// the trust in the host, the session token, the versions last read of what a change may
// overwrite, the channel status of the last tick, and whether the connection was lost.
// The session logs off when its last object goes away.

#include "HttpsClient.h"
#include "platform/Variant.h"
#include "server/ISecurity.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>

#include <array>
#include <optional>

struct RemoteOptions {
    int timeoutMs;
    PermissionsPresenter presenter;
};

// A host as the user names it, "name" or "name:port" ("[address]:port" for IPv6).
struct RemoteAddress {
    QString host;
    quint16 port = 0;
    // "host:port", the key of the known hosts file.
    QString key() const;
};
std::optional<RemoteAddress> ParseRemoteAddress(const std::string& named);

class RemoteSession {
public:
    // What a change may overwrite: each keeps the version its last read answered.
    enum class Versioned { None, Configuration, RemoteHosts, ProtocolUsers };

    struct Answer {
        HRESULT status = S_OK;
        QJsonObject json;
        std::string error; // the service's reason, or why it could not be reached
    };

    RemoteSession(std::string named, RemoteAddress address, RemoteOptions options);
    ~RemoteSession();
    RemoteSession(const RemoteSession&) = delete;
    RemoteSession& operator=(const RemoteSession&) = delete;

    // Makes sure the host is trusted before anything is sent: a known host must show the
    // certificate it showed before, an unknown one is trusted only when the user says so.
    bool trust();
    // S_OK when logged on, S_FALSE when the service refused the user, a failure when it
    // could not be reached. Only the token is kept.
    HRESULT logOn(const std::string& user, const std::string& password, const std::string& domain);
    bool loggedOn() const;
    bool administrator() const;

    // One request with a JSON body; a change carries a fresh idempotency key, and the
    // version last read when it is versioned.
    Answer call(const QByteArray& method, const QString& path, const QJsonObject& body = {},
                Versioned versioned = Versioned::None, const QUrlQuery& query = {});

    // One status of one channel slot, from an answer shared by every channel for a moment.
    HRESULT channelStatus(int slot, const std::string& name, Variant& value);

    const PermissionsPresenter& presenter() const { return m_options.presenter; }
    // The host as the user named it.
    const std::string& named() const { return m_named; }

private:
    HttpsReply send(HttpsRequest request, bool mayRetry);
    Answer answerOf(const HttpsReply& reply);
    // A failure to reach the service: during a session, the connection is lost for good and
    // the user is told once.
    Answer unreachable(HRESULT status, const std::string& reason);

    const std::string m_named;
    const RemoteAddress m_address;
    const RemoteOptions m_options;
    HttpsClient m_client;

    mutable std::mutex m_mutex;
    QByteArray m_token;
    bool m_administrator = false;
    std::array<QByteArray, 4> m_versions;
    HRESULT m_lost = S_OK;
    std::string m_lostReason;
    QJsonArray m_status;
    QElapsedTimer m_statusAge;
};
