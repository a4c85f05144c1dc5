#include "Sessions.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <array>

namespace {

constexpr int kTokenBytes = 32;

QByteArray digestOf(const QByteArray& token) {
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256);
}

} // namespace

Sessions::Sessions(std::chrono::seconds idle) : m_idle(idle) {}

QByteArray Sessions::open(const ServerSession& session) {
    std::array<quint32, kTokenBytes / 4> random{};
    QRandomGenerator::system()->fillRange(random.data(), random.size());
    const QByteArray token =
        QByteArray(reinterpret_cast<const char*>(random.data()), kTokenBytes)
            .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(m_mutex);
    forgetExpired(now);
    m_entries[digestOf(token)] = Entry{session, now};
    return token;
}

std::optional<ServerSession> Sessions::find(const QByteArray& token) {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(digestOf(token));
    if (it == m_entries.end())
        return std::nullopt;
    if (now - it->second.lastUsed >= m_idle) {
        m_entries.erase(it);
        return std::nullopt;
    }
    it->second.lastUsed = now;
    return it->second.session;
}

void Sessions::close(const QByteArray& token) {
    std::lock_guard lock(m_mutex);
    m_entries.erase(digestOf(token));
}

void Sessions::forgetExpired(Clock::time_point now) {
    std::erase_if(m_entries,
                  [&](const auto& entry) { return now - entry.second.lastUsed >= m_idle; });
}
