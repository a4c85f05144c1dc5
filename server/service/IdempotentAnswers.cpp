#include "IdempotentAnswers.h"

HttpResponse IdempotentAnswers::run(const QByteArray& key,
                                    const std::function<HttpResponse()>& work) {
    {
        std::unique_lock lock(m_mutex);
        const Clock::time_point now = Clock::now();
        std::erase_if(m_entries, [&](const auto& entry) {
            return entry.second.answer && now - entry.second.time > kKeep;
        });
        // A client sending ever new keys keeps no more than this many answers held: the
        // oldest go first.
        while (m_entries.size() >= kMostKept) {
            auto oldest = m_entries.end();
            for (auto entry = m_entries.begin(); entry != m_entries.end(); ++entry) {
                if (entry->second.answer &&
                    (oldest == m_entries.end() || entry->second.time < oldest->second.time))
                    oldest = entry;
            }
            if (oldest == m_entries.end())
                break;
            m_entries.erase(oldest);
        }
        const auto it = m_entries.find(key);
        if (it != m_entries.end()) {
            m_answered.wait(lock, [&] {
                const auto found = m_entries.find(key);
                return found == m_entries.end() || found->second.answer;
            });
            const auto found = m_entries.find(key);
            if (found != m_entries.end())
                return *found->second.answer;
        }
        m_entries[key] = Entry{std::nullopt, now};
    }
    std::optional<HttpResponse> answer;
    try {
        answer = work();
    } catch (...) {
        // The key is free again, so that a retry runs the change.
        std::lock_guard lock(m_mutex);
        m_entries.erase(key);
        m_answered.notify_all();
        throw;
    }
    std::lock_guard lock(m_mutex);
    m_entries[key] = Entry{answer, Clock::now()};
    m_answered.notify_all();
    return *answer;
}
