#pragma once
// A log whose status facet answers with the last status the log was given, so that a failing
// operation keeps its failure. Each server writes the entry its own way.

#include "ILog.h"

#include <atomic>

class LastStatusLog : public ILog,
                      public ILogStatus,
                      public std::enable_shared_from_this<LastStatusLog> {
public:
    HRESULT LogEntry(HRESULT status, std::int32_t kind, const std::string& file, std::int32_t line,
                     std::uint32_t elapsedMs, const std::string& text) final {
        m_last = status;
        return write(status, kind, file, line, elapsedMs, text);
    }
    std::shared_ptr<ILogStatus> StatusFacet() final { return shared_from_this(); }
    HRESULT GetStatus(std::int32_t& status) final {
        status = m_last.load();
        return S_OK;
    }

protected:
    virtual HRESULT write(HRESULT status, std::int32_t kind, const std::string& file,
                          std::int32_t line, std::uint32_t elapsedMs, const std::string& text) = 0;

private:
    std::atomic<HRESULT> m_last{S_OK};
};
