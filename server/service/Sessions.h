#pragma once
// The service's sessions: a logon gets a random token of 256 bits; only its SHA-256 is kept,
// in memory. A session ends after the idle time without a request, and at logoff.

#include "server/embedded/EmbeddedServer.h"

#include <QByteArray>

#include <chrono>
#include <map>
#include <mutex>
#include <optional>

class Sessions {
public:
    using Clock = std::chrono::steady_clock;

    explicit Sessions(std::chrono::seconds idle);

    // A new session; the token is handed to the client and not kept.
    QByteArray open(const ServerSession& session);
    // The session of a token, its idle time starting again; none for an unknown or expired one.
    std::optional<ServerSession> find(const QByteArray& token);
    void close(const QByteArray& token);

private:
    struct Entry {
        ServerSession session;
        Clock::time_point lastUsed;
    };
    void forgetExpired(Clock::time_point now);

    std::chrono::seconds m_idle;
    std::mutex m_mutex;
    std::map<QByteArray, Entry> m_entries; // by the token's digest
};
