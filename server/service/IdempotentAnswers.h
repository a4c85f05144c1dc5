#pragma once
// The answers to changes sent with an Idempotency-Key, kept for ten minutes: a retry with
// the same key (from the same account, to the same method and path) gets the first answer
// again and is not applied a second time; a retry that arrives while the first is still
// running waits for its answer.

#include "HttpMessage.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>

class IdempotentAnswers {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::minutes kKeep{10};
    static constexpr std::size_t kMostKept = 4096;

    // The first answer for the key, or work's answer when the key is new.
    HttpResponse run(const QByteArray& key, const std::function<HttpResponse()>& work);

private:
    struct Entry {
        std::optional<HttpResponse> answer; // none while the first request runs
        Clock::time_point time;
    };

    std::mutex m_mutex;
    std::condition_variable m_answered;
    std::map<QByteArray, Entry> m_entries;
};
