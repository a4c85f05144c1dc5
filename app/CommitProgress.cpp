#include "CommitProgress.h"

#include "platform/ProgressDlg.h"
#include "state/ConfigState.h"
#include "state/TraceScope.h"

#include <chrono>

namespace {

constexpr int kStep = 5;
constexpr int kLastPosition = 95;

void poll(std::uint32_t wentOffline, CProgressDlg* dialog, CConfigState* state,
          CommitProgressSettings settings) {
    CTraceScope scope("CTrellisDlg::ProgressThread");
    scope.Run([&] {
        int position = 0;
        for (int poll = 0; poll < settings.maxPolls; ++poll) {
            std::this_thread::sleep_for(std::chrono::milliseconds(settings.pollIntervalMs));
            if ((state->IsChannelOffline() & wentOffline) == 0)
                break;
            dialog->SetPos(position);
            position += kStep;
            if (position > kLastPosition)
                position = 0;
        }
    });
    dialog->Close();
}

} // namespace

CommitProgress::CommitProgress(std::uint32_t wentOffline, CProgressDlg& dialog, CConfigState& state,
                               CommitProgressSettings settings)
    : m_thread(poll, wentOffline, &dialog, &state, settings) {}

CommitProgress::~CommitProgress() {
    join();
}

void CommitProgress::join() {
    if (m_thread.joinable())
        m_thread.join();
}
