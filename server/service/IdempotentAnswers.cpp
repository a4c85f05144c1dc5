#include "IdempotentAnswers.h"

HttpResponse IdempotentAnswers::run(const QByteArray& key,
                                    const std::function<HttpResponse()>& work) {
    {
        std::unique_lock lock(m_mutex);
        const Clock::time_point now = Clock::now();
        std::erase_if(m_entries, [&](const auto& entry) {
            return entry.second.answer && now - entry.second.time > kKeep;
        });
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
