#pragma once
// Slows password guessing from one address: after a failed check the next one from that
// address waits 0.5 s, doubling with each further failure up to 8 s; a success forgets the
// failures. Checks that arrive meanwhile are spaced by the same delay, so opening more
// connections does not buy more guesses.

#include <QString>

#include <chrono>
#include <map>
#include <mutex>

class LogonThrottle {
public:
    using Clock = std::chrono::steady_clock;

    // How long a check from the address must wait; zero means it may run now, and then the
    // next one waits the current delay.
    std::chrono::milliseconds admit(const QString& address);
    // Records a failed check; gives the delay the answer is held back by.
    std::chrono::milliseconds failed(const QString& address);
    void succeeded(const QString& address);

    static std::chrono::milliseconds delayAfter(int failures);

private:
    struct Entry {
        int failures = 0;
        Clock::time_point next;
    };

    std::mutex m_mutex;
    std::map<QString, Entry> m_entries;
};
