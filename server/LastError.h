#pragma once
// The reason of a service object's last operation, kept for its LastErrorText(): every
// operation replaces it, with an empty one when it succeeded. Safe from two threads.

#include "platform/HResult.h"

#include <mutex>
#include <string>

class LastError {
public:
    // Keeps the reason and passes the status on.
    HRESULT answered(HRESULT status, std::string reason) {
        std::lock_guard lock(m_mutex);
        m_text = std::move(reason);
        return status;
    }
    std::string text() const {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};
