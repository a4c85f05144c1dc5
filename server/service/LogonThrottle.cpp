#include "LogonThrottle.h"

#include <algorithm>

namespace {

constexpr std::chrono::milliseconds kFirstDelay{500};
constexpr std::chrono::milliseconds kLongestDelay{8000};
// An address that failed nothing for this long starts afresh.
constexpr std::chrono::minutes kForgetAfter{15};

} // namespace

std::chrono::milliseconds LogonThrottle::delayAfter(int failures) {
    if (failures <= 0)
        return std::chrono::milliseconds(0);
    std::chrono::milliseconds delay = kFirstDelay;
    for (int i = 1; i < failures && delay < kLongestDelay; ++i)
        delay *= 2;
    return std::min(delay, kLongestDelay);
}

std::chrono::milliseconds LogonThrottle::admit(const QString& address) {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(address);
    if (it == m_entries.end())
        return std::chrono::milliseconds(0);
    Entry& entry = it->second;
    if (now < entry.next)
        return std::chrono::ceil<std::chrono::milliseconds>(entry.next - now);
    entry.next = now + delayAfter(entry.failures);
    return std::chrono::milliseconds(0);
}

std::chrono::milliseconds LogonThrottle::failed(const QString& address) {
    const Clock::time_point now = Clock::now();
    std::lock_guard lock(m_mutex);
    std::erase_if(m_entries, [&](const auto& entry) {
        return entry.first != address && now - entry.second.next > kForgetAfter;
    });
    Entry& entry = m_entries[address];
    ++entry.failures;
    const std::chrono::milliseconds delay = delayAfter(entry.failures);
    entry.next = std::max(entry.next, now + delay);
    return delay;
}

void LogonThrottle::succeeded(const QString& address) {
    std::lock_guard lock(m_mutex);
    m_entries.erase(address);
}
