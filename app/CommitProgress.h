#pragma once
// The wait after a commit that took channels offline: a thread polls the channels until
// those that went offline are back, moving the progress dialog, then closes it.

#include <cstdint>
#include <thread>

class CConfigState;
class CProgressDlg;

struct CommitProgressSettings {
    int pollIntervalMs = 500;
    int maxPolls = 240;
};

class CommitProgress {
public:
    // Starts polling for the channels of the mask.
    CommitProgress(std::uint32_t wentOffline, CProgressDlg& dialog, CConfigState& state,
                   CommitProgressSettings settings);
    // Waits for the thread.
    ~CommitProgress();
    CommitProgress(const CommitProgress&) = delete;
    CommitProgress& operator=(const CommitProgress&) = delete;

    bool started() const { return m_thread.joinable(); }
    void join();

private:
    std::thread m_thread;
};
